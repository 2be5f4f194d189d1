#include "platform/classlib/property_sheet.h"

#include <algorithm>

// ---- TPropertyPage ----

TPropertyPage::TPropertyPage(TPropertySheet* parent, TResId resId, const char* title, TResId, TModule* module)
    : TDialog(parent, resId, module), PageTitle(title != nullptr ? title : "") {
  if (parent != nullptr) parent->AddPage(*this);
}

TPropertySheet* TPropertyPage::GetSheet() const {
  return dynamic_cast<TPropertySheet*>(Parent);
}

std::string TPropertyPage::GetTitle() const {
  if (!PageTitle.empty()) return PageTitle;
  const DialogTemplate* tpl = GetTemplate();
  return tpl != nullptr ? tpl->caption : std::string();
}

bool TPropertyPage::CreatePage() {
  if (HWindow != nullptr) return true;
  const DialogTemplate* tpl = GetTemplate();
  if (tpl == nullptr || Parent == nullptr || Parent->GetHandle() == nullptr) return false;
  // The page lives inside the sheet: a child dialog without a frame.
  DialogTemplate child = *tpl;
  child.style =
      (child.style & ~(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_MODALFRAME | WS_VISIBLE)) |
      WS_CHILD | DS_CONTROL;
  child.exStyle &= ~WS_EX_DLGMODALFRAME;
  child.x = 0;
  child.y = 0;
  child.menu = 0;
  OwnTemplate = child;
  HasOwnTemplate = true;
  const bool ok = TDialog::Create();
  HasOwnTemplate = false;
  return ok;
}

int TPropertyPage::SetActive(PSHNOTIFY&) {
  return 0;
}

bool TPropertyPage::KillActive(PSHNOTIFY&) {
  return false;
}

int TPropertyPage::Apply(PSHNOTIFY&) {
  if (!CanClose()) return PSNRET_INVALID_NOCHANGEPAGE;
  TransferData(tdGetData);
  return PSNRET_NOERROR;
}

void TPropertyPage::Reset(PSHNOTIFY&) {}

void TPropertyPage::Help(PSHNOTIFY&) {}

int TPropertyPage::WizBack(PSHNOTIFY&) {
  return 0;
}

int TPropertyPage::WizNext(PSHNOTIFY&) {
  return 0;
}

bool TPropertyPage::WizFinish(PSHNOTIFY&) {
  return false;
}

bool TPropertyPage::QueryCancel(PSHNOTIFY&) {
  return false;
}

LRESULT TPropertyPage::EvNotify(UINT id, void* header) {
  auto* n = static_cast<PSHNOTIFY*>(header);
  if (n == nullptr) return DefaultProcessing();
  switch (n->hdr.code) {
    case PSN_SETACTIVE:
      return SetActive(*n);
    case PSN_KILLACTIVE:
      return KillActive(*n) ? TRUE : FALSE;
    case PSN_APPLY:
      return Apply(*n);
    case PSN_RESET:
      Reset(*n);
      return 0;
    case PSN_HELP:
      Help(*n);
      return 0;
    case PSN_WIZBACK:
      return WizBack(*n);
    case PSN_WIZNEXT:
      return WizNext(*n);
    case PSN_WIZFINISH:
      return WizFinish(*n) ? TRUE : FALSE;
    case PSN_QUERYCANCEL:
      return QueryCancel(*n) ? TRUE : FALSE;
  }
  return TDialog::EvNotify(id, header);
}

// ---- TPropertySheet ----

// clang-format off
DEFINE_RESPONSE_TABLE1(TPropertySheet, TDialog)
  EV_COMMAND(IDOK, CmOk),
  EV_COMMAND(IDCANCEL, CmCancel),
  EV_COMMAND(ID_APPLY_NOW, CmApply),
  EV_COMMAND(IDHELP, CmHelp),
  EV_MESSAGE(PSM_CHANGED, EvChanged),
  EV_MESSAGE(PSM_UNCHANGED, EvUnchanged),
  EV_MESSAGE(PSM_CANCELTOCLOSE, EvCancelToClose),
  EV_MESSAGE(PSM_SETCURSEL, EvSetCurSel),
  EV_MESSAGE(PSM_GETCURRENTPAGEHWND, EvGetCurrentPage),
  EV_MESSAGE(WM_NEXTDLGCTL, EvNextDlgCtl),
END_RESPONSE_TABLE;
// clang-format on

TPropertySheet::TPropertySheet(TWindow* parent, const char* title, UINT startPage, bool, DWORD flags,
                               TModule* module)
    : TDialog(parent, DialogTemplate{}, module),
      StartPage(startPage),
      SheetFlags(flags),
      SheetTitle(title != nullptr ? title : "") {}

