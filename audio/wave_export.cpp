// Mixing a range without the sound device: block streaming, in which a
// consumer pulls mixed blocks one by one (the exports), the WAVE export
// itself, and the render of a range into the play file.
#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <string>

#include "audio/audio_player.h"
#include "audio/effect_list.h"
#include "audio/export_io.h"
#include "media/progress_hooks.h"
#include "media/sample_routines.h"
#include "model/message_box.h"
#include "model/text_format.h"
#include "model/ui_strings.h"

namespace {

// A cancel in the progress window, beside the failed steps: the file goes,
// nothing is shown.
constexpr int kCancelled = -1;

constexpr char kExportProgressTitle[] = "Export Wave file.";
constexpr char kRenderProgressTitle[] = "Prepare Wave for play";
constexpr char kSoftwareFormat[] = "Kobrix Free V%X.%02X Multitrack Audio Editor";
constexpr int kVersionMajor = 3;
constexpr int kVersionMinor = 0;
constexpr char kTooLargeFormat[] = "File '%s' would be larger than 4 GB, more than a WAVE file can hold.";

// RIFF sizes are 32 bits: the data chunk leaves room for the headers and
// the INFO list.
constexpr ULONGLONG kMaxWaveData = 0xFFFFFFFFull - 4096;
// Elements of each pipe while streaming.
constexpr LONG kStreamPipeDepth = 32;
// Silence after a rendered range, for the reader's last block.
constexpr LONG kTrailerBytes = 512;

void PutLe16(BYTE* p, WORD v) {
  p[0] = static_cast<BYTE>(v);
  p[1] = static_cast<BYTE>(v >> 8);
}

void PutLe32(BYTE* p, DWORD v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<BYTE>(v >> (8 * i));
}

// One text sub-chunk of the INFO list, with its zero byte (and the pad byte
// of an odd size).
bool WriteInfoText(ExportIo& io, HMMIO file, FOURCC id, const std::string& text) {
  MMCKINFO chunk{};
  chunk.ckid = id;
  if (io.CreateChunk(file, &chunk, 0) != 0) return false;
  const LONG size = static_cast<LONG>(text.size()) + 1;
  if (io.Write(file, text.c_str(), size) != size) return false;
  return io.Ascend(file, &chunk, 0) == 0;
}

}  // namespace

// ---------------------------------------------------------------- streaming

bool AudioPlayer::AllocStreamBuffers(bool here) {
  streamBuffer_.reset(new (std::nothrow) BYTE[blockBytes_ + 4]());
  if (!streamBuffer_) {
    ShowError(kErrNoMemory, nullptr, GetString(ui_string::kMixingBuffer));
    return false;
  }
  if (here) {
    hereRead_ = std::make_unique<TData>(blockFrames_);
    hereLine_ = std::make_unique<TData>(blockFrames_);
    // Without the memory every piece is read block by block, as the workers do.
    for (ReadAhead& ahead : readAhead_) {
      ahead = ReadAhead();
      ahead.bytes.reset(new (std::nothrow) BYTE[kReadAheadBytes]);
    }
    if (hereRead_->block == nullptr || hereLine_->block == nullptr) {
      FreeStreamBuffers();
      ShowError(kErrNoMemory, nullptr, GetString(ui_string::kAudioTrackData));
      return false;
    }
  } else {
    // Deep rings: the threads of an export take turns once per half ring.
    readPipe_ = std::make_unique<TDataPipe>(blockFrames_, kStreamPipeDepth);
    trackPipe_ = std::make_unique<TDataPipe>(blockFrames_, kStreamPipeDepth);
    if (readPipe_->depth() == 0 || trackPipe_->depth() == 0) {
      FreeStreamBuffers();
      ShowError(kErrNoMemory, nullptr, GetString(ui_string::kAudioTrackData));
      return false;
    }
  }
  mixBuffer_ = std::make_unique<TData>(blockFrames_);
  if (mixBuffer_->block == nullptr) {
    FreeStreamBuffers();
    ShowError(kErrNoMemory, nullptr, GetString(ui_string::kMixingBuffer));
    return false;
  }
  return true;
}

void AudioPlayer::FreeStreamBuffers() {
  streamBuffer_.reset();
  readPipe_.reset();
  trackPipe_.reset();
  hereRead_.reset();
  hereLine_.reset();
  for (ReadAhead& ahead : readAhead_) ahead = ReadAhead();
  mixBuffer_.reset();
}

// A mix without the device: every line of volume 0 stays out, the effects
// run at their final quality, and the workers start unless the consumer
// mixes each block itself.
bool AudioPlayer::SetUpWithoutDevice(Film* films, const MixSetup& setup, LONG start, LONG end, bool here) {
  quality_ = EffectList::settings.finalQuality;
  SetMixRange(films, setup, start, end, false, false);
  StartEffects(films, setup);
  if (!AllocStreamBuffers(here)) return false;
  if (here) return true;
  if (!StartWorkers()) {
    FreeStreamBuffers();
    return false;
  }
  return true;
}

