// Menu records and the functions that build and change them; menu bars of
// windows and the system menu.
#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/gui/menu_internal.h"
#include "platform/gui/window_internal.h"

namespace {

struct Menus {
  std::recursive_mutex lock;
  std::map<std::uintptr_t, MenuRec> table;
  std::uintptr_t next = 0x70000;
  std::map<HWND, HMENU> system_menus;
};

Menus& M() {
  static Menus* m = new Menus();
  return *m;
}

MenuRec* Find(HMENU menu) {
  auto it = M().table.find(reinterpret_cast<std::uintptr_t>(menu));
  return it != M().table.end() ? &it->second : nullptr;
}

HMENU NewMenu(bool popup) {
  std::lock_guard<std::recursive_mutex> hold(M().lock);
  const std::uintptr_t h = M().next;
  M().next += 4;
  MenuRec rec;
  rec.popup = popup;
  M().table.emplace(h, std::move(rec));
  return reinterpret_cast<HMENU>(h);
}

// Under the lock: the menu and index of an item.
bool Locate(HMENU menu, UINT item, UINT flags, MenuRec** owner_rec, HMENU* owner, int* index, int depth = 0) {
  MenuRec* m = Find(menu);
  if (m == nullptr || depth > 32) return false;
  if (flags & MF_BYPOSITION) {
    if (item >= m->items.size()) return false;
    *owner_rec = m;
    *owner = menu;
    *index = static_cast<int>(item);
    return true;
  }
  for (std::size_t i = 0; i < m->items.size(); ++i) {
    const MenuItemRec& it = m->items[i];
    if (it.popup != nullptr) {
      if (Locate(it.popup, item, flags, owner_rec, owner, index, depth + 1)) return true;
    } else if (!(it.flags & MF_SEPARATOR) && it.id == item) {
      *owner_rec = m;
      *owner = menu;
      *index = static_cast<int>(i);
      return true;
    }
  }
  return false;
}

MenuItemRec MakeItem(UINT flags, UINT_PTR new_item, LPCSTR text) {
  MenuItemRec it;
  it.flags = flags & ~(MF_BYPOSITION | MF_CHANGE | MF_APPEND | MF_DELETE | MF_REMOVE);
  if (flags & MF_POPUP) {
    it.popup = reinterpret_cast<HMENU>(new_item);
    it.id = new_item;
  } else {
    it.id = new_item;
  }
  if (flags & MF_SEPARATOR) {
    it.id = 0;
  } else if (flags & MF_BITMAP) {
    it.bitmap = reinterpret_cast<HBITMAP>(const_cast<char*>(text));
  } else if (!(flags & MF_OWNERDRAW) && text != nullptr) {
    it.text = text;
  }
  return it;
}

void DestroyLocked(HMENU menu, int depth = 0) {
  MenuRec* m = Find(menu);
  if (m == nullptr || depth > 32) return;
  std::vector<HMENU> subs;
  for (const MenuItemRec& it : m->items) {
    if (it.popup != nullptr) subs.push_back(it.popup);
  }
  M().table.erase(reinterpret_cast<std::uintptr_t>(menu));
  for (HMENU s : subs) DestroyLocked(s, depth + 1);
}

HMENU BuildSystemMenu() {
  HMENU m = CreatePopupMenu();
  AppendMenu(m, MF_STRING, SC_RESTORE, "&Restore");
  AppendMenu(m, MF_STRING, SC_MOVE, "&Move");
  AppendMenu(m, MF_STRING, SC_SIZE, "&Size");
  AppendMenu(m, MF_STRING, SC_MINIMIZE, "Mi&nimize");
  AppendMenu(m, MF_STRING, SC_MAXIMIZE, "Ma&ximize");
  AppendMenu(m, MF_SEPARATOR, 0, nullptr);
  AppendMenu(m, MF_STRING, SC_CLOSE, "&Close\tAlt+F4");
  std::lock_guard<std::recursive_mutex> hold(M().lock);
  if (MenuRec* r = Find(m)) r->system = true;
  return m;
}

}  // namespace

bool CopyMenuRec(HMENU menu, MenuRec* out) {
  std::lock_guard<std::recursive_mutex> hold(M().lock);
  MenuRec* m = Find(menu);
  if (m == nullptr) return false;
  *out = *m;
  return true;
}

