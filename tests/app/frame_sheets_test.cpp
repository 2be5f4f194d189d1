// The frame's Settings and Synchronization commands open their sheets.
#include "program_fixture.h"

#include "resources/frame_ids.h"
#include "resources/timeline_ids.h"
#include "ui/dialog_script.h"

namespace apptest {
namespace {

class FrameSheets : public ProgramTest {};

TEST_F(FrameSheets, SettingsAndSynchronizationOpenAndCancel) {
  Start();
  for (const auto& [command, caption] :
       std::vector<std::pair<int, std::string>>{{kCmSettings, "Settings"}, {kCmSynchronization, "Synchronization"}}) {
    std::string shown;
    dialogtest::ModalScript script({[&](HWND sheet) {
      shown = dialogtest::Text(sheet);
      PostMessage(sheet, WM_COMMAND, IDCANCEL, 0);
    }});
    Frame().SendMessage(WM_COMMAND, static_cast<WPARAM>(command), 0);
    Pump();
    EXPECT_EQ(script.shown, 1) << caption;
    EXPECT_EQ(shown, caption);
    EXPECT_TRUE(Frame().IsWindow());
  }
}

}  // namespace
}  // namespace apptest

#include "audio/audio_player.h"

namespace apptest {
namespace {

TEST_F(FrameSheets, TheMixerWindowComesUpThroughTheProgramsFactory) {
  // The time-line shows its audio meter (the mixer window) from the start
  // unless the settings say otherwise.
  Start();
  ASSERT_TRUE(TimeLine().Settings().audioMeterShown);
  EXPECT_NE(TheAudioPlayer->NotifyMixer(0, 0), 0);
  TheAudioPlayer->CloseMixer();
  Pump();
  EXPECT_EQ(TheAudioPlayer->NotifyMixer(0, 0), 0);
}

}  // namespace
}  // namespace apptest

#include "media/video_bitmap.h"

namespace apptest {
namespace {

TEST_F(FrameSheets, TheProgramHasTheSharedPicturesItsTilesAndLinesDrawWith) {
  // Without them the tiles, the video line and the line headers stay blank.
  Start();
  ASSERT_TRUE(TEBitmapInit::Exists());
  for (int id : {1011, 1012, 1013, 1014}) EXPECT_NE(TEBitmapInit::StockBitmap(id), nullptr) << id;
}

}  // namespace
}  // namespace apptest

#include "model/undo_history.h"

namespace apptest {
namespace {

// A project of the program's own default format: the sheet's every page
// opened and OK changes nothing, so the undo history stays.
TEST_F(FrameSheets, SettingsOpenedAndOkKeepTheUndoHistory) {
  WriteTone(File("tone.wav"), 500);
  Start();
  MakeProject(File("p.tml"), {File("tone.wav")});
  ASSERT_TRUE(UndoScript::CanUndo());
  dialogtest::ModalScript script({[&](HWND sheet) {
    HWND tab = GetDlgItem(sheet, kPropertySheetTabId);
    const int pages = static_cast<int>(SendMessage(tab, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < pages; ++i) SendMessage(sheet, PSM_SETCURSEL, static_cast<WPARAM>(i), 0);
    SendMessage(sheet, WM_COMMAND, IDOK, 0);
  }});
  Frame().SendMessage(WM_COMMAND, kCmSettings, 0);
  Pump();
  EXPECT_EQ(script.shown, 1);
  EXPECT_TRUE(UndoScript::CanUndo());
}

}  // namespace
}  // namespace apptest
