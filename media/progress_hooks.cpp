#include "media/progress_hooks.h"

#include <algorithm>
#include <atomic>
#include <limits>

#include "platform/core/files.h"
#include "platform/gui/user.h"

ProgressDialog* ProgressHooks::OpenTermometer(const char*, const char*, LONG, bool, HWND) {
  return nullptr;
}

void ProgressHooks::CloseTermometer(ProgressDialog** holder) {
  if (holder != nullptr) *holder = nullptr;
}

namespace {
// The cursor before the outermost wait, and how deep the waits nest.
HCURSOR g_cursorBefore = nullptr;
int g_waits = 0;
}  // namespace

void ProgressHooks::BeginWaitCursor() {
  HCURSOR before = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  if (g_waits++ == 0) g_cursorBefore = before;
}

void ProgressHooks::EndWaitCursor() {
  if (g_waits == 0) return;
  if (--g_waits == 0) SetCursor(g_cursorBefore);
}

namespace {
ProgressHooks g_defaults;
std::atomic<ProgressHooks*> g_hooks{nullptr};
}  // namespace

ProgressHooks* SetProgressHooks(ProgressHooks* hooks) {
  return g_hooks.exchange(hooks);
}

ProgressHooks& CurrentProgressHooks() {
  ProgressHooks* h = g_hooks.load();
  return h != nullptr ? *h : g_defaults;
}

ProgressMeter::ProgressMeter(const char* title, const char* text, std::int64_t total, HWND placeWindow) {
  if (total < 0) total = 0;
  total_ = total;
  while ((total >> shift_) > std::numeric_limits<LONG>::max()) ++shift_;
  // The user's file, not the temporary one a replacement writes.
  text_ = WithTargetNames(text != nullptr ? text : "");
  dialog_ = CurrentProgressHooks().OpenTermometer(title, text_.c_str(), static_cast<LONG>(total >> shift_), true,
                                                  placeWindow);
}

bool ProgressMeter::Report(std::int64_t done) {
  if (dialog_ == nullptr) return true;
  // A cut-off last block may carry the work a little past its total.
  done = std::clamp<std::int64_t>(done, 0, total_);
  const std::int64_t shown = done >> shift_;
  return dialog_->SetProgress(
      static_cast<LONG>(std::min<std::int64_t>(shown, std::numeric_limits<LONG>::max())));
}

void ProgressMeter::Close() {
  if (dialog_ != nullptr) CurrentProgressHooks().CloseTermometer(&dialog_);
  dialog_ = nullptr;
}
