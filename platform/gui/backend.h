// The display behind the windows. "headless" keeps the windows in memory
// only; "sdl" shows each top-level window as an SDL2 window and turns the
// real mouse, keyboard and dropped files into input. The choice: the
// KOBRIX_GUI environment variable (headless or sdl), else sdl when a display
// is present (DISPLAY or WAYLAND_DISPLAY) and headless otherwise.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/surface.h"
#include "platform/gui/user_types.h"

class GuiBackend {
 public:
  virtual ~GuiBackend() = default;
  virtual const char* Name() const = 0;
  virtual RECT Screen() = 0;
  // Only a back-end without a real display can change its screen's size.
  virtual bool SetScreenSize(int width, int height) { return false; }
  // The part of the screen windows open on: without a desktop's panels.
  virtual RECT WorkArea() { return Screen(); }
  // Only a back-end without a real display takes a work area from a test.
  virtual bool SetWorkArea(const RECT& area) { return false; }
  // How far the desktop's own frame reaches around the shown part of a
  // captioned window (left, top, right, bottom thickness); none when the
  // window system draws the frame itself.
  virtual RECT Decoration() { return RECT{}; }
  // On the display thread, from the message source: takes the outside
  // events as input, brings the shown windows up to date and presents what
  // was drawn.
  virtual void Pump() = 0;
  // The longest sleep of a waiting display thread.
  virtual DWORD PollInterval() = 0;
  // A top-level window's place, size, title or visibility changed (any thread).
  virtual void WindowChanged(HWND hwnd) = 0;
  virtual void WindowGone(HWND hwnd) = 0;
  virtual void SetCursor(HCURSOR cursor) = 0;
  virtual void Beep(UINT type) = 0;
  // The pixels the display shows for a top-level window (width * height,
  // 0x00RRGGBB, top row first); false when it shows none.
  virtual bool Capture(HWND hwnd, std::vector<std::uint32_t>* pixels, int* width, int* height) = 0;
};

GuiBackend& Backend();
// Forces a back-end before the first window ("headless" or "sdl"); false
// when it cannot start.
bool SelectGuiBackend(const char* name);
// The thread that pumps the display (the first to read a queue with windows).
DWORD DisplayThread();
// Whether the calling thread pumps the display; when the thread that did
// has ended, the caller takes it over.
bool OnDisplayThread();

std::unique_ptr<GuiBackend> MakeHeadlessBackend();
std::unique_ptr<GuiBackend> MakeSdlBackend();  // null when SDL cannot start
