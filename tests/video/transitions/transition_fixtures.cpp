#include "transition_fixtures.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <thread>

#include "media/frame_decoder.h"
#include "media/transition_mask.h"
#include "media/video_data.h"
#include "model/film_list.h"
#include "model/text_format.h"
#include "model/time_code.h"
#include "platform/core/message_queue.h"
#include "platform/core/threads.h"
#include "platform/gui/user.h"

namespace vfxtest {

using video_test::Format;
using video_test::MakeFormat;

Picture Pattern(int width, int height, int seed, int frame) {
  Picture p(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      BYTE* q = &p[(static_cast<std::size_t>(y) * width + x) * 3];
      q[0] = static_cast<BYTE>(x * 13 + frame * 7 + seed * 50);
      q[1] = static_cast<BYTE>(y * 17 + frame * 11 + seed * 30);
      q[2] = static_cast<BYTE>((x + y) * 5 + frame * 19 + seed * 90);
    }
  return p;
}

std::vector<Picture> Patterns(int width, int height, int seed, int count) {
  std::vector<Picture> out;
  for (int i = 0; i < count; ++i) out.push_back(Pattern(width, height, seed, i));
  return out;
}

// ---- The key/delta codec.

void KeyDeltaControls::OpenGate() {
  std::lock_guard<std::mutex> hold(lock);
  open = true;
  changed.notify_all();
}

bool KeyDeltaControls::WaitAtGate(int realMs) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(realMs);
  while (!atGate.load()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

KeyDeltaControls& KeyDelta() {
  static KeyDeltaControls controls;
  return controls;
}

namespace {

bool SameSize(const BITMAPINFOHEADER* a, const BITMAPINFOHEADER* b) {
  return a->biWidth == b->biWidth && DibHeight(*a) == DibHeight(*b);
}

std::size_t PackedBytes(const BITMAPINFOHEADER* f) {
  return static_cast<std::size_t>(f->biWidth) * static_cast<std::size_t>(DibHeight(*f)) * 3;
}

// Copies between a packed top-first picture and 24-bit DIB rows.
void ToDib(const BYTE* packed, const BITMAPINFOHEADER* f, BYTE* dib) {
  const int w = f->biWidth, h = static_cast<int>(DibHeight(*f));
  const std::size_t stride = static_cast<std::size_t>(DibRowBytes(w, 24));
  for (int y = 0; y < h; ++y) {
    BYTE* row = dib + static_cast<std::size_t>(f->biHeight > 0 ? h - 1 - y : y) * stride;
    std::memcpy(row, packed + static_cast<std::size_t>(y) * w * 3, static_cast<std::size_t>(w) * 3);
  }
}
void FromDib(const BYTE* dib, const BITMAPINFOHEADER* f, BYTE* packed) {
  const int w = f->biWidth, h = static_cast<int>(DibHeight(*f));
  const std::size_t stride = static_cast<std::size_t>(DibRowBytes(w, 24));
  for (int y = 0; y < h; ++y) {
    const BYTE* row = dib + static_cast<std::size_t>(f->biHeight > 0 ? h - 1 - y : y) * stride;
    std::memcpy(packed + static_cast<std::size_t>(y) * w * 3, row, static_cast<std::size_t>(w) * 3);
  }
}

class KeyDeltaCodec : public VideoCodec {
 public:
  explicit KeyDeltaCodec(FOURCC code) : code_(code) {}

  LRESULT DecompressQuery(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    if (in->biCompression != code_ || in->biBitCount != 24) return ICERR_BADFORMAT;
    if (out == nullptr) return ICERR_OK;
    return out->biCompression == BI_RGB && out->biBitCount == 24 && SameSize(in, out) ? ICERR_OK
                                                                                      : ICERR_BADFORMAT;
  }
  LRESULT DecompressGetFormat(const BITMAPINFOHEADER* in, BITMAPINFOHEADER* out) override {
    if (out == nullptr) return 40;
    *out = MakeFormat(in->biWidth, static_cast<LONG>(DibHeight(*in)), 24).bi()[0];
    return ICERR_OK;
  }
  LRESULT DecompressBegin(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    if (DecompressQuery(in, out) != ICERR_OK) return ICERR_BADFORMAT;
    picture_.assign(PackedBytes(in), 0);
    haveKey_ = false;
    return ICERR_OK;
  }
  LRESULT Decompress(const ICDECOMPRESS& d) override {
    if (code_ == kThrowing) throw std::runtime_error("a codec fault");
    const BYTE* data = static_cast<const BYTE*>(d.lpInput);
    const std::size_t n = PackedBytes(d.lpbiInput);
    if (code_ == kFailing || d.lpbiInput->biSizeImage < n + 1 || picture_.size() != n ||
        (data[0] == 'D' && !haveKey_)) {
      ++KeyDelta().failedDecodes;
      return ICERR_ERROR;
    }
    if (data[0] == 'K') {
      std::memcpy(picture_.data(), data + 1, n);
      haveKey_ = true;
    } else {
      for (std::size_t i = 0; i < n; ++i) picture_[i] = static_cast<BYTE>(picture_[i] + data[1 + i]);
    }
    if (!(d.dwFlags & ICDECOMPRESS_HURRYUP))
      ToDib(picture_.data(), d.lpbiOutput, static_cast<BYTE*>(d.lpOutput));
    return ICERR_OK;
  }

  LRESULT CompressQuery(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    if (in->biCompression != BI_RGB || in->biBitCount != 24) return ICERR_BADFORMAT;
    return out == nullptr || (out->biCompression == code_ && SameSize(in, out)) ? ICERR_OK : ICERR_BADFORMAT;
  }
  LRESULT CompressGetFormat(const BITMAPINFOHEADER* in, BITMAPINFOHEADER* out) override {
    if (out == nullptr) return 40;
    *out = MakeFormat(in->biWidth, static_cast<LONG>(DibHeight(*in)), 24, code_).bi()[0];
    return ICERR_OK;
  }
  LRESULT CompressGetSize(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER*) override {
    return static_cast<LRESULT>(PackedBytes(in) + 1);
  }
  LRESULT CompressBegin(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    return CompressQuery(in, out);
  }
  LRESULT Compress(const ICCOMPRESS& c) override {
    KeyDeltaControls& k = KeyDelta();
    if (k.gateAt.load() >= 0 && c.lFrameNum >= k.gateAt.load()) {
      std::unique_lock<std::mutex> hold(k.lock);
      k.atGate.store(true);
      k.changed.wait(hold, [&k] { return k.open; });
    }
    if (!(c.dwFlags & ICCOMPRESS_KEYFRAME)) return ICERR_BADFLAGS;
    BYTE* out = static_cast<BYTE*>(c.lpOutput);
    out[0] = 'K';
    FromDib(static_cast<const BYTE*>(c.lpInput), c.lpbiInput, out + 1);
    c.lpbiOutput->biSizeImage = static_cast<DWORD>(PackedBytes(c.lpbiInput) + 1);
    if (c.lpdwFlags != nullptr) *c.lpdwFlags = AVIIF_KEYFRAME;
    return ICERR_OK;
  }

 private:
  FOURCC code_;
  std::vector<BYTE> picture_;
  bool haveKey_ = false;
};

std::unique_ptr<VideoCodec> MakeKeyDelta(const VideoCodecDescription& d, UINT) {
  return std::make_unique<KeyDeltaCodec>(d.fccHandler);
}

}  // namespace

InstalledKeyDelta::InstalledKeyDelta() {
  KeyDeltaControls& k = KeyDelta();
  k.gateAt = -1;
  k.atGate = false;
  k.failedDecodes = 0;
  k.open = false;
  for (FOURCC code : {kKeyDelta, kFailing, kThrowing}) {
    VideoCodecDescription d;
    d.fccHandler = code;
    d.name = L"Key delta";
    EXPECT_TRUE(ICInstallCodec(d, &MakeKeyDelta));
  }
}

InstalledKeyDelta::~InstalledKeyDelta() {
  KeyDelta().OpenGate();
  ICRemove(ICTYPE_VIDEO, kKeyDelta, 0);
  ICRemove(ICTYPE_VIDEO, kFailing, 0);
  ICRemove(ICTYPE_VIDEO, kThrowing, 0);
}

// ---- Files.

void WriteKeyDelta(const std::string& path, int width, int height, const std::vector<Picture>& pictures,
                   int keyEvery, FOURCC code, const std::set<int>& empty) {
  video_test::AviSpec spec;
  spec.format = MakeFormat(width, height, 24, code);
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    video_test::Frame f;
    f.key = i % static_cast<std::size_t>(keyEvery) == 0;
    if (empty.count(static_cast<int>(i)) > 0) {
      EXPECT_EQ(pictures[i], pictures[i - 1]) << "an empty frame repeats the one before";
      f.key = false;
      spec.frames.push_back(std::move(f));
      continue;
    }
    f.data.push_back(f.key ? 'K' : 'D');
    for (std::size_t k = 0; k < pictures[i].size(); ++k) {
      f.data.push_back(f.key ? pictures[i][k] : static_cast<BYTE>(pictures[i][k] - pictures[i - 1][k]));
    }
    spec.frames.push_back(std::move(f));
  }
  ASSERT_EQ(video_test::WriteAvi(path, spec), 0) << path;
}

void WriteUncompressed(const std::string& path, int width, int height, const std::vector<Picture>& pictures) {
  video_test::AviSpec spec;
  spec.format = MakeFormat(width, height, 24);
  spec.videoType = aviTWOCC('d', 'b');
  for (const Picture& p : pictures) {
    video_test::Frame f;
    f.data.assign(static_cast<std::size_t>(DibImageBytes(*spec.format.bi())), 0);
    ToDib(p.data(), spec.format.bi(), f.data.data());
    spec.frames.push_back(std::move(f));
  }
  ASSERT_EQ(video_test::WriteAvi(path, spec), 0) << path;
}

std::vector<Picture> ReadPictures(const std::string& path, bool* allKeys) {
  std::vector<Picture> out;
  AVIVideoData* v = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, path.c_str(), 0);
  if (v == nullptr) {
    ADD_FAILURE() << "cannot read " << path;
    return out;
  }
  v->BeginRead();
  const BITMAPINFOHEADER* f = v->Format();
  if (allKeys != nullptr) *allKeys = true;
  for (int32_t i = 0; i < v->frameCount; ++i) {
    std::vector<BYTE> data(static_cast<std::size_t>(v->GetFrameSize(i)) + 1);
    int32_t size = 0;
    bool key = false;
    EXPECT_EQ(v->ReadRawFrame(i, 0, data.data(), &size, &key, false), 0);
    if (allKeys != nullptr && !key) *allKeys = false;
    Picture p(PackedBytes(f));
    if (f->biCompression == BI_RGB) {
      FromDib(data.data(), f, p.data());
    } else {
      EXPECT_EQ(data[0], 'K') << "frame " << i;
      std::memcpy(p.data(), data.data() + 1, p.size());
    }
    out.push_back(std::move(p));
  }
  v->EndRead();
  v->Release();
  return out;
}

