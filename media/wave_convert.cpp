#include "media/wave_convert.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "media/audio_data.h"
#include "media/progress_hooks.h"
#include "model/message_box.h"
#include "platform/codecs/dib.h"
#include "platform/core/files.h"
#include "platform/core/paths.h"

namespace {

constexpr const char* kCaption = "Convert Wave";
constexpr const char* kNoMemory = "Not enough memory";
constexpr const char* kCannotChoose = "Can not choose destination format";
constexpr const char* kCannotOpenFile = "Can not open destination file";
constexpr const char* kCannotOpenStream = "Unable open stream";
constexpr const char* kSourceSize = "Source bufer size can not be accounted";
constexpr const char* kDestinationSize = "Destination bufer size can not be accounted";
constexpr const char* kNotPrepared = "Header has not prepared";
constexpr const char* kNoPcm = "This format can not be converted to PCM";
constexpr const char* kCodec = "Something wrong with codec";
constexpr const char* kCannotWrite = "Can not write data";

constexpr FOURCC kWave = mmioFOURCC('W', 'A', 'V', 'E');
constexpr FOURCC kFmt = mmioFOURCC('f', 'm', 't', ' ');
constexpr FOURCC kFact = mmioFOURCC('f', 'a', 'c', 't');
constexpr FOURCC kData = mmioFOURCC('d', 'a', 't', 'a');

constexpr int kMaxUnits = 64;
constexpr int kMaxIdleConversions = 10;

bool IsLinear(const WAVEFORMATEX* f) {
  return f->wFormatTag == WAVE_FORMAT_PCM || f->wFormatTag == WAVE_FORMAT_IEEE_FLOAT;
}

using codecs::PutLe16;
using codecs::PutLe32;

std::unique_ptr<BYTE[]> Allocate(DWORD size) {
  std::unique_ptr<BYTE[]> p(new (std::nothrow) BYTE[size]());
  if (!p) throw ConvertExept(kNoMemory);
  return p;
}

WAVEFORMATEX MakePcm(WORD channels, DWORD rate, WORD bits) {
  WAVEFORMATEX f{};
  f.wFormatTag = WAVE_FORMAT_PCM;
  f.nChannels = channels;
  f.nSamplesPerSec = rate;
  f.wBitsPerSample = bits;
  f.nBlockAlign = static_cast<WORD>(channels * bits / 8);
  f.nAvgBytesPerSec = rate * f.nBlockAlign;
  return f;
}

// AIFF sources hold signed 8-bit and big-endian samples under a PCM
// record: they become the PCM the record describes before conversion.
void ToRecordLayout(LONG sampleType, BYTE* p, LONG bytes) {
  switch (sampleType) {
    case kSampleSigned8:
      for (LONG i = 0; i < bytes; ++i) p[i] = static_cast<BYTE>(p[i] + 128);
      break;
    case kSampleBigEndian16:
      for (LONG i = 0; i + 1 < bytes; i += 2) std::swap(p[i], p[i + 1]);
      break;
    case kSampleBigEndian24:
      for (LONG i = 0; i + 2 < bytes; i += 3) std::swap(p[i], p[i + 2]);
      break;
    default:
      break;
  }
}

int RunConversion(HWND window, AudioData* source, const char* destination, Converter::Choice choice,
                  const WAVEFORMATEX* given) {
  Converter* converter = new (std::nothrow) Converter(source);
  if (converter == nullptr) return kErrNoMemory;
  const int result = converter->Run(window, destination, choice, given);
  delete converter;
  return result;
}

}  // namespace

DWORD ConverterDestinationUnit(WORD blockAlign) {
  const DWORD align = std::max<DWORD>(blockAlign, 1);
  return (1023 / align + 1) * align;
}

Converter::Converter(AudioData* source) : source_(source) {}

Converter::~Converter() {
  Finish();
}

