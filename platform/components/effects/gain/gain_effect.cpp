// KOBRIX.Gain: every sample times one gain.
#include "platform/components/effects/common/effect_component.h"
#include "platform/components/effects/effect_classes.h"

namespace {

class GainEffect final : public EffectComponent {
 protected:
  LONG StateSize() const override { return GainSettings::kStateSize; }
  void EncodeState(BYTE* out) const override { effect_state::Encode(settings_, out); }
  bool DecodeState(const BYTE* in, LONG size) override { return effect_state::Decode(in, size, &settings_); }
  void Configure() override {}
  void ClearMemory() override {}
  void ProcessFrames(float* samples, LONG frames) override {
    const float gain = settings_.gain;
    const std::size_t count = static_cast<std::size_t>(frames) * channels_;
    for (std::size_t i = 0; i < count; ++i) samples[i] *= gain;
  }
  std::unique_ptr<EffectSettingsWindow> CreateSettingsWindow() override {
    return MakeRowSettingsWindow(
        this, "KOBRIX.Gain.Settings", "Gain",
        {{"Gain", &settings_.gain, GainSettings::kMin, GainSettings::kMax, 1600, 2, false}});
  }

 private:
  GainSettings settings_;
};

}  // namespace

KOBRIX_MODULE_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  return GetEffectClassObject<GainEffect>(CLSID_KobrixGain, clsid, iid, object);
}

KOBRIX_MODULE_EXPORT HRESULT DllCanUnloadNow() {
  return ModuleCanUnloadNow();
}
