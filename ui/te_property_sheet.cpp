#include "ui/te_property_sheet.h"

#include "ui/numeric_edits.h"
#include "ui/shell_services.h"

TEPropertySheet::TEPropertySheet(TWindow* parent, const char* title, UINT startPage)
    : TPropertySheet(parent, title, startPage) {}

TEPropertySheet::~TEPropertySheet() = default;

void TEPropertySheet::SetupWindow() {
  HWND tab = GetDlgItem(kPropertySheetTabId);
  if (tab != nullptr) ::SetWindowLong(tab, GWL_STYLE, ::GetWindowLong(tab, GWL_STYLE) | TCS_MULTILINE);
  TPropertySheet::SetupWindow();
  if (tab == nullptr) return;
  const int rows = static_cast<int>(::SendMessage(tab, TCM_GETROWCOUNT, 0, 0));
  if (rows <= 1) return;
  RECT item{};
  ::SendMessage(tab, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
  const int grow = (rows - 1) * (item.bottom - item.top);
  auto placeOf = [this](HWND w) {
    RECT r{};
    ::GetWindowRect(w, &r);
    MapWindowPoints(nullptr, HWindow, reinterpret_cast<POINT*>(&r), 2);
    return r;
  };
  RECT sheet{};
  ::GetWindowRect(HWindow, &sheet);
  ::SetWindowPos(HWindow, nullptr, 0, 0, sheet.right - sheet.left, sheet.bottom - sheet.top + grow,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  const RECT t = placeOf(tab);
  ::SetWindowPos(tab, nullptr, 0, 0, t.right - t.left, t.bottom - t.top + grow,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  for (int id : {IDOK, IDCANCEL, ID_APPLY_NOW, IDHELP}) {
    HWND button = GetDlgItem(id);
    if (button == nullptr) continue;
    const RECT b = placeOf(button);
    ::SetWindowPos(button, nullptr, b.left, b.top + grow, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  // The page shown already fills the display area as it now is.
  if (TPropertyPage* page = GetPage(Current); page != nullptr && page->GetHandle() != nullptr) {
    RECT r = placeOf(tab);
    ::SendMessage(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    ::SetWindowPos(page->GetHandle(), HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE);
  }
}

bool TEPropertySheet::IdleAction(long idleCount) {
  if (CurrentShellServices().DrawPendingClip()) return false;
  return TPropertySheet::IdleAction(idleCount);
}

// clang-format off
DEFINE_RESPONSE_TABLE1(TEPropertyPage, TPropertyPage)
  EV_MESSAGE(kNumberChanged, EvValueChanged),
END_RESPONSE_TABLE;
// clang-format on

TEPropertyPage::TEPropertyPage(TPropertySheet* sheet, int resId, int* pageIndexVariable)
    : TPropertyPage(sheet, TResId(resId)),
      HelpContext(static_cast<uint32_t>(resId)),
      PageIndexVariable(pageIndexVariable),
      PageIndexValue(pageIndexVariable != nullptr ? (*pageIndexVariable)++ : 0) {
  SetFlags(GetFlags() | PSP_HASHELP);
}

bool TEPropertyPage::IdleAction(long idleCount) {
  if (CurrentShellServices().DrawPendingClip()) return false;
  return TPropertyPage::IdleAction(idleCount);
}

int TEPropertyPage::SetActive(PSHNOTIFY& notify) {
  shown_ = true;
  if (PageIndexVariable != nullptr) *PageIndexVariable = PageIndexValue;
  return TPropertyPage::SetActive(notify);
}

void TEPropertyPage::Help(PSHNOTIFY&) {
  CurrentShellServices().ShowHelpContext(static_cast<uint16_t>(HelpContext));
}

void TEPropertyPage::PageChanged() {
  if (!shown_) return;
  if (TWindow* sheet = GetParentO(); sheet != nullptr && sheet->GetHandle() != nullptr) {
    ::SendMessage(sheet->GetHandle(), PSM_CHANGED, reinterpret_cast<WPARAM>(HWindow), 0);
  }
}

void TEPropertyPage::CancelToClose() {
  if (TWindow* sheet = GetParentO(); sheet != nullptr && sheet->GetHandle() != nullptr) {
    ::SendMessage(sheet->GetHandle(), PSM_CANCELTOCLOSE, 0, 0);
  }
}

LRESULT TEPropertyPage::EvValueChanged(WPARAM, LPARAM) {
  PageChanged();
  return 0;
}
