// ClipWindow: one tile of the clip collection, a small child window holding
// one clip. It paints the clip in one of four view modes (1 Full info,
// 2 Basic info, 3 Large icons, 4 Small icons): the face picture, or a
// placeholder for a clip without video, small kind icons, and the clip's
// name, file, sound and video descriptions and times. Black texts and icons
// tell that a part plays directly in the project, grey ones that it does not;
// a name is blue while nothing of the clip is open.
//
// A tile is made without a window; the collection gives it one when it
// takes the tile in, places it and deletes it.
#pragma once

#include "clips/clip_data.h"
#include "model/te_window.h"
#include "platform/classlib/window.h"

constexpr int kViewFullInfo = 1;
constexpr int kViewBasicInfo = 2;
constexpr int kViewLargeIcons = 3;
constexpr int kViewSmallIcons = 4;

// The icon strip beside the picture in the info modes, and the name line
// below it in Large icons.
constexpr int kTileIconWidth = 26;
constexpr int kTileIconHeight = 24;
constexpr int kTileNameLineHeight = 19;
constexpr int kTileFullInfoWidth = 370;

// Widths of the info texts, measured in the tile font.
struct TileTextWidths {
  int w1 = 0;  // "  Sound:  "
  int w2 = 0;  // "  In:"
  int w3 = 0;  // "  In:" and "00:00:00:000."
  int w4 = 0;  // that and " Out:"
  int w5 = 0;  // " 44 kHz 16 stereo "
};

class ClipWindow : public TEWindow {
 public:
  // A tile of a new clip over the given sources (see ClipData).
  explicit ClipWindow(int viewMode, VideoData* video = nullptr, MidiData* midi = nullptr,
                      AudioData* audio = nullptr, bool render = false);
  ~ClipWindow() override;

  const char* GetClassName() override;
  void GetWindowClass(WNDCLASS& wc) override;
  void SetupWindow() override;
  void Destroy(int retVal = 0) override;
  void Paint(TDC& dc, bool erase, TRect& rect) override;

  // Sizes the tile for mode (held to 1..4) and makes its picture and fitted
  // path again at the next paint.
  void SetViewMode(int mode);
  int GetViewMode() const { return viewMode; }
  // The path as the Full info row shows it; empty until painted there.
  const char* FittedPath() const { return fittedPath; }

  // The widths of the info texts, measured once with font; a new font
  // measures them again.
  static void MeasureInfoTexts(HDC dc, HFONT font);
  static const TileTextWidths& TextWidths();
  // The client size of a tile in mode at the current thumbnail size.
  static TSize ClientSizeFor(int mode);

  ClipData clip;

 protected:
  void EvLButtonDblClk(UINT keys, const TPoint& point);
  void EvRButtonDown(UINT keys, const TPoint& point);

 private:
  void PaintInfo(TDC& dc, const TRect& client, int mode, COLORREF nameColor, COLORREF audioColor,
                 COLORREF videoColor);
  void DrawKindIcons(TDC& dc, const TRect& client);

  int viewMode;
  // The clip's path cut to the File row's width; empty until painted.
  char fittedPath[256] = {};

  DECLARE_RESPONSE_TABLE(ClipWindow);
};
