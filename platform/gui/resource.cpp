#include "platform/gui/resource.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "platform/gui/gdi.h"
#include "platform/gui/user.h"

namespace {

struct Resources {
  std::mutex lock;
  // Templates are kept behind pointers so that a pointer handed out stays
  // valid when the same number is registered again.
  std::map<int, std::shared_ptr<const MenuTemplate>> menus;
  std::map<int, std::vector<ACCEL>> accelerators;
  std::map<int, std::shared_ptr<const DialogTemplate>> dialogs;
  std::map<int, std::string> strings;
  std::map<int, PixelArt> bitmaps;
  std::vector<std::shared_ptr<const void>> retired;  // replaced templates stay alive
};

Resources& R() {
  static Resources* r = new Resources();
  return *r;
}

int ArtWidth(const PixelArt& art) {
  return art.rows.empty() ? 0 : static_cast<int>(art.rows.front().size());
}

// The colour of a picture's pixel; false when it is transparent.
bool PixelAt(const PixelArt& art, int x, int y, COLORREF* color) {
  const std::string& row = art.rows[static_cast<std::size_t>(y)];
  if (x >= static_cast<int>(row.size())) return false;
  const char c = row[static_cast<std::size_t>(x)];
  for (const auto& [key, value] : art.palette) {
    if (key == c) {
      *color = value;
      return true;
    }
  }
  return false;
}

// Monochrome planes of a picture: rows padded to 16 bits, bit 7 leftmost.
void SetBit(std::vector<BYTE>& plane, int stride, int x, int y) {
  plane[static_cast<std::size_t>(y * stride + x / 8)] |= static_cast<BYTE>(0x80 >> (x % 8));
}

void BuildMenu(HMENU menu, const std::vector<MenuTemplateItem>& items) {
  for (const MenuTemplateItem& item : items) {
    if (item.flags & MF_SEPARATOR) {
      AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
    } else if ((item.flags & MF_POPUP) || !item.items.empty()) {
      HMENU sub = CreatePopupMenu();
      BuildMenu(sub, item.items);
      AppendMenu(menu, item.flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), item.text.c_str());
    } else {
      AppendMenu(menu, item.flags, item.id, item.text.c_str());
    }
  }
}

}  // namespace

HINSTANCE ProgramInstance() {
  return reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(0x400000));
}

int ResourceNumber(LPCSTR name) {
  if (name == nullptr) return 0;
  if (IS_INTRESOURCE(name)) return static_cast<int>(reinterpret_cast<std::uintptr_t>(name));
  if (name[0] != '#' || name[1] == '\0') return 0;
  char* end = nullptr;
  const long n = std::strtol(name + 1, &end, 10);
  if (end == nullptr || *end != '\0' || n <= 0 || n > 0xFFFF) return 0;
  return static_cast<int>(n);
}

void RegisterMenuResource(int id, MenuTemplate menu) {
  std::lock_guard<std::mutex> hold(R().lock);
  auto& slot = R().menus[id];
  if (slot) R().retired.push_back(slot);
  slot = std::make_shared<const MenuTemplate>(std::move(menu));
}

void RegisterAcceleratorResource(int id, std::vector<ACCEL> table) {
  std::lock_guard<std::mutex> hold(R().lock);
  R().accelerators[id] = std::move(table);
}

void RegisterDialogResource(int id, DialogTemplate dialog) {
  std::lock_guard<std::mutex> hold(R().lock);
  auto& slot = R().dialogs[id];
  if (slot) R().retired.push_back(slot);
  slot = std::make_shared<const DialogTemplate>(std::move(dialog));
}

void RegisterStringResource(int id, std::string text) {
  std::lock_guard<std::mutex> hold(R().lock);
  R().strings[id] = std::move(text);
}

void RegisterBitmapResource(int id, PixelArt art) {
  std::lock_guard<std::mutex> hold(R().lock);
  R().bitmaps[id] = std::move(art);
}

