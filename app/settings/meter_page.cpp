#include "app/settings/meter_page.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/settings/settings_host.h"
#include "platform/classlib/controls.h"
#include "resources/settings_dialog_ids.h"
#include "timeline/window/timeline_settings.h"
#include "ui/level_control.h"
#include "ui/numeric_edits.h"

namespace {

constexpr float kFloor = -96.0f;
// The threshold edits, from the quietest band up.
constexpr int kThresholdIds[4] = {kMeterBlue, kMeterGreen, kMeterYellow, kMeterRed};

bool IsChecked(HWND page, int id) {
  return ::IsDlgButtonChecked(page, id) == BST_CHECKED;
}

void SetChecked(HWND page, int id, bool on) {
  ::CheckDlgButton(page, id, on ? BST_CHECKED : BST_UNCHECKED);
}

}  // namespace

std::array<int, kMeterLabelCount> SortMeterLabels(const std::array<MeterLabel, kMeterLabelCount>& labels) {
  std::array<int, kMeterLabelCount> order{};
  for (int i = 0; i < kMeterLabelCount; ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    const bool namedA = labels[a].name[0] != '\0', namedB = labels[b].name[0] != '\0';
    if (namedA != namedB) return namedA;
    if (!namedA) return false;
    return labels[a].level > labels[b].level;
  });
  return order;
}

std::string MeterLabelText(const MeterLabel& label) {
  if (label.name[0] == '\0') return "";
  char level[32];
  std::snprintf(level, sizeof level, "%.3fdB", static_cast<double>(label.level));
  const float v = label.level;
  std::string text = v >= 0 ? std::string(" ") + level + std::string(7, ' ')
                            : level + std::string(v <= -10 ? 5 : 7, ' ');
  return text + "\"" + std::string(label.name, strnlen(label.name, sizeof label.name)) + "\"";
}

// clang-format off
DEFINE_RESPONSE_TABLE1(AudioMeterDialog, TEPropertyPage)
  EV_MESSAGE(kNumberChanged, EvNumberChanged),
  EV_BN_CLICKED(kMeterAuto, CmAuto),
  EV_BN_CLICKED(kMeterLabelSet, CmSet),
  EV_BN_CLICKED(kMeterLabelClear, CmClear),
  EV_BN_CLICKED(kMeterPeakHold, Changed),
  EV_BN_CLICKED(kMeterOnTop, Changed),
  EV_LBN_SELCHANGE(kMeterLabels, EvLabelSelected),
END_RESPONSE_TABLE;
// clang-format on

AudioMeterDialog::AudioMeterDialog(TPropertySheet* sheet, int* pageIndexVariable)
    : TEPropertyPage(sheet, kMeterDialog, pageIndexVariable) {
  const AudioMeterSettings& s = TLevelControl::Settings();
  TLevelControl::GetDefaultLevels(levels);
  for (int i = 0; i < kMeterLabelCount; ++i) {
    labels[i].level = s.volumeLabels[i];
    std::memcpy(labels[i].name, s.nameLabels[i], sizeof labels[i].name);
    labels[i].name[sizeof labels[i].name - 1] = '\0';
  }
  if (const TimeLineSettings* t = CurrentSettingsHost().TimeLineOptions()) onTop = t->audioMeterOnTop;
  thresholds[0] = new TFloatEdit(this, kMeterBlue, kFloor, levels[1], 1.0f);
  thresholds[1] = new TFloatEdit(this, kMeterGreen, levels[0], levels[2], 1.0f);
  thresholds[2] = new TFloatEdit(this, kMeterYellow, levels[1], levels[3], 1.0f);
  thresholds[3] = new TFloatEdit(this, kMeterRed, levels[2], 0.0f, 1.0f);
  sizeEdit = new TFloatEdit(this, kMeterSize, 12.0f, 96.0f, 1.0f);
  zeroEdit = new TFloatEdit(this, kMeterZero, kFloor, 0.0f, 1.0f);
  levelEdit = new TFloatEdit(this, kMeterLabelLevel, kFloor, 0.0f, 1.0f);
  labelList = new TListBox(this, kMeterLabels);
}

void AudioMeterDialog::SetupWindow() {
  TEPropertyPage::SetupWindow();
  const AudioMeterSettings& s = TLevelControl::Settings();
  for (int i = 0; i < 4; ++i) thresholds[i]->SetValue(levels[i], true);
  sizeEdit->SetValue(s.maxPickDb, true);
  zeroEdit->SetValue(s.zeroVolumeDb, true);
  SetChecked(HWindow, kMeterAuto, s.autoNumerate);
  SetChecked(HWindow, kMeterPeakHold, s.peakHold);
  SetChecked(HWindow, kMeterOnTop, onTop);
  ::SendDlgItemMessage(HWindow, kMeterLabelName, EM_LIMITTEXT, 20, 0);
  SortLabels();
  labelList->SetSelIndex(0);
  EvLabelSelected();
  EnableLabels();
}

