// The mix of the audio lines, streamed block by block and compared with an
// independent float model, sample for sample.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "audio/audio_player.h"
#include "audio/effect_list.h"
#include "engine_fixture.h"
#include "mix_fixture.h"
#include "platform/audio/virtual_audio.h"
#include "platform/components/component_test_support.h"
#include "platform/components/effects/effect_classes.h"
#include "platform/core/trace.h"

namespace {

constexpr DWORD kRate = 8000;

class TrackMixerTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    IniSetSection("SOUND");
    IniWriteInt("DeclickType", 0);  // linear ramps: the model makes its own
    IniWriteString("InOutLength", "2.0");
    engine_ = std::make_unique<AudioPlayer>();
  }
  void TearDown() override {
    engine_.reset();
    films_.Clear();
    for (MemorySource* s : sources_) {
      s->EndRead();
      s->Release();
    }
    EngineTest::TearDown();
  }
  MemorySource* Source(int code, WORD channels, LONG ms, int seed, float amplitude = 6000.0f) {
    MemorySource* s = MakeSource(code, channels, kRate, std::int64_t{ms} * kRate / 1000, seed, amplitude);
    s->BeginRead();
    sources_.push_back(s);
    return s;
  }
  void Configure(int channels) {
    float delay = 1.0f, preview = 0.1f, maxPreview = 1.0f;
    ASSERT_EQ(engine_->Configure(kRate, channels, 2, 4, 16, 4, delay, preview, maxPreview), 0);
  }

  std::unique_ptr<AudioPlayer> engine_;
  FilmListHead films_;
  std::vector<MemorySource*> sources_;
};

// Two clips of line 0 (16-bit stereo and 8-bit mono sources, declicked) meet
// inside the range and cross block edges; line 1 (a float source) has a
// ramped envelope with a vertical step and a balance; line 2 is muted; line 3
// plays a 24-bit source. Line pans sit at the extremes, the master pan at
// each extreme and the centre.
TEST_F(TrackMixerTest, TheStreamIsTheFloatModelSampleForSample) {
  MemorySource* a = Source(2, 2, 6000, 1);
  MemorySource* b = Source(1, 1, 5000, 2);
  MemorySource* c = Source(7, 1, 9000, 3);
  MemorySource* muted = Source(2, 1, 3000, 5);
  MemorySource* e = Source(4, 2, 4000, 4);
  Film* a1 = AddClip(films_, a, 0, 0, 2500, 500);
  Film* a2 = AddClip(films_, b, 0, 2500, 4700, 100);
  for (Film* f : {a1, a2}) f->declickIn = f->declickOut = true;
  Film* ramp = AddClip(films_, c, 1, 1000, 7000, 0);
  const ProfilePoint volume[] = {{0, 512}, {2000, 1024}, {3000, 1024}, {3000, 256}, {4000, 700}, {9000, 700}};
  ASSERT_TRUE(ramp->volumePoints.Assign(volume, 6));
  ramp->volume = 400;
  ramp->balance = 64;
  ramp->declickIn = true;
  AddClip(films_, muted, 2, 500, 2500, 0);
  AddClip(films_, e, 3, 3000, 6000, 200);

  MixSetup setup;
  setup.masterGain = 600;
  setup.lineCount = 4;
  setup.lines[0] = {512, -256, nullptr};
  setup.lines[1] = {700, 256, nullptr};
  setup.lines[2] = {0, 0, nullptr};
  setup.lines[3] = {450, 0, nullptr};

  for (int channels : {1, 2}) {
    Configure(channels);
    for (int code : {1, 2, 4}) {
      for (int pan : {-256, 0, 256}) {
        if (channels == 1 && pan != 0) continue;  // a mono mix has no pans
        setup.masterPan = pan;
        LONG blockFrames = 0;
        std::vector<BYTE> stream = StreamAll(*engine_, films_.First(), setup, 300, 9500, code, &blockFrames);
        MixModel model;
        model.rate = kRate;
        model.channels = channels;
        model.code = code;
        model.blockFrames = blockFrames;
        model.inOutLength = 2.0f;
        std::vector<BYTE> expected = model.Mix(films_, setup, 300, 9500);
        const std::size_t size = code == 1 ? 1 : code == 2 ? 2 : 3;
        ASSERT_EQ(stream.size(), std::size_t{9200} * 8 * channels * size) << channels << " " << code;
        ASSERT_EQ(expected.size(), stream.size());
        std::size_t differ = 0;
        for (std::size_t i = 0; i < stream.size(); ++i)
          if (stream[i] != expected[i]) ++differ;
        EXPECT_EQ(differ, 0u) << "channels " << channels << " code " << code << " pan " << pan;
        // The mix holds sound: a model that heard nothing would agree too.
        const BYTE silence = code == 1 ? 128 : 0;
        EXPECT_GT(std::count_if(stream.begin(), stream.end(), [&](BYTE v) { return v != silence; }),
                  std::ptrdiff_t(stream.size() / 4));
      }
    }
  }
  EXPECT_EQ(muted->blockReads.load(), 0);
  for (MemorySource* s : {a, b, c, e}) EXPECT_GT(s->blockReads.load(), 0);
}

