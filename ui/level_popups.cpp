#include "ui/level_popups.h"

#include <algorithm>

#include "model/levels.h"
#include "resources/slider_thumb_ids.h"
#include "resources/value_dialog_ids.h"
#include "ui/numeric_edits.h"
#include "ui/owner_window.h"
#include "ui/value_sliders.h"

namespace {

constexpr int kSliderInset = 2;
constexpr int kFaderTicks = 12;
constexpr int kBalanceTicks = 50;

}  // namespace

int32_t PercentToGain(int32_t percent) {
  // 400 % would be 2048, one past the top of the range: the project reader
  // refuses such a gain.
  const int64_t gain = (static_cast<int64_t>(std::clamp(percent, 0, 400)) * 512 + 49) / 100;
  return static_cast<int32_t>(std::min<int64_t>(gain, kGainCount - 1));
}

int32_t GainToPercent(int32_t gain) {
  return (std::clamp(gain, 0, kGainCount - 1) * 100 + 256) / 512;
}

// clang-format off
DEFINE_RESPONSE_TABLE1(TLevelPopup, TEDialog)
  EV_COMMAND(kLevelSlider, EvFader),
  EV_COMMAND(kBalanceSlider, EvBalanceSlider),
  EV_MESSAGE(kNumberChanged, EvNumberChanged),
  EV_COMMAND(IDCANCEL, CmCancel),
END_RESPONSE_TABLE;
// clang-format on

TLevelPopup::TLevelPopup(TWindow* parent, int resId, const char* caption_, const RECT& rect_, int x_, int y_,
                         int32_t* gain_, int32_t* gain2_, int32_t* balance_, int32_t* balance2_)
    : TEDialog(parent, resId),
      caption(caption_ != nullptr ? caption_ : ""),
      rect(rect_),
      x(x_),
      y(y_),
      gain(gain_),
      gain2(gain2_),
      balance(balance_),
      balance2(balance2_) {
  if (gain != nullptr) {
    openingGain = *gain;
    const int top = GainToDb(kGainCount - 1), bottom = GainToDb(0);
    // The fader writes the dB field only for the user's moves, so that a
    // number being typed there is never rewritten under the caret.
    fader = new TEVSlider(this, kLevelSlider, -kLevelDb, GainToDb(openingGain), top, bottom, kVSliderThumb);
    dbEdit = new TIntEdit(this, kLevelDb, bottom, top);
    percentEdit = new TIntEdit(this, kLevelPercent, 0, 400);
  }
  if (balance != nullptr) {
    openingBalance = *balance;
    balanceSlider = new TEHSlider(this, kBalanceSlider, -kBalancePercent,
                                  Scale256To100(std::clamp(openingBalance, -256, 256)), -100, 100);
    balanceEdit = new TIntEdit(this, kBalancePercent, -100, 100);
  }
}

