#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gui/common_dialogs/colour_font_util.h"
#include "timeline/header/scale_list.h"
#include "timeline/lines/video_line.h"
#include "timeline_fixture.h"

namespace timelinetest {
namespace {

using namespace colour_font;
using FontsTest = TimeLineTest;

// Every text in a window: a message box's message among them.
std::string AllTexts(HWND window) {
  std::string texts;
  EnumChildWindows(
      window,
      [](HWND child, LPARAM p) -> BOOL {
        *reinterpret_cast<std::string*>(p) += TextOf(child) + "|";
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&texts));
  return texts;
}

LONG HeightOf(HFONT font) {
  LOGFONT lf;
  GetObject(font, sizeof lf, &lf);
  return lf.lfHeight;
}

bool NeedsPaint(TWindow* w) {
  RECT r;
  return GetUpdateRect(w->GetHandle(), &r, FALSE) != 0;
}

// A size one point beyond the largest is refused with the limits.
TEST_F(FontsTest, TheChooserTakesFourToTwentyPointsForLabelsAndUpToTwentyFiveForNames) {
  MainTimeLineWindow& w = Open();
  struct Case {
    int command;
    const char* beyond;
    const char* limits;
  };
  for (const Case c : {Case{kCmLabelFont, "21", "between 4 and 20 points"},
                       Case{kCmClipNameFont, "26", "between 4 and 25 points"}}) {
    std::string refusal;
    {
      Hook hook([&](HWND d) {
        PumpDialog(d);
        if (GetDlgItem(d, kFontSizeEdit) == nullptr) {
          refusal = AllTexts(d);
          PostMessage(GetDlgItem(d, IDOK), BM_CLICK, 0, 0);
          return;
        }
        TypeInto(d, kFontSizeEdit, c.beyond);
        Click(d, IDOK);
        Click(d, IDCANCEL);
      });
      w.SendMessage(WM_COMMAND, static_cast<WPARAM>(c.command), 0);
    }
    EXPECT_NE(refusal.find(c.limits), std::string::npos) << refusal;
  }
}

TEST_F(FontsTest, CancelChangesNothing) {
  MainTimeLineWindow& w = Open();
  HFONT time = w.TimeFont(), clip = w.ClipFont();
  const int width = w.TimeTextWidth();
  for (int command : {kCmLabelFont, kCmClipNameFont}) {
    Hook hook([&](HWND d) {
      PumpDialog(d);
      ClickItem(d, kFontSizeList, "18");
      Click(d, IDCANCEL);
    });
    w.SendMessage(WM_COMMAND, static_cast<WPARAM>(command), 0);
  }
  EXPECT_EQ(w.TimeFont(), time);
  EXPECT_EQ(w.ClipFont(), clip);
  EXPECT_EQ(w.TimeTextWidth(), width);
}

TEST_F(FontsTest, ALabelFontMeasuresTheHeaderAgainAndReachesTheButtonAndTheZoomList) {
  MainTimeLineWindow& w = Open();
  const int width = w.TimeTextWidth();
  const int top = w.LineAreaTop();
  {
    Hook hook([&](HWND d) {
      PumpDialog(d);
      ClickItem(d, kFontSizeList, "16");
      Click(d, IDOK);
    });
    w.SendMessage(WM_COMMAND, kCmLabelFont, 0);
  }
  EXPECT_LT(HeightOf(w.TimeFont()), -11);
  EXPECT_GT(w.TimeTextWidth(), width);
  EXPECT_GT(w.LineAreaTop(), top);
  const LRESULT font = reinterpret_cast<LRESULT>(w.TimeFont());
  EXPECT_EQ(w.SetSizeButton()->SendMessage(WM_GETFONT), font);
  EXPECT_EQ(w.ScaleList()->SendMessage(WM_GETFONT), font);
  EXPECT_EQ(PlaceOf(w.ScaleList()).Width(), w.TimeTextWidth());
  // The choice is kept with the settings.
  Close();
  EXPECT_NE(IniValue("TIMELINE", "TIME_FONT_SIZE"), "-11");
}

TEST_F(FontsTest, AClipNameFontRedrawsTheLines) {
  MainTimeLineWindow& w = Open();
  HFONT before = w.ClipFont();
  GuiPumpMessages();
  ASSERT_FALSE(NeedsPaint(w.VideoLine()));
  {
    Hook hook([&](HWND d) {
      PumpDialog(d);
      ClickItem(d, kFontSizeList, "24");
      Click(d, IDOK);
    });
    w.SendMessage(WM_COMMAND, kCmClipNameFont, 0);
  }
  EXPECT_NE(w.ClipFont(), before);
  EXPECT_EQ(HeightOf(w.ClipFont()), -32);
  EXPECT_TRUE(NeedsPaint(w.VideoLine()));
}

}  // namespace
}  // namespace timelinetest
