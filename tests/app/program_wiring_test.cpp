// What the program's start-up connects, seen through the program as it runs:
// the settings its frames keep for the dialogs, the add request of the clip
// chooser, the preview window's notices, recorded files' summary and the
// peer's request that closes everything.
#include <cstring>

#include "program_fixture.h"

#include "app/clip_frame.h"
#include "audio/audio_recorder.h"
#include "clips/clip_collection.h"
#include "clips/summary_info.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/ini.h"
#include "platform/audio/virtual_audio.h"
#include "platform/gui/gui.h"
#include "platform/gui/gui_driver.h"
#include "resources/frame_ids.h"
#include "resources/timeline_ids.h"
#include "ui/clip_open_dialog.h"
#include "ui/dialog_script.h"
#include "ui/level_control.h"
#include "video/player.h"

namespace apptest {
namespace {

class Wiring : public ProgramTest {
 protected:
  Film* FirstVideoClip() {
    for (Film* f = FilmList.First(); f != nullptr; f = f->next)
      if (f->video != nullptr) return f;
    return nullptr;
  }
};

TEST_F(Wiring, AMetersRangeChosenFromItsMenuIsSavedWithTheSettings) {
  IniSetSection("AUDIO_METER");
  IniWriteString("MAX_PICK_DB", "24.000");
  IniSetSection("TIMELINE");
  IniWriteInt("SHOW_AUDIO_METER", 1);
  IniFlush();
  Start();
  EXPECT_EQ(TLevelControl::Settings().maxPickDb, 24.0f);
  HWND mixer = FindWindow(nullptr, "A.Meter");
  ASSERT_NE(mixer, nullptr);
  HWND meter = FindWindowEx(mixer, nullptr, "TLevel", nullptr);
  ASSERT_NE(meter, nullptr);
  // Clear peak, Peak hold, then the four ranges: the last is -96 dB.
  dialogtest::ModalScript script({[](HWND) {
    for (int i = 0; i < 6; ++i) GuiPressKey(VK_DOWN);
    GuiPressKey(VK_RETURN);
  }});
  GuiClick(meter, 3, 10, 1);
  Pump();
  EXPECT_EQ(script.shown, 1);
  EXPECT_EQ(TLevelControl::Settings().maxPickDb, 96.0f);
  Stop();
  IniSetSection("AUDIO_METER");
  EXPECT_STREQ(IniReadString("MAX_PICK_DB", ""), "96.000");
}

TEST_F(Wiring, TheClipChoosersAutoPreviewIsTheOneTheFrameKeeps) {
  IniSetSection("MAIN_WINDOW");
  IniWriteInt("AUTO_PREVIEW", 1);
  IniFlush();
  Start();
  EXPECT_TRUE(AutoPreview());
  // The chooser stores an unticked box.
  AutoPreview() = false;
  Stop();
  IniSetSection("MAIN_WINDOW");
  EXPECT_EQ(IniReadInt("AUTO_PREVIEW", -1), 0);
}

TEST_F(Wiring, ClipPropertiesMoveAnInPointOffAKeyFrameToTheNearestOne) {
  if (!HaveTool("ffmpeg")) GTEST_SKIP() << "ffmpeg makes the film";
  // A key frame every ten frames.
  ASSERT_TRUE(Shell("ffmpeg -v error -f lavfi -i testsrc=size=160x120:rate=25 -t 2 -c:v mpeg4 -g 10 -bf 0 "
                    "-vtag XVID '" + File("gop.avi") + "'"));
  // The dialog shows no frames: this is about the in point alone.
  IniSetSection("TIMELINE");
  IniWriteInt("PREVIEW_VIDEO", 0);
  IniFlush();
  Start();
  char path[MAX_PATH];
  std::snprintf(path, sizeof path, "%s", File("gop.avi").c_str());
  TimeLine().AddFile(path, 0);
  Pump();
  Film* film = FirstVideoClip();
  ASSERT_NE(film, nullptr);
  // In at frame 3, with no room before the clip: the in point can only move on.
  film->end -= 120;
  film->in = 120;
  boxes_->shown.clear();

  bool openAfterFirstOk = false;
  dialogtest::ModalScript script({[&](HWND d) {
    dialogtest::Click(d, IDOK);
    openAfterFirstOk = IsWindowVisible(d);
    dialogtest::Click(d, IDOK);
  }});
  TimeLine().Engine().EditClipProperties(film);
  Pump();
  EXPECT_TRUE(openAfterFirstOk);
  ASSERT_EQ(boxes_->shown.size(), 1u);
  EXPECT_EQ(boxes_->shown[0].text, "Align current time to the nearest frame");
  ASSERT_NE(FirstVideoClip(), nullptr);
  EXPECT_EQ(FirstVideoClip()->in, 400);
}

TEST_F(Wiring, TheFramesClipChooserAddsToTheClipCollection) {
  WriteTone(File("tone.wav"), 200);
  Start();
  App().ShowClipCollection(false);
  Pump();
  ASSERT_NE(App().ClipFrame(), nullptr);
  ClipCollection* collection = App().ClipFrame()->Collection();
  ASSERT_NE(collection, nullptr);
  const int before = collection->TileCount();

  Frame().SendMessage(WM_COMMAND, kCmAddSourceFile, 0);
  ASSERT_EQ(chooser_->calls.size(), 1u);
  HWND target = chooser_->calls[0].addTarget;
  ASSERT_NE(target, nullptr) << "the chooser offers no Add";
  // What the chooser's Add sends.
  const std::string tone = File("tone.wav");
  EXPECT_EQ(::SendMessage(target, kAddFileRequest, 0, reinterpret_cast<LPARAM>(tone.c_str())), 1);
  Pump();
  EXPECT_EQ(collection->TileCount(), before + 1);
}

TEST_F(Wiring, ThePreviewWindowsSettingsItemOpensTheVideoPage) {
  if (!HaveTool("ffmpeg")) GTEST_SKIP() << "ffmpeg makes the film";
  ASSERT_TRUE(Shell("ffmpeg -v error -f lavfi -i testsrc=size=160x120:rate=25 -t 1 -c:v mjpeg -q:v 5 '" +
                    File("clip.avi") + "'"));
  Start();
  char path[MAX_PATH];
  std::snprintf(path, sizeof path, "%s", File("clip.avi").c_str());
  TimeLine().AddFile(path, 0);
  Pump();
  // The picture at the cursor comes up in the preview window.
  TimeLine().SendMessage(WM_USER + 99, 11, 0);
  Pump();
  HWND preview = FindWindow("TEPreviewWindow", nullptr);
  ASSERT_NE(preview, nullptr);

  std::vector<std::string> sheets;
  dialogtest::ModalScript script({[&](HWND sheet) { sheets.push_back(dialogtest::Text(sheet)); }});
  ::SendMessage(preview, WM_SYSCOMMAND, kCmSettings, 0);
  Pump();
  ASSERT_EQ(sheets.size(), 1u) << "no settings came up";
  IniSetSection("MAIN_WINDOW");
  EXPECT_EQ(IniReadInt("START_PAGE", -1), 2);
}

TEST_F(Wiring, RecordedFilesCarryTheProjectSummaryUnlessItIsKeptOut) {
  struct Case {
    bool dontSave;
    bool info;
  };
  for (const Case c : {Case{false, true}, Case{true, false}}) {
    SCOPED_TRACE(c.dontSave ? "DONT_SAVE" : "saved");
    IniSetSection("SUMMARY");
    IniWriteInt("DONT_SAVE", c.dontSave ? 1 : 0);
    IniWriteString("Artist", "Ada Lovelace");
    IniSetSection("Recorder");
    IniWriteInt("Wait", 0);
    IniWriteInt("Synchronize", 0);
    IniFlush();
    VirtualAudio::Reset({VirtualDeviceSpec{}}, {VirtualDeviceSpec{}});
    Start();
    const std::string take = File(c.dontSave ? "plain.wav" : "summary.wav");
    HWND recorder = RecordInto(take);
    ASSERT_NE(recorder, nullptr);
    VirtualAudio::Advance(200);
    Pump();
    ::SendMessage(recorder, WM_COMMAND, 1486, 0);  // stop
    Pump();
    ::SendMessage(recorder, WM_COMMAND, IDOK, 0);
    Pump();
    EXPECT_EQ(TheAudioRecorder->Dialog(), nullptr) << "the time-line did not take the recording";

    const std::string bytes = ReadFile(take);
    EXPECT_NE(bytes.find("data"), std::string::npos);
    EXPECT_EQ(bytes.find("LIST") != std::string::npos, c.info);
    EXPECT_EQ(bytes.find("IART") != std::string::npos, c.info);
    EXPECT_EQ(bytes.find("Ada Lovelace") != std::string::npos, c.info);
    delete TheAudioRecorder;
    TheAudioRecorder = nullptr;
    Stop();
  }
}

TEST_F(Wiring, APeersCloseEverythingLeavesBothFramesMinimised) {
  Start();
  App().ShowClipCollection(false);
  Pump();
  ASSERT_NE(App().ClipFrame(), nullptr);
  Frame().SendMessage(kFrameRequestMessage, kFrameRequestCloseAll, 0);
  Pump();
  EXPECT_TRUE(IsIconic(Frame().GetHandle()));
  EXPECT_TRUE(IsIconic(App().ClipFrame()->GetHandle()));
}

}  // namespace
}  // namespace apptest
