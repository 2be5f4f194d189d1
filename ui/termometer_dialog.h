// The progress dialog of long operations: a modeless, topmost window with a
// line of text, a percentage bar and Cancel, which holds the mouse capture
// (arrow cursor over it, wait cursor elsewhere). The operation opens it,
// reports its position after each block of work (which also runs the
// thread's waiting messages), stops when the report says the user cancelled
// (error 17) and closes it on every way out.
//
// While a progress dialog is open, the requests that would replace or close
// the project (ShellServices::ReplacesProject) are not run underneath the
// operation: they are kept, and posted again in their order once the last
// progress dialog has closed.
#pragma once

#include <cstdint>

#include "platform/classlib/controls.h"
#include "ui/te_dialog.h"

// The bar: a full bar is total, the done part position.
class TTermometerControl : public TControl {
 public:
  TTermometerControl(TWindow* parent, int resourceId, int32_t total);
  const char* GetClassName() override;
  void GetWindowClass(WNDCLASS& wc) override;
  void SetupWindow() override;
  void Paint(TDC& dc, bool erase, TRect& rect) override;
  // Takes the position; true when the bar needs drawing: the first time,
  // or when its filled part or its percentage moves.
  bool MoveTo(int32_t position);

  int32_t total;
  int32_t position = 0;
  TRect client;

 private:
  bool moved_ = false;
};

class TermometerDialog : public TEDialog {
 public:
  TermometerDialog(TWindow* parent, const char* title, const char* text, int32_t total, bool cancelable,
                   const RECT& placement);
  ~TermometerDialog() override;

  // Shows the position and runs the waiting messages; false once the user
  // cancelled.
  bool SetProgress(int32_t position);
  void SetupWindow() override;

  void CmCancel();
  void EvSysCommand(UINT cmdType, const TPoint& point);
  void EvLButtonDown(UINT modKeys, const TPoint& point);
  void EvLButtonUp(UINT modKeys, const TPoint& point);
  void EvMouseMove(UINT modKeys, const TPoint& point);

  TTermometerControl* bar;
  bool cancelable;
  bool cancelled = false;
  const char* title;
  const char* text;
  RECT placement;

  DECLARE_RESPONSE_TABLE(TermometerDialog);
};

// Opens the progress dialog over placeWindow (null: the main window); null
// when its window cannot be made.
TermometerDialog* OpenTermometer(const char* title, const char* text, int32_t total, bool cancelable,
                                 HWND placeWindow);
// Closes the dialog the holder points to (if any) and sets the holder to
// null; the status bar is blanked in every case.
void CloseTermometer(TermometerDialog** holder);
// Whether a progress dialog is open (a long operation runs).
bool LongOperationRunning();
