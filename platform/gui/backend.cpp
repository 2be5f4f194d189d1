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
    std::lock_guard<std::mutex> hold(work_lock_);
    has_work_ = false;
    return true;
  }
  RECT WorkArea() override {
    std::lock_guard<std::mutex> hold(work_lock_);
    return has_work_ ? work_ : Screen();
  }
  bool SetWorkArea(const RECT& area) override {
    std::lock_guard<std::mutex> hold(work_lock_);
    work_ = area;
    has_work_ = true;
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
  std::mutex work_lock_;
  bool has_work_ = false;  // else the whole screen
  RECT work_{};
};

std::mutex g_lock;
GuiBackend* g_backend = nullptr;
std::atomic<DWORD> g_display_thread{0};  // 0 once its thread has ended

// The display goes back when its thread ends: a thread that never pumps
// again must not keep it from the threads that still do.
struct DisplayRole {
  DWORD held = 0;
  ~DisplayRole() {
    DWORD mine = held;
    if (mine != 0) g_display_thread.compare_exchange_strong(mine, 0);
  }
};
thread_local DisplayRole t_display_role;

void TakeDisplay() {
  const DWORD me = CurrentGuiThread();
  g_display_thread = me;
  t_display_role.held = me;
}

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
  TakeDisplay();
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
    TakeDisplay();
  }
  return *g_backend;
}

DWORD DisplayThread() {
  Backend();
  return g_display_thread.load();
}

bool OnDisplayThread() {
  Backend();
  const DWORD me = CurrentGuiThread();
  DWORD free = 0;
  if (g_display_thread.compare_exchange_strong(free, me)) t_display_role.held = me;
  return g_display_thread.load() == me;
}
