// TDialog: a window made from a dialog template, run modally (Execute) or
// modelessly (Create). Child control objects made with a resource id bind to
// the template's items when the dialog is set up. OK closes when CanClose
// agrees; Cancel and Esc close with IDCANCEL.
#pragma once

#include "platform/classlib/window.h"

class TDialog : public TWindow {
 public:
  TDialog(TWindow* parent, TResId resId, TModule* module = nullptr);
  // A dialog made from a template given in code.
  TDialog(TWindow* parent, const DialogTemplate& tpl, TModule* module = nullptr);

  // Runs the dialog modally; the result it ended with, or -1 when it
  // cannot be made.
  virtual int Execute();
  // Creates the dialog modelessly.
  bool Create() override;
  void SetupWindow() override;
  void Destroy(int retVal = IDCANCEL) override;
  void CloseWindow(int retVal = IDCANCEL) override;
  bool PreProcessMsg(MSG& msg) override;
  // The children's idle work, then the enablers this dialog lists for its
  // controls.
  bool IdleAction(long idleCount) override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

  bool IsModal() const { return IsFlagSet(wfModal); }
  TResId GetResId() const { return ResId; }
  // The template the dialog is made from (null when the resource is missing).
  const DialogTemplate* GetTemplate() const;

  void CmOk();
  void CmCancel();
  void EvClose();

 protected:
  LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // Registers the window classes of the child objects before the template
  // makes their windows.
  void RegisterChildClasses();
  static LONG_PTR DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static TDialog*& DialogCreating();

  TResId ResId;
  DialogTemplate OwnTemplate;
  bool HasOwnTemplate = false;

  DECLARE_RESPONSE_TABLE(TDialog);
};
