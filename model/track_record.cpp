#include "model/track_record.h"

#include <cstring>

int32_t TrackHeightOfZoom(int32_t zoom) {
  if (zoom < 0 || zoom > 3) zoom = 1;
  return kTrackFullHeight >> zoom;
}

void TrackRecord::SetName(const char* text) {
  std::size_t n = text ? strnlen(text, kTrackNameSize - 1) : 0;
  if (n) std::memmove(name, text, n);
  name[n] = '\0';
  name[kTrackNameSize - 1] = '\0';
}

void TrackRecord::SetZoom(int32_t zoomStep) {
  zoom = zoomStep;
  height = TrackHeightOfZoom(zoomStep);
  Place(top);
}

void TrackRecord::Place(int32_t topY) {
  top = topY;
  middle = top + height / 2 - 1;
  bottom = top + height - 1;
}

void TrackRecord::ReleaseEffects() {
  ReleaseChain(effects);
}

void TrackRecord::SetUp(const char* text, int32_t zoomStep, int32_t topY) {
  SetName(text);
  solo = 0;
  mute = 0;
  gain = kGainUnity;
  pan = 0;
  zoom = zoomStep;
  height = TrackHeightOfZoom(zoomStep);
  Place(topY);
  ReleaseEffects();
}

TrackPanel::~TrackPanel() {
  for (TrackRecord& r : records) r.ReleaseEffects();
}

void TrackPanel::ClearSoloFlags() {
  for (int32_t i = 0; i < rowCount; ++i) records[i].solo = 0;
}

void TrackPanel::ClearMuteFlags() {
  for (int32_t i = 0; i < rowCount; ++i) records[i].mute = 0;
}

void TrackPanel::Layout(int32_t gap) {
  int32_t first = firstShown < 0 || firstShown >= rowCount ? 0 : firstShown;
  int32_t y = 0;
  for (int32_t i = first - 1; i >= 0; --i) {
    y -= records[i].height + gap;
    records[i].Place(y);
  }
  y = 0;
  for (int32_t i = first; i < rowCount; ++i) {
    records[i].Place(y);
    y += records[i].height + gap;
  }
}
