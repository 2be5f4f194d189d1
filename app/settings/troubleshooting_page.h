// The Troubleshooting page of the settings: work-arounds for sound drivers
// and video codecs.
#pragma once

#include "ui/te_property_sheet.h"

class TIntEdit;

class TroubleshootingDialog : public TEPropertyPage {
 public:
  TroubleshootingDialog(TPropertySheet* sheet, int* pageIndexVariable);

  void SetupWindow() override;
  int Apply(PSHNOTIFY& notify) override;

 protected:
  void Changed();
  void CmUseDelay();

 private:
  void EnableDelay();

  bool delayOn = false;
  int delay = 0;
  bool reopenCodec = false;
  bool dontOptimize = false;
  TIntEdit* delayEdit;

  DECLARE_RESPONSE_TABLE(TroubleshootingDialog);
};
