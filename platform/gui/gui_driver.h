// Driving the windows from outside, as a user would: input at screen
// positions (or client positions of a window), the program's activation,
// dropped files, running the pending messages, reading pixels and saving
// screenshots. Tests use it on both back-ends; the sdl back-end feeds the
// real devices through the same input path.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gui/user_types.h"

const char* GuiBackendName();
// Chooses the back-end ("headless" or "sdl") before the first window; false
// when another one already runs or it cannot start.
bool GuiSelectBackend(const char* name);

// Raw input in screen coordinates (button 0 left, 1 right, 2 middle).
void GuiMouseMove(int x, int y);
void GuiMouseButton(int button, bool down, int x, int y);
void GuiMouseWheel(int delta, int x, int y);
void GuiKey(int vk, bool down);
void GuiDropFiles(int x, int y, const std::vector<std::string>& files);
// The desktop gives the program's windows the focus or takes it away.
void GuiSetAppActive(bool active);

// In client coordinates of hwnd: a move there, then button down and up.
void GuiClick(HWND hwnd, int x, int y, int button = 0);
// Key down and up.
void GuiPressKey(int vk);
// Each character as the keys that type it (with Shift where needed).
void GuiType(const char* text);

// The screen's size for the windows that follow (headless only; false on a
// real display): windows placed by the screen's size can be tested for any.
bool GuiSetScreenSize(int width, int height);
// The work area for the windows that follow, as a desktop's panels leave it
// (headless only, until the screen's size is set again).
bool GuiSetWorkArea(int left, int top, int right, int bottom);

// Runs the calling thread's pending messages, paints and due timers until
// none is left; returns how many ran. A WM_QUIT stays in the queue.
int GuiPumpMessages();

// A pixel of hwnd's client area as drawn in the window's memory.
COLORREF GuiReadPixel(HWND hwnd, int x, int y);
// A top-level window as the display shows it (sdl: read back from the SDL
// window, client area; headless: the window's memory with its frame).
bool GuiCaptureWindow(HWND hwnd, std::vector<std::uint32_t>* pixels, int* width, int* height);
bool GuiSaveScreenshot(HWND hwnd, const std::string& path);

// The MessageBeep types sounded since the last call.
std::vector<UINT> TakeBeeps();
