#include "ui/owner_window.h"

// Bound to the window without taking over its messages.
class OwnerWindow::Alias : public TWindow {
 public:
  explicit Alias(HWND hwnd) : TWindow(nullptr) { Attach(hwnd, false); }
  ~Alias() override { Detach(); }
};

OwnerWindow::OwnerWindow(HWND hwnd) {
  if (hwnd == nullptr || !::IsWindow(hwnd)) return;
  window_ = TWindow::GetWindowPtr(hwnd);
  if (window_ == nullptr) {
    alias_ = std::make_unique<Alias>(hwnd);
    window_ = alias_.get();
  }
}

OwnerWindow::~OwnerWindow() = default;
