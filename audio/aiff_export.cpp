#include "audio/aiff_export.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "audio/audio_player.h"
#include "audio/export_io.h"
#include "media/progress_hooks.h"
#include "model/message_box.h"
#include "model/ui_strings.h"

namespace {

constexpr LONG kHeaderBytes = 54;
constexpr char kTooLargeFormat[] = "File '%s' would be larger than 4 GB, more than an AIFF file can hold.";

void PutBe16(BYTE* p, DWORD v) {
  p[0] = static_cast<BYTE>(v >> 8);
  p[1] = static_cast<BYTE>(v);
}

void PutBe32(BYTE* p, DWORD v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<BYTE>(v >> (24 - 8 * i));
}

void PutId(BYTE* p, const char* id) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<BYTE>(id[i]);
}

// The engine's little-endian samples as AIFF's big-endian signed ones.
void ToAiffSamples(BYTE* data, LONG bytes, int code) {
  switch (code) {
    case 1:
      for (LONG i = 0; i < bytes; ++i) data[i] = static_cast<BYTE>(data[i] + 128);
      break;
    case 2:
      for (LONG i = 0; i + 1 < bytes; i += 2) std::swap(data[i], data[i + 1]);
      break;
    default:
      for (LONG i = 0; i + 2 < bytes; i += 3) std::swap(data[i], data[i + 2]);
      break;
  }
}

}  // namespace

void RateToExtended(DWORD rate, BYTE out[10]) {
  std::fill(out, out + 10, 0);
  if (rate == 0) return;
  int top = 31;
  while ((rate & (1u << top)) == 0) --top;
  const int exponent = 16383 + top;
  const ULONGLONG mantissa = static_cast<ULONGLONG>(rate) << (63 - top);
  out[0] = static_cast<BYTE>(exponent >> 8);
  out[1] = static_cast<BYTE>(exponent);
  for (int i = 0; i < 8; ++i) out[2 + i] = static_cast<BYTE>(mantissa >> (56 - 8 * i));
}

bool BuildAiffHeader(BYTE header[54], WORD channels, WORD bits, DWORD rate, ULONGLONG dataBytes,
                     WORD blockAlign) {
  if (blockAlign == 0 || dataBytes > 0xFFFFFFFFull - 46) return false;
  const auto d = static_cast<DWORD>(dataBytes);
  PutId(header, "FORM");
  PutBe32(header + 4, d + 46);
  PutId(header + 8, "AIFF");
  PutId(header + 12, "COMM");
  PutBe32(header + 16, 18);
  PutBe16(header + 20, channels);
  PutBe32(header + 22, d / blockAlign);
  PutBe16(header + 26, bits);
  RateToExtended(rate, header + 28);
  PutId(header + 38, "SSND");
  PutBe32(header + 42, d + 8);
  PutBe32(header + 46, 0);
  PutBe32(header + 50, 0);
  return true;
}

bool ExportMixdown(HWND owner, Film* films, const MixSetup& setup, LONG start, LONG end, const char* fileName,
                   int code) {
  AudioPlayer* engine = TheAudioPlayer;
  if (engine == nullptr || fileName == nullptr || fileName[0] == '\0') return false;
  if (code == 0) code = engine->GetProjectCode();
  if (code <= 0 || code > 4 || start >= end) return false;
  if (!engine->BeginMixStream(films, setup, start, end, code, true)) return false;

  const char* title = GetString(ui_string::kExportAiff);
  const WAVEFORMATEX format = OutputFormat;
  const DWORD rate = format.nSamplesPerSec;
  const ULONGLONG dataBytes =
      static_cast<ULONGLONG>(std::max<LONGLONG>(FramesAt(rate, end) - FramesAt(rate, start), 0)) *
      format.nBlockAlign;
  BYTE header[kHeaderBytes];
  if (!BuildAiffHeader(header, format.nChannels, format.wBitsPerSample, rate, dataBytes,
                       format.nBlockAlign)) {
    ShowMessage(owner, title, MB_ICONSTOP, kTooLargeFormat, fileName);
    engine->EndMixStream();
    return false;
  }
  ExportIo& io = CurrentExportIo();
  ULONGLONG free = 0;
  const ULONGLONG needed =
      static_cast<ULONGLONG>(std::max<LONGLONG>(FramesAt(rate, LONGLONG{end} - start), 0)) *
          format.nBlockAlign +
      4096;
  if (io.FreeSpace(fileName, &free) && free < needed) {
    ErrorBox(owner, kErrNoSpace, title, fileName);
    engine->EndMixStream();
    return false;
  }

  std::optional<ProgressMeter> progress;
  progress.emplace(title, fileName,
                   static_cast<LONGLONG>(dataBytes / std::max<DWORD>(engine->GetBlockBytes(), 1)), owner);
  HMMIO file = nullptr;
  auto write = [&]() -> int {
    file = io.Open(fileName, MMIO_CREATE | MMIO_WRITE);
    if (file == nullptr) return kErrOpen;
    if (io.Write(file, header, kHeaderBytes) != kHeaderBytes) return kErrWrite;
    LONGLONG done = 0;
    for (;;) {
      BYTE* block = nullptr;
      const LONG bytes = engine->GetMixBlock(&block, nullptr);
      if (bytes <= 0) break;
      ToAiffSamples(block, bytes, code);
      if (io.Write(file, block, bytes) != bytes) return kErrWrite;
      if (!progress->Report(++done)) return kErrCancelled;
    }
    return kErrOk;
  };

  const int error = write();
  if (error != 0) ErrorBox(owner, error, title, fileName);
  engine->EndMixStream();
  bool closed = true;
  if (file != nullptr) closed = io.Close(file) == 0;
  progress.reset();
  if (error == 0 && closed) return true;
  if (error == 0) ErrorBox(owner, kErrWrite, title, fileName);
  // A half-written file is of no use to anyone: it goes (a file that could
  // not be opened is left as it was).
  if (file != nullptr) io.Delete(fileName);
  return false;
}
