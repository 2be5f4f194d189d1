#include <gtest/gtest.h>

#include <cstring>

#include "platform/classlib/classlib.h"
#include "platform/classlib/common_dialogs.h"
#include "platform/gui/common_dialogs/colour_font_util.h"

namespace {

using namespace colour_font;

class ChooseDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frame_ = new TFrameWindow(nullptr, "Owner");
    ASSERT_TRUE(frame_->Create());
    frame_->Show(SW_SHOW);
    GuiPumpMessages();
  }
  void TearDown() override {
    SetModalHook(nullptr);
    delete frame_;
    GuiPumpMessages();
  }
  TFrameWindow* frame_ = nullptr;
};

TEST_F(ChooseDialogTest, ColourRoundTrip) {
  COLORREF cust[16] = {};
  TChooseColorDialog::TData data(CC_RGBINIT | CC_FULLOPEN, RGB(0, 0, 255), cust);
  TChooseColorDialog dlg(frame_, data);
  HWND owner = nullptr;
  std::string start;
  {
    Hook hook([&](HWND d) {
      PumpDialog(d);
      owner = GetParent(d);
      start = ItemText(d, kColourBlue);
      TypeInto(d, kColourRed, "50");
      Click(d, kColourAdd);
      Click(d, IDOK);
    });
    EXPECT_EQ(dlg.Execute(), IDOK);
  }
  EXPECT_EQ(owner, frame_->GetHandle());
  EXPECT_EQ(start, "255");
  EXPECT_EQ(data.Color, RGB(50, 0, 255));
  EXPECT_EQ(cust[0], RGB(50, 0, 255));
  EXPECT_EQ(data.Error, 0u);
  {
    Hook hook([&](HWND d) {
      TypeInto(d, kColourGreen, "9");
      Click(d, IDCANCEL);
    });
    EXPECT_EQ(dlg.Execute(), IDCANCEL);
  }
  EXPECT_EQ(data.Color, RGB(50, 0, 255));
  EXPECT_EQ(data.Error, 0u);
}

TEST_F(ChooseDialogTest, FontRoundTrip) {
  TChooseFontDialog::TData data(CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_LIMITSIZE);
  data.LogFont.lfHeight = -11;
  std::strcpy(data.LogFont.lfFaceName, "MS Sans Serif");
  data.SizeMin = 4;
  data.SizeMax = 20;
  TChooseFontDialog dlg(frame_, data);
  std::string start;
  {
    Hook hook([&](HWND d) {
      PumpDialog(d);
      start = ItemText(d, kFontFaceName) + "/" + ItemText(d, kFontSizeEdit);
      ClickItem(d, kFontSizeList, "20");
      ClickItem(d, kFontStyleList, "Bold");
      Click(d, IDOK);
    });
    EXPECT_EQ(dlg.Execute(), IDOK);
  }
  EXPECT_EQ(start, "MS Sans Serif/8");
  EXPECT_EQ(data.LogFont.lfHeight, -27);
  EXPECT_EQ(data.LogFont.lfWeight, FW_BOLD);
  EXPECT_STREQ(data.LogFont.lfFaceName, "MS Sans Serif");
  EXPECT_EQ(data.PointSize, 200);
  EXPECT_EQ(data.FontType, SCREEN_FONTTYPE | BOLD_FONTTYPE);
  EXPECT_EQ(data.Error, 0u);

  const LOGFONT before = data.LogFont;
  {
    Hook hook([&](HWND d) {
      ClickItem(d, kFontSizeList, "8");
      Click(d, IDCANCEL);
    });
    EXPECT_EQ(dlg.Execute(), IDCANCEL);
  }
  EXPECT_EQ(std::memcmp(&before, &data.LogFont, sizeof before), 0);
  EXPECT_EQ(data.PointSize, 200);

  // An error: IDCANCEL with the chooser's error kept.
  data.SizeMin = 30;
  EXPECT_EQ(dlg.Execute(), IDCANCEL);
  EXPECT_EQ(data.Error, CDERR_INITIALIZATION);
}

}  // namespace
