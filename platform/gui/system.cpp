// System metrics and colours, cursors and icons, beeps and dropped files.
#include <algorithm>
#include <cstring>
#include <map>

#include "platform/gui/backend.h"
#include "platform/gui/gui_driver.h"
#include "platform/gui/window_internal.h"

namespace {

const COLORREF kSysColors[25] = {
    RGB(192, 192, 192),  // scroll bar
    RGB(0, 128, 128),    // desktop
    RGB(0, 0, 128),      // active caption
    RGB(128, 128, 128),  // inactive caption
    RGB(192, 192, 192),  // menu
    RGB(255, 255, 255),  // window
    RGB(0, 0, 0),        // window frame
    RGB(0, 0, 0),        // menu text
    RGB(0, 0, 0),        // window text
    RGB(255, 255, 255),  // caption text
    RGB(192, 192, 192),  // active border
    RGB(192, 192, 192),  // inactive border
    RGB(128, 128, 128),  // application workspace
    RGB(0, 0, 128),      // highlight
    RGB(255, 255, 255),  // highlight text
    RGB(192, 192, 192),  // button face
    RGB(128, 128, 128),  // button shadow
    RGB(128, 128, 128),  // grey text
    RGB(0, 0, 0),        // button text
    RGB(192, 192, 192),  // inactive caption text
    RGB(255, 255, 255),  // button highlight
    RGB(0, 0, 0),        // 3D dark shadow
    RGB(223, 223, 223),  // 3D light
    RGB(0, 0, 0),        // tooltip text
    RGB(255, 255, 225),  // tooltip background
};

struct CursorRec {
  int system = 0;  // resource number of a system cursor or icon, else 0
  bool icon = false;
  int width = 32;
  int height = 32;
  POINT hot{};
  int bpp = 1;
  std::vector<BYTE> and_plane;
  std::vector<BYTE> xor_plane;
};

struct Cursors {
  std::mutex lock;
  std::map<std::uintptr_t, CursorRec> table;
  std::uintptr_t next = 0x30000;
  std::map<int, HCURSOR> system_cursors;
  std::map<int, HICON> system_icons;
  std::map<int, HCURSOR> resource_cursors;
  std::map<int, HICON> resource_icons;
  HCURSOR current = nullptr;
  int show_count = 0;
  UINT double_click = 500;
};

Cursors& K() {
  static Cursors* k = new Cursors();
  return *k;
}

HICON AddCursor(CursorRec rec) {
  Cursors& k = K();
  const std::uintptr_t h = k.next;
  k.next += 4;
  k.table.emplace(h, std::move(rec));
  return reinterpret_cast<HICON>(h);
}

struct Drop {
  std::vector<std::string> files;
  POINT pt{};
  bool client = true;
};

struct Drops {
  std::mutex lock;
  std::map<std::uintptr_t, Drop> table;
  std::uintptr_t next = 0x50000;
};

Drops& D() {
  static Drops* d = new Drops();
  return *d;
}

struct Beeps {
  std::mutex lock;
  std::vector<UINT> list;
};

Beeps& B() {
  static Beeps* b = new Beeps();
  return *b;
}

}  // namespace

