// The AVI export: a range of the time-line as one AVI file. Each output
// frame's data are copied from its source file when they can stand where
// they land; a frame whose data build on frames that do not come before it
// in the output is recompressed from its decoded picture. Repeated frames
// (gaps, stills) become empty chunks. The mixed sound goes in one-second
// chunks, each written ahead of the pictures it belongs to.
#include <algorithm>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "audio/audio_player.h"
#include "audio/export_io.h"
#include "media/avi_writer.h"
#include "media/frame_decoder.h"
#include "media/progress_hooks.h"
#include "media/sample_routines.h"
#include "media/video_data.h"
#include "model/error_codes.h"
#include "model/film.h"
#include "model/message_box.h"
#include "model/time_code.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"

namespace {

constexpr uint32_t kPartVideo = 1;
constexpr uint32_t kPartAudio = 2;
// What the free-space check counts for the headers and the index's start,
// and for an empty chunk with its index entry.
constexpr int64_t kFixedNeed = 0x21000;
constexpr int64_t kEmptyChunkNeed = 28;

int32_t Frames(int32_t ms) {
  return MsToFrames(ms, ProjectFrameRate());
}

int32_t Ms(int32_t frames) {
  return FramesToMs(frames, ProjectFrameRate());
}

// Byte position of time ms in the sound of format, in whole sample frames.
int64_t SoundBytes(const WAVEFORMATEX& format, int64_t ms) {
  return FramesAt(format.nSamplesPerSec, ms) * format.nBlockAlign;
}

AVIVideoData* AviOf(VideoData* v) {
  return dynamic_cast<AVIVideoData*>(v);
}

// The data entry of a source frame: the span the frame's picture is in.
int32_t SpanOf(VideoData* source, int32_t frame) {
  AVIVideoData* avi = AviOf(source);
  return avi != nullptr ? avi->PrevNonEmpty(frame) : frame;
}

// The first film with video over [start, end), in list order.
Film* FirstVideoFilm(Film* segments, int32_t start, int32_t end) {
  for (Film* f = segments; f != nullptr; f = f->next) {
    if (f->video != nullptr && f->start < end && f->end > start) return f;
  }
  return nullptr;
}

// A failure that ends the export: the error code and what its box names.
struct Failure {
  int32_t code;
  const char* argument;  // null: the plain text
};

// The export's state from one step to the next.
class AviExport {
 public:
  AviExport(HWND owner, uint32_t parts, int32_t start, int32_t end, const char* path)
      : owner_(owner), parts_(parts), start_(start), end_(end), path_(path) {}
  ~AviExport() {
    for (AVIVideoData* v : opened_) v->CloseFileHandle();
  }

  bool Run(Film* segments);

 private:
  const char* Caption() const { return GetString(ui_string::kWriteAvi); }
  bool Has(uint32_t part) const { return (parts_ & part) != 0; }
  // False when the user would rather not write the file.
  bool AskAboutVideo(Film* segments);
  // 0, or the code that refuses the map (the frame it names in *badFrame).
  int32_t PrepareMap(Film* segments, int32_t* badFrame);
  void MarkRepeatsAndCuts();
  int64_t SpaceNeeded() const;
  void Write();
  void WriteSoundUpTo(int64_t bytes);
  void FillSound(BYTE* out, int64_t size);
  void WriteFrame(int32_t i, bool* fragmentStart);

