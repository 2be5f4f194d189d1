// Brushes that the program's controls share: made once on first use and
// kept for the program's life; controls borrow them and never delete them.
#pragma once

#include "platform/gui/gdi.h"

// The progress bar's fill (blue) and background (light grey).
HBRUSH ProgressFillBrush();
HBRUSH ProgressBackgroundBrush();
