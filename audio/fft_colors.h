// The analyser's ten colours: their keys (INI and scheme files), defaults and
// the text forms they are stored in, and the "Response Colors" dialog with
// its swatches. A scheme file (".fcs") is one "Key=r,g,b" line per colour.
#pragma once

#include <array>
#include <cstdio>
#include <string>

#include "platform/classlib/controls.h"
#include "platform/classlib/dialog.h"

class TDiagram;

constexpr int kResponseColorCount = 10;
enum ResponseColor {
  kBackgroundColor,
  kGridColor,
  kTextColor,
  kPhaseRangeColor,
  kLeftPhaseColor,
  kRightPhaseColor,
  kFreqRangeColor,
  kLeftFreqColor,
  kRightFreqColor,
  kCursorColor,
};
using ResponseColors = std::array<COLORREF, kResponseColorCount>;

extern const char* const kResponseColorKeys[kResponseColorCount];
extern const ResponseColors kDefaultResponseColors;

// "r,g,b" in decimal.
std::string FormatColor(COLORREF color);
// Three decimal integers separated by ",", each taken modulo 256; missing
// ones count 0.
COLORREF ParseColor(const char* text);
// One line of a scheme file (its end of line may still be there): the index
// of the colour it names and the colour; false for a line to skip.
bool ParseSchemeLine(const char* line, int* index, COLORREF* color);
// Reads a scheme file in lines of at most 39 characters (a longer line
// comes in pieces, each taken as a line) into colors; returns the mask of
// the colours it named (bit i for colour i).
int ReadScheme(std::FILE* file, ResponseColors* colors);
// The whole file's text for colours, lines ending in CR LF.
std::string FormatScheme(const ResponseColors& colors);

// One colour's swatch: a box filled with its colour; a click opens the
// colour chooser on it.
class TSelColor : public TControl {
 public:
  TSelColor(TWindow* parent, int resourceId, COLORREF* bound);
  const char* GetClassName() override;
  void Paint(TDC& dc, bool erase, TRect& rect) override;

  COLORREF Current() const { return current; }
  COLORREF Initial() const { return initial; }
  // The swatch and its bound colour take color.
  void SetColor(COLORREF color);
  void Restore();

 protected:
  void EvLButtonDown(UINT modKeys, const TPoint& point);
  bool EvEraseBkgnd(HDC) { return true; }

 private:
  COLORREF current;
  COLORREF initial;
  COLORREF* bound;

  DECLARE_RESPONSE_TABLE(TSelColor);
};

class TFFTSColorSel : public TDialog {
 public:
  // position: the remembered top-left corner, updated when the dialog ends.
  TFFTSColorSel(TWindow* parent, TDiagram* diagram, POINT* position);
  void SetupWindow() override;
  void Destroy(int retVal = IDCANCEL) override;

  TSelColor* Swatch(int index) const { return swatches[static_cast<std::size_t>(index)]; }

 protected:
  void CmHelp();
  void CmDefaults();
  void CmLoad();
  void CmSave();
  LRESULT EvRedraw(WPARAM, LPARAM);

 private:
  TDiagram* diagram;
  POINT* position;
  std::array<TSelColor*, kResponseColorCount> swatches{};

  DECLARE_RESPONSE_TABLE(TFFTSColorSel);
};

// The message a swatch sends its dialog after a change.
constexpr UINT kColorsChangedMessage = 1234;
