// Helpers of the control tests: a frame that hosts controls and records
// what they tell it (commands, notifications, scroll messages, owner-draw
// requests), and small readers of control state.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/gui/gui.h"
#include "platform/gui/gui_driver.h"

struct Note {
  UINT msg = 0;
  int id = 0;     // the control's id
  UINT code = 0;  // WM_COMMAND: the notification; WM_NOTIFY: NMHDR code; scrolls: LOWORD(wParam)
  int pos = 0;    // scrolls: HIWORD(wParam) as a signed number
  HWND from = nullptr;
};

class Host {
 public:
  Host(int x = 60, int y = 60, int w = 560, int h = 420);
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  HWND Add(const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id, DWORD ex = 0);

  // The recorded notes of one kind (and one control id, unless 0).
  std::vector<UINT> Codes(UINT msg, int id = 0) const;
  std::vector<Note> Of(UINT msg) const;
  void Clear() { notes.clear(); }

  HWND hwnd = nullptr;
  std::vector<Note> notes;
  // Called first with every message; setting *handled answers it.
  std::function<LRESULT(UINT, WPARAM, LPARAM, bool*)> handler;
};

std::string Text(HWND h);
// The client rectangle of a window in another window's client coordinates.
RECT RectIn(HWND of, HWND in);
// Pumps until no message is left.
inline void Pump() {
  GuiPumpMessages();
}
// A click at the centre of a window's client area.
void ClickCentre(HWND h);
int CountColor(HWND h, const RECT& area, COLORREF color);
RECT ClientRect(HWND h);
