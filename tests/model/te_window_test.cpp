#include "model/te_window.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "film_fakes.h"
#include "platform/gui/gui.h"
#include "platform/gui/gui_driver.h"

namespace {

using namespace filmtest;

HWND TopWindow(DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE, HWND owner = nullptr) {
  return CreateWindowEx(0, "Static", "", style, 50, 50, 300, 200, owner, nullptr, nullptr, nullptr);
}

TEST(WindowRoutines, PlaceAndSize) {
  TWindow w(nullptr, "placed");
  w.Attr.Style = WS_OVERLAPPEDWINDOW;
  w.Attr.X = 40;
  w.Attr.Y = 30;
  w.Attr.W = 300;
  w.Attr.H = 200;
  ASSERT_TRUE(w.Create());
  MoveWindowTo(&w, 100, 120);
  EXPECT_EQ(w.GetWindowRect(), TRect(100, 120, 400, 320));
  MoveWindowBy(&w, 5, -10);  // from the creation position
  EXPECT_EQ(w.GetWindowRect(), TRect(45, 20, 345, 220));
  ResizeWindow(&w, 250, 150);
  EXPECT_EQ(w.GetWindowRect(), TRect(45, 20, 295, 170));
  // Nothing happens for a null window.
  MoveWindowTo(nullptr, 1, 1);
  MoveWindowBy(nullptr, 1, 1);
  ResizeWindow(nullptr, 1, 1);
  SizeForClient(nullptr, 1, 1);

  struct Case {
    DWORD style;
    int w, h;
  };
  const int fx = GetSystemMetrics(SM_CXFRAME), fy = GetSystemMetrics(SM_CYFRAME);
  const int bx = GetSystemMetrics(SM_CXBORDER), by = GetSystemMetrics(SM_CYBORDER);
  const int cap = GetSystemMetrics(SM_CYCAPTION);
  const Case cases[] = {
      {WS_OVERLAPPEDWINDOW, 320 + 2 * fx, 240 + 2 * fy + cap},
      {WS_POPUP | WS_THICKFRAME, 320 + 2 * fx, 240 + 2 * fy},
      {WS_POPUP | WS_CAPTION, 320 + 2 * bx, 240 + 2 * by + cap},
      {WS_POPUP | WS_BORDER, 320 + 2 * bx, 240 + 2 * by},
      {WS_POPUP, 320, 240},
  };
  for (const Case& c : cases) {
    TWindow s(nullptr);
    s.Attr.Style = c.style;
    SizeForClient(&s, 320, 240);
    EXPECT_EQ(s.Attr.W, c.w) << std::hex << c.style;
    EXPECT_EQ(s.Attr.H, c.h) << std::hex << c.style;
  }
}

TEST(WindowRoutines, TEWindowPaintsItsWholeAreaAndReportsItsEarlierState) {
  TEWindow w(nullptr, "tiles");
  w.Attr.Style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
  ASSERT_TRUE(w.Create());
  char cls[32];
  GetClassName(w, cls, sizeof cls);
  EXPECT_STREQ(cls, "TEWindow");
  EXPECT_EQ(GetClassLongPtr(w, GCLP_HBRBACKGROUND), 0u);
  EXPECT_FALSE(w.EnableWindow(false));  // it was enabled
  EXPECT_FALSE(IsWindowEnabled(w));
  EXPECT_TRUE(w.EnableWindow(false));  // now it was disabled
  EXPECT_TRUE(w.EnableWindow(true));
  EXPECT_TRUE(IsWindowEnabled(w));
}

TEST(WindowRoutines, MinimizeOtherWindowsAndRestoreThem) {
  HWND a = TopWindow(), b = TopWindow(), except = TopWindow();
  HWND hidden = TopWindow(WS_OVERLAPPEDWINDOW);
  HWND disabled = TopWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_DISABLED);
  HWND already = TopWindow();
  ShowWindow(already, SW_MINIMIZE);
  MinimizeOtherWindows(except);
  EXPECT_TRUE(IsIconic(a));
  EXPECT_TRUE(IsIconic(b));
  EXPECT_FALSE(IsIconic(except));
  EXPECT_FALSE(IsIconic(hidden));
  EXPECT_FALSE(IsIconic(disabled));
  // A second call forgets the first one's windows without restoring them.
  ShowWindow(b, SW_RESTORE);
  MinimizeOtherWindows(except);
  RestoreOtherWindows();
  EXPECT_TRUE(IsIconic(a));
  EXPECT_FALSE(IsIconic(b));
  EXPECT_TRUE(IsIconic(already));
  for (HWND h : {a, b, except, hidden, disabled, already}) DestroyWindow(h);
}

// The media side of a release, scripted.
class FakeReleaseMedia : public FileReleaseMedia {
 public:
  FakeReleaseMedia() { old_ = SetFileReleaseMedia(this); }
  ~FakeReleaseMedia() override { SetFileReleaseMedia(old_); }
  bool CloseVideoHandles(VideoSource*) override {
    log.push_back("close video");
    return closes;
  }
  void ReopenVideoHandles(VideoSource*) override { log.push_back("reopen video"); }
  bool CloseAudioFile(AudioSource*) override {
    log.push_back("close audio");
    busy_seen = IsReleaseBusy();
    return closes;
  }
  void ReopenAudioFile(AudioSource*) override { log.push_back("reopen audio"); }
  bool IsUnchanged(VideoSource*) override { return !changed; }
  bool IsUnchanged(AudioSource*) override {
    if (during_check) during_check();
    return !changed;
  }
  bool IsUnchanged(MidiSource*) override { return !changed; }
  void CloseVideoSubPlayer() override { log.push_back("sub-player"); }

