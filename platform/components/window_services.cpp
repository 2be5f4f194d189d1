#include "platform/components/window_services.h"

#include "platform/gui/gdi.h"
#include "platform/gui/user.h"

namespace {

HFONT DialogFont() {
  return reinterpret_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

// Plain functions where the window layer has overloads or inline wrappers,
// so every member is a function of exactly the table's type.
ATOM RegisterClassEntry(const WNDCLASS* wc) {
  return RegisterClass(wc);
}

}  // namespace

const KobrixWindowServices* HostWindowServices() {
  static const KobrixWindowServices services{
      sizeof(KobrixWindowServices),
      kWindowServicesVersion,
      RegisterClassEntry,
      UnregisterClass,
      CreateWindowEx,
      DestroyWindow,
      IsWindow,
      DefWindowProc,
      SendMessage,
      PostMessage,
      SetWindowText,
      GetWindowText,
      GetDlgItem,
      GetWindowLongPtr,
      SetWindowLongPtr,
      SetWindowPos,
      GetWindowRect,
      GetClientRect,
      AdjustWindowRectEx,
      ShowWindow,
      SetFocus,
      DialogFont,
  };
  return &services;
}
