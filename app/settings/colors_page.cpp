#include "app/settings/colors_page.h"

#include <algorithm>

#include "app/settings/settings_host.h"
#include "model/ui_strings.h"
#include "platform/classlib/controls.h"
#include "platform/gui/common_dialogs.h"
#include "resources/settings_dialog_ids.h"

// clang-format off
DEFINE_RESPONSE_TABLE1(ColorsDialog, TEPropertyPage)
  EV_BN_CLICKED(kColorsChangeColor, CmChangeColor),
  EV_BN_CLICKED(kColorsSaveScheme, CmSaveScheme),
  EV_BN_CLICKED(kColorsLoadScheme, CmLoadScheme),
  EV_BN_CLICKED(kColorsDefaultScheme, CmDefaultScheme),
  EV_MESSAGE(WM_SAMPLE_CHANGECOLOR, EvSampleChangeColor),
  EV_MESSAGE(WM_SAMPLE_SELECT, EvSampleSelect),
END_RESPONSE_TABLE;
// clang-format on

COLORREF* ColorsCustomColors() {
  static COLORREF custom[16] = {};
  return custom;
}

ColorsDialog::ColorsDialog(TPropertySheet* sheet, int* pageIndexVariable)
    : TEPropertyPage(sheet, kColorsDialog, pageIndexVariable),
      elements(new TComboBox(this, kColorsElementList)),
      sample(new TColorsSampleControl(this)) {}

void ColorsDialog::SetupWindow() {
  TEPropertyPage::SetupWindow();
  for (int i = 0; i < kTimeLineColorCount; ++i) elements->AddString(GetString(ui_string::kColorElementBase + i));
  elements->SetSelIndex(0);
}

void ColorsDialog::Redraw() {
  if (sample->GetHandle() != nullptr) sample->Invalidate(false);
}

void ColorsDialog::CmChangeColor() {
  const int index = std::clamp(elements->GetSelIndex(), 0, kTimeLineColorCount - 1);
  CHOOSECOLOR cc;
  cc.hwndOwner = HWindow;
  cc.rgbResult = sample->Colors[index];
  cc.lpCustColors = ColorsCustomColors();
  cc.Flags = CC_RGBINIT;
  if (!ChooseColor(&cc)) return;
  sample->Colors[index] = cc.rgbResult;
  Redraw();
  PageChanged();
}

void ColorsDialog::CmSaveScheme() {
  SaveColorScheme(*sample);
}

void ColorsDialog::CmLoadScheme() {
  if (!LoadColorScheme(*sample)) return;
  Redraw();
  PageChanged();
}

void ColorsDialog::CmDefaultScheme() {
  SetDefaultColors(*sample);
  Redraw();
  PageChanged();
}

LRESULT ColorsDialog::EvSampleChangeColor(WPARAM, LPARAM) {
  CmChangeColor();
  return 0;
}

LRESULT ColorsDialog::EvSampleSelect(WPARAM, LPARAM lParam) {
  elements->SetSelIndex(std::clamp(static_cast<int>(lParam), 0, kTimeLineColorCount - 1));
  return 0;
}

int ColorsDialog::Apply(PSHNOTIFY& notify) {
  CommitColors(*sample);
  CurrentSettingsHost().TimeLineZoomChanged();
  return TEPropertyPage::Apply(notify);
}
