// The play cursor's time, left of the ruler. It also carries the project's
// master effects: a coloured corner shows that a master list exists (green
// in use, red bypassed), a double click on it opens the list, and the menu
// sets the cursor time and pastes, adds, deletes, edits or switches the
// master effects.
#pragma once

#include <cstdint>

#include "platform/classlib/event.h"
#include "timeline/window/child_window.h"

class EffectList;

class TCurTimeText : public TimeLineChild {
 public:
  static constexpr int kArrow = 0;
  static constexpr int kOverCorner = 14;

  TCurTimeText(MainTimeLineWindow* timeline, int x, int y, int w, int h);

  const char* GetClassName() override;
  void Paint(TDC& dc, bool erase, TRect& rect) override;

  // Whether point (client) is on the master effects' corner; never without
  // a master list.
  bool InCorner(const TPoint& point);
  int CursorKind() const { return cursorKind_; }

  void EvLButtonDblClk(UINT modKeys, const TPoint& point);
  void EvMouseMove(UINT modKeys, const TPoint& point);
  void EvRButtonDown(UINT modKeys, const TPoint& point);

  void CmSetCurrentTime();
  void CmMasterEffects();
  void CmUseMasterEffects();
  // Master effects (master_effects.cpp): each edit is one undo step and
  // hands the new list to the audio engine inside its mixing lock.
  void CmPasteMasterEffects();
  void CmAddMasterEffects();
  void CmDeleteMasterEffects();
  void CePasteMasterEffects(TCommandEnabler& ce);
  void CeDeleteMasterEffects(TCommandEnabler& ce);
  void CeUseMasterEffects(TCommandEnabler& ce);

 private:
  EffectList* MasterList();
  void SetCursorKind(int kind);
  // After a master list changed: the engine reads the lines again, the
  // project is modified, the mixer is told.
  void MasterListChanged();

  int cursorKind_ = kArrow;

  DECLARE_RESPONSE_TABLE(TCurTimeText);
};
