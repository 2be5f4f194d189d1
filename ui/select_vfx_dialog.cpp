#include "ui/select_vfx_dialog.h"

#include <algorithm>

#include "resources/clip_dialog_ids.h"
#include "ui/numeric_edits.h"
#include "ui/owner_window.h"

namespace {

const char* const kKinds[] = {"Dissolve", "Left to right", "Right to left", "Up to down", "Down to up"};
constexpr int32_t kLastKind = 4;
constexpr int32_t kLargestSize = 255;

}  // namespace

SelectVFXDialog::SelectVFXDialog(TWindow* parent, int32_t* kind_, int32_t* size_)
    : TEDialog(parent, kSelectVFXDialog),
      kind(kind_),
      size(size_),
      type(new TComboBox(this, kVfxType)),
      sizeEdit(new TIntEdit(this, kVfxSize, 0, kLargestSize)) {}

void SelectVFXDialog::SetupWindow() {
  TEDialog::SetupWindow();
  for (const char* text : kKinds) type->AddString(text);
  type->SetSelIndex(std::clamp<int32_t>(kind != nullptr ? *kind : 0, 0, kLastKind));
  sizeEdit->SetValue(size != nullptr ? *size : 0, true);
}

bool SelectVFXDialog::CanClose() {
  if (!sizeEdit->IsValid()) {
    ::SetFocus(sizeEdit->GetHandle());
    MessageBeep(MB_ICONASTERISK);
    return false;
  }
  if (kind != nullptr) *kind = std::max(type->GetSelIndex(), 0);
  if (size != nullptr) *size = sizeEdit->GetValue();
  return true;
}

bool RunSelectVFXDialog(HWND parent, int32_t* kind, int32_t* size) {
  OwnerWindow owner(parent);
  SelectVFXDialog dialog(owner.Get(), kind, size);
  return dialog.Execute() == IDOK;
}
