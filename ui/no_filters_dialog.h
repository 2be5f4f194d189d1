// "Open Audio Effects": the effect components that a project or an effect
// list names but that this machine has not installed, with the class id of
// the one selected.
#pragma once

#include "platform/classlib/controls.h"
#include "ui/te_dialog.h"

struct ComObjectEntry;

class NoFiltersDialog : public TEDialog {
 public:
  // components: a list whose nodes with the missing flag are shown; the
  // caller keeps it.
  NoFiltersDialog(TWindow* parent, ComObjectEntry* components);
  void SetupWindow() override;

 protected:
  void EvSelChange();

 private:
  // The n-th node with the missing flag, in list order; null when none.
  ComObjectEntry* MissingAt(int n) const;
  void ShowClassId();

  ComObjectEntry* components;
  TListBox* list;
  TStatic* classId;

  DECLARE_RESPONSE_TABLE(NoFiltersDialog);
};

// Makes, runs and deletes the dialog, owned by any window (null: none).
void RunNoFiltersDialog(HWND parent, ComObjectEntry* components);