  std::vector<std::string> log;
  bool closes = true;
  bool changed = false;
  bool busy_seen = false;
  std::function<void()> during_check;

 private:
  FileReleaseMedia* old_;
};

class ReleaseTest : public FilmTest {
 protected:
  void SetUp() override {
    FilmTest::SetUp();
    frame_ = TopWindow();
    ShowWindow(frame_, SW_MAXIMIZE);
    other_ = TopWindow();
  }
  void TearDown() override {
    ReacquireFiles(nullptr, false);
    DestroyWindow(frame_);
    DestroyWindow(other_);
    FilmTest::TearDown();
  }
  HWND frame_ = nullptr, other_ = nullptr;
  FakeReleaseMedia release_;
};

TEST_F(ReleaseTest, AToolGetsTheFileAndTheWindowsComeBackAsTheyWere) {
  FakeAudio* song = Audio("/media/song.wav", 10000);
  ReleaseFileForTool(frame_, "/media/song.wav");
  EXPECT_STREQ(ReleasedFileName(), "/media/song.wav");
  EXPECT_EQ(ReleasedFileFlags(), kReleasedAudio | kReleasedSourceOpen);
  EXPECT_TRUE(release_.busy_seen);
  EXPECT_FALSE(IsReleaseBusy());
  EXPECT_TRUE(IsIconic(frame_));
  EXPECT_TRUE(IsIconic(other_));
  EXPECT_EQ(release_.log, (std::vector<std::string>{"close audio", "sub-player"}));
  // The tool left the file as it was: reopened, nothing reloaded.
  EXPECT_FALSE(ReacquireFiles(frame_, true));
  EXPECT_EQ(release_.log.back(), "reopen audio");
  EXPECT_TRUE(IsZoomed(frame_));  // maximised again
  EXPECT_FALSE(IsIconic(other_));
  EXPECT_STREQ(ReleasedFileName(), "");
  EXPECT_EQ(ReleasedFileFlags(), 0u);
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(song->reloads, 0);
}

TEST_F(ReleaseTest, AFileTheToolRewroteIsOfferedForReloading) {
  FakeAudio* song = Audio("/media/song.wav", 10000);
  FakeClip clip(nullptr, song, nullptr, 0, 4000, 4000);
  Film::Link(new Film(clip, 0, kKindAudio, 0, 0), FilmList);
  ReleaseFileForTool(frame_, "/media/song.wav");
  release_.changed = true;
  EXPECT_TRUE(ReacquireFiles(frame_, true));
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_NE(boxes.boxes[0].text.find("song.wav"), std::string::npos);
  EXPECT_EQ(song->reloads, 1);
}

TEST_F(ReleaseTest, AFileTheProgramDoesNotHoldIsLeftAlone) {
  ReleaseFileForTool(frame_, "/media/other.avi");
  EXPECT_EQ(ReleasedFileFlags(), 0u);
  EXPECT_FALSE(IsIconic(frame_));
  EXPECT_TRUE(release_.log.empty());
  // An empty path releases nothing but minimises the windows for the tool.
  ReleaseFileForTool(frame_, "");
  EXPECT_STREQ(ReleasedFileName(), "");
  EXPECT_TRUE(IsIconic(frame_));
  EXPECT_EQ(release_.log, std::vector<std::string>{"sub-player"});
  ReacquireFiles(frame_, false);
  EXPECT_TRUE(IsZoomed(frame_));
}

TEST_F(ReleaseTest, ReleaseFileClosesWithoutMinimisingAndANewReleaseReacquiresTheOldOne) {
  Video("/media/clip.avi", 100);
  Audio("/media/song.wav", 10000);
  ReleaseFile(frame_, "/media/clip.avi");
  EXPECT_EQ(ReleasedFileFlags(), kReleasedVideo | kReleasedSourceOpen);
  EXPECT_FALSE(IsIconic(frame_));
  EXPECT_EQ(release_.log, std::vector<std::string>{"close video"});
  ReleaseFile(frame_, "/media/song.wav");
  EXPECT_EQ(release_.log, (std::vector<std::string>{"close video", "reopen video", "close audio"}));
  EXPECT_STREQ(ReleasedFileName(), "/media/song.wav");
  // A source whose handles could not be closed is still marked open.
  release_.closes = false;
  ReleaseFile(frame_, "/media/clip.avi");
  EXPECT_EQ(ReleasedFileFlags(), kReleasedSourceOpen);
}

TEST_F(ReleaseTest, AReacquireDuringAReacquireDoesNothing) {
  Audio("/media/song.wav", 10000);
  ReleaseFileForTool(frame_, "/media/song.wav");
  bool inner = true;
  release_.during_check = [&] { inner = ReacquireFiles(frame_, true); };
  EXPECT_FALSE(ReacquireFiles(frame_, true));
  EXPECT_FALSE(inner);
  EXPECT_EQ(std::count(release_.log.begin(), release_.log.end(), "reopen audio"), 1);
}

}  // namespace
