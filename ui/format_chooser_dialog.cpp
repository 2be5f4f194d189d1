#include "ui/format_chooser_dialog.h"

#include "resources/format_chooser_ids.h"
#include "ui/owner_window.h"

DEFINE_RESPONSE_TABLE1(FormatChooserDialog, TEDialog)
  EV_LBN_DBLCLK(kFormatChooserList, CmPick),
END_RESPONSE_TABLE;

FormatChooserDialog::FormatChooserDialog(TWindow* parent, const char* title,
                                         const std::vector<AcmFormatChoice>& choices, int initial)
    : TEDialog(parent, kFormatChooserDialog), title_(title != nullptr ? title : ""), choices_(choices),
      chosen_(initial) {}

void FormatChooserDialog::SetupWindow() {
  TEDialog::SetupWindow();
  if (!title_.empty()) SetCaption(title_.c_str());
  HWND list = ::GetDlgItem(HWindow, kFormatChooserList);
  for (const AcmFormatChoice& c : choices_) {
    const std::string text = std::string(c.formatTag) + ", " + c.description;
    ::SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  if (chosen_ >= 0 && chosen_ < static_cast<int>(choices_.size()))
    ::SendMessage(list, LB_SETCURSEL, static_cast<WPARAM>(chosen_), 0);
}

bool FormatChooserDialog::CanClose() {
  const LRESULT at = ::SendMessage(::GetDlgItem(HWindow, kFormatChooserList), LB_GETCURSEL, 0, 0);
  // OK without a choice keeps the dialog up.
  if (at < 0 || at >= static_cast<LRESULT>(choices_.size())) return false;
  chosen_ = static_cast<int>(at);
  return true;
}

void FormatChooserDialog::CmPick() {
  CloseWindow(IDOK);
}

int FormatChooserUi::Choose(HWND owner, LPCSTR title, const std::vector<AcmFormatChoice>& choices, int initial) {
  if (choices.empty()) return -1;
  OwnerWindow window(owner);
  FormatChooserDialog dialog(window.Get(), title, choices, initial);
  return dialog.Execute() == IDOK ? dialog.Chosen() : -1;
}
