// Property sheets: a modal dialog with a tab for each page, and OK, Cancel,
// Apply and Help buttons. Pages are child dialogs made from their own
// templates the first time their tab is chosen, and hear the sheet's
// notifications (PSN_...) as WM_NOTIFY: set active, kill active, apply,
// reset, help, query cancel. Apply and OK apply the pages made so far in
// page order; a page that refuses keeps the sheet open on it.
#pragma once

#include <vector>

#include "platform/classlib/dialog.h"

constexpr DWORD PSH_DEFAULT = 0x0000;
constexpr DWORD PSH_WIZARD = 0x0020;
constexpr DWORD PSH_NOAPPLYNOW = 0x0080;
constexpr DWORD PSH_HASHELP = 0x0200;
constexpr DWORD PSP_DEFAULT = 0x0000;
constexpr DWORD PSP_HASHELP = 0x0020;

constexpr UINT PSN_FIRST = static_cast<UINT>(-200);
constexpr UINT PSN_SETACTIVE = PSN_FIRST - 0;
constexpr UINT PSN_KILLACTIVE = PSN_FIRST - 1;
constexpr UINT PSN_APPLY = PSN_FIRST - 2;
constexpr UINT PSN_RESET = PSN_FIRST - 3;
constexpr UINT PSN_HELP = PSN_FIRST - 5;
constexpr UINT PSN_WIZBACK = PSN_FIRST - 6;
constexpr UINT PSN_WIZNEXT = PSN_FIRST - 7;
constexpr UINT PSN_WIZFINISH = PSN_FIRST - 8;
constexpr UINT PSN_QUERYCANCEL = PSN_FIRST - 9;
constexpr int PSNRET_NOERROR = 0;
constexpr int PSNRET_INVALID = 1;
constexpr int PSNRET_INVALID_NOCHANGEPAGE = 2;

constexpr UINT PSM_SETCURSEL = WM_USER + 101;
constexpr UINT PSM_CHANGED = WM_USER + 104;
constexpr UINT PSM_CANCELTOCLOSE = WM_USER + 107;
constexpr UINT PSM_UNCHANGED = WM_USER + 109;
constexpr UINT PSM_APPLY = WM_USER + 110;
constexpr UINT PSM_GETCURRENTPAGEHWND = WM_USER + 118;

// The ids of the sheet's own controls.
constexpr int ID_APPLY_NOW = 0x3021;
constexpr int kPropertySheetTabId = 0x3020;

struct PSHNOTIFY {
  struct {
    HWND hwndFrom = nullptr;
    UINT_PTR idFrom = 0;
    UINT code = 0;
  } hdr;
  LPARAM lParam = 0;  // PSN_APPLY: TRUE when OK was pressed
};

class TPropertySheet;

class TPropertyPage : public TDialog {
 public:
  TPropertyPage(TPropertySheet* parent, TResId resId, const char* title = nullptr, TResId icon = TResId(),
                TModule* module = nullptr);

  TPropertySheet* GetSheet() const;
  // The tab text: the title given, else the template's caption.
  std::string GetTitle() const;
  DWORD GetFlags() const { return PageFlags; }
  void SetFlags(DWORD flags) { PageFlags = flags; }

  // Makes the page's window inside the sheet.
  virtual bool CreatePage();

  // The sheet's notifications. SetActive returns 0 to accept; KillActive
  // true to keep the page (an invalid entry); Apply a PSNRET_ code;
  // QueryCancel true to keep the sheet open.
  virtual int SetActive(PSHNOTIFY& notify);
  virtual bool KillActive(PSHNOTIFY& notify);
  virtual int Apply(PSHNOTIFY& notify);
  virtual void Reset(PSHNOTIFY& notify);
  virtual void Help(PSHNOTIFY& notify);
  virtual int WizBack(PSHNOTIFY& notify);
  virtual int WizNext(PSHNOTIFY& notify);
  virtual bool WizFinish(PSHNOTIFY& notify);
  virtual bool QueryCancel(PSHNOTIFY& notify);

  LRESULT EvNotify(UINT id, void* header) override;

 protected:
  std::string PageTitle;
  DWORD PageFlags = PSP_DEFAULT;
};

class TPropertySheet : public TDialog {
 public:
  TPropertySheet(TWindow* parent, const char* title, UINT startPage = 0, bool isWizard = false,
                 DWORD flags = PSH_DEFAULT, TModule* module = nullptr);

  // The sheet owns its pages (they are its children).
  void AddPage(TPropertyPage& page);
  int GetPageCount() const { return static_cast<int>(Pages.size()); }
  TPropertyPage* GetPage(int index) const;
  int GetCurrentPageIndex() const { return Current; }
  // Moves to page index as a click on its tab does; false when the current
  // page keeps the focus.
  bool SelectPage(int index);
  // Applies the pages made so far, as the Apply button does; false when one
  // refused.
  bool Apply(bool ok = false);

  int Execute() override;
  void SetupWindow() override;
  LRESULT EvNotify(UINT id, void* header) override;

  void CmOk();
  void CmCancel();
  void CmApply();
  void CmHelp();
  LRESULT EvChanged(WPARAM wParam, LPARAM lParam);
  LRESULT EvUnchanged(WPARAM wParam, LPARAM lParam);
  LRESULT EvCancelToClose(WPARAM wParam, LPARAM lParam);
  LRESULT EvSetCurSel(WPARAM wParam, LPARAM lParam);
  LRESULT EvNextDlgCtl(WPARAM wParam, LPARAM lParam);
  LRESULT EvGetCurrentPage(WPARAM wParam, LPARAM lParam);

 protected:
  // Makes the template that fits the largest page.
  void BuildTemplate();
  void ActivatePage(int index);
  LRESULT Notify(TPropertyPage* page, UINT code, LPARAM lParam = 0);
  bool HasHelp() const;

  std::vector<TPropertyPage*> Pages;
  int Current = -1;
  UINT StartPage;
  DWORD SheetFlags;
  std::string SheetTitle;

  DECLARE_RESPONSE_TABLE(TPropertySheet);
};
