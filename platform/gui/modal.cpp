#include "platform/gui/modal.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/core/message_queue.h"
#include "platform/gui/backend.h"
#include "platform/gui/user.h"

namespace {

std::mutex g_lock;
ModalHook g_hook;
std::vector<HWND> g_modal_windows;  // under g_lock

ModalHook CurrentHook() {
  std::lock_guard<std::mutex> hold(g_lock);
  return g_hook;
}

}  // namespace

ModalHook SetModalHook(ModalHook hook) {
  std::lock_guard<std::mutex> hold(g_lock);
  ModalHook old = std::move(g_hook);
  g_hook = std::move(hook);
  return old;
}

ModalWindowScope::ModalWindowScope(HWND window) : window_(window) {
  {
    std::lock_guard<std::mutex> hold(g_lock);
    g_modal_windows.push_back(window);
  }
  SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

ModalWindowScope::~ModalWindowScope() {
  {
    std::lock_guard<std::mutex> hold(g_lock);
    g_modal_windows.erase(std::remove(g_modal_windows.begin(), g_modal_windows.end(), window_),
                          g_modal_windows.end());
  }
  if (IsWindow(window_)) Backend().WindowChanged(window_);
}

bool IsModalWindow(HWND window) {
  std::lock_guard<std::mutex> hold(g_lock);
  return std::find(g_modal_windows.begin(), g_modal_windows.end(), window) != g_modal_windows.end();
}

bool ModalAnswersAutomatically() {
  return static_cast<bool>(CurrentHook()) || std::strcmp(Backend().Name(), "headless") == 0;
}

bool RunModalLoop(HWND window, const std::function<bool()>& done,
                  const std::function<bool(const MSG&)>& pre_translate,
                  const std::function<void()>& answer_default) {
  return RunModalLoop(window, done, pre_translate, answer_default, nullptr);
}

bool RunModalLoop(HWND window, const std::function<bool()>& done,
                  const std::function<bool(const MSG&)>& pre_translate,
                  const std::function<void()>& answer_default, const std::function<bool(int)>& idle) {
  MSG msg;
  auto run = [&](const MSG& m) {
    if (pre_translate && pre_translate(m)) return;
    TranslateMessage(&m);
    DispatchMessage(&m);
  };
  int idle_count = 0;
  auto run_idle = [&] {
    if (!idle) return;
    MSG peek;
    for (int n = 0; n < 1000 && !done(); ++n) {
      if (PeekMessage(&peek, nullptr, 0, 0, PM_NOREMOVE)) return;
      if (!idle(idle_count++)) return;
    }
  };
  // Let the window show itself before anyone answers it.
  bool quit = false;
  while (!done() && PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quit = true;
      break;
    }
    run(msg);
  }
  if (!quit && !done()) {
    // The queue is empty: the idle work runs before anyone answers.
    run_idle();
    if (!done()) {
      if (ModalHook hook = CurrentHook()) hook(window);
    }
  }
  const bool automatic = ModalAnswersAutomatically();
  int defaults = 0;
  while (!quit && !done()) {
    if (automatic) {
      if (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
          quit = true;
          break;
        }
        idle_count = 0;
        run(msg);
        continue;
      }
      run_idle();
      if (done()) break;
      if (PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE)) continue;
      // Nothing left to run and nobody answered: the default answer.
      if (defaults++ > 0) break;
      answer_default();
      continue;
    }
    if (!PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      run_idle();
      if (done()) break;
    }
    const BOOL r = GetMessage(&msg, nullptr, 0, 0);
    if (r <= 0) {
      quit = r == 0;
      break;
    }
    idle_count = 0;
    run(msg);
  }
  if (quit) {
    PostQuitMessage(static_cast<int>(msg.wParam));
    if (!done()) answer_default();
    return false;
  }
  return true;
}
