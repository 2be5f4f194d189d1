#include "audio/audio_player.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "audio/declick.h"
#include "media/sample_routines.h"
#include "model/ini.h"
#include "model/levels.h"
#include "model/message_box.h"
#include "model/text_format.h"
#include "model/ui_strings.h"
#include "platform/core/files.h"
#include "platform/core/locations.h"
#include "platform/core/threads.h"

WAVEFORMATEX OutputFormat = {WAVE_FORMAT_PCM, 1, 11025, 11025, 1, 8, 0};
BOOL Limit16 = TRUE;
char Sound_File[MAX_PATH] = {};
AudioPlayer* TheAudioPlayer = nullptr;

namespace {

MixerFactory g_mixerFactory = nullptr;
MixerHost* g_mixerHost = nullptr;

// A float setting: the text's number, or the default when the text is no
// finite number.
float ReadFloat(const char* key, const char* fallback) {
  const char* text = IniReadString(key, fallback);
  char* end = nullptr;
  double value = std::strtod(text, &end);
  if (end == text || !std::isfinite(value)) value = std::strtod(fallback, nullptr);
  return static_cast<float>(value);
}

void WriteFloat(const char* key, float value) {
  std::string text = FormatText("%1.3f", value);
  IniWriteString(key, text.c_str());
}

// Bytes per frame of a sample code for channels.
DWORD BlockAlignOf(int code, int channels) {
  switch (code) {
    case 1:
      return channels;
    case 2:
      return channels * 2;
    case 3:
    case 4:
      return channels * 3;
    default:
      return channels * 4;
  }
}

float Clamp(float value, float low, float high, float fallback) {
  if (!std::isfinite(value)) return fallback;
  return std::min(std::max(value, low), high);
}

}  // namespace

// ---------------------------------------------------------------- life

AudioPlayer::AudioPlayer() {
  InitializeCriticalSection(&stateLock_);
  InitializeCriticalSection(&requestLock_);
  InitializeCriticalSection(&mixLock_);
  ownerThread_ = GetCurrentThreadId();
  OutputFormat = {WAVE_FORMAT_PCM, 1, 11025, 11025, 1, 8, 0};

  IniSetSection("SOUND");
  float delay = ReadFloat("Delay", "1.0");
  float preview = ReadFloat("PreviewLength", "0.1");
  float maxPreview = ReadFloat("MaxPreviewLength", "1.0");
  Limit16 = IniReadInt("Limit16", 1);
  DeclickType = IniReadInt("DeclickType", 1);
  InOutLength = ReadFloat("InOutLength", "1.0");
  int maxBlockTrack = IniReadInt("MaxBlockTrack", 4);
  int maxBlockRead = IniReadInt("MaxBlockRead", 16);
  int maxHdr = IniReadInt("MaxHdr", 4);
  int code = IniReadInt("Bits", 2);
  int channels = IniReadInt("Channel_Count", 1);
  LONG rate = IniReadInt("Ratio", 22050);
  // "C:\KOBRIX.TMP", the default of a Windows installation, is the
  // temporary folder's file here.
  char soundFile[MAX_PATH];
  std::snprintf(soundFile, sizeof(soundFile), "%s",
                MapDefaultLocation(IniReadString("Sound_File", "C:\\KOBRIX.TMP")).c_str());
  int waveOutId = IniReadInt("WaveOutId", 0);

  // A damaged section still gives a format that plays: each value the
  // format cannot take falls back to its default.
  if (channels != 1 && channels != 2) channels = 1;
  if (code < 1 || code > 7) code = 2;
  if (rate < 5000 || rate > 768000) rate = 22050;
  if (soundFile[0] == 0)
    std::snprintf(soundFile, sizeof(soundFile), "%s", MapDefaultLocation("C:\\KOBRIX.TMP").c_str());

  Configure(static_cast<DWORD>(rate), channels, code, maxHdr, maxBlockRead, maxBlockTrack, delay, preview,
            maxPreview);
  std::memcpy(Sound_File, soundFile, sizeof(Sound_File));
  WaveOutId = waveOutId;
  state_ = kNoDevice;
  deviceEvent_ = CreateEvent(nullptr, FALSE, FALSE, nullptr);
  TestDevice();
}

