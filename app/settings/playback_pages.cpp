#include "app/settings/playback_pages.h"

#include <algorithm>

#include "app/settings/settings_host.h"
#include "audio/audio_player.h"
#include "audio/effect_list.h"
#include "model/timeline_engine.h"
#include "model/ui_strings.h"
#include "platform/classlib/controls.h"
#include "resources/settings_dialog_ids.h"
#include "timeline/window/timeline_settings.h"
#include "ui/numeric_edits.h"

namespace {

bool IsChecked(HWND page, int id) {
  return ::IsDlgButtonChecked(page, id) == BST_CHECKED;
}

void SetChecked(HWND page, int id, bool on) {
  ::CheckDlgButton(page, id, on ? BST_CHECKED : BST_UNCHECKED);
}

constexpr int kEffectLists[4] = {kEffectsRealTime, kEffectsFinal, kEffectsResponse, kEffectsMisc};

int* Quality(int list) {
  EffectSettings& s = EffectList::settings;
  int* const levels[4] = {&s.realTimeQuality, &s.finalQuality, &s.fResponseQuality, &s.miscQuality};
  return levels[list];
}

}  // namespace

// ---- Scrubbing ----

// clang-format off
DEFINE_RESPONSE_TABLE1(ScrubbingDialog, TEPropertyPage)
  EV_BN_CLICKED(kScrubVideo, Changed),
  EV_BN_CLICKED(kScrubAudio, Changed),
  EV_BN_CLICKED(kScrubAutoScroll, Changed),
END_RESPONSE_TABLE;
// clang-format on

ScrubbingDialog::ScrubbingDialog(TPropertySheet* sheet, int* pageIndexVariable)
    : TEPropertyPage(sheet, kScrubDialog, pageIndexVariable),
      minEdit(new TFloatEdit(this, kScrubMin, 0.1f, 1.0f, 0.1f)),
      maxEdit(new TFloatEdit(this, kScrubMax, 0.1f, 10.0f, 0.1f)) {}

void ScrubbingDialog::SetupWindow() {
  TEPropertyPage::SetupWindow();
  SettingsHost& host = CurrentSettingsHost();
  const TimeLineEngine* e = host.Engine();
  const TimeLineSettings* s = host.TimeLineOptions();
  SetChecked(HWindow, kScrubVideo, e != nullptr && e->previewVideo);
  SetChecked(HWindow, kScrubAudio, s == nullptr || s->previewAudio);
  SetChecked(HWindow, kScrubAutoScroll, s == nullptr || s->autoScroll);
  if (const AudioPlayer* audio = host.Audio()) {
    minEdit->SetValue(audio->PreviewLength, true);
    maxEdit->SetValue(audio->MaxPreviewLength, true);
  }
}

void ScrubbingDialog::Changed() {
  PageChanged();
}

int ScrubbingDialog::Apply(PSHNOTIFY& notify) {
  SettingsHost& host = CurrentSettingsHost();
  if (TimeLineEngine* e = host.Engine()) e->previewVideo = IsChecked(HWindow, kScrubVideo);
  if (TimeLineSettings* s = host.TimeLineOptions()) {
    s->previewAudio = IsChecked(HWindow, kScrubAudio);
    s->autoScroll = IsChecked(HWindow, kScrubAutoScroll);
  }
  if (AudioPlayer* audio = host.Audio()) {
    float delay = audio->Delay;
    float preview = minEdit->GetValue();
    float maxPreview = maxEdit->GetValue();
    audio->Configure(OutputFormat.nSamplesPerSec, OutputFormat.nChannels, audio->GetProjectCode(), audio->MaxHdr,
                     audio->MaxBlockRead, audio->MaxBlockTrack, delay, preview, maxPreview);
    // The engine keeps the lengths within its own limits.
    minEdit->SetValue(preview, true);
    maxEdit->SetValue(maxPreview, true);
  }
  return TEPropertyPage::Apply(notify);
}

// ---- Declick ----

// clang-format off
DEFINE_RESPONSE_TABLE1(DeclickDialog, TEPropertyPage)
  EV_CBN_SELCHANGE(kDeclickType, Changed),
  EV_BN_CLICKED(kDeclickAuto, Changed),
END_RESPONSE_TABLE;
// clang-format on

DeclickDialog::DeclickDialog(TPropertySheet* sheet, int* pageIndexVariable)
    : TEPropertyPage(sheet, kDeclickDialog, pageIndexVariable),
      typeList(new TComboBox(this, kDeclickType)),
      lengthEdit(new TFloatEdit(this, kDeclickLength, 0.01f, 100.0f, 1.0f)) {}

void DeclickDialog::SetupWindow() {
  TEPropertyPage::SetupWindow();
  SettingsHost& host = CurrentSettingsHost();
  for (int i = 0; i < 2; ++i) typeList->AddString(GetString(ui_string::kDeclickTypeBase + i));
  if (const AudioPlayer* audio = host.Audio()) {
    typeList->SetSelIndex(std::clamp(audio->DeclickType, 0, 1));
    lengthEdit->SetValue(audio->InOutLength, true);
  }
  const TimeLineEngine* e = host.Engine();
  SetChecked(HWindow, kDeclickAuto, e != nullptr && e->autoSetDeclick);
}

void DeclickDialog::Changed() {
  PageChanged();
}

int DeclickDialog::Apply(PSHNOTIFY& notify) {
  SettingsHost& host = CurrentSettingsHost();
  if (AudioPlayer* audio = host.Audio()) {
    audio->DeclickType = std::max(typeList->GetSelIndex(), 0);
    audio->InOutLength = lengthEdit->GetValue();
    audio->BuildDeclickRamps();
  }
  if (TimeLineEngine* e = host.Engine()) e->autoSetDeclick = IsChecked(HWindow, kDeclickAuto);
  return TEPropertyPage::Apply(notify);
}

// ---- Effects ----

// clang-format off
DEFINE_RESPONSE_TABLE1(EffectParamDialog, TEPropertyPage)
  EV_CBN_SELCHANGE(kEffectsRealTime, Changed),
  EV_CBN_SELCHANGE(kEffectsFinal, Changed),
  EV_CBN_SELCHANGE(kEffectsResponse, Changed),
  EV_CBN_SELCHANGE(kEffectsMisc, Changed),
END_RESPONSE_TABLE;
// clang-format on

EffectParamDialog::EffectParamDialog(TPropertySheet* sheet, int* pageIndexVariable)
    : TEPropertyPage(sheet, kEffectsDialog, pageIndexVariable) {
  for (int i = 0; i < 4; ++i) lists[i] = new TComboBox(this, kEffectLists[i]);
}

void EffectParamDialog::SetupWindow() {
  TEPropertyPage::SetupWindow();
  for (int i = 0; i < 4; ++i) {
    for (int q = 0; q < 3; ++q) lists[i]->AddString(GetString(ui_string::kQualityBase + q));
    lists[i]->SetSelIndex(std::clamp(*Quality(i), 0, 2));
  }
}

void EffectParamDialog::Changed() {
  PageChanged();
}

int EffectParamDialog::Apply(PSHNOTIFY& notify) {
  for (int i = 0; i < 4; ++i) *Quality(i) = std::max(lists[i]->GetSelIndex(), 0);
  return TEPropertyPage::Apply(notify);
}
