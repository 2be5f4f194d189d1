// "waveaudio" and "avivideo": a file's sound on the wave output and its
// pictures in a window of their own, each picture shown when the sound has
// reached its time (the clock, once there is no sound or it has ended).
#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/audio/wave.h"
#include "platform/core/handle.h"
#include "platform/core/sync.h"
#include "platform/core/time.h"
#include "platform/gui/gui.h"
#include "platform/mci/mci_device.h"
#include "platform/mci/media_decoder.h"

namespace mci {
namespace {

constexpr int kHeaders = 4;
constexpr int kBlocksPerSecond = 20;
// While sound plays, pictures look at its position this often (ms).
constexpr DWORD kPollMs = 10;

// What a film's window paints: the last picture shown.
struct Picture {
  std::mutex lock;
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // empty until the first picture
};

LRESULT VideoWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

void RegisterVideoWindow() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASS wc;
    wc.lpfnWndProc = VideoWindowProc;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kMciVideoWindowClass;
    RegisterClass(&wc);
  });
}

const char* BaseName(const std::string& path) {
  const size_t at = path.find_last_of("/\\:");
  return path.c_str() + (at == std::string::npos ? 0 : at + 1);
}

class MediaDevice : public Device {
 public:
  MediaDevice(std::string path, bool film) : path_(std::move(path)), film_(film) {}

  ~MediaDevice() override {
    Stop();
    if (window_ != nullptr) {
      SetWindowLongPtr(window_, GWLP_USERDATA, 0);
      DestroyWindow(window_);
    }
    if (wake_ != nullptr) CloseHandle(wake_);
  }