int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN:
    case SM_CXFULLSCREEN:
      return Backend().Screen().right - Backend().Screen().left;
    case SM_CYSCREEN:
      return Backend().Screen().bottom - Backend().Screen().top;
    case SM_CYFULLSCREEN:
      return Backend().Screen().bottom - Backend().Screen().top - 19;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB:
      return 16;
    case SM_CYCAPTION:
      return 19;
    case SM_CYSMCAPTION:
      return 15;
    case SM_CXBORDER:
    case SM_CYBORDER:
      return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
      return 3;
    case SM_CXFRAME:
    case SM_CYFRAME:
      return 4;
    case SM_CXEDGE:
    case SM_CYEDGE:
      return 2;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
      return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
      return 16;
    case SM_CYMENU:
      return 19;
    case SM_CXSIZE:
    case SM_CYSIZE:
      return 18;
    case SM_CXMIN:
    case SM_CXMINTRACK:
      return 112;
    case SM_CYMIN:
    case SM_CYMINTRACK:
      return 27;
    case SM_CXMINIMIZED:
      return 160;
    case SM_CYMINIMIZED:
      return 24;
    case SM_CXMAXTRACK:
      return GetSystemMetrics(SM_CXSCREEN) + 12;
    case SM_CYMAXTRACK:
      return GetSystemMetrics(SM_CYSCREEN) + 12;
    case SM_CXMAXIMIZED:
      return GetSystemMetrics(SM_CXSCREEN) + 8;
    case SM_CYMAXIMIZED:
      return GetSystemMetrics(SM_CYSCREEN) + 8;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
    case SM_CXDRAG:
    case SM_CYDRAG:
      return 4;
    case SM_CMOUSEBUTTONS:
      return 3;
    case SM_SWAPBUTTON:
      return 0;
  }
  return 0;
}

DWORD GetSysColor(int index) {
  if (index < 0 || index >= 25) return 0;
  return kSysColors[index];
}

HBRUSH GetSysColorBrush(int index) {
  static std::mutex lock;
  static HBRUSH brushes[25] = {};
  if (index < 0 || index >= 25) return nullptr;
  std::lock_guard<std::mutex> hold(lock);
  if (brushes[index] == nullptr) {
    auto b = std::make_shared<BrushObject>();
    b->log.lbStyle = BS_SOLID;
    b->log.lbColor = kSysColors[index];
    b->sys_color = index;
    b->stock = true;
    brushes[index] = reinterpret_cast<HBRUSH>(GdiAdd(b));
  }
  return brushes[index];
}

UINT GetDoubleClickTime() {
  return K().double_click;
}

BOOL SetDoubleClickTime(UINT ms) {
  K().double_click = ms == 0 ? 500 : ms;
  return TRUE;
}

// ---- Cursors and icons ----

HCURSOR LoadCursor(HINSTANCE instance, LPCSTR name) {
  if (name == nullptr || !IS_INTRESOURCE(name)) return nullptr;
  const int id = static_cast<int>(reinterpret_cast<std::uintptr_t>(name));
  Cursors& k = K();
  std::lock_guard<std::mutex> hold(k.lock);
  if (instance != nullptr) {
    auto it = k.resource_cursors.find(id);
    return it != k.resource_cursors.end() ? it->second : nullptr;
  }
  if (!(id >= 32512 && id <= 32516) && !(id >= 32640 && id <= 32650)) return nullptr;
  auto it = k.system_cursors.find(id);
  if (it != k.system_cursors.end()) return it->second;
  CursorRec rec;
  rec.system = id;
  HCURSOR h = AddCursor(rec);
  k.system_cursors[id] = h;
  return h;
}

HICON LoadIcon(HINSTANCE instance, LPCSTR name) {
  if (name == nullptr || !IS_INTRESOURCE(name)) return nullptr;
  const int id = static_cast<int>(reinterpret_cast<std::uintptr_t>(name));
  Cursors& k = K();
  std::lock_guard<std::mutex> hold(k.lock);
  if (instance != nullptr) {
    auto it = k.resource_icons.find(id);
    return it != k.resource_icons.end() ? it->second : nullptr;
  }
  if (id < 32512 || id > 32516) return nullptr;
  auto it = k.system_icons.find(id);
  if (it != k.system_icons.end()) return it->second;
  CursorRec rec;
  rec.system = id;
  rec.icon = true;
  HICON h = AddCursor(rec);
  k.system_icons[id] = h;
  return h;
}

void RegisterResourceCursor(int id, HCURSOR cursor) {
  std::lock_guard<std::mutex> hold(K().lock);
  K().resource_cursors[id] = cursor;
}

void RegisterResourceIcon(int id, HICON icon) {
  std::lock_guard<std::mutex> hold(K().lock);
  K().resource_icons[id] = icon;
}

