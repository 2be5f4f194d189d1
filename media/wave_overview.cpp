#include "media/wave_overview.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "media/audio_data.h"
#include "media/audio_file.h"
#include "media/progress_hooks.h"
#include "model/error_codes.h"
#include "platform/codecs/dib.h"
#include "platform/core/paths.h"

namespace {

constexpr LONG kReadBufferBytes = 32768;
constexpr LONG kProgressThresholdBytes = 163840;

constexpr FOURCC kPict = mmioFOURCC('P', 'I', 'C', 'T');
constexpr FOURCC kFmt = mmioFOURCC('f', 'm', 't', ' ');
constexpr FOURCC kName = mmioFOURCC('n', 'a', 'm', 'e');
constexpr FOURCC kDat1 = mmioFOURCC('d', 'a', 't', '1');
constexpr FOURCC kDat2 = mmioFOURCC('d', 'a', 't', '2');

// How one raw sample (as ReadSamples gives it) becomes 8 bits.
enum class Rule { None, Byte, Int16, Top3, Top4, Float };

Rule RuleOf(AudioData* source) {
  if (source->format == nullptr || source->sampleType == kSampleUnusable) return Rule::None;
  switch (source->GetSampleType()) {
    case 1:
      return Rule::Byte;
    case 2:
      return Rule::Int16;
    case 3:
    case 4:
      return Rule::Top3;
    case 5:
    case 6:
      return Rule::Top4;
    case 7:
      return Rule::Float;
    default:
      return Rule::None;
  }
}

inline BYTE To8Bit(Rule rule, const BYTE* p) {
  switch (rule) {
    case Rule::Byte:
      return p[0];
    case Rule::Int16:
      return static_cast<BYTE>((static_cast<std::int16_t>(p[0] | (p[1] << 8)) >> 8) + 128);
    case Rule::Top3:
      return static_cast<BYTE>(static_cast<std::int8_t>(p[2]) + 128);
    case Rule::Top4:
      return static_cast<BYTE>(static_cast<std::int8_t>(p[3]) + 128);
    case Rule::Float: {
      float v;
      std::memcpy(&v, p, 4);
      if (!(v == v)) return 128;
      // Full scale (1.0) lands on 256: held at 255, as is anything louder.
      const float scaled = std::trunc(v * 128.0f) + 128.0f;
      return static_cast<BYTE>(std::clamp(scaled, 0.0f, 255.0f));
    }
    case Rule::None:
      break;
  }
  return 128;
}

int ContainerBytes(Rule rule) {
  switch (rule) {
    case Rule::Byte:
      return 1;
    case Rule::Int16:
      return 2;
    case Rule::Top3:
      return 3;
    default:
      return 4;
  }
}

// Keeps a source open for reading while the overview reads it.
class ReadScope {
 public:
  explicit ReadScope(AudioData* source) : source_(source) {
    if (!source_->IsOpen()) opened_ = source_->BeginRead();
  }
  ~ReadScope() {
    if (opened_) source_->EndRead();
  }
  ReadScope(const ReadScope&) = delete;
  ReadScope& operator=(const ReadScope&) = delete;

 private:
  AudioData* source_;
  bool opened_ = false;
};

// The min and max of one channel over the current span.
struct Span {
  BYTE low = 255;
  BYTE high = 0;
  BYTE last = 128;
  BYTE previousLast = 128;

  void Add(BYTE v) {
    low = std::min(low, v);
    high = std::max(high, v);
    last = v;
  }
  void WritePair(BYTE* out) {
    if (last > previousLast) {
      out[0] = low;
      out[1] = high;
    } else {
      out[0] = high;
      out[1] = low;
    }
    previousLast = last;
    low = 255;
    high = 0;
  }
};

bool WriteChunk(HMMIO file, FOURCC id, const void* data, LONG size) {
  MMCKINFO ck;
  ck.ckid = id;
  if (mmioCreateChunk(file, &ck, 0) != 0) return false;
  if (size > 0 && mmioWrite(file, data, size) != size) return false;
  return mmioAscend(file, &ck, 0) == 0;
}

using codecs::GetLe32;
using codecs::PutLe32;

int StoredChannels(const AudioData* source) {
  return std::min<int>(source->format->nChannels, 2);
}

}  // namespace

WaveformLayout WaveformLayoutFor(DWORD frames) {
  WaveformLayout l;
  l.step = (frames >> 15) + 1;
  l.byteCount = static_cast<LONG>((frames / l.step) & ~1u);
  return l;
}

