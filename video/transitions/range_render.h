// What an export asks of the transitions before it writes pictures: each
// transition that the pictures of its range play is rendered first, so that
// the file holds what playback shows once rendering has finished, never the
// cut at the middle that stands in before.
#pragma once

#include <cstdint>

#include "platform/core/types.h"

class VFX;

// Waits until every transition of transitions that lies in [start, end) ms
// between two clips of the kept rows (rows[0], rows[1]) is rendered: the
// render service does the work while a progress dialog (title caption, text
// target) counts the frames; without a running service they are rendered
// here. A transition that failed before is tried once more. False when the
// user cancelled, or when a render failed: a box captioned caption over
// owner then says which transition and why.
bool RenderTransitionsOfRange(VFX& transitions, HWND owner, const char* caption, const char* target,
                              int32_t start, int32_t end, const bool rows[2]);