  MCIERROR Open(DWORD style, HWND owner) {
    wake_ = CreateEvent(nullptr, FALSE, FALSE, nullptr);
    if (wake_ == nullptr) return MCIERR_OUT_OF_MEMORY;
    MCIERROR error = OpenReaders();
    if (error != 0) return error;
    if (pictures_) {
      RegisterVideoWindow();
      picture_.width = pictures_->Width();
      picture_.height = pictures_->Height();
      RECT frame{0, 0, picture_.width, picture_.height};
      AdjustWindowRectEx(&frame, style, FALSE, 0);
      const int w = frame.right - frame.left, h = frame.bottom - frame.top;
      const int x = std::max(0, (GetSystemMetrics(SM_CXSCREEN) - w) / 2);
      const int y = std::max(0, (GetSystemMetrics(SM_CYSCREEN) - h) / 2);
      window_ = CreateWindowEx(0, kMciVideoWindowClass, BaseName(path_), style & ~WS_VISIBLE, x, y, w, h,
                               owner, nullptr, nullptr, nullptr);
      if (window_ == nullptr) return MCIERR_OUT_OF_MEMORY;
      SetWindowLongPtr(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    return 0;
  }

  MCIERROR Play(std::function<void(bool)> ended) override {
    if (running_) return 0;
    Stop();  // what a play that ended by itself left
    if (!sound_ && !pictures_) {
      if (MCIERROR e = OpenReaders(); e != 0) return e;
    }
    if (sound_) {
      if (MCIERROR e = OpenOutput(); e != 0) {
        // A film plays silently when the sound has nowhere to go.
        if (!film_ || !pictures_) return e;
        sound_.reset();
      }
    }
    if (window_ != nullptr) {
      dc_ = GetDC(window_);
      ShowWindow(window_, SW_SHOWNA);
    }
    ended_ = std::move(ended);
    reported_ = false;
    stop_ = false;
    running_ = true;
    thread_ = std::thread([this] { Run(); });
    return 0;
  }

  bool IsPlaying() const override { return running_; }

  void Paint(HDC dc) {
    RECT client;
    GetClientRect(window_, &client);
    std::lock_guard<std::mutex> hold(picture_.lock);
    if (picture_.pixels.empty()) {
      FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      return;
    }
    GdiDrawPixels(dc, 0, 0, picture_.width, picture_.height, picture_.pixels.data(), picture_.width * 4);
  }

  // The window went with its owner: the play stops drawing into it.
  void WindowGone() {
    const bool playing = running_;
    Stop();
    window_ = nullptr;
    if (playing) Report(false);
  }

  void Stop() override {
    stop_ = true;
    if (wake_ != nullptr) SetEvent(wake_);
    if (thread_.joinable()) thread_.join();
    running_ = false;
    CloseOutput();
    if (dc_ != nullptr) {
      ReleaseDC(window_, dc_);
      dc_ = nullptr;
    }
  }

 private:
  MCIERROR OpenReaders() {
    auto sound = std::make_unique<SoundReader>();
    const MCIERROR soundError = sound->Open(path_);
    if (soundError == 0) sound_ = std::move(sound);
    if (!film_) return soundError;
    auto pictures = std::make_unique<PictureReader>();
    const MCIERROR pictureError = pictures->Open(path_);
    if (pictureError == 0) pictures_ = std::move(pictures);
    if (!sound_ && !pictures_) return pictureError != 0 ? pictureError : soundError;
    return 0;
  }

  MCIERROR OpenOutput() {
    WAVEFORMATEX format;
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = static_cast<WORD>(sound_->Channels());
    format.nSamplesPerSec = static_cast<DWORD>(sound_->Rate());
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<WORD>(format.nChannels * 2);
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    const MMRESULT result =
        waveOutOpen(&out_, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(&MediaDevice::Returned),
                    reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION);
    if (result != MMSYSERR_NOERROR) {
      out_ = nullptr;
      return result == MMSYSERR_ALLOCATED ? MCIERR_WAVE_OUTPUTSINUSE : MCIERR_HARDWARE;
    }
    blockAlign_ = format.nBlockAlign;
    rate_ = format.nSamplesPerSec;
    const size_t frames = std::max<size_t>(1, rate_ / kBlocksPerSecond);
    blocks_.assign(kHeaders, std::vector<int16_t>(frames * format.nChannels));
    headers_.assign(kHeaders, WAVEHDR{});
    for (std::atomic<bool>& held : held_) held = false;
    for (int i = 0; i < kHeaders; ++i) {
      headers_[i].lpData = reinterpret_cast<LPSTR>(blocks_[i].data());
      headers_[i].dwBufferLength = static_cast<DWORD>(frames * blockAlign_);
      waveOutPrepareHeader(out_, &headers_[i], sizeof(WAVEHDR));
    }
    return 0;
  }

  void CloseOutput() {
    if (out_ == nullptr) return;
    waveOutReset(out_);
    for (WAVEHDR& h : headers_) waveOutUnprepareHeader(out_, &h, sizeof(WAVEHDR));
    waveOutClose(out_);
    out_ = nullptr;
  }

  // The device hands a header back (on its own thread). The header's flags
  // are the device's, written under its lock: the play's thread goes by this
  // note instead.
  static void Returned(HWAVEOUT, UINT message, DWORD_PTR instance, DWORD_PTR param, DWORD_PTR) {
    if (message != MM_WOM_DONE) return;
    auto* self = reinterpret_cast<MediaDevice*>(instance);
    for (std::size_t i = 0; i < self->headers_.size(); ++i) {
      if (&self->headers_[i] == reinterpret_cast<WAVEHDR*>(param)) self->held_[i] = false;
    }
    SetEvent(self->wake_);
  }

  // Where the sound stands, in ms since the play began.
  int64_t SoundMs() {
    MMTIME t;
    t.wType = TIME_BYTES;
    if (waveOutGetPosition(out_, &t, sizeof t) != MMSYSERR_NOERROR || t.wType != TIME_BYTES) return 0;
    // The record carries the low 32 bits: follow the wrap.
    const uint64_t bytes = (playedBytes_ & ~uint64_t{0xFFFFFFFF}) | t.u.cb;
    playedBytes_ = bytes < playedBytes_ ? bytes + (uint64_t{1} << 32) : bytes;
    return static_cast<int64_t>(playedBytes_ / blockAlign_ * 1000 / rate_);
  }

  // Hands the wave output every free block; false when the file cannot be
  // read on.
  bool Refill(bool* soundEnded) {
    for (size_t i = 0; i < headers_.size(); ++i) {
      if (*soundEnded) return true;
      WAVEHDR& h = headers_[i];
      if (held_[i]) continue;
      const long capacity = static_cast<long>(blocks_[i].size() * sizeof(int16_t) / blockAlign_);
      const long got = sound_->Read(blocks_[i].data(), capacity);
      if (got < 0) return false;
      if (got == 0) {
        *soundEnded = true;
        return true;
      }
      h.dwBufferLength = static_cast<DWORD>(got) * blockAlign_;
      held_[i] = true;
      if (waveOutWrite(out_, &h, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
        held_[i] = false;
        return false;
      }
    }
    return true;
  }

  bool SoundQueued() const {
    return std::any_of(std::begin(held_), std::end(held_),
                       [](const std::atomic<bool>& held) { return held.load(); });
  }

  void Show(const std::vector<uint8_t>& pixels) {
    std::lock_guard<std::mutex> hold(picture_.lock);
    picture_.pixels = pixels;
    if (dc_ != nullptr) {
      GdiDrawPixels(dc_, 0, 0, picture_.width, picture_.height, picture_.pixels.data(), picture_.width * 4);
    }
  }

  // The play's thread.
  void Run() {
    const bool ok = Body();
    sound_.reset();
    pictures_.reset();
    running_ = false;
    if (!stop_) Report(ok);
  }

  // Tells the end of the play once.
  void Report(bool ok) {
    if (!reported_.exchange(true) && ended_) ended_(ok);
  }

  bool Body() {
    bool soundEnded = !sound_;
    bool soundDone = !sound_;
    bool picturesDone = !pictures_;
    int64_t nextMs = 0;
    int64_t lastMs = 0;
    std::vector<uint8_t> next;
    bool havePicture = false;
    // After the sound the clock goes on from where it stopped.
    int64_t clockBase = 0;
    DWORD clockStart = timeGetTime();
    playedBytes_ = 0;
    if (sound_ && !Refill(&soundEnded)) return false;
    while (!stop_) {
      if (!soundDone) {
        if (!Refill(&soundEnded)) return false;
        if (soundEnded && !SoundQueued()) {
          soundDone = true;
          clockBase = SoundMs();
          clockStart = timeGetTime();
        }
      }
      const int64_t now =
          soundDone ? clockBase + static_cast<int64_t>(timeGetTime() - clockStart) : SoundMs();
      while (!picturesDone) {
        if (!havePicture) {
          const PictureReader::Result r = pictures_->Next(&nextMs, &next);
          if (r == PictureReader::Result::kFailed) return false;
          if (r == PictureReader::Result::kEnd) {
            // The last picture stands its time, then the film is over.
            if (now < lastMs + pictures_->FrameMs()) break;
            picturesDone = true;
            break;
          }
          havePicture = true;
        }
        if (nextMs > now) break;
        Show(next);
        lastMs = nextMs;
        havePicture = false;
      }
      if (soundDone && picturesDone) return true;
      DWORD wait = INFINITE;
      if (!picturesDone) {
        const int64_t due = havePicture ? nextMs : lastMs + pictures_->FrameMs();
        wait = soundDone ? static_cast<DWORD>(std::clamp<int64_t>(due - now, 1, 1000)) : kPollMs;
      }
      WaitForSingleObject(wake_, wait);
    }
    return true;
  }

  std::string path_;
  bool film_;
  std::unique_ptr<SoundReader> sound_;
  std::unique_ptr<PictureReader> pictures_;
  HWND window_ = nullptr;
  HDC dc_ = nullptr;
  Picture picture_;
  HANDLE wake_ = nullptr;
  HWAVEOUT out_ = nullptr;
  std::vector<std::vector<int16_t>> blocks_;
  std::vector<WAVEHDR> headers_;
  // Headers written to the output and not yet handed back, by index.
  std::atomic<bool> held_[kHeaders] = {};
  DWORD blockAlign_ = 4;
  DWORD rate_ = 44100;
  uint64_t playedBytes_ = 0;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> running_{false};
  std::atomic<bool> reported_{false};
  std::function<void(bool)> ended_;
};

LRESULT VideoWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* device = reinterpret_cast<MediaDevice*>(GetWindowLongPtr(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (device != nullptr) device->Paint(dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_CLOSE:
      // The device owns the window: closing it only puts it away.
      ShowWindow(hwnd, SW_HIDE);
      return 0;
    case WM_DESTROY:
      if (device != nullptr) {
        SetWindowLongPtr(hwnd, GWLP_USERDATA, 0);
        device->WindowGone();
      }
      break;
  }
  return DefWindowProc(hwnd, msg, wParam, lParam);
}

}  // namespace

std::unique_ptr<Device> OpenMediaDevice(const std::string& path, bool film, DWORD style, HWND owner,
                                        MCIERROR* error) {
  auto device = std::make_unique<MediaDevice>(path, film);
  *error = device->Open(style, owner);
  if (*error != 0) return nullptr;
  return device;
}

}  // namespace mci
