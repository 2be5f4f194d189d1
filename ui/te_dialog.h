// TEDialog: the base of the program's dialogs made from dialog resources.
// A button with id 9 (IDHELP) opens the help file at the topic numbered like
// the dialog's resource; the idle step first lets the time-line draw one
// pending clip; EnableItem disables an item without leaving the focus on it.
#pragma once

#include "platform/classlib/dialog.h"

class TEDialog : public TDialog {
 public:
  TEDialog(TWindow* parent, int resId);
  ~TEDialog() override;

  // Draws one pending time-line clip and stops there when it drew one;
  // otherwise the dialog's own idle work (its command enablers).
  bool IdleAction(long idleCount) override;
  // Enables or disables an item. A focused item that is disabled hands the
  // focus to the next item of its group, which becomes the default button,
  // or, alone in its group, to OK (id 1).
  void EnableItem(int id, bool enable);

 protected:
  void CmHelp();

  DECLARE_RESPONSE_TABLE(TEDialog);
};
