// The program's property sheets and pages: the two settings sheets and the
// clip property sheet are built on these. A page takes its position in the
// sheet from a counter it is given, writes it back when it becomes the
// current page (so the sheet can reopen there), opens the help topic named
// like its dialog resource, and tells the sheet when its values change.
#pragma once

#include <cstdint>

#include "platform/classlib/property_sheet.h"

class TEPropertySheet : public TPropertySheet {
 public:
  TEPropertySheet(TWindow* parent, const char* title, UINT startPage = 0);
  ~TEPropertySheet() override;

  // Tabs that do not fit in one row wrap into more; the sheet grows to
  // keep its pages whole.
  void SetupWindow() override;

  // The page shown first, once the pages are added.
  void SetStartPage(UINT page) { StartPage = page; }

  // Lets the time-line draw one pending clip first; when it drew one, asks
  // for no more idle calls.
  bool IdleAction(long idleCount) override;
};

class TEPropertyPage : public TPropertyPage {
 public:
  // Takes *pageIndexVariable as its index and counts it on.
  TEPropertyPage(TPropertySheet* sheet, int resId, int* pageIndexVariable);

  int PageIndex() const { return PageIndexValue; }
  uint32_t GetHelpContext() const { return HelpContext; }

  bool IdleAction(long idleCount) override;
  int SetActive(PSHNOTIFY& notify) override;
  void Help(PSHNOTIFY& notify) override;

 protected:
  // Enables the sheet's Apply button.
  void PageChanged();
  // What was applied cannot be taken back: Cancel becomes Close.
  void CancelToClose();
  // The numeric edits' change notice (WM_USER+94): the page changed.
  LRESULT EvValueChanged(WPARAM, LPARAM);

  uint32_t HelpContext;
  int* PageIndexVariable;
  int PageIndexValue;

 private:
  // False until the page is first shown: filling its controls at set-up
  // changes nothing the user chose.
  bool shown_ = false;

  DECLARE_RESPONSE_TABLE(TEPropertyPage);
};
