#include "media/audio_data.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <limits>
#include <new>
#include <string>

#include "media/audio_chunks.h"
#include "media/audio_file.h"
#include "media/audio_readers.h"
#include "media/audio_source_hooks.h"
#include "model/message_box.h"
#include "model/ui_strings.h"
#include "platform/core/paths.h"

namespace {

AudioData* g_head = nullptr;
// A source may be deleted on the engine's command thread (its last
// reference given back there): the list changes under this lock.
std::mutex g_listLock;

void CopyName(char (&destination)[MAX_PATH], const char* name) {
  if (name == nullptr) name = "";
  const std::size_t n = std::min<std::size_t>(std::strlen(name), MAX_PATH - 1);
  std::memmove(destination, name, n);
  destination[n] = '\0';
}

bool ExtensionIs(const char* extension, const char* wanted) {
  for (int i = 0; i < 4; ++i) {
    const char a = static_cast<char>(std::tolower(static_cast<unsigned char>(extension[i])));
    if (a != wanted[i]) return false;
    if (a == '\0') return true;
  }
  return true;
}

// The extension of the file part of name: at most four characters, the dot
// included (".aiff" reads as ".aif").
std::string ExtensionOf(const char* name) { return PathExtension(name).substr(0, 4); }

}  // namespace

LONG AudioLengthMs(std::int64_t bytes, DWORD bytesPerSecond) {
  if (bytes <= 0 || bytesPerSecond == 0) return 0;
  // Bytes are below 2^40 for every source we read, so the product fits.
  const std::int64_t ms = (bytes * 1000 + bytesPerSecond / 2) / bytesPerSecond;
  return static_cast<LONG>(std::min<std::int64_t>(ms, std::numeric_limits<LONG>::max()));
}

AudioData::AudioData(const char* name) {
  CopyName(fileName, name);
  {
    std::lock_guard<std::mutex> hold(g_listLock);
    next = g_head;
    if (g_head != nullptr) g_head->prev = this;
    g_head = this;
  }
  if (!ReadFileWriteTime(fileName, &fileTime)) error = kErrOpen;
}

AudioData::~AudioData() {
  Unlink();
}

void AudioData::Unlink() {
  std::lock_guard<std::mutex> hold(g_listLock);
  if (prev != nullptr) prev->next = next;
  if (next != nullptr) next->prev = prev;
  if (g_head == this) g_head = next;
  next = prev = nullptr;
}

AudioData* AudioData::AddRef() {
  ++referenceCount;
  return this;
}

void AudioData::Release() {
  if (referenceCount.fetch_sub(1) - 1 < 1) delete this;
}

bool AudioData::Open(const char* name) {
  CopyName(fileName, name);
  FILETIME t;
  if (ReadFileWriteTime(fileName, &t)) fileTime = t;
  FreePeaks();
  return true;
}

void AudioData::ReadHeader() {}

bool AudioData::Reload(const char* name) {
  Open(name);
  return error == 0;
}

bool AudioData::IsDirectFormat() {
  if (format == nullptr) return false;
  if (format->wFormatTag != WAVE_FORMAT_PCM && format->wFormatTag != WAVE_FORMAT_IEEE_FLOAT) return false;
  return format->nSamplesPerSec == CurrentAudioSourceHooks().OutputFormat().nSamplesPerSec;
}

bool AudioData::IsOpen() { return openCount >= 1; }

bool AudioData::BeginRead() {
  ++openCount;
  return true;
}

void AudioData::EndRead() { --openCount; }

bool AudioData::CloseFile() { return false; }

bool AudioData::Reopen() { return true; }

LONG AudioData::ReadSamples(void* buffer, std::int64_t firstFrame, LONG frameCount) {
  if (openCount == 0 || format == nullptr || format->nBlockAlign == 0 || frameCount <= 0 || firstFrame < 0)
    return 0;
  const std::int64_t align = format->nBlockAlign;
  const std::int64_t want = frameCount * align;
  if (want > std::numeric_limits<LONG>::max()) return 0;
  const LONG got = std::max<LONG>(ReadBytes(buffer, firstFrame * align, static_cast<LONG>(want)), 0);
  BYTE* p = static_cast<BYTE*>(buffer);
  switch (sampleType) {
    case kSampleSigned8:
      // The reader filled the rest with signed silence: that becomes 128 too.
      for (std::int64_t i = 0; i < want; ++i) p[i] = static_cast<BYTE>(p[i] + 128);
      break;
    case kSampleBigEndian16:
      for (LONG i = 0; i + 1 < got; i += 2) std::swap(p[i], p[i + 1]);
      break;
    case kSampleBigEndian24:
      for (LONG i = 0; i + 2 < got; i += 3) std::swap(p[i], p[i + 2]);
      break;
    default:
      break;
  }
  return static_cast<LONG>(got / align);
}