AudioPlayer::~AudioPlayer() {
  IniSetSection("SOUND");
  IniWriteInt("Ratio", static_cast<LONG>(OutputFormat.nSamplesPerSec));
  IniWriteInt("Channel_Count", OutputFormat.nChannels);
  IniWriteInt("Bits", projectCode_);
  IniWriteString("Sound_File", Sound_File);
  IniWriteInt("WaveOutId", WaveOutId);
  WriteFloat("Delay", Delay);
  WriteFloat("PreviewLength", PreviewLength);
  WriteFloat("MaxPreviewLength", MaxPreviewLength);
  IniWriteInt("MaxHdr", MaxHdr);
  IniWriteInt("MaxBlockRead", MaxBlockRead);
  IniWriteInt("MaxBlockTrack", MaxBlockTrack);
  IniWriteInt("Limit16", Limit16);
  WriteFloat("InOutLength", InOutLength);
  IniWriteInt("DeclickType", DeclickType);
  IniFlush();

  // Whatever still plays stops: the workers first, then the device.
  StopOut();
  StopScrub();
  const int state = state_;
  if (state == kPaused || state == kPlaying || state == kDraining) Stop();
  StopWorkers();
  if (waveOut_ != nullptr) {
    waveOutReset(waveOut_);
    CloseDevice();
  }
  FreeBuffers();
  DeleteSoundFile();
  CloseMixer();
  StopCommandThread();
  if (deviceEvent_ != nullptr) CloseHandle(deviceEvent_);
  DeleteCriticalSection(&mixLock_);
  DeleteCriticalSection(&requestLock_);
  DeleteCriticalSection(&stateLock_);
}

void AudioPlayer::DeleteSoundFile() {
  if (Sound_File[0] != 0) std::remove(Sound_File);
}

// ---------------------------------------------------------------- format

int AudioPlayer::Configure(DWORD rate, int channels, int code, int maxHdr, int maxBlockRead,
                           int maxBlockTrack, float& delay, float& preview, float& maxPreview) {
  MaxHdr = std::clamp(maxHdr, 4, 32);
  MaxBlockRead = std::clamp(maxBlockRead, 2, 32);
  MaxBlockTrack = std::clamp(maxBlockTrack, 4, 32);
  Delay = Clamp(delay, 0.1f, 11.0f, 1.0f);
  PreviewLength = Clamp(preview, 0.1f, 2.0f, 0.1f);
  MaxPreviewLength = Clamp(maxPreview, 0.1f, 10.0f, 1.0f);
  if (MaxPreviewLength < PreviewLength) MaxPreviewLength = PreviewLength;
  int result = SetFormat(rate, channels, code);
  delay = Delay;
  preview = PreviewLength;
  maxPreview = MaxPreviewLength;
  return result;
}

int AudioPlayer::CheckFormat(DWORD rate, int channels, int code) const {
  if (channels != 1 && channels != 2) return kErrNoWaveDevice;
  if (rate < 5000 || rate >= 0x80000000u) return kErrNoWaveDevice;
  if (state_ == kDisabled) return kErrNoWaveDevice;
  // A code without a sample layout, or a rate whose byte rate leaves 32
  // bits, would leave the format half made.
  if (code < 1 || code > 7) return kErrNoWaveDevice;
  if (ULONGLONG{rate} * BlockAlignOf(code, channels) >= 0x80000000u) return kErrNoWaveDevice;
  return kErrOk;
}

