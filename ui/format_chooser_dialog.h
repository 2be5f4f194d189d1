// "Sound Selection": the format chooser of the sound conversions, a list of
// the formats offered; the program installs it with SetAcmFormatChooserUi.
#pragma once

#include <vector>

#include "platform/audioconv/acm.h"
#include "ui/te_dialog.h"

class FormatChooserDialog : public TEDialog {
 public:
  FormatChooserDialog(TWindow* parent, const char* title, const std::vector<AcmFormatChoice>& choices, int initial);
  void SetupWindow() override;
  bool CanClose() override;
  void CmPick();
  int Chosen() const { return chosen_; }

 private:
  std::string title_;
  const std::vector<AcmFormatChoice>& choices_;
  int chosen_;

  DECLARE_RESPONSE_TABLE(FormatChooserDialog);
};

class FormatChooserUi : public AcmFormatChooserUi {
 public:
  int Choose(HWND owner, LPCSTR title, const std::vector<AcmFormatChoice>& choices, int initial) override;
};
