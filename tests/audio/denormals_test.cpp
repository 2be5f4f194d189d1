// Effect tails on the mixing threads: what decays toward silence ends in
// true zeros, never in subnormal numbers, and costs no more than sound.
#include "audio/denormals.h"

#include <gtest/gtest.h>
#include <time.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <vector>

#include "audio/audio_player.h"
#include "audio/effect_list.h"
#include "mix_fixture.h"
#include "platform/audio/virtual_audio.h"
#include "platform/components/component_test_support.h"
#include "platform/components/effects/common/effect_block.h"
#include "platform/components/effects/effect_classes.h"

namespace {

constexpr DWORD kRate = 8000;
constexpr int kFloatCode = 7;

bool Subnormal(float v) {
  return v != 0.0f && std::fabs(v) < FLT_MIN;
}

struct Case {
  const char* what;
  const CLSID* clsid;
  std::vector<BYTE> state;
};

template <class Settings>
std::vector<BYTE> StateOf(const Settings& settings) {
  std::vector<BYTE> state(Settings::kStateSize);
  effect_state::Encode(settings, state.data());
  return state;
}

std::vector<Case> Cases() {
  return {{"echo", &CLSID_KobrixEcho, StateOf(EchoSettings{1.0f, 0.5f, 0.5f})},
          {"equaliser", &CLSID_KobrixEqualizer, StateOf(EqualizerSettings{1000.0f, 12.0f, 4.0f})}};
}

class DenormalsTest : public ComponentTest {
 protected:
  void SetUp() override {
    ComponentTest::SetUp();
    WriteRegistry(BuildRegistryText());
  }
  void TearDown() override {
    EffectList::FreeAll();
    ComponentTest::TearDown();
  }
  static Effect* Make(const Case& c) {
    Effect* effect = Effect::Create(*c.clsid, c.what);
    if (effect != nullptr) {
      EXPECT_NE(
          effect->component->LoadState(const_cast<BYTE*>(c.state.data()), static_cast<long>(c.state.size())),
          0);
    }
    return effect;
  }
};

// An impulse through the effect on a line, mixed to float output: the tail
// falls to exact zeros and no sample on the way is subnormal.
TEST_F(DenormalsTest, AnEffectTailOnALineDecaysToTrueZero) {
  VirtualAudio::Reset({}, {});
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.what);
    AudioPlayer engine;
    float delay = 1.0f, preview = 0.1f, maxPreview = 1.0f;
    engine.Configure(kRate, 1, kFloatCode, 4, 16, 4, delay, preview, maxPreview);
    std::vector<BYTE> bytes(2 * kRate, 0);  // a second: one loud sample, then silence
    bytes[0] = 0xFF;
    bytes[1] = 0x7F;
    auto* source = new MemorySource(WAVE_FORMAT_PCM, 1, kRate, 16, 2, bytes);
    source->BeginRead();
    FilmListHead films;
    AddClip(films, source, 0, 0, 1000, 0);
    Effect* effect = Make(c);
    ASSERT_NE(effect, nullptr);
    EffectList* list = EffectList::New();
    list->Insert(effect, nullptr);
    MixSetup setup = UnitySetup(1);
    setup.lines[0].effects = list;

    // Mixed by the engine's threads, and on this thread as the sound exports are.
    for (bool here : {false, true}) {
      SCOPED_TRACE(here ? "mixed here" : "mixed by the workers");
      const std::vector<BYTE> stream = StreamAll(engine, films.First(), setup, 0, 1000, kFloatCode, nullptr, here);
      ASSERT_EQ(stream.size(), 4u * kRate);
      std::vector<float> out(kRate);
      std::memcpy(out.data(), stream.data(), stream.size());
      EXPECT_GT(out[0], 0.5f);
      std::size_t lastSound = 0;
      for (std::size_t i = 0; i < out.size(); ++i) {
        ASSERT_FALSE(Subnormal(out[i])) << "sample " << i << " is " << out[i];
        if (out[i] != 0.0f) lastSound = i;
      }
      // Well before the end the tail is gone.
      EXPECT_LT(lastSound, out.size() / 2);
    }

    films.Clear();
    list->Release();
    source->EndRead();
    source->Release();
  }
}

double ThreadSeconds() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

// The effect fed blocks of a level, as the mixer thread runs it: the best
// of a few rounds of CPU time.
double SecondsFor(IAudioEffect* effect, float level) {
  constexpr LONG kFrames = 4096;
  std::vector<float> fresh(kFrames * 2), samples(fresh.size());
  for (std::size_t i = 0; i < fresh.size(); ++i) fresh[i] = level * static_cast<float>(std::sin(0.01 * i));
  double best = 1e9;
  for (int round = 0; round < 5; ++round) {
    effect->Reset();
    const double begin = ThreadSeconds();
    for (int block = 0; block < 50; ++block) {
      samples = fresh;
      EffectBlock b{samples.data(), kFrames, kFrames, kFrames, {1, 2, kRate, kRate * 8, 8, 32}};
      effect->Process(reinterpret_cast<SampleBlock*>(&b));
    }
    best = std::min(best, ThreadSeconds() - begin);
  }
  return best;
}

// Sound below the smallest normal float costs the effect no more than loud
// sound does. (Processors differ in what subnormals cost: on some the
// difference is tenfold, on others hardly any.)
TEST_F(DenormalsTest, ATailNearZeroCostsNoMoreThanSound) {
  FlushDenormals flush;
  ASSERT_TRUE(FlushDenormals::Active());
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.what);
    Effect* effect = Make(c);
    ASSERT_NE(effect, nullptr);
    effect->component->SetFormat(kRate, 2);
    const double loud = SecondsFor(effect->component, 8000.0f);
    const double faint = SecondsFor(effect->component, 0.5f * FLT_MIN);
    EXPECT_LT(faint, 2.0 * loud + 1e-4) << "faint " << faint << " s, loud " << loud << " s";
    delete effect;
  }
}

TEST(FlushDenormals, SetsTheThreadsModeAndGivesTheOldOneBack) {
  const bool before = FlushDenormals::Active();
  {
    FlushDenormals flush;
    EXPECT_TRUE(FlushDenormals::Active());
    volatile float tiny = FLT_MIN;
    volatile float half = tiny * 0.5f;
    EXPECT_EQ(half, 0.0f);
  }
  EXPECT_EQ(FlushDenormals::Active(), before);
}

}  // namespace
