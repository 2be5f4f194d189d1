#include "clips/summary_dialog.h"

#include <string>

#include "model/ui_strings.h"
#include "resources/settings_dialog_ids.h"

namespace {

// The longest text a field takes from an edit.
constexpr int kFieldText = 254;

struct PageField {
  int id;
  int field;
};
constexpr PageField kPageFields[] = {
    {kSummaryTitle, 15}, {kSummaryAuthor, 10}, {kSummarySubject, 18}, {kSummaryCopyrightEdit, 5}, {kSummaryComments, 4},
};

std::string ItemText(HWND dialog, int id) {
  char text[kFieldText + 1] = {};
  ::GetDlgItemText(dialog, id, text, sizeof text);
  return text;
}

std::string FourCC(FOURCC id) {
  std::string s;
  for (int i = 0; i < 4; ++i) s += static_cast<char>((id >> (8 * i)) & 0xFF);
  return s;
}

}  // namespace

// ---- The page ----

// clang-format off
DEFINE_RESPONSE_TABLE1(SummaryDialog, TEPropertyPage)
  EV_EN_CHANGE(kSummaryTitle, Changed),
  EV_EN_CHANGE(kSummaryAuthor, Changed),
  EV_EN_CHANGE(kSummarySubject, Changed),
  EV_EN_CHANGE(kSummaryCopyrightEdit, Changed),
  EV_EN_CHANGE(kSummaryComments, Changed),
  EV_BN_CLICKED(kSummaryDontExport, Changed),
  EV_BN_CLICKED(kSummaryExtended, CmExtended),
  EV_BN_CLICKED(kSummarySetDefault, CmSetDefault),
END_RESPONSE_TABLE;
// clang-format on

SummaryDialog::SummaryDialog(TPropertySheet* sheet, int* pageIndexVariable, SummaryInfo* source_, bool editable_)
    : TEPropertyPage(sheet, editable_ ? kSummaryPage : kSummaryPageReadOnly, pageIndexVariable),
      source(source_),
      editable(editable_) {
  if (source != nullptr) own.Assign(*source);
}

void SummaryDialog::SetupWindow() {
  TEPropertyPage::SetupWindow();
  if (editable) ::CheckDlgButton(HWindow, kSummaryDontExport, SummaryDontSave ? BST_CHECKED : BST_UNCHECKED);
  FillControls();
}

void SummaryDialog::FillControls() {
  filling = true;
  for (const PageField& f : kPageFields) ::SetDlgItemText(HWindow, f.id, own.GetField(f.field));
  filling = false;
}

void SummaryDialog::ReadControls() {
  if (!editable) return;
  for (const PageField& f : kPageFields) own.SetField(f.field, ItemText(HWindow, f.id).c_str());
}

void SummaryDialog::Changed() {
  if (editable && !filling) PageChanged();
}

void SummaryDialog::CmExtended() {
  if (!editable) {
    ExtSummaryDialog(this, &own, false).Execute();
    return;
  }
  ReadControls();
  if (ExtSummaryDialog(this, &own, true).Execute() != IDOK) return;
  FillControls();
  PageChanged();
}

void SummaryDialog::CmSetDefault() {
  ReadControls();
  own.SaveDefaults();
}

int SummaryDialog::Apply(PSHNOTIFY& notify) {
  if (editable) {
    SummaryDontSave = ::IsDlgButtonChecked(HWindow, kSummaryDontExport) == BST_CHECKED;
    ReadControls();
    if (source != nullptr) source->Assign(own);
  }
  return TEPropertyPage::Apply(notify);
}

// ---- The field list ----

TSummaryFieldList::TSummaryFieldList(TWindow* parent, int resourceId, const SummaryInfo& summary_)
    : TListBox(parent, resourceId), summary(summary_) {}

