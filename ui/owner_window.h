// The class-library object of a window given by its handle, so that a
// dialog can be owned by any window, also one made without the class
// library. Lives while the dialog it owns runs.
#pragma once

#include <memory>

#include "platform/classlib/window.h"

class OwnerWindow {
 public:
  explicit OwnerWindow(HWND hwnd);
  ~OwnerWindow();
  OwnerWindow(const OwnerWindow&) = delete;
  OwnerWindow& operator=(const OwnerWindow&) = delete;

  // Null when hwnd is null or not a window.
  TWindow* Get() const { return window_; }

 private:
  class Alias;
  std::unique_ptr<Alias> alias_;
  TWindow* window_ = nullptr;
};
