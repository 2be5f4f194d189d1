// Shell services that record what the dialogs ask of them.
#pragma once

#include <string>
#include <vector>

#include "ui/shell_services.h"

class FakeShell : public ShellServices {
 public:
  FakeShell() { old_ = SetShellServices(this); }
  ~FakeShell() override { SetShellServices(old_); }
  int ShowHelpContext(uint16_t context) override {
    help.push_back(context);
    return 1;
  }
  bool DrawPendingClip() override {
    if (pending <= 0) return false;
    --pending;
    ++drawn;
    return true;
  }
  void ClearStatusText() override {
    ++status_cleared;
    status.push_back("");
  }
  void ShowStatusText(const char* text) override { status.push_back(text); }
  void UpdateStatusBar() override {}
  bool IsTimeLinePlaying() override { return playing; }
  HWND TimeLineWindow() override { return time_line; }

  std::vector<int> help;
  int pending = 0;
  int drawn = 0;
  int status_cleared = 0;
  std::vector<std::string> status;  // every text shown, "" for each clearing
  bool playing = false;
  HWND time_line = nullptr;

 private:
  ShellServices* old_;
};