std::vector<Picture> FfmpegPictures(const std::string& path, int width, int height) {
  std::vector<BYTE> all =
      video_test::Capture("ffmpeg -nostdin -v error -i " + path + " -f rawvideo -pix_fmt bgr24 -");
  const std::size_t frame = static_cast<std::size_t>(width) * height * 3;
  std::vector<Picture> out;
  for (std::size_t at = 0; at + frame <= all.size(); at += frame)
    out.emplace_back(all.begin() + at, all.begin() + at + frame);
  return out;
}

Picture Blend(const Picture& a, const Picture& b, int width, int height, int kind, int soft, int step,
              int steps) {
  std::vector<BYTE> mask(static_cast<std::size_t>(width) * height);
  MakeTransitionMask(kind, soft, mask.data(), width, height, step, steps);
  Picture out(a.size());
  for (std::size_t i = 0; i < out.size(); ++i) {
    const int m = mask[i / 3];  // mask row 0 is the top row, as the pictures' first row
    out[i] = static_cast<BYTE>((a[i] * m + b[i] * (255 - m) + 127) / 255);
  }
  return out;
}

double MeanDiff(const Picture& a, const Picture& b) {
  if (a.size() != b.size() || a.empty()) return 1e9;
  double sum = 0;
  for (std::size_t i = 0; i < a.size(); ++i) sum += std::abs(int{a[i]} - int{b[i]});
  return sum / static_cast<double>(a.size());
}

