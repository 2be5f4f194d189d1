// The zones of the line windows under the pointer share one numbering;
// each zone shows its own cursor.
#pragma once

#include <cstdint>

// No zone yet: the next pointer move sets the cursor whatever the zone.
constexpr int32_t kNoHitZone = 255;