void SetMenuHilite(HMENU menu, int index) {
  std::lock_guard<std::recursive_mutex> hold(M().lock);
  MenuRec* m = Find(menu);
  if (m == nullptr) return;
  for (std::size_t i = 0; i < m->items.size(); ++i) {
    if (static_cast<int>(i) == index) {
      m->items[i].flags |= MF_HILITE;
    } else {
      m->items[i].flags &= ~MF_HILITE;
    }
  }
}

bool IsSystemMenu(HMENU menu) {
  std::lock_guard<std::recursive_mutex> hold(M().lock);
  MenuRec* m = Find(menu);
  return m != nullptr && m->system;
}

bool FindMenuItem(HMENU menu, UINT item, UINT flags, HMENU* owner, int* index) {
  std::lock_guard<std::recursive_mutex> hold(M().lock);
  MenuRec* rec;
  return Locate(menu, item, flags, &rec, owner, index);
}

HMENU CreateMenu() {
  return NewMenu(false);
}

HMENU CreatePopupMenu() {
  return NewMenu(true);
}

BOOL DestroyMenu(HMENU menu) {
  std::lock_guard<std::recursive_mutex> hold(M().lock);
  if (Find(menu) == nullptr) return FALSE;
  DestroyLocked(menu);
  return TRUE;
}

BOOL IsMenu(HMENU menu) {
  std::lock_guard<std::recursive_mutex> hold(M().lock);
  return Find(menu) != nullptr ? TRUE : FALSE;
}

BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR new_item, LPCSTR text) {
  std::lock_guard<std::recursive_mutex> hold(M().lock);
  MenuRec* m = Find(menu);
  if (m == nullptr) return FALSE;
  if ((flags & MF_POPUP) && Find(reinterpret_cast<HMENU>(new_item)) == nullptr) return FALSE;
  m->items.push_back(MakeItem(flags, new_item, text));
  return TRUE;
}

BOOL InsertMenu(HMENU menu, UINT position, UINT flags, UINT_PTR new_item, LPCSTR text) {
  std::lock_guard<std::recursive_mutex> hold(M().lock);
  if (Find(menu) == nullptr) return FALSE;
  if ((flags & MF_POPUP) && Find(reinterpret_cast<HMENU>(new_item)) == nullptr) return FALSE;
  if (position == 0xFFFFFFFFu) return AppendMenu(menu, flags & ~MF_BYPOSITION, new_item, text);
  MenuRec* owner_rec;
  HMENU owner;
  int index;
  if (flags & MF_BYPOSITION) {
    MenuRec* m = Find(menu);
    index = static_cast<int>(std::min<std::size_t>(position, m->items.size()));
    owner_rec = m;
  } else if (!Locate(menu, position, flags, &owner_rec, &owner, &index)) {
    return FALSE;
  }
  owner_rec->items.insert(owner_rec->items.begin() + index, MakeItem(flags, new_item, text));
  return TRUE;
}

BOOL ModifyMenu(HMENU menu, UINT position, UINT flags, UINT_PTR new_item, LPCSTR text) {
  std::lock_guard<std::recursive_mutex> hold(M().lock);
  MenuRec* rec;
  HMENU owner;
  int index;
  if (!Locate(menu, position, flags, &rec, &owner, &index)) return FALSE;
  MenuItemRec& it = rec->items[static_cast<std::size_t>(index)];
  HMENU old_popup = it.popup;
  const UINT hilite = it.flags & MF_HILITE;
  it = MakeItem(flags, new_item, text);
  it.flags |= hilite;
  // A submenu that is replaced goes with its item.
  if (old_popup != nullptr && old_popup != it.popup) DestroyLocked(old_popup);
  return TRUE;
}

BOOL DeleteMenu(HMENU menu, UINT position, UINT flags) {
  std::lock_guard<std::recursive_mutex> hold(M().lock);
  MenuRec* rec;
  HMENU owner;
  int index;
  if (!Locate(menu, position, flags, &rec, &owner, &index)) return FALSE;
  HMENU popup = rec->items[static_cast<std::size_t>(index)].popup;
  rec->items.erase(rec->items.begin() + index);
  if (popup != nullptr) DestroyLocked(popup);
  return TRUE;
}