// A clip longer than its file: past the file's end the clip is silent, never
// what the reused blocks held before.
TEST_F(TrackMixerTest, AClipPastTheEndOfItsFileIsSilentThere) {
  Configure(1);
  MemorySource* longer = Source(2, 1, 4000, 6);
  MemorySource* shorter = Source(2, 1, 300, 7);
  AddClip(films_, longer, 0, 0, 4000, 0);
  AddClip(films_, shorter, 1, 0, 4000, 0)->out = 4000;
  MixSetup setup = UnitySetup(2);
  LONG blockFrames = 0;
  std::vector<BYTE> stream = StreamAll(*engine_, films_.First(), setup, 0, 4000, 2, &blockFrames);
  MixModel model;
  model.rate = kRate;
  model.blockFrames = blockFrames;
  model.inOutLength = 2.0f;
  EXPECT_EQ(stream, model.Mix(films_, setup, 0, 4000));
}

// Mixed on the consumer's thread, as the sound exports are, each line reads
// many blocks ahead at once: a clip longer than one such read, a second clip
// that goes back to another place of the same file, and a clip longer than
// its file give the model's samples as the engine's threads do.
TEST_F(TrackMixerTest, ReadingAheadOnTheConsumersThreadGivesTheModelsSamples) {
  Configure(2);
  MemorySource* a = Source(2, 2, 70000, 8);
  MemorySource* shorter = Source(2, 1, 20000, 9);
  AddClip(films_, a, 0, 0, 40000, 1000);
  AddClip(films_, a, 0, 40000, 65000, 500);
  AddClip(films_, shorter, 1, 5000, 45000, 0);
  MixSetup setup = UnitySetup(2);
  setup.lines[1].pan = -100;
  for (bool here : {true, false}) {
    SCOPED_TRACE(here ? "on the consumer's thread" : "on the engine's threads");
    LONG blockFrames = 0;
    std::vector<BYTE> stream = StreamAll(*engine_, films_.First(), setup, 0, 65000, 2, &blockFrames, here);
    MixModel model;
    model.rate = kRate;
    model.channels = 2;
    model.blockFrames = blockFrames;
    model.inOutLength = 2.0f;
    const std::vector<BYTE> expected = model.Mix(films_, setup, 0, 65000);
    ASSERT_EQ(stream.size(), expected.size());
    EXPECT_TRUE(stream == expected);
  }
}

// Where a line is silent inside a block (before a clip that starts in it,
// between two clips, past the last point of a clip's envelope) it is silent
// there, never what its block held in an earlier use: with four lines the
// stream's ring of line blocks comes round to each line every eight blocks,
// and a stream mixed on its consumer's thread uses one line block for all.
TEST_F(TrackMixerTest, ALineSilentInsideABlockKeepsNothingOfItsEarlierUse) {
  for (int line = 0; line < 4; ++line) {
    MemorySource* source = Source(2, 2, 30000, line + 1, 12000.0f);
    const int32_t length = 900 + 350 * line;
    const int32_t gap = 300 + 100 * line;
    for (int32_t start = 100 * line; start + length <= 24000; start += length + gap) {
      Film* clip = AddClip(films_, source, line, start, start + length, start % 5000);
      if (line == 3) {
        const ProfilePoint volume[] = {{0, 512}, {clip->in + length / 2, 512}};
        ASSERT_TRUE(clip->volumePoints.Assign(volume, 2));
      }
    }
  }
  MixSetup setup = UnitySetup(4);
  for (bool here : {false, true}) {
    for (int channels : {1, 2}) {
      Configure(channels);
      LONG blockFrames = 0;
      std::vector<BYTE> stream = StreamAll(*engine_, films_.First(), setup, 0, 24000, 2, &blockFrames, here);
      MixModel model;
      model.rate = kRate;
      model.channels = channels;
      model.blockFrames = blockFrames;
      model.inOutLength = 2.0f;
      EXPECT_EQ(stream, model.Mix(films_, setup, 0, 24000)) << "channels " << channels << " here " << here;
    }
  }
}

