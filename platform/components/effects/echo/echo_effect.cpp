// KOBRIX.Echo: a delay line with feedback, mixed into the dry sound.
#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "platform/components/effects/common/effect_component.h"
#include "platform/components/effects/effect_classes.h"

namespace {

class EchoEffect final : public EffectComponent {
 protected:
  LONG StateSize() const override { return EchoSettings::kStateSize; }
  void EncodeState(BYTE* out) const override { effect_state::Encode(settings_, out); }
  bool DecodeState(const BYTE* in, LONG size) override { return effect_state::Decode(in, size, &settings_); }

  void Configure() override {
    std::size_t frames = static_cast<std::size_t>(std::lround(settings_.delayMs * 0.001 * rate_));
    if (frames < 1) frames = 1;
    const std::size_t size = frames * channels_;
    if (size == line_.size() && frames == delayFrames_) return;  // same shape: keep the echoes
    try {
      line_.assign(size, 0.0f);
      delayFrames_ = frames;
    } catch (const std::bad_alloc&) {
      line_.clear();  // no line: the sound passes dry
      delayFrames_ = 0;
    }
    position_ = 0;
  }

  void ClearMemory() override {
    std::fill(line_.begin(), line_.end(), 0.0f);
    position_ = 0;
  }

  void ProcessFrames(float* samples, LONG frames) override {
    if (delayFrames_ == 0) return;
    const float wet = settings_.wet;
    const float feedback = settings_.feedback;
    const std::size_t channels = channels_;
    std::size_t left = static_cast<std::size_t>(frames);
    while (left > 0) {
      // The stretch up to the end of the ring is contiguous in both buffers.
      const std::size_t run = std::min(left, delayFrames_ - position_);
      float* line = line_.data() + position_ * channels;
      const std::size_t count = run * channels;
      for (std::size_t i = 0; i < count; ++i) {
        const float in = samples[i];
        const float delayed = line[i];
        samples[i] = in + wet * delayed;
        float next = in + feedback * delayed;
        // A dying tail would otherwise sink into slow denormal numbers.
        if (std::fabs(next) < 1e-15f) next = 0.0f;
        line[i] = next;
      }
      samples += count;
      left -= run;
      position_ += run;
      if (position_ == delayFrames_) position_ = 0;
    }
  }

  std::unique_ptr<EffectSettingsWindow> CreateSettingsWindow() override {
    const float feedback = EchoSettings::kMaxFeedback;
    return MakeRowSettingsWindow(this, "KOBRIX.Echo.Settings", "Echo",
                                 {{"Delay (ms)", &settings_.delayMs, EchoSettings::kMinDelayMs,
                                   EchoSettings::kMaxDelayMs, 1000, 0, true},
                                  {"Feedback", &settings_.feedback, -feedback, feedback, 198, 2, false},
                                  {"Echo level", &settings_.wet, 0.0f, 1.0f, 100, 2, false}});
  }

 private:
  EchoSettings settings_;
  std::vector<float> line_;  // interleaved frames
  std::size_t delayFrames_ = 0;
  std::size_t position_ = 0;
};

}  // namespace

KOBRIX_MODULE_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  return GetEffectClassObject<EchoEffect>(CLSID_KobrixEcho, clsid, iid, object);
}

KOBRIX_MODULE_EXPORT HRESULT DllCanUnloadNow() {
  return ModuleCanUnloadNow();
}
