// Real sound devices through SDL2. The audio part of SDL is started only
// when a device is first asked for. SDL's callback thread pulls the bytes
// to play from the device's queue (or pushes what it captured into it); a
// converting stream sits in between when the device runs another format, and
// 24-bit samples travel as 32-bit ones, since SDL has no packed 24-bit type.
#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/audio/audio_backend.h"

namespace {

SDL_AudioFormat SdlFormatOf(const WAVEFORMATEX& f) {
  if (f.wFormatTag == WAVE_FORMAT_IEEE_FLOAT) return AUDIO_F32LSB;
  switch (f.wBitsPerSample) {
    case 8:
      return AUDIO_U8;
    case 16:
      return AUDIO_S16LSB;
    default:
      return AUDIO_S32LSB;
  }
}

class SdlStream : public BackendStream {
 public:
  SdlStream(bool capture, const WAVEFORMATEX& format, WavePort* port)
      : capture_(capture),
        format_(format),
        port_(port),
        packed24_(format.wFormatTag == WAVE_FORMAT_PCM && format.nBlockAlign == format.nChannels * 3) {}

  ~SdlStream() override {
    if (device_ != 0) SDL_CloseAudioDevice(device_);
    if (converter_ != nullptr) SDL_FreeAudioStream(converter_);
  }

  MMRESULT Open(const char* name) {
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(format_.nSamplesPerSec);
    want.format = SdlFormatOf(format_);
    want.channels = static_cast<Uint8>(format_.nChannels);
    want.samples = format_.nSamplesPerSec >= 32000 ? 1024 : 512;
    want.callback = &SdlStream::Callback;
    want.userdata = this;
    device_ = SDL_OpenAudioDevice(name, capture_ ? 1 : 0, &want, &have_, SDL_AUDIO_ALLOW_ANY_CHANGE);
    if (device_ == 0) return MMSYSERR_ALLOCATED;
    if (have_.freq != want.freq || have_.format != want.format || have_.channels != want.channels ||
        packed24_) {
      if (capture_) {
        converter_ = SDL_NewAudioStream(have_.format, have_.channels, have_.freq, want.format, want.channels,
                                        want.freq);
      } else {
        converter_ = SDL_NewAudioStream(want.format, want.channels, want.freq, have_.format, have_.channels,
                                        have_.freq);
      }
      if (converter_ == nullptr) return MMSYSERR_NOTSUPPORTED;
    }
    SDL_PauseAudioDevice(device_, 0);
    return MMSYSERR_NOERROR;
  }

 private:
  static void Callback(void* user, Uint8* stream, int length) {
    auto* self = static_cast<SdlStream*>(user);
    if (self->capture_) {
      self->Capture(stream, static_cast<std::size_t>(length));
    } else {
      self->Play(stream, static_cast<std::size_t>(length));
    }
  }

  // Frame size of what travels through SDL on our side (3-byte samples
  // travel as 4-byte ones).
  std::size_t WideFrame() const { return packed24_ ? format_.nChannels * 4u : format_.nBlockAlign; }

  void Play(Uint8* out, std::size_t length) {
    std::size_t done = 0;
    if (converter_ == nullptr) {
      done = port_->Pull(out, length);
    } else {
      const std::size_t chunk = 512 * static_cast<std::size_t>(format_.nBlockAlign);
      while (SDL_AudioStreamAvailable(converter_) < static_cast<int>(length)) {
        std::size_t had = carry_.size();
        carry_.resize(had + chunk);
        std::size_t got = port_->Pull(carry_.data() + had, chunk);
        carry_.resize(had + got);
        if (got == 0) break;
        // Only whole frames go to the converter; a split frame waits.
        std::size_t whole = carry_.size() / format_.nBlockAlign * format_.nBlockAlign;
        if (whole == 0) continue;
        const BYTE* data = carry_.data();
        std::size_t bytes = whole;
        if (packed24_) {
          wide_.resize(whole / 3 * 4);
          for (std::size_t i = 0, j = 0; i < whole; i += 3, j += 4) {
            wide_[j] = 0;
            wide_[j + 1] = carry_[i];
            wide_[j + 2] = carry_[i + 1];
            wide_[j + 3] = carry_[i + 2];
          }
          data = wide_.data();
          bytes = wide_.size();
        }
        SDL_AudioStreamPut(converter_, data, static_cast<int>(bytes));
        carry_.erase(carry_.begin(), carry_.begin() + static_cast<std::ptrdiff_t>(whole));
      }
      int got = SDL_AudioStreamGet(converter_, out, static_cast<int>(length));
      done = got > 0 ? static_cast<std::size_t>(got) : 0;
    }
    if (done < length) std::memset(out + done, have_.silence, length - done);
  }

