#include "audio/mixer_dialog.h"

#include <algorithm>

#include "audio/peak_meters.h"
#include "model/ini.h"
#include "model/levels.h"
#include "resources/audio_tool_ids.h"
#include "resources/slider_thumb_ids.h"
#include "ui/label_control.h"
#include "ui/numeric_edits.h"
#include "ui/owner_window.h"
#include "ui/value_sliders.h"

namespace {

constexpr int kSliderInset = 2;
constexpr int kPanTicks = 100;
constexpr int kVolumeTicks = 12;
constexpr int kScreenMargin = 10;
constexpr const char* kSection = "Mixer";

int TopDb() {
  return GainToDb(kGainCount - 1);
}
int BottomDb() {
  return GainToDb(0);
}

}  // namespace

// clang-format off
DEFINE_RESPONSE_TABLE1(MixerDialog, TEDialog)
  EV_MESSAGE(kMixerNotice, EvNotice),
  EV_COMMAND(IDOK, CmPlay),
  EV_MESSAGE(kPlayKey, EvPlayKey),
  EV_COMMAND(kMixRewind, CmRewind),
  EV_MESSAGE(kWKey, EvWKey),
  EV_COMMAND(IDCANCEL, CmClose),
  EV_WM_SYSCOMMAND,
  EV_COMMAND(kMixVolumeSlider, EvVolumeSlider),
  EV_COMMAND(kMixPanSlider, EvPanSlider),
  EV_MESSAGE(kNumberChanged, EvNumberChanged),
  EV_COMMAND(kMeterSwitch, CmMeterSwitch),
  EV_MESSAGE(WM_ACTIVATE, EvActivate),
END_RESPONSE_TABLE;
// clang-format on

MixerDialog::MixerDialog(TWindow* parent, bool /*faders*/, bool onTop_, MixerHost* host_)
    : TEDialog(parent, kMixerDialog), host(host_), onTop(onTop_) {
  // Only the master strip is shown, whatever the caller asked for.
  const int32_t gain = host != nullptr ? host->MasterVolume() : kGainUnity;
  const int32_t pan = host != nullptr ? host->MasterPan() : 0;
  volumeSlider =
      new TEVSlider(this, kMixVolumeSlider, -kMixVolumeEdit, GainToDb(std::clamp(gain, 0, kGainCount - 1)),
                    TopDb(), BottomDb(), kMasterFaderThumb);
  panSlider =
      new TEHSlider(this, kMixPanSlider, -kMixPanEdit, Scale256To100(std::clamp(pan, -256, 256)), -100, 100);
  volumeEdit = new TIntEdit(this, kMixVolumeEdit, BottomDb(), TopDb());
  panEdit = new TIntEdit(this, kMixPanEdit, -100, 100);
  meter.left = new TLevelControl(this, &meter, kMeterLeft, true);
  meter.right = new TLevelControl(this, &meter, kMeterRight, true);
  meter.label = new TLabelControl(this, kMeterScale, meter.right, true);
}

MixerDialog::~MixerDialog() = default;

HWND MixerDialog::Owner() const {
  return Parent != nullptr ? Parent->GetHandle() : nullptr;
}

void MixerDialog::PostToOwner(UINT msg, WPARAM wp, LPARAM lp) {
  if (HWND owner = Owner()) ::PostMessage(owner, msg, wp, lp);
}

void MixerDialog::SetupWindow() {
  TEDialog::SetupWindow();

  // The stored place is that of the "Master" group, kept on the screen.
  RECT own{}, group{};
  ::GetWindowRect(HWindow, &own);
  if (HWND g = GetDlgItem(kMixMasterGroup)) ::GetWindowRect(g, &group);
  const int dx = group.left - own.left, dy = group.top - own.top;
  IniSetSection(kSection);
  // The first time it goes to the screen's bottom right corner, clear of
  // the time line's lines.
  const int first_x = GetSystemMetrics(SM_CXSCREEN) - (own.right - own.left) + dx;
  const int first_y = GetSystemMetrics(SM_CYSCREEN) - (own.bottom - own.top) + dy;
  int x = IniReadInt("XPos", first_x);
  int y = IniReadInt("YPos", first_y);
  x = std::clamp(x, 0, std::max(0, GetSystemMetrics(SM_CXSCREEN) - kScreenMargin));
  y = std::clamp(y, 0, std::max(0, GetSystemMetrics(SM_CYSCREEN) - kScreenMargin));
  if (onTop) ::SetWindowLong(HWindow, GWL_EXSTYLE, ::GetWindowLong(HWindow, GWL_EXSTYLE) | WS_EX_TOPMOST);
  ::SetWindowPos(HWindow, onTop ? HWND_TOPMOST : nullptr, x - dx, y - dy, 0, 0,
                 SWP_NOSIZE | SWP_NOACTIVATE | (onTop ? 0 : SWP_NOZORDER));

  const bool playing = host != nullptr && host->IsPlaying();
  ShowPlayState(playing, playing || (host != nullptr && host->CommandsEnabled()));

  if (HMENU system = ::GetSystemMenu(HWindow, FALSE)) {
    ::AppendMenu(system, MF_SEPARATOR, 0, nullptr);
    ::AppendMenu(system, MF_STRING, kMixSettingsCommand, "Settings...");
  }

  auto lay = [this](TWindow* slider, int place) { PlaceOverItem(*this, *slider, place, kSliderInset); };
  lay(panSlider, kMixPanPlace);
  lay(volumeSlider, kMixVolumePlace);
  panSlider->SetRuler(kPanTicks);
  volumeSlider->SetRuler(kVolumeTicks);

  meter.off = host != nullptr && host->MetersOff();
  ::CheckDlgButton(HWindow, kMeterSwitch, meter.off ? BST_UNCHECKED : BST_CHECKED);
  ClearPeakMeters(&meter);
  ::CheckDlgButton(HWindow, kMixFaders, BST_UNCHECKED);
  ::EnableWindow(GetDlgItem(kMixFaders), FALSE);

  ::SendMessage(HWindow, kMixerNotice, 8, host != nullptr ? host->AudioLineCount() : 0);
}