void FillWaveform(AudioData* source) {
  if (source == nullptr || source->peakBlock1) return;
  source->peakByteCount = 0;
  if (source->format == nullptr || source->format->nBlockAlign == 0) return;
  const WaveformLayout layout = WaveformLayoutFor(source->LengthInSamples());
  if (layout.byteCount == 0) return;
  const int channels = source->format->nChannels;
  const LONG align = source->format->nBlockAlign;

  std::unique_ptr<BYTE[]> block1(new (std::nothrow) BYTE[static_cast<std::size_t>(layout.byteCount)]);
  std::unique_ptr<BYTE[]> block2;
  if (block1 && channels >= 2)
    block2.reset(new (std::nothrow) BYTE[static_cast<std::size_t>(layout.byteCount)]);
  std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[kReadBufferBytes]);
  if (!block1 || (channels >= 2 && !block2) || !buffer) {
    source->error = kErrNoMemory;
    return;
  }
  std::memset(block1.get(), 128, static_cast<std::size_t>(layout.byteCount));
  if (block2) std::memset(block2.get(), 128, static_cast<std::size_t>(layout.byteCount));

  const Rule rule = RuleOf(source);
  if (rule != Rule::None) {
    WaitCursor wait;
    const std::int64_t total = static_cast<std::int64_t>(layout.step) * layout.byteCount;
    std::unique_ptr<ProgressMeter> progress;
    if (total > kProgressThresholdBytes / align)
      progress = std::make_unique<ProgressMeter>("Fill Waveform", source->fileName, total, nullptr);
    ReadScope open(source);
    const int bytes = ContainerBytes(rule);
    const LONG chunk = std::max<LONG>(kReadBufferBytes / align, 1);
    const std::int64_t spanFrames = 2 * static_cast<std::int64_t>(layout.step);
    Span spans[2];
    std::int64_t done = 0, inSpan = 0;
    LONG pair = 0;
    while (done < total) {
      const LONG want = static_cast<LONG>(std::min<std::int64_t>(total - done, chunk));
      const LONG got = source->ReadSamples(buffer.get(), done, want);
      if (got <= 0) break;
      for (LONG f = 0; f < got && pair < layout.byteCount; ++f) {
        const BYTE* frame = buffer.get() + static_cast<std::size_t>(f) * align;
        spans[0].Add(To8Bit(rule, frame));
        if (block2) spans[1].Add(To8Bit(rule, frame + bytes));
        if (++inSpan == spanFrames) {
          spans[0].WritePair(block1.get() + pair);
          if (block2) spans[1].WritePair(block2.get() + pair);
          pair += 2;
          inSpan = 0;
        }
      }
      done += got;
      if (progress && !progress->Report(done)) break;
    }
  }
  source->peakBlock1 = std::move(block1);
  source->peakBlock2 = std::move(block2);
  source->peakByteCount = layout.byteCount;
}

void ScanPeaks(AudioData* source, BYTE* destination, std::int64_t firstFrame, LONG count) {
  if (source == nullptr || destination == nullptr || count <= 0 || source->format == nullptr) return;
  const int channels = source->format->nChannels;
  const LONG align = source->format->nBlockAlign;
  std::memset(destination, 128, static_cast<std::size_t>(channels) * static_cast<std::size_t>(count));
  const Rule rule = RuleOf(source);
  if (rule == Rule::None || align <= 0 || firstFrame < 0) return;
  ReadScope open(source);
  if (rule == Rule::Byte) {
    source->ReadSamples(destination, firstFrame, count);
    return;
  }
  std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[kReadBufferBytes]);
  if (!buffer) return;
  const int bytes = ContainerBytes(rule);
  const LONG chunk = std::max<LONG>(kReadBufferBytes / align, 1);
  BYTE* out = destination;
  for (LONG done = 0; done < count;) {
    const LONG want = std::min(count - done, chunk);
    const LONG got = source->ReadSamples(buffer.get(), firstFrame + done, want);
    if (got <= 0) break;
    for (LONG f = 0; f < got; ++f)
      for (int c = 0; c < channels; ++c)
        *out++ = To8Bit(
            rule, buffer.get() + static_cast<std::size_t>(f) * align + static_cast<std::size_t>(c) * bytes);
    done += got;
  }
}

bool SaveWaveform(AudioData* source, HMMIO file, LONG* size, const char* folder) {
  if (file == nullptr) return false;
  if (size != nullptr) *size = 0;
  if (source == nullptr) return true;
  const LONG start = mmioSeek(file, 0, SEEK_CUR);
  if (start < 0) return false;
  if (source->peakByteCount <= 0 || !source->peakBlock1 || source->format == nullptr ||
      static_cast<std::int64_t>(source->LengthInSamples()) <= source->peakByteCount)
    return true;
  const int channels = StoredChannels(source);

  MMCKINFO list;
  list.fccType = kPict;
  if (mmioCreateChunk(file, &list, MMIO_CREATELIST) != 0) return false;
  BYTE fmt[16];
  PutLe32(fmt, 1);
  PutLe32(fmt + 4, source->fileTime.dwLowDateTime);
  PutLe32(fmt + 8, source->fileTime.dwHighDateTime);
  PutLe32(fmt + 12, static_cast<DWORD>(channels));
  const std::string name =
      folder != nullptr && folder[0] != '\0' ? PathRelativeTo(source->fileName, folder) : source->fileName;
  const bool twoBlocks = channels == 2 && source->peakBlock2;
  if (!WriteChunk(file, kFmt, fmt, 16) ||
      !WriteChunk(file, kName, name.c_str(), static_cast<LONG>(name.size() + 1)) ||
      !WriteChunk(file, kDat1, source->peakBlock1.get(), source->peakByteCount) ||
      !WriteChunk(file, kDat2, twoBlocks ? source->peakBlock2.get() : nullptr,
                  twoBlocks ? source->peakByteCount : 0) ||
      mmioAscend(file, &list, 0) != 0)
    return false;
  const LONG end = mmioSeek(file, 0, SEEK_CUR);
  if (end < start) return false;
  if (size != nullptr) *size = end - start;
  return true;
}