int Converter::Run(HWND window, const char* destination, Choice choice, const WAVEFORMATEX* given) {
  std::string message;
  bool failed = false;
  bool created = false;
  {
    WaitCursor wait;
    try {
      if (source_ == nullptr || source_->format == nullptr) throw ConvertExept(kCannotOpenStream);
      // The source's record, and room for the largest record any format needs.
      DWORD largest = 0;
      acmMetrics(nullptr, ACM_METRIC_MAX_SIZE_FORMAT, &largest);
      const DWORD sourceSize = static_cast<DWORD>(sizeof(WAVEFORMATEX)) + source_->format->cbSize;
      formatSize_ = std::max(largest, sourceSize);
      sourceFormat_ = Allocate(formatSize_);
      std::memcpy(sourceFormat_.get(), source_->format, sourceSize);

      if (!ChooseDestination(window, choice, given)) {
        Finish();
        return kErrOk;
      }
      // Writing over the file being read would destroy it.
      if (destination == nullptr || destination[0] == '\0' || PathsEqual(destination, source_->fileName))
        throw ConvertExept(kCannotOpenFile);
      file_ = mmioOpen(destination, nullptr, MMIO_CREATE | MMIO_READWRITE);
      if (file_ == nullptr) throw ConvertExept(kCannotOpenFile);
      created = true;

      const bool direct =
          acmStreamOpen(nullptr, nullptr, SourceFormat(), DestinationFormat(), nullptr, 0, 0,
                        ACM_STREAMOPENF_QUERY | ACM_STREAMOPENF_NONREALTIME) == MMSYSERR_NOERROR;
      if (direct) {
        OpenStage(stages_[0], SourceFormat(), DestinationFormat());
      } else {
        // Through PCM: the source's first 16 bytes as PCM, kept as far as
        // the manager allows.
        pcmFormat_ = Allocate(formatSize_);
        WAVEFORMATEX wanted = *SourceFormat();
        wanted.wFormatTag = WAVE_FORMAT_PCM;
        wanted.cbSize = 0;
        const DWORD tries[] = {
            ACM_FORMATSUGGESTF_WFORMATTAG | ACM_FORMATSUGGESTF_NCHANNELS | ACM_FORMATSUGGESTF_NSAMPLESPERSEC |
                ACM_FORMATSUGGESTF_WBITSPERSAMPLE,
            ACM_FORMATSUGGESTF_WFORMATTAG | ACM_FORMATSUGGESTF_NCHANNELS | ACM_FORMATSUGGESTF_NSAMPLESPERSEC,
            ACM_FORMATSUGGESTF_WFORMATTAG | ACM_FORMATSUGGESTF_NCHANNELS, ACM_FORMATSUGGESTF_WFORMATTAG};
        bool found = false;
        for (DWORD flags : tries) {
          *PcmFormat() = wanted;
          if (acmFormatSuggest(nullptr, SourceFormat(), PcmFormat(), formatSize_, flags) ==
              MMSYSERR_NOERROR) {
            found = true;
            break;
          }
        }
        if (!found) throw ConvertExept(kNoPcm);
        twoStages_ = true;
        OpenStage(stages_[0], SourceFormat(), PcmFormat());
        OpenStage(stages_[1], PcmFormat(), DestinationFormat());
      }
      WriteHeader();
      Convert(window, destination);
    } catch (const ConvertExept& e) {
      failed = true;
      message = e.text;
    } catch (const std::bad_alloc&) {
      failed = true;
      message = kNoMemory;
    }
    Finish();
  }
  if (!failed) return kErrOk;
  // A cut-off file would pass for a whole one.
  if (created) DeleteFile(destination);
  if (!message.empty()) ShowMessageText(window, kCaption, MB_ICONEXCLAMATION, message);
  return kErrCancelled;
}