void MixerDialog::CleanupWindow() {
  RECT own{}, group{};
  ::GetWindowRect(HWindow, &own);
  if (HWND g = GetDlgItem(kMixMasterGroup)) ::GetWindowRect(g, &group);
  IniSetSection(kSection);
  IniWriteInt("XPos", group.left);
  IniWriteInt("YPos", group.top);
  IniFlush();
  TEDialog::CleanupWindow();
}

void MixerDialog::ShowValues() {
  if (host == nullptr) return;
  const int pan = Scale256To100(std::clamp(host->MasterPan(), -256, 256));
  const int db = GainToDb(std::clamp(host->MasterVolume(), 0, kGainCount - 1));
  panSlider->SetValue(pan, true);
  panEdit->SetValue(pan, true);
  volumeSlider->SetValue(db, true);
  volumeEdit->SetValue(db, true);
}

void MixerDialog::ShowPlayState(bool playing, bool enabled) {
  HWND button = GetDlgItem(IDOK);
  if (button == nullptr) return;
  ::SetWindowText(button, playing ? "Stop" : "Play");
  ::EnableWindow(button, enabled ? TRUE : FALSE);
}

LRESULT MixerDialog::EvNotice(WPARAM code, LPARAM arg) {
  switch (code) {
    case 0:
    case 7:
      ShowValues();
      return 1;
    case 5:
      ::ShowWindow(HWindow, SW_RESTORE);
      ::SetFocus(volumeSlider->GetHandle());
      return 1;
    case 8:
      lineCount = static_cast<int32_t>(arg);
      ShowValues();
      return 1;
    case 9:
      ShowPlayState(true, true);
      return 1;
    case 10:
      ShowPlayState(false, host != nullptr && host->CommandsEnabled());
      return 1;
    case 11:
      ::EnableWindow(GetDlgItem(IDOK), arg != 0 ? TRUE : FALSE);
      return 1;
    case 18:
      for (TWindow* w : {static_cast<TWindow*>(meter.left), static_cast<TWindow*>(meter.right),
                         static_cast<TWindow*>(meter.label)})
        if (w != nullptr && w->GetHandle() != nullptr) ::InvalidateRect(w->GetHandle(), nullptr, FALSE);
      return 1;
    case 1:
    case 2:
    case 4:
    case 6:
    case 12:
    case 13:
    case 14:
    case 15:
    case 16:
    case 17:
      return 1;
    default:
      return 0;
  }
}

void MixerDialog::CmPlay() {
  // Return in a value field reaches the dialog as its default button: it
  // takes the value there and plays nothing.
  const HWND focus = ::GetFocus();
  for (TIntEdit* edit : {volumeEdit, panEdit}) {
    if (edit != nullptr && focus != nullptr && focus == edit->GetHandle()) {
      EvNumberChanged(static_cast<WPARAM>(edit->GetId()), 0);
      return;
    }
  }
  PostToOwner(WM_COMMAND, kMixerCmdPlay, 0);
}

LRESULT MixerDialog::EvPlayKey(WPARAM, LPARAM) {
  PostToOwner(WM_COMMAND, kMixerCmdPlay, 0);
  return 0;
}

void MixerDialog::CmRewind() {
  if (HWND owner = Owner()) ::SendMessage(owner, WM_COMMAND, kMixerCmdRewind, 0);
  ::SetFocus(HWindow);
}

LRESULT MixerDialog::EvWKey(WPARAM, LPARAM) {
  CmRewind();
  return 0;
}

void MixerDialog::CmClose() {
  PostToOwner(WM_COMMAND, kMixerCmdClose, 0);
}

