#include "video/export/mpeg_export.h"

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <thread>
#include <vector>

#include "audio/audio_player.h"
#include "audio/export_io.h"
#include "media/frame_decoder.h"
#include "media/progress_hooks.h"
#include "media/video_data.h"
#include "model/error_codes.h"
#include "model/film.h"
#include "model/message_box.h"
#include "model/time_code.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "platform/components/com.h"
#include "platform/components/mpeg_encoder.h"
#include "platform/core/registry.h"
#include "video/export/mpeg_config_dialog.h"

namespace {

constexpr uint32_t kPartVideo = 1;
constexpr uint32_t kPartAudio = 2;
constexpr int kSixteenBitCode = 2;
constexpr int32_t kAudioBlockBytes = 3000;

constexpr char kEncoderCaption[] = "MPEG Encoder";
constexpr char kNoComText[] = "Can not initialize the Component Object Model(COM) library";
constexpr char kNoFactoryText[] = "Can not find DVMPEG Encoder class factory\nDo you install DVMPEG ?!?";
constexpr char kNoObjectText[] = "Can not create DVMPEG Encoder Object";
constexpr char kUnknownErrorText[] = "Unknown error";
constexpr char kCreateFileFormat[] = "Could not create file\r\n%s\r\nError code = %d";
constexpr char kWriteFileFormat[] = "Error writing to file\r\n%s\r\nError code = %d";
// The longest "EncodeMethod" text that is read.
constexpr DWORD kMethodTextLength = 32;

int32_t Frames(int32_t ms) {
  return MsToFrames(ms, ProjectFrameRate());
}

Film* FirstVideoFilm(Film* segments, int32_t start, int32_t end) {
  for (Film* f = segments; f != nullptr; f = f->next) {
    if (f->video != nullptr && f->start < end && f->end > start) return f;
  }
  return nullptr;
}

// A failure inside the export: 0 shows the argument as it is, 17 nothing.
struct MpegFailure {
  int32_t code;
  std::string argument;
};

// Whether "EncodeMethod" reads as a nonzero number.
bool EncodeMethodSet() {
  HKEY key = nullptr;
  if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, kMpegEncoderKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  char text[kMethodTextLength + 1] = {};
  DWORD size = kMethodTextLength;
  DWORD type = 0;
  const LONG r =
      RegQueryValueEx(key, kMpegEncodeMethodValue, nullptr, &type, reinterpret_cast<LPBYTE>(text), &size);
  RegCloseKey(key);
  if (r != ERROR_SUCCESS || type != REG_SZ) return false;
  return std::strtol(text, nullptr, 10) != 0;
}

// The mix stream for the length of the export, in 16-bit samples.
class MixStream {
 public:
  MixStream(AudioPlayer* engine, Film* films, const MixSetup& mix, int32_t start, int32_t end)
      : engine_(engine),
        on_(engine != nullptr && engine->BeginMixStream(films, mix, start, end, kSixteenBitCode)) {}
  ~MixStream() {
    if (on_) engine_->EndMixStream();
  }
  bool on() const { return on_; }
  // size bytes of the mix; silence past its end. False when the stream broke.
  bool Fill(BYTE* out, int64_t size) {
    while (size > 0) {
      if (left_ == 0) {
        if (ended_) {
          std::memset(out, 0, static_cast<std::size_t>(size));
          return true;
        }
        BYTE* data = nullptr;
        const LONG got = engine_->GetMixBlock(&data, nullptr);
        if (got < 0 || (got > 0 && data == nullptr)) return false;
        if (got == 0) {
          ended_ = true;
          continue;
        }
        at_ = data;
        left_ = got;
      }
      const int64_t n = std::min(size, left_);
      std::memcpy(out, at_, static_cast<std::size_t>(n));
      at_ += n;
      left_ -= n;
      out += n;
      size -= n;
    }
    return true;
  }

 private:
  AudioPlayer* engine_;
  bool on_;
  const BYTE* at_ = nullptr;
  int64_t left_ = 0;
  bool ended_ = false;
};

// The source files a map reads, opened for the export where they were not open.
class OpenFiles {
 public:
  ~OpenFiles() {
    for (AVIVideoData* v : opened_) v->CloseFileHandle();
  }
  bool Open(AVIVideoData* v) {
    if (v->mmio != nullptr) return true;
    if (!v->OpenFileHandle()) return false;
    opened_.push_back(v);
    return true;
  }

