// The 31 colours the time-line draws with, chosen by the user and kept in
// section COLORS of the settings. The index of each colour is fixed: the
// settings keys, the colour-scheme files and the Colors page all use it.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "platform/classlib/controls.h"
#include "platform/core/types.h"
#include "ui/file_dialogs.h"

enum TimeLineColorIndex : int {
  kColorBackground = 0,
  kColorCurTime,
  kColorSelection,
  kColorWaveform,
  kColorSelectedClip,
  kColorNonSelectedClip,
  kColorSemiSelectedClip,
  kColorSelectedName,
  kColorNonSelectedName,
  kColorSemiSelectedName,
  kColorActiveVolumeProfile,
  kColorPassiveVolumeProfile,
  kColorActiveBalanceProfile,
  kColorPassiveBalanceProfile,
  kColorActiveKeyPoint,
  kColorPassiveKeyPoint,
  kColorActiveClipMark,
  kColorPassiveClipMark,
  kColorActiveTimeMark,
  kColorPassiveTimeMark,
  kColorFirstVideoTrack,
  kColorOtherVideoTrack,
  kColorAudioTrack,
  kColorMidiTrack,
  kColorSmallHole,
  kColorSmallClip,
  kColorSmallSelectedClip,
  kColorNonUsedEffects,
  kColorUsedEffects,
  kColorDeclick,
  kColorVideoFXTrack,
  kTimeLineColorCount
};

// The colours in use (COLORREF, 0x00BBGGRR), the defaults until LoadColors.
extern std::array<COLORREF, kTimeLineColorCount> TimeLineColors;
// The folder the colour-scheme file dialog opens in.
extern char SchemeDirectory[MAX_PATH];

// The settings key of a colour ("BackgroundColor" ...); null outside the table.
const char* TimeLineColorKey(int index);
COLORREF DefaultTimeLineColor(int index);

// Reads the 31 colours (a missing key gives the default) and the scheme
// folder from section COLORS.
void LoadColors();
// Writes them back and flushes the settings file.
void SaveColors();

// ---- Colour-scheme files (".clt") ----
//
// One line per colour in the file's own order (it swaps two pairs against
// the index), each "Key = 0xHEX" ending CR LF; LF alone is read too.

// The index of the colour on line `line` (0..30) of a scheme file.
int SchemeLineColor(int line);
// The text of a scheme holding colors.
std::string WriteColorScheme(const std::array<COLORREF, kTimeLineColorCount>& colors);
// Reads a scheme into colors, each colour as soon as its line is read.
// kErrOk (0) when all 31 lines were read, else kErrRead (19): the colours
// of the lines before the bad one are already in colors. Text after the
// last colour is ignored.
int ReadColorScheme(std::string_view text, std::array<COLORREF, kTimeLineColorCount>& colors);

// ---- The Colors page's sample ----

class TColorsSampleControl;

// Puts the default colours into the sample's working set.
void SetDefaultColors(TColorsSampleControl& sample);
// Copies the sample's working colours into TimeLineColors.
void CommitColors(const TColorsSampleControl& sample);
// "Save scheme" and "Load scheme": the file dialog on the scheme record and
// the file. True when a file was chosen and could be opened (a load that
// met a bad line still took the lines before it and returns true).
bool SaveColorScheme(TColorsSampleControl& sample);
bool LoadColorScheme(TColorsSampleControl& sample);
// The remembered file-dialog record of scheme files; its folder is
// SchemeDirectory.
FileData& ColorSchemeFileData();

// The messages the sample posts to its parent, wParam its control id:
// change the selected element's colour; select element lParam.
constexpr UINT WM_SAMPLE_CHANGECOLOR = WM_USER + 81;
constexpr UINT WM_SAMPLE_SELECT = WM_USER + 82;
constexpr int kColorsSampleId = 1273;

// The widths of the sample's texts in its font: the clip marks "M1" and
// "M2" and the clip name "Name".
struct SampleTextWidths {
  int m1 = 0;
  int m2 = 0;
  int name = 0;
};
// Where a point of a sample of width `width` falls: the index of the
// element drawn there.
int ColorsSampleHitTest(int width, int x, int y, const SampleTextWidths& text);

// A miniature time-line painted in working colours; a click selects the
// element under the mouse, a double click asks to change its colour.
class TColorsSampleControl : public TControl {
 public:
  explicit TColorsSampleControl(TWindow* parent);

  std::array<COLORREF, kTimeLineColorCount> Colors;

  int HitTest(int x, int y);
  const char* GetClassName() override;
  void GetWindowClass(WNDCLASS& wc) override;
  void Paint(TDC& dc, bool erase, TRect& rect) override;

 protected:
  void EvLButtonDown(UINT modKeys, const TPoint& point);
  void EvMouseMove(UINT modKeys, const TPoint& point);
  void EvLButtonUp(UINT modKeys, const TPoint& point);
  void EvLButtonDblClk(UINT modKeys, const TPoint& point);

 private:
  void SelectAt(const TPoint& point);
  HFONT Font() const;
  bool tracking = false;

  DECLARE_RESPONSE_TABLE(TColorsSampleControl);
};

// The font the sample writes its texts in: the time-line's clip font,
// which the program installs (null: the dialog font).
void SetColorsSampleFont(HFONT (*clipFont)());
