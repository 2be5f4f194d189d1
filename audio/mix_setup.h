// The mix the time-line hands to every engine operation that mixes: the
// master bus, the number of audio lines, and per line its volume (a gain
// index, 512 = unity; 0 for a line that does not take part), its balance
// (-256..256) and its effect list. The time-line's engine makes it; the
// effect lists are borrowed for the length of the operation.
#pragma once

#include "model/timeline_state.h"