 private:
  std::vector<AVIVideoData*> opened_;
};

// The pictures of the export decoded ahead of the encoder on a thread of
// their own, so that the next picture decodes while the encoder works on
// the last one. A few pictures at most wait: the one the encoder was given
// stays untouched until the next is asked for.
class PicturesAhead {
 public:
  struct Job {
    AVIVideoData* source = nullptr;
    int32_t frame = -1;
  };
  struct Picture {
    std::unique_ptr<BYTE[]> planes;  // I420, when the codec gives its planes
    std::unique_ptr<BYTE[]> rgb;     // 24-bit, when it does not
    bool inPlanes = false;
    int32_t code = kErrOk;  // a failed decode: its code and file
    std::string file;
  };

  PicturesAhead(std::vector<Job> jobs, const BITMAPINFOHEADER& yuv, const BITMAPINFOHEADER& rgb,
                std::size_t rgbBytes)
      : jobs_(std::move(jobs)), yuv_(yuv), rgb_(rgb), rgbBytes_(rgbBytes) {}
  ~PicturesAhead() {
    {
      std::lock_guard<std::mutex> hold(lock_);
      stop_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable()) worker_.join();
  }
  PicturesAhead(const PicturesAhead&) = delete;
  PicturesAhead& operator=(const PicturesAhead&) = delete;

  // False without memory or a thread.
  bool Start() {
    if (jobs_.empty()) return true;
    for (Picture& p : slots_) {
      p.planes.reset(new (std::nothrow) BYTE[static_cast<std::size_t>(yuv_.biSizeImage) + 16]);
      if (!p.planes) return false;
    }
    try {
      worker_ = std::thread(&PicturesAhead::Work, this);
    } catch (...) {
      return false;
    }
    return true;
  }

  // The picture of the next job; the one handed out before is given back.
  const Picture& Next() {
    std::unique_lock<std::mutex> lock(lock_);
    released_ = taken_;
    changed_.notify_all();
    changed_.wait(lock, [&] { return done_ > taken_; });
    return slots_[taken_++ % kSlots];
  }

 private:
  static constexpr std::size_t kSlots = 3;

  void Work() {
    QuietDecodes quiet;
    for (std::size_t j = 0; j < jobs_.size(); ++j) {
      {
        std::unique_lock<std::mutex> lock(lock_);
        changed_.wait(lock, [&] { return stop_ || j < released_ + kSlots; });
        if (stop_) return;
      }
      Picture& p = slots_[j % kSlots];
      const Job& job = jobs_[j];
      p.code = kErrOk;
      p.inPlanes = job.source->DecodeFrame(&yuv_, p.planes.get(), job.frame) == kErrOk;
      if (!p.inPlanes) {
        if (!p.rgb) p.rgb.reset(new (std::nothrow) BYTE[rgbBytes_]());
        p.code = p.rgb ? job.source->DecodeFrame(&rgb_, p.rgb.get(), job.frame) : kErrNoMemory;
        if (p.code != kErrOk) p.file = job.source->GetFileName();
      }
      {
        std::lock_guard<std::mutex> hold(lock_);
        ++done_;
      }
      changed_.notify_all();
      // The export stops at a failed picture: nothing after it is wanted.
      if (p.code != kErrOk) return;
    }
  }

  const std::vector<Job> jobs_;
  const BITMAPINFOHEADER yuv_, rgb_;
  const std::size_t rgbBytes_;
  Picture slots_[kSlots];
  std::mutex lock_;
  std::condition_variable changed_;
  std::size_t done_ = 0;      // under lock_: jobs decoded
  std::size_t taken_ = 0;     // under lock_: jobs handed to the encoder
  std::size_t released_ = 0;  // under lock_: jobs whose slot may be filled again
  bool stop_ = false;         // under lock_
  std::thread worker_;
};

}  // namespace

// ---------------------------------------------------------------- the encoder

template <class Interface>
Interface* MpegEncoder::Settings(Interface*& held, const IID& iid) {
  if (held == nullptr && encoder_ != nullptr) encoder_->QueryInterface(iid, reinterpret_cast<void**>(&held));
  return held;
}

