#include "app/settings/video_page.h"

#include <algorithm>

#include "app/settings/settings_host.h"
#include "model/ui_strings.h"
#include "platform/classlib/controls.h"
#include "resources/settings_dialog_ids.h"
#include "ui/numeric_edits.h"
#include "video/player.h"

namespace {

constexpr int kDrawTypes = 5;

bool IsChecked(HWND page, int id) {
  return ::IsDlgButtonChecked(page, id) == BST_CHECKED;
}

void SetChecked(HWND page, int id, bool on) {
  ::CheckDlgButton(page, id, on ? BST_CHECKED : BST_UNCHECKED);
}

}  // namespace

int ZoomEntry(int32_t zoom) {
  int entry = 0;
  for (int k = 0; k < kZoomEntries; ++k) {
    if ((1 << k) <= zoom) entry = k;
  }
  return entry;
}

std::string ZoomText(int entry) {
  const int value = 1 << std::clamp(entry, 0, kZoomEntries - 1);
  return value < 16 ? "/" + std::to_string(16 / value) : "x" + std::to_string(value / 16);
}

// clang-format off
DEFINE_RESPONSE_TABLE1(VideoParamDialog, TEPropertyPage)
  EV_CBN_SELCHANGE(kVideoPlaybackMode, ModeChanged),
  EV_CBN_SELCHANGE(kVideoZoom, Changed),
  EV_BN_CLICKED(kVideoShowDropped, Changed),
  EV_BN_CLICKED(kVideoEdges, Changed),
  EV_BN_CLICKED(kVideoNeverYield, Changed),
  EV_BN_CLICKED(kVideoOnTop, Changed),
  EV_BN_CLICKED(kVideoSynchronize, Changed),
  EV_BN_CLICKED(kVideoKeyFrames, Changed),
END_RESPONSE_TABLE;
// clang-format on

VideoParamDialog::VideoParamDialog(TPropertySheet* sheet, int* pageIndexVariable)
    : TEPropertyPage(sheet, kVideoDialog, pageIndexVariable) {
  SettingsHost& host = CurrentSettingsHost();
  if (VideoPlayer* player = host.Video()) {
    player->GetOptions(frameRate, showTimeouts, zoom, onTop, synchronize, drawType);
    neverYield = !player->autoReleaseCodec;
  }
  edges = host.VideoEdgesShown();
  rateEdit = new TFloatEdit(this, kVideoFrameRate, 0.001f, 1000.0f, 1.0f);
  modeList = new TComboBox(this, kVideoPlaybackMode);
  zoomList = new TComboBox(this, kVideoZoom);
}

void VideoParamDialog::SetupWindow() {
  TEPropertyPage::SetupWindow();
  rateEdit->SetValue(frameRate, true);
  for (int i = 0; i < kDrawTypes; ++i) modeList->AddString(GetString(ui_string::kDrawTypeBase + i));
  modeList->SetSelIndex(drawType);
  for (int k = 0; k < kZoomEntries; ++k) zoomList->AddString(ZoomText(k).c_str());
  zoomList->SetSelIndex(ZoomEntry(zoom));
  SetChecked(HWindow, kVideoShowDropped, showTimeouts);
  SetChecked(HWindow, kVideoEdges, edges);
  SetChecked(HWindow, kVideoKeyFrames, true);
  SetChecked(HWindow, kVideoOnTop, onTop);
  SetChecked(HWindow, kVideoSynchronize, synchronize);
  SetChecked(HWindow, kVideoNeverYield, neverYield);
  ShowModeNote();
}

void VideoParamDialog::Changed() {
  PageChanged();
}

void VideoParamDialog::ModeChanged() {
  ShowModeNote();
  PageChanged();
}

void VideoParamDialog::ShowModeNote() {
  const int mode = modeList->GetSelIndex();
  ::ShowWindow(::GetDlgItem(HWindow, kVideoModeNote), mode == 2 || mode == 3 ? SW_SHOW : SW_HIDE);
}

int VideoParamDialog::Apply(PSHNOTIFY& notify) {
  SettingsHost& host = CurrentSettingsHost();
  const float rate = rateEdit->GetValue();
  host.SetOnlyKeyFrames(true);
  host.ShowVideoEdges(IsChecked(HWindow, kVideoEdges));
  if (VideoPlayer* player = host.Video()) {
    const int entry = std::clamp(zoomList->GetSelIndex(), 0, kZoomEntries - 1);
    const int type = std::clamp(modeList->GetSelIndex(), 0, kDrawTypes - 1);
    if (player->SetOptions(rate, IsChecked(HWindow, kVideoShowDropped), 1 << entry, IsChecked(HWindow, kVideoOnTop),
                           IsChecked(HWindow, kVideoSynchronize), type) != 0) {
      CancelToClose();
    }
    player->autoReleaseCodec = !IsChecked(HWindow, kVideoNeverYield);
  }
  return TEPropertyPage::Apply(notify);
}
