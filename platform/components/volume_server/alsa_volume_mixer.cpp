// The ALSA mixer of a sound card: its simple elements with a playback or a
// capture volume. Each call opens the card's mixer and closes it again, so
// that values set by other programs meanwhile are seen.
#include <alsa/asoundlib.h>

#include <mutex>
#include <string>

#include "platform/components/volume_server.h"

namespace {

void Quiet(const char*, int, const char*, int, const char*, ...) {}

class MixerHandle {
 public:
  explicit MixerHandle(LONG device) {
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(Quiet); });
    const std::string card = device < 0 ? "default" : "hw:" + std::to_string(device);
    if (snd_mixer_open(&mixer_, 0) < 0) {
      mixer_ = nullptr;
      return;
    }
    if (snd_mixer_attach(mixer_, card.c_str()) < 0 ||
        snd_mixer_selem_register(mixer_, nullptr, nullptr) < 0 || snd_mixer_load(mixer_) < 0) {
      snd_mixer_close(mixer_);
      mixer_ = nullptr;
    }
  }
  ~MixerHandle() {
    if (mixer_ != nullptr) snd_mixer_close(mixer_);
  }
  MixerHandle(const MixerHandle&) = delete;
  MixerHandle& operator=(const MixerHandle&) = delete;
  snd_mixer_t* get() const { return mixer_; }

 private:
  snd_mixer_t* mixer_ = nullptr;
};

bool HasVolume(snd_mixer_elem_t* e, bool input) {
  return snd_mixer_selem_is_active(e) &&
         (input ? snd_mixer_selem_has_capture_volume(e) : snd_mixer_selem_has_playback_volume(e));
}

class AlsaVolumeMixer : public VolumeMixer {
 public:
  std::vector<VolumeControlInfo> Controls(LONG device, bool input) override {
    std::vector<VolumeControlInfo> out;
    MixerHandle mixer(device);
    if (mixer.get() == nullptr) return out;
    for (snd_mixer_elem_t* e = snd_mixer_first_elem(mixer.get()); e != nullptr; e = snd_mixer_elem_next(e)) {
      if (!HasVolume(e, input)) continue;
      VolumeControlInfo c;
      c.name = snd_mixer_selem_get_name(e);
      long value = 0;
      if (input) {
        snd_mixer_selem_get_capture_volume_range(e, &c.minimum, &c.maximum);
        snd_mixer_selem_get_capture_volume(e, SND_MIXER_SCHN_FRONT_LEFT, &value);
      } else {
        snd_mixer_selem_get_playback_volume_range(e, &c.minimum, &c.maximum);
        snd_mixer_selem_get_playback_volume(e, SND_MIXER_SCHN_FRONT_LEFT, &value);
      }
      if (c.maximum <= c.minimum) continue;
      c.value = value;
      out.push_back(c);
    }
    return out;
  }

  bool SetValue(LONG device, bool input, const std::string& name, long value) override {
    MixerHandle mixer(device);
    if (mixer.get() == nullptr) return false;
    for (snd_mixer_elem_t* e = snd_mixer_first_elem(mixer.get()); e != nullptr; e = snd_mixer_elem_next(e)) {
      if (!HasVolume(e, input) || name != snd_mixer_selem_get_name(e)) continue;
      return (input ? snd_mixer_selem_set_capture_volume_all(e, value)
                    : snd_mixer_selem_set_playback_volume_all(e, value)) >= 0;
    }
    return false;
  }
};

}  // namespace

std::unique_ptr<VolumeMixer> MakeAlsaVolumeMixer() {
  return std::make_unique<AlsaVolumeMixer>();
}
