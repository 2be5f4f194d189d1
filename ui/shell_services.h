// What the dialogs ask of the program's shell and of the time-line window:
// help topics, the time-line's pending clip redraws, the status bar, which
// posted requests would replace or close the project, whether the time-line
// plays and its window. The program installs the real services at start-up;
// tests install their own. The defaults stand for a program without those
// windows: no help, nothing to redraw, no status bar, nothing playing, no
// time-line window; the requests that replace or close the project are
// a quit request and, for the application's main window, WM_CLOSE, an
// SC_CLOSE system command and the frame's requests 9 (close), 20 (close
// everything) and 21 (open a file) of WM_USER+99.
#pragma once

#include <cstdint>

#include "platform/gui/user_types.h"

class ShellServices {
 public:
  virtual ~ShellServices() = default;
  // Opens the program's help file at a context number; nonzero on success.
  virtual int ShowHelpContext(uint16_t context);
  // Draws at most one time-line clip whose redraw is pending; true when it drew one.
  virtual bool DrawPendingClip();
  // Blanks the main frame's status text and repaints the status bar at once.
  virtual void ClearStatusText();
  // Shows text in the main frame's status bar (cut to the bar's 159
  // characters).
  virtual void ShowStatusText(const char* text);
  // Repaints the status bar at once.
  virtual void UpdateStatusBar();
  // Whether msg, taken from the queue, would replace or close the project.
  virtual bool ReplacesProject(const MSG& msg);
  // Whether the time-line is playing (the level meters' menu greys its
  // options meanwhile).
  virtual bool IsTimeLinePlaying();
  // The time-line window, which opens the settings pages on request; null
  // when there is none.
  virtual HWND TimeLineWindow();
};

// Installs services (null: the defaults); returns the ones before.
ShellServices* SetShellServices(ShellServices* services);
ShellServices& CurrentShellServices();