HCURSOR CreateCursor(HINSTANCE, int xHot, int yHot, int width, int height, const void* andPlane,
                     const void* xorPlane) {
  if (width <= 0 || height <= 0 || width > 256 || height > 256 || andPlane == nullptr || xorPlane == nullptr)
    return nullptr;
  CursorRec rec;
  rec.width = width;
  rec.height = height;
  rec.hot = POINT{xHot, yHot};
  const std::size_t bytes = static_cast<std::size_t>((width + 15) / 16 * 2) * height;
  rec.and_plane.assign(static_cast<const BYTE*>(andPlane), static_cast<const BYTE*>(andPlane) + bytes);
  rec.xor_plane.assign(static_cast<const BYTE*>(xorPlane), static_cast<const BYTE*>(xorPlane) + bytes);
  std::lock_guard<std::mutex> hold(K().lock);
  return AddCursor(std::move(rec));
}

HICON CreateIcon(HINSTANCE, int width, int height, BYTE planes, BYTE bpp, const BYTE* andBits,
                 const BYTE* xorBits) {
  if (width <= 0 || height <= 0 || width > 256 || height > 256 || planes != 1 || andBits == nullptr ||
      xorBits == nullptr || (bpp != 1 && bpp != 32)) {
    return nullptr;
  }
  CursorRec rec;
  rec.icon = true;
  rec.width = width;
  rec.height = height;
  rec.bpp = bpp;
  const std::size_t and_bytes = static_cast<std::size_t>((width + 15) / 16 * 2) * height;
  const std::size_t xor_bytes = bpp == 1 ? and_bytes : static_cast<std::size_t>(width) * 4 * height;
  rec.and_plane.assign(andBits, andBits + and_bytes);
  rec.xor_plane.assign(xorBits, xorBits + xor_bytes);
  std::lock_guard<std::mutex> hold(K().lock);
  return AddCursor(std::move(rec));
}

BOOL DestroyCursor(HCURSOR cursor) {
  Cursors& k = K();
  std::lock_guard<std::mutex> hold(k.lock);
  auto it = k.table.find(reinterpret_cast<std::uintptr_t>(cursor));
  if (it == k.table.end()) return FALSE;
  if (it->second.system != 0) return TRUE;  // shared system ones stay
  k.table.erase(it);
  return TRUE;
}

BOOL DestroyIcon(HICON icon) {
  return DestroyCursor(icon);
}

bool CursorInfo(HCURSOR cursor, int* system, int* width, int* height, POINT* hot,
                std::vector<BYTE>* and_plane, std::vector<BYTE>* xor_plane) {
  Cursors& k = K();
  std::lock_guard<std::mutex> hold(k.lock);
  auto it = k.table.find(reinterpret_cast<std::uintptr_t>(cursor));
  if (it == k.table.end()) return false;
  *system = it->second.system;
  *width = it->second.width;
  *height = it->second.height;
  *hot = it->second.hot;
  *and_plane = it->second.and_plane;
  *xor_plane = it->second.xor_plane;
  return true;
}

BOOL DrawIcon(HDC dc, int x, int y, HICON icon) {
  CursorRec rec;
  {
    Cursors& k = K();
    std::lock_guard<std::mutex> hold(k.lock);
    auto it = k.table.find(reinterpret_cast<std::uintptr_t>(icon));
    if (it == k.table.end()) return FALSE;
    rec = it->second;
  }
  if (rec.system != 0) {
    PaintSystemIcon(dc, x, y, rec.system);
    return TRUE;
  }
  // Screen = (screen AND mask) XOR image.
  HDC mem = CreateCompatibleDC(dc);
  HBITMAP mask = CreateBitmap(rec.width, rec.height, 1, 1, rec.and_plane.data());
  HGDIOBJ old = SelectObject(mem, mask);
  const COLORREF text = SetTextColor(dc, RGB(0, 0, 0));
  const COLORREF back = SetBkColor(dc, RGB(255, 255, 255));
  BitBlt(dc, x, y, rec.width, rec.height, mem, 0, 0, SRCAND);
  HBITMAP image = CreateBitmap(rec.width, rec.height, 1, rec.bpp == 1 ? 1 : 32, rec.xor_plane.data());
  SelectObject(mem, image);
  BitBlt(dc, x, y, rec.width, rec.height, mem, 0, 0, SRCINVERT);
  SetTextColor(dc, text);
  SetBkColor(dc, back);
  SelectObject(mem, old);
  DeleteObject(mask);
  DeleteObject(image);
  DeleteDC(mem);
  return TRUE;
}

