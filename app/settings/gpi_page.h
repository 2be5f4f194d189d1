// The GPI Ports page of the Synchronization sheet: the video board's four
// GPI lines (opened by default or not) and how long a wait for a GPI event
// before playback lasts.
#pragma once

#include "resources/settings_dialog_ids.h"
#include "ui/te_property_sheet.h"

class TimeCodeEdit;

class GPIDialog : public TEPropertyPage {
 public:
  GPIDialog(TPropertySheet* sheet, int* pageIndexVariable);

  void SetupWindow() override;
  int Apply(PSHNOTIFY& notify) override;

 protected:
  void Changed();

 private:
  bool available[kGpiLines] = {};
  TimeCodeEdit* timeout;

  DECLARE_RESPONSE_TABLE(GPIDialog);
};