LONG AudioData::ReadBlock(SampleBlock* block, std::int64_t firstFrame, LONG frameCount) {
  if (openCount == 0 || block == nullptr) return 0;
  block->requested = frameCount;
  block->held = 0;
  if (format == nullptr) return 0;
  block->format = BlockFormatOf(*format);
  // Only samples the routines can convert go into an engine block, and never
  // more frames than the block's owner made room for.
  if (sampleType == kSampleUnusable || format->nBlockAlign == 0 || frameCount <= 0 || firstFrame < 0) return 0;
  LONG frames = frameCount;
  if (block->capacity > 0) frames = std::min(frames, block->capacity);
  const std::int64_t align = format->nBlockAlign;
  const std::int64_t want = frames * align;
  if (want > std::numeric_limits<LONG>::max()) return 0;
  const LONG got = ReadBytes(block->data, firstFrame * align, static_cast<LONG>(want));
  block->held = got > 0 ? static_cast<LONG>(got / align) : 0;
  return block->held;
}

DWORD AudioData::LengthInSamples() { return 0; }

bool AudioData::OpenHandle() { return false; }

void AudioData::CloseHandle() {}

LONG AudioData::ReadBytes(void*, std::int64_t, LONG) { return 0; }

LONG AudioData::GetFactLength() { return factLength; }

AudioData* AudioData::FirstShared() { return g_head; }

AudioData* AudioData::FindByName(const char* name) {
  if (name == nullptr) return nullptr;
  std::lock_guard<std::mutex> hold(g_listLock);
  for (AudioData* s = g_head; s != nullptr; s = s->next)
    if (PathsEqual(s->fileName, name)) return s;
  return nullptr;
}

AudioData* AudioData::OpenShared(const char* name) {
  if (name == nullptr) return nullptr;
  if (AudioData* found = FindByName(name)) return found->AddRef();

  AudioData* source = nullptr;
  const std::string soundFile = CurrentAudioSourceHooks().SoundFileName();
  const std::string extension = ExtensionOf(name);
  if (!soundFile.empty() && PathsEqual(name, soundFile))
    source = new (std::nothrow) TReadTmpAudioFile(name);
  else if (ExtensionIs(extension.c_str(), ".wav") || ExtensionIs(extension.c_str(), ".aif") ||
           ExtensionIs(extension.c_str(), ".afc"))
    source = new (std::nothrow) TReadWave(name);
  else
    source = new (std::nothrow) TReadAVIAudio(name);
  if (source == nullptr) return nullptr;
  if (source->error == 0 && source->length > 0) {
    source->referenceCount = 1;
    return source;
  }
  delete source;
  return nullptr;
}

bool AudioData::CheckChangedFiles(HWND caller) {
  bool handled = false;
  AudioData* s = g_head;
  while (s != nullptr) {
    AudioData* following = s->next;
    // The Film model may release the source: keep what the box needs.
    char name[MAX_PATH];
    CopyName(name, s->fileName);
    FILETIME t;
    if (ReadFileWriteTime(name, &t)) {
      if (!SameFileTime(t, s->fileTime)) {
        s->fileTime = t;
        if (CurrentAudioSourceHooks().RefreshChangedSources(caller, true, true, s)) handled = true;
      }
    } else if (CurrentAudioSourceHooks().RefreshChangedSources(caller, false, true, s)) {
      handled = true;
      ShowMessage(caller, GetString(ui_string::kActivateKobrix), MB_ICONSTOP,
                  GetString(ui_string::kFileDoesNotExist), name);
    }
    s = following;
  }
  return handled;
}

bool AudioData::IsUnchanged() {
  FILETIME t;
  if (!ReadFileWriteTime(fileName, &t)) return false;
  if (SameFileTime(t, fileTime)) return true;
  fileTime = t;
  return false;
}

void AudioData::SetFormat() {
  if (format == nullptr) return;
  if (sampleType == kSampleLittleEndian) sampleType = SampleTypeFromFormat(*format);
  const SampleRoutines r = SelectSampleRoutines(*format, sampleType);
  GainToMono = r.GainToMono;
  GainToMonoRamp = r.GainToMonoRamp;
  GainToStereo = r.GainToStereo;
  GainToStereoRamps = r.GainToStereoRamps;
  GainToStereoRampRight = r.GainToStereoRampRight;
  GainToStereoRampLeft = r.GainToStereoRampLeft;
  ToFloat = r.ToFloat;
  ApplyEnvelope = r.ApplyEnvelope;
  ApplyEnvelopeAt = r.ApplyEnvelopeAt;
}