void TPropertySheet::AddPage(TPropertyPage& page) {
  if (std::find(Pages.begin(), Pages.end(), &page) != Pages.end()) return;
  if (page.GetParentO() != this) page.SetParent(this);
  Pages.push_back(&page);
}

TPropertyPage* TPropertySheet::GetPage(int index) const {
  return index >= 0 && index < GetPageCount() ? Pages[static_cast<std::size_t>(index)] : nullptr;
}

bool TPropertySheet::HasHelp() const {
  if (SheetFlags & PSH_HASHELP) return true;
  for (const TPropertyPage* p : Pages) {
    if (p->GetFlags() & PSP_HASHELP) return true;
  }
  return false;
}

void TPropertySheet::BuildTemplate() {
  // The page area fits the largest page; the buttons run along the bottom.
  int page_w = 100, page_h = 60;
  for (const TPropertyPage* p : Pages) {
    if (const DialogTemplate* t = p->GetTemplate()) {
      page_w = std::max<int>(page_w, t->cx);
      page_h = std::max<int>(page_h, t->cy);
    }
  }
  const int margin = 7, tab_header = 14, button_w = 50, button_h = 14, gap = 4;
  const int tab_w = page_w + 4, tab_h = page_h + tab_header + 4;
  std::vector<std::pair<int, const char*>> buttons = {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
  if (!(SheetFlags & PSH_NOAPPLYNOW)) buttons.emplace_back(ID_APPLY_NOW, "&Apply");
  if (HasHelp()) buttons.emplace_back(IDHELP, "Help");
  const int row_w = static_cast<int>(buttons.size()) * (button_w + gap) - gap;
  DialogTemplate t;
  t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER;
  t.caption = SheetTitle;
  t.cx = static_cast<short>(std::max(tab_w, row_w) + 2 * margin);
  t.cy = static_cast<short>(margin + tab_h + gap + button_h + margin);
  t.items.push_back({WC_TABCONTROL, "", kPropertySheetTabId, WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, 0,
                     static_cast<short>(margin), static_cast<short>(margin), static_cast<short>(tab_w),
                     static_cast<short>(tab_h)});
  int x = t.cx - margin - row_w;
  const int y = margin + tab_h + gap;
  for (const auto& [id, text] : buttons) {
    DWORD style = WS_VISIBLE | WS_TABSTOP | (id == IDOK ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    if (id == ID_APPLY_NOW) style |= WS_DISABLED;
    t.items.push_back({WC_BUTTON, text, id, style, 0, static_cast<short>(x), static_cast<short>(y),
                       static_cast<short>(button_w), static_cast<short>(button_h)});
    x += button_w + gap;
  }
  OwnTemplate = std::move(t);
  HasOwnTemplate = true;
}

int TPropertySheet::Execute() {
  BuildTemplate();
  Current = -1;
  return TDialog::Execute();
}

void TPropertySheet::SetupWindow() {
  TDialog::SetupWindow();
  HWND tab = GetDlgItem(kPropertySheetTabId);
  for (int i = 0; i < GetPageCount(); ++i) {
    std::string title = Pages[static_cast<std::size_t>(i)]->GetTitle();
    TCITEM item;
    item.mask = TCIF_TEXT;
    item.pszText = title.data();
    ::SendMessage(tab, TCM_INSERTITEM, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
  if (GetPageCount() == 0) return;
  int start = static_cast<int>(StartPage);
  if (start < 0 || start >= GetPageCount()) start = 0;
  ::SendMessage(tab, TCM_SETCURSEL, static_cast<WPARAM>(start), 0);
  ActivatePage(start);
}

LRESULT TPropertySheet::Notify(TPropertyPage* page, UINT code, LPARAM lParam) {
  if (page == nullptr || !page->IsWindow()) return 0;
  PSHNOTIFY n;
  n.hdr.hwndFrom = HWindow;
  n.hdr.idFrom = 0;
  n.hdr.code = code;
  n.lParam = lParam;
  return ::SendMessage(page->GetHandle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&n));
}

void TPropertySheet::ActivatePage(int index) {
  TPropertyPage* page = GetPage(index);
  if (page == nullptr) return;
  if (!page->IsWindow()) {
    if (!page->CreatePage()) return;
    // The page fills the tab control's display area.
    HWND tab = GetDlgItem(kPropertySheetTabId);
    RECT r{};
    ::GetWindowRect(tab, &r);
    MapWindowPoints(nullptr, HWindow, reinterpret_cast<POINT*>(&r), 2);
    ::SendMessage(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    ::SetWindowPos(page->GetHandle(), HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   SWP_NOACTIVATE);
  }
  TPropertyPage* old = GetPage(Current);
  Current = index;
  Notify(page, PSN_SETACTIVE);
  if (old != nullptr && old != page && old->IsWindow()) old->Show(SW_HIDE);
  page->Show(SW_SHOW);
}

bool TPropertySheet::SelectPage(int index) {
  if (GetPage(index) == nullptr || HWindow == nullptr) return false;
  if (index == Current) return true;
  if (Current >= 0 && Notify(GetPage(Current), PSN_KILLACTIVE) != 0) return false;
  ::SendMessage(GetDlgItem(kPropertySheetTabId), TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
  ActivatePage(index);
  return true;
}

bool TPropertySheet::Apply(bool ok) {
  if (Current >= 0 && Notify(GetPage(Current), PSN_KILLACTIVE) != 0) return false;
  for (int i = 0; i < GetPageCount(); ++i) {
    TPropertyPage* page = Pages[static_cast<std::size_t>(i)];
    if (!page->IsWindow()) continue;
    if (Notify(page, PSN_APPLY, ok ? TRUE : FALSE) != PSNRET_NOERROR) {
      if (i != Current) {
        ::SendMessage(GetDlgItem(kPropertySheetTabId), TCM_SETCURSEL, static_cast<WPARAM>(i), 0);
        ActivatePage(i);
      }
      return false;
    }
  }
  if (HWND apply = GetDlgItem(ID_APPLY_NOW)) ::EnableWindow(apply, FALSE);
  return true;
}

LRESULT TPropertySheet::EvNotify(UINT id, void* header) {
  auto* n = static_cast<NMHDR*>(header);
  if (n != nullptr && id == kPropertySheetTabId) {
    if (n->code == TCN_SELCHANGING) {
      // The current page may keep the focus (an invalid entry).
      return Current >= 0 && Notify(GetPage(Current), PSN_KILLACTIVE) != 0 ? TRUE : FALSE;
    }
    if (n->code == TCN_SELCHANGE) {
      ActivatePage(static_cast<int>(::SendMessage(n->hwndFrom, TCM_GETCURSEL, 0, 0)));
      return 0;
    }
  }
  return TDialog::EvNotify(id, header);
}

void TPropertySheet::CmOk() {
  if (Apply(true)) Destroy(IDOK);
}

void TPropertySheet::CmCancel() {
  if (Current >= 0 && Notify(GetPage(Current), PSN_QUERYCANCEL) != 0) return;
  for (TPropertyPage* page : Pages) Notify(page, PSN_RESET);
  Destroy(IDCANCEL);
}

void TPropertySheet::CmApply() {
  Apply(false);
}

void TPropertySheet::CmHelp() {
  Notify(GetPage(Current), PSN_HELP);
}

LRESULT TPropertySheet::EvChanged(WPARAM, LPARAM) {
  if (HWND apply = GetDlgItem(ID_APPLY_NOW)) ::EnableWindow(apply, TRUE);
  return 0;
}

LRESULT TPropertySheet::EvUnchanged(WPARAM, LPARAM) {
  if (HWND apply = GetDlgItem(ID_APPLY_NOW)) ::EnableWindow(apply, FALSE);
  return 0;
}

LRESULT TPropertySheet::EvCancelToClose(WPARAM, LPARAM) {
  // What was applied cannot be taken back: OK becomes Close, Cancel goes grey.
  ::SetDlgItemText(HWindow, IDOK, "Close");
  if (HWND cancel = GetDlgItem(IDCANCEL)) ::EnableWindow(cancel, FALSE);
  return 0;
}

// Ctrl+Tab and Ctrl+Shift+Tab reach the sheet as the dialog's Tab: they
// turn the pages, round at the ends; Tab alone moves between controls.
LRESULT TPropertySheet::EvNextDlgCtl(WPARAM wParam, LPARAM lParam) {
  const int count = GetPageCount();
  if (lParam != 0 || (GetKeyState(VK_CONTROL) & 0x8000) == 0 || count < 2) return DefaultProcessing();
  const int step = wParam != 0 ? count - 1 : 1;
  SelectPage(((Current < 0 ? 0 : Current) + step) % count);
  return 0;
}

LRESULT TPropertySheet::EvSetCurSel(WPARAM wParam, LPARAM) {
  return SelectPage(static_cast<int>(wParam)) ? TRUE : FALSE;
}

LRESULT TPropertySheet::EvGetCurrentPage(WPARAM, LPARAM) {
  TPropertyPage* page = GetPage(Current);
  return page != nullptr ? reinterpret_cast<LRESULT>(page->GetHandle()) : 0;
}
