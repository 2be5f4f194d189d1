#include "timeline/header/av_buttons.h"

#include <algorithm>
#include <string>

#include "model/ini.h"
#include "model/text_format.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "timeline/window/main_timeline_window.h"

namespace {

// A step the heights do not know reads as the usual one.
int32_t ZoomStep(int32_t step) {
  return step >= 0 && step <= 3 ? step : 1;
}

}  // namespace

TAVButtons::TAVButtons(MainTimeLineWindow* timeline, const TRect& rect, int32_t rows, int32_t kind,
                       TrackPanel& panel)
    : TimeLineChild(timeline, "AVButtons", rect.left, rect.top, rect.Width(), rect.Height()),
      panel_(panel),
      kind_(kind) {
  panel_.rowCount = std::clamp(rows, 1, 4);
  IniSetSection("TIMELINE");
  for (int32_t i = 0; i < panel_.rowCount; ++i) {
    std::string name;
    int32_t zoom = 1;
    switch (kind_) {
      case kLineVideo:
        zoom = IniReadInt(NumberedKey("ZOOM_VIDEO", i, ""), 1);
        name = FormatText(GetString(ui_string::kVideoTrackNumber), i + 1);
        break;
      case kLineAudio:
        zoom = IniReadInt(NumberedKey("ZOOM_AUDIO", i, ""), 1);
        name = FormatText(GetString(ui_string::kAudioTrackNumber), i + 1);
        break;
      case kLineMidi:
        zoom = IniReadInt("ZOOM_MIDI", 1);
        name = GetString(ui_string::kMidiTrack);
        break;
      default:
        zoom = IniReadInt("ZOOM_VFX", 1);
        name = GetString(ui_string::kVideoFxTrack);
        break;
    }
    panel_[i].SetUp(name.c_str(), ZoomStep(zoom), 0);
  }
  panel_.firstShown = 0;
  panel_.Layout(GetSystemMetrics(SM_CYBORDER));
}

const char* TAVButtons::GetClassName() {
  return "AVButtons";
}

int32_t TAVButtons::RowsInUse() const {
  return kind_ == kLineAudio ? std::min(timeline_.Engine().audioLineCount, panel_.rowCount) : panel_.rowCount;
}

void TAVButtons::Paint(TDC& dc, bool, TRect&) {
  const HBRUSH face = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
  timeline_.FillRows(dc, GetClientRect(), panel_, RowsInUse(), face, face);
}