int AudioPlayer::SetFormat(DWORD rate, int channels, int code) {
  if (const int refused = CheckFormat(rate, channels, code); refused != kErrOk) return refused;

  hasDevice_ = 0;
  state_ = kNoDevice;
  OutputFormat.nChannels = static_cast<WORD>(channels);
  OutputFormat.nSamplesPerSec = rate;
  ApplySampleCode(Limit16 && code > 2 ? 2 : code);
  projectCode_ = code;
  SizeBlocks();

  const WAVEFORMATEX& f = OutputFormat;
  previewFrames_ =
      static_cast<LONG>(static_cast<LONGLONG>(f.nAvgBytesPerSec * double(PreviewLength)) / f.nBlockAlign);
  previewFadeFrames_ = static_cast<LONG>(previewFrames_ * 5.0 * 0.01);
  BuildDeclickRamps();
  if (!TestDevice()) return kErrNoWaveDevice;
  state_ = kIdle;
  return kErrOk;
}

bool AudioPlayer::ApplySampleCode(int code) {
  if (state_ == kDisabled || code < 1 || code > 7) return false;
  WAVEFORMATEX& f = OutputFormat;
  static const struct {
    WORD bits;
    WORD tag;
    OutputWriter writer;
  } kCodes[] = {
      {8, WAVE_FORMAT_PCM, FloatToPcm8},
      {16, WAVE_FORMAT_PCM, FloatToPcm16},
      {20, WAVE_FORMAT_PCM, Write24BitSamples},
      {24, WAVE_FORMAT_PCM, Write24BitSamples},
      {24, WAVE_FORMAT_PCM, FloatToPcm24In32},
      {32, WAVE_FORMAT_PCM, FloatToPcm32},
      {32, WAVE_FORMAT_IEEE_FLOAT, WriteIeeeFloatSamples},
  };
  f.wFormatTag = kCodes[code - 1].tag;
  f.wBitsPerSample = kCodes[code - 1].bits;
  f.nBlockAlign = static_cast<WORD>(BlockAlignOf(code, f.nChannels));
  f.nAvgBytesPerSec = f.nBlockAlign * f.nSamplesPerSec;
  f.cbSize = 0;
  writer_ = kCodes[code - 1].writer;
  SetOutputSilenceByte(code == 1 ? 128 : 0);
  return true;
}

// Block sizes follow the output's byte rate. The unit (the bytes of one wave
// header) is cut to whole frames, so that no header splits a frame of 3 or 6
// bytes and every block holds whole frames.
void AudioPlayer::SizeBlocks() {
  const WAVEFORMATEX& f = OutputFormat;
  DWORD align = std::max<DWORD>(f.nBlockAlign, 1);
  DWORD avg = f.nAvgBytesPerSec;
  auto bytesPerBlock = static_cast<LONGLONG>(avg * double(Delay) / std::max(MaxHdr, 1));
  DWORD unit = avg < 44100 ? 4096 : avg < 88200 ? 8192 : 32768;
  unit_ = unit / align * align;
  unitsPerBlock_ = static_cast<DWORD>(std::max<LONGLONG>(bytesPerBlock / unit_, 1));
  blockBytes_ = unitsPerBlock_ * unit_;
  blockFrames_ = static_cast<LONG>(blockBytes_ / align);
  floatBytesPerBlock_ = f.nChannels * static_cast<DWORD>(blockFrames_) * 4;
  stereoFloatBytes_ = static_cast<DWORD>(blockFrames_) * 8;
}

bool AudioPlayer::SetStreamFormat(int code) {
  if (!ApplySampleCode(code == 0 ? projectCode_ : code)) return false;
  DWORD align = std::max<DWORD>(OutputFormat.nBlockAlign, 1);
  unitsPerBlock_ = 1;
  blockFrames_ = static_cast<LONG>(32768 / align);
  unit_ = static_cast<DWORD>(blockFrames_) * align;
  blockBytes_ = unit_;
  floatBytesPerBlock_ = OutputFormat.nChannels * static_cast<DWORD>(blockFrames_) * 4;
  stereoFloatBytes_ = static_cast<DWORD>(blockFrames_) * 8;
  return true;
}

int AudioPlayer::RestoreFormat() {
  return SetFormat(OutputFormat.nSamplesPerSec, OutputFormat.nChannels, projectCode_);
}