BOOL RemoveMenu(HMENU menu, UINT position, UINT flags) {
  std::lock_guard<std::recursive_mutex> hold(M().lock);
  MenuRec* rec;
  HMENU owner;
  int index;
  if (!Locate(menu, position, flags, &rec, &owner, &index)) return FALSE;
  rec->items.erase(rec->items.begin() + index);
  return TRUE;
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT check) {
  std::lock_guard<std::recursive_mutex> hold(M().lock);
  MenuRec* rec;
  HMENU owner;
  int index;
  if (!Locate(menu, item, check, &rec, &owner, &index)) return 0xFFFFFFFFu;
  MenuItemRec& it = rec->items[static_cast<std::size_t>(index)];
  const DWORD old = it.flags & MF_CHECKED;
  it.flags = (it.flags & ~MF_CHECKED) | (check & MF_CHECKED);
  return old;
}

BOOL EnableMenuItem(HMENU menu, UINT item, UINT enable) {
  std::lock_guard<std::recursive_mutex> hold(M().lock);
  MenuRec* rec;
  HMENU owner;
  int index;
  if (!Locate(menu, item, enable, &rec, &owner, &index)) return -1;
  MenuItemRec& it = rec->items[static_cast<std::size_t>(index)];
  const UINT old = it.flags & (MF_GRAYED | MF_DISABLED);
  it.flags = (it.flags & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
  return static_cast<BOOL>(old);
}

BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags) {
  std::lock_guard<std::recursive_mutex> hold(M().lock);
  bool found = false;
  if (flags & MF_BYPOSITION) {
    MenuRec* m = Find(menu);
    if (m == nullptr) return FALSE;
    for (UINT i = first; i <= last && i < m->items.size(); ++i) {
      MenuItemRec& it = m->items[i];
      it.flags &= ~MF_CHECKED;
      if (i == check) {
        it.flags |= MF_CHECKED | MFT_RADIOCHECK;
        found = true;
      }
    }
    return found ? TRUE : FALSE;
  }
  for (UINT id = first; id <= last; ++id) {
    MenuRec* rec;
    HMENU owner;
    int index;
    if (!Locate(menu, id, MF_BYCOMMAND, &rec, &owner, &index)) continue;
    MenuItemRec& it = rec->items[static_cast<std::size_t>(index)];
    it.flags &= ~MF_CHECKED;
    if (id == check) {
      it.flags |= MF_CHECKED | MFT_RADIOCHECK;
      found = true;
    }
    if (id == 0xFFFFFFFFu) break;
  }
  return found ? TRUE : FALSE;
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags) {
  std::lock_guard<std::recursive_mutex> hold(M().lock);
  MenuRec* rec;
  HMENU owner;
  int index;
  if (!Locate(menu, item, flags, &rec, &owner, &index)) return 0xFFFFFFFFu;
  const MenuItemRec& it = rec->items[static_cast<std::size_t>(index)];
  UINT state = it.flags & (MF_CHECKED | MF_GRAYED | MF_DISABLED | MF_SEPARATOR | MF_POPUP | MF_HILITE |
                           MF_BITMAP | MF_OWNERDRAW | MF_MENUBREAK | MF_MENUBARBREAK | MF_DEFAULT | MF_HELP);
  if (it.popup != nullptr) {
    MenuRec* sub = Find(it.popup);
    const UINT count = sub != nullptr ? static_cast<UINT>(std::min<std::size_t>(sub->items.size(), 0xFF)) : 0;
    state = (state & 0xFF) | (count << 8);
  }
  return state;
}

HMENU GetSubMenu(HMENU menu, int position) {
  std::lock_guard<std::recursive_mutex> hold(M().lock);
  MenuRec* m = Find(menu);
  if (m == nullptr || position < 0 || static_cast<std::size_t>(position) >= m->items.size()) return nullptr;
  return m->items[static_cast<std::size_t>(position)].popup;
}

