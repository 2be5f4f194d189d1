#include "ui/time_code_edit.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "model/time_code.h"
#include "platform/classlib/classlib.h"
#include "platform/gui/gui_driver.h"

namespace {

constexpr int kTime = 1201;
constexpr int kOther = 1202;

// A dialog with the time field and a plain edit to take the focus away; it
// records the field's change notifications.
class TTimeDialog : public TDialog {
 public:
  TTimeDialog(TWindow* parent, int32_t value, int32_t min, int32_t max) : TDialog(parent, Template()) {
    Time = new TimeCodeEdit(this, kTime, value, min, max);
  }
  static DialogTemplate Template() {
    DialogTemplate t;
    t.style = WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_SETFONT;
    t.cx = 160;
    t.cy = 60;
    t.caption = "Edit Time";
    t.items = {
        {"TimeEditControl", "", kTime, WS_VISIBLE | WS_TABSTOP | WS_BORDER, 0, 10, 10, 90, 12},
        {WC_EDIT, "", kOther, WS_VISIBLE | WS_TABSTOP | WS_BORDER, 0, 10, 30, 60, 12},
    };
    return t;
  }
  void EnChange() { ++changes; }

  TimeCodeEdit* Time;
  int changes = 0;
  DECLARE_RESPONSE_TABLE(TTimeDialog);
};
// clang-format off
DEFINE_RESPONSE_TABLE1(TTimeDialog, TDialog)
  EV_EN_CHANGE(kTime, EnChange),
END_RESPONSE_TABLE;
// clang-format on

class TimeCodeEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frame_ = std::make_unique<TFrameWindow>(nullptr, "Kobrix");
    ASSERT_TRUE(frame_->Create());
    TakeBeeps();
  }
  void TearDown() override {
    dialog_.reset();
    frame_.reset();
    SetProjectTimeFormat(kTimeFormatMs);
    SetProjectFrameRate(25.0f);
    GuiPumpMessages();
  }
  // The field in a new dialog, focused, in the given time format and rate.
  TimeCodeEdit* Open(int format, float rate, int32_t value, int32_t min, int32_t max) {
    SetProjectTimeFormat(format);
    SetProjectFrameRate(rate);
    dialog_ = std::make_unique<TTimeDialog>(frame_.get(), value, min, max);
    EXPECT_TRUE(dialog_->Create());
    ::SetFocus(edit());
    GuiPumpMessages();
    dialog_->changes = 0;
    return dialog_->Time;
  }
  HWND edit() const { return dialog_->Time->GetHandle(); }
  std::string Text() const { return dialog_->Time->GetText(); }
  // Keys through the dialog's keyboard interface, as a modeless dialog's
  // message loop runs them.
  void Keys(const std::vector<int>& keys) {
    for (int k : keys) GuiPressKey(k);
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (IsDialogMessage(dialog_->GetHandle(), &m)) continue;
      TranslateMessage(&m);
      DispatchMessage(&m);
    }
    GuiPumpMessages();
  }
  // The caret's place, where a press picks the current cell.
  POINT Caret() const {
    POINT p{};
    GetCaretPos(&p);
    return POINT{p.x + 1, 5};
  }
  void DoubleClick() {
    const POINT p = Caret();
    GuiClick(edit(), p.x, p.y);
    GuiClick(edit(), p.x, p.y);
    GuiPumpMessages();
  }

  std::unique_ptr<TFrameWindow> frame_;
  std::unique_ptr<TTimeDialog> dialog_;
};

TEST_F(TimeCodeEditTest, TheConstructorKeepsTheValueInItsRange) {
  struct Case {
    int32_t value, min, max, want;
  };
  for (const Case& c :
       {Case{500, 1000, 5000, 1000}, Case{9000, 1000, 5000, 5000}, Case{3000, 1000, 5000, 3000}}) {
    TimeCodeEdit* t = Open(kTimeFormatMs, 25.0f, c.value, c.min, c.max);
    EXPECT_EQ(t->GetValue(false), c.want) << c.value;
  }
}

