// Frame windows: a top-level window around a client window, with a menu,
// accelerators and an icon; the decorated frame adds bars (tool bars and
// status bars) on its edges. Menu and accelerator commands are routed from
// the window that has the focus (or the client) up through the frame to the
// application.
#pragma once

#include <utility>
#include <vector>

#include "platform/classlib/window.h"

class TFrameWindow : public TWindow {
 public:
  TFrameWindow(TWindow* parent, const char* title = nullptr, TWindow* clientWnd = nullptr,
               bool shrinkToClient = false, TModule* module = nullptr);

  const char* GetClassName() override;
  void GetWindowClass(WNDCLASS& wc) override;
  void SetupWindow() override;

  TWindow* GetClientWindow() const { return ClientWnd; }
  TWindow* SetClientWindow(TWindow* client);
  // Loads the menu resource and shows it (now, or when the window is made).
  bool AssignMenu(TResId menuResId);
  bool SetIcon(TModule* module, TResId iconResId);
  // Where routed commands start: the window object with the focus inside
  // the frame, else the client.
  virtual TWindow* GetCommandTarget();

  void EvCommand(UINT id, HWND hWndCtl, UINT notifyCode) override;
  void EvCommandEnable(TCommandEnabler& ce) override;

  void EvSize(UINT sizeType, const TSize& size);
  void EvSetFocus(HWND lost);

 protected:
  // Places the client (and the decorations) in the client area.
  virtual void Layout();
  TWindow* ClientWnd = nullptr;
  HICON Icon = nullptr;

  DECLARE_RESPONSE_TABLE(TFrameWindow);
};

class TDecoratedFrame : public TFrameWindow {
 public:
  enum TLocation { Top, Bottom, Left, Right };
  TDecoratedFrame(TWindow* parent, const char* title, TWindow* clientWnd, bool trackMenuSelection = false,
                  TModule* module = nullptr);
  // Adds a bar along an edge; the frame owns it.
  void Insert(TWindow& decoration, TLocation location = Top);
  // Shows text in the status bar's message area (null: clears it).
  void SetHintText(const char* text);
  // The hint of a command: the string resource with its number.
  void ShowCommandHint(UINT id);

  void EvMenuSelect(UINT id, UINT flags, HMENU menu);

 protected:
  void Layout() override;
  bool TrackMenuSelection;
  std::vector<std::pair<TWindow*, TLocation>> Decorations;

  DECLARE_RESPONSE_TABLE(TDecoratedFrame);
};
