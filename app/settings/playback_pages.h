// The Scrubbing, Declick and Effects pages of the settings: what plays
// while the cursor is dragged, the ramps that soften clip edges, and the
// quality of audio effect processing.
#pragma once

#include "ui/te_property_sheet.h"

class TComboBox;
class TFloatEdit;

class ScrubbingDialog : public TEPropertyPage {
 public:
  ScrubbingDialog(TPropertySheet* sheet, int* pageIndexVariable);

  void SetupWindow() override;
  int Apply(PSHNOTIFY& notify) override;

 protected:
  void Changed();

 private:
  TFloatEdit* minEdit;
  TFloatEdit* maxEdit;

  DECLARE_RESPONSE_TABLE(ScrubbingDialog);
};

class DeclickDialog : public TEPropertyPage {
 public:
  DeclickDialog(TPropertySheet* sheet, int* pageIndexVariable);

  void SetupWindow() override;
  int Apply(PSHNOTIFY& notify) override;

 protected:
  void Changed();

 private:
  TComboBox* typeList;
  TFloatEdit* lengthEdit;

  DECLARE_RESPONSE_TABLE(DeclickDialog);
};

class EffectParamDialog : public TEPropertyPage {
 public:
  EffectParamDialog(TPropertySheet* sheet, int* pageIndexVariable);

  void SetupWindow() override;
  int Apply(PSHNOTIFY& notify) override;

 protected:
  void Changed();

 private:
  TComboBox* lists[4];

  DECLARE_RESPONSE_TABLE(EffectParamDialog);
};