bool Converter::ChooseDestination(HWND window, Choice choice, const WAVEFORMATEX* given) {
  destinationFormat_ = Allocate(formatSize_);
  WAVEFORMATEX* d = DestinationFormat();
  if (choice == Choice::GivenPcm) {
    if (given == nullptr) throw ConvertExept(kCannotChoose);
    *d = *given;
    d->cbSize = 0;
    return true;
  }
  ACMFORMATCHOOSE choose;
  choose.hwndOwner = window;
  choose.pwfx = d;
  choose.cbwfx = formatSize_;
  choose.pszTitle = "Destination Format Selection";
  WAVEFORMATEX suggestion{};
  if (choice == Choice::ChosenAny) {
    choose.fdwEnum = ACM_FORMATENUMF_CONVERT;
    choose.pwfxEnum = SourceFormat();
  } else {
    const WAVEFORMATEX* s = SourceFormat();
    WAVEFORMATEX probe = MakePcm(s->nChannels, s->nSamplesPerSec, s->wBitsPerSample);
    const DWORD keep =
        ACM_FORMATSUGGESTF_WFORMATTAG | ACM_FORMATSUGGESTF_NCHANNELS | ACM_FORMATSUGGESTF_NSAMPLESPERSEC;
    bool suggested = acmFormatSuggest(nullptr, SourceFormat(), &probe, sizeof probe,
                                      keep | ACM_FORMATSUGGESTF_WBITSPERSAMPLE) == MMSYSERR_NOERROR;
    if (!suggested) {
      probe = MakePcm(s->nChannels, s->nSamplesPerSec, s->wBitsPerSample);
      suggested = acmFormatSuggest(nullptr, SourceFormat(), &probe, sizeof probe, keep) == MMSYSERR_NOERROR;
    }
    const WORD bits = suggested ? 16 : (s->wBitsPerSample <= 8 ? 8 : 16);
    suggestion = MakePcm(s->nChannels, s->nSamplesPerSec, bits);
    *d = suggestion;
    choose.fdwStyle = ACMFORMATCHOOSE_STYLEF_INITTOWFXSTRUCT;
    choose.fdwEnum = ACM_FORMATENUMF_WFORMATTAG;
    choose.pwfxEnum = &suggestion;
  }
  const MMRESULT r = acmFormatChoose(&choose);
  if (r == ACMERR_CANCELED) return false;
  if (r != MMSYSERR_NOERROR) throw ConvertExept(kCannotChoose);
  return true;
}

void Converter::OpenStage(Stage& stage, WAVEFORMATEX* from, WAVEFORMATEX* to) {
  if (acmStreamOpen(&stage.stream, nullptr, from, to, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME) !=
      MMSYSERR_NOERROR)
    throw ConvertExept(kCannotOpenStream);
  stage.opened = true;
  const DWORD unit = ConverterDestinationUnit(to->nBlockAlign);
  MMRESULT r = ACMERR_NOTPOSSIBLE;
  for (int k = 1; k <= kMaxUnits && r == ACMERR_NOTPOSSIBLE; ++k)
    r = acmStreamSize(stage.stream, unit * k, &stage.sourceSize, ACM_STREAMSIZEF_DESTINATION);
  if (r != MMSYSERR_NOERROR || stage.sourceSize == 0) throw ConvertExept(kSourceSize);
  if (acmStreamSize(stage.stream, stage.sourceSize, &stage.destinationSize, ACM_STREAMSIZEF_SOURCE) !=
          MMSYSERR_NOERROR ||
      stage.destinationSize == 0)
    throw ConvertExept(kDestinationSize);
  stage.sourceBuffer = Allocate(stage.sourceSize);
  stage.destinationBuffer = Allocate(stage.destinationSize);
  stage.header = ACMSTREAMHEADER();
  stage.header.pbSrc = stage.sourceBuffer.get();
  stage.header.cbSrcLength = stage.sourceSize;
  stage.header.pbDst = stage.destinationBuffer.get();
  stage.header.cbDstLength = stage.destinationSize;
  if (acmStreamPrepareHeader(stage.stream, &stage.header, 0) != MMSYSERR_NOERROR)
    throw ConvertExept(kNotPrepared);
  stage.prepared = true;
}