int MaxDiff(const Picture& a, const Picture& b) {
  if (a.size() != b.size()) return 256;
  int worst = 0;
  for (std::size_t i = 0; i < a.size(); ++i) worst = std::max(worst, std::abs(int{a[i]} - int{b[i]}));
  return worst;
}

Film* PlaceClip(const std::string& path, int32_t start, int32_t end, int32_t in, int32_t row, int32_t stamp) {
  AVIVideoData* v = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, path.c_str(), 0);
  if (v == nullptr) {
    ADD_FAILURE() << "cannot open " << path;
    return nullptr;
  }
  Film* f = new Film(v, in, start, end);
  v->Release();
  f->videoRow = row;
  f->stamp = stamp;
  Film::Link(f, FilmList);
  return f;
}

// ---- The main window, traces and boxes.

MainWindow::MainWindow() {
  window_ = CreateWindowEx(0, "Static", "main", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                           nullptr, nullptr);
  EXPECT_NE(window_, nullptr);
}

MainWindow::~MainWindow() {
  Pump();
  if (window_ != nullptr) DestroyWindow(window_);
}

void MainWindow::Pump() {
  MSG msg;
  while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.hwnd == window_ && msg.message == WM_USER + 99 && msg.wParam == kVFXProgressRequest) {
      progress.push_back(static_cast<int32_t>(msg.lParam));
      if (msg.lParam == 0) ++ended_;
    } else {
      DispatchMessage(&msg);
    }
  }
}