void RegisterCursorResource(int id, const PixelArt& art, POINT hot) {
  const int w = ArtWidth(art), h = static_cast<int>(art.rows.size());
  if (w <= 0 || h <= 0) return;
  const int stride = (w + 15) / 16 * 2;
  std::vector<BYTE> and_plane(static_cast<std::size_t>(stride * h), 0);
  std::vector<BYTE> xor_plane(static_cast<std::size_t>(stride * h), 0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      COLORREF c;
      if (!PixelAt(art, x, y, &c)) {
        SetBit(and_plane, stride, x, y);
      } else if (GetRValue(c) + GetGValue(c) + GetBValue(c) > 3 * 128) {
        SetBit(xor_plane, stride, x, y);
      }
    }
  }
  HCURSOR cursor = CreateCursor(ProgramInstance(), hot.x, hot.y, w, h, and_plane.data(), xor_plane.data());
  if (cursor != nullptr) RegisterResourceCursor(id, cursor);
}

void RegisterIconResource(int id, const PixelArt& art) {
  const int w = ArtWidth(art), h = static_cast<int>(art.rows.size());
  if (w <= 0 || h <= 0) return;
  const int stride = (w + 15) / 16 * 2;
  std::vector<BYTE> and_plane(static_cast<std::size_t>(stride * h), 0);
  std::vector<BYTE> image(static_cast<std::size_t>(w * 4 * h), 0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      COLORREF c;
      BYTE* p = &image[static_cast<std::size_t>((y * w + x) * 4)];
      if (!PixelAt(art, x, y, &c)) {
        SetBit(and_plane, stride, x, y);
        continue;
      }
      p[0] = GetBValue(c);
      p[1] = GetGValue(c);
      p[2] = GetRValue(c);
    }
  }
  HICON icon = CreateIcon(ProgramInstance(), w, h, 1, 32, and_plane.data(), image.data());
  if (icon != nullptr) RegisterResourceIcon(id, icon);
}

const DialogTemplate* FindDialogResource(int id) {
  std::lock_guard<std::mutex> hold(R().lock);
  auto it = R().dialogs.find(id);
  return it != R().dialogs.end() ? it->second.get() : nullptr;
}

const MenuTemplate* FindMenuResource(int id) {
  std::lock_guard<std::mutex> hold(R().lock);
  auto it = R().menus.find(id);
  return it != R().menus.end() ? it->second.get() : nullptr;
}

HMENU LoadMenuIndirect(const MenuTemplate* menu) {
  if (menu == nullptr) return nullptr;
  HMENU bar = CreateMenu();
  BuildMenu(bar, *menu);
  return bar;
}

HMENU LoadMenu(HINSTANCE, LPCSTR name) {
  return LoadMenuIndirect(FindMenuResource(ResourceNumber(name)));
}

HACCEL LoadAccelerators(HINSTANCE, LPCSTR name) {
  std::vector<ACCEL> table;
  {
    std::lock_guard<std::mutex> hold(R().lock);
    auto it = R().accelerators.find(ResourceNumber(name));
    if (it == R().accelerators.end()) return nullptr;
    table = it->second;
  }
  return CreateAcceleratorTable(table.data(), static_cast<int>(table.size()));
}

int LoadString(HINSTANCE, UINT id, LPSTR buffer, int size) {
  if (buffer == nullptr || size <= 0) return 0;
  std::string text;
  {
    std::lock_guard<std::mutex> hold(R().lock);
    auto it = R().strings.find(static_cast<int>(id));
    if (it == R().strings.end()) {
      buffer[0] = '\0';
      return 0;
    }
    text = it->second;
  }
  const std::size_t n = std::min(text.size(), static_cast<std::size_t>(size - 1));
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return static_cast<int>(n);
}

HBITMAP LoadBitmap(HINSTANCE, LPCSTR name) {
  PixelArt art;
  {
    std::lock_guard<std::mutex> hold(R().lock);
    auto it = R().bitmaps.find(ResourceNumber(name));
    if (it == R().bitmaps.end()) return nullptr;
    art = it->second;
  }
  const int w = ArtWidth(art), h = static_cast<int>(art.rows.size());
  if (w <= 0 || h <= 0) return nullptr;
  std::vector<BYTE> bits(static_cast<std::size_t>(w * 4 * h), 0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      COLORREF c = RGB(0, 0, 0);
      PixelAt(art, x, y, &c);
      BYTE* p = &bits[static_cast<std::size_t>((y * w + x) * 4)];
      p[0] = GetBValue(c);
      p[1] = GetGValue(c);
      p[2] = GetRValue(c);
    }
  }
  return CreateBitmap(w, h, 1, 32, bits.data());
}
