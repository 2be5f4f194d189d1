// The colour chooser's own child windows: grids of colour cells, the swatch
// and the spectrum. The chooser owns their data and hangs it on them with
// GWLP_USERDATA before they are shown.
#pragma once

#include <vector>

#include "platform/gui/gdi_types.h"
#include "platform/gui/user_types.h"

#define WC_COLOURCELLS "KobrixColourCells"
#define WC_COLOURSWATCH "KobrixColourSwatch"
#define WC_COLOURSPECTRUM "KobrixColourSpectrum"

// Sent to the parent as WM_COMMAND (the notification code in the high word).
constexpr WORD kCellsPicked = 1;     // a cell was chosen (mouse or arrow keys)
constexpr WORD kSpectrumPicked = 2;  // a point of the spectrum was chosen

// A grid of cells: cells[row * cols + col].
struct ColourCells {
  int cols = 8;
  int rows = 1;
  std::vector<COLORREF> cells;
  int selected = -1;  // the chosen cell, -1 for none
  int focus = 0;      // the cell the keyboard is on
};

// The swatch shows the colour in its GWLP_USERDATA. The spectrum marks the
// colour in its GWLP_USERDATA and, when the user picks a point, puts the
// colour there before it tells the parent.
void RegisterColourChooserClasses();

// The colour at hue (0..359) and saturation (0..255) at middle lightness.
COLORREF SpectrumColour(int hue, int saturation);
