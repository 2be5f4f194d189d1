#include "ui/no_filters_dialog.h"

#include "model/component_list.h"
#include "platform/components/guid.h"
#include "resources/clip_dialog_ids.h"
#include "ui/owner_window.h"

// clang-format off
DEFINE_RESPONSE_TABLE1(NoFiltersDialog, TEDialog)
  EV_LBN_SELCHANGE(kMissingEffectList, EvSelChange),
END_RESPONSE_TABLE;
// clang-format on

NoFiltersDialog::NoFiltersDialog(TWindow* parent, ComObjectEntry* components_)
    : TEDialog(parent, kNoFiltersDialog),
      components(components_),
      list(new TListBox(this, kMissingEffectList)),
      classId(new TStatic(this, kMissingEffectGuid, 256)) {}

void NoFiltersDialog::SetupWindow() {
  TEDialog::SetupWindow();
  for (ComObjectEntry* e = components; e != nullptr; e = e->next) {
    if (e->missing) list->AddString(e->progId);
  }
  list->SetSelIndex(0);
  ShowClassId();
}

void NoFiltersDialog::EvSelChange() {
  ShowClassId();
}

ComObjectEntry* NoFiltersDialog::MissingAt(int n) const {
  if (n < 0) return nullptr;
  for (ComObjectEntry* e = components; e != nullptr; e = e->next) {
    if (e->missing && n-- == 0) return e;
  }
  return nullptr;
}

void NoFiltersDialog::ShowClassId() {
  char text[128] = {};
  if (ComObjectEntry* e = MissingAt(list->GetSelIndex())) {
    if (StringFromGUID2(e->clsid, text, sizeof text) == 0) text[0] = '\0';
  }
  classId->SetText(text);
}

void RunNoFiltersDialog(HWND parent, ComObjectEntry* components) {
  OwnerWindow owner(parent);
  NoFiltersDialog dialog(owner.Get(), components);
  dialog.Execute();
}
