// Modal loops. A modal window (a message box, a dialog, an open menu) runs
// its own message loop until it is answered. Tests install a hook that is
// called with the modal window once it is up and the queue is empty; the
// hook answers it through its real controls (clicking a button, pressing a
// key). So that nothing blocks: on the headless back-end, and whenever a
// hook is installed, a modal window still unanswered when no message is left
// to run takes its unattended answer, the one that changes nothing (a
// message box: No, Cancel or Abort when it has them, else OK; a dialog:
// Cancel; a menu: no choice).
#pragma once

#include <functional>

#include "platform/gui/user_types.h"

using ModalHook = std::function<void(HWND window)>;

// Installs hook (empty: none); returns the one installed before.
ModalHook SetModalHook(ModalHook hook);

// Runs messages until done() is true. pre_translate may take a message
// before it is dispatched (keyboard handling of the modal window); it
// returns true when it did. answer_default ends the window with its
// unattended answer. Returns false when a WM_QUIT arrived (it is posted again).
bool RunModalLoop(HWND window, const std::function<bool()>& done,
                  const std::function<bool(const MSG&)>& pre_translate,
                  const std::function<void()>& answer_default);
// The same with idle processing: whenever no message is waiting, idle is
// called with a count that starts at 0 after each message, again while it
// returns true and still no message waits (at most a thousand times in a
// row).
bool RunModalLoop(HWND window, const std::function<bool()>& done,
                  const std::function<bool(const MSG&)>& pre_translate,
                  const std::function<void()>& answer_default, const std::function<bool(int)>& idle);

// True while nobody can answer a modal window (headless, or a hook is set).
bool ModalAnswersAutomatically();

// A dialog or message box that holds its owner while it is up: for its
// life the window stays above every other window of the program, the
// topmost ones included, and the display shows it as modal to its owner.
class ModalWindowScope {
 public:
  explicit ModalWindowScope(HWND window);
  ~ModalWindowScope();
  ModalWindowScope(const ModalWindowScope&) = delete;
  ModalWindowScope& operator=(const ModalWindowScope&) = delete;

 private:
  HWND window_;
};
bool IsModalWindow(HWND window);
