// Shortening a path so that it fits a width on a device context.
#pragma once

#include "platform/gui/gdi.h"

// When text is wider than width (device units) in dc's font, shortens it in
// place: a drive prefix ("C:\") stays, the next three characters become
// "...", then the characters after the dots go one at a time until it fits
// or none is left. A text too short to take the dots stays as it is.
// Returns text.
char* FitPathToWidth(HDC dc, char* text, int width);
