// The Alignment and Selection pages of the settings: where the current
// time and dragged clips snap to, and the selection-group and solo options.
#pragma once

#include <cstdint>

#include "ui/te_property_sheet.h"

class TComboBox;
class TIntEdit;

class GravityDialog : public TEPropertyPage {
 public:
  GravityDialog(TPropertySheet* sheet, int* pageIndexVariable);

  void SetupWindow() override;
  int Apply(PSHNOTIFY& notify) override;

 protected:
  void Changed();

 private:
  bool alignToFrame = false;
  bool alignTime = true;
  int32_t align = 6;
  int32_t group = 1;
  int32_t distance = 10;
  TComboBox* groupList;
  TIntEdit* distanceEdit;

  DECLARE_RESPONSE_TABLE(GravityDialog);
};

class SelectionDialog : public TEPropertyPage {
 public:
  SelectionDialog(TPropertySheet* sheet, int* pageIndexVariable);

  void SetupWindow() override;
  int Apply(PSHNOTIFY& notify) override;

 protected:
  void Changed();

 private:
  int32_t group = 1;
  bool multiSolo = false;
  bool keepCurTime = false;
  bool curTimeOverClips = false;
  TComboBox* groupList;

  DECLARE_RESPONSE_TABLE(SelectionDialog);
};
