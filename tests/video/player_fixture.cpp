#include "player_fixture.h"

#include <dirent.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "media/frame_decoder.h"
#include "media/key_frame.h"
#include "platform/codecs/drawdib.h"
#include "platform/gui/gui.h"
#include "platform/gui/gui_driver.h"

namespace playertest {

void CodecLog::Add(const std::string& line) {
  std::lock_guard<std::mutex> hold(lock_);
  lines_.push_back(line);
}

std::vector<std::string> CodecLog::Lines() {
  std::lock_guard<std::mutex> hold(lock_);
  return lines_;
}

void CodecLog::Clear() {
  std::lock_guard<std::mutex> hold(lock_);
  lines_.clear();
}

std::vector<std::string> CodecLog::Starting(const std::string& prefix) {
  std::lock_guard<std::mutex> hold(lock_);
  std::vector<std::string> out;
  for (const std::string& l : lines_) {
    if (l.compare(0, prefix.size(), prefix) == 0) out.push_back(l);
  }
  return out;
}

CodecLog& TheCodecLog() {
  static CodecLog* log = new CodecLog();
  return *log;
}

CodecScript& TheCodecScript() {
  static CodecScript* script = new CodecScript();
  return *script;
}

namespace {

BITMAPINFOHEADER Rgb24(LONG width, LONG height) {
  BITMAPINFOHEADER bi;
  bi.biSize = sizeof(BITMAPINFOHEADER);
  bi.biWidth = width;
  bi.biHeight = height;
  bi.biPlanes = 1;
  bi.biBitCount = 24;
  bi.biCompression = BI_RGB;
  bi.biSizeImage = static_cast<DWORD>(DibImageBytes(bi));
  return bi;
}

// Frame number of a test frame's data, or -1.
int FrameOf(const void* data, DWORD size) {
  if (data == nullptr || size < 4) return -1;
  const BYTE* p = static_cast<const BYTE*>(data);
  return p[2] | (p[3] << 8);
}

std::string Flags(DWORD flags) {
  std::string s;
  if (flags & ICDRAW_HURRYUP) s += " hurry";
  if (flags & ICDRAW_PREROLL) s += " preroll";
  if (flags & ICDRAW_NULLFRAME) s += " null";
  return s;
}

class KeyDeltaCodec : public VideoCodec {
 public:
  explicit KeyDeltaCodec(bool draws) : draws_(draws) {}

  LRESULT Message(UINT msg, DWORD_PTR a, DWORD_PTR b) override {
    if (draws_) {
      switch (msg) {
        case ICM_DRAW_START:
          TheCodecLog().Add("start");
          break;
        case ICM_DRAW_STOP:
          TheCodecLog().Add("stop");
          break;
        case ICM_DRAW_FLUSH:
          TheCodecLog().Add("flush");
          break;
        case ICM_DRAW_RENDERBUFFER:
          TheCodecLog().Add("render");
          break;
        case ICM_DRAW_WINDOW:
          TheCodecLog().Add("window");
          break;
        case ICM_GETBUFFERSWANTED: {
          const int n = TheCodecScript().buffersWanted;
          if (n < 0 || a == 0) return ICERR_UNSUPPORTED;
          *reinterpret_cast<DWORD*>(a) = static_cast<DWORD>(n);
          return ICERR_OK;
        }
        default:
          break;
      }
    }
    return VideoCodec::Message(msg, a, b);
  }

  LRESULT DecompressQuery(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    if (in->biCompression != kKeyDelta || in->biWidth <= 0 || in->biHeight <= 0) return ICERR_BADFORMAT;
    if (out == nullptr) return ICERR_OK;
    const bool fits = out->biCompression == BI_RGB && (out->biBitCount == 24 || out->biBitCount == 32) &&
                      out->biWidth == in->biWidth && DibHeight(*out) == in->biHeight;
    return fits ? ICERR_OK : ICERR_BADFORMAT;
  }
  LRESULT DecompressGetFormat(const BITMAPINFOHEADER* in, BITMAPINFOHEADER* out) override {
    if (DecompressQuery(in, nullptr) != ICERR_OK) return ICERR_BADFORMAT;
    if (out == nullptr) return sizeof(BITMAPINFOHEADER);
    *out = Rgb24(in->biWidth, in->biHeight);
    return ICERR_OK;
  }
  LRESULT DecompressBegin(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out) override {
    if (DecompressQuery(in, out) != ICERR_OK) return ICERR_BADFORMAT;
    out_ = *out;
    return ICERR_OK;
  }
  LRESULT Decompress(const ICDECOMPRESS& d) override {
    const DWORD size = d.lpbiInput->biSizeImage;
    const int frame = FrameOf(d.lpInput, size);
    if (!draws_) TheCodecLog().Add("decompress " + std::to_string(frame) + Flags(d.dwFlags));
    if (TheCodecScript().failDecompress || frame < 0) return ICERR_ERROR;
    const BYTE* p = static_cast<const BYTE*>(d.lpInput);
    BYTE* o = static_cast<BYTE*>(d.lpOutput);
    const std::size_t bytes = static_cast<std::size_t>(d.lpbiOutput->biSizeImage);
    if (p[0] == 'K') {
      std::memset(o, p[1], bytes);
    } else {
      for (std::size_t i = 0; i < bytes; ++i) o[i] = static_cast<BYTE>(o[i] + p[1]);
    }
    return ICERR_OK;
  }

