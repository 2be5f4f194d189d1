// The summary metadata as a property page (the five most used fields) and
// as a dialog of all 23 fields. Editable, they change the project's
// summary when the sheet applies; read-only, they show what a clip's file
// says and change nothing.
#pragma once

#include "clips/summary_info.h"
#include "platform/classlib/controls.h"
#include "ui/te_dialog.h"
#include "ui/te_property_sheet.h"

class SummaryDialog : public TEPropertyPage {
 public:
  // source: the summary shown and, when editable, replaced on Apply.
  SummaryDialog(TPropertySheet* sheet, int* pageIndexVariable, SummaryInfo* source, bool editable);

  void SetupWindow() override;
  int Apply(PSHNOTIFY& notify) override;

 protected:
  void FillControls();
  void ReadControls();
  void Changed();
  void CmExtended();
  void CmSetDefault();

 private:
  SummaryInfo* source;
  SummaryInfo own;
  bool editable;
  bool filling = false;

  DECLARE_RESPONSE_TABLE(SummaryDialog);
};

// The list of the 23 fields: each item its INFO id, its label and, when
// empty, "(Empty)" at the right.
class TSummaryFieldList : public TListBox {
 public:
  TSummaryFieldList(TWindow* parent, int resourceId, const SummaryInfo& summary);
  void DrawItem(DRAWITEMSTRUCT& drawInfo) override;

 private:
  const SummaryInfo& summary;
};

class ExtSummaryDialog : public TEDialog {
 public:
  ExtSummaryDialog(TWindow* parent, SummaryInfo* summary, bool editable);

  void SetupWindow() override;
  const SummaryInfo& Summary() const { return own; }

 protected:
  void FillList(int select);
  void StoreContent();
  void ShowSelected();
  void EvContentChange();
  void EvContentKillFocus();
  void EvFieldSelChange();
  void CmReset();
  void CmSetDefault();
  void CmOk();

 private:
  SummaryInfo own;
  SummaryInfo* summary;
  TSummaryFieldList* fields;
  int shownField = 1;
  bool changed = false;
  bool editable;
  bool filling = false;

  DECLARE_RESPONSE_TABLE(ExtSummaryDialog);
};
