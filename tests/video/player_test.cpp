// The program-wide video player as the rest of the program uses it: its
// settings, one sub-player shared by the open sources of a format, the
// answer to a codec failing at the start of a play, and the options page.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "model/film_list.h"
#include "model/time_code.h"
#include "platform/gui/gui_driver.h"
#include "player_fixture.h"
#include "video/hand_player.h"
#include "video/preview_window.h"

namespace playertest {
namespace {

// The lines of a section of the settings file, in the file's order.
std::vector<std::string> SectionLines(const std::string& path, const std::string& section) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> out;
  std::string line;
  bool inside = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '[') {
      inside = line == "[" + section + "]";
      continue;
    }
    if (inside && !line.empty()) out.push_back(line);
  }
  return out;
}

class VideoPlayerTest : public PlayerTest {
 protected:
  std::string Ini() { return home_.File("KOBRIX30.INI"); }
  std::string MakeFile(const char* name, int width = 32, int height = 24, int frames = 30) {
    const std::string path = folder_.Path(name);
    WriteKeyDeltaAvi(path, Chain(frames, 10), width, height);
    return path;
  }
  InstalledCodecs codecs_{false};
};

TEST_F(VideoPlayerTest, AFreshSettingsFileGivesTheDefaultsAndTheEndWritesThemInOrder) {
  VideoPlayer& p = *TheVideoPlayer;
  EXPECT_FALSE(p.dontOptimizeAudio);
  EXPECT_TRUE(p.autoReleaseCodec);
  EXPECT_FALSE(p.autoCloseCodec);
  EXPECT_TRUE(p.showTimeouts);
  float rate = 0;
  bool show = false, onTop = false, sync = false;
  int32_t zoom = 0, type = 0;
  p.GetOptions(rate, show, zoom, onTop, sync, type);
  EXPECT_FLOAT_EQ(rate, 25.0f);
  EXPECT_TRUE(show);
  EXPECT_EQ(zoom, 16);
  EXPECT_TRUE(onTop);
  EXPECT_TRUE(sync);
  EXPECT_EQ(type, 1);

  p.dontOptimizeAudio = true;
  p.SetOptions(25.0f, false, 32, false, false, 4);
  RestartPlayer();
  EXPECT_EQ(SectionLines(Ini(), "VIDEO_PLAYER"),
            (std::vector<std::string>{"DONT_OPTIMIZE_AUDIO=1", "AUTO_RELEASE_CODEC=1", "AUTO_CLOSE_CODEC=0",
                                      "SHOW_TIMEOUTS=0", "DEFAULT_DRAW_TYPE=4", "ZOOM=32", "ON_TOP=0",
                                      "SYNCHRONIZE=0"}));
  EXPECT_TRUE(TheVideoPlayer->dontOptimizeAudio);
  EXPECT_FALSE(TheVideoPlayer->showTimeouts);
  EXPECT_EQ(VideoPlayer::zoom, 32);
  EXPECT_EQ(VideoPlayer::defaultDrawType, 4);
  TheVideoPlayer->SetOptions(25.0f, true, 16, true, true, 1);
}

TEST_F(VideoPlayerTest, SourcesOfOneFormatShareOneSubPlayerUntilTheLastRelease) {
  AVIVideoData* a = Use(MakeFile("a.avi"));
  ASSERT_NE(Sub(), nullptr);
  SubVideoPlayer* shared = Sub();
  EXPECT_EQ(hooks_.tileRedraws, 1);  // a new stream format
  AVIVideoData* b = Use(MakeFile("b.avi"));
  EXPECT_EQ(Sub(), shared);
  EXPECT_EQ(TheVideoPlayer->UseCount(), 2);
  EXPECT_EQ(hooks_.tileRedraws, 1);

  // A third source of another size only counts; the stored format stays.
  AVIVideoData* wide = Use(MakeFile("wide.avi", 64, 48));
  EXPECT_EQ(Sub(), shared);
  EXPECT_EQ(TheVideoPlayer->StreamFormat()->biWidth, 32);
  EXPECT_FALSE(wide->IsDirectPlayable());
  EXPECT_TRUE(a->IsDirectPlayable());
  EndUse(wide);

  EndUse(a);
  EXPECT_EQ(Sub(), shared);
  EXPECT_TRUE(TheVideoPlayer->IsUsable());
  EndUse(b);
  EXPECT_EQ(Sub(), nullptr);
  EXPECT_EQ(TheVideoPlayer->UseCount(), 0);
  EXPECT_EQ(hooks_.tileRedraws, 2);
  // The format stays stored without a player: nothing can show it now.
  EXPECT_FALSE(TheVideoPlayer->IsUsable());

  // The next first use of another format takes it over.
  Use(MakeFile("wide2.avi", 64, 48));
  EXPECT_EQ(TheVideoPlayer->StreamFormat()->biWidth, 64);
  EXPECT_NE(Sub(), nullptr);
  EXPECT_TRUE(TheVideoPlayer->ShowsOnScreen());
}

