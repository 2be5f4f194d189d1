// The General MIDI synthesiser: FluidSynth with the GM sound font, rendered
// into the wave output (the mapper's device) by a thread of its own while a
// stream is open. The sound font is read once, at the first open, and kept:
// a play should not wait for it again.
#include <fluidsynth.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/audio/midi_backend.h"
#include "platform/core/files.h"
#include "platform/core/sync.h"

namespace {

constexpr DWORD kRate = 44100;
constexpr int kBlockFrames = 1024;  // about 23 ms
constexpr int kHeaders = 4;

// Where Debian's fluid-soundfont-gm puts the font (the first is the
// system's chosen GM font).
const char* const kSoundFonts[] = {
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/soundfonts/default.sf2",
    "/usr/share/soundfonts/FluidR3_GM.sf2",
};

const char* SoundFontPath() {
  for (const char* path : kSoundFonts)
    if (GetFileAttributes(path) != INVALID_FILE_ATTRIBUTES) return path;
  return nullptr;
}

// The one synthesiser of the program. FluidSynth's calls lock it themselves.
struct Synth {
  std::mutex lock;  // guards making it
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
  bool failed = false;

  ~Synth() {
    if (synth != nullptr) delete_fluid_synth(synth);
    if (settings != nullptr) delete_fluid_settings(settings);
  }

  fluid_synth_t* Get() {
    std::lock_guard<std::mutex> hold(lock);
    if (synth != nullptr || failed) return synth;
    failed = true;
    const char* font = SoundFontPath();
    if (font == nullptr) return nullptr;
    for (int level : {FLUID_WARN, FLUID_INFO, FLUID_DBG}) fluid_set_log_function(level, nullptr, nullptr);
    settings = new_fluid_settings();
    if (settings == nullptr) return nullptr;
    fluid_settings_setnum(settings, "synth.sample-rate", kRate);
    fluid_settings_setnum(settings, "synth.gain", 0.4);
    // Samples load with the presets that play, not the whole font at once.
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
    synth = new_fluid_synth(settings);
    if (synth == nullptr) return nullptr;
    if (fluid_synth_sfload(synth, font, 1) == FLUID_FAILED) {
      delete_fluid_synth(synth);
      synth = nullptr;
      return nullptr;
    }
    failed = false;
    return synth;
  }
};

Synth& TheSynth() {
  static Synth synth;
  return synth;
}

void PlayShort(fluid_synth_t* s, DWORD message) {
  const int status = static_cast<int>(message & 0xFF);
  const int channel = status & 0x0F;
  const int a = static_cast<int>((message >> 8) & 0x7F);
  const int b = static_cast<int>((message >> 16) & 0x7F);
  switch (status & 0xF0) {
    case 0x80:
      fluid_synth_noteoff(s, channel, a);
      break;
    case 0x90:
      if (b == 0)
        fluid_synth_noteoff(s, channel, a);
      else
        fluid_synth_noteon(s, channel, a, b);
      break;
    case 0xA0:
      fluid_synth_key_pressure(s, channel, a, b);
      break;
    case 0xB0:
      fluid_synth_cc(s, channel, a, b);
      break;
    case 0xC0:
      fluid_synth_program_change(s, channel, a);
      break;
    case 0xD0:
      fluid_synth_channel_pressure(s, channel, a);
      break;
    case 0xE0:
      fluid_synth_pitch_bend(s, channel, a | (b << 7));
      break;
    default:
      break;  // system messages mean nothing to the synthesiser
  }
}

class SynthPort : public MidiPort {
 public:
  explicit SynthPort(fluid_synth_t* synth) : synth_(synth) {}

  MMRESULT Open() {
    WAVEFORMATEX format;
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = kRate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = kRate * 4;
    done_ = CreateEvent(nullptr, FALSE, FALSE, nullptr);
    if (done_ == nullptr) return MMSYSERR_NOMEM;
    MMRESULT result = waveOutOpen(&out_, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(&SynthPort::Returned),
                                  reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION);
    if (result != MMSYSERR_NOERROR) {
      out_ = nullptr;
      return result;
    }
    blocks_.assign(kHeaders, std::vector<short>(kBlockFrames * 2));
    headers_.resize(kHeaders);
    for (int i = 0; i < kHeaders; ++i) {
      headers_[i].lpData = reinterpret_cast<LPSTR>(blocks_[i].data());
      headers_[i].dwBufferLength = kBlockFrames * 4;
      waveOutPrepareHeader(out_, &headers_[i], sizeof(WAVEHDR));
    }
    thread_ = std::thread([this] { Render(); });
    return MMSYSERR_NOERROR;
  }

