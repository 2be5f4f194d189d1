#include "platform/components/effects/common/effect_component.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "platform/gui/controls/edit.h"
#include "platform/gui/controls/static.h"
#include "platform/gui/controls/trackbar.h"

namespace {
std::atomic<long> live_objects{0};
std::atomic<long> module_locks{0};
std::atomic<const KobrixWindowServices*> window_services{nullptr};
}  // namespace

// The program calls this right after loading the module.
KOBRIX_MODULE_EXPORT void KobrixSetWindowServices(const KobrixWindowServices* services) {
  const bool usable = services != nullptr && services->size >= sizeof(KobrixWindowServices) &&
                      services->version >= kWindowServicesVersion;
  window_services = usable ? services : nullptr;
}

const KobrixWindowServices* ModuleWindowServices() {
  return window_services;
}

void ModuleObjectCreated() {
  ++live_objects;
}
void ModuleObjectDestroyed() {
  --live_objects;
}
void ModuleLock(bool lock) {
  if (lock)
    ++module_locks;
  else
    --module_locks;
}
HRESULT ModuleCanUnloadNow() {
  return live_objects == 0 && module_locks == 0 ? S_OK : S_FALSE;
}

EffectComponent::EffectComponent() {
  ModuleObjectCreated();
}

EffectComponent::~EffectComponent() {
  if (settings_) settings_->Close();
  ModuleObjectDestroyed();
}