void MixerDialog::EvSysCommand(UINT cmd, const TPoint&) {
  if ((cmd & 0xFFF0) == SC_CLOSE) {
    CmClose();
    return;
  }
  if (cmd == kMixSettingsCommand) {
    PostToOwner(kMixerNotice, kMixerAskSettings, 4);
    return;
  }
  DefaultProcessing();
}

void MixerDialog::VolumeChanged(int db) {
  if (host == nullptr) return;
  const int32_t current = host->MasterVolume();
  // The value already shown (also typed again) is no change.
  if (db == GainToDb(std::clamp(current, 0, kGainCount - 1))) return;
  const int32_t gain = DbToGain(db);
  if (gain == current) return;
  if (undoMarker != 1) {
    if (HWND owner = Owner()) ::SendMessage(owner, kMixerNotice, kMixerAskUndo, 0);
    undoMarker = 1;
  }
  host->SetMasterVolume(gain);
  host->ResetChangedRanges();
  host->UpdateEngineMix(-1);
  host->RepaintAudioLines();
}

void MixerDialog::PanChanged(int percent) {
  if (host == nullptr) return;
  const int32_t current = host->MasterPan();
  if (percent == Scale256To100(std::clamp(current, -256, 256))) return;
  const int32_t pan = PercentTo256(percent);
  if (pan == current) return;
  if (undoMarker != -1) {
    if (HWND owner = Owner()) ::SendMessage(owner, kMixerNotice, kMixerAskUndo, 0);
    undoMarker = -1;
  }
  host->SetMasterPan(pan);
  host->ResetChangedRanges();
  host->UpdateEngineMix(-1);
  host->RepaintAudioLines();
}

void MixerDialog::EvVolumeSlider() {
  VolumeChanged(volumeSlider->GetValue());
}

void MixerDialog::EvPanSlider() {
  PanChanged(panSlider->GetValue());
}

LRESULT MixerDialog::EvNumberChanged(WPARAM id, LPARAM) {
  if (id == static_cast<WPARAM>(kMixVolumeEdit)) {
    const int db = volumeEdit->GetValue();
    volumeSlider->SetValue(db);
    VolumeChanged(db);
  } else if (id == static_cast<WPARAM>(kMixPanEdit)) {
    const int percent = panEdit->GetValue();
    panSlider->SetValue(percent);
    PanChanged(percent);
  }
  return 0;
}

void MixerDialog::CmMeterSwitch() {
  const bool off = ::IsDlgButtonChecked(HWindow, kMeterSwitch) != BST_CHECKED;
  if (host != nullptr) host->SetMetersOff(off);
  // The engine's command thread reads the switch as it feeds the meters.
  if (TheAudioPlayer != nullptr) EnterCriticalSection(&TheAudioPlayer->StateLock());
  meter.off = off;
  if (TheAudioPlayer != nullptr) LeaveCriticalSection(&TheAudioPlayer->StateLock());
  ClearPeakMeters(&meter);
  EvNotice(18, 0);
}

LRESULT MixerDialog::EvActivate(WPARAM, LPARAM) {
  const LRESULT result = DefaultProcessing();
  undoMarker = 0;
  return result;
}

// ---------------------------------------------------------------- the engine's view

MixerWindow::MixerWindow(HWND owner, bool faders, bool onTop, MixerHost* host)
    : owner_(std::make_unique<OwnerWindow>(owner)),
      dialog_(std::make_unique<MixerDialog>(owner_->Get(), faders, onTop, host)) {
  if (dialog_->Create()) {
    ::ShowWindow(dialog_->GetHandle(), SW_SHOWNA);
    handle_ = dialog_->GetHandle();
  }
}

MixerWindow::~MixerWindow() {
  CloseWindow();
  dialog_.reset();
}

bool MixerWindow::IsWindowValid() {
  HWND h = handle_.load();
  return h != nullptr && ::IsWindow(h);
}

LRESULT MixerWindow::Notify(WPARAM code, LPARAM arg) {
  HWND h = handle_.load();
  return h != nullptr ? ::SendMessage(h, kMixerNotice, code, arg) : 0;
}

void MixerWindow::CloseWindow() {
  HWND h = handle_.exchange(nullptr);
  if (h != nullptr && ::IsWindow(h)) dialog_->Destroy(IDCANCEL);
}

void MixerWindow::UpdatePeakMeters(const void* data, DWORD bytes, int sampleType, int channels) {
  ::UpdatePeakMeters(&dialog_->Meter(), data, bytes, sampleType, channels);
}

void MixerWindow::ClearMeters() {
  ClearPeakMeters(&dialog_->Meter());
}

MixerNotices* MakeMixerDialog(HWND parent, bool faders, bool onTop) {
  MixerHost* host = AudioPlayer::GetMixerHost();
  if (host == nullptr) return nullptr;
  auto* window = new MixerWindow(parent, faders, onTop, host);
  if (!window->IsWindowValid()) {
    delete window;
    return nullptr;
  }
  return window;
}
