#include "platform/gui/accel.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <vector>

#include "platform/gui/menu_internal.h"
#include "platform/gui/user.h"

namespace {

struct Tables {
  std::mutex lock;
  std::map<std::uintptr_t, std::vector<ACCEL>> table;
  std::uintptr_t next = 0x90000;
};

Tables& T() {
  static Tables* t = new Tables();
  return *t;
}

bool Down(int vk) {
  return (GetKeyState(vk) & 0x8000) != 0;
}

bool Matches(const ACCEL& a, const MSG* msg) {
  const bool alt = (msg->lParam & (1 << 29)) != 0;
  if (a.fVirt & FVIRTKEY) {
    if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) return false;
    if (a.key != static_cast<WORD>(msg->wParam)) return false;
    if (((a.fVirt & FSHIFT) != 0) != Down(VK_SHIFT)) return false;
    if (((a.fVirt & FCONTROL) != 0) != Down(VK_CONTROL)) return false;
    return ((a.fVirt & FALT) != 0) == alt;
  }
  // A character: WM_CHAR, or WM_SYSCHAR when it asks for Alt.
  if (msg->message == WM_CHAR) return !(a.fVirt & FALT) && a.key == static_cast<WORD>(msg->wParam);
  if (msg->message == WM_SYSCHAR) return (a.fVirt & FALT) && a.key == static_cast<WORD>(msg->wParam);
  return false;
}

}  // namespace

HACCEL CreateAcceleratorTable(const ACCEL* accels, int count) {
  if (accels == nullptr || count <= 0) return nullptr;
  std::lock_guard<std::mutex> hold(T().lock);
  const std::uintptr_t h = T().next;
  T().next += 4;
  T().table.emplace(h, std::vector<ACCEL>(accels, accels + count));
  return reinterpret_cast<HACCEL>(h);
}

BOOL DestroyAcceleratorTable(HACCEL accel) {
  std::lock_guard<std::mutex> hold(T().lock);
  return T().table.erase(reinterpret_cast<std::uintptr_t>(accel)) != 0 ? TRUE : FALSE;
}

int CopyAcceleratorTable(HACCEL accel, ACCEL* out, int count) {
  std::lock_guard<std::mutex> hold(T().lock);
  auto it = T().table.find(reinterpret_cast<std::uintptr_t>(accel));
  if (it == T().table.end()) return 0;
  const int n = static_cast<int>(it->second.size());
  if (out == nullptr) return n;
  const int k = std::min(n, count);
  for (int i = 0; i < k; ++i) out[i] = it->second[static_cast<std::size_t>(i)];
  return k;
}

int TranslateAccelerator(HWND hwnd, HACCEL accel, const MSG* msg) {
  if (hwnd == nullptr || msg == nullptr) return 0;
  if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN && msg->message != WM_CHAR &&
      msg->message != WM_SYSCHAR)
    return 0;
  WORD cmd = 0;
  {
    std::lock_guard<std::mutex> hold(T().lock);
    auto it = T().table.find(reinterpret_cast<std::uintptr_t>(accel));
    if (it == T().table.end()) return 0;
    bool found = false;
    for (const ACCEL& a : it->second) {
      if (Matches(a, msg)) {
        cmd = a.cmd;
        found = true;
        break;
      }
    }
    if (!found) return 0;
  }
  if (!IsWindowEnabled(hwnd)) return 1;
  // A command of the menu bar follows the state its menu is brought to.
  HMENU bar = GetMenu(hwnd);
  HMENU owner = nullptr;
  int index = -1;
  if (bar != nullptr && FindMenuItem(bar, cmd, MF_BYCOMMAND, &owner, &index)) {
    SendMessage(hwnd, WM_INITMENU, reinterpret_cast<WPARAM>(bar), 0);
    if (owner != bar && IsWindow(hwnd)) {
      // The index of the popup within its parent menu.
      int parent_index = 0;
      MenuRec parent_rec;
      std::vector<HMENU> walk{bar};
      while (!walk.empty()) {
        HMENU m = walk.back();
        walk.pop_back();
        if (!CopyMenuRec(m, &parent_rec)) continue;
        for (std::size_t i = 0; i < parent_rec.items.size(); ++i) {
          if (parent_rec.items[i].popup == owner) {
            parent_index = static_cast<int>(i);
          } else if (parent_rec.items[i].popup != nullptr) {
            walk.push_back(parent_rec.items[i].popup);
          }
        }
      }
      SendMessage(hwnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(owner), MAKELPARAM(parent_index, 0));
    }
    if (!IsWindow(hwnd)) return 1;
    const UINT state = GetMenuState(owner, static_cast<UINT>(index), MF_BYPOSITION);
    if (state != 0xFFFFFFFFu && (state & (MF_GRAYED | MF_DISABLED))) return 1;
  }
  SendMessage(hwnd, WM_COMMAND, MAKEWPARAM(cmd, 1), 0);
  return 1;
}