HRESULT EffectComponent::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IAudioEffect)) {
    *object = static_cast<IAudioEffect*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG EffectComponent::AddRef() {
  return ++references_;
}

ULONG EffectComponent::Release() {
  ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

BOOL EffectComponent::Initialize() {
  std::lock_guard<std::mutex> hold(lock_);
  Configure();
  ClearMemory();
  return TRUE;
}

HWND EffectComponent::ShowSettings(HWND parent) {
  if (!settings_) settings_ = CreateSettingsWindow();
  return settings_ ? settings_->Show(parent) : nullptr;
}

BOOL EffectComponent::HasSettings() {
  if (settings_) return TRUE;
  // Cheap: without the program's window functions nothing is made, and the
  // window itself opens only with ShowSettings.
  settings_ = CreateSettingsWindow();
  return settings_ != nullptr;
}

HRESULT EffectComponent::CloseSettings() {
  if (settings_) settings_->Close();
  return S_OK;
}

HRESULT EffectComponent::SetFormat(DWORD sampleRate, DWORD channels) {
  if (sampleRate < kMinRate || sampleRate > kMaxRate || channels < 1 || channels > kMaxChannels)
    return E_INVALIDARG;
  std::lock_guard<std::mutex> hold(lock_);
  if (sampleRate == rate_ && channels == channels_) return S_OK;
  rate_ = sampleRate;
  channels_ = channels;
  Configure();
  return S_OK;
}

HRESULT EffectComponent::SetQuality(LONG level) {
  std::lock_guard<std::mutex> hold(lock_);
  quality_ = level;
  return S_OK;
}

HRESULT EffectComponent::Process(SampleBlock* sampleBlock) {
  if (sampleBlock == nullptr) return E_POINTER;
  EffectBlock* block = EffectBlockOf(sampleBlock);
  if (bypassed_) return S_FALSE;
  LONG frames = block->held;
  if (block->capacity > 0 && frames > block->capacity) frames = block->capacity;
  if (frames <= 0) return S_OK;
  if (block->data == nullptr) return E_POINTER;
  // Only float blocks: 32 bits per sample (or a block that does not say).
  if (block->format.wBitsPerSample != 0 && block->format.wBitsPerSample != 32) return E_INVALIDARG;
  DWORD channels = block->format.nChannels != 0 ? block->format.nChannels : channels_;
  DWORD rate = block->format.nSamplesPerSec != 0 ? block->format.nSamplesPerSec : rate_;
  if (channels > kMaxChannels || rate < kMinRate || rate > kMaxRate) return E_INVALIDARG;

  std::lock_guard<std::mutex> hold(lock_);
  // The block is the truth about its own layout.
  if (channels != channels_ || rate != rate_) {
    channels_ = channels;
    rate_ = rate;
    Configure();
  }
  ProcessFrames(static_cast<float*>(block->data), frames);
  return S_OK;
}

HRESULT EffectComponent::Reset() {
  std::lock_guard<std::mutex> hold(lock_);
  ClearMemory();
  return S_OK;
}

HRESULT EffectComponent::SetId(DWORD id) {
  id_ = id;
  return S_OK;
}

DWORD EffectComponent::GetId() {
  return id_;
}

HRESULT EffectComponent::SetBypass(BOOL bypass) {
  bypassed_ = bypass != FALSE;
  return S_OK;
}

BOOL EffectComponent::IsBypassed() {
  return bypassed_ ? TRUE : FALSE;
}

LONG EffectComponent::GetStateSize(DWORD) {
  std::lock_guard<std::mutex> hold(lock_);
  return StateSize();
}

BOOL EffectComponent::SaveState(LPVOID buffer, LONG size) {
  std::lock_guard<std::mutex> hold(lock_);
  if (buffer == nullptr || size != StateSize()) return FALSE;
  EncodeState(static_cast<BYTE*>(buffer));
  return TRUE;
}

BOOL EffectComponent::LoadState(LPCVOID buffer, LONG size) {
  if (buffer == nullptr || size <= 0) return FALSE;
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (!DecodeState(static_cast<const BYTE*>(buffer), size)) return FALSE;
    Configure();
  }
  if (settings_) settings_->Refresh();
  return TRUE;
}

float EffectComponent::ReadSetting(const float* setting) {
  std::lock_guard<std::mutex> hold(lock_);
  return *setting;
}

void EffectComponent::ChangeSetting(float* setting, float value) {
  std::lock_guard<std::mutex> hold(lock_);
  *setting = value;
  Configure();
}

// ---- The settings window ----

namespace {

constexpr int kMargin = 8;
constexpr int kRowHeight = 30;
constexpr int kLabelWidth = 96;
constexpr int kTrackWidth = 170;
constexpr int kTrackHeight = 24;
constexpr int kEditWidth = 64;
constexpr int kEditHeight = 20;
constexpr int kGap = 6;
constexpr int kClientWidth = kMargin + kLabelWidth + kGap + kTrackWidth + kGap + kEditWidth + kMargin;
constexpr int kTrackId = 100;
constexpr int kEditId = 200;
constexpr int kLabelId = 300;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
// A control parent: Tab and the arrows move between its controls.
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

// Whether this module's window class is registered (once per load).
bool class_registered = false;

float Clamp(const EffectSettingRow& row, float v) {
  return std::clamp(v, row.min, row.max);
}

float ValueAt(const EffectSettingRow& row, int pos) {
  const double t = static_cast<double>(pos) / row.steps;
  double v = row.logarithmic ? row.min * std::exp(std::log(static_cast<double>(row.max) / row.min) * t)
                             : row.min + (static_cast<double>(row.max) - row.min) * t;
  // What a move sets is what the edit shows.
  const double scale = std::pow(10.0, row.decimals);
  v = std::round(v * scale) / scale;
  return Clamp(row, static_cast<float>(v));
}

int PosOf(const EffectSettingRow& row, float value) {
  const double v = Clamp(row, value);
  const double t = row.logarithmic ? std::log(v / row.min) / std::log(static_cast<double>(row.max) / row.min)
                                   : (v - row.min) / (static_cast<double>(row.max) - row.min);
  return std::clamp(static_cast<int>(std::lround(t * row.steps)), 0, row.steps);
}

std::string Format(const EffectSettingRow& row, float value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", row.decimals, static_cast<double>(value));
  return text;
}

// A number and nothing else (blanks around it allowed).
bool Parse(const char* text, float* value) {
  char* end = nullptr;
  const float v = std::strtof(text, &end);
  if (end == text) return false;
  while (*end == ' ' || *end == '\t') ++end;
  if (*end != '\0' || !std::isfinite(v)) return false;
  *value = v;
  return true;
}

}  // namespace

class RowSettingsWindow final : public EffectSettingsWindow {
 public:
  RowSettingsWindow(EffectComponent* owner, const KobrixWindowServices* services, const char* className,
                    const char* title, std::vector<EffectSettingRow> rows)
      : owner_(owner), ws_(services), className_(className), title_(title), rows_(std::move(rows)) {}
  ~RowSettingsWindow() override { Close(); }

  HWND Show(HWND parent) override {
    if (hwnd_ != nullptr && parent != parent_) Close();
    if (hwnd_ == nullptr && !Create(parent)) return nullptr;
    ws_->showWindow(hwnd_, SW_SHOW);
    ws_->setWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return hwnd_;
  }

  void Close() override {
    if (hwnd_ == nullptr) return;
    HWND h = hwnd_;
    hwnd_ = nullptr;
    // The owner may be half destroyed already: messages from the dying
    // controls must not reach it.
    ws_->setWindowLongPtr(h, GWLP_USERDATA, 0);
    ws_->destroyWindow(h);
  }

  void Refresh() override {
    for (std::size_t i = 0; i < rows_.size(); ++i) ShowValue(static_cast<int>(i), true, true);
  }

 private:
  static LRESULT Proc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
    const KobrixWindowServices* ws = ModuleWindowServices();
    if (ws == nullptr) return 0;
    if (msg == WM_NCCREATE) {
      auto* cs = reinterpret_cast<const CREATESTRUCT*>(lParam);
      ws->setWindowLongPtr(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<RowSettingsWindow*>(ws->getWindowLongPtr(h, GWLP_USERDATA));
    if (self == nullptr) return ws->defWindowProc(h, msg, wParam, lParam);
    switch (msg) {
      case WM_CREATE:
        self->hwnd_ = h;
        return self->CreateRows() ? 0 : -1;
      case WM_HSCROLL:
        self->Moved(reinterpret_cast<HWND>(lParam), LOWORD(wParam));
        return 0;
      case WM_COMMAND:
        self->Edited(LOWORD(wParam), HIWORD(wParam));
        return 0;
      case WM_CLOSE:
        self->Close();
        return 0;
      case WM_NCDESTROY:
        // Destroyed with its owner window.
        ws->setWindowLongPtr(h, GWLP_USERDATA, 0);
        if (self->hwnd_ == h) self->hwnd_ = nullptr;
        break;
    }
    return ws->defWindowProc(h, msg, wParam, lParam);
  }

  bool Register() {
    if (class_registered) return true;
    // A class of the same name left by an earlier load of this module would
    // call into code that is gone.
    ws_->unregisterClass(className_.c_str(), nullptr);
    WNDCLASS wc;
    wc.lpfnWndProc = Proc;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(COLOR_BTNFACE + 1));
    wc.lpszClassName = className_.c_str();
    class_registered = ws_->registerClass(&wc) != 0;
    return class_registered;
  }

  bool Create(HWND parent) {
    if (!Register()) return false;
    RECT frame{0, 0, kClientWidth, kMargin * 2 + kRowHeight * static_cast<int>(rows_.size()) - kGap};
    ws_->adjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    int x = 80, y = 80;
    RECT over;
    if (parent != nullptr && ws_->getWindowRect(parent, &over)) {
      x = over.left + (over.right - over.left - width) / 2;
      y = over.top + (over.bottom - over.top - height) / 2;
    }
    parent_ = parent;
    HWND h = ws_->createWindowEx(kExStyle, className_.c_str(), title_.c_str(), kStyle, x, y, width, height,
                                 parent, nullptr, nullptr, this);
    if (h == nullptr) {
      hwnd_ = nullptr;
      return false;
    }
    hwnd_ = h;
    return true;
  }

  bool CreateRows() {
    const HFONT font = ws_->dialogFont();
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      const EffectSettingRow& row = rows_[i];
      const int id = static_cast<int>(i);
      const int top = kMargin + kRowHeight * id;
      int x = kMargin;
      HWND label = ws_->createWindowEx(0, WC_STATIC, row.label, WS_CHILD | WS_VISIBLE | SS_LEFT, x, top + 3,
                                       kLabelWidth, kEditHeight - 4, hwnd_,
                                       reinterpret_cast<HMENU>(kLabelId + i), nullptr, nullptr);
      x += kLabelWidth + kGap;
      HWND track = ws_->createWindowEx(
          0, TRACKBAR_CLASS, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBS_HORZ | TBS_NOTICKS, x, top - 2,
          kTrackWidth, kTrackHeight, hwnd_, reinterpret_cast<HMENU>(kTrackId + i), nullptr, nullptr);
      x += kTrackWidth + kGap;
      HWND edit = ws_->createWindowEx(
          WS_EX_CLIENTEDGE, WC_EDIT, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, x,
          top, kEditWidth, kEditHeight, hwnd_, reinterpret_cast<HMENU>(kEditId + i), nullptr, nullptr);
      if (label == nullptr || track == nullptr || edit == nullptr) return false;
      for (HWND control : {label, track, edit})
        ws_->sendMessage(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
      ws_->sendMessage(track, TBM_SETRANGEMIN, FALSE, 0);
      ws_->sendMessage(track, TBM_SETRANGEMAX, FALSE, row.steps);
      ws_->sendMessage(track, TBM_SETLINESIZE, 0, 1);
      ws_->sendMessage(track, TBM_SETPAGESIZE, 0, std::max(1, row.steps / 10));
      ShowValue(id, true, true);
    }
    return true;
  }

  HWND Control(int base, int row) const { return ws_->getDlgItem(hwnd_, base + row); }

  // Puts the row's setting into its trackbar and/or edit.
  void ShowValue(int row, bool track, bool edit) {
    if (hwnd_ == nullptr) return;
    const float value = owner_->ReadSetting(rows_[row].value);
    if (track) ws_->sendMessage(Control(kTrackId, row), TBM_SETPOS, TRUE, PosOf(rows_[row], value));
    if (edit) {
      // Setting the text notifies a change like typing does.
      writing_ = true;
      ws_->setWindowText(Control(kEditId, row), Format(rows_[row], value).c_str());
      writing_ = false;
    }
  }

  void Change(int row, float value) {
    if (value == owner_->ReadSetting(rows_[row].value)) return;
    owner_->ChangeSetting(rows_[row].value, value);
    if (parent_ != nullptr)
      ws_->sendMessage(parent_, kEffectChangedMessage, 1, static_cast<LPARAM>(owner_->GetId()));
  }

  void Moved(HWND track, WORD code) {
    if (code == TB_ENDTRACK) return;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      const int row = static_cast<int>(i);
      if (Control(kTrackId, row) != track) continue;
      const int pos = static_cast<int>(ws_->sendMessage(track, TBM_GETPOS, 0, 0));
      Change(row, ValueAt(rows_[row], pos));
      ShowValue(row, false, true);
      return;
    }
  }

  void Edited(int id, WORD code) {
    const int row = id - kEditId;
    if (row < 0 || row >= static_cast<int>(rows_.size()) || writing_) return;
    if (code == EN_KILLFOCUS) {
      ShowValue(row, false, true);  // what was typed, as it was taken
      return;
    }
    if (code != EN_CHANGE) return;
    char text[64] = {};
    ws_->getWindowText(Control(kEditId, row), text, sizeof text);
    float value;
    if (!Parse(text, &value)) return;
    // The text stays as typed until the edit loses the focus.
    Change(row, Clamp(rows_[row], value));
    ShowValue(row, true, false);
  }

  EffectComponent* owner_;
  const KobrixWindowServices* ws_;
  std::string className_;
  std::string title_;
  std::vector<EffectSettingRow> rows_;
  HWND hwnd_ = nullptr;
  HWND parent_ = nullptr;
  bool writing_ = false;
};

std::unique_ptr<EffectSettingsWindow> MakeRowSettingsWindow(EffectComponent* owner, const char* className,
                                                            const char* title,
                                                            std::vector<EffectSettingRow> rows) {
  const KobrixWindowServices* services = ModuleWindowServices();
  if (services == nullptr) return nullptr;
  return std::unique_ptr<EffectSettingsWindow>(
      new (std::nothrow) RowSettingsWindow(owner, services, className, title, std::move(rows)));
}
