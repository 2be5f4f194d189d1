// The Colors page of the settings: the time-line's colours picked on a
// miniature time-line, saved to and loaded from scheme files. The page
// works on the sample's copy; Apply makes it the time-line's.
#pragma once

#include "app/settings/colors_sample.h"
#include "ui/te_property_sheet.h"

class TComboBox;

class ColorsDialog : public TEPropertyPage {
 public:
  ColorsDialog(TPropertySheet* sheet, int* pageIndexVariable);

  void SetupWindow() override;
  int Apply(PSHNOTIFY& notify) override;

  TColorsSampleControl& Sample() { return *sample; }

 protected:
  void CmChangeColor();
  void CmSaveScheme();
  void CmLoadScheme();
  void CmDefaultScheme();
  LRESULT EvSampleChangeColor(WPARAM, LPARAM);
  LRESULT EvSampleSelect(WPARAM, LPARAM);

 private:
  void Redraw();

  TComboBox* elements;
  TColorsSampleControl* sample;

  DECLARE_RESPONSE_TABLE(ColorsDialog);
};

// The 16 custom colours every colour dialog of the page shares; kept for
// the program's life, not stored.
COLORREF* ColorsCustomColors();