bool AudioPlayer::BeginMixStream(Film* films, const MixSetup& setup, LONG start, LONG end, int code, bool here) {
  StopOut();
  // No sound device is needed: only something else playing stands in the way.
  const int state = state_;
  if (state != kIdle && state != kNoDevice) return false;
  if (!SetStreamFormat(code)) {
    RestoreFormat();
    return false;
  }
  if (!SetUpWithoutDevice(films, setup, start, end, here)) {
    RestoreFormat();
    return false;
  }
  state_ = kStreaming;
  return true;
}

LONG AudioPlayer::GetMixBlock(BYTE** data, LONG* frames) {
  if (state_ != kStreaming || data == nullptr) return -1;
  const LONG n = MixNextBlock(streamBuffer_.get());
  *data = streamBuffer_.get();
  if (frames != nullptr) *frames = n;
  return n * OutputFormat.nBlockAlign;
}

void AudioPlayer::EndMixStream() {
  if (state_ != kStreaming) return;
  StopWorkers();
  FreeStreamBuffers();
  state_ = kIdle;
  RestoreFormat();
}

// ---------------------------------------------------------------- the WAVE export

bool AudioPlayer::WriteInfoList(HMMIO file) {
  ExportIo& io = CurrentExportIo();
  SYSTEMTIME today{};
  io.Today(&today);
  const std::string date = FormatText("%d-%02d-%02d", int{today.wYear}, int{today.wMonth}, int{today.wDay});
  const std::string software = FormatText(kSoftwareFormat, kVersionMajor, kVersionMinor);
  MMCKINFO list{};
  list.fccType = mmioFOURCC('I', 'N', 'F', 'O');
  if (io.CreateChunk(file, &list, MMIO_CREATELIST) != 0) return false;
  if (!WriteInfoText(io, file, mmioFOURCC('I', 'C', 'R', 'D'), date)) return false;
  if (!WriteInfoText(io, file, mmioFOURCC('I', 'S', 'F', 'T'), software)) return false;
  return io.Ascend(file, &list, 0) == 0;
}

bool AudioPlayer::ExportWave(HWND parent, Film* films, const MixSetup& setup, LONG start, LONG end,
                             const char* fileName, int code) {
  if (fileName == nullptr || fileName[0] == '\0') return false;
  if (!BeginMixStream(films, setup, start, end, code, true)) return false;
  ExportIo& io = CurrentExportIo();
  const WAVEFORMATEX format = OutputFormat;
  const LONGLONG frames = std::max<LONGLONG>(mixEnd_ - loopStart_, 0);
  const char* title = GetString(ui_string::kExportWave);

  // A RIFF file holds at most 4 GB: a longer range is refused, not wrapped.
  if (static_cast<ULONGLONG>(frames) * format.nBlockAlign > kMaxWaveData) {
    ShowMessage(parent, title, MB_ICONSTOP, kTooLargeFormat, fileName);
    EndMixStream();
    return false;
  }
  ULONGLONG free = 0;
  const ULONGLONG needed =
      static_cast<ULONGLONG>(std::max<LONGLONG>(FramesAt(format.nSamplesPerSec, LONGLONG{end} - start), 0)) *
          format.nBlockAlign +
      4096;
  if (io.FreeSpace(fileName, &free) && free < needed) {
    ErrorBox(parent, kErrNoSpace, title, fileName);
    EndMixStream();
    return false;
  }

  std::optional<ProgressMeter> progress;
  HMMIO file = nullptr;
  bool created = false;
  auto write = [&]() -> int {
    file = io.Open(fileName, MMIO_CREATE | MMIO_WRITE);
    if (file == nullptr) return ui_string::kWriteWave;
    created = true;
    MMCKINFO riff{};
    riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    if (io.CreateChunk(file, &riff, MMIO_CREATERIFF) != 0) return ui_string::kCreateRiffChunk;
    MMCKINFO fmt{};
    fmt.ckid = mmioFOURCC('f', 'm', 't', ' ');
    fmt.cksize = 16;
    if (io.CreateChunk(file, &fmt, 0) != 0) return ui_string::kCreateFormatChunk;
    BYTE record[16];
    PutLe16(record, format.wFormatTag);
    PutLe16(record + 2, format.nChannels);
    PutLe32(record + 4, format.nSamplesPerSec);
    PutLe32(record + 8, format.nAvgBytesPerSec);
    PutLe16(record + 12, format.nBlockAlign);
    PutLe16(record + 14, format.wBitsPerSample);
    if (io.Write(file, record, sizeof(record)) != static_cast<LONG>(sizeof(record)))
      return ui_string::kWriteWave;
    if (io.Ascend(file, &fmt, 0) != 0) return ui_string::kWriteFormatChunk;
    MMCKINFO data{};
    data.ckid = mmioFOURCC('d', 'a', 't', 'a');
    if (io.CreateChunk(file, &data, 0) != 0) return ui_string::kCreateDataChunk;

    progress.emplace(kExportProgressTitle, fileName, frames / std::max<LONG>(blockFrames_, 1), parent);
    LONGLONG done = 0;
    for (;;) {
      BYTE* block = nullptr;
      const LONG bytes = GetMixBlock(&block, nullptr);
      if (bytes <= 0) break;
      if (io.Write(file, block, bytes) != bytes) return ui_string::kWriteWave;
      if (!progress->Report(++done)) return kCancelled;
    }
    progress.reset();

    if (io.Ascend(file, &data, 0) != 0) return ui_string::kWriteDataChunk;
    if (!WriteInfoList(file)) return ui_string::kCreateDataChunk;
    if (io.Ascend(file, &riff, 0) != 0) return ui_string::kWriteRiffChunk;
    const MMRESULT closed = io.Close(file);
    file = nullptr;
    return closed == 0 ? 0 : ui_string::kWriteRiffChunk;
  };

  const int step = write();
  if (step == 0) {
    EndMixStream();
    return true;
  }
  if (step != kCancelled) ShowError(kErrWrite, fileName, GetString(step));
  if (file != nullptr) io.Close(file);
  // Only a file this export made goes: a file it could not open is left alone.
  if (created) io.Delete(fileName);
  EndMixStream();
  progress.reset();
  return false;
}

