// Our effect components, created through the registry as the program creates
// them, checked against their formulas.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "component_test_support.h"
#include "platform/components/audio_effect.h"
#include "platform/components/effects/common/effect_block.h"
#include "platform/components/effects/effect_classes.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

class EffectComponentTest : public EffectsTest {
 protected:
  template <class Settings>
  static bool Load(IAudioEffect* effect, const Settings& settings) {
    BYTE state[Settings::kStateSize];
    effect_state::Encode(settings, state);
    return effect->LoadState(state, Settings::kStateSize) != 0;
  }
  // Runs samples (interleaved) through the effect in blocks of blockFrames.
  static void Run(IAudioEffect* effect, std::vector<float>& samples, DWORD rate, WORD channels,
                  LONG blockFrames) {
    const LONG frames = static_cast<LONG>(samples.size() / channels);
    for (LONG first = 0; first < frames; first += blockFrames) {
      const LONG n = std::min(blockFrames, frames - first);
      EffectBlock block{samples.data() + static_cast<size_t>(first) * channels, n, n, n, {}};
      block.format = {WAVE_FORMAT_PCM_FLOAT_AS_MIXED,  channels, rate, rate * channels * 4u,
                      static_cast<WORD>(channels * 4), 32};
      ASSERT_EQ(effect->Process(reinterpret_cast<SampleBlock*>(&block)), S_OK);
    }
  }
  // The mixer labels its float blocks PCM with 32 bits.
  static constexpr WORD WAVE_FORMAT_PCM_FLOAT_AS_MIXED = 1;
};

TEST_F(EffectComponentTest, ShippedEntriesNameEveryComponent) {
  struct Case {
    const char* progId;
    CLSID clsid;
    LONG stateSize;
  };
  const Case cases[] = {{kGainProgId, CLSID_KobrixGain, GainSettings::kStateSize},
                        {kEchoProgId, CLSID_KobrixEcho, EchoSettings::kStateSize},
                        {kEqualizerProgId, CLSID_KobrixEqualizer, EqualizerSettings::kStateSize}};
  for (const Case& c : cases) {
    CLSID clsid;
    ASSERT_EQ(CLSIDFromProgID(c.progId, &clsid), NOERROR) << c.progId;
    EXPECT_EQ(clsid, c.clsid) << c.progId;
    LPSTR progId = nullptr;
    ASSERT_EQ(ProgIDFromCLSID(c.clsid, &progId), S_OK);
    EXPECT_STREQ(progId, c.progId);
    CoTaskMemFree(progId);
    IAudioEffect* effect = Create(c.clsid, 44100, 2);
    ASSERT_NE(effect, nullptr) << c.progId;
    EXPECT_EQ(effect->GetStateSize(0), c.stateSize);
    // The loader gave the module the program's window functions.
    EXPECT_NE(effect->HasSettings(), 0);
    EXPECT_EQ(effect->CloseSettings(), S_OK);  // nothing open: nothing to do
    EXPECT_EQ(effect->SetId(77), S_OK);
    EXPECT_EQ(effect->GetId(), 77u);
  }
}

TEST_F(EffectComponentTest, GainHalvesEverySample) {
  IAudioEffect* gain = Create(CLSID_KobrixGain, 48000, 2);
  ASSERT_NE(gain, nullptr);
  ASSERT_TRUE(Load(gain, GainSettings{0.5f}));
  std::vector<float> samples(2 * 1000);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<float>((i * 7919) % 65536) - 32768.0f;
  const std::vector<float> before = samples;
  Run(gain, samples, 48000, 2, 333);
  for (size_t i = 0; i < samples.size(); ++i) ASSERT_EQ(samples[i], before[i] * 0.5f) << i;
}