int AudioData::GetSampleType() { return format != nullptr ? SampleTypeOfFormat(*format) : 0; }

LONG AudioData::PrepareFloatBlock(SampleBlock* block, LONG frames) {
  if (block == nullptr) return 0;
  block->requested = frames;
  block->held = 0;
  const WORD channels = format != nullptr ? format->nChannels : 1;
  SampleBlockFormat& f = block->format;
  f.wFormatTag = WAVE_FORMAT_PCM;
  f.nChannels = channels;
  f.nSamplesPerSec = format != nullptr ? format->nSamplesPerSec : 0;
  f.nBlockAlign = static_cast<WORD>(channels * 4);
  f.nAvgBytesPerSec = static_cast<DWORD>(f.nBlockAlign) * f.nSamplesPerSec;
  f.wBitsPerSample = 32;
  // The silent block is mixed as floats: zero all of them.
  LONG n = std::max<LONG>(frames, 0);
  if (block->capacity > 0) n = std::min(n, block->capacity);
  if (block->data != nullptr && n > 0)
    std::memset(block->data, 0, static_cast<std::size_t>(n) * f.nBlockAlign);
  return frames;
}

bool AudioData::AllocateFormat(DWORD size) {
  FreeFormat();
  const std::size_t bytes = sizeof(WAVEFORMATEX) + (size > kWaveFormatFileSize ? size - kWaveFormatFileSize : 0);
  formatStorage_.reset(new (std::nothrow) BYTE[bytes]());
  if (!formatStorage_) return false;
  format = new (formatStorage_.get()) WAVEFORMATEX{};
  formatSize = size;
  return true;
}

int AudioData::LoadFormatRecord(const BYTE* bytes, DWORD size) {
  FreeFormat();
  if (bytes == nullptr || size < 16) return kErrInvalidFormat;
  WAVEFORMATEX f{};
  f.wFormatTag = ReadLE16(bytes);
  f.nChannels = ReadLE16(bytes + 2);
  f.nSamplesPerSec = ReadLE32(bytes + 4);
  f.nAvgBytesPerSec = ReadLE32(bytes + 8);
  f.nBlockAlign = ReadLE16(bytes + 12);
  f.wBitsPerSample = ReadLE16(bytes + 14);
  // The extra bytes never claim more than the record holds.
  f.cbSize = size >= 18 ? static_cast<WORD>(std::min<DWORD>(ReadLE16(bytes + 16), size - 18)) : 0;

  // WAVE_FORMAT_EXTENSIBLE of PCM or IEEE float: the sub-format GUID is
  // {tag}-0000-0010-8000-00AA00389B71; the samples fill their container.
  bool plain = false;
  if (f.wFormatTag == kWaveFormatExtensible && f.cbSize >= 22 && size >= 40) {
    static const BYTE kTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    const WORD subTag = ReadLE16(bytes + 24);
    if (std::memcmp(bytes + 26, kTail, sizeof kTail) == 0 &&
        (subTag == WAVE_FORMAT_PCM || subTag == WAVE_FORMAT_IEEE_FLOAT)) {
      f.wFormatTag = subTag;
      f.cbSize = 0;
      plain = true;
    }
  }

  if (f.nChannels < 1 || f.nChannels > 2 || f.nSamplesPerSec == 0 || f.nAvgBytesPerSec == 0 ||
      f.nBlockAlign == 0)
    return kErrInvalidFormat;
  if ((f.wFormatTag == WAVE_FORMAT_PCM || f.wFormatTag == WAVE_FORMAT_IEEE_FLOAT) && !IsSupportedSampleLayout(f))
    return kErrInvalidFormat;

  const DWORD recordSize = plain ? kWaveFormatFileSize : size;
  if (!AllocateFormat(recordSize)) return kErrNoMemory;
  *format = f;
  if (recordSize > kWaveFormatFileSize)
    std::memcpy(reinterpret_cast<BYTE*>(format) + sizeof(WAVEFORMATEX), bytes + kWaveFormatFileSize,
                recordSize - kWaveFormatFileSize);
  return kErrOk;
}

void AudioData::FreeFormat() {
  format = nullptr;
  formatStorage_.reset();
  formatSize = 0;
}

void AudioData::FreePeaks() {
  peakBlock1.reset();
  peakBlock2.reset();
  peakByteCount = 0;
}

void AudioData::NotifyOpenStateChanged() { CurrentAudioSourceHooks().RedrawClipsOfAudio(this); }
