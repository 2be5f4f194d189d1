// Snapping a time to the alignment targets near it: the project's marks and
// the clips' own marks. The ruler, the selection line, the lines' mark drags
// and the engine's clip drag all snap through this one operation.
#pragma once

#include <cstdint>

class TimeLineEngine;

// Whose clip marks count, by the current selection group.
constexpr int32_t kSnapAllClips = 0;
constexpr int32_t kSnapOtherClips = 1;     // clips outside the group
constexpr int32_t kSnapSelectedClips = 2;  // clips in the group

// Moves time to the nearest mark within the engine's gravity distance and
// returns how far it moved; nothing near leaves time alone and returns the
// distance plus one. Marks count only while gravity is on, and only those of
// the gravity group or of no group.
int32_t SnapToNearestEdge(const TimeLineEngine& engine, int32_t& time, int32_t filter);
