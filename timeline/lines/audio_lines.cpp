#include "timeline/lines/audio_lines.h"

#include "app/timeline_colors.h"
#include "timeline/window/main_timeline_window.h"

TAudioLines::TAudioLines(MainTimeLineWindow* timeline, int x, int y, int w, int h)
    : TimeLineChild(timeline, "AudioLines", x, y, w, h) {}

const char* TAudioLines::GetClassName() {
  return "AudioLines";
}

void TAudioLines::Paint(TDC& dc, bool, TRect&) {
  const TRect client = GetClientRect();
  const TimeLineEngine& engine = timeline_.Engine();
  const HBRUSH line = timeline_.Brush(kColorAudioTrack);
  timeline_.FillRows(dc, client, engine.audioPanel, engine.audioLineCount, line, line);
  timeline_.DrawCursorLine(dc, client);
}