// ---------------------------------------------------------------- the play file

bool AudioPlayer::PrepareWaveForPlay(Film* films, const MixSetup& setup, LONG start, LONG end) {
  StopOut();
  const int state = state_;
  if (state != kIdle && state != kNoDevice) return false;
  if (!SetUpWithoutDevice(films, setup, start, end, true)) return false;

  ExportIo& io = CurrentExportIo();
  std::optional<ProgressMeter> progress;
  const WORD align = OutputFormat.nBlockAlign;
  HMMIO file = nullptr;
  LONGLONG total = 0;
  auto render = [&]() -> int {
    // The play file is the program's own: a link or another user's file
    // planted at its name is not written through.
    file = io.Open(Sound_File, MMIO_READWRITE | MMIO_PRIVATE);
    if (file == nullptr) file = io.Open(Sound_File, MMIO_CREATE | MMIO_READWRITE | MMIO_PRIVATE);
    if (file == nullptr) return ui_string::kOpenTempWave;
    const LONGLONG oldEnd = io.Seek(file, 0, SEEK_END);
    const LONGLONG at = loopStart_ * align;
    if (oldEnd < 0 || at < 0) return ui_string::kSeekTempWave;
    // A file that ends before the range reads back as zero bytes there; for
    // 8-bit samples that is no silence, so the gap gets the silence byte.
    if (oldEnd < at && OutputSilenceByte() != 0) {
      FillSilence(streamBuffer_.get(), blockBytes_);
      for (LONGLONG p = oldEnd; p < at;) {
        const LONG n = static_cast<LONG>(std::min<LONGLONG>(blockBytes_, at - p));
        if (io.Write(file, streamBuffer_.get(), n) != n) return ui_string::kWriteTempWave;
        p += n;
      }
    }
    if (io.Seek(file, at, SEEK_SET) != at) return ui_string::kSeekTempWave;

    progress.emplace(kRenderProgressTitle, Sound_File,
                     std::max<LONGLONG>(mixEnd_ - loopStart_, 0) / std::max<LONG>(blockFrames_, 1), nullptr);
    LONGLONG done = 0;
    for (;;) {
      const LONG bytes = MixNextBlock(streamBuffer_.get()) * align;
      if (bytes <= 0) break;
      if (io.Write(file, streamBuffer_.get(), bytes) != bytes) return ui_string::kWriteTempWave;
      total += bytes;
      if (!progress->Report(++done)) return kCancelled;
    }
    progress.reset();

    // The trailer of silence goes only where the file held nothing: audio
    // rendered earlier behind this range stays.
    const LONGLONG here = at + total;
    const LONGLONG from = std::max(here, oldEnd);
    if (from < here + kTrailerBytes) {
      const LONG n = static_cast<LONG>(here + kTrailerBytes - from);
      FillSilence(streamBuffer_.get(), static_cast<DWORD>(n));
      if (io.Seek(file, from, SEEK_SET) != from) return ui_string::kWriteTempWave;
      if (io.Write(file, streamBuffer_.get(), n) != n) return ui_string::kWriteTempWave;
    }
    const MMRESULT closed = io.Close(file);
    file = nullptr;
    return closed == 0 ? 0 : ui_string::kWriteTempWave;
  };

  const int step = render();
  if (step == 0) {
    StopWorkers();
    FreeStreamBuffers();
    return total > 0;
  }
  if (step != kCancelled) ShowError(kErrWrite, Sound_File, GetString(step));
  if (file != nullptr) io.Close(file);
  // What could not be opened is not the program's to delete.
  if (step != ui_string::kOpenTempWave) DeleteSoundFile();
  StopWorkers();
  FreeStreamBuffers();
  progress.reset();
  return false;
}