void AudioPlayer::BuildDeclickRamps() {
  fadeIn_.reset();
  fadeOut_.reset();
  rampLength_ = DeclickRampLength(OutputFormat.nSamplesPerSec, InOutLength);
  IniSetSection("SOUND");
  float beta = ReadFloat("KaiserBeta", "8.96");
  fadeIn_.reset(new (std::nothrow) float[rampLength_]);
  fadeOut_.reset(new (std::nothrow) float[rampLength_]);
  if (!fadeIn_ || !fadeOut_) {
    fadeIn_.reset();
    fadeOut_.reset();
    rampLength_ = 0;
    return;
  }
  if (DeclickType != 0) {
    KaiserCumWindowUp(rampLength_, fadeIn_.get(), beta);
    KaiserCumWindowDown(rampLength_, fadeOut_.get(), beta);
  } else {
    LinearRampUp(rampLength_, fadeIn_.get());
    LinearRampDown(rampLength_, fadeOut_.get());
  }
}

void AudioPlayer::LinearRampUp(LONG n, float* out) {
  float v = 0.0f;
  for (LONG k = 0; k < n; ++k) {
    out[k] = v;
    v = v + 1.0f / static_cast<float>(n);
  }
}

void AudioPlayer::LinearRampDown(LONG n, float* out) {
  float v = 0.0f;
  for (LONG k = n - 1; k >= 0; --k) {
    out[k] = v;
    v = v + 1.0f / static_cast<float>(n);
  }
}

// ---------------------------------------------------------------- device

UINT AudioPlayer::DeviceNumber() const {
  return WaveOutId < 0 ? WAVE_MAPPER : static_cast<UINT>(WaveOutId);
}

bool AudioPlayer::TestDevice() {
  if (state_ == kDisabled) return false;
  state_ = kNoDevice;
  WAVEOUTCAPS caps;
  hasDevice_ = waveOutGetDevCaps(DeviceNumber(), &caps, sizeof(caps)) == MMSYSERR_NOERROR;
  if (!hasDevice_) return false;
  if (waveOutOpen(nullptr, DeviceNumber(), &OutputFormat, 0, 0, WAVE_FORMAT_QUERY) == MMSYSERR_NOERROR) {
    state_ = kIdle;
    return true;
  }
  hasDevice_ = 0;
  return false;
}

bool AudioPlayer::OpenDevice() {
  if (state_ == kDisabled) return false;
  if (StartCommandThread() != 0) {
    state_ = kDisabled;
    return false;
  }
  state_ = kIdle;
  ResetEvent(deviceEvent_);
  MMRESULT result =
      waveOutOpen(&waveOut_, DeviceNumber(), &OutputFormat, commandThreadId_, 0, CALLBACK_THREAD);
  if (result == MMSYSERR_NOERROR) {
    waveOutPause(waveOut_);
    return true;
  }
  waveOut_ = nullptr;
  ShowWaveOutError(result, GetString(ui_string::kOpenWavePlaybackDevice));
  return false;
}

void AudioPlayer::CloseDevice() {
  if (waveOut_ == nullptr) return;
  UnprepareHeaders();
  CloseSourceDevice();
}

void AudioPlayer::UnprepareHeaders() {
  state_ = kIdle;
  if (waveOut_ == nullptr || blocks_.empty()) return;
  for (Block& block : blocks_) {
    if (!block.data || !block.headers) continue;
    for (DWORD j = 0; j < unitsPerBlock_; ++j)
      waveOutUnprepareHeader(waveOut_, &block.headers[j], sizeof(WAVEHDR));
  }
}

