// Each effect component's processing of float blocks, in frames per second
// (items_per_second): 4096-frame blocks at 48000 Hz, mono and stereo, fresh
// sound in every block (a block processed again and again would decay into
// subnormal numbers and time those instead), on a thread set up as the
// mixer's. The copy of the fresh block (16 or 32 KB) is inside the figure.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "audio/denormals.h"
#include "platform/components/audio_effect.h"
#include "platform/components/effects/common/effect_block.h"
#include "platform/components/effects/effect_classes.h"
#include "platform/core/dynlib.h"

namespace {

// The component straight from its module's class object.
IAudioEffect* CreateFromModule(const char* library, REFCLSID clsid) {
  HMODULE module = LoadLibrary((std::string(KOBRIX_EFFECT_MODULE_DIR) + "/" + library).c_str());
  if (module == nullptr) return nullptr;
  auto entry = reinterpret_cast<DllGetClassObjectEntry>(GetProcAddress(module, "DllGetClassObject"));
  IClassFactory* factory = nullptr;
  if (entry == nullptr || FAILED(entry(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory))))
    return nullptr;
  IAudioEffect* effect = nullptr;
  factory->CreateInstance(nullptr, IID_IAudioEffect, reinterpret_cast<void**>(&effect));
  factory->Release();
  if (effect != nullptr) effect->Initialize();
  return effect;
}

template <class Settings>
void Run(benchmark::State& state, const char* library, REFCLSID clsid, const Settings& settings) {
  const WORD channels = static_cast<WORD>(state.range(0));
  constexpr LONG kFrames = 4096;
  constexpr DWORD kRate = 48000;
  IAudioEffect* effect = CreateFromModule(library, clsid);
  if (effect == nullptr) {
    state.SkipWithError("module not found");
    return;
  }
  BYTE bytes[Settings::kStateSize];
  effect_state::Encode(settings, bytes);
  effect->LoadState(bytes, Settings::kStateSize);
  effect->SetFormat(kRate, channels);
  FlushDenormals flush;
  std::vector<float> fresh(static_cast<size_t>(kFrames) * channels);
  for (size_t i = 0; i < fresh.size(); ++i) fresh[i] = static_cast<float>(8000.0 * std::sin(0.01 * i));
  std::vector<float> samples(fresh.size());
  EffectBlock block{samples.data(),
                    kFrames,
                    kFrames,
                    kFrames,
                    {1, channels, kRate, kRate * channels * 4u, static_cast<WORD>(channels * 4), 32}};
  for (auto _ : state) {
    std::memcpy(samples.data(), fresh.data(), fresh.size() * sizeof(float));
    effect->Process(reinterpret_cast<SampleBlock*>(&block));
    benchmark::DoNotOptimize(samples.data());
  }
  state.SetItemsProcessed(state.iterations() * kFrames);
  effect->Release();
}

void BM_Gain(benchmark::State& state) {
  Run(state, "KXGAIN.DLL", CLSID_KobrixGain, GainSettings{0.9f});
}
void BM_Echo(benchmark::State& state) {
  Run(state, "KXECHO.DLL", CLSID_KobrixEcho, EchoSettings{250.0f, 0.5f, 0.5f});
}
void BM_Equalizer(benchmark::State& state) {
  Run(state, "KXPARAEQ.DLL", CLSID_KobrixEqualizer, EqualizerSettings{1000.0f, 6.0f, 1.0f});
}

BENCHMARK(BM_Gain)->Arg(1)->Arg(2);
BENCHMARK(BM_Echo)->Arg(1)->Arg(2);
BENCHMARK(BM_Equalizer)->Arg(1)->Arg(2);

}  // namespace
