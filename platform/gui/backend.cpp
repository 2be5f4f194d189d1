// Choosing the back-end, and the headless one: windows live in memory, the
// screen is 1920 x 1080 unless a test sets another size, and nothing reaches
// a real display.
#include "platform/gui/backend.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/gui/window_internal.h"

namespace {

class HeadlessBackend : public GuiBackend {
 public:
  const char* Name() const override { return "headless"; }
  RECT Screen() override { return RECT{0, 0, width_.load(), height_.load()}; }
  bool SetScreenSize(int width, int height) override {
    width_ = width;
    height_ = height;
    return true;
  }
  void Pump() override {}
  DWORD PollInterval() override { return INFINITE; }
  void WindowChanged(HWND) override {}
  void WindowGone(HWND) override {}
  void SetCursor(HCURSOR) override {}
  void Beep(UINT) override {}
  bool Capture(HWND hwnd, std::vector<std::uint32_t>* pixels, int* width, int* height) override {
    std::shared_ptr<Surface> s;
    {
      std::lock_guard<std::mutex> hold(TreeLock());
      Window* w = FindWindowRecord(hwnd);
      if (w == nullptr || w->parent != nullptr || !w->surface) return false;
      s = w->surface;
    }
    *width = s->width();
    *height = s->height();
    pixels->resize(static_cast<std::size_t>(s->width()) * s->height());
    for (int y = 0; y < s->height(); ++y) {
      for (int x = 0; x < s->width(); ++x)
        (*pixels)[static_cast<std::size_t>(y) * s->width() + x] = s->Get(x, y);
    }
    return true;
  }

 private:
  std::atomic<LONG> width_{1920};
  std::atomic<LONG> height_{1080};
};

std::mutex g_lock;
GuiBackend* g_backend = nullptr;
std::atomic<DWORD> g_display_thread{0};

std::unique_ptr<GuiBackend> Make(const char* name) {
  if (name != nullptr && std::strcmp(name, "sdl") == 0) return MakeSdlBackend();
  if (name != nullptr && std::strcmp(name, "headless") == 0) return MakeHeadlessBackend();
  return nullptr;
}

}  // namespace

std::unique_ptr<GuiBackend> MakeHeadlessBackend() {
  return std::make_unique<HeadlessBackend>();
}

bool SelectGuiBackend(const char* name) {
  std::lock_guard<std::mutex> hold(g_lock);
  if (g_backend != nullptr) return std::strcmp(g_backend->Name(), name) == 0;
  auto b = Make(name);
  if (!b) return false;
  g_backend = b.release();
  g_display_thread = CurrentGuiThread();
  return true;
}

GuiBackend& Backend() {
  std::lock_guard<std::mutex> hold(g_lock);
  if (g_backend == nullptr) {
    const char* env = std::getenv("KOBRIX_GUI");
    std::unique_ptr<GuiBackend> b;
    if (env != nullptr && *env != '\0') {
      b = Make(env);
    } else if ((std::getenv("DISPLAY") != nullptr && *std::getenv("DISPLAY") != '\0') ||
               (std::getenv("WAYLAND_DISPLAY") != nullptr && *std::getenv("WAYLAND_DISPLAY") != '\0')) {
      b = MakeSdlBackend();
    }
    if (!b) b = MakeHeadlessBackend();
    g_backend = b.release();  // lives as long as the program
    g_display_thread = CurrentGuiThread();
  }
  return *g_backend;
}

DWORD DisplayThread() {
  Backend();
  return g_display_thread.load();
}
