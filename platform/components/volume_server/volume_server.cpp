// The volume-control server's object and window, and the virtual mixer.
#include "platform/components/volume_server.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/gui/controls/static.h"
#include "platform/gui/controls/trackbar.h"
#include "platform/gui/gui.h"

namespace {

constexpr char kWindowClass[] = "KobrixVolumeControl";
constexpr int kColumnWidth = 64;
constexpr int kLabelHeight = 18;
constexpr int kFaderHeight = 150;
constexpr int kMargin = 6;
constexpr int kFirstFaderId = 100;

class VolumeServerObject;
LRESULT VolumeWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// How wide a window must be for the desktop to write title whole in its
// caption, beside the window's icon and its three buttons: the title as the
// caption's bold face sets it, with room to spare for a desktop whose face
// runs wider.
int CaptionWidth(const char* title) {
  HDC dc = GetDC(nullptr);
  if (dc == nullptr) return 0;
  HFONT bold = CreateFont(-11, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
  HGDIOBJ old = SelectObject(dc, bold);
  SIZE text{};
  GetTextExtentPoint32(dc, title, static_cast<int>(std::strlen(title)), &text);
  SelectObject(dc, old);
  DeleteObject(bold);
  ReleaseDC(nullptr, dc);
  return text.cx * 5 / 4 + GetSystemMetrics(SM_CXSMICON) + 3 * GetSystemMetrics(SM_CXSIZE) +
         4 * GetSystemMetrics(SM_CXEDGE);
}

void RegisterWindowClass() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASS wc{};
    wc.lpfnWndProc = VolumeWindowProc;
    wc.lpszClassName = kWindowClass;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<LONG_PTR>(COLOR_BTNFACE + 1));
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    RegisterClass(&wc);
  });
}

