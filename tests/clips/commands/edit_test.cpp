// The clipboard from the collection's side, previews of a clip, a clip's
// property sheet, the tiles' font and colour, and the project's parameters
// taken from a clip.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "audio/audio_player.h"
#include "commands_fixture.h"
#include "platform/audio/virtual_audio.h"
#include "platform/gui/common_dialogs/colour_font_util.h"
#include "support/file_bytes.h"
#include "ui/file_chooser_script.h"
#include "ui/question_dialogs.h"

namespace cliptest {
namespace {

struct Span {
  int32_t start, end;
  bool video, audio;
  bool operator==(const Span&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Span& s) {
  return os << "{" << s.start << ".." << s.end << (s.video ? " video" : "") << (s.audio ? " audio" : "")
            << "}";
}

std::vector<Span> Clipboard() {
  std::vector<Span> spans;
  for (const Film* f = ClipClipboard.First(); f != nullptr; f = f->next)
    spans.push_back({f->start, f->end, f->video != nullptr, f->audio != nullptr});
  return spans;
}

bool NeedsPaint(HWND window) {
  RECT r;
  return GetUpdateRect(window, &r, FALSE) != 0;
}

using EditTest = ClipCommandsTest;

TEST_F(EditTest, CopyAndAddBuildTheClipboardsSequence) {
  OpenBoth();
  // Without a selected tile the clipboard stays as it is.
  ClipWindow* first = Add(Wave("first.wav", 300));
  Command(kCmCollectionCopy);
  collection_->DeleteClip(collection_->IndexOf(first), false);
  ASSERT_EQ(collection_->GetSelection(), -1);
  EXPECT_FALSE(Enabled(kCmCollectionCopy));
  EXPECT_FALSE(Enabled(kCmCollectionAdd));
  Command(kCmCollectionCopy);
  Command(kCmCollectionAdd);
  EXPECT_EQ(Clipboard(), (std::vector<Span>{{0, 300, false, true}}));

  // Copy starts the sequence again; each Add puts a sound after the sounds.
  std::vector<ClipWindow*> sounds;
  for (int ms : {300, 500, 700}) sounds.push_back(Add(Wave("s" + std::to_string(ms) + ".wav", ms)));
  ClipWindow* picture = Add(Avi("picture.avi", 10, 25.0, false));
  collection_->SetModified(false);
  collection_->SetSelection(collection_->IndexOf(sounds[0]));
  Command(kCmCollectionCopy);
  for (size_t i : {1u, 2u}) {
    collection_->SetSelection(collection_->IndexOf(sounds[i]));
    Command(kCmCollectionAdd);
  }
  EXPECT_EQ(Clipboard(),
            (std::vector<Span>{{0, 300, false, true}, {300, 800, false, true}, {800, 1500, false, true}}));

  // A sound shares no line with a picture: after a picture alone it starts at 0.
  collection_->SetSelection(collection_->IndexOf(picture));
  Command(kCmCollectionCopy);
  collection_->SetSelection(collection_->IndexOf(sounds[0]));
  Command(kCmCollectionAdd);
  EXPECT_EQ(Clipboard(), (std::vector<Span>{{0, 300, false, true}, {0, 400, true, false}}));
  EXPECT_FALSE(collection_->IsModified());
}

TEST_F(EditTest, PasteAddsEveryClipboardItemAndAsksOnceForABatch) {
  OpenBoth();
  filetest::ScriptedRunner runner;
  EXPECT_FALSE(Enabled(kCmCollectionPaste));
  Command(kCmCollectionPaste);
  EXPECT_TRUE(runner.views.empty());
  EXPECT_EQ(collection_->TileCount(), 0);

  ClipWindow* a = Add(Wave("a.wav", 300));
  ClipWindow* b = Add(Wave("b.wav", 300));
  collection_->SetSelection(0);
  Command(kCmCollectionCopy);
  collection_->SetSelection(1);
  Command(kCmCollectionAdd);
  ASSERT_EQ(ClipClipboard.Count(), 2);
  EXPECT_TRUE(Enabled(kCmCollectionPaste));

  // Both are in the collection already: "Add all" at the first question.
  runner.answers.push_back({kIdAddAll, -1});
  Command(kCmCollectionPaste);
  EXPECT_EQ(runner.views.size(), 1u);
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b", "a", "b"}));
  EXPECT_EQ(collection_->Tile(2)->clip.audio, a->clip.audio);
  EXPECT_EQ(collection_->Tile(3)->clip.audio, b->clip.audio);

  runner.answers.push_back({kIdSkipAll, -1});
  Command(kCmCollectionPaste);
  EXPECT_EQ(runner.views.size(), 2u);
  EXPECT_EQ(collection_->TileCount(), 4);
}

class PreviewTest : public ClipCommandsTest {
 protected:
  void SetUp() override {
    ClipCommandsTest::SetUp();
    VirtualAudio::Reset();
    engine_ = std::make_unique<AudioPlayer>();
    float delay = 1.0f, preview = 0.1f, maxPreview = 1.0f;
    ASSERT_EQ(engine_->Configure(44100, 2, 2, 4, 16, 4, delay, preview, maxPreview), 0);
    TheAudioPlayer = engine_.get();
  }
  void TearDown() override {
    if (engine_ != nullptr) engine_->StopOut();
    CloseBoth();
    TheAudioPlayer = nullptr;
    engine_.reset();
    ClipCommandsTest::TearDown();
  }
  // The device's clock on until it closes, and the engine done with it.
  void Drain() {
    for (int i = 0; i < 2000 && VirtualAudio::IsOpen(0); ++i) {
      VirtualAudio::Advance(20);
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    // A guard against a hang: the thread ends once the device has closed.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (engine_->HasCommandThread() && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  std::unique_ptr<AudioPlayer> engine_;
};

TEST_F(PreviewTest, PlayPreviewsASoundFromInToOutAndPlayAgainStopsIt) {
  OpenBoth();
  const std::string path = Wave("take.wav", 1000);
  ClipWindow* tile = Add(path);
  tile->clip.inTime = 250;
  tile->clip.outTime = 750;
  EXPECT_TRUE(Enabled(kCmCollectionPlay));
  EXPECT_FALSE(Enabled(kCmCollectionStop));

  Command(kCmCollectionPlay);
  EXPECT_EQ(engine_->GetState(), AudioPlayer::kPlayingSource);
  EXPECT_FALSE(Enabled(kCmCollectionPlay));
  EXPECT_TRUE(Enabled(kCmCollectionStop));
  Drain();
  // The file's samples, 16-bit stereo at 44100 Hz, from 250 to 750 ms.
  const Bytes file = ReadFileBytes(path);
  const size_t data = 44, first = 11025 * 4, count = 22050 * 4;
  ASSERT_GE(file.size(), data + first + count);
  EXPECT_EQ(VirtualAudio::Played(0), Bytes(file.begin() + data + first, file.begin() + data + first + count));

  Command(kCmCollectionPlay);
  ASSERT_EQ(engine_->GetState(), AudioPlayer::kPlayingSource);
  Command(kCmCollectionPlay);
  EXPECT_NE(engine_->GetState(), AudioPlayer::kPlayingSource);
  EXPECT_TRUE(Films().empty());
}

TEST_F(PreviewTest, OtherClipsPlayOnTheTimeLineAndPlayWhileTheProjectPlaysOnlyStopsIt) {
  OpenBoth();
  const std::string midiPath = Media("theme.mid");
  WriteMidi(midiPath);
  ClipWindow* midi = Add(midiPath);
  ClipWindow* sound = Add(Wave("take.wav", 1000));

  collection_->SetSelection(collection_->IndexOf(midi));
  Command(kCmCollectionPlay);
  EXPECT_TRUE(Engine().playing);
  ASSERT_NE(Engine().play.heldFilm, nullptr);
  EXPECT_EQ(Engine().play.heldFilm->midi, midi->clip.midi);
  EXPECT_EQ(players_.log, (playtest::Log{"midi.prepare", "midi.start"}));
  EXPECT_FALSE(Enabled(kCmCollectionPlay));
  EXPECT_TRUE(Enabled(kCmCollectionStop));

  collection_->SetSelection(collection_->IndexOf(sound));
  Command(kCmCollectionPlay);
  EXPECT_FALSE(Engine().playing);
  EXPECT_NE(std::find(players_.log.begin(), players_.log.end(), "midi.stop"), players_.log.end());
  EXPECT_NE(engine_->GetState(), AudioPlayer::kPlayingSource);
}

// Which tiles Play can preview.
TEST_F(PreviewTest, PlayIsOfferedForWhatCanBeHeardOrSeen) {
  OpenBoth();
  const std::string midiPath = Media("theme.mid");
  WriteMidi(midiPath);
  struct Case {
    std::string file;
    bool engineUsable, midiReady, playable;
  };
  const Case cases[] = {
      {Avi("pal.avi", 10, 25.0, false), true, true, true},    // plays directly
      {Avi("ntsc.avi", 10, 30.0, false), true, true, false},  // another rate
      {Wave("pcm.wav", 300), true, true, true},               // PCM
      {Wave("pcm.wav", 300), false, true, false},             // no sound engine
      {midiPath, true, true, true},
      {midiPath, true, false, false},  // no MIDI device
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file + (c.engineUsable ? "" : " no engine") + (c.midiReady ? "" : " no midi"));
    RecordingBoxes boxes(IDYES);
    ClipWindow* tile = Add(c.file);
    collection_->SetSelection(collection_->IndexOf(tile));
    TheAudioPlayer = c.engineUsable ? engine_.get() : nullptr;
    players_.midi = c.midiReady;
    EXPECT_EQ(Enabled(kCmCollectionPlay), c.playable);
  }
  TheAudioPlayer = engine_.get();
}

TEST_F(EditTest, PropertiesOpenThePagesOfTheClipsPartsWithTheTimeLineCommandsOff) {
  OpenBoth();
  RecordingSheet sheet;
  const std::string midiPath = Media("theme.mid");
  WriteMidi(midiPath);
  std::string tagged;
  if (HaveTool("ffmpeg")) {
    tagged = Media("tagged.wav");
    ASSERT_TRUE(
        RunCommand("ffmpeg -v error -f lavfi -i sine=sample_rate=44100:duration=0.3 -ac 2 -metadata "
                   "title=Interview '" +
                   tagged + "'"));
  }
  using P = ClipPage;
  struct Case {
    std::string file;
    std::vector<ClipPage> pages;
  };
  std::vector<Case> cases = {
      {midiPath, {P::kGeneral, P::kMidi}},
      {Wave("plain.wav", 300), {P::kGeneral, P::kAudio}},
      {Avi("scene.avi", 10, 25.0, true), {P::kGeneral, P::kVideo, P::kAudio, P::kFace}},
  };
  if (!tagged.empty()) cases.push_back({tagged, {P::kGeneral, P::kAudio, P::kSummary}});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    sheet.calls.clear();
    ClipWindow* tile = Add(c.file);
    collection_->SetSelection(collection_->IndexOf(tile));
    Command(kCmCollectionProperties);
    ASSERT_EQ(sheet.calls.size(), 1u);
    EXPECT_EQ(sheet.calls[0].pages, c.pages);
    EXPECT_EQ(sheet.calls[0].caption, "Clip Properties");
    EXPECT_EQ(sheet.calls[0].clip, &tile->clip);
    EXPECT_FALSE(sheet.calls[0].timeLineCommands);
    EXPECT_TRUE(Engine().commandsEnabled);
  }