void Converter::WriteHeader() {
  riff_ = MMCKINFO();
  riff_.fccType = kWave;
  if (mmioCreateChunk(file_, &riff_, MMIO_CREATERIFF) != 0) throw ConvertExept(kCannotWrite);
  riffOpen_ = true;

  const WAVEFORMATEX* d = DestinationFormat();
  BYTE fields[18];
  PutLe16(fields, d->wFormatTag);
  PutLe16(fields + 2, d->nChannels);
  PutLe32(fields + 4, d->nSamplesPerSec);
  PutLe32(fields + 8, d->nAvgBytesPerSec);
  PutLe16(fields + 12, d->nBlockAlign);
  PutLe16(fields + 14, d->wBitsPerSample);
  // PCM: the 16-byte record; any other format: the whole record.
  const DWORD extra =
      d->wFormatTag == WAVE_FORMAT_PCM
          ? 0
          : std::min<DWORD>(d->cbSize, formatSize_ - static_cast<DWORD>(sizeof(WAVEFORMATEX)));
  PutLe16(fields + 16, static_cast<WORD>(extra));
  MMCKINFO fmt;
  fmt.ckid = kFmt;
  if (mmioCreateChunk(file_, &fmt, 0) != 0) throw ConvertExept(kCannotWrite);
  const LONG length = d->wFormatTag == WAVE_FORMAT_PCM ? 16 : 18;
  if (mmioWrite(file_, fields, length) != length) throw ConvertExept(kCannotWrite);
  if (extra > 0 && mmioWrite(file_, destinationFormat_.get() + sizeof(WAVEFORMATEX),
                             static_cast<LONG>(extra)) != static_cast<LONG>(extra))
    throw ConvertExept(kCannotWrite);
  if (mmioAscend(file_, &fmt, 0) != 0) throw ConvertExept(kCannotWrite);

  MMCKINFO fact;
  fact.ckid = kFact;
  if (mmioCreateChunk(file_, &fact, 0) != 0) throw ConvertExept(kCannotWrite);
  factPosition_ = mmioSeek(file_, 0, SEEK_CUR);
  const BYTE zero[4] = {0, 0, 0, 0};
  if (factPosition_ < 0 || mmioWrite(file_, zero, 4) != 4 || mmioAscend(file_, &fact, 0) != 0)
    throw ConvertExept(kCannotWrite);

  data_ = MMCKINFO();
  data_.ckid = kData;
  if (mmioCreateChunk(file_, &data_, 0) != 0) throw ConvertExept(kCannotWrite);
  dataOpen_ = true;
}

void Converter::Step(Stage& stage, DWORD count, bool end) {
  if (end) stage.flags = (stage.flags | ACM_STREAMCONVERTF_END) & ~ACM_STREAMCONVERTF_BLOCKALIGN;
  stage.header.cbSrcLength = count;
  stage.header.cbDstLength = stage.destinationSize;
  if (acmStreamConvert(stage.stream, &stage.header, stage.flags) != MMSYSERR_NOERROR)
    throw ConvertExept(kCodec);
  const DWORD used = std::min(stage.header.cbSrcLengthUsed, count);
  stage.header.cbSrcLengthUsed = used;
  stage.header.cbDstLengthUsed = std::min(stage.header.cbDstLengthUsed, stage.destinationSize);
  if (used > 0) {
    stage.flags &= ~ACM_STREAMCONVERTF_START;
    stage.idle = 0;
  } else if (++stage.idle >= kMaxIdleConversions) {
    throw ConvertExept(kCodec);
  }
  if (used < count) stage.flags &= ~ACM_STREAMCONVERTF_END;
}

void Converter::Write(const BYTE* data, DWORD count) {
  if (count == 0) return;
  if (mmioWrite(file_, data, static_cast<LONG>(count)) != static_cast<LONG>(count))
    throw ConvertExept(kCannotWrite);
  written_ += count;
}

void Converter::Convert(HWND window, const char* destination) {
  if (!source_->OpenHandle()) throw ConvertExept(kCannotOpenStream);
  handleOpen_ = true;
  const std::int64_t total = static_cast<std::int64_t>(source_->LengthInSamples()) *
                             static_cast<std::int64_t>(SourceFormat()->nBlockAlign);
  progress_ = std::make_unique<ProgressMeter>("Convert WAVE", destination, total, window);
  if (twoStages_) {
    ConvertTwoStages(total);
    return;
  }
  Stage& s = stages_[0];
  s.flags = ACM_STREAMCONVERTF_START | ACM_STREAMCONVERTF_BLOCKALIGN;
  std::int64_t position = 0;
  for (;;) {
    StepFromSource(s, &position);
    Write(s.destinationBuffer.get(), s.header.cbDstLengthUsed);
    if (s.flags & ACM_STREAMCONVERTF_END) break;
  }
}

void Converter::StepFromSource(Stage& s, std::int64_t* position) {
  const LONG got =
      std::max<LONG>(source_->ReadBytes(s.sourceBuffer.get(), *position, static_cast<LONG>(s.sourceSize)), 0);
  ToRecordLayout(source_->sampleType, s.sourceBuffer.get(), got);
  Step(s, static_cast<DWORD>(got), static_cast<DWORD>(got) < s.sourceSize);
  *position += s.header.cbSrcLengthUsed;
  sourceUsed_ += s.header.cbSrcLengthUsed;
  if (!progress_->Report(*position)) throw ConvertExept("");
}