TEST_F(TimeCodeEditTest, DigitKeysStepWithCarryAndBorrowAndStayInTheRange) {
  struct Case {
    int format;
    int32_t value, max;
    std::vector<int> keys;
    const char* text;
    int32_t want;
  };
  const Case cases[] = {
      // Up on the seconds tens of 00:00:59:000 carries into the minutes.
      {kTimeFormatMs,
       59000,
       kDayMs,
       {VK_HOME, VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_UP},
       "00:01:09:000",
       69000},
      // Down on a '0' borrows from the next larger unit.
      {kTimeFormatMs,
       60000,
       kDayMs,
       {VK_HOME, VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_DOWN},
       "00:00:59:000",
       59000},
      // At the top of the range Up changes nothing.
      {kTimeFormatMs, 5000, 5000, {VK_END, VK_UP}, "00:00:05:000", 5000},
      // Page Up on the hours tens in SMPTE puts 2; Page Down clears a cell.
      {kTimeFormatSmpte, 0, kDayMs, {VK_HOME, VK_PRIOR}, "20:00:00:00", 72000000},
      {kTimeFormatSmpte, 3600000, kDayMs, {VK_HOME, VK_RIGHT, VK_NEXT}, "00:00:00:00", 0},
      // In frames every cell takes 9.
      {kTimeFormatFrames, 0, 400000000, {VK_HOME, VK_PRIOR}, "9000000", 360000000},
      // Delete clears the digit under the caret, Backspace the one before it.
      {kTimeFormatMs, 12345, kDayMs, {VK_END, VK_DELETE}, "00:00:12:340", 12340},
      {kTimeFormatMs, 12345, kDayMs, {VK_END, VK_BACK}, "00:00:12:305", 12305},
  };
  for (const Case& c : cases) {
    TimeCodeEdit* t = Open(c.format, 25.0f, c.value, 0, c.max);
    Keys(c.keys);
    EXPECT_EQ(Text(), c.text) << c.text;
    EXPECT_EQ(t->GetValue(true), c.want) << c.text;
    EXPECT_EQ(dialog_->changes, c.want != c.value ? 1 : 0) << c.text;
  }
}

TEST_F(TimeCodeEditTest, TypedDigitsFillTheCellsAndLettersBeep) {
  TimeCodeEdit* t = Open(kTimeFormatMs, 25.0f, 0, 0, kDayMs);
  Keys({VK_HOME, '0', '1', '2', '3', VK_NUMPAD0 + 4, 'Q'});
  EXPECT_EQ(Text(), "01:23:40:000");
  EXPECT_EQ(t->GetValue(true), 5020000);
  EXPECT_EQ(t->GetCell(), 5);
  EXPECT_EQ(TakeBeeps(), std::vector<UINT>{0});
}

TEST_F(TimeCodeEditTest, DoubleClickShiftsDigitsInAndClampsOnlyWhenCommitted) {
  for (bool bySpace : {true, false}) {
    // 25 fps, at most 100 frames.
    TimeCodeEdit* t = Open(kTimeFormatFrames, 25.0f, 2000, 0, 4000);
    DoubleClick();
    Keys({'1', '2', '3'});
    EXPECT_EQ(Text(), "0000123");
    EXPECT_EQ(t->GetValue(false), 4920);  // not clamped yet
    EXPECT_FALSE(t->IsValid());
    EXPECT_GE(dialog_->changes, 3);
    if (bySpace)
      Keys({VK_SPACE});
    else
      ::SetFocus(GetDlgItem(dialog_->GetHandle(), kOther));
    GuiPumpMessages();
    EXPECT_EQ(Text(), "0000100");
    EXPECT_EQ(t->GetValue(false), 4000);
  }
}

TEST_F(TimeCodeEditTest, AFreshEntryStartsFromZeroDigitsAlsoAboveAMinimum) {
  TimeCodeEdit* t = Open(kTimeFormatMs, 25.0f, 8000, 5001, 10000);
  DoubleClick();
  Keys({'7', '2', '5', '0'});
  EXPECT_EQ(Text(), "00:00:07:250");
  ::SetFocus(GetDlgItem(dialog_->GetHandle(), kOther));
  GuiPumpMessages();
  EXPECT_EQ(t->GetValue(false), 7250);
  // An entry below the minimum is raised when committed.
  DoubleClick();
  Keys({'4', VK_SPACE});
  EXPECT_EQ(t->GetValue(false), 5001);
}

