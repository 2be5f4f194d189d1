#include "ui/shell_services.h"

#include "platform/classlib/application.h"
#include "platform/classlib/frame.h"

namespace {

constexpr UINT kFrameRequest = WM_USER + 99;

ShellServices& Defaults() {
  static ShellServices* s = new ShellServices();
  return *s;
}

ShellServices* g_services = nullptr;

}  // namespace

int ShellServices::ShowHelpContext(uint16_t) {
  return 0;
}

bool ShellServices::DrawPendingClip() {
  return false;
}

void ShellServices::ClearStatusText() {}

void ShellServices::ShowStatusText(const char*) {}

void ShellServices::UpdateStatusBar() {}

bool ShellServices::ReplacesProject(const MSG& msg) {
  if (msg.message == WM_QUIT) return true;
  TApplication* app = GetApplicationObject();
  TFrameWindow* main = app != nullptr ? app->GetMainWindow() : nullptr;
  if (main == nullptr || msg.hwnd == nullptr || msg.hwnd != main->GetHandle()) return false;
  switch (msg.message) {
    case WM_CLOSE:
      return true;
    case WM_SYSCOMMAND:
      return (msg.wParam & 0xFFF0) == SC_CLOSE;
    case kFrameRequest:
      return msg.wParam == 9 || msg.wParam == 20 || msg.wParam == 21;
  }
  return false;
}

bool ShellServices::IsTimeLinePlaying() {
  return false;
}

HWND ShellServices::TimeLineWindow() {
  return nullptr;
}

ShellServices* SetShellServices(ShellServices* services) {
  ShellServices* old = g_services;
  g_services = services;
  return old;
}

ShellServices& CurrentShellServices() {
  return g_services != nullptr ? *g_services : Defaults();
}
