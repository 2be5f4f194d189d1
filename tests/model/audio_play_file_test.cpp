#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "audio/audio_player.h"
#include "audio/mix_fixture.h"
#include "audio/timeline_audio.h"
#include "media/audio_source_hooks.h"
#include "media/progress_hooks.h"
#include "model/changed_ranges.h"
#include "model/ini.h"
#include "model/undo_history.h"
#include "platform/audio/virtual_audio.h"
#include "platform/core/message_queue.h"
#include "play_fakes.h"
#include "support/test_env.h"

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

// ---- The real audio engine on the virtual device.

// What the audio sources ask of the program: the engine's output and its
// sound file, as the application answers once the engine exists.
class EngineHooks : public AudioSourceHooks {
 public:
  EngineHooks() { previous_ = SetAudioSourceHooks(this); }
  ~EngineHooks() override { SetAudioSourceHooks(previous_); }
  WAVEFORMATEX OutputFormat() override { return ::OutputFormat; }
  std::string SoundFileName() override { return Sound_File; }

 private:
  AudioSourceHooks* previous_ = nullptr;
};

// Counts the renders of the play file by their progress dialogs.
class CountingProgress : public ProgressHooks {
 public:
  CountingProgress() { previous_ = SetProgressHooks(this); }
  ~CountingProgress() override { SetProgressHooks(previous_); }
  ProgressDialog* OpenTermometer(const char*, const char*, LONG, bool, HWND) override {
    ++opens;
    return nullptr;
  }
  int opens = 0;

 private:
  ProgressHooks* previous_ = nullptr;
};

class EnginePlayers : public TimeLinePlayers {
 public:
  explicit EnginePlayers(AudioPlayer& engine) : audio_(engine) {}
  bool VideoUsable() override { return false; }
  bool AudioUsable() override { return true; }
  AudioEngine* Audio() override { return &audio_; }

 private:
  TimeLineAudio audio_;
};

constexpr DWORD kEngineRate = 8000;

class PlayFileEngineTest : public PlayTest {
 protected:
  void SetUp() override {
    PlayTest::SetUp();
    ASSERT_TRUE(home_.ok());
    VirtualAudio::Reset();
    IniSetSection("SOUND");
    IniWriteInt("Limit16", 1);
    IniWriteInt("Bits", 2);
    IniWriteInt("Channel_Count", 1);
    IniWriteInt("Ratio", kEngineRate);
    IniWriteString("Sound_File", "C:\\KOBRIX.TMP");
    IniWriteInt("WaveOutId", 0);
    IniFlush();
    EnsureMessageQueue();
    audioEngine_ = std::make_unique<AudioPlayer>();
    float delay = 1.0f, preview = 0.1f, maxPreview = 1.0f;
    ASSERT_EQ(audioEngine_->Configure(kEngineRate, 1, 2, 4, 16, 4, delay, preview, maxPreview), 0);
    players_ = std::make_unique<EnginePlayers>(*audioEngine_);
    engine.SetPlayers(players_.get());
    // Two lines that overlap in the middle.
    AddClip(FilmList, Keep(MakeSource(2, 1, kEngineRate, 3 * kEngineRate, 1)), 0, 0, 3000, 0);
    AddClip(FilmList, Keep(MakeSource(2, 1, kEngineRate, 4 * kEngineRate, 2)), 1, 1000, 4000, 500);
  }
  void TearDown() override {
    engine.CmStop();
    Pump();
    engine.SetPlayers(&fakes);
    players_.reset();
    audioEngine_.reset();
    FilmList.Clear();
    for (MemorySource* s : sources_) {
      s->EndRead();
      s->Release();
    }
    PlayTest::TearDown();
  }
  MemorySource* Keep(MemorySource* s) {
    s->BeginRead();
    sources_.push_back(s);
    return s;
  }
  // Plays [start, end) to its end, from the cursor when it is given, and
  // returns what the device played.
  std::vector<BYTE> PlayToEnd(int32_t start, int32_t end, int32_t cursor = -1) {
    VirtualAudio::Reset();
    if (cursor >= 0) engine.SetPlayCursor(cursor, false);
    engine.play.loopsRemaining = 1;
    engine.StartPlayRange(start, end, true, cursor >= 0);
    if (!engine.playing) return {};
    for (int i = 0; i < 1000 && VirtualAudio::IsOpen(0); ++i) {
      VirtualAudio::Advance(32);
      std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
    for (int i = 0; i < 3000 && audioEngine_->HasCommandThread(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_FALSE(VirtualAudio::IsOpen(0));
    // The timer sees every player at rest.
    engine.StopPlayback();
    Pump();
    return VirtualAudio::Played(0);
  }

  ScopedSettingsHome home_;
  ScopedEnv temp_{"TMPDIR", home_.path()};
  EngineHooks hooks_;
  std::unique_ptr<AudioPlayer> audioEngine_;
  std::unique_ptr<EnginePlayers> players_;
  std::vector<MemorySource*> sources_;
};

TEST_F(PlayFileEngineTest, ThePlayFileSoundsAsTheDirectMix) {
  struct Case {
    int32_t cursor;
    size_t bytes;
  } cases[] = {{-1, 4 * kEngineRate * 2}, {1500, 2500 * kEngineRate / 1000 * 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cursor);
    engine.play.audioThroughFile = false;
    const std::vector<BYTE> direct = PlayToEnd(0, 4000, c.cursor);
    ASSERT_EQ(direct.size(), c.bytes);
    engine.play.audioThroughFile = true;
    PlayFileRange = TimeRange{0, 0};
    const std::vector<BYTE> throughFile = PlayToEnd(0, 4000, c.cursor);
    EXPECT_TRUE(throughFile == direct);
    EXPECT_EQ(PlayFileRange.end, 4000);
  }
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(PlayFileEngineTest, ASecondPlayOfAnUnchangedRangeMixesNothing) {
  CountingProgress progress;
  engine.play.audioThroughFile = true;
  const std::vector<BYTE> first = PlayToEnd(0, 4000);
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(progress.opens, 1);
  const std::vector<BYTE> second = PlayToEnd(0, 4000);
  EXPECT_EQ(progress.opens, 1);
  EXPECT_TRUE(second == first);
  // An edit on one line mixes that stretch again.
  engine.InvalidateLineRange(0, 1000, FilmList.First());
  PlayToEnd(0, 4000);
  EXPECT_EQ(progress.opens, 2);
}

TEST_F(PlayFileEngineTest, AFailedMixIsShownAndForgetsAllRanges) {
  engine.play.audioThroughFile = true;
  ASSERT_FALSE(PlayToEnd(0, 2000).empty());
  ASSERT_FALSE(LineFileRange[0].Empty());
  const std::string kept = Sound_File;
  std::snprintf(Sound_File, sizeof(Sound_File), "%s/missing/KOBRIX.TMP", home_.path().c_str());
  // Beyond what the file holds: the file must be mixed, and cannot be.
  EXPECT_TRUE(PlayToEnd(0, 4000).empty());
  EXPECT_FALSE(engine.playing);
  ASSERT_FALSE(boxes.boxes.empty());
  EXPECT_EQ(boxes.boxes.back().text, "Can not prepare audio stream!");
  EXPECT_EQ(boxes.boxes.back().caption, "Video & Audio Playback");
  EXPECT_TRUE(PlayFileRange.Empty());
  for (const TimeRange& r : LineFileRange) EXPECT_TRUE(r.Empty());
  std::snprintf(Sound_File, sizeof(Sound_File), "%s", kept.c_str());
}

}  // namespace
}  // namespace playtest