bool AudioPlayer::AllocBuffers() {
  blocks_.clear();
  blocks_.resize(static_cast<std::size_t>(MaxHdr));
  for (Block& block : blocks_) {
    block.data.reset(new (std::nothrow) BYTE[blockBytes_ + 4]());
    block.headers.reset(new (std::nothrow) WAVEHDR[unitsPerBlock_]());
    if (!block.data || !block.headers) {
      FreeBuffers();
      ShowError(kErrNoMemory, nullptr, GetString(ui_string::kAudioPlayback));
      return false;
    }
    block.bytes = blockBytes_;
    for (DWORD j = 0; j < unitsPerBlock_; ++j) {
      WAVEHDR& header = block.headers[j];
      header.lpData = reinterpret_cast<LPSTR>(block.data.get() + j * unit_);
      header.dwBufferLength = unit_;
      // Rendering sets up the same blocks with no device open.
      if (waveOut_ == nullptr) continue;
      MMRESULT result = waveOutPrepareHeader(waveOut_, &header, sizeof(WAVEHDR));
      if (result != MMSYSERR_NOERROR) {
        FreeBuffers();
        ShowWaveOutError(result, GetString(ui_string::kPreparingAudio));
        return false;
      }
    }
  }
  readPipe_ = std::make_unique<TDataPipe>(blockFrames_, MaxBlockRead);
  trackPipe_ = std::make_unique<TDataPipe>(blockFrames_, MaxBlockTrack);
  if (readPipe_->depth() == 0 || trackPipe_->depth() == 0) {
    FreeBuffers();
    ShowError(kErrNoMemory, nullptr, GetString(ui_string::kAudioTrackData));
    return false;
  }
  mixBuffer_ = std::make_unique<TData>(blockFrames_);
  if (mixBuffer_->block == nullptr) {
    FreeBuffers();
    ShowError(kErrNoMemory, nullptr, GetString(ui_string::kMixingBuffer));
    return false;
  }
  SampleBlockFormat& format = mixBuffer_->block->format;
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = OutputFormat.nChannels;
  format.nSamplesPerSec = OutputFormat.nSamplesPerSec;
  format.wBitsPerSample = 32;
  format.nBlockAlign = static_cast<WORD>(OutputFormat.nChannels * 4);
  format.nAvgBytesPerSec = format.nBlockAlign * format.nSamplesPerSec;
  return true;
}

void AudioPlayer::FreeBuffers() {
  state_ = kIdle;
  for (Block& block : blocks_) {
    if (waveOut_ != nullptr && block.headers) {
      for (DWORD j = 0; j < unitsPerBlock_; ++j) {
        waveOutUnprepareHeader(waveOut_, &block.headers[j], sizeof(WAVEHDR));
      }
    }
  }
  blocks_.clear();
  readPipe_.reset();
  trackPipe_.reset();
  mixBuffer_.reset();
}

void AudioPlayer::ListDevices(DeviceListControl& list) {
  deviceCount_ = 0;
  WAVEOUTCAPS caps;
  auto add = [&](const char* name, signed char number) {
    if (deviceCount_ >= static_cast<int>(sizeof(deviceMap_))) return;
    list.AddString(name);
    deviceMap_[deviceCount_++] = number;
  };
  if (waveOutGetDevCaps(WAVE_MAPPER, &caps, sizeof(caps)) == MMSYSERR_NOERROR) add(caps.szPname, -1);
  UINT count = std::min<UINT>(waveOutGetNumDevs(), 127);
  for (UINT i = 0; i < count; ++i) {
    if (waveOutGetDevCaps(i, &caps, sizeof(caps)) == MMSYSERR_NOERROR)
      add(caps.szPname, static_cast<signed char>(i));
  }
  for (int i = 0; i < deviceCount_; ++i) {
    if (deviceMap_[i] == WaveOutId) {
      list.SetSelIndex(i);
      break;
    }
  }
}

void AudioPlayer::SelectDevice(int index) {
  if (deviceCount_ < 0 || index < 0 || index >= deviceCount_) return;
  WaveOutId = deviceMap_[index];
  TestDevice();
}

// ---------------------------------------------------------------- the state

namespace {

const char* StateName(int state) {
  switch (state) {
    case AudioPlayer::kNoDevice:
      return "no device";
    case AudioPlayer::kIdle:
      return "idle";
    case AudioPlayer::kPaused:
      return "paused";
    case AudioPlayer::kPlaying:
      return "playing";
    case AudioPlayer::kDraining:
      return "draining";
    case AudioPlayer::kScrubbing:
      return "scrubbing";
    case AudioPlayer::kPlayingSource:
      return "playing a source";
    case AudioPlayer::kStreaming:
      return "streaming";
    case AudioPlayer::kDisabled:
      return "disabled";
    default:
      return "?";
  }
}

}  // namespace

