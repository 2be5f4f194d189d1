// The preview window ("Video") a screen player shows its pictures in: at
// the top right of the screen, zoomed from its system menu, and passing the
// project window's keyboard commands on to the time-line window, so that
// playing, stepping and editing go on while it has the focus.
//
// Paints and palette changes reach the owning player only while the
// window is ready: not while the player sets up a play or a still picture,
// and not while it is being deleted.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/classlib/classlib.h"

class AviSubPlayer;

// System menu items.
enum : UINT {
  kPreviewZoomHalf = 101,
  kPreviewZoomOne = 102,
  kPreviewZoomTwo = 103,
  kPreviewSettings = 811,
};

class PreviewWindow : public TWindow {
 public:
  // A window whose client area is clientWidth × clientHeight; resizable
  // windows get a sizing frame.
  PreviewWindow(AviSubPlayer* owner, HWND notifyWindow, int32_t clientWidth, int32_t clientHeight,
                bool resizable);

  const char* GetClassName() override { return "TEPreviewWindow"; }
  void GetWindowClass(WNDCLASS& wc) override;
  void SetupWindow() override;
  // Remembers where the window ends: the next one opens there, and a
  // resizable one keeps the size the user gave it too.
  void CleanupWindow() override;
  // The program gave the window a size of its own (a zoom): the size it
  // opened with from now on; a size the user gave an earlier window no
  // longer holds.
  void SizedByProgram();
  void Paint(TDC& dc, bool erase, TRect& rect) override;
  // The time-line's commands go on to it.
  void EvCommand(UINT id, HWND control, UINT notifyCode) override;

  AviSubPlayer* owner;
  std::atomic<bool> ready{false};
  HWND notifyWindow;

 private:
  int openedWidth = 0;
  int openedHeight = 0;
  LRESULT EvUpdateView(WPARAM, LPARAM);
  bool EvEraseBkgnd(HDC dc);
  void EvPaletteChanged(HWND changer);
  void EvSysCommand(UINT command, const TPoint& point);
  void EvGetMinMaxInfo(MINMAXINFO& info);

  DECLARE_RESPONSE_TABLE(PreviewWindow);
};
