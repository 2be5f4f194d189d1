// TEBmpButton: an owner-drawn push button showing one picture of a strip of
// pictures (cels) in the button colours, with a tooltip. The picture shown
// follows its state (a Play/Stop button shows its second picture while it
// plays). The button grows to hold its picture, never shrinks.
#pragma once

#include <memory>

#include "platform/classlib/controls.h"
#include "platform/classlib/gadgets.h"

// Hands the mouse message window is answering to tooltip, which shows or
// hides its tips from it.
void RelayToTooltip(TWindow* tooltip, HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

class TEBmpButton : public TButton {
 public:
  // An item of the parent dialog's template; the strip bitmapResId holds
  // celCount pictures side by side.
  TEBmpButton(TWindow* parent, int resourceId, int bitmapResId, int celCount);

  // Registers the button with the tooltip under owner (the dialog), as two
  // tools with the button's text: its place on the owner and its own area.
  void AddTooltip(TWindow* tooltip, HWND owner);
  // Shows picture state; with a tooltip, the tools take text.
  void SetTooltipText(int state, const char* text);
  int GetState() const { return state; }

  void SetupWindow() override;
  void DrawItem(DRAWITEMSTRUCT& drawInfo) override;

 protected:
  LRESULT EvMouse(WPARAM wParam, LPARAM lParam);

 private:
  void UpdateTool(HWND hwnd, const char* text);

  int state = 0;
  int celCount;
  std::unique_ptr<TCelArray> cels;
  TWindow* tooltip = nullptr;
  HWND toolOwner = nullptr;

  DECLARE_RESPONSE_TABLE(TEBmpButton);
};
