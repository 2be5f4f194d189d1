// The status-bar hints of the time-line's modes, zoom, heights, frame steps
// and exports, by command number.
#include "platform/gui/resource.h"
#include "resources/timeline_ids.h"

void RegisterTimeLineInputHints() {
  const struct {
    int id;
    const char* text;
  } hints[] = {
      {kCmExportAvi, "Writes video and audio tracks as AVI file"},
      {kCmExportWave, "Writes audio tracks as WAVE file"},
      {kCmVolumeProfile, "Shows volume profile and hides balance profile"},
      {kCmBalanceProfile, "Show balance profile and hides volume profile"},
      {kCmMultiselect, "Every mouse click onto a clip will select/deselect it"},
      {kCmAddPointMode, "Every mouse click onto a clip will add a new point to volume/panorama profile"},
      {kCmAudioHeightDouble, "Set a double height for all audio tracks"},
      {kCmAudioHeightNormal, "Set a normal height for all audio tracks"},
      {kCmAudioHeightHalf, "Set a half height for all audio tracks"},
      {kCmZoomIn, "Zoom in"},
      {kCmZoomOut, "Zoom out"},
      {kCmNextFrame, "Show next frame [Right]"},
      {kCmPrevFrame, "Show previous frame [Left]"},
  };
  for (const auto& hint : hints) RegisterStringResource(hint.id, hint.text);
}
