// KOBRIX.Equalizer: one peaking band, the biquad of the Audio EQ Cookbook
// (R. Bristow-Johnson), run in double precision per channel.
#include <algorithm>
#include <array>
#include <cmath>

#include "platform/components/effects/common/effect_component.h"
#include "platform/components/effects/effect_classes.h"

namespace {

class EqualizerEffect final : public EffectComponent {
 protected:
  LONG StateSize() const override { return EqualizerSettings::kStateSize; }
  void EncodeState(BYTE* out) const override { effect_state::Encode(settings_, out); }
  bool DecodeState(const BYTE* in, LONG size) override { return effect_state::Decode(in, size, &settings_); }

  void Configure() override {
    const double pi = 3.14159265358979323846;
    // A centre at or above half the rate has no meaning: keep it below.
    const double frequency = std::min<double>(settings_.frequency, 0.49 * rate_);
    const double a = std::pow(10.0, settings_.gainDb / 40.0);
    const double w0 = 2.0 * pi * frequency / rate_;
    const double alpha = std::sin(w0) / (2.0 * settings_.q);
    const double cosw = std::cos(w0);
    const double a0 = 1.0 + alpha / a;
    b0_ = (1.0 + alpha * a) / a0;
    b1_ = -2.0 * cosw / a0;
    b2_ = (1.0 - alpha * a) / a0;
    a1_ = -2.0 * cosw / a0;
    a2_ = (1.0 - alpha / a) / a0;
  }

  void ClearMemory() override { memory_.fill(Memory{}); }

  void ProcessFrames(float* samples, LONG frames) override {
    const std::size_t channels = channels_;
    for (std::size_t c = 0; c < channels; ++c) {
      // Transposed direct form II.
      double z1 = memory_[c].z1;
      double z2 = memory_[c].z2;
      float* s = samples + c;
      for (LONG n = 0; n < frames; ++n, s += channels) {
        const double x = *s;
        const double y = b0_ * x + z1;
        z1 = b1_ * x - a1_ * y + z2;
        z2 = b2_ * x - a2_ * y;
        *s = static_cast<float>(y);
      }
      // Silence after sound would otherwise leave denormal memories.
      if (std::fabs(z1) < 1e-30) z1 = 0.0;
      if (std::fabs(z2) < 1e-30) z2 = 0.0;
      memory_[c].z1 = z1;
      memory_[c].z2 = z2;
    }
  }

  std::unique_ptr<EffectSettingsWindow> CreateSettingsWindow() override {
    const float gain = EqualizerSettings::kMaxGainDb;
    return MakeRowSettingsWindow(
        this, "KOBRIX.Equalizer.Settings", "Parametric Equaliser",
        {{"Frequency (Hz)", &settings_.frequency, EqualizerSettings::kMinFrequency,
          EqualizerSettings::kMaxFrequency, 1000, 1, true},
         {"Gain (dB)", &settings_.gainDb, -gain, gain, 480, 1, false},
         {"Q", &settings_.q, EqualizerSettings::kMinQ, EqualizerSettings::kMaxQ, 1000, 2, true}});
  }

 private:
  struct Memory {
    double z1 = 0.0;
    double z2 = 0.0;
  };
  EqualizerSettings settings_;
  double b0_ = 1.0, b1_ = 0.0, b2_ = 0.0, a1_ = 0.0, a2_ = 0.0;
  std::array<Memory, kMaxChannels> memory_{};
};

}  // namespace

KOBRIX_MODULE_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  return GetEffectClassObject<EqualizerEffect>(CLSID_KobrixEqualizer, clsid, iid, object);
}

KOBRIX_MODULE_EXPORT HRESULT DllCanUnloadNow() {
  return ModuleCanUnloadNow();
}
