// Save All: the project and copies of its sources in one folder.
#include <filesystem>

#include "program_fixture.h"

#include "media/audio_data.h"
#include "model/film.h"
#include "model/film_list.h"
#include "resources/frame_ids.h"

namespace apptest {
namespace {

class SaveAll : public ProgramTest {
 protected:
  void Choose(const std::string& path) {
    chooser_->answers.push_back({ChooserResult::kOk, path, 1});
  }
  std::vector<std::string> SoundFiles() {
    std::vector<std::string> names;
    for (Film* f = FilmList.First(); f; f = f->next)
      if (f->audio != nullptr) names.push_back(f->audio->GetFileName());
    return names;
  }
};

TEST_F(SaveAll, CopiesEverySourceOnceAndReadsTheProjectBackFromThere) {
  std::filesystem::create_directory(File("a"));
  std::filesystem::create_directory(File("b"));
  WriteTone(File("a/tone.wav"), 800);
  WriteTone(File("a/other.wav"), 500, 660);
  Start();
  MakeProject(File("a/p.tml"), {File("a/tone.wav"), File("a/other.wav")});
  // A file of the same name already in the destination.
  WriteTone(File("b/tone.wav"), 100, 220);
  boxes_->answer = IDYES;

  Choose(File("b/all.tml"));
  Frame().SendMessage(WM_COMMAND, kCmSaveAll, 0);
  Pump();

  EXPECT_EQ(ReadFile(File("b/tone.wav")), ReadFile(File("a/tone.wav")));
  EXPECT_EQ(ReadFile(File("b/other.wav")), ReadFile(File("a/other.wav")));
  int overwriteQuestions = 0;
  for (const auto& box : boxes_->shown) overwriteQuestions += box.caption == "Saving the project in the single directory";
  EXPECT_EQ(overwriteQuestions, 1);
  EXPECT_STREQ(Frame().ProjectName(), File("b/all.tml").c_str());
  for (const std::string& name : SoundFiles()) EXPECT_EQ(name.rfind(File("b/"), 0), 0u) << name;
  // Nothing half-written stays behind.
  for (const auto& entry : std::filesystem::directory_iterator(File("b")))
    EXPECT_EQ(entry.path().string().find(".kobrix-copy"), std::string::npos) << entry.path();
}

TEST_F(SaveAll, AFolderHoldingTheSourcesKeepsThem) {
  WriteTone(File("tone.wav"), 800);
  Start();
  MakeProject(File("p.tml"), {File("tone.wav")});
  const std::string before = ReadFile(File("tone.wav"));
  boxes_->shown.clear();

  Choose(File("same.tml"));
  Frame().SendMessage(WM_COMMAND, kCmSaveAll, 0);
  Pump();

  EXPECT_EQ(ReadFile(File("tone.wav")), before);
  for (const auto& box : boxes_->shown) EXPECT_NE(box.text, "Overwrite all existing files in destination directory?");
  EXPECT_STREQ(Frame().ProjectName(), File("same.tml").c_str());
  EXPECT_EQ(SoundFiles(), std::vector<std::string>{File("tone.wav")});
}

TEST_F(SaveAll, CancelChangesNothing) {
  WriteTone(File("tone.wav"), 800);
  Start();
  MakeProject(File("p.tml"), {File("tone.wav")});
  Frame().SendMessage(WM_COMMAND, kCmSaveAll, 0);
  Pump();
  EXPECT_STREQ(Frame().ProjectName(), File("p.tml").c_str());
}

}  // namespace
}  // namespace apptest
