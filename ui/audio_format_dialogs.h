// The audio format questions: whether to convert a WAVE file the project
// cannot use as it is (and to which channels and resolution), the sample
// type of an audio export, and the program's wide sample type.
//
// Sample types: 0 the project's own, 1 8-bit, 2 16-bit, 3 20-bit and 4
// 24-bit packed integers, 5 24.0 and 6 16.8 floats, 7 normalized floats.
#pragma once

#include <cstdint>
#include <string>

#include "platform/classlib/controls.h"
#include "ui/te_dialog.h"

// What AskConvertDialog ends with besides IDOK (Yes) and IDCANCEL.
constexpr int kConvertAnswerNo = 7;

// "Convert Audio": Yes (1) or No (7) write the chosen channel count (1 or 2)
// and bits (8 or 16); Cancel (2) writes nothing. A compressed file can only
// be converted or left, so its form has no No.
class AskConvertDialog : public TEDialog {
 public:
  AskConvertDialog(TWindow* parent, bool compressed, const char* fileName, int32_t rate, uint16_t* channels,
                   uint16_t* bits);
  void SetupWindow() override;

 protected:
  void CmYes();
  void CmNo();

 private:
  void Answer(int result);

  std::string question;
  int32_t rate;
  uint16_t* channels;
  uint16_t* bits;
  TRadioButton* mono;
  TRadioButton* stereo;
  TRadioButton* eightBit;
  TRadioButton* sixteenBit;

  DECLARE_RESPONSE_TABLE(AskConvertDialog);
};

// "Export Audio Type": one of the types 0..7.
class Select32AudioDialog : public TEDialog {
 public:
  Select32AudioDialog(TWindow* parent, int* exportType);
  void SetupWindow() override;
  bool CanClose() override;

 private:
  int* exportType;
};

// "Advanced Audio Format": the program's wide sample type (AdvancedAudioType),
// 4..7.
class Select24AudioDialog : public TEDialog {
 public:
  explicit Select24AudioDialog(TWindow* parent);
  void SetupWindow() override;
  bool CanClose() override;
};

// 1 Yes, 7 No, 2 Cancel.
int RunAskConvertDialog(HWND parent, bool compressed, const char* fileName, int32_t rate, uint16_t* channels,
                        uint16_t* bits);
// True on OK. Has the form of the audio save dialog's export type chooser:
// the program installs it with SetExportTypeChooser.
bool RunSelect32AudioDialog(HWND owner, int* exportType);
bool RunSelect24AudioDialog(HWND parent);