TEST_F(EffectComponentTest, StatesRoundTripAndBadStatesAreRefused) {
  IAudioEffect* echo = Create(CLSID_KobrixEcho, 44100, 1);
  ASSERT_NE(echo, nullptr);
  const EchoSettings set{120.0f, -0.25f, 0.75f};
  ASSERT_TRUE(Load(echo, set));
  BYTE saved[EchoSettings::kStateSize];
  ASSERT_NE(echo->SaveState(saved, sizeof saved), 0);
  EchoSettings back;
  ASSERT_TRUE(effect_state::Decode(saved, sizeof saved, &back));
  EXPECT_EQ(back.delayMs, set.delayMs);
  EXPECT_EQ(back.feedback, set.feedback);
  EXPECT_EQ(back.wet, set.wet);
  EXPECT_EQ(echo->SaveState(saved, sizeof saved - 1), 0);
  EXPECT_EQ(echo->SaveState(nullptr, sizeof saved), 0);

  // Each bad state leaves the effect as it was.
  struct Bad {
    const char* why;
    EchoSettings settings;
    DWORD version;
    LONG size;
  };
  const Bad bads[] = {
      {"feedback that never dies", {100.0f, 1.0f, 0.5f}, 1, 16},
      {"delay too long", {5001.0f, 0.5f, 0.5f}, 1, 16},
      {"not a number", {NAN, 0.5f, 0.5f}, 1, 16},
      {"negative wet", {100.0f, 0.5f, -0.1f}, 1, 16},
      {"other version", {100.0f, 0.5f, 0.5f}, 2, 16},
      {"short", {100.0f, 0.5f, 0.5f}, 1, 12},
  };
  for (const Bad& bad : bads) {
    BYTE state[16];
    effect_state::Encode(bad.settings, state);
    effect_state::PutU32(state, bad.version);
    EXPECT_EQ(echo->LoadState(state, bad.size), 0) << bad.why;
    BYTE now[16];
    ASSERT_NE(echo->SaveState(now, 16), 0);
    EXPECT_EQ(std::memcmp(now, saved, 16), 0) << bad.why;
  }
  EXPECT_EQ(echo->LoadState(nullptr, 16), 0);
}

// out[n] = in[n] + wet * d[n - D], d[n] = in[n] + feedback * d[n - D]: an
// impulse gives 1 at 0 and wet * feedback^(k-1) at k delays.
TEST_F(EffectComponentTest, EchoImpulseResponseHasItsTaps) {
  struct Case {
    DWORD rate;
    float delayMs;
    float feedback;
    float wet;
    LONG blockFrames;
  };
  const Case cases[] = {
      {48000, 10.0f, 0.5f, 0.5f, 100}, {44100, 25.0f, -0.7f, 1.0f, 4096}, {22050, 1.0f, 0.9f, 0.25f, 7}};
  for (const Case& c : cases) {
    IAudioEffect* echo = Create(CLSID_KobrixEcho, c.rate, 2);
    ASSERT_NE(echo, nullptr);
    ASSERT_TRUE(Load(echo, EchoSettings{c.delayMs, c.feedback, c.wet}));
    const size_t delay = static_cast<size_t>(std::lround(c.delayMs * c.rate / 1000.0));
    const size_t frames = delay * 5 + 3;
    std::vector<float> samples(frames * 2, 0.0f);
    samples[0] = 10000.0f;  // left only: the right channel stays silent
    Run(echo, samples, c.rate, 2, c.blockFrames);
    for (size_t n = 0; n < frames; ++n) {
      double expected = 0.0;
      if (n == 0)
        expected = 10000.0;
      else if (n % delay == 0)
        expected = 10000.0 * c.wet * std::pow(c.feedback, static_cast<double>(n / delay - 1));
      ASSERT_NEAR(samples[2 * n], expected, 1e-3 * std::max(1.0, std::fabs(expected)))
          << "frame " << n << " rate " << c.rate;
      ASSERT_EQ(samples[2 * n + 1], 0.0f) << "frame " << n;
    }
  }
}

TEST_F(EffectComponentTest, EchoResetForgetsTheTail) {
  IAudioEffect* echo = Create(CLSID_KobrixEcho, 8000, 1);
  ASSERT_NE(echo, nullptr);
  ASSERT_TRUE(Load(echo, EchoSettings{100.0f, 0.5f, 0.5f}));
  std::vector<float> samples(400, 0.0f);
  samples[0] = 1.0f;
  Run(echo, samples, 8000, 1, 400);
  ASSERT_EQ(echo->Reset(), S_OK);
  std::vector<float> silence(2000, 0.0f);
  Run(echo, silence, 8000, 1, 500);
  for (float s : silence) ASSERT_EQ(s, 0.0f);
}