// A declick ramp that a block edge cuts is ramped on both sides of the edge:
// at 8 frames a millisecond a 9-frame ramp leaves one frame on the far side
// of an edge a millisecond from the clip's start or end. The clip covers two
// whole blocks, so that each of them holds the end of one ramp only.
TEST_F(TrackMixerTest, ARampCutByABlockEdgeIsRampedOnBothSides) {
  engine_->InOutLength = 1.125f;
  MemorySource* source = Source(2, 1, 8000, 8, 12000.0f);
  for (int channels : {1, 2}) {
    Configure(channels);
    LONG blockFrames = 0;
    StreamAll(*engine_, nullptr, UnitySetup(1), 0, 10, 2, &blockFrames);
    ASSERT_EQ(blockFrames % 8, 0);
    const auto edge = static_cast<int32_t>(blockFrames / 8);  // ms
    films_.Clear();
    Film* clip = AddClip(films_, source, 0, edge - 1, 3 * edge + 1, 200);
    clip->declickIn = clip->declickOut = true;
    MixSetup setup = UnitySetup(1);
    MixModel model;
    model.rate = kRate;
    model.channels = channels;
    model.blockFrames = blockFrames;
    model.inOutLength = 1.125f;
    for (bool here : {false, true}) {
      std::vector<BYTE> stream = StreamAll(*engine_, films_.First(), setup, 0, 4 * edge, 2, nullptr, here);
      EXPECT_EQ(stream, model.Mix(films_, setup, 0, 4 * edge)) << "channels " << channels << " here " << here;
    }
  }
}

// Nothing plays: 8-bit silence is 128, and a short last block writes only
// its own frames.
TEST_F(TrackMixerTest, AnEmptyRangeStreamsTheFormatsSilence) {
  Configure(2);
  MixSetup setup = UnitySetup(4);
  std::vector<BYTE> stream = StreamAll(*engine_, films_.First(), setup, 1000, 1999, 1);
  ASSERT_EQ(stream.size(), 999u * 8 * 2);
  EXPECT_EQ(stream, std::vector<BYTE>(stream.size(), 128));
  BYTE* data = nullptr;
  EXPECT_EQ(engine_->GetMixBlock(&data, nullptr), -1);  // not streaming
}

TEST_F(TrackMixerTest, StreamingInAnotherCodeGivesTheFormatBack) {
  Configure(2);
  const LONG frames = engine_->GetBlockFrames();
  ASSERT_TRUE(engine_->BeginMixStream(films_.First(), UnitySetup(1), 0, 1000, 4));
  EXPECT_EQ(engine_->GetState(), AudioPlayer::kStreaming);
  EXPECT_EQ(OutputFormat.nBlockAlign, 6);
  BYTE* data = nullptr;
  LONG got = 0;
  EXPECT_EQ(engine_->GetMixBlock(&data, &got), 5461 * 6);
  EXPECT_EQ(got, 5461);
  // Another operation ends the stream first.
  EXPECT_FALSE(engine_->BeginMixStream(films_.First(), UnitySetup(1), 0, 1000, 9));
  EXPECT_EQ(engine_->GetState(), AudioPlayer::kIdle);
  EXPECT_EQ(OutputFormat.nBlockAlign, 4);
  EXPECT_EQ(engine_->GetBlockFrames(), frames);
}

// The audio channel shows each change of the engine's state.
TEST_F(TrackMixerTest, TheAudioTraceShowsEachStateChange) {
  Configure(2);
  const unsigned before = SetTraceChannels(kTraceAudio);
  testing::internal::CaptureStderr();
  ASSERT_TRUE(engine_->BeginMixStream(films_.First(), UnitySetup(1), 0, 1000, 2));
  engine_->EndMixStream();
  const std::string out = testing::internal::GetCapturedStderr();
  SetTraceChannels(before);
  const std::size_t begun = out.find("engine 1 (idle) -> 10 (streaming)\n");
  ASSERT_NE(begun, std::string::npos) << out;
  EXPECT_NE(out.find("engine 10 (streaming) -> 1 (idle)\n", begun), std::string::npos) << out;
}

// The clip's list, the line's list and the master list each run once on
// their block.
class MixEffectsTest : public ComponentTest {
 protected:
  void SetUp() override {
    ComponentTest::SetUp();
    WriteRegistry(BuildRegistryText());
  }
  void TearDown() override {
    EffectList::FreeAll();
    ComponentTest::TearDown();
  }
  static EffectList* GainList(float gain) {
    Effect* effect = Effect::Create(CLSID_KobrixGain, "Gain");
    if (effect == nullptr) return nullptr;
    BYTE state[GainSettings::kStateSize];
    effect_state::Encode(GainSettings{gain}, state);
    EXPECT_NE(effect->component->LoadState(state, sizeof state), 0);
    EffectList* list = EffectList::New();
    list->Insert(effect, nullptr);
    return list;
  }
};

