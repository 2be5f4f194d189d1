#include "timeline/lines/midi_line.h"

#include "app/timeline_colors.h"
#include "timeline/window/main_timeline_window.h"

TMidiLine::TMidiLine(MainTimeLineWindow* timeline, int x, int y, int w, int h)
    : TimeLineChild(timeline, "MidiLine", x, y, w, h) {}

const char* TMidiLine::GetClassName() {
  return "MidiLine";
}

void TMidiLine::Paint(TDC& dc, bool, TRect&) {
  const TRect client = GetClientRect();
  dc.FillRect(client, timeline_.Brush(kColorMidiTrack));
  timeline_.DrawCursorLine(dc, client);
}