TEST_F(TimeCodeEditTest, SevenFrameDigitsAtALowRateSaturateInsteadOfWrapping) {
  TimeCodeEdit* t = Open(kTimeFormatFrames, 1.0f, 0, 0, kDayMs);
  DoubleClick();
  Keys({'9', '9', '9', '9', '9', '9', '9'});
  EXPECT_EQ(Text(), "9999999");
  EXPECT_EQ(t->GetValue(false), INT32_MAX);
  EXPECT_FALSE(t->IsValid());
  Keys({VK_SPACE});
  EXPECT_EQ(t->GetValue(false), kDayMs);
}

TEST_F(TimeCodeEditTest, IsValidComparesFramesInTheFrameFormats) {
  // 1010 ms is frame 25 at 25 fps: 25 frames (1000 ms) is a valid entry.
  // Every cell is typed, since the entry starts from the minimum.
  struct Case {
    int format;
    std::vector<int> keys;
    int32_t ms;
    bool valid;
  };
  const Case cases[] = {
      {kTimeFormatFrames, {'0', '0', '0', '0', '0', '2', '5'}, 1000, true},
      {kTimeFormatFrames, {'0', '0', '0', '0', '0', '2', '4'}, 960, false},
      {kTimeFormatSmpte, {'0', '0', '0', '0', '0', '1', '0', '0'}, 1000, true},  // 00:00:01:00
      {kTimeFormatMs, {'0', '0', '0', '0', '0', '1', '0', '0', '0'}, 1000, false},
  };
  for (const Case& c : cases) {
    TimeCodeEdit* t = Open(c.format, 25.0f, 2000, 1010, 4000);
    DoubleClick();
    Keys(c.keys);
    EXPECT_EQ(t->GetValue(false), c.ms) << Text();
    EXPECT_EQ(t->IsValid(), c.valid) << Text();
  }
}

TEST_F(TimeCodeEditTest, DraggingADigitStepsOncePerEightPixels) {
  TimeCodeEdit* t = Open(kTimeFormatMs, 25.0f, 3000, 0, kDayMs);
  Keys({VK_HOME, VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_RIGHT});  // seconds units
  POINT at = Caret();
  ClientToScreen(edit(), &at);
  GuiMouseMove(at.x, at.y);
  GuiMouseButton(0, true, at.x, at.y);
  GuiMouseMove(at.x, at.y - 20);  // two steps, 4 pixels pending
  GuiPumpMessages();
  EXPECT_EQ(t->GetValue(true), 5000);
  GuiMouseMove(at.x, at.y - 23);
  GuiPumpMessages();
  EXPECT_EQ(t->GetValue(true), 5000);
  GuiMouseMove(at.x, at.y - 24);
  GuiPumpMessages();
  EXPECT_EQ(t->GetValue(true), 6000);
  GuiMouseMove(at.x, at.y + 16);  // five steps down, past zero: borrows
  GuiPumpMessages();
  EXPECT_EQ(Text(), "00:00:01:000");
  GuiMouseButton(0, false, at.x, at.y + 16);
  GuiMouseMove(at.x, at.y - 40);
  GuiPumpMessages();
  EXPECT_EQ(t->GetValue(true), 1000);  // the drag ended with the button
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(TimeCodeEditTest, SettingTheSameValueNeitherNotifiesNorRepaints) {
  TimeCodeEdit* t = Open(kTimeFormatSmpte, 25.0f, 1000, 0, kDayMs);
  ValidateRect(edit(), nullptr);
  t->SetValue(1000, true);
  RECT r{};
  EXPECT_FALSE(GetUpdateRect(edit(), &r, FALSE));
  EXPECT_EQ(dialog_->changes, 0);
  // A value that clamps to the stored one is the same value.
  t->SetRange(0, 1000, true);
  t->SetValue(7000, true);
  EXPECT_FALSE(GetUpdateRect(edit(), &r, FALSE));
  EXPECT_EQ(dialog_->changes, 0);
  t->SetValue(40, true);
  EXPECT_TRUE(GetUpdateRect(edit(), &r, FALSE));
  EXPECT_EQ(dialog_->changes, 1);
  EXPECT_EQ(Text(), "00:00:00:01");
  // Without notify it changes quietly.
  t->SetValue(80, false);
  EXPECT_EQ(dialog_->changes, 1);
  EXPECT_EQ(t->GetValue(true), 80);
}

}  // namespace
