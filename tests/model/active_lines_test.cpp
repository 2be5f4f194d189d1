#include <gtest/gtest.h>

#include <string>

#include "engine_fakes.h"

namespace enginetest {
namespace {

class ActiveLinesTest : public EngineTest {
 protected:
  std::string Active(int32_t request) {
    bool video[2], midi, audio[4];
    engine.GetActiveLines(video, midi, audio, request);
    return Describe(video, midi, audio);
  }
  static std::string Describe(const bool video[2], bool midi, const bool audio[4]) {
    std::string s = "v";
    for (int i = 0; i < 2; ++i) s += video[i] ? '1' : '0';
    s += midi ? " m1 a" : " m0 a";
    for (int i = 0; i < 4; ++i) s += audio[i] ? '1' : '0';
    return s;
  }
};

TEST_F(ActiveLinesTest, SoloMuteAndShownGroups) {
  struct Case {
    const char* name;
    bool showVideo, showMidi, showAudio;
    bool audioUsable, videoUsable;
    int32_t lines;
    int32_t videoMute, audioMute, audioSolo, midiSolo;  // row or line, -1 none
    int32_t request;
    const char* expected;
  } cases[] = {
      // Solo is global: a soloed audio line silences video and MIDI.
      {"audio solo, video muted", true, true, true, true, true, 4, 0, -1, 2, -1, 0, "v00 m0 a0010"},
      // Real-time mute prepares every audio line.
      {"audio solo, all audio", true, true, true, true, true, 4, 0, -1, 2, -1, 32, "v00 m0 a1111"},
      // A solo on a hidden line silences nothing.
      {"audio hidden", true, true, false, true, true, 4, -1, -1, 2, -1, 32, "v11 m1 a0000"},
      {"mutes", true, true, true, true, true, 4, 1, 0, -1, -1, 0, "v10 m1 a0111"},
      {"midi solo", true, true, true, true, true, 4, -1, -1, -1, 0, 0, "v00 m1 a0000"},
      {"midi solo hidden", true, false, true, true, true, 4, -1, -1, -1, 0, 0, "v11 m0 a1111"},
      {"two lines", true, true, true, true, true, 2, -1, -1, -1, -1, 0, "v11 m1 a1100"},
      // A kind without a usable player counts only when asked for.
      {"no audio output", true, true, true, false, true, 4, -1, -1, -1, -1, 0, "v11 m1 a0000"},
      {"no audio output, asked", true, true, true, false, true, 4, -1, -1, -1, -1, 2, "v11 m1 a1111"},
      {"video busy", true, true, true, true, false, 4, -1, -1, -1, -1, 0, "v00 m1 a1111"},
      {"video busy, asked", true, true, true, true, false, 4, -1, -1, -1, -1, 1, "v11 m1 a1111"},
      {"video hidden, asked", false, true, true, true, true, 4, -1, -1, -1, -1, 1, "v00 m1 a1111"},
  };
  for (const Case& c : cases) {
    engine.ClearSolo();
    engine.ClearMute();
    engine.showVideo = c.showVideo;
    engine.showMidi = c.showMidi;
    engine.showAudio = c.showAudio;
    players.audio = c.audioUsable;
    players.video = c.videoUsable;
    engine.audioLineCount = c.lines;
    if (c.videoMute >= 0) engine.videoPanel[c.videoMute].mute = 1;
    if (c.audioMute >= 0) engine.audioPanel[c.audioMute].mute = 1;
    if (c.audioSolo >= 0) engine.audioPanel[c.audioSolo].solo = 1;
    if (c.midiSolo >= 0) engine.midiPanel[0].solo = 1;
    EXPECT_EQ(Active(c.request), c.expected) << c.name;
  }
}

TEST_F(ActiveLinesTest, RealtimeMuteGivesTheEngineZeroGainOutsideTheSolo) {
  for (int32_t i = 0; i < 4; ++i) {
    engine.audioPanel[i].gain = 100 + i;
    engine.audioPanel[i].pan = -10 * i;
  }
  engine.audioPanel[2].solo = 1;
  engine.videoPanel[0].mute = 1;
  engine.masterGain = 600;
  engine.masterPan = 20;

  bool video[2], midi, audio[4];
  engine.GetActiveLines(video, midi, audio, kRequestAllAudio);
  EXPECT_EQ(Describe(video, midi, audio), "v00 m0 a1111");

  engine.playing = true;
  engine.UpdateEngineMix(-2);
  const std::vector<TrackValue> lines = {{0, 0, 0}, {1, 0, -10}, {2, 102, -20}, {3, 0, -30}};
  EXPECT_EQ(players.trackValues, lines);
  players.trackValues.clear();
  engine.UpdateEngineMix(-1);
  engine.UpdateEngineMix(2);
  engine.audioLineCount = 3;
  engine.UpdateEngineMix(3);  // not a line in use
  const std::vector<TrackValue> some = {{-1, 600, 20}, {2, 102, -20}};
  EXPECT_EQ(players.trackValues, some);

  // With the audio lines hidden no line sounds, and their solo no longer
  // silences the video rows that are not muted.
  engine.showAudio = false;
  engine.audioLineCount = 4;
  players.trackValues.clear();
  engine.UpdateEngineMix(-2);
  const std::vector<TrackValue> silent = {{0, 0, 0}, {1, 0, -10}, {2, 0, -20}, {3, 0, -30}};
  EXPECT_EQ(players.trackValues, silent);
  engine.GetActiveLines(video, midi, audio, 0);
  EXPECT_EQ(Describe(video, midi, audio), "v01 m1 a0000");

  engine.playing = false;
  players.trackValues.clear();
  engine.UpdateEngineMix(-2);
  EXPECT_TRUE(players.trackValues.empty());
}

TEST_F(ActiveLinesTest, MixSetupCarriesFlaggedGainsUpToMaxLines) {
  FakeEffects* master = Effects();
  FakeEffects* lineFx = Effects();
  engine.masterEffects = master;
  master->AddRef();
  engine.audioPanel[1].effects = lineFx;
  lineFx->AddRef();
  engine.audioPanel[0].gain = 300;
  engine.audioPanel[1].gain = 400;
  engine.audioPanel[1].pan = 50;
  engine.audioPanel[2].gain = 500;
  const bool flags[4] = {false, true, true, true};

  MixSetup mix = engine.GetMixSetup(flags, 2);
  EXPECT_EQ(mix.lineCount, 2);
  EXPECT_EQ(mix.masterEffects, master);
  EXPECT_EQ(mix.masterGain, kGainUnity);
  EXPECT_EQ(mix.lines[0].gain, 0);
  EXPECT_EQ(mix.lines[0].pan, 0);
  EXPECT_EQ(mix.lines[1].gain, 400);
  EXPECT_EQ(mix.lines[1].pan, 50);
  EXPECT_EQ(mix.lines[1].effects, lineFx);
  EXPECT_EQ(mix.lines[2].gain, 0);
  EXPECT_EQ(mix.lines[2].effects, nullptr);

  engine.audioLineCount = 3;
  mix = engine.GetMixSetup(flags, 4);
  EXPECT_EQ(mix.lineCount, 3);
  EXPECT_EQ(mix.lines[2].gain, 500);
  EXPECT_EQ(mix.lines[3].gain, 0);
}

TEST_F(ActiveLinesTest, RangeOfLinesKeepsLinesWithClipsAndRoundsToFrames) {
  VideoFilm(0, 1000, 2000);
  AudioFilm(1, 0, 5000);
  MidiFilm(4000, 2000);
  struct Case {
    int32_t start, end, request;
    int32_t parts, outStart, outEnd;
    const char* lines;
  } cases[] = {
      {1010, 2030, 0, kKindVideo | kKindAudio, 1000, 2040, "v10 m0 a0100"},
      // Audio alone keeps the range as it is.
      {1010, 2030, kRequestAudio, kKindVideo | kKindAudio, 1010, 2030, "v10 m0 a0100"},
      // Less than half a frame: no video part.
      {1000, 1015, 0, kKindAudio, 1000, 1015, "v00 m0 a0100"},
      {4500, 9000, 0, kKindAudio | kKindMidi, 4500, 9000, "v00 m1 a0100"},
      {3000, 3000, 0, 0, 3000, 3000, "v00 m0 a0000"},
  };
  for (const Case& c : cases) {
    bool video[2], midi, audio[4];
    int32_t start = c.start, end = c.end;
    EXPECT_EQ(engine.GetRangeOfLines(video, midi, audio, start, end, c.request), c.parts) << c.start;
    EXPECT_EQ(start, c.outStart) << c.start;
    EXPECT_EQ(end, c.outEnd) << c.start;
    EXPECT_EQ(Describe(video, midi, audio), c.lines) << c.start;
  }
}

TEST_F(ActiveLinesTest, ActiveExtentCoversTheClipsOfActiveLinesOnly) {
  int32_t start = 1, end = 1;
  EXPECT_FALSE(engine.GetActiveExtent(start, end, 0));
  EXPECT_EQ(start, kDayMs);
  EXPECT_EQ(end, 0);

  AudioFilm(0, 2000, 1000);
  AudioFilm(1, 500, 8000);
  VideoFilm(1, 1000, 1000);
  engine.audioPanel[1].mute = 1;
  ASSERT_TRUE(engine.GetActiveExtent(start, end, 0));
  EXPECT_EQ(start, 1000);
  EXPECT_EQ(end, 3000);

  engine.ClearSolo();
  for (TrackPanel* p : {&engine.videoPanel, &engine.midiPanel, &engine.audioPanel}) {
    for (int32_t i = 0; i < p->rowCount; ++i) (*p)[i].mute = 1;
  }
  EXPECT_FALSE(engine.GetActiveExtent(start, end, 0));
}

TEST_F(ActiveLinesTest, ClearSelectionRedrawsTheLinesItTouched) {
  Film* v = VideoFilm(1, 0, 1000);
  Film* a = AudioFilm(3, 0, 1000);
  Film* m = MidiFilm(0, 1000);
  Film* other = AudioFilm(0, 0, 1000);
  v->group = a->group = m->group = SelectionGroup;
  other->group = SelectionGroup + 1;
  view.ClearRequests();
  engine.ClearSelection();
  EXPECT_EQ(v->group, 0);
  EXPECT_EQ(a->group, 0);
  EXPECT_EQ(m->group, 0);
  EXPECT_EQ(other->group, SelectionGroup + 1);
  const std::vector<Strip> expected = {
      {kLineVideo, 1, 0, 0}, {kLineVfx, 0, 0, 0}, {kLineAudio, 3, 0, 0}, {kLineMidi, 0, 0, 0}};
  EXPECT_EQ(view.lines, expected);
  EXPECT_EQ(view.timeDisplay, 1);

  view.ClearRequests();
  engine.ClearSelection();
  EXPECT_TRUE(view.lines.empty());
  EXPECT_EQ(view.timeDisplay, 0);
}

TEST_F(ActiveLinesTest, SelectionRangeAndItsTexts) {
  engine.width = 500;
  engine.factor = 100;
  engine.scale = 1000;
  engine.origin = 2000;
  int32_t start = 0, end = 0;
  EXPECT_FALSE(engine.GetMarkRange(start, end));

  engine.SetMarkRange(100, 900);
  EXPECT_TRUE(engine.GetMarkRange(start, end));
  EXPECT_EQ(start, 100);
  EXPECT_EQ(end, 900);
  EXPECT_EQ(view.selectionChanges, 1);
  EXPECT_EQ(view.selStart, 100);
  EXPECT_EQ(view.selSize, 800);
  EXPECT_TRUE(view.selActive);

  // Empty: the texts show the view, inactive.
  engine.SetMarkRange(900, 900);
  EXPECT_FALSE(engine.GetMarkRange(start, end));
  EXPECT_EQ(view.selStart, 2000);
  EXPECT_EQ(view.selSize, 5000);
  EXPECT_FALSE(view.selActive);
}

TEST_F(ActiveLinesTest, EditMarkRangePresets) {
  engine.length = 20000;
  // Nothing at all: the whole project.
  view.answerOk = false;
  engine.EditMarkRange();
  EXPECT_EQ(view.askCaption, "Set Range");
  EXPECT_EQ(view.askLo, 0);
  EXPECT_EQ(view.askHi, 20000);
  EXPECT_EQ(view.askStart, 0);
  EXPECT_EQ(view.askEnd, 20000);
  EXPECT_FALSE(engine.GetMarkRange(view.askStart, view.askEnd));

  // Clips whose player cannot play still count when nothing else does.
  AudioFilm(0, 2000, 3000);
  players.audio = false;
  engine.EditMarkRange();
  EXPECT_EQ(view.askStart, 2000);
  EXPECT_EQ(view.askEnd, 5000);

  // The active lines' extent, then the selection itself.
  players.audio = true;
  VideoFilm(0, 1000, 1000);
  players.video = false;
  engine.EditMarkRange();
  EXPECT_EQ(view.askStart, 2000);
  EXPECT_EQ(view.askEnd, 5000);

  view.answerOk = true;
  view.answerStart = 300;
  view.answerEnd = 700;
  engine.EditMarkRange();
  int32_t start = 0, end = 0;
  ASSERT_TRUE(engine.GetMarkRange(start, end));
  EXPECT_EQ(start, 300);
  EXPECT_EQ(end, 700);
  engine.EditMarkRange();
  EXPECT_EQ(view.askStart, 300);
  EXPECT_EQ(view.askEnd, 700);
}

TEST_F(ActiveLinesTest, EnableCommandsTellsTheMixerAndDialogsWhenIdle) {
  engine.EnableCommands(false);
  EXPECT_FALSE(engine.commandsEnabled);
  EXPECT_EQ(players.mixer.back(), (Notice{kMixerCommandsEnabled, 0}));
  EXPECT_EQ(players.dialogs.back(), (Notice{kMixerCommandsEnabled, 0}));
  players.mixer.clear();
  players.dialogs.clear();
  engine.playing = true;
  engine.EnableCommands(true);
  EXPECT_TRUE(engine.commandsEnabled);
  EXPECT_TRUE(players.mixer.empty());
  EXPECT_TRUE(players.dialogs.empty());
}

}  // namespace
}  // namespace enginetest