void EngineState::Trace(int before, int after) {
  TraceLine(kTraceAudio, "engine %d (%s) -> %d (%s)", before, StateName(before), after, StateName(after));
}

// ---------------------------------------------------------------- gains, mixer, errors

void AudioPlayer::SetTrackVolumePan(int track, int volume, int pan) {
  float gain = GainFactor(volume);
  float balance = PanFactor(pan);
  if (track == -1) {
    masterGain_.exchange(gain);
    masterPan_.exchange(balance);
  } else if (track >= 0 && track < 4) {
    tracks_[track].gain.exchange(gain);
    tracks_[track].pan.exchange(balance);
  }
}

void AudioPlayer::SetTrackEffects(int track, EffectList* list) {
  if (track == -1) {
    masterEffects_ = list;
  } else if (track >= 0 && track < trackCount_) {
    tracks_[track].effects = list;
  }
}

void AudioPlayer::SetMixerFactory(MixerFactory factory, MixerHost* host) {
  g_mixerFactory = factory;
  g_mixerHost = host;
}

MixerHost* AudioPlayer::GetMixerHost() {
  return g_mixerHost;
}

// The command thread feeds the mixer's meters under the state lock: the
// pointer changes under it too, so that a window is never fed once it goes.
void AudioPlayer::OpenMixer(HWND parent, bool faders, bool onTop) {
  CloseMixer();
  if (g_mixerFactory == nullptr) return;
  MixerNotices* made = g_mixerFactory(parent, faders, onTop);
  EnterCriticalSection(&stateLock_);
  mixer_ = made;
  LeaveCriticalSection(&stateLock_);
}

void AudioPlayer::CloseMixer() {
  EnterCriticalSection(&stateLock_);
  MixerNotices* gone = mixer_;
  mixer_ = nullptr;
  LeaveCriticalSection(&stateLock_);
  if (gone == nullptr) return;
  if (gone->IsWindowValid()) gone->CloseWindow();
  delete gone;
}

LRESULT AudioPlayer::NotifyMixer(WPARAM code, LPARAM arg) {
  if (mixer_ == nullptr) return 0;
  if (mixer_->IsWindowValid()) return mixer_->Notify(code, arg);
  CloseMixer();
  return 0;
}

void AudioPlayer::ShowError(int code, const char* arg, const char* caption) {
  if (code == 0) return;
  int text;
  switch (code) {
    case kErrNoMemory:
      text = ui_string::kNotEnoughMemory;
      break;
    case kErrFileMissing:
      text = ui_string::kCantOpenFile;
      break;
    case kErrInvalidFormat:
      text = ui_string::kNotWaveOrAvi;
      break;
    case kErrInvalidParameter:
      text = ui_string::kSoundSettingsMismatch;
      break;
    case kErrWrite:
      text = ui_string::kErrorWritingFile;
      break;
    case kErrNoWaveDevice:
      text = ui_string::kNoWavePlaybackDevice;
      break;
    default:
      text = ui_string::kUnknownError;
      break;
  }
  // A writer of a replacement names the user's file, not its temporary.
  std::string message = text == ui_string::kUnknownError
                            ? FormatText(GetString(text), code)
                            : WithTargetNames(FormatText(GetString(text), arg != nullptr ? arg : ""));
  if (message.size() > 255) message.resize(255);
  CurrentMessageBoxPresenter().Show(nullptr, message, caption != nullptr ? caption : "", MB_ICONHAND);
}

void AudioPlayer::ShowWaveOutError(MMRESULT result, const char* caption) {
  char text[MAXERRORLENGTH];
  waveOutGetErrorText(result, text, sizeof(text));
  HideOtherTopWindows(nullptr);
  CurrentMessageBoxPresenter().Show(nullptr, text, caption != nullptr ? caption : "",
                                    MB_ICONHAND | MB_TASKMODAL);
  RestoreOtherTopWindows();
}
