// The line of transitions between overlapping video clips: each one a box
// over the overlap with a diagonal from the earlier clip's row towards the
// later clip's and the name of its kind. A double-click on one chooses its
// kind and size. No drags, no menu.
//
// The transitions are the transition service's; a pointer to one is good
// only until the service is scheduled again (every paint and hit test).
//
// Main thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "timeline/lines/line_window.h"

class VFX;
struct VFXEntry;

class TVFXLine : public TLineWindow {
 public:
  TVFXLine(MainTimeLineWindow* timeline, int x, int y, int w, int h);

  const char* GetClassName() override;
  bool Find(TEventInfo& info) override;

  void Paint(TDC& dc, bool erase, TRect& rect) override;
  void DrawTransition(TDC& dc, const TRect& box, const VFXEntry& t, const TRect& paint);
  // Finds the transition and zone under p (client) and shows its cursor.
  void HitTest(const TPoint& p);

  VFXEntry* PointerTransition() const { return pointer_; }

 private:
  static const std::vector<TResponseTableEntry>& Entries();

  void EvMouseMove(UINT keys, const TPoint& p);
  void EvLButtonDown(UINT keys, const TPoint& p);
  void EvLButtonDblClk(UINT keys, const TPoint& p);
  VFX* Transitions();
  int32_t Zoom() const;

  VFXEntry* pointer_ = nullptr;
};
