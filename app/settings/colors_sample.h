// The Colors page's sample: a miniature time-line painted in working
// colours, and the page's scheme-file actions on its working set.
#pragma once

#include <array>

#include "platform/classlib/controls.h"
#include "platform/core/types.h"
#include "timeline/window/timeline_colors.h"
#include "ui/file_dialogs.h"

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