void AudioMeterDialog::SortLabels() {
  order = SortMeterLabels(labels);
  labelList->ClearList();
  for (int i : order) labelList->AddString(MeterLabelText(labels[i]).c_str());
}

void AudioMeterDialog::EnableLabels() {
  const bool automatic = IsChecked(HWindow, kMeterAuto);
  for (int id : {kMeterZero, kMeterZeroLabel, kMeterZeroUnit}) ::EnableWindow(GetDlgItem(id), automatic);
  for (int id : {kMeterLevelLabel, kMeterNameLabel, kMeterLabels, kMeterLabelLevel, kMeterLabelName, kMeterLabelSet,
                 kMeterLabelClear}) {
    ::EnableWindow(GetDlgItem(id), !automatic);
  }
}

void AudioMeterDialog::Changed() {
  PageChanged();
}

void AudioMeterDialog::CmAuto() {
  EnableLabels();
  PageChanged();
}

void AudioMeterDialog::EvLabelSelected() {
  const int at = labelList->GetSelIndex();
  if (at < 0 || at >= kMeterLabelCount) return;
  const MeterLabel& l = labels[order[at]];
  ::SetDlgItemText(HWindow, kMeterLabelName, l.name);
  levelEdit->SetValue(l.level, true);
}

void AudioMeterDialog::CmSet() {
  const int at = labelList->GetSelIndex();
  if (at < 0 || at >= kMeterLabelCount) return;
  const int label = order[at];
  char name[21] = {};
  ::GetDlgItemText(HWindow, kMeterLabelName, name, sizeof name);
  std::memset(labels[label].name, 0, sizeof labels[label].name);
  std::memcpy(labels[label].name, name, std::min(std::strlen(name), sizeof labels[label].name - 1));
  labels[label].level = levelEdit->GetValue();
  SortLabels();
  for (int i = 0; i < kMeterLabelCount; ++i) {
    if (order[i] == label) labelList->SetSelIndex(i);
  }
  PageChanged();
}

void AudioMeterDialog::CmClear() {
  const int at = labelList->GetSelIndex();
  if (at < 0 || at >= kMeterLabelCount) return;
  labels[order[at]] = MeterLabel{};
  SortLabels();
  labelList->SetSelIndex(at);
  EvLabelSelected();
  PageChanged();
}

LRESULT AudioMeterDialog::EvNumberChanged(WPARAM id, LPARAM) {
  // Each threshold keeps its neighbours in order.
  for (int i = 0; i < 4; ++i) {
    if (id != static_cast<WPARAM>(kThresholdIds[i])) continue;
    levels[i] = thresholds[i]->GetValue();
    if (i > 0) thresholds[i - 1]->SetRange(i > 1 ? levels[i - 2] : kFloor, levels[i]);
    if (i < 3) thresholds[i + 1]->SetRange(levels[i], i < 2 ? levels[i + 2] : 0.0f);
    PageChanged();
    return 0;
  }
  if (id == static_cast<WPARAM>(kMeterSize) || id == static_cast<WPARAM>(kMeterZero)) PageChanged();
  return 0;
}

int AudioMeterDialog::Apply(PSHNOTIFY& notify) {
  AudioMeterSettings& s = TLevelControl::Settings();
  float newLevels[4];
  for (int i = 0; i < 4; ++i) newLevels[i] = thresholds[i]->GetValue();
  TLevelControl::NormalizeLevels(newLevels);
  s.peakHold = IsChecked(HWindow, kMeterPeakHold);
  s.maxPickDb = sizeEdit->GetValue();
  s.autoNumerate = IsChecked(HWindow, kMeterAuto);
  s.zeroVolumeDb = zeroEdit->GetValue();
  for (int i = 0; i < kMeterLabelCount; ++i) {
    const MeterLabel& l = labels[order[i]];
    s.volumeLabels[i] = std::clamp(l.level, kFloor, 0.0f);
    std::memcpy(s.nameLabels[i], l.name, sizeof s.nameLabels[i]);
  }
  SettingsHost& host = CurrentSettingsHost();
  const bool top = IsChecked(HWindow, kMeterOnTop);
  TimeLineSettings* t = host.TimeLineOptions();
  const bool topChanged = t != nullptr && t->audioMeterOnTop != top;
  if (t != nullptr) t->audioMeterOnTop = top;
  host.MeterSettingsChanged(topChanged);
  return TEPropertyPage::Apply(notify);
}
