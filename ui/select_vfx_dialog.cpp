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
  PlaceBesidePointer();
}

// The pointer double-clicked the transition: the dialog opens just below
// it (above it near the bottom of the screen), whole on the screen.
void SelectVFXDialog::PlaceBesidePointer() {
  POINT at{};
  RECT r{};
  if (!::GetCursorPos(&at) || !::GetWindowRect(HWindow, &r)) return;
  constexpr int kGap = 12;
  const int w = r.right - r.left, h = r.bottom - r.top;
  const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
  const int x = std::clamp(static_cast<int>(at.x) - w / 2, 0, std::max(screenW - w, 0));
  int y = at.y + kGap;
  if (y + h > screenH) y = at.y - kGap - h;
  y = std::clamp(y, 0, std::max(screenH - h, 0));
  ::SetWindowPos(HWindow, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
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