TEST_F(VideoPlayerTest, ACodecFailingAtTheStartIsReopenedOnceThenTheErrorIsShown) {
  AVIVideoData* v = Use(MakeFile("a.avi"));
  FilmListHead segments;
  AddSegment(segments, v, 0, 0, 400);
  TheCodecScript().failDecompress = true;
  EXPECT_FALSE(TheVideoPlayer->Play(segments.First(), 0, 400, FilmList, Notify()));
  ASSERT_EQ(boxes_.shown.size(), 2u);
  EXPECT_EQ(boxes_.shown[0].caption, "Preparing Video");
  EXPECT_EQ(boxes_.shown[0].text,
            "Some error in video codec!\nNow Kobrix sets 'Reopen video codec at any operation' key in menu "
            "Options|Settings|Troubleshooting.\nThis option can decrease performance of other video codecs.");
  EXPECT_TRUE(boxes_.shown[0].flags & MB_ICONEXCLAMATION);
  EXPECT_EQ(boxes_.shown[1].caption, "Preparing Video");
  EXPECT_EQ(boxes_.shown[1].text, "Some error in video codec");
  EXPECT_TRUE(TheVideoPlayer->autoCloseCodec);
  ASSERT_NE(Sub(), nullptr);
  EXPECT_EQ(Sub()->GetState(), kSubReady);

  // Once the option is on, a failure shows only the error.
  boxes_.shown.clear();
  EXPECT_FALSE(TheVideoPlayer->Play(segments.First(), 0, 400, FilmList, Notify()));
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text, "Some error in video codec");
  RestartPlayer();
  EXPECT_EQ(SectionLines(Ini(), "VIDEO_PLAYER")[2], "AUTO_CLOSE_CODEC=1");
  EXPECT_TRUE(TheVideoPlayer->autoCloseCodec);
}

TEST_F(VideoPlayerTest, RangesThatCannotPlayAreToldOrPassedOver) {
  AVIVideoData* v = Use(MakeFile("a.avi"));
  AVIVideoData* wide = Use(MakeFile("wide.avi", 64, 48));
  FilmListHead mixed;
  AddSegment(mixed, v, 0, 0, 200);
  AddSegment(mixed, wide, 0, 200, 400);
  EXPECT_FALSE(TheVideoPlayer->Play(mixed.First(), 0, 400, FilmList, Notify()));
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text, "Frame has invalid format");
  EXPECT_EQ(Sub()->GetState(), kSubReady);
  // No video in the range: the rest of the project plays without it.
  EXPECT_FALSE(TheVideoPlayer->Play(mixed.First(), 600, 800, FilmList, Notify()));
  EXPECT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(TheVideoPlayer->BaseFrame(), 15);
  // Without a sub-player nothing is tried.
  TheVideoPlayer->SetOptions(25.0f, true, 16, true, true, 0);
  EXPECT_EQ(Sub(), nullptr);
  EXPECT_FALSE(TheVideoPlayer->Play(mixed.First(), 0, 200, FilmList, Notify()));
  EXPECT_EQ(boxes_.shown.size(), 1u);
  TheVideoPlayer->SetOptions(25.0f, true, 16, true, true, 1);
  EXPECT_NE(Sub(), nullptr);
}

TEST_F(VideoPlayerTest, OptionsKeepTheSubPlayerUnlessTheDrawTypeOrTheRateChanges) {
  Use(MakeFile("a.avi", 320, 240));
  SubVideoPlayer* first = Sub();
  ASSERT_NE(first, nullptr);
  HWND w = *Avi()->Preview();
  EXPECT_TRUE(GetWindowLong(w, GWL_EXSTYLE) & WS_EX_TOPMOST);

  EXPECT_EQ(TheVideoPlayer->SetOptions(25.0f, true, 8, false, true, 1), 0);
  EXPECT_EQ(Sub(), first);
  RECT r;
  GetClientRect(w, &r);
  EXPECT_EQ(r.right, 160);
  EXPECT_FALSE(GetWindowLong(w, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(hooks_.rates.empty());

  // Another rate goes to the application, whose answer comes back; the
  // project's rate did not change here, so the sub-player stays.
  const int remade = hooks_.zoomChanges;
  EXPECT_EQ(TheVideoPlayer->SetOptions(30.0f, true, 16, true, true, 1), 77);
  EXPECT_EQ(hooks_.rates, std::vector<float>{30.0f});
  EXPECT_EQ(hooks_.zoomChanges, remade);

  // Decoding and drawing here is what this player does already.
  TheVideoPlayer->SetOptions(25.0f, true, 16, true, true, 4);
  EXPECT_EQ(Sub(), first);
  EXPECT_EQ(hooks_.zoomChanges, remade);
  // No installed codec draws this format by itself: the picture is still
  // decoded and drawn by the player.
  TheVideoPlayer->SetOptions(25.0f, true, 16, true, true, 2);
  EXPECT_NE(dynamic_cast<AVIHandPlayer*>(Sub()), nullptr);
  // None: no sub-player, and the time-line lays out anew.
  TheVideoPlayer->SetOptions(25.0f, true, 16, true, true, 0);
  EXPECT_EQ(Sub(), nullptr);
  EXPECT_EQ(hooks_.zoomChanges, remade + 1);
  TheVideoPlayer->SetOptions(25.0f, true, 16, true, true, 1);
  EXPECT_NE(dynamic_cast<AVIHandPlayer*>(Sub()), nullptr);
}

}  // namespace
}  // namespace playertest
