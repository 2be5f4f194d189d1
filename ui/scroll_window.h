// TEScrollWindow: a child window that shows one content window larger than
// itself and scrolls it with its own scroll bars in steps of 8 pixels (the
// clip collection is shown through it). Unless the content sizes itself
// (the shrink-to-client flag), it is made as large as the scroll window's
// client area. When the content or the scroll window changes size, the
// scroll ranges are computed again and the view keeps the same relative
// place in the content. A content window that changes its own size tells
// its parent with WM_PARENTNOTIFY and WM_SIZE in the low word.
#pragma once

#include "platform/classlib/window.h"

class TEScrollWindow : public TWindow {
 public:
  // content may be null: the first child window found at set-up is taken.
  TEScrollWindow(TWindow* parent, TWindow* content);

  // Computes the ranges from the content's size and the client area's, and
  // keeps the view at the same relative place; nothing while it runs.
  void UpdateScroller();
  // Scrolls so that the rectangle (content coordinates) shows, with 8
  // pixels to spare to its right and below it.
  void ScrollIntoView(int left, int top, int right, int bottom);
  // The client area with the room of the scroll bars now shown.
  TSize GetFullClientSize() const;
  TWindow* GetContent() const { return content; }

  const char* GetClassName() override;
  void GetWindowClass(WNDCLASS& wc) override;
  void SetupWindow() override;

 protected:
  void EvSize(UINT sizeType, const TSize& size);
  LRESULT EvParentNotify(WPARAM wParam, LPARAM lParam);
  void EvPaint();
  bool EvEraseBkgnd(HDC dc);

 private:
  static constexpr int kUnit = 8;

  // Sizes the content to the full client area unless it sizes itself.
  void FitContent();

  int previousWidth = 1;
  int previousHeight = 1;
  bool busy = true;
  TWindow* content;

  DECLARE_RESPONSE_TABLE(TEScrollWindow);
};