  // OK: what the pages wrote stays and the collection is modified; Cancel
  // leaves it as it was.
  collection_->SetModified(false);
  sheet.calls.clear();
  sheet.ok = false;
  EXPECT_FALSE(collection_->ShowClipProperties(0));
  EXPECT_FALSE(collection_->IsModified());
  sheet.ok = true;
  sheet.change = [](ClipData& clip) { std::snprintf(clip.name, sizeof clip.name, "%s", "renamed"); };
  EXPECT_TRUE(collection_->ShowClipProperties(0));
  EXPECT_TRUE(collection_->IsModified());
  EXPECT_STREQ(collection_->Tile(0)->clip.name, "renamed");
  EXPECT_EQ(collection_->GetSelection(), 0);
  // A tile's double click opens it too.
  GuiClick(collection_->Tile(1)->GetHandle(), 5, 5);
  GuiClick(collection_->Tile(1)->GetHandle(), 5, 5);
  GuiPumpMessages();
  ASSERT_EQ(sheet.calls.size(), 3u);
  EXPECT_EQ(sheet.calls[2].clip, &collection_->Tile(1)->clip);
}

TEST_F(EditTest, FontAndColourRedrawTheTilesAndAreSaved) {
  OpenBoth();
  ClipWindow* tile = Add(Wave("a.wav", 300));
  GuiPumpMessages();
  ::UpdateWindow(tile->GetHandle());
  ASSERT_FALSE(NeedsPaint(tile->GetHandle()));
  {
    colour_font::Hook hook([&](HWND d) {
      PumpDialog(d);
      colour_font::TypeInto(d, kFontSizeEdit, "18");
      colour_font::Click(d, IDOK);
    });
    Command(kCmTileFont);
  }
  LOGFONT lf;
  ASSERT_EQ(GetObject(ClipCollection::TileFont(), sizeof lf, &lf), static_cast<int>(sizeof lf));
  EXPECT_EQ(lf.lfHeight, -18 * 96 / 72);
  EXPECT_TRUE(NeedsPaint(tile->GetHandle()));
  ::UpdateWindow(tile->GetHandle());

  {
    colour_font::Hook hook([&](HWND d) {
      PumpDialog(d);
      colour_font::Click(d, kColourDefine);
      colour_font::TypeInto(d, kColourRed, "10");
      colour_font::TypeInto(d, kColourGreen, "20");
      colour_font::TypeInto(d, kColourBlue, "30");
      colour_font::Click(d, IDOK);
    });
    Command(kCmTileColor);
  }
  EXPECT_EQ(ClipCollection::TileTextColor(), RGB(10, 20, 30));
  EXPECT_TRUE(NeedsPaint(tile->GetHandle()));

  CloseBoth();
  EXPECT_EQ(IniValue("FONT_SIZE"), std::to_string(lf.lfHeight));
  EXPECT_EQ(IniValue("COLOR"), std::to_string(10 + 20 * 256 + 30 * 65536));
}

TEST_F(EditTest, AClipGivesTheProjectItsFrameRateOrSoundFormat) {
  OpenBoth();
  shell_.output = &output_.format;
  ClipWindow* tile = Add(Avi("ntsc.avi", 30, 30.0, true));
  ::UpdateWindow(tile->GetHandle());
  EXPECT_TRUE(Enabled(kCmVideoParamsFromClip));
  // The picture's icon in Full info: not direct yet.
  collection_->SetViewMode(kViewFullInfo);
  GuiPumpMessages();
  ::UpdateWindow(tile->GetHandle());
  EXPECT_TRUE(ShowsStockBitmap(tile->GetHandle(), 1021, 128, 96 - 24, TRect(0, 0, 26, 24)));

  Command(kCmVideoParamsFromClip);
  ASSERT_EQ(shell_.frameRatesFrom, std::vector<VideoData*>{tile->clip.video});
  GuiPumpMessages();
  ::UpdateWindow(tile->GetHandle());
  EXPECT_TRUE(ShowsStockBitmap(tile->GetHandle(), 1023, 128, 96 - 24, TRect(0, 0, 26, 24)));
  EXPECT_FALSE(Enabled(kCmVideoParamsFromClip));

  // A mono sound at 22050 Hz.
  ClipWindow* mono = Add(Wave("mono.wav", 300, 22050, 1));
  collection_->SetSelection(collection_->IndexOf(mono));
  EXPECT_TRUE(Enabled(kCmAudioParamsFromClip));
  Command(kCmAudioParamsFromClip);
  ASSERT_EQ(shell_.formats.size(), 1u);
  EXPECT_EQ(shell_.formats[0], (RecordingShell::Format{22050, 1, mono->clip.audio->GetSampleType()}));
  EXPECT_FALSE(Enabled(kCmAudioParamsFromClip));

  // Nothing while the project plays.
  Engine().playing = true;
  Command(kCmVideoParamsFromClip);
  Command(kCmAudioParamsFromClip);
  EXPECT_FALSE(Enabled(kCmAudioParamsFromClip));
  Engine().playing = false;
  EXPECT_EQ(shell_.frameRatesFrom.size(), 1u);
  EXPECT_EQ(shell_.formats.size(), 1u);
}

}  // namespace
}  // namespace cliptest
