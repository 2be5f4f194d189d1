// Every custom control in one dialog, captured as the display shows it
// (under Xvfb with KOBRIX_GUI=sdl, read back from the SDL window): the time
// field in its three formats, the number fields with their spins, the value
// bars, meters at several levels with their scales, bitmap buttons, the
// logo, a shortened path, a tool-bar button and a scrolling window with both
// bars.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "media/video_bitmap.h"
#include "model/time_code.h"
#include "platform/classlib/classlib.h"
#include "platform/gui/gui_driver.h"
#include "resources/slider_thumb_ids.h"
#include "ui/bitmap_control.h"
#include "ui/bmp_button.h"
#include "ui/button_gadget.h"
#include "ui/file_name_control.h"
#include "ui/label_control.h"
#include "ui/level_control.h"
#include "ui/numeric_edits.h"
#include "ui/scroll_window.h"
#include "ui/time_code_edit.h"
#include "ui/value_sliders.h"

namespace {

enum : int {
  kTimeMs = 1201,
  kTimeSmpte,
  kTimeFrames,
  kCount,
  kCountSpin,
  kTempo,
  kTempoSpin,
  kBar,
  kBarText,
  kPanPlace,
  kPanText,
  kVolPlace,
  kVolText,
  kLeft,
  kRight,
  kScale,
  kRecLeft,
  kRecRight,
  kRecScale,
  kPlay,
  kAdd,
  kLogo,
  kPath,
  kScrollPlace,
  kBarPlace,
};
constexpr int kPlayStrip = 7201, kAddGlyph = 7202, kPlayGlyph = 7203;
constexpr int kLogoBitmap = 1033;

std::string ShotPath(const char* name) {
  const char* dir = std::getenv("KOBRIX_SCREENSHOT_DIR");
  return std::string(dir != nullptr && *dir != '\0' ? dir : ".") + "/" + name + "_" + GuiBackendName() +
         ".png";
}

int Count(const std::vector<std::uint32_t>& pixels, COLORREF color) {
  const std::uint32_t want = (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
  int n = 0;
  for (std::uint32_t p : pixels) n += p == want;
  return n;
}

// A play and stop strip, a plus and a play glyph, 16 x 15 each.
void RegisterArt() {
  std::vector<std::string> strip(15, std::string(32, '.'));
  for (int y = 2; y < 13; ++y) {
    const int len = y <= 7 ? y - 1 : 13 - y;
    for (int x = 5; x < 5 + len; ++x) strip[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = 'g';
    if (y >= 3 && y < 12)
      for (int x = 20; x < 29; ++x) strip[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = 'r';
  }
  const std::vector<std::pair<char, COLORREF>> palette = {
      {'.', RGB(192, 192, 192)}, {'g', RGB(0, 160, 0)}, {'r', RGB(200, 0, 0)}, {'k', RGB(0, 0, 0)}};
  RegisterBitmapResource(kPlayStrip, PixelArt{strip, palette});
  std::vector<std::string> play = strip;
  for (auto& row : play) row.resize(16);
  RegisterBitmapResource(kPlayGlyph, PixelArt{play, palette});
  std::vector<std::string> plus(15, std::string(16, '.'));
  for (int i = 3; i < 13; ++i) {
    plus[7][static_cast<std::size_t>(i)] = 'k';
    plus[8][static_cast<std::size_t>(i)] = 'k';
    plus[static_cast<std::size_t>(i)][7] = 'k';
    plus[static_cast<std::size_t>(i)][8] = 'k';
  }
  RegisterBitmapResource(kAddGlyph, PixelArt{plus, palette});
}

// Tiles of a clip collection, larger than its window both ways.
class TTiles : public TWindow {
 public:
  TTiles() : TWindow(nullptr) {
    Attr.Style = WS_CHILD | WS_VISIBLE;
    Attr.X = 0;
    Attr.Y = 0;
    Attr.W = 420;
    Attr.H = 260;
    SetFlag(wfShrinkToClient);
  }
  void Paint(TDC& dc, bool, TRect&) override {
    static const COLORREF kTile[] = {RGB(0, 0, 128), RGB(0, 128, 128), RGB(128, 0, 128), RGB(0, 128, 0)};
    HBRUSH back = CreateSolidBrush(RGB(255, 255, 255));
    dc.FillRect(GetClientRect(), back);
    DeleteObject(back);
    for (int row = 0; row < 4; ++row) {
      for (int col = 0; col < 5; ++col) {
        HBRUSH b = CreateSolidBrush(kTile[(row + col) % 4]);
        dc.FillRect(TRect(8 + col * 82, 8 + row * 62, 8 + col * 82 + 72, 8 + row * 62 + 54), b);
        DeleteObject(b);
      }
    }
  }
};

class TGalleryDialog : public TDialog {
 public:
  explicit TGalleryDialog(TWindow* parent, TEBitmap* logo) : TDialog(parent, Template()) {
    const int formats[3] = {kTimeFormatMs, kTimeFormatSmpte, kTimeFormatFrames};
    for (int i = 0; i < 3; ++i) {
      SetProjectTimeFormat(formats[i]);
      new TimeCodeEdit(this, kTimeMs + i, 3723040, 0, kDayMs);
    }
    SetProjectTimeFormat(kTimeFormatMs);
    new TIntEdit(this, kCount, 4, 64);
    new TFloatEdit(this, kTempo, 0.001f, 1000.0f, 0.5f);
    new TEBar(this, kBar, kBarText, 120, 300, 20);
    Pan = new TEHSlider(this, kPanPlace + 100, kPanText, -25, -100, 100);
    Volume = new TEVSlider(this, kVolPlace + 100, kVolText, -6, 12, -99, kMasterFaderThumb);
    Meters.left = new TLevelControl(this, &Meters, kLeft, true);
    Meters.right = new TLevelControl(this, &Meters, kRight, true);
    Meters.label = new TLabelControl(this, kScale, Meters.right, true);
    Recorder.left = new TLevelControl(this, &Recorder, kRecLeft, false);
    Recorder.right = new TLevelControl(this, &Recorder, kRecRight, false);
    Recorder.label = new TLabelControl(this, kRecScale, Recorder.right, false);
    Play = new TEBmpButton(this, kPlay, kPlayStrip, 2);
    new TEBmpButton(this, kAdd, kAddGlyph, 1);
    new BitmapControl(this, kLogo, logo, 1, logo->width, logo->height);
    new FileNameControl(this, kPath,
                        "/home/editor/projects/2024/documentary/interviews/take_07_close_up.avi");
    Scroll = new TEScrollWindow(this, new TTiles());
    Tools = new TControlBar(this);
    Tools->Insert(*new TEButtonGadget(kAddGlyph, kAddGlyph, TButtonGadget::Command, true));
    Tools->Insert(*new TEButtonGadget(kPlayGlyph, kPlayGlyph, TButtonGadget::Command, true));
  }

  static DialogTemplate Template() {
    DialogTemplate t;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME | DS_SETFONT;
    t.cx = 400;
    t.cy = 232;
    t.caption = "Controls";
    const DWORD v = WS_VISIBLE, tab = WS_VISIBLE | WS_TABSTOP;
    t.items = {
        // Time, in its three formats.
        {WC_BUTTON, "Time", -1, v | BS_GROUPBOX, 0, 7, 7, 124, 58},
        {WC_STATIC, "Milliseconds", -1, v, 0, 13, 20, 44, 8},
        {"TimeEditControl", "", kTimeMs, tab | WS_BORDER, 0, 60, 18, 64, 12},
        {WC_STATIC, "SMPTE", -1, v, 0, 13, 34, 44, 8},
        {"TimeEditControl", "", kTimeSmpte, tab | WS_BORDER, 0, 60, 32, 64, 12},
        {WC_STATIC, "Frames", -1, v, 0, 13, 48, 44, 8},
        {"TimeEditControl", "", kTimeFrames, tab | WS_BORDER, 0, 60, 46, 64, 12},
        // Numbers with their spins.
        {WC_BUTTON, "Values", -1, v | BS_GROUPBOX, 0, 7, 69, 124, 86},
        {WC_STATIC, "Blocks", -1, v, 0, 13, 82, 44, 8},
        {WC_EDIT, "16", kCount, tab | WS_BORDER, 0, 60, 80, 40, 12},
        {UPDOWN_CLASS, "", kCountSpin, v | UDS_AUTOBUDDY | UDS_ALIGNRIGHT, 0, 0, 0, 9, 12},
        {WC_STATIC, "Tempo", -1, v, 0, 13, 96, 44, 8},
        {WC_EDIT, "120.000", kTempo, tab | WS_BORDER, 0, 60, 94, 40, 12},
        {UPDOWN_CLASS, "", kTempoSpin, v | UDS_AUTOBUDDY | UDS_ALIGNRIGHT, 0, 0, 0, 9, 12},
        {WC_STATIC, "Speed", -1, v, 0, 13, 110, 44, 8},
        {WC_SCROLLBAR, "", kBar, v | SBS_HORZ, 0, 60, 110, 40, 9},
        {WC_STATIC, "", kBarText, v | SS_RIGHT, 0, 102, 110, 22, 8},
        {WC_STATIC, "Pan", -1, v, 0, 13, 126, 44, 8},
        {WC_STATIC, "", kPanPlace, 0, 0, 60, 122, 44, 16},
        {WC_STATIC, "", kPanText, v | SS_RIGHT, 0, 106, 126, 18, 8},
        // The master fader with its value and the stereo meter.
        {WC_BUTTON, "Master", -1, v | BS_GROUPBOX, 0, 137, 7, 100, 148},
        {WC_STATIC, "", kVolPlace, 0, 0, 143, 18, 24, 116},
        {WC_STATIC, "", kVolText, v | SS_CENTER, 0, 143, 138, 24, 8},
        {"TLabel", "", kScale, v, 0, 171, 18, 24, 120},
        {"TLevel", "", kLeft, v, 0, 197, 22, 14, 112},
        {"TLevel", "", kRight, v, 0, 215, 22, 14, 112},
        {WC_STATIC, "L", -1, v | SS_CENTER, 0, 197, 138, 14, 8},
        {WC_STATIC, "R", -1, v | SS_CENTER, 0, 215, 138, 14, 8},
        // The recorder's lying meters.
        {WC_BUTTON, "Recorder", -1, v | BS_GROUPBOX, 0, 7, 159, 230, 44},
        {WC_STATIC, "L", -1, v, 0, 13, 172, 8, 8},
        {"TLevel", "", kRecLeft, v, 0, 23, 171, 208, 8},
        {WC_STATIC, "R", -1, v, 0, 13, 182, 8, 8},
        {"TLevel", "", kRecRight, v, 0, 23, 181, 208, 8},
        {"TLabel", "", kRecScale, v, 0, 19, 190, 216, 10},
        // Buttons, the logo and a path.
        {WC_BUTTON, "Realtime preview", kPlay, tab | BS_OWNERDRAW, 0, 243, 140, 16, 14},
        {WC_BUTTON, "Add effect above selected one", kAdd, tab | BS_OWNERDRAW, 0, 263, 140, 16, 14},
        {"TEBitmapControl", "", kLogo, v, 0, 285, 140, 100, 30},
        {WC_STATIC, "", kPath, v | SS_LEFT, 0, 243, 175, 150, 8},
        // The collection's scrolling window and tool bar.
        {WC_STATIC, "", kScrollPlace, 0, 0, 243, 24, 150, 110},
        {WC_BUTTON, "OK", IDOK, tab | BS_DEFPUSHBUTTON, 0, 289, 211, 50, 14},
        {WC_BUTTON, "Cancel", IDCANCEL, tab, 0, 343, 211, 50, 14},
    };
    return t;
  }

  // Where an item of the template lies, in pixels.
  TRect ItemRect(int id) const {
    RECT r;
    ::GetWindowRect(GetDlgItem(id), &r);
    MapWindowPoints(nullptr, HWindow, reinterpret_cast<POINT*>(&r), 2);
    return TRect(r);
  }

  void SetupWindow() override {
    TDialog::SetupWindow();
    // The sliders over their places, inset by 2 pixels as the mixer does.
    Pan->MoveWindow(ItemRect(kPanPlace).InflatedBy(-2, -2), true);
    Volume->MoveWindow(ItemRect(kVolPlace).InflatedBy(-2, -2), true);
    Pan->SetRuler(50);
    Volume->SetRuler(12);
    const TRect place = ItemRect(kScrollPlace);
    Scroll->MoveWindow(place, true);
    RECT bar{243, 7, 393, 21};
    MapDialogRect(HWindow, &bar);
    Tools->MoveWindow(TRect(bar), true);
  }

  TAudioMeter Meters;
  TAudioMeter Recorder;
  TEHSlider* Pan;
  TEVSlider* Volume;
  TEBmpButton* Play;
  TEScrollWindow* Scroll;
  TControlBar* Tools;
};

TEST(Gallery, EveryCustomControlInOneDialog) {
  const float levels[4] = {-60, -48, -12, -3};
  TLevelControl::NormalizeLevels(levels);
  SetProjectFrameRate(25.0f);
  RegisterArt();
  TEBitmapInit pictures;
  TEBitmap logo(nullptr, kLogoBitmap, 3);
  TFrameWindow frame(nullptr, "Kobrix");
  ASSERT_TRUE(frame.Create());
  TGalleryDialog dialog(&frame, &logo);
  ASSERT_TRUE(dialog.Create());
  GuiPumpMessages();
  // Meters at several levels, with their peaks held.
  dialog.Meters.left->SetLevel(30000);
  dialog.Meters.left->SetLevel(9000);
  dialog.Meters.right->SetLevel(16384);
  dialog.Recorder.left->SetLevel(4000);
  dialog.Recorder.right->SetLevel(32767);
  dialog.Recorder.right->SetLevel(0);
  dialog.Play->SetTooltipText(1, nullptr);
  dialog.Scroll->Scroller->ScrollTo(3, 2);
  GuiPumpMessages();
  EXPECT_TRUE(GetWindowLong(*dialog.Scroll, GWL_STYLE) & WS_HSCROLL);
  EXPECT_TRUE(GetWindowLong(*dialog.Scroll, GWL_STYLE) & WS_VSCROLL);

  std::vector<std::uint32_t> pixels;
  int width = 0, height = 0;
  ASSERT_TRUE(GuiCaptureWindow(dialog, &pixels, &width, &height)) << GuiBackendName();
  EXPECT_GT(Count(pixels, RGB(0, 255, 0)), 100);   // bright meter bands
  EXPECT_GT(Count(pixels, RGB(128, 0, 0)), 50);    // dark loud bands
  EXPECT_GT(Count(pixels, RGB(0, 0, 128)), 1000);  // the logo and the tiles
  ASSERT_TRUE(GuiSaveScreenshot(dialog, ShotPath("ui_controls")));
}

}  // namespace
