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
