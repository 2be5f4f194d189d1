// The header panel beside one group of lines (video rows, the VFX line,
// the MIDI line, the audio lines): a window over the engine's records of
// those lines, one row each, as high as the row's zoom step makes it.
#pragma once

#include <cstdint>

#include "model/track_record.h"
#include "timeline/window/child_window.h"

class TAVButtons : public TimeLineChild {
 public:
  // Sets up the rows of panel for a group of kind (kLine...): zoom steps
  // from the settings (ZOOM_VIDEO0 ... ; step 1 when absent), the lines'
  // usual names, unity gain, centre pan, no solo, mute or effects.
  TAVButtons(MainTimeLineWindow* timeline, const TRect& rect, int32_t rows, int32_t kind, TrackPanel& panel);

  const char* GetClassName() override;
  void Paint(TDC& dc, bool erase, TRect& rect) override;

  int32_t Kind() const { return kind_; }
  int32_t RowCount() const { return panel_.rowCount; }
  // The rows shown: the audio lines in use, every row of the others.
  int32_t RowsInUse() const;
  TrackPanel& Panel() { return panel_; }

 private:
  TrackPanel& panel_;
  int32_t kind_;
};