// The gain of a sine at f through the effect, in dB, from the steady part of
// the output (a whole number of periods).
double MeasureDb(EffectComponentTest* test, IAudioEffect* eq, DWORD rate, double f) {
  const size_t settle = rate;  // one second
  const size_t measure = rate;
  std::vector<float> samples(settle + measure);
  for (size_t n = 0; n < samples.size(); ++n)
    samples[n] = static_cast<float>(10000.0 * std::sin(2.0 * kPi * f * n / rate));
  std::vector<float> in = samples;
  eq->Reset();
  for (size_t first = 0; first < samples.size(); first += 512) {
    const LONG n = static_cast<LONG>(std::min<size_t>(512, samples.size() - first));
    EffectBlock block{samples.data() + first, n, n, n, {3, 1, rate, rate * 4, 4, 32}};
    eq->Process(reinterpret_cast<SampleBlock*>(&block));
  }
  double outPower = 0.0, inPower = 0.0;
  for (size_t n = settle; n < samples.size(); ++n) {
    outPower += static_cast<double>(samples[n]) * samples[n];
    inPower += static_cast<double>(in[n]) * in[n];
  }
  return 10.0 * std::log10(outPower / inPower);
}

TEST_F(EffectComponentTest, EqualizerResponseAtItsCentreIsItsGain) {
  struct Case {
    DWORD rate;
    float frequency;
    float gainDb;
    float q;
  };
  const Case cases[] = {{48000, 1000.0f, 6.0f, 1.0f},
                        {48000, 1000.0f, -12.0f, 2.0f},
                        {44100, 2205.0f, 18.0f, 0.7f},
                        {22050, 105.0f, -24.0f, 8.0f}};
  for (const Case& c : cases) {
    IAudioEffect* eq = Create(CLSID_KobrixEqualizer, c.rate, 1);
    ASSERT_NE(eq, nullptr);
    ASSERT_TRUE(Load(eq, EqualizerSettings{c.frequency, c.gainDb, c.q}));
    EXPECT_NEAR(MeasureDb(this, eq, c.rate, c.frequency), c.gainDb, 0.1)
        << c.frequency << " Hz at " << c.rate;
  }
  // Far from a narrow band the sound passes unchanged.
  IAudioEffect* eq = Create(CLSID_KobrixEqualizer, 48000, 1);
  ASSERT_TRUE(Load(eq, EqualizerSettings{6000.0f, 12.0f, 4.0f}));
  EXPECT_NEAR(MeasureDb(this, eq, 48000, 100.0), 0.0, 0.1);
}

TEST_F(EffectComponentTest, BypassAndForeignBlocksLeaveSamplesAlone) {
  IAudioEffect* gain = Create(CLSID_KobrixGain, 48000, 1);
  ASSERT_NE(gain, nullptr);
  ASSERT_TRUE(Load(gain, GainSettings{0.25f}));
  std::vector<float> samples(64, 1000.0f);
  EffectBlock block{samples.data(), 64, 64, 64, {1, 1, 48000, 192000, 4, 32}};
  ASSERT_EQ(gain->SetBypass(TRUE), S_OK);
  EXPECT_NE(gain->IsBypassed(), 0);
  EXPECT_EQ(gain->Process(reinterpret_cast<SampleBlock*>(&block)), S_FALSE);
  ASSERT_EQ(gain->SetBypass(FALSE), S_OK);
  EXPECT_EQ(gain->IsBypassed(), 0);

  // 16-bit samples, too many channels, no data: refused, nothing written.
  EffectBlock pcm16 = block;
  pcm16.format.wBitsPerSample = 16;
  EXPECT_EQ(gain->Process(reinterpret_cast<SampleBlock*>(&pcm16)), E_INVALIDARG);
  EffectBlock wide = block;
  wide.format.nChannels = 9;
  EXPECT_EQ(gain->Process(reinterpret_cast<SampleBlock*>(&wide)), E_INVALIDARG);
  EffectBlock empty = block;
  empty.data = nullptr;
  EXPECT_EQ(gain->Process(reinterpret_cast<SampleBlock*>(&empty)), E_POINTER);
  EXPECT_EQ(gain->Process(nullptr), E_POINTER);
  for (float s : samples) ASSERT_EQ(s, 1000.0f);

  // Frames held beyond the capacity are never touched.
  EffectBlock over = block;
  over.held = 64;
  over.capacity = 10;
  EXPECT_EQ(gain->Process(reinterpret_cast<SampleBlock*>(&over)), S_OK);
  for (int i = 0; i < 64; ++i) ASSERT_EQ(samples[i], i < 10 ? 250.0f : 1000.0f) << i;
  EXPECT_EQ(gain->SetFormat(0, 1), E_INVALIDARG);
  EXPECT_EQ(gain->SetFormat(44100, 0), E_INVALIDARG);
}

}  // namespace