void MpegEncoder::ShowText(const char* text) {
  ShowMessageText(owner_, kEncoderCaption, MB_OK | MB_ICONEXCLAMATION, text);
}

void MpegEncoder::ShowLastError() {
  char text[kMpegErrorTextSize] = {};
  if (encoder_ != nullptr && encoder_->GetLastErrorText(text, kMpegErrorTextSize) && text[0] != '\0') {
    ShowText(text);
  } else {
    ShowText(kUnknownErrorText);
  }
}

bool MpegEncoder::Create() {
  if (FAILED(CoInitialize(nullptr))) {
    ShowText(kNoComText);
    return false;
  }
  comInitialised_ = true;
  const CLSID& clsid = EncodeMethodSet() ? CLSID_MpegEncoderByMethod : CLSID_MpegEncoder;
  if (FAILED(CoGetClassObject(clsid, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, nullptr, IID_IClassFactory,
                              reinterpret_cast<void**>(&factory_))) ||
      factory_ == nullptr) {
    factory_ = nullptr;
    ShowText(kNoFactoryText);
    return false;
  }
  if (FAILED(factory_->CreateInstance(nullptr, IID_IMpegEncoder, reinterpret_cast<void**>(&encoder_))) ||
      encoder_ == nullptr) {
    encoder_ = nullptr;
    ShowText(kNoObjectText);
    return false;
  }
  if (encoder_->Initialize() != S_OK) {
    ShowLastError();
    encoder_->Release();
    encoder_ = nullptr;
    return false;
  }
  initialised_ = true;
  return true;
}

void MpegEncoder::Release() {
  if (encoder_ != nullptr) {
    if (initialised_) encoder_->Shutdown();
    for (IUnknown* settings :
         {static_cast<IUnknown*>(video_), static_cast<IUnknown*>(audio_), static_cast<IUnknown*>(stream_)}) {
      if (settings != nullptr) settings->Release();
    }
    video_ = nullptr;
    audio_ = nullptr;
    stream_ = nullptr;
    encoder_->Release();
    encoder_ = nullptr;
  }
  initialised_ = false;
  if (factory_ != nullptr) factory_->Release();
  factory_ = nullptr;
  if (comInitialised_) CoUninitialize();
  comInitialised_ = false;
}

bool MpegEncoder::SetStreamType(int32_t code) {
  IMpegStreamSettings* stream = Settings(stream_, IID_IMpegStreamSettings);
  if (stream == nullptr || stream->SetStreamType(code) != S_OK) {
    ShowLastError();
    return false;
  }
  return true;
}

bool MpegEncoder::SetupVideo(const BITMAPINFOHEADER& format, int32_t formatCode, int32_t videoBitRate) {
  IMpegVideoSettings* video = Settings(video_, IID_IMpegVideoSettings);
  if (video == nullptr || video->SetFrameFormat(formatCode) != S_OK ||
      video->SetBitRate(videoBitRate) != S_OK) {
    ShowLastError();
    return false;
  }
  // Sizes a line or few above the standard ones are encoded at them.
  LONG height = static_cast<LONG>(DibHeight(format));
  if (height >= 241 && height <= 243) height = 240;
  if (height >= 481 && height <= 486) height = 480;
  if (encoder_->SetPictureSize(format.biWidth, height) != S_OK ||
      encoder_->SetVideoBitRate(videoBitRate) != S_OK) {
    ShowLastError();
    return false;
  }
  frameFormat_ = format;
  videoSetUp_ = true;
  return true;
}

bool MpegEncoder::SetupAudio(const WAVEFORMATEX& format, int32_t audioBitRate) {
  if (audioSetUp_) encoder_->EndAudio();
  audioSetUp_ = false;
  IMpegAudioSettings* audio = Settings(audio_, IID_IMpegAudioSettings);
  if (audio == nullptr || audio->SetAudioBitRate(audioBitRate) != S_OK ||
      encoder_->SetAudioFormat(&format) != S_OK) {
    ShowLastError();
    return false;
  }
  audioSetUp_ = true;
  return true;
}