bool MainWindow::WaitForJobs(int jobs, int realMs) {
  waitedFor_ += jobs;
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(realMs);
  for (;;) {
    Pump();
    if (ended_ >= waitedFor_) return true;
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

TraceLog::TraceLog() {
  VFXRender::SetTraceSink([this](const std::string& text) {
    std::lock_guard<std::mutex> hold(lock_);
    lines_.push_back(text);
  });
}

TraceLog::~TraceLog() {
  VFXRender::SetTraceSink(nullptr);
}

int TraceLog::Count(const std::string& text) {
  std::lock_guard<std::mutex> hold(lock_);
  int n = 0;
  for (const std::string& line : lines_) n += line == text ? 1 : 0;
  return n;
}

BoxLog::BoxLog() : before_(SetMessageBoxPresenter(this)) {}
BoxLog::~BoxLog() {
  SetMessageBoxPresenter(before_);
}

int BoxLog::Show(HWND, const std::string& text, const std::string& caption, UINT flags) {
  boxes.push_back({text, caption, flags, GetCurrentThreadId()});
  return IDOK;
}

// ---- The fixture.

void TransitionTest::SetUp() {
  ASSERT_TRUE(folder.ok());
  FilmList.Clear();
  SetProjectFrameRate(25.0f);
  VFXRender::SetSettings(VFXRenderSettings{});
  VFXRender::SetTempDir(Project().c_str());
}

void TransitionTest::TearDown() {
  VFXRender::StopThread();
  VFXRender::StopThread();  // one that outlived the first stop
  FilmList.Clear();
  vfx.FreeAll();
  VFXRender::SetSettings(VFXRenderSettings{});
  VFXRender::CleanTempDir();
  VFXRender::SetTempDir(nullptr);
  VFXRender::SetMainWindow(nullptr);
  ReleaseSharedDecompressor();
}

std::string TransitionTest::FileOf(uint32_t a, uint32_t b) const {
  return folder.Path("show.vfx/" +
                     FormatText("vfx%03d_%03d.avi", static_cast<int32_t>(a), static_cast<int32_t>(b)));
}

}  // namespace vfxtest