HCURSOR SetCursor(HCURSOR cursor) {
  HCURSOR old;
  {
    std::lock_guard<std::mutex> hold(K().lock);
    old = K().current;
    if (old == cursor) return old;
    K().current = cursor;
  }
  Backend().SetCursor(cursor);
  return old;
}

HCURSOR GetCursor() {
  std::lock_guard<std::mutex> hold(K().lock);
  return K().current;
}

// Moving the pointer is a mouse move like any other: the window under it
// (or holding the capture) hears of it.
BOOL SetCursorPos(int x, int y) {
  POINT at{};
  GetCursorPos(&at);
  if (at.x == x && at.y == y) return TRUE;
  RawInput move;
  move.kind = RawInput::kMouseMove;
  move.pt = POINT{x, y};
  QueueRawInput(move);
  return TRUE;
}

int ShowCursor(BOOL show) {
  std::lock_guard<std::mutex> hold(K().lock);
  K().show_count += show ? 1 : -1;
  return K().show_count;
}

BOOL ClipCursor(const RECT*) {
  return TRUE;
}

// ---- Beeps ----

BOOL MessageBeep(UINT type) {
  {
    std::lock_guard<std::mutex> hold(B().lock);
    B().list.push_back(type);
  }
  Backend().Beep(type);
  return TRUE;
}

std::vector<UINT> TakeBeeps() {
  std::lock_guard<std::mutex> hold(B().lock);
  std::vector<UINT> out;
  out.swap(B().list);
  return out;
}

// ---- Dropped files ----

HDROP CreateDrop(const std::vector<std::string>& files, POINT client, bool in_client) {
  Drops& d = D();
  std::lock_guard<std::mutex> hold(d.lock);
  const std::uintptr_t h = d.next;
  d.next += 4;
  d.table.emplace(h, Drop{files, client, in_client});
  return reinterpret_cast<HDROP>(h);
}

void DragAcceptFiles(HWND hwnd, BOOL accept) {
  const LONG ex = GetWindowLong(hwnd, GWL_EXSTYLE);
  SetWindowLong(hwnd, GWL_EXSTYLE,
                accept ? (ex | WS_EX_ACCEPTFILES) : (ex & ~static_cast<LONG>(WS_EX_ACCEPTFILES)));
}

UINT DragQueryFile(HDROP drop, UINT index, LPSTR file, UINT size) {
  Drops& d = D();
  std::lock_guard<std::mutex> hold(d.lock);
  auto it = d.table.find(reinterpret_cast<std::uintptr_t>(drop));
  if (it == d.table.end()) return 0;
  const auto& files = it->second.files;
  if (index == 0xFFFFFFFFu) return static_cast<UINT>(files.size());
  if (index >= files.size()) return 0;
  const std::string& f = files[index];
  if (file == nullptr || size == 0) return static_cast<UINT>(f.size());
  const std::size_t n = std::min<std::size_t>(f.size(), size - 1);
  std::memcpy(file, f.data(), n);
  file[n] = '\0';
  return static_cast<UINT>(n);
}

BOOL DragQueryPoint(HDROP drop, LPPOINT point) {
  Drops& d = D();
  std::lock_guard<std::mutex> hold(d.lock);
  auto it = d.table.find(reinterpret_cast<std::uintptr_t>(drop));
  if (it == d.table.end()) return FALSE;
  if (point != nullptr) *point = it->second.pt;
  return it->second.client ? TRUE : FALSE;
}

void DragFinish(HDROP drop) {
  Drops& d = D();
  std::lock_guard<std::mutex> hold(d.lock);
  d.table.erase(reinterpret_cast<std::uintptr_t>(drop));
}
