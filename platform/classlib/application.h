// TApplication: the program's module, its main window and the message loop
// with idle processing. Messages pass PreProcessMsg of the window they are
// for and of its parents (accelerators, the keyboard interface of modeless
// dialogs) before they are dispatched; when the queue is empty the
// application's IdleAction runs with a count of the idle calls since the
// last message, for as long as it asks for more.
#pragma once

#include "platform/classlib/event.h"
#include "platform/classlib/module.h"
#include "platform/classlib/window.h"

class TFrameWindow;

class TApplication : public TModule, public TEventHandler {
 public:
  explicit TApplication(const char* name = nullptr);
  ~TApplication() override;

  // Builds the main window (InitMainWindow), creates and shows it, and runs
  // the message loop; returns the loop's exit code.
  virtual int Run();
  virtual void InitApplication() {}
  virtual void InitInstance();
  virtual void InitMainWindow() {}
  virtual int TermInstance(int status) { return status; }

  virtual int MessageLoop();
  // Runs the messages waiting now (no idle processing); false when WM_QUIT
  // came (it is posted again).
  bool PumpWaitingMessages();
  virtual bool ProcessAppMsg(MSG& msg);
  virtual bool IdleAction(long idleCount);
  // An open menu of owner waits for input; true when the application acted
  // on it.
  virtual bool MenuIdle(HWND owner) { return false; }
  virtual bool CanClose();

  void SetMainWindow(TFrameWindow* window);
  TFrameWindow* GetMainWindow() const { return MainWindow; }

  int nCmdShow = SW_SHOWNORMAL;

 protected:
  TFrameWindow* MainWindow = nullptr;
};

// The running application (the last one constructed), or null.
TApplication* GetApplicationObject();
