#include "platform/classlib/menu.h"

TMenu::TMenu() : Handle(::CreateMenu()) {}

TMenu::TMenu(HMENU handle, TAutoDelete autoDelete) : Handle(handle), ShouldDelete(autoDelete == AutoDelete) {}

TMenu::TMenu(const TModule& module, TResId resId) : Handle(module.LoadMenu(resId)) {}

TMenu::~TMenu() {
  if (ShouldDelete && Handle != nullptr) ::DestroyMenu(Handle);
}

HMENU TMenu::Release() {
  ShouldDelete = false;
  return Handle;
}

std::string TMenu::GetMenuString(UINT item, UINT flags) const {
  char text[256];
  const int n = ::GetMenuString(Handle, item, text, sizeof text, flags);
  return std::string(text, static_cast<std::size_t>(n > 0 ? n : 0));
}

TPopupMenu::TPopupMenu() : TMenu(::CreatePopupMenu(), AutoDelete) {}
