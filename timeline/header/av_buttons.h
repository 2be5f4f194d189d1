// The header panel beside one group of lines (video rows, the VFX line,
// the MIDI line, the audio lines): a window over the engine's records of
// those lines, one row each, as high as the row's zoom step makes it. Each
// row shows the kind's icon, the line's number, and solo and mute buttons
// in a 32-pixel column at the right; an audio line with effects shows a
// triangle in its lower-left corner. Clicks toggle solo and mute, a right
// click opens the row's menu, and the mixer window sends its buttons here
// as requests.
//
// The class is split by concern:
//   header/av_buttons.cpp          the window, painting, hit zones
//   header/av_buttons_mouse.cpp    the mouse, solo and mute, mixer requests
//   header/av_buttons_menu.cpp     the row menu: name, moves, heights, duplicate
//   header/av_buttons_effects.cpp  a line's effect list
//
// Main thread only.
#pragma once

#include <cstdint>

#include "model/track_record.h"
#include "timeline/window/child_window.h"

class EffectList;

// Where the pointer is over a row.
constexpr int32_t kPanelZoneNone = 0;
constexpr int32_t kPanelZoneName = 1;
constexpr int32_t kPanelZoneSolo = 2;
constexpr int32_t kPanelZoneMute = 3;
constexpr int32_t kPanelZoneEffects = 4;

// Width of the solo and mute column.
constexpr int kPanelButtonWidth = 32;
// The zoom step of a folded row: no buttons, no hit zones.
constexpr int32_t kZoomSmall = 3;

// WM_USER + 99 from the mixer window: wParam the request, lParam the row.
constexpr int32_t kPanelRequestSolo = 1;
constexpr int32_t kPanelRequestMute = 2;
constexpr int32_t kPanelRequestEffectUse = 12;
constexpr int32_t kPanelRequestEffects = 14;

class TAVButtons : public TimeLineChild {
 public:
  // Sets up the rows of panel for a group of kind (kLine...): zoom steps
  // from the settings (ZOOM_VIDEO0 ... ; step 1 when absent), the lines'
  // usual names, unity gain, centre pan, no solo, mute or effects.
  TAVButtons(MainTimeLineWindow* timeline, const TRect& rect, int32_t rows, int32_t kind, TrackPanel& panel);

  const char* GetClassName() override;
  bool Find(TEventInfo& info) override;
  // The shared palette is realised in the window while it exists.
  void SetupWindow() override;
  void Destroy(int retVal = 0) override;
  void Paint(TDC& dc, bool erase, TRect& rect) override;

  int32_t Kind() const { return kind_; }
  int32_t RowCount() const { return panel_.rowCount; }
  // The rows shown: the audio lines in use, every row of the others.
  int32_t RowsInUse() const;
  TrackPanel& Panel() { return panel_; }
  // The row of the last right click, which the menu's commands act on.
  int32_t MenuRow() const { return menuRow_; }
  // 0 the arrow, kCursorEffects over an effect triangle.
  int CursorKind() const { return cursorKind_; }

  // ---- Hit zones (av_buttons.cpp).
  // The zone (kPanelZone...) under client point p, and its row (-1: none).
  int32_t HitTest(const TPoint& p, int32_t& row) const;
  // The first row shown whose bottom is at or below y; -1 when none.
  int32_t RowAt(int y) const;
  // The rectangle of row in client coordinates, with both columns.
  TRect RowRect(int32_t row) const;
  void InvalidateRow(int32_t row);

  // ---- Solo, mute and the mixer (av_buttons_mouse.cpp).
  void ToggleSolo(int32_t row);
  void ToggleMute(int32_t row);
  // WM_USER + 99: 1 when the request is known.
  LRESULT EvRequest(WPARAM request, LPARAM row);

  // ---- Heights (av_buttons_menu.cpp).
  // Every row at zoom step zoom; the window lays itself out again.
  void SetZoom(int32_t zoom);
  // One row: the frame grows or shrinks by the change, and a folded row's
  // clips leave the selection.
  void SetRowZoom(int32_t zoom, int32_t row);

  // ---- Effects (av_buttons_effects.cpp).
  // The effect-list editor of row, live on the line while it is open.
  void EditEffects(int32_t row);
  void ToggleEffectUse(int32_t row);

 private:
  static const std::vector<TResponseTableEntry>& MouseEntries();
  static const std::vector<TResponseTableEntry>& MenuEntries();
  static const std::vector<TResponseTableEntry>& EffectEntries();

  // av_buttons.cpp
  void PaintRow(TDC& dc, int32_t row, const TRect& names, const TRect& buttons, bool anySolo);
  bool PlayerUsable() const;

  // av_buttons_mouse.cpp
  void EvLButtonDown(UINT keys, const TPoint& p);
  void EvLButtonDblClk(UINT keys, const TPoint& p);
  void EvMouseMove(UINT keys, const TPoint& p);
  // While playing only the audio panel answers, and only while muting is
  // heard at once.
  bool AcceptsButtons() const;
  void SetCursorKind(int kind);

  // av_buttons_menu.cpp
  void EvRButtonDown(UINT keys, const TPoint& p);
  // The menu shows the states it was built with.
  void EvInitMenuPopup(HMENU popup, UINT index, bool sysMenu);
  void CmRename();
  void CmMoveUp();
  void CmMoveDown();
  void CmZoomDouble();
  void CmZoomNormal();
  void CmZoomHalf();
  void CmZoomSmall();
  void CmSolo();
  void CmMute();
  void CmDuplicate();
  // Takes every clip of row out of its selection group, one undo step.
  void DeselectRow(int32_t row);
  bool MenuRowValid() const;

  // av_buttons_effects.cpp
  void CmEditEffects();
  void CmUseEffects();
  void CmPasteEffects();
  void CmAddEffects();
  void CmDeleteEffects();
  // After a change of row's list: modified, the row's sound to be mixed
  // again, the mixer told, the row repainted.
  void EffectsChanged(int32_t row);

  TrackPanel& panel_;
  int32_t kind_;
  int cursorKind_ = 0;
  int32_t menuRow_ = -1;
};

// The line's effect list, or null.
EffectList* LineEffects(const TrackRecord& record);
