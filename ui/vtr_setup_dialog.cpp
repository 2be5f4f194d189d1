#include "ui/vtr_setup_dialog.h"

#include <algorithm>
#include <initializer_list>

#include "model/players.h"
#include "resources/clip_dialog_ids.h"
#include "ui/numeric_edits.h"
#include "ui/owner_window.h"
#include "ui/time_code_edit.h"

namespace {

constexpr int32_t kLongestStart = 3 * 3600 * 1000;

enum DeckType { kNoDeck = 0, kAg5700 = 1, kBetacam = 2 };

// The usual port settings of a deck type.
struct DeckDefaults {
  int32_t baud, dataBits, parity, stopBits, timeCode, preroll, accuracy;
};
constexpr DeckDefaults kAg5700Defaults{9600, 7, 1, 1, 0, 6, 1};
constexpr DeckDefaults kBetacamDefaults{38400, 8, 1, 1, 1, 6, 0};

void Fill(TComboBox* combo, std::initializer_list<const char*> texts, int32_t selected) {
  for (const char* text : texts) combo->AddString(text);
  // A stored value from outside the list selects its nearest entry, so OK
  // never hands back an index the list does not have.
  combo->SetSelIndex(std::clamp<int32_t>(selected, 0, static_cast<int32_t>(texts.size()) - 1));
}

int32_t Selected(TComboBox* combo) {
  return std::max(combo->GetSelIndex(), 0);
}

bool Reject(TWindow* control) {
  ::SetFocus(control->GetHandle());
  MessageBeep(MB_ICONASTERISK);
  return false;
}

}  // namespace

// clang-format off
DEFINE_RESPONSE_TABLE1(VTRSetupDialog, TEDialog)
  EV_COMMAND(kVtrDefault, CmDefault),
END_RESPONSE_TABLE;
// clang-format on

VTRSetupDialog::VTRSetupDialog(TWindow* parent, TapeControl* tape_)
    : TEDialog(parent, kVTRSetupDialog),
      tape(tape_),
      start(new TimeCodeEdit(this, kVtrStart, 0, 0, kLongestStart)),
      type(new TComboBox(this, kVtrType)),
      timeCode(new TComboBox(this, kVtrTimeCode)),
      format(new TComboBox(this, kVtrFormat)),
      preroll(new TIntEdit(this, kVtrPreroll, 1, 60)),
      accuracy(new TIntEdit(this, kVtrAccuracy, 0, 100)),
      port(new TEdit(this, kVtrPort, kTapePortLength + 1)),
      baud(new TIntEdit(this, kVtrBaud, 1200, 307200)),
      dataBits(new TComboBox(this, kVtrDataBits)),
      stopBits(new TComboBox(this, kVtrStopBits)),
      parity(new TComboBox(this, kVtrParity)) {}

void VTRSetupDialog::SetupWindow() {
  TEDialog::SetupWindow();
  int32_t startMs = 0, deck = 0, baudRate = 9600, bits = 8, parityIndex = 0, stopIndex = 0, source = 0,
          prerollSeconds = 6, videoFormat = 0, frames = 0;
  char portName[kTapePortLength + 1] = {};
  if (tape != nullptr) {
    tape->GetSettings(startMs, deck, portName, baudRate, bits, parityIndex, stopIndex, source, prerollSeconds,
                      videoFormat, frames);
    portName[kTapePortLength] = '\0';
  }
  start->SetValue(startMs, false);
  port->SetText(portName);
  Fill(type, {"None", "AG 5700", "Sony Betacam"}, deck);
  Fill(timeCode, {"Counter", "LTC"}, source);
  Fill(format, {"PAL", "NTSC"}, videoFormat);
  Fill(dataBits, {"5", "6", "7", "8"}, bits - 5);
  Fill(stopBits, {"1", "1.5", "2"}, stopIndex);
  Fill(parity, {"no", "odd", "even", "mark", "space"}, parityIndex);
  preroll->SetValue(prerollSeconds, true);
  accuracy->SetValue(frames, true);
  baud->SetValue(baudRate, true);
}

void VTRSetupDialog::CmDefault() {
  const DeckDefaults* d = nullptr;
  switch (Selected(type)) {
    case kAg5700:
      d = &kAg5700Defaults;
      break;
    case kBetacam:
      d = &kBetacamDefaults;
      break;
    default:
      MessageBeep(MB_ICONEXCLAMATION);
      return;
  }
  baud->SetValue(d->baud, true);
  dataBits->SetSelIndex(d->dataBits - 5);
  parity->SetSelIndex(d->parity);
  stopBits->SetSelIndex(d->stopBits);
  timeCode->SetSelIndex(d->timeCode);
  preroll->SetValue(d->preroll, true);
  accuracy->SetValue(d->accuracy, true);
}

bool VTRSetupDialog::CanClose() {
  if (!start->IsValid()) return Reject(start);
  for (TIntEdit* field : {preroll, accuracy, baud}) {
    if (!field->IsValid()) return Reject(field);
  }
  char portName[kTapePortLength + 1] = {};
  port->GetText(portName, sizeof portName);
  if (tape != nullptr) {
    tape->SetSettings(start->GetValue(true), Selected(type), portName, baud->GetValue(),
                      Selected(dataBits) + 5, Selected(parity), Selected(stopBits), Selected(timeCode),
                      preroll->GetValue(), Selected(format), accuracy->GetValue());
  }
  return true;
}

bool RunVTRSetupDialog(HWND parent, TapeControl* tape) {
  OwnerWindow owner(parent);
  VTRSetupDialog dialog(owner.Get(), tape);
  return dialog.Execute() == IDOK;
}
