// What the long media operations (the waveform scan, WAVE conversion) ask
// of the dialogs: the progress dialog with its Cancel, and the wait cursor.
// The program installs the real dialog at start-up; tests install a script.
#pragma once

#include <cstdint>
#include <string>

#include "platform/core/types.h"

// An open progress dialog.
class ProgressDialog {
 public:
  virtual ~ProgressDialog() = default;
  // Shows position of the total; false once the user cancelled.
  virtual bool SetProgress(LONG position) = 0;
};

class ProgressHooks {
 public:
  virtual ~ProgressHooks() = default;
  // A new progress dialog, or null when none can be shown (the work then
  // runs without one).
  virtual ProgressDialog* OpenTermometer(const char* title, const char* text, LONG total, bool cancelable,
                                         HWND placeWindow);
  // Closes the dialog in *holder, when there is one, and clears the holder.
  virtual void CloseTermometer(ProgressDialog** holder);
  // The wait cursor, and the one before it back; the calls nest.
  virtual void BeginWaitCursor();
  virtual void EndWaitCursor();
};

// Installs hooks (null: the defaults: no dialog, and the standard wait
// cursor); returns the ones before.
ProgressHooks* SetProgressHooks(ProgressHooks* hooks);
ProgressHooks& CurrentProgressHooks();

// A progress dialog over work counted in 64 bits: the dialog counts in 32,
// so a larger total is shown in coarser steps. Closes on destruction.
class ProgressMeter {
 public:
  ProgressMeter(const char* title, const char* text, std::int64_t total, HWND placeWindow);
  ~ProgressMeter() { Close(); }
  ProgressMeter(const ProgressMeter&) = delete;
  ProgressMeter& operator=(const ProgressMeter&) = delete;

  // False once the user cancelled; true without a dialog.
  bool Report(std::int64_t done);
  void Close();

 private:
  ProgressDialog* dialog_ = nullptr;
  std::string text_;
  std::int64_t total_ = 0;
  int shift_ = 0;
};

// Shows the wait cursor for its lifetime.
class WaitCursor {
 public:
  WaitCursor() { CurrentProgressHooks().BeginWaitCursor(); }
  ~WaitCursor() { CurrentProgressHooks().EndWaitCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};