int LoadWaveform(HMMIO file, LONG recordSize, const char* folder, const MovedFileList* moved) {
  if (file == nullptr || recordSize < 0) return kErrInvalidFormat;
  if (recordSize == 0) return kErrOk;
  const LONG start = mmioSeek(file, 0, SEEK_CUR);
  if (start < 0) return kErrInvalidFormat;
  const std::int64_t recordEnd = static_cast<std::int64_t>(start) + recordSize;

  MMCKINFO list;
  list.fccType = kPict;
  if (mmioDescend(file, &list, nullptr, MMIO_FINDLIST) != 0) return kErrInvalidFormat;
  // The list lies within the record: its header and all its chunks.
  if (static_cast<std::int64_t>(list.dwDataOffset) + 4 > recordEnd ||
      static_cast<std::int64_t>(list.dwDataOffset) + list.cksize > recordEnd)
    return kErrInvalidFormat;

  MMCKINFO ck;
  ck.ckid = kFmt;
  BYTE fmt[16];
  if (mmioDescend(file, &ck, &list, MMIO_FINDCHUNK) != 0 || ck.cksize < 16 || mmioRead(file, fmt, 16) != 16 ||
      GetLe32(fmt) != 1 || mmioAscend(file, &ck, 0) != 0)
    return kErrInvalidFormat;
  FILETIME stored;
  stored.dwLowDateTime = GetLe32(fmt + 4);
  stored.dwHighDateTime = GetLe32(fmt + 8);
  const DWORD storedChannels = GetLe32(fmt + 12);

  // The name, NUL-terminated in its chunk, fits a path buffer with the
  // collection folder put in front of a relative one.
  ck = MMCKINFO();
  ck.ckid = kName;
  char name[MAX_PATH] = {};
  if (mmioDescend(file, &ck, &list, MMIO_FINDCHUNK) != 0 || ck.cksize == 0 || ck.cksize > MAX_PATH ||
      mmioRead(file, name, static_cast<LONG>(ck.cksize)) != static_cast<LONG>(ck.cksize) ||
      mmioAscend(file, &ck, 0) != 0)
    return kErrInvalidFormat;
  name[MAX_PATH - 1] = '\0';
  const std::string path = PathIsAbsolute(name) || folder == nullptr || folder[0] == '\0'
                               ? std::string(name)
                               : PathJoin(folder, name);
  if (path.empty() || path.size() >= MAX_PATH) return kErrInvalidFormat;

  AudioData* source = AudioData::FindByName(path.c_str());
  if (source == nullptr && moved != nullptr) {
    const char* newPath = moved->NewPathOf(path.c_str());
    if (newPath != nullptr) source = AudioData::FindByName(newPath);
  }
  if (source == nullptr || source->peakBlock1 || source->format == nullptr) {
    mmioAscend(file, &list, 0);
    return kErrAlreadyDone;
  }
  if (!SameFileTime(stored, source->fileTime)) {
    mmioAscend(file, &list, 0);
    return kErrCancelled;
  }
  // Blocks for channels the source does not have would be drawn from
  // memory it never had.
  if (storedChannels != static_cast<DWORD>(StoredChannels(source))) return kErrInvalidFormat;

  ck = MMCKINFO();
  ck.ckid = kDat1;
  if (mmioDescend(file, &ck, &list, MMIO_FINDCHUNK) != 0 || ck.cksize == 0 || ck.cksize > kMaxWaveformBytes)
    return kErrInvalidFormat;
  const LONG count = static_cast<LONG>(ck.cksize);
  std::unique_ptr<BYTE[]> block1(new (std::nothrow) BYTE[static_cast<std::size_t>(count)]);
  if (!block1 || mmioRead(file, block1.get(), count) != count || mmioAscend(file, &ck, 0) != 0)
    return kErrInvalidFormat;
  std::unique_ptr<BYTE[]> block2;
  if (storedChannels == 2) {
    ck = MMCKINFO();
    ck.ckid = kDat2;
    if (mmioDescend(file, &ck, &list, MMIO_FINDCHUNK) != 0 || ck.cksize != static_cast<DWORD>(count))
      return kErrInvalidFormat;
    block2.reset(new (std::nothrow) BYTE[static_cast<std::size_t>(count)]);
    if (!block2 || mmioRead(file, block2.get(), count) != count || mmioAscend(file, &ck, 0) != 0)
      return kErrInvalidFormat;
  }
  if (mmioAscend(file, &list, 0) != 0) return kErrInvalidFormat;
  source->peakBlock1 = std::move(block1);
  source->peakBlock2 = std::move(block2);
  source->peakByteCount = count;
  return kErrOk;
}
