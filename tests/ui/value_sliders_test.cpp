#include "ui/value_sliders.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/classlib.h"
#include "platform/gui/gui_driver.h"
#include "resources/slider_thumb_ids.h"
#include "ui/numeric_edits.h"

namespace {

constexpr int kBar = 1501, kBarText = 1502, kVol = 1413, kVolText = 1415, kPan = 1417, kPanText = 1419;

// A tempo bar running from 100 at the left to 0 at the right, a volume fader
// whose text only the user's moves write, and a pan slider; the dialog
// counts their commands and the keys they pass on.
class TFadersDialog : public TDialog {
 public:
  explicit TFadersDialog(TWindow* parent) : TDialog(parent, Template()) {
    Bar = new TEBar(this, kBar, kBarText, 40, 100, 0);
    Volume = new TEVSlider(this, kVol, -kVolText, 0, 12, -99, kMasterFaderThumb);
    Pan = new TEHSlider(this, kPan, kPanText, 0, -100, 100);
  }
  static DialogTemplate Template() {
    DialogTemplate t;
    t.style = WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_SETFONT;
    t.cx = 200;
    t.cy = 140;
    t.caption = "A.Meter";
    const DWORD v = WS_VISIBLE;
    t.items = {
        {WC_SCROLLBAR, "", kBar, v | SBS_HORZ, 0, 10, 10, 120, 10},
        {WC_STATIC, "", kBarText, v, 0, 140, 10, 40, 10},
        {WC_STATIC, "", kVolText, v, 0, 140, 30, 40, 10},
        {WC_STATIC, "", kPanText, v, 0, 140, 50, 40, 10},
    };
    return t;
  }
  void SetupWindow() override {
    TDialog::SetupWindow();
    Volume->MoveWindow(TRect(10, 40, 50, 190));
    Pan->MoveWindow(TRect(60, 40, 220, 70));
  }
  void CmBar() { commands.push_back(kBar); }
  void CmVolume() { commands.push_back(kVol); }
  void CmPan() { commands.push_back(kPan); }
  LRESULT Play(WPARAM, LPARAM) {
    keys.push_back("play");
    return 0;
  }
  LRESULT WKey(WPARAM, LPARAM) {
    keys.push_back("w");
    return 0;
  }

  TEBar* Bar;
  TEVSlider* Volume;
  TEHSlider* Pan;
  std::vector<int> commands;
  std::vector<std::string> keys;
  DECLARE_RESPONSE_TABLE(TFadersDialog);
};
// clang-format off
DEFINE_RESPONSE_TABLE1(TFadersDialog, TDialog)
  EV_COMMAND(kBar, CmBar),
  EV_COMMAND(kVol, CmVolume),
  EV_COMMAND(kPan, CmPan),
  EV_MESSAGE(kPlayKey, Play),
  EV_MESSAGE(kWKey, WKey),
END_RESPONSE_TABLE;
// clang-format on

class ValueSlidersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frame_ = std::make_unique<TFrameWindow>(nullptr, "Kobrix");
    ASSERT_TRUE(frame_->Create());
    dialog_ = std::make_unique<TFadersDialog>(frame_.get());
    ASSERT_TRUE(dialog_->Create());
    GuiPumpMessages();
  }
  void TearDown() override {
    dialog_.reset();
    frame_.reset();
    GuiPumpMessages();
  }
  std::string Text(int id) const {
    char buf[32];
    GetDlgItemText(dialog_->GetHandle(), id, buf, sizeof buf);
    return buf;
  }
  void Keys(HWND to, const std::vector<int>& keys) {
    SetFocus(to);
    for (int k : keys) GuiPressKey(k);
    GuiPumpMessages();
  }

  std::unique_ptr<TFrameWindow> frame_;
  std::unique_ptr<TFadersDialog> dialog_;
};

