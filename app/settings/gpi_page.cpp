#include "app/settings/gpi_page.h"

#include <string>

#include "app/settings/settings_host.h"
#include "model/message_box.h"
#include "model/time_code.h"
#include "model/ui_strings.h"
#include "ui/time_code_edit.h"
#include "video/wait_dialog.h"

// clang-format off
DEFINE_RESPONSE_TABLE1(GPIDialog, TEPropertyPage)
  EV_EN_CHANGE(kGpiTimeout, Changed),
  EV_BN_CLICKED(kGpiOpen, Changed),
  EV_BN_CLICKED(kGpiOpen + 1, Changed),
  EV_BN_CLICKED(kGpiOpen + 2, Changed),
  EV_BN_CLICKED(kGpiOpen + 3, Changed),
  EV_BN_CLICKED(kGpiInput, Changed),
  EV_BN_CLICKED(kGpiInput + 1, Changed),
  EV_BN_CLICKED(kGpiInput + 2, Changed),
  EV_BN_CLICKED(kGpiInput + 3, Changed),
END_RESPONSE_TABLE;
// clang-format on

GPIDialog::GPIDialog(TPropertySheet* sheet, int* pageIndexVariable)
    : TEPropertyPage(sheet, kGpiDialog, pageIndexVariable),
      timeout(new TimeCodeEdit(this, kGpiTimeout, GpiTimeout, 0, kDayMs)) {}

void GPIDialog::SetupWindow() {
  TEPropertyPage::SetupWindow();
  SettingsHost& host = CurrentSettingsHost();
  for (int n = 0; n < kGpiLines; ++n) {
    std::string name;
    bool open = false, input = false;
    available[n] = host.GetGpiSettings(n, name, open, input);
    ::SetDlgItemText(HWindow, kGpiName + n, name.c_str());
    ::EnableWindow(GetDlgItem(kGpiName + n), available[n]);
    ::CheckDlgButton(HWindow, kGpiOpen + n, open ? BST_CHECKED : BST_UNCHECKED);
    ::EnableWindow(GetDlgItem(kGpiOpen + n), available[n]);
    ::CheckDlgButton(HWindow, kGpiInput + n, input ? BST_CHECKED : BST_UNCHECKED);
    ::EnableWindow(GetDlgItem(kGpiInput + n), FALSE);
  }
  const int unit = ProjectTimeFormat() == kTimeFormatMs ? ui_string::kMsUnit : ui_string::kFrameUnit;
  ::SetDlgItemText(HWindow, kGpiTimeoutUnit, GetString(unit));
}

void GPIDialog::Changed() {
  PageChanged();
}

int GPIDialog::Apply(PSHNOTIFY& notify) {
  SettingsHost& host = CurrentSettingsHost();
  GpiTimeout = timeout->GetValue(true);
  bool refused = false;
  for (int n = 0; n < kGpiLines; ++n) {
    if (!available[n]) continue;
    const bool open = ::IsDlgButtonChecked(HWindow, kGpiOpen + n) == BST_CHECKED;
    const bool input = ::IsDlgButtonChecked(HWindow, kGpiInput + n) == BST_CHECKED;
    if (!host.SetGpiSettings(n, open, input)) {
      ::SetFocus(GetDlgItem(kGpiOpen + n));
      refused = true;
    }
  }
  if (refused) {
    // The sheet stays on this page, the refused line's box in focus.
    CurrentMessageBoxPresenter().Beep(static_cast<UINT>(-1));
    return PSNRET_INVALID_NOCHANGEPAGE;
  }
  return TEPropertyPage::Apply(notify);
}
