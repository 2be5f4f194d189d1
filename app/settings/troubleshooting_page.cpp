#include "app/settings/troubleshooting_page.h"

#include <algorithm>

#include "app/settings/settings_host.h"
#include "media/frame_decoder.h"
#include "resources/settings_dialog_ids.h"
#include "ui/numeric_edits.h"
#include "video/player.h"

namespace {

constexpr int kMaxDelay = 1000;

bool IsChecked(HWND page, int id) {
  return ::IsDlgButtonChecked(page, id) == BST_CHECKED;
}

void SetChecked(HWND page, int id, bool on) {
  ::CheckDlgButton(page, id, on ? BST_CHECKED : BST_UNCHECKED);
}

}  // namespace

// clang-format off
DEFINE_RESPONSE_TABLE1(TroubleshootingDialog, TEPropertyPage)
  EV_BN_CLICKED(kTroubleUseDelay, CmUseDelay),
  EV_BN_CLICKED(kTroubleReopenCodec, Changed),
  EV_BN_CLICKED(kTroubleDontOptimize, Changed),
END_RESPONSE_TABLE;
// clang-format on

TroubleshootingDialog::TroubleshootingDialog(TPropertySheet* sheet, int* pageIndexVariable)
    : TEPropertyPage(sheet, kTroubleDialog, pageIndexVariable) {
  SettingsHost& host = CurrentSettingsHost();
  host.GetRecorderDelay(delayOn, delay);
  if (VideoPlayer* player = host.Video()) {
    reopenCodec = player->autoCloseCodec;
    dontOptimize = player->dontOptimizeAudio;
  }
  delayEdit = new TIntEdit(this, kTroubleDelay, 0, kMaxDelay);
}

void TroubleshootingDialog::SetupWindow() {
  TEPropertyPage::SetupWindow();
  SetChecked(HWindow, kTroubleUseDelay, delayOn);
  delayEdit->SetValue(std::clamp(delay, 0, kMaxDelay), true);
  SetChecked(HWindow, kTroubleReopenCodec, reopenCodec);
  SetChecked(HWindow, kTroubleDontOptimize, dontOptimize);
  EnableDelay();
}

void TroubleshootingDialog::EnableDelay() {
  const bool on = IsChecked(HWindow, kTroubleUseDelay);
  for (int id : {kTroubleDelay, kTroubleDelayLabel, kTroubleDelayUnit}) ::EnableWindow(GetDlgItem(id), on);
}

void TroubleshootingDialog::Changed() {
  PageChanged();
}

void TroubleshootingDialog::CmUseDelay() {
  EnableDelay();
  PageChanged();
}

int TroubleshootingDialog::Apply(PSHNOTIFY& notify) {
  SettingsHost& host = CurrentSettingsHost();
  host.SetRecorderDelay(IsChecked(HWindow, kTroubleUseDelay), std::min(delayEdit->GetValue(), kMaxDelay));
  if (VideoPlayer* player = host.Video()) {
    player->dontOptimizeAudio = IsChecked(HWindow, kTroubleDontOptimize);
    const bool reopen = IsChecked(HWindow, kTroubleReopenCodec);
    if (reopen != player->autoCloseCodec) {
      player->autoCloseCodec = reopen;
      player->Attach();
    }
  }
  ReleaseSharedDecompressor();
  return TEPropertyPage::Apply(notify);
}