TEST_F(ValueSlidersTest, AReversedRangePutsTheFirstBoundAtTheStart) {
  TEBar& bar = *dialog_->Bar;
  EXPECT_EQ(bar.GetPosition(), 60);
  EXPECT_EQ(Text(kBarText), "40");  // the set-up writes the buddy
  bar.SetValue(100);
  EXPECT_EQ(bar.GetPosition(), 0);
  bar.SetValue(-5);
  EXPECT_EQ(bar.GetValue(), 0);
  EXPECT_EQ(bar.GetPosition(), 100);
  EXPECT_EQ(Text(kBarText), "0");
  // The fader has its top at +12 and the volume text is the user's.
  EXPECT_EQ(dialog_->Volume->GetPosition(), 12);
  EXPECT_EQ(Text(kVolText), "0");
  EXPECT_EQ(Text(kPanText), "0");
  EXPECT_TRUE(dialog_->commands.empty());
  // A new range keeps the value inside it.
  bar.SetRange(50, 10);
  EXPECT_EQ(bar.GetValue(), 10);
  EXPECT_EQ(bar.GetPosition(), 40);
}

TEST_F(ValueSlidersTest, EveryUserMoveSendsOneCommandAndWritesTheBuddy) {
  // The bar's left arrow at the start: no change, still a command.
  TEBar& bar = *dialog_->Bar;
  bar.SetValue(100);
  RECT r;
  GetClientRect(bar, &r);
  GuiClick(bar, 2, r.bottom / 2);
  GuiClick(bar, r.right - 2, r.bottom / 2);
  GuiPumpMessages();
  EXPECT_EQ(bar.GetValue(), 99);
  EXPECT_EQ(Text(kBarText), "99");
  // Keys on the fader: up towards +12 lowers the position.
  TEVSlider& volume = *dialog_->Volume;
  Keys(volume, {VK_UP, VK_HOME, VK_HOME});
  EXPECT_EQ(volume.GetValue(), 12);
  EXPECT_EQ(Text(kVolText), "12");
  EXPECT_EQ(dialog_->commands, (std::vector<int>{kBar, kBar, kVol, kVol, kVol}));
}

TEST_F(ValueSlidersTest, SetValueWritesOnlyAPositiveBuddyAndOnlyAChange) {
  TEHSlider& pan = *dialog_->Pan;
  SetDlgItemText(dialog_->GetHandle(), kPanText, "typed");
  pan.SetValue(0);
  EXPECT_EQ(Text(kPanText), "typed");  // the same value
  pan.SetValue(0, true);
  EXPECT_EQ(Text(kPanText), "0");  // forced
  pan.SetValue(250);
  EXPECT_EQ(pan.GetValue(), 100);
  EXPECT_EQ(pan.GetPosition(), 200);
  EXPECT_EQ(Text(kPanText), "100");

  TEVSlider& volume = *dialog_->Volume;
  SetDlgItemText(dialog_->GetHandle(), kVolText, "-6");
  volume.SetValue(-6, true);
  EXPECT_EQ(Text(kVolText), "-6");
  volume.SetValue(-20);
  EXPECT_EQ(Text(kVolText), "-6");
  EXPECT_EQ(volume.GetPosition(), 32);
  // The user's drag of the thumb rewrites it: a track and the final place.
  dialog_->commands.clear();
  RECT thumb;
  SendMessage(volume, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  POINT p{(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2};
  ClientToScreen(volume, &p);
  GuiMouseMove(p.x, p.y);
  GuiMouseButton(0, true, p.x, p.y);
  GuiMouseMove(p.x, p.y - 30);
  GuiMouseButton(0, false, p.x, p.y - 30);
  GuiPumpMessages();
  EXPECT_GT(volume.GetValue(), -20);
  EXPECT_EQ(Text(kVolText), std::to_string(volume.GetValue()));
  EXPECT_EQ(dialog_->commands, (std::vector<int>{kVol, kVol}));
}

TEST_F(ValueSlidersTest, SpaceAndWGoToTheParentAndTheThumbIsTheBitmap) {
  Keys(*dialog_->Pan, {VK_SPACE, 'W', VK_RIGHT});
  Keys(*dialog_->Volume, {'W'});
  GuiPumpMessages();
  EXPECT_EQ(dialog_->keys, (std::vector<std::string>{"play", "w", "w"}));
  EXPECT_EQ(dialog_->Pan->GetValue(), 1);
  RECT thumb;
  SendMessage(*dialog_->Pan, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  EXPECT_EQ(thumb.right - thumb.left, 11);
  EXPECT_EQ(thumb.bottom - thumb.top, 19);
  SendMessage(*dialog_->Volume, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  EXPECT_EQ(thumb.right - thumb.left, 25);
  EXPECT_EQ(thumb.bottom - thumb.top, 13);
}

}  // namespace