  ~SynthPort() override {
    quit_ = true;
    if (thread_.joinable()) {
      SetEvent(done_);
      thread_.join();
    }
    if (out_ != nullptr) {
      waveOutReset(out_);
      for (WAVEHDR& h : headers_) waveOutUnprepareHeader(out_, &h, sizeof(WAVEHDR));
      waveOutClose(out_);
    }
    if (done_ != nullptr) CloseHandle(done_);
    // The next stream starts from a quiet synthesiser in its first state.
    fluid_synth_system_reset(synth_);
  }

  void Short(DWORD message, ULONGLONG) override { PlayShort(synth_, message); }

  void Long(const BYTE* bytes, std::size_t size, ULONGLONG) override {
    // FluidSynth takes the bytes between the framing 0xF0 and 0xF7.
    if (size < 2 || bytes[0] != 0xF0) return;
    std::size_t n = size - 1;
    if (bytes[size - 1] == 0xF7) --n;
    fluid_synth_sysex(synth_, reinterpret_cast<const char*>(bytes + 1), static_cast<int>(n), nullptr, nullptr,
                      nullptr, 0);
  }

  void Silence() override { fluid_synth_all_notes_off(synth_, -1); }

 private:
  // The device hands a header back. Its flags are the device's, written
  // under the device's lock: the render thread goes by its own note instead.
  static void Returned(HWAVEOUT, UINT message, DWORD_PTR instance, DWORD_PTR param, DWORD_PTR) {
    if (message != MM_WOM_DONE) return;
    auto* self = reinterpret_cast<SynthPort*>(instance);
    for (int i = 0; i < kHeaders; ++i) {
      if (&self->headers_[i] == reinterpret_cast<WAVEHDR*>(param)) self->free_[i] = true;
    }
    SetEvent(self->done_);
  }

  // Keeps every header queued with freshly rendered sound.
  void Render() {
    while (!quit_) {
      for (int i = 0; i < kHeaders; ++i) {
        if (!free_[i].exchange(false)) continue;
        WAVEHDR& h = headers_[i];
        short* data = reinterpret_cast<short*>(h.lpData);
        fluid_synth_write_s16(synth_, kBlockFrames, data, 0, 2, data, 1, 2);
        if (waveOutWrite(out_, &h, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) return;
      }
      WaitForSingleObject(done_, INFINITE);
    }
  }

  fluid_synth_t* synth_;
  HWAVEOUT out_ = nullptr;
  HANDLE done_ = nullptr;
  std::vector<std::vector<short>> blocks_;
  std::vector<WAVEHDR> headers_;
  // Headers the device has handed back (or never had), by index.
  std::atomic<bool> free_[kHeaders] = {true, true, true, true};
  std::thread thread_;
  std::atomic<bool> quit_{false};
};

class SynthBackend : public MidiBackend {
 public:
  std::vector<MidiDeviceInfo> Devices() override {
    if (SoundFontPath() == nullptr) return {};
    return {{"Kobrix GM Synthesiser", MOD_SWSYNTH}};
  }
  std::unique_ptr<MidiPort> Open(std::size_t index, MMRESULT* error) override {
    fluid_synth_t* synth = index == 0 ? TheSynth().Get() : nullptr;
    if (synth == nullptr) {
      *error = MIDIERR_NODEVICE;
      return nullptr;
    }
    auto port = std::make_unique<SynthPort>(synth);
    *error = port->Open();
    if (*error != MMSYSERR_NOERROR) return nullptr;
    return port;
  }
};

}  // namespace

std::unique_ptr<MidiBackend> MakeSynthMidiBackend() {
  return std::make_unique<SynthBackend>();
}
