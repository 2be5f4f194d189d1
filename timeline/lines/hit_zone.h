// The zones of the line windows under the pointer share one numbering;
// each zone shows its own cursor (line_mechanics.h has the table).
#pragma once

#include <cstdint>

constexpr int32_t kZoneNothing = 0;
constexpr int32_t kZoneTrimStart = 1;
constexpr int32_t kZoneTrimEnd = 2;
constexpr int32_t kZoneClip = 3;
constexpr int32_t kZoneMoveClips = 4;
// Moving clips with the pointer over the clip collection.
constexpr int32_t kZoneMoveToCollection = 5;
// Shift held or multiselection mode.
constexpr int32_t kZoneRubberBand = 6;
constexpr int32_t kZoneMark = 7;
constexpr int32_t kZonePlaying = 8;
// The audio lines' profiles.
constexpr int32_t kZoneKeyPoint = 9;
constexpr int32_t kZoneFlatSegment = 10;
constexpr int32_t kZoneSlopedSegment = 11;
// Ctrl held or add-point mode.
constexpr int32_t kZoneAddPoint = 12;
constexpr int32_t kZoneCursorLine = 13;
constexpr int32_t kZoneEffects = 14;

// No zone yet: the next pointer move sets the cursor whatever the zone.
constexpr int32_t kNoHitZone = 255;