class VolumeServerObject final : public IVolumeServer {
 public:
  explicit VolumeServerObject(std::unique_ptr<VolumeMixer> mixer) : mixer_(std::move(mixer)) {}

  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IVolumeServer) {
      *object = static_cast<IVolumeServer*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT GetVersion(LONG* version) override {
    if (version == nullptr) return E_POINTER;
    *version = 1;
    return S_OK;
  }
  HRESULT Move(LONG x, LONG y) override {
    if (window_ != nullptr)
      SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return S_OK;
  }
  LONG Start(LONG playback) override {
    if (mixer_->Controls(-1, playback == 0).empty()) return 1;
    ++starts_;
    return 0;
  }
  HRESULT Stop() override {
    if (starts_ > 0) --starts_;
    return S_OK;
  }
  HRESULT Hide() override {
    if (window_ != nullptr) ShowWindow(window_, SW_HIDE);
    return S_OK;
  }
  HRESULT ShowForDevice(LONG device, LONG input) override {
    device_ = device;
    input_ = input != 0;
    if (!Build()) return E_FAIL;
    ShowWindow(window_, SW_SHOWNA);
    return S_OK;
  }
  HRESULT ShowMixer() override {
    if (window_ == nullptr && FAILED(ShowForDevice(device_, 0))) return E_FAIL;
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    return S_OK;
  }

  // The user moved a fader.
  void OnFader(HWND fader) {
    const int id = GetDlgCtrlID(fader) - kFirstFaderId;
    if (id < 0 || id >= static_cast<int>(controls_.size())) return;
    const VolumeControlInfo& c = controls_[id];
    const long position = static_cast<long>(SendMessage(fader, TBM_GETPOS, 0, 0));
    mixer_->SetValue(device_, input_, c.name, c.maximum + c.minimum - position);
  }

  // Its owner went, and took the window along.
  void WindowDestroyed() {
    window_ = nullptr;
    children_.clear();
  }

  HWND Window() const { return window_; }
  int Starts() const { return starts_; }

 private:
  ~VolumeServerObject() {
    if (window_ != nullptr) DestroyWindow(window_);
  }

  // The window with one fader per volume of the device, loudest at the top.
  bool Build() {
    RegisterWindowClass();
    controls_ = mixer_->Controls(device_, input_);
    const char* title = input_ ? "Recording Control" : "Volume Control";
    const int columns = std::max<int>(1, static_cast<int>(controls_.size()));
    const int faders = kMargin + columns * kColumnWidth;
    RECT r{0, 0, faders, 2 * kMargin + kLabelHeight + kFaderHeight};
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    AdjustWindowRectEx(&r, style, FALSE, WS_EX_TOOLWINDOW);
    // Wider for the title, the faders stay in the middle.
    const int widen = std::max<int>(0, CaptionWidth(title) - (r.right - r.left));
    r.right += widen;
    const int left = kMargin + widen / 2;
    if (window_ == nullptr) {
      // A tool window of the program that asked for it: the window system
      // opens it beside that program's window.
      HWND owner = GetActiveWindow();
      if (owner != nullptr) owner = GetAncestor(owner, GA_ROOTOWNER);
      window_ = CreateWindowEx(WS_EX_TOOLWINDOW, kWindowClass, title, style, CW_USEDEFAULT, 0, r.right - r.left,
                               r.bottom - r.top, owner, nullptr, nullptr, nullptr);
      if (window_ == nullptr) return false;
      SetWindowLongPtr(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    } else {
      SetWindowText(window_, title);
      SetWindowPos(window_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      for (HWND child : children_) DestroyWindow(child);
    }
    children_.clear();
    if (controls_.empty()) {
      children_.push_back(CreateWindow(WC_STATIC, "No volumes", WS_CHILD | WS_VISIBLE | SS_CENTER, left,
                                       kMargin, kColumnWidth - kMargin, kLabelHeight, window_, nullptr,
                                       nullptr, nullptr));
      return true;
    }
    for (std::size_t i = 0; i < controls_.size(); ++i) {
      const VolumeControlInfo& c = controls_[i];
      const int x = left + static_cast<int>(i) * kColumnWidth;
      children_.push_back(CreateWindow(WC_STATIC, c.name.c_str(), WS_CHILD | WS_VISIBLE | SS_CENTER, x,
                                       kMargin, kColumnWidth - kMargin, kLabelHeight, window_, nullptr,
                                       nullptr, nullptr));
      HWND fader = CreateWindow(
          TRACKBAR_CLASS, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBS_VERT | TBS_BOTH,
          x + (kColumnWidth - kMargin) / 2 - 14, kMargin + kLabelHeight, 28, kFaderHeight, window_,
          reinterpret_cast<HMENU>(static_cast<LONG_PTR>(kFirstFaderId + i)), nullptr, nullptr);
      SendMessage(fader, TBM_SETRANGEMIN, FALSE, c.minimum);
      SendMessage(fader, TBM_SETRANGEMAX, FALSE, c.maximum);
      SendMessage(fader, TBM_SETPOS, TRUE, c.maximum + c.minimum - c.value);
      children_.push_back(fader);
    }
    return true;
  }

  std::atomic<ULONG> refs_{1};
  std::unique_ptr<VolumeMixer> mixer_;
  HWND window_ = nullptr;
  std::vector<HWND> children_;
  std::vector<VolumeControlInfo> controls_;
  LONG device_ = -1;
  bool input_ = false;
  int starts_ = 0;
};

LRESULT VolumeWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* server = reinterpret_cast<VolumeServerObject*>(GetWindowLongPtr(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_VSCROLL:
      if (server != nullptr && lParam != 0) server->OnFader(reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_CLOSE:
      ShowWindow(hwnd, SW_HIDE);  // the program hides and shows it; only the server ends it
      return 0;
    case WM_DESTROY:
      if (server != nullptr && server->Window() == hwnd) server->WindowDestroyed();
      return 0;
    default:
      return DefWindowProc(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

// ---------------------------------------------------------------- the virtual mixer

std::vector<VirtualVolumeMixer::Entry>& VirtualVolumeMixer::Of(LONG device) {
  const bool known =
      std::any_of(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.device == device; });
  if (!known) {
    entries_.push_back({device, false, {"Master", 0, 100, 80}});
    entries_.push_back({device, false, {"PCM", 0, 100, 75}});
    entries_.push_back({device, true, {"Capture", 0, 100, 60}});
  }
  return entries_;
}

std::vector<VolumeControlInfo> VirtualVolumeMixer::Controls(LONG device, bool input) {
  std::vector<VolumeControlInfo> out;
  for (const Entry& e : Of(device))
    if (e.device == device && e.input == input) out.push_back(e.control);
  return out;
}

bool VirtualVolumeMixer::SetValue(LONG device, bool input, const std::string& name, long value) {
  for (Entry& e : Of(device)) {
    if (e.device != device || e.input != input || e.control.name != name) continue;
    e.control.value = std::clamp(value, e.control.minimum, e.control.maximum);
    return true;
  }
  return false;
}

long VirtualVolumeMixer::Value(LONG device, bool input, const std::string& name) {
  for (const Entry& e : Of(device))
    if (e.device == device && e.input == input && e.control.name == name) return e.control.value;
  return -1;
}

// ---------------------------------------------------------------- making one

HRESULT CreateVolumeServer(std::unique_ptr<VolumeMixer> mixer, IVolumeServer** server) {
  if (server == nullptr) return E_POINTER;
  *server = nullptr;
  if (!mixer) {
    const char* audio = std::getenv("KOBRIX_AUDIO");
    if (audio != nullptr && std::strcmp(audio, "virtual") == 0)
      mixer = std::make_unique<VirtualVolumeMixer>();
    else
      mixer = MakeAlsaVolumeMixer();
  }
  if (!mixer) return E_FAIL;
  *server = new VolumeServerObject(std::move(mixer));
  return S_OK;
}

HWND VolumeServerWindow(IVolumeServer* server) {
  return server != nullptr ? static_cast<VolumeServerObject*>(server)->Window() : nullptr;
}

int VolumeServerStarts(IVolumeServer* server) {
  return server != nullptr ? static_cast<VolumeServerObject*>(server)->Starts() : 0;
}
