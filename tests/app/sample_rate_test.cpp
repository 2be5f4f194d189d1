// The project's sample rate through the program: the settings show the rate
// it has, a rate the engine cannot run is refused before anything is
// cleared, and a clip whose sound does not fit the project says so when it
// is dropped.
#include <string>

#include "program_fixture.h"

#include "app/clip_frame.h"
#include "audio/audio_player.h"
#include "clips/clip_collection.h"
#include "clips/clip_window.h"
#include "model/film.h"
#include "model/film_list.h"
#include "resources/collection_ids.h"
#include "resources/settings_dialog_ids.h"
#include "resources/timeline_ids.h"
#include "support/sheet_tabs.h"
#include "timeline/lines/audio_lines.h"
#include "timeline/lines/video_line.h"
#include "ui/dialog_script.h"

namespace apptest {
namespace {

class SampleRates : public ProgramTest {
 protected:
  // The collection's tile of a file added to it, selected as a click does.
  ClipData& CollectionClip(const std::string& path) {
    App().ShowClipCollection(false);
    Pump();
    ClipCollection& collection = *App().ClipFrame()->Collection();
    EXPECT_TRUE(collection.AddFile(path.c_str(), -1, 0));
    for (int i = 0; i < collection.TileCount(); ++i) {
      if (path != collection.Tile(i)->clip.path) continue;
      collection.SetSelection(i);
      return collection.Tile(i)->clip;
    }
    ADD_FAILURE() << path << " has no tile";
    return collection.Tile(0)->clip;
  }
  // Drops the clip as the collection does at the release of a drag, over
  // the top line of the window at x.
  int32_t Drop(ClipData& clip, TWindow* line, int x) {
    RECT lines = line->GetWindowRect();
    const int32_t placed = TimeLine().DropCollectionClip(lines.left + x, lines.top + 8, &clip);
    Pump();
    return placed;
  }
  int CountFilms(bool withVideo, bool withSound) {
    int n = 0;
    for (Film* f = FilmList.First(); f; f = f->next)
      n += (f->video != nullptr) == withVideo && (f->audio != nullptr) == withSound;
    return n;
  }
};

TEST_F(SampleRates, TheSettingsShowTheProjectsRateAndOkKeepsItsClips) {
  Start();
  WriteTone(File("48k.wav"), 1000, 440, 48000);
  MakeProject(File("p.tml"), {File("48k.wav")});
  ASSERT_EQ(OutputFormat.nSamplesPerSec, 48000u);
  ASSERT_EQ(FilmList.Count(), 1);
  std::string shown;
  dialogtest::ModalScript script({[&](HWND sheet) {
    SendMessage(sheet, PSM_SETCURSEL, static_cast<WPARAM>(SheetTabIndex(sheet, "Audio")), 0);
    dialogtest::Pump(sheet);
    HWND page = reinterpret_cast<HWND>(SendMessage(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    shown = dialogtest::ComboText(page, kAudioFormat);
    dialogtest::Click(sheet, IDOK);
  }});
  Frame().SendMessage(WM_COMMAND, kCmSettings, 0);
  Pump();
  EXPECT_EQ(script.shown, 1);
  EXPECT_EQ(shown, "48000/16 bit/stereo");
  for (const RecordingBoxes::Box& box : boxes_->shown) EXPECT_NE(box.text, "Clear audio tracks?");
  EXPECT_EQ(FilmList.Count(), 1);
  EXPECT_EQ(OutputFormat.nSamplesPerSec, 48000u);
}

// The collection's Options take a clip's format for the project: one the
// engine cannot run is refused with its message, and no clip is cleared
// for it, even when the user would agree to clear them.
TEST_F(SampleRates, ARateTheEngineCannotRunIsRefusedBeforeAnyClipIsCleared) {
  Start();
  WriteTone(File("tone.wav"), 1000);
  WriteTone(File("slow.wav"), 1000, 440, 4000);
  MakeProject(File("p.tml"), {File("tone.wav")});
  ASSERT_EQ(FilmList.Count(), 1);
  CollectionClip(File("slow.wav"));
  boxes_->answer = IDYES;
  boxes_->shown.clear();
  App().ClipFrame()->Collection()->SendMessage(WM_COMMAND, kCmAudioParamsFromClip, 0);
  Pump();
  ASSERT_EQ(boxes_->shown.size(), 1u);
  EXPECT_EQ(boxes_->shown[0].caption, "Set Audio Parameters");
  EXPECT_EQ(boxes_->shown[0].text, "This version of Kobrix can not work with selected audio parameters!");
  EXPECT_EQ(FilmList.Count(), 1);
  EXPECT_EQ(OutputFormat.nSamplesPerSec, 44100u);
}

// A clip whose sound has another rate than the project's is not placed, or
// placed without its sound, with a message that says why.
TEST_F(SampleRates, ADroppedClipWhoseSoundDoesNotFitSaysSo) {
  Start();
  WriteTone(File("48k.wav"), 1000, 440, 48000);
  WriteTone(File("44k.wav"), 1000);
  MakeProject(File("p.tml"), {File("48k.wav")});
  ASSERT_EQ(OutputFormat.nSamplesPerSec, 48000u);
  ClipData& clip = CollectionClip(File("44k.wav"));
  boxes_->shown.clear();
  EXPECT_EQ(Drop(clip, TimeLine().AudioLines(), 300), 0);
  EXPECT_EQ(FilmList.Count(), 1);
  ASSERT_EQ(boxes_->shown.size(), 1u);
  EXPECT_EQ(boxes_->shown[0].text, "Clip '" + File("44k.wav") + "' has inappropriate AUDIO parameters");

  // A picture with its sound: the picture goes, the sound is named.
  if (!HaveTool("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
  ASSERT_TRUE(
      Shell("ffmpeg -v error -f lavfi -i testsrc=size=160x120:rate=25 -f lavfi -i "
            "sine=frequency=440:sample_rate=44100 -t 1 -c:v mjpeg -c:a pcm_s16le '" +
            File("clip.avi") + "'"));
  ClipData& avi = CollectionClip(File("clip.avi"));
  boxes_->shown.clear();
  EXPECT_EQ(Drop(avi, TimeLine().VideoLine(), 600), kKindVideo);
  EXPECT_EQ(CountFilms(true, false), 1);
  ASSERT_EQ(boxes_->shown.size(), 1u);
  EXPECT_EQ(boxes_->shown[0].text, "Clip '" + File("clip.avi") + "' has inappropriate AUDIO parameters");
}

}  // namespace
}  // namespace apptest
