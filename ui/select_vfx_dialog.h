// "VideoFX Selection": the kind of a video transition and its size.
#pragma once

#include <cstdint>

#include "platform/classlib/controls.h"
#include "ui/te_dialog.h"

class TIntEdit;

class SelectVFXDialog : public TEDialog {
 public:
  // kind: 0 dissolve, 1 left to right, 2 right to left, 3 up to down, 4 down
  // to up; size: pixels, 0 to 255. Both are written only on OK.
  SelectVFXDialog(TWindow* parent, int32_t* kind, int32_t* size);
  void SetupWindow() override;
  bool CanClose() override;

 private:
  void PlaceBesidePointer();

  int32_t* kind;
  int32_t* size;
  TComboBox* type;
  TIntEdit* sizeEdit;
};

bool RunSelectVFXDialog(HWND parent, int32_t* kind, int32_t* size);
