// Brushes and pens that the program's controls share: made once on first use
// and kept for the program's life; controls borrow them and never delete them.
#pragma once

#include "platform/gui/gdi.h"

// The progress bar's fill (blue) and background (light grey).
HBRUSH ProgressFillBrush();
HBRUSH ProgressBackgroundBrush();

// The level meter's five colour bands, from the quietest (0) to the loudest
// (4): bright up to the level, dark above it. The time-line colours its
// waveform peaks with the bright ones. Out-of-range bands give band 4.
HBRUSH BrightBandBrush(int band);
HBRUSH DarkBandBrush(int band);
// The tick marks of the meter's scale (blue, two pixels wide).
HPEN ScalePen();
