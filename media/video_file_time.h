// The last-write time of a video file, as the changed-file checks compare it.
#pragma once

#include "platform/core/types.h"

// False when the file cannot be opened.
bool ReadVideoFileTime(const char* name, FILETIME* time);