int GetMenuItemCount(HMENU menu) {
  std::lock_guard<std::recursive_mutex> hold(M().lock);
  MenuRec* m = Find(menu);
  return m != nullptr ? static_cast<int>(m->items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int position) {
  std::lock_guard<std::recursive_mutex> hold(M().lock);
  MenuRec* m = Find(menu);
  if (m == nullptr || position < 0 || static_cast<std::size_t>(position) >= m->items.size())
    return 0xFFFFFFFFu;
  const MenuItemRec& it = m->items[static_cast<std::size_t>(position)];
  if (it.popup != nullptr) return 0xFFFFFFFFu;
  return static_cast<UINT>(it.id);
}

int GetMenuString(HMENU menu, UINT item, LPSTR text, int size, UINT flags) {
  std::lock_guard<std::recursive_mutex> hold(M().lock);
  MenuRec* rec;
  HMENU owner;
  int index;
  if (!Locate(menu, item, flags, &rec, &owner, &index)) return 0;
  const std::string& s = rec->items[static_cast<std::size_t>(index)].text;
  if (text == nullptr || size <= 0) return static_cast<int>(s.size());
  const std::size_t n = std::min(s.size(), static_cast<std::size_t>(size - 1));
  std::memcpy(text, s.data(), n);
  text[n] = '\0';
  return static_cast<int>(n);
}

// ---- Menu bars ----

BOOL SetMenu(HWND hwnd, HMENU menu) {
  if (menu != nullptr && !IsMenu(menu)) return FALSE;
  {
    std::lock_guard<std::mutex> hold(TreeLock());
    Window* w = FindWindowRecord(hwnd);
    if (w == nullptr || (w->style & WS_CHILD)) return FALSE;
    w->menu = menu;
  }
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  return TRUE;
}

HMENU GetMenu(HWND hwnd) {
  std::lock_guard<std::mutex> hold(TreeLock());
  Window* w = FindWindowRecord(hwnd);
  return w != nullptr && !(w->style & WS_CHILD) ? w->menu : nullptr;
}

BOOL DrawMenuBar(HWND hwnd) {
  if (GetMenu(hwnd) == nullptr) return FALSE;
  RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
  return TRUE;
}

BOOL GetMenuItemRect(HWND hwnd, HMENU menu, UINT position, LPRECT rect) {
  if (rect == nullptr || menu == nullptr) return FALSE;
  if (hwnd != nullptr && GetMenu(hwnd) == menu) {
    MenuRec rec;
    if (!CopyMenuRec(menu, &rec) || position >= rec.items.size()) return FALSE;
    const std::vector<RECT> rects = LayoutMenuBar(rec, MenuBarRect(hwnd));
    RECT wr;
    GetWindowRect(hwnd, &wr);
    *rect = rects[position];
    OffsetRect(rect, wr.left, wr.top);
    return TRUE;
  }
  return OpenPopupItemRect(menu, position, rect) ? TRUE : FALSE;
}

// ---- The system menu ----

HMENU GetSystemMenu(HWND hwnd, BOOL revert) {
  if (!IsWindow(hwnd)) return nullptr;
  std::lock_guard<std::recursive_mutex> hold(M().lock);
  auto it = M().system_menus.find(hwnd);
  if (revert) {
    if (it != M().system_menus.end()) {
      DestroyLocked(it->second);
      M().system_menus.erase(it);
    }
    return nullptr;
  }
  if (it != M().system_menus.end()) return it->second;
  HMENU m = BuildSystemMenu();
  M().system_menus[hwnd] = m;
  return m;
}

void UpdateSystemMenu(HWND hwnd, HMENU menu) {
  const DWORD style = static_cast<DWORD>(GetWindowLong(hwnd, GWL_STYLE));
  const bool min = (style & WS_MINIMIZE) != 0, max = (style & WS_MAXIMIZE) != 0;
  auto set = [&](UINT id, bool on) {
    EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
  };
  set(SC_RESTORE, min || max);
  set(SC_MOVE, !max);
  set(SC_SIZE, (style & WS_THICKFRAME) && !min && !max);
  set(SC_MINIMIZE, (style & WS_MINIMIZEBOX) && !min);
  set(SC_MAXIMIZE, (style & WS_MAXIMIZEBOX) && (style & WS_THICKFRAME) && !max);
}

void DestroyWindowMenus(HWND hwnd) {
  HMENU bar = nullptr;
  {
    std::lock_guard<std::mutex> hold(TreeLock());
    if (Window* w = FindWindowRecord(hwnd)) {
      if (!(w->style & WS_CHILD)) bar = w->menu;
      w->menu = nullptr;
    }
  }
  std::lock_guard<std::recursive_mutex> hold(M().lock);
  if (bar != nullptr) DestroyLocked(bar);
  auto it = M().system_menus.find(hwnd);
  if (it != M().system_menus.end()) {
    DestroyLocked(it->second);
    M().system_menus.erase(it);
  }
}