TEST_F(MixEffectsTest, ClipLineAndMasterListsEachRunOnce) {
  // No sound device here: a stream needs none.
  VirtualAudio::Reset({}, {});
  AudioPlayer engine;
  float delay = 1.0f, preview = 0.1f, maxPreview = 1.0f;
  EXPECT_EQ(engine.Configure(kRate, 1, 2, 4, 16, 4, delay, preview, maxPreview), kErrNoWaveDevice);
  EXPECT_EQ(OutputFormat.nSamplesPerSec, kRate);
  // A constant source of 100.
  std::vector<BYTE> bytes(16000);
  for (std::size_t i = 0; i < bytes.size(); i += 2) bytes[i] = 100;
  auto* source = new MemorySource(WAVE_FORMAT_PCM, 1, kRate, 16, 2, bytes);
  source->BeginRead();
  FilmListHead films;
  Film* clip = AddClip(films, source, 0, 0, 1000, 0);
  EffectList* clipList = GainList(2.0f);
  EffectList* lineList = GainList(3.0f);
  EffectList* masterList = GainList(5.0f);
  ASSERT_NE(clipList, nullptr);
  ASSERT_NE(lineList, nullptr);
  ASSERT_NE(masterList, nullptr);
  clip->effects = clipList;  // the film holds the list's one reference
  MixSetup setup = UnitySetup(1);
  setup.lines[0].effects = lineList;
  setup.masterEffects = masterList;
  for (bool here : {false, true}) {
    std::vector<BYTE> stream = StreamAll(engine, films.First(), setup, 0, 1000, 2, nullptr, here);
    ASSERT_EQ(stream.size(), 16000u);
    for (std::size_t i = 0; i < stream.size(); i += 2) {
      ASSERT_EQ(stream[i] | (stream[i + 1] << 8), 3000) << i << " here " << here;
    }
  }
  films.Clear();
  lineList->Release();
  masterList->Release();
  source->EndRead();
  source->Release();
}

// The time-line may give a playing clip another list, under the mixing lock,
// and give the old one back: the mix runs the new list from then on.
TEST_F(MixEffectsTest, AListReplacedWhileStreamingRunsFromThenOn) {
  VirtualAudio::Reset({}, {});
  AudioPlayer engine;
  float delay = 1.0f, preview = 0.1f, maxPreview = 1.0f;
  EXPECT_EQ(engine.Configure(kRate, 1, 2, 4, 16, 4, delay, preview, maxPreview), kErrNoWaveDevice);
  // Ten minutes of a constant 100: far longer than the workers can mix ahead
  // through an export's two deep rings, however late this thread runs.
  std::vector<BYTE> samples(kRate * 2 * 600);
  for (std::size_t i = 0; i < samples.size(); i += 2) samples[i] = 100;
  auto* source = new MemorySource(WAVE_FORMAT_PCM, 1, kRate, 16, 2, samples);
  source->BeginRead();
  FilmListHead films;
  Film* clip = AddClip(films, source, 0, 0, 600000, 0);
  clip->effects = GainList(2.0f);
  EffectList* doubled = GainList(4.0f);
  ASSERT_NE(clip->effects, nullptr);
  ASSERT_NE(doubled, nullptr);
  auto level = [](const BYTE* data, LONG bytes) {
    const int first = data[0] | (data[1] << 8);
    for (LONG i = 2; i < bytes; i += 2) {
      if ((data[i] | (data[i + 1] << 8)) != first) return -1;
    }
    return first;
  };
  ASSERT_TRUE(engine.BeginMixStream(films.First(), UnitySetup(1), 0, 600000, 2));
  BYTE* data = nullptr;
  LONG bytes = engine.GetMixBlock(&data, nullptr);
  ASSERT_GT(bytes, 0);
  EXPECT_EQ(level(data, bytes), 200);
  EnterCriticalSection(&engine.MixingLock());
  EffectChain* old = clip->effects;
  clip->effects = doubled;
  old->Release();
  LeaveCriticalSection(&engine.MixingLock());
  int last = 0;
  while ((bytes = engine.GetMixBlock(&data, nullptr)) > 0) last = level(data, bytes);
  engine.EndMixStream();
  EXPECT_EQ(last, 400);
  films.Clear();
  source->EndRead();
  source->Release();
}

}  // namespace