void TSummaryFieldList::DrawItem(DRAWITEMSTRUCT& d) {
  const int field = static_cast<int>(d.itemData);
  if (field < 1 || field > kSummaryFieldCount) return;
  const bool selected = (d.itemState & ODS_SELECTED) != 0;
  HDC dc = d.hDC;
  const RECT& r = d.rcItem;
  HBRUSH back = CreateSolidBrush(GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  FillRect(dc, &r, back);
  DeleteObject(back);
  const int mode = SetBkMode(dc, TRANSPARENT);
  const COLORREF color = SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  SIZE empty{};
  GetTextExtentPoint32(dc, "(Empty)  ", 9, &empty);
  const int w = empty.cx;
  const std::string id = FourCC(GetInfoFieldId(field));
  RECT idBox{r.left + 2, r.top, r.left + w, r.bottom};
  DrawText(dc, id.c_str(), static_cast<int>(id.size()), &idBox, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
  RECT labelBox{r.left + w, r.top, r.right, r.bottom};
  DrawText(dc, GetInfoFieldLabel(field), -1, &labelBox, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
  if (summary.GetField(field)[0] == '\0') {
    RECT emptyBox{r.right - w, r.top, r.right - 2, r.bottom};
    DrawText(dc, ::GetString(ui_string::kEmptyField), -1, &emptyBox, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
  }
  SetTextColor(dc, color);
  SetBkMode(dc, mode);
  if (d.itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
}

// ---- The extended dialog ----

// clang-format off
DEFINE_RESPONSE_TABLE1(ExtSummaryDialog, TEDialog)
  EV_EN_CHANGE(kExtSummaryContent, EvContentChange),
  EV_EN_KILLFOCUS(kExtSummaryContent, EvContentKillFocus),
  EV_LBN_SELCHANGE(kExtSummaryFields, EvFieldSelChange),
  EV_BN_CLICKED(kExtSummaryReset, CmReset),
  EV_BN_CLICKED(kSummarySetDefault, CmSetDefault),
  EV_COMMAND(IDOK, CmOk),
END_RESPONSE_TABLE;
// clang-format on

ExtSummaryDialog::ExtSummaryDialog(TWindow* parent, SummaryInfo* summary_, bool editable_)
    : TEDialog(parent, editable_ ? kExtSummaryDialog : kExtSummaryDialogReadOnly),
      summary(summary_),
      fields(new TSummaryFieldList(this, kExtSummaryFields, own)),
      editable(editable_) {
  if (summary != nullptr) own.Assign(*summary);
}

void ExtSummaryDialog::SetupWindow() {
  TEDialog::SetupWindow();
  FillList(0);
}

void ExtSummaryDialog::FillList(int select) {
  filling = true;
  fields->ClearList();
  for (int i = 1; i <= kSummaryFieldCount; ++i) {
    const int at = fields->AddString("");
    fields->SetItemData(at, i);
  }
  fields->SetSelIndex(select >= 0 && select < kSummaryFieldCount ? select : 0);
  filling = false;
  ShowSelected();
}

void ExtSummaryDialog::ShowSelected() {
  const int at = fields->GetSelIndex();
  const int field = at >= 0 ? static_cast<int>(fields->GetItemData(at)) : 1;
  shownField = field;
  filling = true;
  ::SetDlgItemText(HWindow, kExtSummaryContent, own.GetField(field));
  filling = false;
  changed = false;
  if (editable) {
    // The creation date and the software are the program's own.
    EnableItem(kExtSummaryContent, field != kSummaryCreationDate && field != kSummarySoftware);
  }
}

void ExtSummaryDialog::StoreContent() {
  if (!editable || !changed) return;
  // The text belongs to the field it was shown for: the list's selection
  // may already have moved on.
  own.SetField(shownField, ItemText(HWindow, kExtSummaryContent).c_str());
  changed = false;
  fields->Invalidate(false);
}

void ExtSummaryDialog::EvContentChange() {
  if (!filling) changed = true;
}

void ExtSummaryDialog::EvContentKillFocus() {
  StoreContent();
}

void ExtSummaryDialog::EvFieldSelChange() {
  StoreContent();
  ShowSelected();
}

void ExtSummaryDialog::CmReset() {
  const int at = fields->GetSelIndex();
  own.Reset();
  FillList(at);
}

void ExtSummaryDialog::CmSetDefault() {
  StoreContent();
  own.SaveDefaults();
}

void ExtSummaryDialog::CmOk() {
  if (editable) {
    StoreContent();
    if (summary != nullptr) summary->Assign(own);
  }
  CloseWindow(IDOK);
}
