#include "platform/gui/gui_driver.h"

#include <cctype>
#include <cstring>

#include "platform/core/message_queue.h"
#include "platform/gui/backend.h"
#include "platform/gui/png_writer.h"
#include "platform/gui/window_internal.h"

const char* GuiBackendName() {
  return Backend().Name();
}

bool GuiSelectBackend(const char* name) {
  return SelectGuiBackend(name);
}

void GuiMouseMove(int x, int y) {
  RawInput in;
  in.kind = RawInput::kMouseMove;
  in.pt = POINT{x, y};
  QueueRawInput(in);
}

void GuiMouseButton(int button, bool down, int x, int y) {
  RawInput in;
  in.kind = RawInput::kMouseButton;
  in.pt = POINT{x, y};
  in.button = button;
  in.down = down;
  QueueRawInput(in);
}

void GuiMouseWheel(int delta, int x, int y) {
  RawInput in;
  in.kind = RawInput::kMouseWheel;
  in.pt = POINT{x, y};
  in.wheel = delta;
  QueueRawInput(in);
}

void GuiKey(int vk, bool down) {
  RawInput in;
  in.kind = RawInput::kKey;
  in.vk = vk;
  in.down = down;
  QueueRawInput(in);
}

void GuiDropFiles(int x, int y, const std::vector<std::string>& files) {
  RawInput in;
  in.kind = RawInput::kDrop;
  in.pt = POINT{x, y};
  in.files = files;
  QueueRawInput(in);
}

bool GuiSetScreenSize(int width, int height) {
  if (width <= 0 || height <= 0) return false;
  return Backend().SetScreenSize(width, height);
}

bool GuiSetWorkArea(int left, int top, int right, int bottom) {
  if (right <= left || bottom <= top) return false;
  return Backend().SetWorkArea(RECT{left, top, right, bottom});
}

void GuiSetAppActive(bool active) {
  SetAppActive(active);
}

void GuiClick(HWND hwnd, int x, int y, int button) {
  POINT p{x, y};
  ClientToScreen(hwnd, &p);
  GuiMouseMove(p.x, p.y);
  GuiMouseButton(button, true, p.x, p.y);
  GuiMouseButton(button, false, p.x, p.y);
}

void GuiPressKey(int vk) {
  GuiKey(vk, true);
  GuiKey(vk, false);
}

namespace {

// The key and shift state that type c on the layout TranslateMessage uses.
bool KeyFor(char c, int* vk, bool* shift) {
  *shift = false;
  if (c >= 'a' && c <= 'z') return *vk = std::toupper(c), true;
  if (c >= 'A' && c <= 'Z') return *vk = c, *shift = true, true;
  if (c >= '0' && c <= '9') return *vk = c, true;
  static const char kShiftedDigits[] = ")!@#$%^&*(";
  if (const char* p = std::strchr(kShiftedDigits, c); p != nullptr && c != '\0') {
    *vk = '0' + static_cast<int>(p - kShiftedDigits);
    *shift = true;
    return true;
  }
  struct Oem {
    char plain, shifted;
    int vk;
  };
  static const Oem kOem[] = {{';', ':', VK_OEM_1},     {'=', '+', VK_OEM_PLUS},   {',', '<', VK_OEM_COMMA},
                             {'-', '_', VK_OEM_MINUS}, {'.', '>', VK_OEM_PERIOD}, {'/', '?', VK_OEM_2},
                             {'`', '~', VK_OEM_3},     {'[', '{', VK_OEM_4},      {'\\', '|', VK_OEM_5},
                             {']', '}', VK_OEM_6},     {'\'', '"', VK_OEM_7}};
  for (const Oem& o : kOem) {
    if (c == o.plain || c == o.shifted) {
      *vk = o.vk;
      *shift = c == o.shifted;
      return true;
    }
  }
  switch (c) {
    case ' ':
      *vk = VK_SPACE;
      return true;
    case '\n':
    case '\r':
      *vk = VK_RETURN;
      return true;
    case '\t':
      *vk = VK_TAB;
      return true;
    case '\b':
      *vk = VK_BACK;
      return true;
  }
  return false;
}

}  // namespace

void GuiType(const char* text) {
  for (const char* p = text; p != nullptr && *p != '\0'; ++p) {
    int vk;
    bool shift;
    if (!KeyFor(*p, &vk, &shift)) continue;
    if (shift) GuiKey(VK_SHIFT, true);
    GuiPressKey(vk);
    if (shift) GuiKey(VK_SHIFT, false);
  }
}

int GuiPumpMessages() {
  int count = 0;
  MSG msg;
  while (PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
    if (msg.message == WM_QUIT) break;
    if (!PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) break;
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessage(&msg);
    ++count;
  }
  // The display shows what was drawn.
  if (OnDisplayThread()) Backend().Pump();
  return count;
}

COLORREF GuiReadPixel(HWND hwnd, int x, int y) {
  std::lock_guard<std::mutex> hold(TreeLock());
  Window* w = FindWindowRecord(hwnd);
  if (w == nullptr) return CLR_INVALID;
  Window* root = RootOf(w);
  if (!root->surface) return CLR_INVALID;
  const RECT c = ClientRectOnSurface(*w);
  const int sx = c.left + x, sy = c.top + y;
  if (x < 0 || y < 0 || sx >= c.right || sy >= c.bottom || sx >= root->surface->width() ||
      sy >= root->surface->height()) {
    return CLR_INVALID;
  }
  return PixelToColor(root->surface->Get(sx, sy));
}

bool GuiCaptureWindow(HWND hwnd, std::vector<std::uint32_t>* pixels, int* width, int* height) {
  return Backend().Capture(hwnd, pixels, width, height);
}

bool GuiSaveScreenshot(HWND hwnd, const std::string& path) {
  std::vector<std::uint32_t> pixels;
  int w = 0, h = 0;
  if (!GuiCaptureWindow(hwnd, &pixels, &w, &h)) return false;
  return WritePng(path, pixels.data(), w, h);
}
