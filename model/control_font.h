// The one font that the custom controls share: "MS Sans Serif", character
// height 11, normal weight, ANSI.
#pragma once

#include "platform/gui/gdi.h"

// Made at program start (or on first use) and deleted at the end.
void CreateControlFont();
void DeleteControlFont();
HFONT ControlFont();