bool MpegEncoder::Start() {
  if (started_) encoder_->Stop();
  started_ = false;
  if (encoder_->Start() != S_OK) {
    ShowLastError();
    return false;
  }
  started_ = true;
  if (encoder_->Started() != S_OK) {
    ShowLastError();
    return false;
  }
  return true;
}

bool MpegEncoder::CreateFile(const char* path) {
  path_ = path;
  file_ = CurrentExportIo().Open(path, MMIO_CREATE | MMIO_WRITE);
  if (file_ == nullptr) {
    ShowMessage(owner_, kEncoderCaption, MB_OK | MB_ICONEXCLAMATION, kCreateFileFormat, path,
                static_cast<int>(GetLastError()));
    return false;
  }
  madeFile_ = true;
  return true;
}

bool MpegEncoder::FeedAudio(const void* data, int32_t bytes) {
  if (encoder_->EncodeAudio(data, bytes) != S_OK) {
    ShowLastError();
    return false;
  }
  return true;
}

bool MpegEncoder::FeedVideo(const void* data) {
  return FeedVideo(data, frameFormat_);
}

bool MpegEncoder::FeedVideo(const void* data, const BITMAPINFOHEADER& format) {
  if (encoder_->EncodeFrame(&format, data) != S_OK) {
    ShowLastError();
    return false;
  }
  return true;
}

bool MpegEncoder::Drain() {
  if (encoder_ == nullptr || !started_) return !writeFailed_;
  MpegOutputBlock block;
  while (encoder_->GetBlock(&block, 0) == S_OK && block.present != 0) {
    // A block still being filled waits for the next drain.
    if (block.count != block.size) break;
    if (file_ != nullptr && !writeFailed_ && block.size > 0) {
      const LONG size = static_cast<LONG>(block.size);
      if (block.data == nullptr || CurrentExportIo().Write(file_, block.data, size) != size) {
        writeFailed_ = true;
        ShowMessage(owner_, kEncoderCaption, MB_OK | MB_ICONEXCLAMATION, kWriteFileFormat, path_,
                    static_cast<int>(GetLastError()));
      }
    }
    encoder_->ReleaseBlock(&block);
  }
  return !writeFailed_;
}

bool MpegEncoder::GetFramePeriod(int32_t* timeBase, int32_t* period) {
  IMpegVideoSettings* video = Settings(video_, IID_IMpegVideoSettings);
  const LONG p = video != nullptr ? video->GetFramePeriod() : 0;
  if (p <= 0) {
    ShowLastError();
    return false;
  }
  *timeBase = kMpegTimeBase;
  *period = p;
  return true;
}

bool MpegEncoder::Finish(bool report) {
  bool ok = true;
  if (encoder_ != nullptr) {
    if (audioSetUp_ && encoder_->EndAudio() != S_OK && started_) {
      if (report) ShowLastError();
      ok = false;
    }
    audioSetUp_ = false;
    if (started_ && encoder_->EndVideo() != S_OK) {
      if (report) ShowLastError();
      ok = false;
    }
    if (!Drain()) ok = false;
  }
  if (file_ != nullptr) {
    if (CurrentExportIo().Close(file_) != 0 && !writeFailed_) {
      writeFailed_ = true;
      ShowMessage(owner_, kEncoderCaption, MB_OK | MB_ICONEXCLAMATION, kWriteFileFormat, path_,
                  static_cast<int>(GetLastError()));
    }
    file_ = nullptr;
    if (writeFailed_) ok = false;
  }
  if (encoder_ != nullptr && started_) encoder_->Stop();
  started_ = false;
  videoSetUp_ = false;
  return ok;
}

// ---------------------------------------------------------------- the frame map

void MpegEncoder::FillFromFilm(Film* film, int32_t firstSourceFrame, int32_t count, MpegFrameEntry* map,
                               int32_t index) {
  auto* source = dynamic_cast<VideoData*>(film->video);
  const float rate = ProjectFrameRate();
  const float sourceRate = source != nullptr && source->frameRate > 0 ? source->frameRate : rate;
  const int32_t last = source != nullptr ? std::max(source->frameCount - 1, 0) : 0;
  for (int32_t k = 0; k < count; ++k) {
    map[index + k].source = source;
    map[index + k].frame =
        std::clamp<int32_t>(MsToFrames(FramesToMs(firstSourceFrame + k, rate), sourceRate), 0, last);
  }
}

