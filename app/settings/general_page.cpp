#include "app/settings/general_page.h"

#include <limits>

#include "app/settings/settings_host.h"
#include "model/text_format.h"
#include "model/timeline_engine.h"
#include "model/ui_strings.h"
#include "model/undo_history.h"
#include "platform/classlib/controls.h"
#include "resources/settings_dialog_ids.h"
#include "ui/numeric_edits.h"
#include "ui/time_code_edit.h"

namespace {

// The start conditions: at once, on a key, then on GPI line n as 2 + n.
constexpr int32_t kStartOnGpiLine = 2;
constexpr int kStartGpiLines = 16;

}  // namespace

// clang-format off
DEFINE_RESPONSE_TABLE1(GeneralDialog, TEPropertyPage)
  EV_CBN_SELCHANGE(kGeneralStartPlayback, Changed),
  EV_BN_CLICKED(kGeneralFromCursor, Changed),
  EV_BN_CLICKED(kGeneralHideCursor, Changed),
  EV_BN_CLICKED(kGeneralRealtimeMute, Changed),
END_RESPONSE_TABLE;
// clang-format on

GeneralDialog::GeneralDialog(TPropertySheet* sheet, int* pageIndexVariable)
    : TEPropertyPage(sheet, kGeneralDialog, pageIndexVariable) {
  if (const TimeLineEngine* e = CurrentSettingsHost().Engine()) {
    length = e->length;
    audioLines = e->audioLineCount;
    loopCount = e->play.loopCount;
    startCondition = e->play.askBeforeStart;
    startFromCursor = e->play.startFromCursor;
    hideCursor = e->hidePlaybackCursor;
    realtimeMute = e->play.realtimeMute;
  }
  undoDepth = UndoScript::Depth();
  sizeEdit = new TimeCodeEdit(this, kGeneralProjectSize, length, 0, kDayMs);
  linesEdit = new TIntEdit(this, kGeneralAudioTracks, 1, 4);
  undoEdit = new TIntEdit(this, kGeneralUndoDepth, 3, 100);
  repeatEdit = new TIntEdit(this, kGeneralRepeat, 1, std::numeric_limits<int32_t>::max());
  startList = new TComboBox(this, kGeneralStartPlayback);
  fromCursorCheck = new TCheckBox(this, kGeneralFromCursor);
  hideCursorCheck = new TCheckBox(this, kGeneralHideCursor);
  realtimeMuteCheck = new TCheckBox(this, kGeneralRealtimeMute);
}

void GeneralDialog::SetupWindow() {
  TEPropertyPage::SetupWindow();
  sizeEdit->SetValue(length, false);
  linesEdit->SetValue(audioLines, true);
  undoEdit->SetValue(undoDepth, true);
  repeatEdit->SetValue(loopCount, true);
  // Each entry keeps its condition; a GPI line the board does not report
  // gets none.
  SettingsHost& host = CurrentSettingsHost();
  startList->SetItemData(startList->AddString(GetString(ui_string::kStartImmediately)), 0);
  startList->SetItemData(startList->AddString(GetString(ui_string::kStartOnKey)), 1);
  for (int n = 0; n < kStartGpiLines; ++n) {
    if (!host.GpiLinePresent(n)) continue;
    const std::string text = FormatText(GetString(ui_string::kStartOnGpi), n, host.GpiLineName(n).c_str());
    startList->SetItemData(startList->AddString(text.c_str()), kStartOnGpiLine + n);
  }
  for (int i = 0; i < startList->GetCount(); ++i) {
    if (startList->GetItemData(i) == startCondition) startList->SetSelIndex(i);
  }
  fromCursorCheck->SetCheck(startFromCursor ? TCheckBox::Checked : TCheckBox::Unchecked);
  hideCursorCheck->SetCheck(hideCursor ? TCheckBox::Checked : TCheckBox::Unchecked);
  realtimeMuteCheck->SetCheck(realtimeMute ? TCheckBox::Checked : TCheckBox::Unchecked);
}

void GeneralDialog::Changed() {
  PageChanged();
}

int GeneralDialog::Apply(PSHNOTIFY& notify) {
  SettingsHost& host = CurrentSettingsHost();
  if (TimeLineEngine* e = host.Engine()) {
    e->play.loopCount = repeatEdit->GetValue();
    // Refused while playing (the engine says so); the rest still applies.
    e->ChangeLength(sizeEdit->GetValue(true), linesEdit->GetValue());
    UndoScript::SetDepth(undoEdit->GetValue());
    e->play.startFromCursor = fromCursorCheck->GetCheck() == TCheckBox::Checked;
    // Nothing chosen, or a GPI line the board no longer reports: the
    // condition stays.
    const int entry = startList->GetSelIndex();
    if (entry >= 0) {
      const auto condition = static_cast<int32_t>(startList->GetItemData(entry));
      if (condition < kStartOnGpiLine || host.GpiLinePresent(condition - kStartOnGpiLine)) {
        e->play.askBeforeStart = condition;
      }
    }
    e->hidePlaybackCursor = hideCursorCheck->GetCheck() == TCheckBox::Checked;
    e->play.realtimeMute = realtimeMuteCheck->GetCheck() == TCheckBox::Checked;
  } else {
    UndoScript::SetDepth(undoEdit->GetValue());
  }
  return TEPropertyPage::Apply(notify);
}
