#include <gtest/gtest.h>

#include "model/changed_ranges.h"
#include "model/undo_history.h"
#include "play_fakes.h"

static bool operator==(const TimeRange& a, const TimeRange& b) {
  return a.start == b.start && a.end == b.end;
}
static std::ostream& operator<<(std::ostream& os, const TimeRange& r) {
  return os << "[" << r.start << ", " << r.end << ")";
}

namespace playtest {
namespace {

struct Span {
  int32_t start, end;
  bool operator==(const Span&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Span& s) {
  return os << "[" << s.start << ", " << s.end << ")";
}

// The fake engine's output: 44.1 kHz, 4 bytes a sample frame.
constexpr int64_t kBytesPerSecond = 44100 * 4;

class PlayFileTest : public PlayTest {
 protected:
  void SetUp() override {
    PlayTest::SetUp();
    engine.play.audioThroughFile = true;
    engine.play.loopsRemaining = 1;
    soundFile = Audio("sound.tmp", 600000);
    fakes.audioEngine.soundFile = soundFile;
    first = AudioFilm(0, 0, 10000);
    second = AudioFilm(1, 2000, 3000);
  }

  bool Update(int32_t start, int32_t end, int32_t playPos, std::initializer_list<bool> flags = {true, true}) {
    bool lines[4] = {};
    int i = 0;
    for (bool f : flags) lines[i++] = f;
    return engine.UpdatePlayFile(start, end, playPos, offset, length, lines);
  }
  // The stretches the engine mixed into the file, in order.
  std::vector<Span> Mixed() const {
    std::vector<Span> out;
    for (const AudioPrepare& m : fakes.audioEngine.mixes) out.push_back({m.start, m.end});
    return out;
  }

