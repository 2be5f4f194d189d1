#include "platform/classlib/application.h"

#include "platform/classlib/frame.h"

namespace {
TApplication* g_application = nullptr;
}

TApplication* GetApplicationObject() {
  return g_application;
}

TApplication::TApplication(const char* name) : TModule(name) {
  g_application = this;
}

TApplication::~TApplication() {
  delete MainWindow;
  MainWindow = nullptr;
  if (g_application == this) g_application = nullptr;
}

void TApplication::SetMainWindow(TFrameWindow* window) {
  if (MainWindow != nullptr) MainWindow->ClearFlag(wfMainWindow);
  MainWindow = window;
  if (MainWindow != nullptr) MainWindow->SetFlag(wfMainWindow);
}

void TApplication::InitInstance() {
  InitMainWindow();
  if (MainWindow == nullptr) return;
  if (MainWindow->Create()) {
    MainWindow->Show(nCmdShow);
    MainWindow->UpdateWindow();
  }
}

int TApplication::Run() {
  InitApplication();
  InitInstance();
  if (MainWindow == nullptr || !MainWindow->IsWindow()) return TermInstance(0);
  return TermInstance(MessageLoop());
}

bool TApplication::ProcessAppMsg(MSG& msg) {
  if (msg.hwnd == nullptr) return false;
  // The window the message is for and its parents, innermost first.
  for (HWND h = msg.hwnd; h != nullptr;
       h = (GetWindowLong(h, GWL_STYLE) & WS_CHILD) ? GetParent(h) : nullptr) {
    TWindow* w = TWindow::GetWindowPtr(h);
    if (w != nullptr && w->PreProcessMsg(msg)) return true;
  }
  return IsControlParentMessage(&msg);
}

bool TApplication::IdleAction(long idleCount) {
  return MainWindow != nullptr && MainWindow->IsWindow() && MainWindow->IdleAction(idleCount);
}

bool TApplication::CanClose() {
  return MainWindow == nullptr || !MainWindow->IsWindow() || MainWindow->CanClose();
}

bool TApplication::PumpWaitingMessages() {
  MSG msg;
  while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    if (!ProcessAppMsg(msg)) {
      TranslateMessage(&msg);
      DispatchMessage(&msg);
    }
  }
  return true;
}

int TApplication::MessageLoop() {
  long idle = 0;
  MSG msg;
  for (;;) {
    if (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
      if (!ProcessAppMsg(msg)) {
        TranslateMessage(&msg);
        DispatchMessage(&msg);
      }
      idle = 0;
      continue;
    }
    if (IdleAction(idle++)) continue;
    WaitMessage();
  }
}