void TLevelPopup::SetupWindow() {
  TEDialog::SetupWindow();
  if (!caption.empty()) ::SetWindowText(HWindow, caption.c_str());

  // At the point in the parent, kept on the screen from top to bottom.
  const TRect own = GetWindowRect();
  POINT at{x, y};
  if (Parent != nullptr && Parent->GetHandle() != nullptr) ::ClientToScreen(Parent->GetHandle(), &at);
  if (fader != nullptr && balanceSlider != nullptr) at.y -= own.Height() / 2;
  const int screen = GetSystemMetrics(SM_CYSCREEN);
  if (at.y + own.Height() > screen)
    at.y = screen - own.Height();
  else if (at.y < 0)
    at.y = 0;
  ::SetWindowPos(HWindow, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

  // Each slider over its place in the template.
  auto lay = [this](TWindow* slider, int place) { PlaceOverItem(*this, *slider, place, kSliderInset); };
  if (fader != nullptr) {
    lay(fader, kLevelPlace);
    fader->SetRuler(kFaderTicks);
    fader->SetValue(GainToDb(openingGain), true);
    percentEdit->SetValue(GainToPercent(openingGain), true);
  }
  if (balanceSlider != nullptr) {
    lay(balanceSlider, kBalancePlace);
    balanceSlider->SetRuler(kBalanceTicks);
    balanceSlider->SetValue(Scale256To100(std::clamp(openingBalance, -256, 256)), true);
  }
}

void TLevelPopup::Repaint() {
  if (Parent != nullptr && Parent->GetHandle() != nullptr)
    ::InvalidateRect(Parent->GetHandle(), &rect, FALSE);
}

void TLevelPopup::StoreGain(int32_t value) {
  if (gain != nullptr) *gain = value;
  if (gain2 != nullptr) *gain2 = value;
  Repaint();
}

void TLevelPopup::StoreBalance(int32_t value) {
  if (balance != nullptr) *balance = value;
  if (balance2 != nullptr) *balance2 = value;
  Repaint();
}

void TLevelPopup::EvFader() {
  if (fader == nullptr) return;
  const int32_t g = DbToGain(fader->GetValue());
  StoreGain(g);
  percentEdit->SetValue(GainToPercent(g), true);
}

void TLevelPopup::EvBalanceSlider() {
  if (balanceSlider == nullptr) return;
  StoreBalance(PercentTo256(balanceSlider->GetValue()));
}

LRESULT TLevelPopup::EvNumberChanged(WPARAM id, LPARAM) {
  switch (static_cast<int>(id)) {
    case kLevelDb:
      if (dbEdit != nullptr) {
        const int db = dbEdit->GetValue();
        const int32_t g = DbToGain(db);
        StoreGain(g);
        fader->SetValue(db);
        percentEdit->SetValue(GainToPercent(g), true);
      }
      break;
    case kLevelPercent:
      if (percentEdit != nullptr) {
        const int32_t g = PercentToGain(percentEdit->GetValue());
        StoreGain(g);
        const int db = GainToDb(g);
        fader->SetValue(db);
        dbEdit->SetValue(db, true);
      }
      break;
    case kBalancePercent:
      if (balanceEdit != nullptr) {
        const int percent = balanceEdit->GetValue();
        StoreBalance(PercentTo256(percent));
        balanceSlider->SetValue(percent);
      }
      break;
    default:
      break;
  }
  return 0;
}

void TLevelPopup::CmCancel() {
  if (gain != nullptr) *gain = openingGain;
  if (gain2 != nullptr) *gain2 = openingGain;
  if (balance != nullptr) *balance = openingBalance;
  if (balance2 != nullptr) *balance2 = openingBalance;
  Repaint();
  TEDialog::CmCancel();
}

SetLevelDialog::SetLevelDialog(TWindow* parent, const char* caption, const RECT& rect, int x, int y,
                               int32_t* gain, int32_t* gain2)
    : TLevelPopup(parent, kSetLevelDialog, caption, rect, x, y, gain, gain2, nullptr, nullptr) {}

SetBalanceDialog::SetBalanceDialog(TWindow* parent, const char* caption, const RECT& rect, int x, int y,
                                   int32_t* balance, int32_t* balance2)
    : TLevelPopup(parent, kSetBalanceDialog, caption, rect, x, y, nullptr, nullptr, balance, balance2) {}

SetVolumeBalanceDialog::SetVolumeBalanceDialog(TWindow* parent, const char* caption, const RECT& rect, int x,
                                               int y, int32_t* gain, int32_t* balance)
    : TLevelPopup(parent, kSetVolumeBalanceDialog, caption, rect, x, y, gain, nullptr, balance, nullptr) {}

namespace {

template <class Popup, class... Args>
bool Run(HWND parent, Args... args) {
  OwnerWindow owner(parent);
  Popup popup(owner.Get(), args...);
  return popup.Execute() == IDOK;
}

}  // namespace

bool RunSetLevelDialog(HWND parent, const char* caption, const RECT& rect, int x, int y, int32_t* gain,
                       int32_t* gain2) {
  return Run<SetLevelDialog>(parent, caption, rect, x, y, gain, gain2);
}

bool RunSetBalanceDialog(HWND parent, const char* caption, const RECT& rect, int x, int y, int32_t* balance,
                         int32_t* balance2) {
  return Run<SetBalanceDialog>(parent, caption, rect, x, y, balance, balance2);
}

bool RunSetVolumeBalanceDialog(HWND parent, const char* caption, const RECT& rect, int x, int y,
                               int32_t* gain, int32_t* balance) {
  return Run<SetVolumeBalanceDialog>(parent, caption, rect, x, y, gain, balance);
}
