#include "ui/question_dialogs.h"

#include <algorithm>
#include <memory>

#include "platform/gui/gui.h"
#include "ui/owner_window.h"

namespace {

// Room for the list's own border and text margin beyond the widest text.
constexpr int kExtentMargin = 6;

class DialogQuestionRunner : public QuestionDialogRunner {
 public:
  int Run(HWND parent, const QuestionView& view, int* selected, const QuestionBrowse& browse) override {
    OwnerWindow owner(parent);
    std::unique_ptr<TQuestionDialog> dialog;
    switch (view.resource) {
      case kAskFileDialog:
        dialog = std::make_unique<AskFileDialog>(owner.Get(), view, browse);
        break;
      case kSelectFileDialog:
        dialog = std::make_unique<SelectFileDialog>(owner.Get(), view, selected, browse);
        break;
      case kAskAddClipDialog:
        dialog = std::make_unique<AskAddClipDialog>(owner.Get(), view);
        break;
      default:
        return IDCANCEL;
    }
    const int result = dialog->Execute();
    return result < 0 ? IDCANCEL : result;
  }
};

DialogQuestionRunner g_runner;

// The widest of the texts in the list's font, in pixels.
int WidestText(HWND list, const std::vector<std::string>& texts) {
  HDC dc = GetDC(list);
  if (dc == nullptr) return 0;
  HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessage(list, WM_GETFONT, 0, 0));
  HGDIOBJ before = font != nullptr ? SelectObject(dc, font) : nullptr;
  int widest = 0;
  for (const std::string& text : texts) {
    SIZE size{};
    if (GetTextExtentPoint32(dc, text.c_str(), static_cast<int>(text.size()), &size)) {
      widest = std::max(widest, static_cast<int>(size.cx));
    }
  }
  if (before != nullptr) SelectObject(dc, before);
  ReleaseDC(list, dc);
  return widest;
}

}  // namespace

// clang-format off
DEFINE_RESPONSE_TABLE1(TQuestionDialog, TEDialog)
  EV_COMMAND(kIdSkip, CmSkip),
  EV_COMMAND(kIdSkipAll, CmSkipAll),
END_RESPONSE_TABLE;

DEFINE_RESPONSE_TABLE1(AskFileDialog, TQuestionDialog)
  EV_COMMAND(IDOK, CmBrowse),
END_RESPONSE_TABLE;

DEFINE_RESPONSE_TABLE1(SelectFileDialog, TQuestionDialog)
  EV_COMMAND(IDOK, CmChoose),
  EV_COMMAND(kIdBrowseInList, CmBrowse),
  EV_LBN_SELCHANGE(kCandidateList, EvSelChange),
END_RESPONSE_TABLE;

DEFINE_RESPONSE_TABLE1(AskAddClipDialog, TQuestionDialog)
  EV_COMMAND(kIdAddAll, CmAddAll),
END_RESPONSE_TABLE;
// clang-format on

TQuestionDialog::TQuestionDialog(TWindow* parent, int resId, const QuestionView& view_, int* selected_,
                                 QuestionBrowse browse_)
    : TEDialog(parent, resId), view(view_), selected(selected_), browse(std::move(browse_)) {}

void TQuestionDialog::SetupWindow() {
  TEDialog::SetupWindow();
  if (!view.caption.empty()) ::SetWindowText(HWindow, view.caption.c_str());
  ::SetDlgItemText(HWindow, kQuestionText, view.text.c_str());
}

void TQuestionDialog::CmBrowse() {
  if (browse && browse(HWindow)) Destroy(IDOK);
}

void TQuestionDialog::CmSkip() {
  Destroy(kIdSkip);
}

void TQuestionDialog::CmSkipAll() {
  Destroy(kIdSkipAll);
}

AskFileDialog::AskFileDialog(TWindow* parent, const QuestionView& view_, QuestionBrowse browse_)
    : TQuestionDialog(parent, kAskFileDialog, view_, nullptr, std::move(browse_)) {}

SelectFileDialog::SelectFileDialog(TWindow* parent, const QuestionView& view_, int* selected_,
                                   QuestionBrowse browse_)
    : TQuestionDialog(parent, kSelectFileDialog, view_, selected_, std::move(browse_)),
      list(new TListBox(this, kCandidateList)) {}

void SelectFileDialog::SetupWindow() {
  TQuestionDialog::SetupWindow();
  for (const std::string& path : view.candidates) list->AddString(path.c_str());
  const int count = static_cast<int>(view.candidates.size());
  int first = selected != nullptr ? *selected : 0;
  if (first < 0 || first >= count) first = count > 0 ? 0 : -1;
  list->SetSelIndex(first);
  if (selected != nullptr) *selected = first;
  // Long paths can be scrolled into view.
  const int widest = WidestText(list->GetHandle(), view.candidates);
  list->SendMessage(LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + kExtentMargin));
}

void SelectFileDialog::CmChoose() {
  const int index = list->GetSelIndex();
  if (index < 0) {
    MessageBeep(MB_ICONASTERISK);
    return;
  }
  if (selected != nullptr) *selected = index;
  Destroy(IDOK);
}

void SelectFileDialog::EvSelChange() {
  if (selected != nullptr) *selected = list->GetSelIndex();
}

AskAddClipDialog::AskAddClipDialog(TWindow* parent, const QuestionView& view_)
    : TQuestionDialog(parent, kAskAddClipDialog, view_, nullptr, nullptr) {}

void AskAddClipDialog::CmAddAll() {
  Destroy(kIdAddAll);
}

void InstallQuestionDialogs() {
  SetQuestionDialogRunner(&g_runner);
  InstallFileQuestions();
}
