#include "app/settings/selection_pages.h"

#include <algorithm>
#include <string>

#include "app/settings/settings_host.h"
#include "model/film_list.h"
#include "model/text_format.h"
#include "model/timeline_engine.h"
#include "model/ui_strings.h"
#include "platform/classlib/controls.h"
#include "resources/settings_dialog_ids.h"
#include "timeline/window/timeline_settings.h"
#include "ui/numeric_edits.h"

namespace {

constexpr int kGroups = 9;
constexpr int kAlignValues = kGravityAlignLast - kGravityAlignFirst + 1;

bool IsChecked(HWND page, int id) {
  return ::IsDlgButtonChecked(page, id) == BST_CHECKED;
}

void SetChecked(HWND page, int id, bool on) {
  ::CheckDlgButton(page, id, on ? BST_CHECKED : BST_UNCHECKED);
}

std::string Number(int n) {
  return FormatText(GetString(ui_string::kGroupNumber), n);
}

}  // namespace

// ---- Alignment ----

// clang-format off
DEFINE_RESPONSE_TABLE1(GravityDialog, TEPropertyPage)
  EV_CBN_SELCHANGE(kGravityGroup, Changed),
  EV_BN_CLICKED(kGravityToFrame, Changed),
  EV_BN_CLICKED(kGravityAlignTime, Changed),
  EV_BN_CLICKED(kGravityAlignFirst, Changed),
  EV_BN_CLICKED(kGravityAlignFirst + 1, Changed),
  EV_BN_CLICKED(kGravityAlignFirst + 2, Changed),
  EV_BN_CLICKED(kGravityAlignFirst + 3, Changed),
  EV_BN_CLICKED(kGravityAlignFirst + 4, Changed),
  EV_BN_CLICKED(kGravityAlignFirst + 5, Changed),
  EV_BN_CLICKED(kGravityAlignFirst + 6, Changed),
END_RESPONSE_TABLE;
// clang-format on

GravityDialog::GravityDialog(TPropertySheet* sheet, int* pageIndexVariable)
    : TEPropertyPage(sheet, kGravityDialog, pageIndexVariable) {
  SettingsHost& host = CurrentSettingsHost();
  if (const TimeLineEngine* e = host.Engine()) {
    alignToFrame = e->alignToFrame;
    align = e->gravityAlign;
    group = e->gravityGroup;
    distance = e->gravityDistance;
  }
  if (const TimeLineSettings* s = host.TimeLineOptions()) alignTime = s->alignTime;
  groupList = new TComboBox(this, kGravityGroup);
  distanceEdit = new TIntEdit(this, kGravityDistance, 3, 99);
}

void GravityDialog::SetupWindow() {
  TEPropertyPage::SetupWindow();
  SetChecked(HWindow, kGravityToFrame, alignToFrame);
  SetChecked(HWindow, kGravityAlignTime, alignTime);
  const int checked = align >= 1 && align < kAlignValues ? align : 0;
  SetChecked(HWindow, kGravityAlignFirst + checked, true);
  groupList->AddString(GetString(ui_string::kAllGroups));
  for (int n = 1; n <= kGroups; ++n) groupList->AddString(Number(n).c_str());
  groupList->SetSelIndex(std::clamp(group, 0, kGroups));
  distanceEdit->SetValue(distance, true);
}

void GravityDialog::Changed() {
  PageChanged();
}

int GravityDialog::Apply(PSHNOTIFY& notify) {
  SettingsHost& host = CurrentSettingsHost();
  if (TimeLineEngine* e = host.Engine()) {
    e->alignToFrame = IsChecked(HWindow, kGravityToFrame);
    e->gravityDistance = distanceEdit->GetValue();
    e->gravityDistanceMs = e->PixelsToTime(e->gravityDistance);
    e->gravityAlign = 0;
    for (int v = 0; v < kAlignValues; ++v) {
      if (IsChecked(HWindow, kGravityAlignFirst + v)) e->gravityAlign = v;
    }
    e->gravityGroup = std::max(groupList->GetSelIndex(), 0);
  }
  if (TimeLineSettings* s = host.TimeLineOptions()) s->alignTime = IsChecked(HWindow, kGravityAlignTime);
  host.TimeLineZoomChanged();
  return TEPropertyPage::Apply(notify);
}

// ---- Selection ----

// clang-format off
DEFINE_RESPONSE_TABLE1(SelectionDialog, TEPropertyPage)
  EV_CBN_SELCHANGE(kSelectionGroup, Changed),
  EV_BN_CLICKED(kSelectionExclusiveSolo, Changed),
  EV_BN_CLICKED(kSelectionKeepCurTime, Changed),
  EV_BN_CLICKED(kSelectionCurTimeOverClips, Changed),
END_RESPONSE_TABLE;
// clang-format on

SelectionDialog::SelectionDialog(TPropertySheet* sheet, int* pageIndexVariable)
    : TEPropertyPage(sheet, kSelectionDialog, pageIndexVariable) {
  group = SelectionGroup;
  if (const TimeLineSettings* s = CurrentSettingsHost().TimeLineOptions()) {
    multiSolo = s->multiSolo;
    keepCurTime = s->dontChangeCurTime;
    curTimeOverClips = s->selectCurTimeOverClips;
  }
  groupList = new TComboBox(this, kSelectionGroup);
}

void SelectionDialog::SetupWindow() {
  TEPropertyPage::SetupWindow();
  for (int n = 1; n <= kGroups; ++n) groupList->AddString(Number(n).c_str());
  groupList->SetSelIndex(std::clamp(group, 1, kGroups) - 1);
  SetChecked(HWindow, kSelectionExclusiveSolo, !multiSolo);
  SetChecked(HWindow, kSelectionKeepCurTime, keepCurTime);
  SetChecked(HWindow, kSelectionCurTimeOverClips, curTimeOverClips);
}

void SelectionDialog::Changed() {
  PageChanged();
}

int SelectionDialog::Apply(PSHNOTIFY& notify) {
  SettingsHost& host = CurrentSettingsHost();
  SelectionGroup = std::max(groupList->GetSelIndex(), 0) + 1;
  if (TimeLineSettings* s = host.TimeLineOptions()) {
    s->multiSolo = !IsChecked(HWindow, kSelectionExclusiveSolo);
    s->dontChangeCurTime = IsChecked(HWindow, kSelectionKeepCurTime);
    s->selectCurTimeOverClips = IsChecked(HWindow, kSelectionCurTimeOverClips);
  }
  host.TimeLineZoomChanged();
  return TEPropertyPage::Apply(notify);
}
