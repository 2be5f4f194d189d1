// The Save and VideoFX pages of the settings: autosave and the folder of
// the temporary sound file; how video transitions are rendered and where.
#pragma once

#include <string>

#include "ui/te_property_sheet.h"

class TIntEdit;
class TFloatEdit;

// The temporary sound file for a folder typed on the Save page: the folder
// as typed (its case kept), "kobrix.tmp" in it; the program's temporary
// folder when empty.
std::string SoundFileIn(const std::string& folder);

class SaveDialog : public TEPropertyPage {
 public:
  SaveDialog(TPropertySheet* sheet, int* pageIndexVariable);

  void SetupWindow() override;
  int Apply(PSHNOTIFY& notify) override;

 protected:
  void Changed();
  void CmAutoSave();

 private:
  void EnableCounts();
  void ShowFolder();

  TIntEdit* periodEdit;
  TIntEdit* countEdit;

  DECLARE_RESPONSE_TABLE(SaveDialog);
};

// Qualities are kept in hundredths of a percent and shown in percent.
int QualityPercent(int quality);

class VFXDialog : public TEPropertyPage {
 public:
  VFXDialog(TPropertySheet* sheet, int* pageIndexVariable);

  void SetupWindow() override;
  int Apply(PSHNOTIFY& notify) override;

 protected:
  void Changed();
  void CmLimit();
  LRESULT EvQualityChanged(WPARAM id, LPARAM);

 private:
  void EnableLimit();

  TIntEdit* maxEdit;
  TIntEdit* minEdit;
  TFloatEdit* rateEdit;

  DECLARE_RESPONSE_TABLE(VFXDialog);
};