int32_t MpegEncoder::BuildFrameMap(Film* first, int32_t firstFrame, MpegFrameEntry* map, int32_t count) {
  int32_t i = 0;
  MpegFrameEntry lastEntry;
  auto repeatUntil = [&](int32_t until) {
    for (; i < until; ++i) map[i] = lastEntry;
  };
  for (Film* film = first; film != nullptr && i < count; film = film->next) {
    if (film->video == nullptr) continue;
    const int32_t endFrame = Frames(film->end);
    if (endFrame <= firstFrame + i) continue;
    if (dynamic_cast<AVIVideoData*>(film->video) == nullptr) return kErrFatal;
    const int32_t startFrame = Frames(film->start);
    repeatUntil(std::clamp(startFrame - firstFrame, i, count));
    const int32_t n = std::min(endFrame, firstFrame + count) - (firstFrame + i);
    if (n <= 0) continue;
    FillFromFilm(film, firstFrame + i - startFrame + Frames(film->in), n, map, i);
    i += n;
    lastEntry = map[i - 1];
  }
  repeatUntil(count);
  return kErrOk;
}

// ---------------------------------------------------------------- the export

bool ExportMpeg(HWND mainFrame, Film* segments, Film* films, uint32_t parts, const MixSetup& mix,
                int32_t start, int32_t end, const char* path) {
  if (path == nullptr || path[0] == '\0') return false;
  const char* caption = GetString(ui_string::kExportMpeg);
  bool video = (parts & kPartVideo) != 0;
  bool audio = (parts & kPartAudio) != 0 && TheAudioPlayer != nullptr;

  Film* first = nullptr;
  if (video) {
    start = MsAddFrames(start, 0);
    end = MsAddFrames(end, 0);
    first = FirstVideoFilm(segments, start, end);
    const int question = first == nullptr       ? ui_string::kNoVideoClipsAudioOnly
                         : first->start > start ? ui_string::kVideoStartsEmptyAudioOnly
                                                : 0;
    if (question != 0) {
      if (ShowMessageText(mainFrame, caption, MB_YESNO | MB_ICONQUESTION, GetString(question)) != IDYES)
        return false;
      video = false;
    }
  }

  // The sound the encoder takes: the engine's rate and channels in 16 bits.
  WAVEFORMATEX sound{};
  sound.wFormatTag = WAVE_FORMAT_PCM;
  sound.nChannels = std::max<WORD>(OutputFormat.nChannels, 1);
  sound.nSamplesPerSec = OutputFormat.nSamplesPerSec;
  sound.wBitsPerSample = 16;
  sound.nBlockAlign = static_cast<WORD>(sound.nChannels * 2);
  sound.nAvgBytesPerSec = sound.nSamplesPerSec * sound.nBlockAlign;
  auto soundBytes = [&](int64_t ms) {
    return FramesAt(sound.nSamplesPerSec, ms) * sound.nBlockAlign & ~int64_t{1};
  };
  if (audio) {
    if (sound.nAvgBytesPerSec == 0) return false;
    // Both ends on whole sample frames.
    auto align = [&](int32_t ms) {
      const int64_t bytes = soundBytes(ms);
      return static_cast<int32_t>((bytes * 1000 + sound.nAvgBytesPerSec / 2) / sound.nAvgBytesPerSec);
    };
    start = align(start);
    end = align(end);
  }
  if (!video && !audio) return false;
  if (start >= end) return false;

  std::optional<MixStream> mixStream;
  if (audio) {
    mixStream.emplace(TheAudioPlayer, films, mix, start, end);
    // A busy engine gives no sound; what is left is still written.
    if (!mixStream->on()) audio = false;
    if (!video && !audio) return false;
  }

  MpegEncoder encoder(mainFrame);
  OpenFiles openFiles;
  std::optional<ProgressMeter> progress;
  std::vector<MpegFrameEntry> map;
  std::unique_ptr<BYTE[]> picture;
  std::vector<BYTE> block;
  int32_t code = kErrOk;
  std::string argument;
  try {
    if (!encoder.Create()) throw MpegFailure{kErrCancelled, {}};
    BITMAPINFOHEADER frame{};
    auto* firstSource = first != nullptr ? dynamic_cast<AVIVideoData*>(first->video) : nullptr;
    if (video) {
      if (firstSource == nullptr || firstSource->Format() == nullptr) throw MpegFailure{kErrFatal, {}};
      frame = *firstSource->Format();
      frame.biSize = sizeof(BITMAPINFOHEADER);
      frame.biPlanes = 1;
      frame.biBitCount = 24;
      frame.biCompression = BI_RGB;
      frame.biSizeImage = 0;
      frame.biClrUsed = 0;
      frame.biClrImportant = 0;
      frame.biHeight = static_cast<LONG>(DibHeight(frame));
    }

    const uint32_t content = (video ? kMpegContentVideo : 0) | (audio ? kMpegContentAudio : 0);
    int32_t width = frame.biWidth, height = frame.biHeight;
    int32_t streamType = 0, formatCode = 0, videoRate = 0, audioRate = 0;
    if (!RunMpegConfigDialog(mainFrame, content, sound.nChannels, &width, &height, &streamType, &formatCode,
                             &videoRate, &audioRate))
      throw MpegFailure{kErrCancelled, {}};
    frame.biWidth = width;
    frame.biHeight = height;

    if (!encoder.SetStreamType(streamType)) throw MpegFailure{kErrCancelled, {}};
    if (video && !encoder.SetupVideo(frame, formatCode, videoRate)) throw MpegFailure{kErrCancelled, {}};
    if (audio && !encoder.SetupAudio(sound, audioRate)) throw MpegFailure{kErrCancelled, {}};
    if (!encoder.Start()) throw MpegFailure{kErrCancelled, {}};

    // Room for the file: both rates in bit/s.
    const int64_t length = int64_t{end} - start;
    int64_t need = 4096;
    if (video) need += length * videoRate / 8000;
    if (audio) need += length * (int64_t{audioRate} * 1000) / 8000;
    ULONGLONG free = 0;
    if (CurrentExportIo().FreeSpace(path, &free) && free < static_cast<ULONGLONG>(need))
      throw MpegFailure{kErrNoSpace, path};

    if (!encoder.CreateFile(path)) throw MpegFailure{kErrCancelled, {}};

    const int64_t soundFirst = audio ? soundBytes(start) : 0;
    const int64_t soundTotal = audio ? soundBytes(end) - soundFirst : 0;
    int64_t fed = 0;
    block.assign(kAudioBlockBytes, 0);
    // Feeds sound blocks until up bytes of the range are fed.
    auto feedSoundUpTo = [&](int64_t up) {
      up = std::min(up, soundTotal);
      while (fed < up) {
        const int64_t n = std::min<int64_t>(kAudioBlockBytes, soundTotal - fed);
        if (!mixStream->Fill(block.data(), n)) throw MpegFailure{kErrCancelled, {}};
        if (!encoder.FeedAudio(block.data(), static_cast<int32_t>(n)) || !encoder.Drain())
          throw MpegFailure{kErrCancelled, {}};
        fed += n;
        if (!video && !progress->Report(fed)) throw MpegFailure{kErrCancelled, {}};
      }
    };

    if (!video) {
      progress.emplace(caption, path, soundTotal, mainFrame);
      feedSoundUpTo(soundTotal);
    } else {
      const int32_t firstFrame = Frames(start);
      const int32_t count = Frames(end) - firstFrame;
      if (count <= 0) throw MpegFailure{kErrCancelled, {}};
      try {
        map.assign(static_cast<std::size_t>(count), MpegFrameEntry{});
      } catch (const std::bad_alloc&) {
        throw MpegFailure{kErrNoMemory, {}};
      }
      if (int32_t r = MpegEncoder::BuildFrameMap(segments, firstFrame, map.data(), count))
        throw MpegFailure{r, {}};
      for (const MpegFrameEntry& e : map) {
        auto* source = dynamic_cast<AVIVideoData*>(e.source);
        if (source != nullptr && !openFiles.Open(source))
          throw MpegFailure{kErrFileMissing, source->GetFileName()};
      }
      int32_t timeBase = 0, period = 0;
      if (!encoder.GetFramePeriod(&timeBase, &period)) throw MpegFailure{kErrCancelled, {}};
      const int64_t frames = (length * timeBase + int64_t{period} * 500) / (int64_t{period} * 1000);
      const double encoderRate = static_cast<double>(timeBase) / period;
      const double projectRate = ProjectFrameRate();

      // One picture, black until a clip shows, rows padded to 4 bytes and
      // an even count of them.
      const std::size_t rowBytes = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
      const std::size_t rows = (static_cast<std::size_t>(height) + 1) & ~std::size_t{1};
      picture.reset(new (std::nothrow) BYTE[rowBytes * rows + 16]());
      if (!picture) throw MpegFailure{kErrNoMemory, {}};
      BITMAPINFOHEADER rgb = frame;
      rgb.biSizeImage = static_cast<DWORD>(rowBytes * static_cast<std::size_t>(height));
      // Pictures the codec gives as the encoder's planes skip RGB: the
      // same frame converted once instead of twice.
      BITMAPINFOHEADER yuv = I420Header(width, static_cast<LONG>(DibHeight(frame)));

      // The output frames' project frames, and the pictures to decode for
      // them in order: a frame shown again is not decoded again.
      auto projectFrame = [&](int64_t i) {
        return static_cast<int32_t>(std::clamp<int64_t>(
            static_cast<int64_t>(static_cast<double>(i) * projectRate / encoderRate + 0.499), 0, count - 1));
      };
      auto isNew = [](const MpegFrameEntry& e, const VideoData* shownSource, int32_t shownFrame) {
        return e.source != nullptr && (e.source != shownSource || e.frame != shownFrame);
      };
      std::vector<PicturesAhead::Job> jobs;
      {
        VideoData* shownSource = nullptr;
        int32_t shownFrame = -1;
        for (int64_t i = 0; i < frames; ++i) {
          const MpegFrameEntry& e = map[static_cast<std::size_t>(projectFrame(i))];
          if (!isNew(e, shownSource, shownFrame)) continue;
          jobs.push_back({dynamic_cast<AVIVideoData*>(e.source), e.frame});
          shownSource = e.source;
          shownFrame = e.frame;
        }
      }
      PicturesAhead ahead(std::move(jobs), yuv, rgb, rowBytes * rows + 16);
      if (!ahead.Start()) throw MpegFailure{kErrNoMemory, {}};

      progress.emplace(caption, path, frames, mainFrame);
      int32_t current = start;
      VideoData* shownSource = nullptr;
      int32_t shownFrame = -1;
      // Black until the first picture is decoded.
      const PicturesAhead::Picture* shown = nullptr;
      for (int64_t i = 0; i < frames; ++i) {
        if (audio) feedSoundUpTo(soundBytes(current) - soundFirst);
        const int32_t k = projectFrame(i);
        const MpegFrameEntry& e = map[static_cast<std::size_t>(k)];
        if (isNew(e, shownSource, shownFrame)) {
          shown = &ahead.Next();
          if (shown->code != kErrOk) throw MpegFailure{shown->code, shown->file};
          shownSource = e.source;
          shownFrame = e.frame;
        }
        const bool fed = shown == nullptr  ? encoder.FeedVideo(picture.get())
                         : shown->inPlanes ? encoder.FeedVideo(shown->planes.get(), yuv)
                                           : encoder.FeedVideo(shown->rgb.get());
        if (!fed || !encoder.Drain()) throw MpegFailure{kErrCancelled, {}};
        if (!progress->Report(i + 1)) throw MpegFailure{kErrCancelled, {}};
        current = FramesToMs(firstFrame + k + 1, static_cast<float>(projectRate));
      }
      // The sound covers the whole range, also past the last picture's time.
      if (audio) feedSoundUpTo(soundTotal);
    }
    if (!encoder.Finish()) throw MpegFailure{kErrCancelled, {}};
  } catch (const MpegFailure& f) {
    code = f.code;
    argument = f.argument;
  }
  encoder.Finish(false);
  encoder.Release();
  progress.reset();
  ReleaseSharedDecompressor();
  if (code == kErrOk) return true;

  if (code == kErrNoMemory) {
    ErrorBoxPlain(mainFrame, code, caption);
  } else {
    ErrorBox(mainFrame, code, caption, argument.empty() ? path : argument.c_str());
  }
  // Nothing half-written stays behind.
  if (encoder.MadeFile()) CurrentExportIo().Delete(path);
  return false;
}