  HWND owner_;
  uint32_t parts_;
  int32_t start_;
  int32_t end_;
  const char* path_;
  AVIVideoData* first_ = nullptr;  // the first film's source: the stream's format
  std::vector<AviFrameMapEntry> map_;
  std::vector<AVIVideoData*> opened_;  // files this export opened for reading
  WAVEFORMATEX sound_{};
  int64_t soundFirst_ = 0;  // byte positions of the range in the mixed sound
  int64_t soundEnd_ = 0;
  int64_t soundWritten_ = 0;  // bytes since soundFirst_
  const BYTE* mixData_ = nullptr;
  int64_t mixLeft_ = 0;
  bool mixEnded_ = false;
  AviWriter* writer_ = nullptr;
  int32_t videoStream_ = -1;
  int32_t soundStream_ = -1;
  std::unique_ptr<BYTE[]> buffer_;
  std::size_t bufferSize_ = 0;
  std::optional<ProgressMeter> progress_;
  RecompressInfo recompress_;
};

bool AviExport::AskAboutVideo(Film* segments) {
  Film* first = FirstVideoFilm(segments, start_, end_);
  int question = 0;
  if (first == nullptr) {
    question = ui_string::kNoVideoClipsAudioOnly;
  } else if (first->start > start_) {
    question = ui_string::kVideoStartsEmptyAudioOnly;
  }
  if (question == 0) return true;
  if (ShowMessageText(owner_, Caption(), MB_YESNO | MB_ICONQUESTION, GetString(question)) != IDYES)
    return false;
  parts_ &= ~kPartVideo;
  return true;
}

int32_t AviExport::PrepareMap(Film* segments, int32_t* badFrame) {
  const int32_t firstFrame = Frames(start_);
  const int32_t count = Frames(end_) - firstFrame;
  if (count <= 0) return kErrCancelled;
  Film* first = FirstVideoFilm(segments, start_, end_);
  first_ = first != nullptr ? dynamic_cast<AVIVideoData*>(first->video) : nullptr;
  if (first_ == nullptr || first_->Format() == nullptr) return kErrCancelled;
  try {
    map_.assign(static_cast<std::size_t>(count), AviFrameMapEntry{});
  } catch (const std::bad_alloc&) {
    return kErrNoMemory;
  }
  RecompressInfo::BuildFrameMap(segments, firstFrame, map_.data(), count);
  // One stream header holds for every frame: pictures of another format
  // would be written under the wrong one.
  for (int32_t i = 0; i < count; ++i) {
    AVIVideoData* source = AviOf(map_[i].source);
    if (map_[i].source == nullptr) continue;
    if (source == nullptr || source->Format() == nullptr ||
        !SameFrameFormat(source->Format(), first_->Format())) {
      *badFrame = firstFrame + i;
      return kErrFrameFormat;
    }
    if (source->mmio == nullptr) {
      if (!source->OpenFileHandle()) {
        *badFrame = i;
        return kErrFileMissing;
      }
      opened_.push_back(source);
    }
  }
  MarkRepeatsAndCuts();
  return kErrOk;
}

// A frame whose data equal the frame before's becomes an empty chunk; a
// frame that needs the frames before it to decode, and does not follow
// them here, is recompressed.
void AviExport::MarkRepeatsAndCuts() {
  AviFrameMapEntry* previous = nullptr;
  for (AviFrameMapEntry& e : map_) {
    if (e.source == nullptr) continue;
    e.recompress = false;
    e.first = SpanOf(e.source, e.first);
    e.last = SpanOf(e.source, e.last);
    if (previous != nullptr && previous->source == e.source && previous->first == e.first &&
        previous->last == e.last) {
      e = AviFrameMapEntry{};
      continue;
    }
    previous = &e;
  }
  previous = nullptr;
  for (AviFrameMapEntry& e : map_) {
    if (e.source == nullptr) continue;
    if (previous != nullptr && !e.source->IsKeyFrame(e.first)) {
      if (e.source != previous->source) {
        e.recompress = true;
      } else if (previous->first == e.first && previous->last == e.last) {
        e = AviFrameMapEntry{};
        continue;
      } else if (SpanOf(e.source, e.first - 1) != previous->first ||
                 SpanOf(e.source, e.last - 1) != previous->last) {
        e.recompress = true;
      }
    }
    // Key frames count as the frame before too: the next frame follows them.
    previous = &e;
  }
}

int64_t AviExport::SpaceNeeded() const {
  int64_t need = kFixedNeed;
  if (Has(kPartVideo)) {
    for (const AviFrameMapEntry& e : map_) {
      AVIVideoData* source = AviOf(e.source);
      need += source != nullptr ? std::max<int64_t>(source->GetFrameSize(e.first), 0) : kEmptyChunkNeed;
    }
  }
  if (Has(kPartAudio)) need += soundEnd_ - soundFirst_;
  return need;
}

// Copies size bytes of the mixed sound to out; past the range's end the
// chunk is filled with silence.
void AviExport::FillSound(BYTE* out, int64_t size) {
  while (size > 0) {
    if (mixLeft_ == 0) {
      if (mixEnded_) {
        FillSilence(out, static_cast<DWORD>(size));
        return;
      }
      BYTE* data = nullptr;
      const LONG got = TheAudioPlayer != nullptr ? TheAudioPlayer->GetMixBlock(&data, nullptr) : -1;
      // The stream broke off: the engine has said why, if anything.
      if (got < 0 || (got > 0 && data == nullptr)) throw Failure{kErrCancelled, nullptr};
      if (got == 0) {
        mixEnded_ = true;
        continue;
      }
      mixData_ = data;
      mixLeft_ = got;
    }
    const int64_t n = std::min(size, mixLeft_);
    std::copy(mixData_, mixData_ + n, out);
    mixData_ += n;
    mixLeft_ -= n;
    out += n;
    size -= n;
  }
}

// Writes the sound from where it stands up to byte bytes of the range in
// chunks of at most one second.
void AviExport::WriteSoundUpTo(int64_t bytes) {
  const int64_t second = int64_t{sound_.nSamplesPerSec} * sound_.nBlockAlign;
  while (soundWritten_ < bytes) {
    const int64_t size = std::min(bytes - soundWritten_, second);
    FillSound(buffer_.get(), size);
    if (int32_t r = AviWriter::WriteChunk(writer_, soundStream_, buffer_.get(), static_cast<int32_t>(size),
                                          cktypeWAVEbytes, 0))
      throw Failure{r, path_};
    soundWritten_ += size;
    if (!Has(kPartVideo) && !progress_->Report(soundWritten_)) throw Failure{kErrCancelled, nullptr};
  }
}

void AviExport::WriteFrame(int32_t i, bool* fragmentStart) {
  const AviFrameMapEntry& e = map_[static_cast<std::size_t>(i)];
  AVIVideoData* source = AviOf(e.source);
  if (source == nullptr) {
    // The picture before shows on.
    if (int32_t r = AviWriter::WriteChunk(writer_, videoStream_, nullptr, 0, cktypeDIBcompressed, 0))
      throw Failure{r, path_};
    return;
  }
  if (e.recompress) *fragmentStart = true;
  const void* data = buffer_.get();
  int32_t size = 0;
  bool key = false;
  int32_t r = source->ReadRawFrame(e.first, 0, buffer_.get(), &size, &key, *fragmentStart);
  if (r == kErrNotKeyFrame) {
    r = source->RecompressFrame(e.first, 0, &recompress_, &data, &size, &key);
    if (r == kErrOk) {
      // A frame of its own now; the next one may follow it.
    } else if (r == kErrRecompressStart) {
      const char* at = MsToTimeCodeText(Ms(Frames(start_) + i), TRUE);
      if (ShowMessage(owner_, Caption(), MB_OKCANCEL | MB_ICONQUESTION,
                      GetString(ui_string::kCannotRecompressFrame), at) != IDOK)
        throw Failure{kErrCancelled, nullptr};
      data = buffer_.get();
      r = source->ReadRawFrame(e.first, 0, buffer_.get(), &size, &key, false);
      *fragmentStart = false;
    }
  } else {
    *fragmentStart = false;
  }
  if (r != kErrOk) throw Failure{r, source->GetFileName()};
  if (int32_t w = AviWriter::WriteChunk(writer_, videoStream_, data, size, cktypeDIBcompressed,
                                        key ? AVIIF_KEYFRAME : 0))
    throw Failure{w, path_};
}

void AviExport::Write() {
  const float rate = ProjectFrameRate();
  const int32_t count = static_cast<int32_t>(map_.size());
  MainAVIHeader main{};
  main.dwFlags = AVIF_HASINDEX;
  if (Has(kPartVideo)) {
    int32_t width = 0, height = 0;
    first_->GetSize(&width, &height);
    main.dwMicroSecPerFrame = static_cast<DWORD>(1000000.0 / rate);
    main.dwTotalFrames = static_cast<DWORD>(count);
    main.dwWidth = static_cast<DWORD>(width);
    main.dwHeight = static_cast<DWORD>(height);
  }
  if (int32_t r = AviWriter::Open(&writer_, path_, &main)) throw Failure{r, path_};
  if (Has(kPartVideo)) {
    AVISTREAMHEADER h{};
    h.fccType = streamtypeVIDEO;
    h.fccHandler = first_->streamHeader.fccHandler;
    h.dwScale = 1000;
    h.dwRate = static_cast<DWORD>(rate * 1000.0f + 0.499f);
    h.dwQuality = first_->streamHeader.dwQuality;
    if (int32_t r = AviWriter::AddStream(writer_, &videoStream_, &h, first_->Format(),
                                         static_cast<int32_t>(first_->formatSize)))
      throw Failure{r, path_};
  }
  if (Has(kPartAudio)) {
    AVISTREAMHEADER h{};
    h.fccType = streamtypeAUDIO;
    // The writer stores the record's 18 bytes field by field.
    if (int32_t r = AviWriter::AddStream(writer_, &soundStream_, &h, &sound_, 18)) throw Failure{r, path_};
  }

  // One buffer for every chunk: two seconds of sound, and the largest
  // picture or stored frame of any clip.
  bufferSize_ = Has(kPartAudio) ? static_cast<std::size_t>(SoundBytes(sound_, 2000)) : 0;
  for (const AviFrameMapEntry& e : map_) {
    if (AVIVideoData* v = AviOf(e.source)) {
      int32_t width = 0, height = 0;
      v->GetSize(&width, &height);
      bufferSize_ = std::max<std::size_t>(bufferSize_, static_cast<std::size_t>(width) * height * 4);
      bufferSize_ = std::max<std::size_t>(bufferSize_, v->largestFrame);
    }
  }
  buffer_.reset(new (std::nothrow) BYTE[std::max<std::size_t>(bufferSize_, 16)]);
  if (!buffer_) throw Failure{kErrNoMemory, nullptr};

  if (!Has(kPartVideo)) {
    progress_.emplace(Caption(), path_, soundEnd_ - soundFirst_, owner_);
    WriteSoundUpTo(soundEnd_ - soundFirst_);
    return;
  }
  progress_.emplace(Caption(), path_, count, owner_);
  // One second of pictures between sound chunks.
  const int32_t framesPerSoundChunk = std::max(1, static_cast<int32_t>(rate + 0.499f));
  const int32_t firstFrame = Frames(start_);
  bool fragmentStart = true;
  for (int32_t i = 0; i < count; ++i) {
    if (Has(kPartAudio) && i % framesPerSoundChunk == 0) {
      const int32_t upTo = std::min(Ms(firstFrame + i + framesPerSoundChunk), end_);
      WriteSoundUpTo(SoundBytes(sound_, upTo) - soundFirst_);
    }
    WriteFrame(i, &fragmentStart);
    if (!progress_->Report(i + 1)) throw Failure{kErrCancelled, nullptr};
  }
  // The sound covers the whole range, also where the last frame ends short of it.
  if (Has(kPartAudio)) WriteSoundUpTo(soundEnd_ - soundFirst_);
  ReleaseRecompressor(&recompress_);
}

bool AviExport::Run(Film* segments) {
  if (path_ == nullptr || path_[0] == '\0') return false;
  if (Has(kPartVideo) && !AskAboutVideo(segments)) return false;
  if (end_ <= start_ || (parts_ & (kPartVideo | kPartAudio)) == 0) return false;
  if (Has(kPartAudio)) {
    sound_ = OutputFormat;
    if (sound_.nSamplesPerSec == 0 || sound_.nBlockAlign == 0) return false;
    soundFirst_ = SoundBytes(sound_, start_);
    soundEnd_ = SoundBytes(sound_, end_);
  }
  if (Has(kPartVideo)) {
    int32_t badFrame = 0;
    const int32_t r = PrepareMap(segments, &badFrame);
    if (r == kErrFrameFormat) {
      ErrorBox(owner_, r, Caption(), static_cast<int32_t>(badFrame));
      return false;
    }
    if (r == kErrNoMemory) ErrorBoxPlain(owner_, r, Caption());
    if (r == kErrFileMissing) ErrorBox(owner_, r, Caption(), map_[badFrame].source->GetFileName());
    if (r != kErrOk) return false;
  }

  ExportIo& io = CurrentExportIo();
  ULONGLONG free = 0;
  if (io.FreeSpace(path_, &free) && free < static_cast<ULONGLONG>(SpaceNeeded())) {
    ErrorBox(owner_, kErrNoSpace, Caption(), path_);
    return false;
  }

  int32_t code = kErrOk;
  const char* argument = nullptr;
  try {
    Write();
  } catch (const Failure& f) {
    code = f.code;
    argument = f.argument;
  }
  ReleaseRecompressor(&recompress_);
  progress_.reset();
  const bool created = writer_ != nullptr;
  if (writer_ != nullptr) {
    const int32_t closed = AviWriter::Close(writer_);
    writer_ = nullptr;
    if (code == kErrOk && closed != kErrOk) {
      code = closed;
      argument = path_;
    }
  }
  if (code == kErrOk) return true;
  if (code == kErrNoMemory || argument == nullptr) {
    ErrorBoxPlain(owner_, code, Caption());
  } else {
    ErrorBox(owner_, code, Caption(), argument);
  }
  // Nothing half-written stays behind.
  if (created) io.Delete(path_);
  return false;
}

}  // namespace

