// Effects start every render from silence: the same project exports the
// same bytes every time, and an echo is never heard before its delay.
#include "effects_project.h"
#include "model/film_list.h"
#include "timeline/window/main_timeline_window.h"

namespace apptest {
namespace {

class EffectRenders : public EffectsProgramTest {};

TEST_F(EffectRenders, EveryExportStartsEachListFromSilence) {
  if (!HaveTool("sox")) GTEST_SKIP() << "sox is not installed";
  struct Holder {
    const char* name;
    bool clip, line, master;
  };
  const Holder holders[] = {
      {"clip", true, false, false}, {"line", false, true, false}, {"master", false, false, true}};
  const std::string burst = Burst("burst.wav", 50, 1000);
  for (const Holder& h : holders) {
    SCOPED_TRACE(h.name);
    // Feedback keeps the echo going to the end of the range, where the next
    // render would hear it at once if the delay line were kept.
    auto echo = [](bool wanted) { return wanted ? EchoList(250, 0.5f, 0.5f) : nullptr; };
    Start(0, Project(burst, echo(h.clip), echo(h.line), echo(h.master), 2000));
    ASSERT_NE(FilmList.First(), nullptr);
    ASSERT_TRUE(TimeLine().WriteAudio(0, File("first.wav").c_str()));
    ASSERT_TRUE(TimeLine().WriteAudio(0, File("second.wav").c_str()));
    EXPECT_TRUE(ReadFile(File("first.wav")) == ReadFile(File("second.wav")));
    for (const char* wave : {"first.wav", "second.wav"}) {
      SCOPED_TRACE(wave);
      // Dry between the burst and its first echo; the echo at 250 ms.
      EXPECT_LT(Rms(File(wave), 0.1, 0.2), 0.001);
      EXPECT_GT(Rms(File(wave), 0.25, 0.3), 0.02);
    }
    Stop();
  }
}

}  // namespace
}  // namespace apptest

namespace apptest {
namespace {

TEST_F(EffectRenders, ThePlayedSoundEqualsTheExport) {
  if (!HaveTool("sox")) GTEST_SKIP() << "sox is not installed";
  const std::string project =
      Project(Burst("burst.wav", 50, 1000), EchoList(250, 0.5f, 0.5f), nullptr, EchoList(100, 0.3f, 0.4f));
  std::string log;
  ASSERT_EQ(Kobrix("'" + project + "' /wave '" + File("out.wav") + "'", &log), 0) << log;
  ASSERT_EQ(Kobrix("'" + project + "' /play", &log, "KOBRIX_AUDIO_RECORD='" + File("played.wav") + "'"), 0)
      << log;
  EXPECT_LT(Difference(File("played.wav"), File("out.wav")), 0.001) << log;
  EXPECT_GT(Rms(File("played.wav"), 0.25, 0.3), 0.02);
}

}  // namespace
}  // namespace apptest
