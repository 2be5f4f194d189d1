#include "app/settings/save_pages.h"

#include <algorithm>
#include <cstring>

#include "app/settings/settings_host.h"
#include "audio/audio_player.h"
#include "model/changed_ranges.h"
#include "model/undo_history.h"
#include "platform/core/locations.h"
#include "resources/settings_dialog_ids.h"
#include "ui/numeric_edits.h"
#include "video/transitions/vfx_render.h"

namespace {

constexpr const char* kSoundFileName = "kobrix.tmp";
constexpr int kFolderText = 248;
constexpr double kMegabyte = 1048576.0;

bool IsChecked(HWND page, int id) {
  return ::IsDlgButtonChecked(page, id) == BST_CHECKED;
}

void SetChecked(HWND page, int id, bool on) {
  ::CheckDlgButton(page, id, on ? BST_CHECKED : BST_UNCHECKED);
}

std::string FolderOf(const std::string& path) {
  const size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::string ItemText(HWND page, int id, int limit) {
  std::string text(static_cast<size_t>(limit) + 1, '\0');
  const int n = ::GetDlgItemText(page, id, text.data(), limit + 1);
  text.resize(static_cast<size_t>(std::max(n, 0)));
  return text;
}

}  // namespace

std::string SoundFileIn(const std::string& folder) {
  std::string path = folder.empty() ? TempFolder() : folder;
  if (path.back() != '/' && path.back() != '\\') path += '/';
  return path + kSoundFileName;
}

// ---- Save ----

// clang-format off
DEFINE_RESPONSE_TABLE1(SaveDialog, TEPropertyPage)
  EV_BN_CLICKED(kSaveAuto, CmAutoSave),
  EV_BN_CLICKED(kSaveThumbnails, Changed),
  EV_BN_CLICKED(kSaveWaveforms, Changed),
  EV_EN_CHANGE(kSaveTempFolder, Changed),
END_RESPONSE_TABLE;
// clang-format on

SaveDialog::SaveDialog(TPropertySheet* sheet, int* pageIndexVariable)
    : TEPropertyPage(sheet, kSaveDialog, pageIndexVariable),
      periodEdit(new TIntEdit(this, kSavePeriod, 1, 720)),
      countEdit(new TIntEdit(this, kSaveCount, 3, 999)) {}

void SaveDialog::SetupWindow() {
  TEPropertyPage::SetupWindow();
  const AutosaveOptions o = CurrentSettingsHost().GetAutosaveOptions();
  SetChecked(HWindow, kSaveAuto, o.autoSave);
  periodEdit->SetValue(o.period, true);
  countEdit->SetValue(o.count, true);
  SetChecked(HWindow, kSaveThumbnails, o.thumbnails);
  SetChecked(HWindow, kSaveWaveforms, o.waveforms);
  ::SendDlgItemMessage(HWindow, kSaveTempFolder, EM_LIMITTEXT, MAX_PATH - 1, 0);
  ShowFolder();
  EnableCounts();
}

void SaveDialog::ShowFolder() {
  ::SetDlgItemText(HWindow, kSaveTempFolder, FolderOf(Sound_File).c_str());
}

void SaveDialog::EnableCounts() {
  const bool on = IsChecked(HWindow, kSaveAuto);
  for (int id : {kSavePeriod, kSaveCount, kSavePeriodLabel, kSavePeriodUnit, kSaveCountLabel, kSaveCountUnit}) {
    ::EnableWindow(GetDlgItem(id), on);
  }
}

void SaveDialog::Changed() {
  PageChanged();
}

void SaveDialog::CmAutoSave() {
  EnableCounts();
  PageChanged();
}

int SaveDialog::Apply(PSHNOTIFY& notify) {
  SettingsHost& host = CurrentSettingsHost();
  AutosaveOptions o;
  o.autoSave = IsChecked(HWindow, kSaveAuto);
  o.count = countEdit->GetValue();
  o.period = periodEdit->GetValue();
  o.thumbnails = IsChecked(HWindow, kSaveThumbnails);
  o.waveforms = IsChecked(HWindow, kSaveWaveforms);
  host.SetAutosaveOptions(o);
  // Paths are compared as the file system does: exactly.
  const std::string path = SoundFileIn(ItemText(HWindow, kSaveTempFolder, kFolderText));
  if (path != Sound_File && path.size() < sizeof Sound_File) {
    const std::string oldFolder = FolderOf(Sound_File);
    if (AudioPlayer* audio = host.Audio()) audio->DeleteSoundFile();
    UndoScript::ClearPlayFileRanges();
    ResetChangedRanges();
    PlayFileRange = TimeRange{0, 0};
    host.MoveAutosaveFiles(oldFolder, FolderOf(path));
    std::snprintf(Sound_File, sizeof Sound_File, "%s", path.c_str());
  }
  ShowFolder();
  return TEPropertyPage::Apply(notify);
}

// ---- VideoFX ----

int QualityPercent(int quality) {
  return (quality + 49) / 100;
}

// clang-format off
DEFINE_RESPONSE_TABLE1(VFXDialog, TEPropertyPage)
  EV_MESSAGE(kNumberChanged, EvQualityChanged),
  EV_BN_CLICKED(kVfxLimitRate, CmLimit),
  EV_BN_CLICKED(kVfxProjectFolder, Changed),
  EV_EN_CHANGE(kVfxFolder, Changed),
END_RESPONSE_TABLE;
// clang-format on

VFXDialog::VFXDialog(TPropertySheet* sheet, int* pageIndexVariable)
    : TEPropertyPage(sheet, kVfxDialog, pageIndexVariable),
      maxEdit(new TIntEdit(this, kVfxMaxQuality, 0, 100)),
      minEdit(new TIntEdit(this, kVfxMinQuality, 0, 100)),
      rateEdit(new TFloatEdit(this, kVfxDataRate, 0.001f, 100.0f, 1.0f)) {}

void VFXDialog::SetupWindow() {
  TEPropertyPage::SetupWindow();
  VFXRenderSettings s;
  VFXRender::GetSettings(&s);
  const int maxQ = std::clamp(QualityPercent(s.maxQuality), 0, 100);
  const int minQ = std::clamp(QualityPercent(s.minQuality), 0, maxQ);
  maxEdit->SetRange(minQ, 100);
  minEdit->SetRange(0, maxQ);
  maxEdit->SetValue(maxQ, true);
  minEdit->SetValue(minQ, true);
  rateEdit->SetValue(static_cast<float>(s.dataRate / kMegabyte), true);
  SetChecked(HWindow, kVfxLimitRate, s.limitDataRate);
  SetChecked(HWindow, kVfxProjectFolder, s.tempDirectory.empty());
  ::SendDlgItemMessage(HWindow, kVfxFolder, EM_LIMITTEXT, MAX_PATH - 1, 0);
  ::SetDlgItemText(HWindow, kVfxFolder, s.tempDirectory.c_str());
  EnableLimit();
}

void VFXDialog::EnableLimit() {
  const bool on = IsChecked(HWindow, kVfxLimitRate);
  for (int id : {kVfxRateLabel, kVfxRateUnit, kVfxMinLabel, kVfxDataRate, kVfxMinQuality}) {
    ::EnableWindow(GetDlgItem(id), on);
  }
}

void VFXDialog::Changed() {
  PageChanged();
}

void VFXDialog::CmLimit() {
  EnableLimit();
  PageChanged();
}

LRESULT VFXDialog::EvQualityChanged(WPARAM id, LPARAM) {
  // The two qualities stay in order.
  if (id == static_cast<WPARAM>(kVfxMaxQuality)) {
    minEdit->SetRange(0, maxEdit->GetValue());
  } else if (id == static_cast<WPARAM>(kVfxMinQuality)) {
    maxEdit->SetRange(minEdit->GetValue(), 100);
  }
  PageChanged();
  return 0;
}

int VFXDialog::Apply(PSHNOTIFY& notify) {
  VFXRenderSettings s;
  s.maxQuality = maxEdit->GetValue() * 100;
  s.minQuality = minEdit->GetValue() * 100;
  s.dataRate = static_cast<int32_t>(rateEdit->GetValue() * kMegabyte + 0.499);
  s.limitDataRate = IsChecked(HWindow, kVfxLimitRate);
  if (!IsChecked(HWindow, kVfxProjectFolder)) s.tempDirectory = ItemText(HWindow, kVfxFolder, MAX_PATH - 1);
  s.clearFiles = true;
  VFXRender::SetSettings(s);
  return TEPropertyPage::Apply(notify);
}
