#include "platform/gui/modal.h"

#include <cstring>
#include <mutex>

#include "platform/core/message_queue.h"
#include "platform/gui/backend.h"
#include "platform/gui/user.h"

namespace {

std::mutex g_lock;
ModalHook g_hook;

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

bool ModalAnswersAutomatically() {
  return static_cast<bool>(CurrentHook()) || std::strcmp(Backend().Name(), "headless") == 0;
}

bool RunModalLoop(HWND window, const std::function<bool()>& done,
                  const std::function<bool(const MSG&)>& pre_translate,
                  const std::function<void()>& answer_default) {
  MSG msg;
  auto run = [&](const MSG& m) {
    if (pre_translate && pre_translate(m)) return;
    TranslateMessage(&m);
    DispatchMessage(&m);
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
    if (ModalHook hook = CurrentHook()) hook(window);
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
        run(msg);
        continue;
      }
      // Nothing left to run and nobody answered: the default answer.
      if (defaults++ > 0) break;
      answer_default();
      continue;
    }
    const BOOL r = GetMessage(&msg, nullptr, 0, 0);
    if (r <= 0) {
      quit = r == 0;
      if (r < 0) break;
      break;
    }
    run(msg);
  }
  if (quit) {
    PostQuitMessage(static_cast<int>(msg.wParam));
    if (!done()) answer_default();
    return false;
  }
  return true;
}