void RecompressInfo::FillFromFilm(Film* film, int32_t firstSourceFrame, int32_t count, AviFrameMapEntry* map,
                                  int32_t index, VideoData** lastVideo, int32_t* lastFrame) {
  VideoData* source = dynamic_cast<VideoData*>(film->video);
  const float rate = ProjectFrameRate();
  // The source's own frames: a file of another rate is copied frame by frame
  // from the times the project shows.
  const float sourceRate = source != nullptr && source->frameRate > 0 ? source->frameRate : rate;
  const int32_t last = source != nullptr ? std::max(source->frameCount - 1, 0) : 0;
  int32_t frame = -1;
  for (int32_t k = 0; k < count; ++k) {
    frame = std::clamp<int32_t>(MsToFrames(FramesToMs(firstSourceFrame + k, rate), sourceRate), 0, last);
    AviFrameMapEntry& e = map[index + k];
    e.source = source;
    e.first = frame;
    e.last = frame;
    e.recompress = false;
  }
  if (count > 0) {
    *lastVideo = source;
    *lastFrame = frame;
  }
}

void RecompressInfo::BuildFrameMap(Film* first, int32_t firstFrame, AviFrameMapEntry* map, int32_t count) {
  VideoData* lastVideo = nullptr;
  int32_t lastFrame = -1;
  int32_t i = 0;
  auto repeatUntil = [&](int32_t until) {
    for (; i < until; ++i) map[i] = AviFrameMapEntry{lastVideo, lastFrame, lastFrame, false};
  };
  for (Film* film = first; film != nullptr && i < count; film = film->next) {
    if (film->video == nullptr) continue;
    const int32_t endFrame = Frames(film->end);
    if (endFrame <= firstFrame + i) continue;
    const int32_t startFrame = Frames(film->start);
    repeatUntil(std::clamp(startFrame - firstFrame, i, count));
    const int32_t n = std::min(endFrame, firstFrame + count) - (firstFrame + i);
    if (n <= 0) continue;
    FillFromFilm(film, firstFrame + i - startFrame + Frames(film->in), n, map, i, &lastVideo, &lastFrame);
    i += n;
  }
  repeatUntil(count);
}

bool RecompressInfo::Run(VideoEngine*, HWND owner, Film* segments, uint32_t parts, int32_t start, int32_t end,
                         const char* path) {
  AviExport run(owner, parts, start, end, path);
  return run.Run(segments);
}
