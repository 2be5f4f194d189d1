// "VTR Setup": the tape recorder link's deck and port settings, read from
// and handed back to the tape control. "&Default" fills in the usual port
// settings of the chosen deck type.
#pragma once

#include "platform/classlib/controls.h"
#include "ui/te_dialog.h"

class TapeControl;
class TimeCodeEdit;
class TIntEdit;

class VTRSetupDialog : public TEDialog {
 public:
  VTRSetupDialog(TWindow* parent, TapeControl* tape);
  void SetupWindow() override;
  bool CanClose() override;

 protected:
  void CmDefault();

 private:
  TapeControl* tape;
  TimeCodeEdit* start;
  TComboBox* type;
  TComboBox* timeCode;
  TComboBox* format;
  TIntEdit* preroll;
  TIntEdit* accuracy;
  TEdit* port;
  TIntEdit* baud;
  TComboBox* dataBits;
  TComboBox* stopBits;
  TComboBox* parity;

  DECLARE_RESPONSE_TABLE(VTRSetupDialog);
};

// Makes, runs and deletes the dialog over tape, owned by any window (null:
// none); true on OK, when the settings went to tape.
bool RunVTRSetupDialog(HWND parent, TapeControl* tape);
