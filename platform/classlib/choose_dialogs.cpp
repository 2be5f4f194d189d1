// The colour and font dialogs: each fills the window system's record from
// its data, runs the chooser owned by the parent window and copies the
// answer back on OK only.
#include "platform/classlib/common_dialogs.h"
#include "platform/gui/common_dialogs.h"

namespace {

HWND OwnerOf(TWindow* parent) {
  return parent != nullptr ? parent->GetHandle() : nullptr;
}

}  // namespace

TChooseColorDialog::TChooseColorDialog(TWindow* parent, TData& data, const char* title, TModule* module)
    : TCommonDialog(parent, title, module), Data(data) {}

int TChooseColorDialog::Execute() {
  CHOOSECOLOR cc;
  cc.hwndOwner = OwnerOf(Parent);
  cc.rgbResult = Data.Color;
  cc.lpCustColors = Data.CustColors;
  cc.Flags = Data.Flags;
  if (!ChooseColor(&cc)) {
    Data.Error = CommDlgExtendedError();
    return IDCANCEL;
  }
  Data.Error = 0;
  Data.Color = cc.rgbResult;
  return IDOK;
}

TChooseFontDialog::TChooseFontDialog(TWindow* parent, TData& data, const char* title, TModule* module)
    : TCommonDialog(parent, title, module), Data(data) {}

int TChooseFontDialog::Execute() {
  CHOOSEFONT cf;
  cf.hwndOwner = OwnerOf(Parent);
  cf.hDC = Data.DC;
  // The chooser writes the font only on OK, so it may work on the data's own.
  cf.lpLogFont = &Data.LogFont;
  cf.Flags = Data.Flags;
  cf.rgbColors = Data.Color;
  cf.nSizeMin = Data.SizeMin;
  cf.nSizeMax = Data.SizeMax;
  if (!ChooseFont(&cf)) {
    Data.Error = CommDlgExtendedError();
    return IDCANCEL;
  }
  Data.Error = 0;
  Data.PointSize = cf.iPointSize;
  Data.Color = cf.rgbColors;
  Data.FontType = cf.nFontType;
  return IDOK;
}