  void Capture(const Uint8* in, std::size_t length) {
    if (converter_ == nullptr) {
      port_->Push(in, length);
      return;
    }
    SDL_AudioStreamPut(converter_, in, static_cast<int>(length));
    int available = SDL_AudioStreamAvailable(converter_);
    std::size_t whole = static_cast<std::size_t>(std::max(available, 0)) / WideFrame() * WideFrame();
    if (whole == 0) return;
    wide_.resize(whole);
    int got = SDL_AudioStreamGet(converter_, wide_.data(), static_cast<int>(whole));
    if (got <= 0) return;
    std::size_t bytes = static_cast<std::size_t>(got);
    if (packed24_) {
      std::size_t samples = bytes / 4;
      for (std::size_t i = 0; i < samples; ++i) {
        wide_[i * 3] = wide_[i * 4 + 1];
        wide_[i * 3 + 1] = wide_[i * 4 + 2];
        wide_[i * 3 + 2] = wide_[i * 4 + 3];
      }
      bytes = samples * 3;
    }
    port_->Push(wide_.data(), bytes);
  }

  bool capture_;
  WAVEFORMATEX format_{};
  WavePort* port_;
  bool packed24_;
  SDL_AudioDeviceID device_ = 0;
  SDL_AudioSpec have_{};
  SDL_AudioStream* converter_ = nullptr;
  std::vector<BYTE> carry_;
  std::vector<BYTE> wide_;
};

class SdlBackend : public AudioBackend {
 public:
  ~SdlBackend() override {
    if (started_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  const char* Name() const override { return "sdl"; }

  UINT DeviceCount(bool capture) override {
    if (!Start()) return 0;
    int count = SDL_GetNumAudioDevices(capture ? 1 : 0);
    return count > 0 ? static_cast<UINT>(count) : 0;
  }

  bool Device(bool capture, UINT index, BackendDevice* device) override {
    if (index >= DeviceCount(capture)) return false;
    const char* name = SDL_GetAudioDeviceName(static_cast<int>(index), capture ? 1 : 0);
    if (name == nullptr) return false;
    device->name = name;
    SDL_AudioSpec spec{};
    device->channels = 2;
    if (SDL_GetAudioDeviceSpec(static_cast<int>(index), capture ? 1 : 0, &spec) == 0 && spec.channels > 0) {
      device->channels = spec.channels;
    }
    return true;
  }

  bool MapperDevice(bool capture, BackendDevice* device) override {
    if (DeviceCount(capture) == 0) return false;
    device->name = capture ? "Default Sound Input" : "Default Sound Output";
    device->channels = 2;
    return true;
  }

  bool Supports(bool capture, UINT index, const WAVEFORMATEX& format) override {
    return index < DeviceCount(capture) && IsPlainWaveFormat(format);
  }

  std::unique_ptr<BackendStream> Open(bool capture, UINT index, const WAVEFORMATEX& format, WavePort* port,
                                      MMRESULT* error) override {
    const char* name = nullptr;
    if (index != WAVE_MAPPER) {
      name = SDL_GetAudioDeviceName(static_cast<int>(index), capture ? 1 : 0);
      if (name == nullptr) {
        *error = MMSYSERR_BADDEVICEID;
        return nullptr;
      }
    }
    auto stream = std::make_unique<SdlStream>(capture, format, port);
    *error = stream->Open(name);
    if (*error != MMSYSERR_NOERROR) return nullptr;
    return stream;
  }

 private:
  bool Start() {
    std::lock_guard<std::mutex> hold(lock_);
    if (!tried_) {
      tried_ = true;
      started_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    }
    return started_;
  }

  std::mutex lock_;
  bool tried_ = false;
  bool started_ = false;
};

}  // namespace

std::unique_ptr<AudioBackend> MakeSdlAudioBackend() {
  return std::make_unique<SdlBackend>();
}
