#include "ui/audio_format_dialogs.h"

#include "model/text_format.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "resources/setup_dialog_ids.h"
#include "ui/owner_window.h"
#include "ui/te_file_dialogs.h"

namespace {

constexpr int kQuestionLength = 511;
constexpr UINT kRateLength = 11;

int RadioOf(int type) {
  return type >= 1 && type <= 7 ? kAudioTypeFirst + type - 1 : kAudioTypeDefault;
}

// The type of the first checked radio among from..7, in type order; 0 when
// none is.
int CheckedType(HWND dialog, int from) {
  for (int type = from; type <= 7; ++type)
    if (IsDlgButtonChecked(dialog, RadioOf(type)) == BST_CHECKED) return type;
  return 0;
}

}  // namespace

// ---- AskConvertDialog ----

// clang-format off
DEFINE_RESPONSE_TABLE1(AskConvertDialog, TEDialog)
  EV_COMMAND(IDOK, CmYes),
  EV_COMMAND(kConvertAnswerNo, CmNo),
END_RESPONSE_TABLE;
// clang-format on

AskConvertDialog::AskConvertDialog(TWindow* parent, bool compressed, const char* fileName, int32_t rate_,
                                   uint16_t* channels_, uint16_t* bits_)
    : TEDialog(parent, compressed ? kAskConvertCompressed : kAskConvertDialog),
      rate(rate_),
      channels(channels_),
      bits(bits_) {
  const int text = compressed ? ui_string::kDecompressAudio : ui_string::kConvertSoundParameters;
  question = FormatText(GetString(text), fileName != nullptr ? fileName : "");
  if (question.size() > kQuestionLength) question.resize(kQuestionLength);
  new TEdit(this, kConvertRate, kRateLength + 1);
  mono = new TRadioButton(this, kConvertMono);
  stereo = new TRadioButton(this, kConvertStereo);
  eightBit = new TRadioButton(this, kConvert8Bit);
  sixteenBit = new TRadioButton(this, kConvert16Bit);
}

void AskConvertDialog::SetupWindow() {
  TEDialog::SetupWindow();
  ::SetDlgItemText(HWindow, kConvertText, question.c_str());
  ::SetDlgItemText(HWindow, kConvertRate, FormatText("%d", rate).c_str());
  const bool isMono = channels == nullptr || *channels < 2;
  (isMono ? mono : stereo)->Check();
  const bool isEight = bits == nullptr || *bits < 9;
  (isEight ? eightBit : sixteenBit)->Check();
}

void AskConvertDialog::Answer(int result) {
  if (channels != nullptr) *channels = mono->GetCheck() == TCheckBox::Checked ? 1 : 2;
  if (bits != nullptr) *bits = eightBit->GetCheck() == TCheckBox::Checked ? 8 : 16;
  Destroy(result);
}

void AskConvertDialog::CmYes() {
  Answer(IDOK);
}

void AskConvertDialog::CmNo() {
  Answer(kConvertAnswerNo);
}

// ---- Select32AudioDialog ----

Select32AudioDialog::Select32AudioDialog(TWindow* parent, int* exportType_)
    : TEDialog(parent, kSelect32AudioDialog), exportType(exportType_) {}

void Select32AudioDialog::SetupWindow() {
  TEDialog::SetupWindow();
  CheckDlgButton(HWindow, RadioOf(exportType != nullptr ? *exportType : 0), BST_CHECKED);
}

bool Select32AudioDialog::CanClose() {
  if (exportType != nullptr) *exportType = CheckedType(HWindow, 1);
  return true;
}

// ---- Select24AudioDialog ----

Select24AudioDialog::Select24AudioDialog(TWindow* parent) : TEDialog(parent, kSelect24AudioDialog) {}

void Select24AudioDialog::SetupWindow() {
  TEDialog::SetupWindow();
  const int type = AdvancedAudioType();
  CheckDlgButton(HWindow, RadioOf(type >= 4 && type <= 7 ? type : 4), BST_CHECKED);
}

bool Select24AudioDialog::CanClose() {
  const int type = CheckedType(HWindow, 4);
  AdvancedAudioType() = type != 0 ? type : 4;
  return true;
}

// ---- Runners ----

int RunAskConvertDialog(HWND parent, bool compressed, const char* fileName, int32_t rate, uint16_t* channels,
                        uint16_t* bits) {
  OwnerWindow owner(parent);
  AskConvertDialog dialog(owner.Get(), compressed, fileName, rate, channels, bits);
  const int result = dialog.Execute();
  return result == IDOK || result == kConvertAnswerNo ? result : IDCANCEL;
}

bool RunSelect32AudioDialog(HWND owner, int* exportType) {
  OwnerWindow window(owner);
  Select32AudioDialog dialog(window.Get(), exportType);
  return dialog.Execute() == IDOK;
}

bool RunSelect24AudioDialog(HWND parent) {
  OwnerWindow owner(parent);
  Select24AudioDialog dialog(owner.Get());
  return dialog.Execute() == IDOK;
}