void Converter::ConvertTwoStages(std::int64_t) {
  Stage& a = stages_[0];
  Stage& b = stages_[1];
  a.flags = b.flags = ACM_STREAMCONVERTF_START | ACM_STREAMCONVERTF_BLOCKALIGN;
  std::int64_t position = 0;
  DWORD pending = 0, offset = 0, filled = 0;
  bool firstEnded = false;
  for (;;) {
    if (!firstEnded && pending == 0) {
      StepFromSource(a, &position);
      pending = a.header.cbDstLengthUsed;
      offset = 0;
      if (a.flags & ACM_STREAMCONVERTF_END) firstEnded = true;
    }
    const DWORD n = std::min(pending, b.sourceSize - filled);
    std::memcpy(b.sourceBuffer.get() + filled, a.destinationBuffer.get() + offset, n);
    filled += n;
    offset += n;
    pending -= n;
    const bool full = filled == b.sourceSize;
    const bool end = firstEnded && pending == 0 && !full;
    if (!full && !end) continue;
    Step(b, filled, end);
    const DWORD used = b.header.cbSrcLengthUsed;
    pcmUsed_ += used;
    Write(b.destinationBuffer.get(), b.header.cbDstLengthUsed);
    std::memmove(b.sourceBuffer.get(), b.sourceBuffer.get() + used, filled - used);
    filled -= used;
    if (b.flags & ACM_STREAMCONVERTF_END) break;
  }
}

void Converter::Finish() {
  if (file_ != nullptr) {
    if (dataOpen_) mmioAscend(file_, &data_, 0);
    if (riffOpen_) mmioAscend(file_, &riff_, 0);
    dataOpen_ = riffOpen_ = false;
    if (factPosition_ >= 0 && destinationFormat_) {
      const WAVEFORMATEX* d = DestinationFormat();
      if (IsLinear(d)) {
        factValue_ = d->nBlockAlign != 0 ? static_cast<DWORD>(written_ / d->nBlockAlign) : 0;
      } else if (!twoStages_) {
        const WAVEFORMATEX* s = SourceFormat();
        factValue_ =
            IsLinear(s) && s->nBlockAlign != 0 ? static_cast<DWORD>(sourceUsed_ / s->nBlockAlign) : 0;
      } else {
        factValue_ =
            PcmFormat()->nBlockAlign != 0 ? static_cast<DWORD>(pcmUsed_ / PcmFormat()->nBlockAlign) : 0;
      }
      BYTE value[4];
      PutLe32(value, factValue_);
      if (mmioSeek(file_, factPosition_, SEEK_SET) == factPosition_) mmioWrite(file_, value, 4);
    }
    factPosition_ = -1;
    mmioClose(file_, 0);
    file_ = nullptr;
  }
  for (Stage& s : stages_) {
    if (s.prepared) {
      s.header.cbSrcLength = s.sourceSize;
      s.header.cbDstLength = s.destinationSize;
      acmStreamUnprepareHeader(s.stream, &s.header, 0);
      s.prepared = false;
    }
    if (s.opened) acmStreamClose(s.stream, 0);
    s.opened = false;
    s.stream = nullptr;
    s.sourceBuffer.reset();
    s.destinationBuffer.reset();
  }
  sourceFormat_.reset();
  destinationFormat_.reset();
  pcmFormat_.reset();
  if (handleOpen_) source_->CloseHandle();
  handleOpen_ = false;
  progress_.reset();
}

int ConvertWaveToPcm(HWND window, AudioData* source, const char* destination, DWORD rate, WORD channels,
                     WORD bits) {
  const WAVEFORMATEX f = MakePcm(channels, rate, bits);
  return RunConversion(window, source, destination, Converter::Choice::GivenPcm, &f);
}

int ConvertWaveToChosenPcm(HWND window, AudioData* source, const char* destination) {
  return RunConversion(window, source, destination, Converter::Choice::ChosenPcm, nullptr);
}

int ConvertWaveToChosenFormat(HWND window, AudioData* source, const char* destination) {
  return RunConversion(window, source, destination, Converter::Choice::ChosenAny, nullptr);
}