  FakeAudio* soundFile = nullptr;
  Film* first = nullptr;
  Film* second = nullptr;
  int64_t offset = -1, length = -1;
};

TEST_F(PlayFileTest, TheFirstPlayMixesTheRangeAndASecondMixesNothing) {
  WidenChangedRange(2, 0, 500);
  PlayFileRange = TimeRange{0, 3000};
  engine.MarkUndo(kUndoEdit);  // a snapshot that holds the file's old state
  PlayFileRange = TimeRange{0, 0};

  ASSERT_TRUE(Update(0, 10000, 0));
  EXPECT_EQ(Mixed(), (std::vector<Span>{{0, 10001}}));
  EXPECT_EQ(fakes.audioEngine.mixes[0].mix.lines[0].gain, kGainUnity);
  EXPECT_EQ(fakes.audioEngine.mixes[0].mix.lines[2].gain, 0);
  EXPECT_EQ(PlayFileRange, (TimeRange{0, 10000}));
  EXPECT_EQ(LineFileRange[0], (TimeRange{0, 10000}));
  EXPECT_EQ(LineFileRange[1], (TimeRange{2000, 5000}));
  EXPECT_TRUE(LineFileRange[2].Empty());
  for (const TimeRange& r : LineChangedRange) EXPECT_TRUE(r.Empty());
  EXPECT_EQ(offset, 0);
  EXPECT_EQ(length, 10 * kBytesPerSecond);
  ASSERT_NE(UndoScript::Slot(UndoScript::Current() + 1), nullptr);
  EXPECT_EQ(UndoScript::Slot(UndoScript::Current() + 1)->playFileRange, (TimeRange{0, 0}));

  ASSERT_TRUE(Update(0, 10000, 4000));
  EXPECT_EQ(Mixed().size(), 1u);
  EXPECT_EQ(offset, 4 * kBytesPerSecond);
  EXPECT_EQ(length, 6 * kBytesPerSecond);
}

TEST_F(PlayFileTest, WhatIsMixedForTheComingPlay) {
  struct Case {
    const char* name;
    TimeRange valid;
    int32_t loops, start, end, playPos;
    std::vector<Span> mixed;
    TimeRange after;
  } cases[] = {
      {"from the play position", {}, 1, 0, 10000, 4000, {{3999, 10001}}, {4000, 10000}},
      {"loops to come cover the whole range", {}, 3, 0, 10000, 4000, {{0, 10001}}, {0, 10000}},
      {"only the new tail", {0, 10000}, 1, 0, 15000, 0, {{9999, 15001}}, {0, 15000}},
      {"only the new head", {5000, 10000}, 1, 0, 8000, 2000, {{1999, 5001}}, {2000, 10000}},
      {"inside the valid stretch", {0, 10000}, 1, 2000, 8000, 2000, {}, {0, 10000}},
      {"apart from the valid stretch", {0, 3000}, 1, 0, 10000, 6000, {{5999, 10001}}, {6000, 10000}},
      {"touching the valid stretch", {0, 6000}, 1, 0, 10000, 6000, {{5999, 10001}}, {0, 10000}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fakes.audioEngine.mixes.clear();
    PlayFileRange = c.valid;
    for (int i = 0; i < 4; ++i) LineFileRange[i].Clear();
    if (!c.valid.Empty()) {
      // Both lines are in the file wherever it is valid.
      LineFileRange[0] = TimeRange{0, 10000};
      LineFileRange[1] = TimeRange{2000, 5000};
    }
    engine.play.loopsRemaining = c.loops;
    ASSERT_TRUE(Update(c.start, c.end, c.playPos));
    EXPECT_EQ(Mixed(), c.mixed);
    EXPECT_EQ(PlayFileRange, c.after);
  }
}

TEST_F(PlayFileTest, AnEditAtTheStartOfTheFileRemixesUpToTheEndOfTheEdit) {
  ASSERT_TRUE(Update(0, 10000, 0));
  engine.InvalidateLineRange(0, 2000, first);
  ASSERT_TRUE(Update(0, 10000, 0));
  EXPECT_EQ(Mixed(), (std::vector<Span>{{0, 10001}, {0, 2001}}));
  EXPECT_EQ(PlayFileRange, (TimeRange{0, 10000}));
}

TEST_F(PlayFileTest, AnEditInTheMiddleOfTheFileIsMixedAgainBeforeItPlays) {
  ASSERT_TRUE(Update(0, 10000, 0));
  engine.InvalidateLineRange(4000, 5000, first);
  // Playing after the edit leaves the stale stretch out of the file's valid part.
  ASSERT_TRUE(Update(0, 10000, 6000));
  EXPECT_EQ(Mixed().size(), 1u);
  EXPECT_EQ(PlayFileRange, (TimeRange{5000, 10000}));
  // Playing over it mixes it first.
  ASSERT_TRUE(Update(0, 10000, 0));
  EXPECT_EQ(Mixed(), (std::vector<Span>{{0, 10001}, {0, 5001}}));
  EXPECT_EQ(PlayFileRange, (TimeRange{0, 10000}));

  // The same with the play starting before the edit.
  engine.InvalidateLineRange(4000, 5000, first);
  ASSERT_TRUE(Update(0, 10000, 0));
  EXPECT_EQ(Mixed().back(), (Span{3999, 10001}));
  EXPECT_EQ(PlayFileRange, (TimeRange{0, 10000}));
}

TEST_F(PlayFileTest, AMutedLineIsMixedOutOfTheFile) {
  ASSERT_TRUE(Update(0, 10000, 0));
  ASSERT_TRUE(Update(0, 10000, 0, {true, false}));
  EXPECT_EQ(Mixed(), (std::vector<Span>{{0, 10001}, {1999, 10001}}));
  EXPECT_EQ(fakes.audioEngine.mixes[1].mix.lines[1].gain, 0);
  EXPECT_TRUE(LineFileRange[1].Empty());
  // And back in when it sounds again.
  ASSERT_TRUE(Update(0, 10000, 0));
  EXPECT_EQ(Mixed().back(), (Span{1999, 10001}));
  EXPECT_EQ(LineFileRange[1], (TimeRange{2000, 5000}));
}

TEST_F(PlayFileTest, AFailedMixForgetsAllTheFileHeld) {
  ASSERT_TRUE(Update(0, 10000, 0));
  fakes.audioEngine.mixSucceeds = false;
  EXPECT_FALSE(Update(0, 12000, 0));
  EXPECT_TRUE(PlayFileRange.Empty());
  for (const TimeRange& r : LineFileRange) EXPECT_TRUE(r.Empty());
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "Can not prepare audio stream!");
  EXPECT_EQ(boxes.boxes[0].caption, "Video & Audio Playback");
  EXPECT_EQ(boxes.boxes[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
  // The next play mixes all it needs.
  fakes.audioEngine.mixSucceeds = true;
  ASSERT_TRUE(Update(0, 10000, 0));
  EXPECT_EQ(Mixed().back(), (Span{0, 10001}));
}

TEST_F(PlayFileTest, PlayingTheFileHoldsItAsAFilmOfItsOwn) {
  ASSERT_TRUE(engine.PlayFromPlayFile(4 * kBytesPerSecond, 6 * kBytesPerSecond));
  Film* held = engine.play.heldFilm;
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(held->audio, soundFile);
  EXPECT_EQ(held->start, 0);
  EXPECT_EQ(held->audioLine, 0);
  EXPECT_EQ(held->video, nullptr);
  EXPECT_EQ(engine.play.heldParts, kKindAudio);
  EXPECT_EQ(soundFile->openCount, 1);
  ASSERT_EQ(fakes.audioEngine.prepares.size(), 1u);
  const AudioPrepare& p = fakes.audioEngine.prepares[0];
  EXPECT_EQ(p.films, held);
  EXPECT_EQ(p.start, 4000);
  EXPECT_EQ(p.end, 10000);
  EXPECT_EQ(p.mix.lineCount, 1);
  EXPECT_EQ(p.mix.masterGain, kGainUnity);
  EXPECT_EQ(p.mix.lines[0].gain, kGainUnity);
  engine.ReleaseHeldFilm();
  EXPECT_EQ(soundFile->openCount, 0);
  EXPECT_EQ(soundFile->refs, 1);

  fakes.audioEngine.accept = false;
  EXPECT_FALSE(engine.PlayFromPlayFile(0, kBytesPerSecond));
  EXPECT_EQ(engine.play.heldFilm, nullptr);
  EXPECT_EQ(soundFile->refs, 1);
  fakes.audioEngine.soundFile = nullptr;
  EXPECT_FALSE(engine.PlayFromPlayFile(0, kBytesPerSecond));
}

TEST_F(PlayFileTest, PlayThroughTheFile) {
  VideoAt(0, 0, 10000);
  engine.SetPlayCursor(300, false);
  engine.play.loopsRemaining = 1;
  engine.StartPlayRange(0, 10000, false, false);
  ASSERT_TRUE(engine.playing);
  EXPECT_EQ(engine.play.parts, kKindVideo | kKindAudio);
  EXPECT_EQ(Mixed(), (std::vector<Span>{{0, 10001}}));
  ASSERT_EQ(fakes.audioEngine.prepares.size(), 1u);
  EXPECT_EQ(fakes.audioEngine.prepares[0].films, engine.play.heldFilm);
  engine.SetPlayCursor(5000, false);
  engine.CmStop();
  EXPECT_EQ(engine.play.heldFilm, nullptr);
  EXPECT_EQ(soundFile->openCount, 0);
  EXPECT_EQ(engine.cursor, 5000);  // a held film keeps the cursor where play stopped

  // A failed mix plays the video alone.
  fakes.audioEngine.mixSucceeds = false;
  PlayFileRange = TimeRange{0, 0};
  engine.StartPlayRange(0, 10000, false, false);
  ASSERT_TRUE(engine.playing);
  EXPECT_EQ(engine.play.parts, kKindVideo);
  EXPECT_EQ(boxes.boxes.size(), 1u);
}

}  // namespace
}  // namespace playtest