  LRESULT DrawQuery(const BITMAPINFOHEADER* in) override {
    return draws_ ? PresentQuery(in) : ICERR_UNSUPPORTED;
  }
  LRESULT DrawBegin(const ICDRAWBEGIN& b) override {
    if (!draws_) return VideoCodec::DrawBegin(b);
    if (!(b.dwFlags & ICDRAW_QUERY)) {
      TheCodecLog().Add("begin " + std::to_string(b.dxSrc) + "x" + std::to_string(b.dySrc) + " to " +
                        std::to_string(b.dxDst) + "x" + std::to_string(b.dyDst) +
                        ((b.dwFlags & ICDRAW_FULLSCREEN) ? " fullscreen" : " window"));
    }
    return PresentBegin(b);
  }
  LRESULT Draw(const ICDRAW& d) override {
    if (!draws_) return ICERR_UNSUPPORTED;
    const bool null = (d.dwFlags & ICDRAW_NULLFRAME) || d.cbData == 0;
    TheCodecLog().Add("draw " + (null ? std::string("-") : std::to_string(FrameOf(d.lpData, d.cbData))) +
                      " t" + std::to_string(d.lTime) + Flags(d.dwFlags));
    return PresentDraw(d);
  }
  LRESULT DrawEnd() override {
    if (draws_) TheCodecLog().Add("end");
    return VideoCodec::DrawEnd();
  }

 private:
  bool draws_;
  BITMAPINFOHEADER out_;
};

struct Presented {
  std::mutex lock;
  std::vector<int> greys;
};
Presented& ThePresented() {
  static Presented* p = new Presented();
  return *p;
}

BOOL RecordAndDraw(HDC dc, int x, int y, int width, int height, const BYTE* pixels, int stride) {
  {
    std::lock_guard<std::mutex> hold(ThePresented().lock);
    ThePresented().greys.push_back(pixels[0]);
  }
  return GdiDrawPixels(dc, x, y, width, height, pixels, stride);
}

}  // namespace

std::vector<int> PresentedGreys() {
  std::lock_guard<std::mutex> hold(ThePresented().lock);
  return ThePresented().greys;
}

void ClearPresented() {
  std::lock_guard<std::mutex> hold(ThePresented().lock);
  ThePresented().greys.clear();
}

InstalledCodecs::InstalledCodecs(bool withDrawing) : drawing_(withDrawing) {
  TheCodecLog().Clear();
  TheCodecScript().failDecompress = false;
  TheCodecScript().buffersWanted = 0;
  VideoCodecDescription d;
  d.fccHandler = kKeyDelta;
  d.name = L"KeyDelta";
  ICInstallCodec(d, [](const VideoCodecDescription&, UINT) -> std::unique_ptr<VideoCodec> {
    return std::make_unique<KeyDeltaCodec>(false);
  });
  if (drawing_) {
    d.fccHandler = kDrawing;
    d.name = L"KeyDeltaDraw";
    d.dwFlags = VIDCF_DRAW;
    ICInstallCodec(d, [](const VideoCodecDescription&, UINT) -> std::unique_ptr<VideoCodec> {
      return std::make_unique<KeyDeltaCodec>(true);
    });
  }
}

InstalledCodecs::~InstalledCodecs() {
  ICRemove(ICTYPE_VIDEO, kKeyDelta, 0);
  if (drawing_) ICRemove(ICTYPE_VIDEO, kDrawing, 0);
}

std::vector<KeyDeltaFrame> Chain(int frames, int keyEvery) {
  std::vector<KeyDeltaFrame> out;
  for (int i = 0; i < frames; ++i) {
    const bool key = i % keyEvery == 0;
    out.push_back({key, key ? i % 256 : 1});
  }
  return out;
}

void WriteKeyDeltaAvi(const std::string& path, const std::vector<KeyDeltaFrame>& frames, int width,
                      int height) {
  video_test::AviSpec spec;
  spec.format = video_test::MakeFormat(width, height, 24, kKeyDelta);
  spec.format.bi()->biSizeImage = 4;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    video_test::Frame f;
    f.key = frames[i].key;
    f.data = {static_cast<BYTE>(frames[i].key ? 'K' : 'D'), static_cast<BYTE>(frames[i].value),
              static_cast<BYTE>(i & 0xFF), static_cast<BYTE>(i >> 8)};
    spec.frames.push_back(f);
  }
  ASSERT_EQ(video_test::WriteAvi(path, spec), 0);
}

StreamFormat KeyDeltaStream(int width, int height) {
  StreamFormat s;
  s.format = video_test::MakeFormat(width, height, 24, kKeyDelta);
  return s;
}

// --- The stand-in of the time-line window ----------------------------------------

namespace {

std::vector<NotifyWindow::Posted>& PostedList() {
  static auto* list = new std::vector<NotifyWindow::Posted>();
  return *list;
}

LRESULT NotifyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_COMMAND || msg >= WM_USER) {
    PostedList().push_back({msg, wParam, lParam});
    return 0;
  }
  return DefWindowProc(hwnd, msg, wParam, lParam);
}

}  // namespace

NotifyWindow::NotifyWindow() {
  static bool registered = false;
  if (!registered) {
    WNDCLASS wc{};
    wc.lpfnWndProc = &NotifyProc;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = "KobrixTestTimeLine";
    RegisterClass(&wc);
    registered = true;
  }
  PostedList().clear();
  hwnd_ = CreateWindowEx(0, "KobrixTestTimeLine", "Time-line", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 200, 600,
                         300, nullptr, nullptr, nullptr, nullptr);
}

NotifyWindow::~NotifyWindow() {
  DestroyWindow(hwnd_);
  GuiPumpMessages();
}

std::vector<NotifyWindow::Posted>& NotifyWindow::posted() {
  return PostedList();
}

int ThreadCount() {
  int n = 0;
  if (DIR* d = opendir("/proc/self/task")) {
    while (dirent* e = readdir(d)) {
      if (e->d_name[0] != '.') ++n;
    }
    closedir(d);
  }
  return n;
}

int SettledThreadCount(int count) {
  int n = ThreadCount();
  for (int i = 0; i < 2000 && n != count; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    n = ThreadCount();
  }
  return n;
}

bool WaitUntil(const std::function<bool()>& done) {
  for (int i = 0; i < 5000; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return done();
}

void AddSegment(FilmListHead& list, VideoSource* source, int32_t in, int32_t start, int32_t end) {
  Film::Link(new Film(source, in, start, end), list);
}

// --- The test case ---------------------------------------------------------------

void PlayerTest::SetUp() {
  ASSERT_TRUE(home_.ok());
  DrawDibSetPresenter(&RecordAndDraw);
  DrawDibSetScreenTarget(&GdiScreenTarget);
  ClearPresented();
  sourceHooksBefore_ = SetVideoSourceHooks(&sourceHooks_);
  notify_ = std::make_unique<NotifyWindow>();
  GuiPumpMessages();
  // The window system's own threads are up by now.
  threadsBefore_ = ThreadCount();
  TheVideoPlayer = new VideoPlayer();
  TheVideoPlayer->notifyWindow = notify_->hwnd();
}

void PlayerTest::TearDown() {
  for (AVIVideoData* v : used_) {
    while (v->openCount > 0) v->EndRead();
    v->Release();
  }
  used_.clear();
  delete TheVideoPlayer;
  TheVideoPlayer = nullptr;
  ReleaseSharedDecompressor();
  TKeyFrame::FreeAll();
  SetVideoSourceHooks(sourceHooksBefore_);
  notify_.reset();
  DrawDibSetScreenTarget(nullptr);
  DrawDibSetPresenter(nullptr);
  GuiPumpMessages();
  EXPECT_EQ(SettledThreadCount(threadsBefore_), threadsBefore_) << "a thread was left behind";
}

AVIVideoData* PlayerTest::Use(const std::string& path) {
  AVIVideoData* v = AVIVideoData::OpenShared(nullptr, kVideoKindAvi, path.c_str(), 0);
  if (v == nullptr) {
    ADD_FAILURE() << "cannot open " << path;
    return nullptr;
  }
  v->BeginRead();
  used_.push_back(v);
  return v;
}

void PlayerTest::EndUse(AVIVideoData* source) {
  source->EndRead();
}

void PlayerTest::RestartPlayer() {
  delete TheVideoPlayer;
  TheVideoPlayer = new VideoPlayer();
  TheVideoPlayer->notifyWindow = notify_->hwnd();
}

}  // namespace playertest
