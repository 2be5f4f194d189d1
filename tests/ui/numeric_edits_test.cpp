#include "ui/numeric_edits.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/classlib.h"
#include "platform/gui/gui_driver.h"

namespace {

constexpr int kInt = 1415, kFloat = 1419, kSpin = 1416, kFloatSpin = 1420, kOther = 1421;

// A dialog with an integer field (0..1500) and a float field (-1..5, spin
// 0.25), each with its up-down, and a plain edit to take the focus; it keeps
// what the fields post.
class TNumbersDialog : public TDialog {
 public:
  explicit TNumbersDialog(TWindow* parent) : TDialog(parent, Template()) {
    Int = new TIntEdit(this, kInt, 0, 1500);
    Float = new TFloatEdit(this, kFloat, -1.0f, 5.0f, 0.25f);
  }
  static DialogTemplate Template() {
    DialogTemplate t;
    t.style = WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_SETFONT;
    t.cx = 160;
    t.cy = 80;
    t.caption = "Numbers";
    const DWORD v = WS_VISIBLE;
    t.items = {
        {WC_EDIT, "1234", kInt, v | WS_TABSTOP | WS_BORDER, 0, 10, 10, 60, 12},
        {UPDOWN_CLASS, "", kSpin, v | UDS_AUTOBUDDY | UDS_ALIGNRIGHT, 0, 0, 0, 9, 12},
        {WC_EDIT, "1.250", kFloat, v | WS_TABSTOP | WS_BORDER, 0, 10, 30, 60, 12},
        {UPDOWN_CLASS, "", kFloatSpin, v | UDS_AUTOBUDDY | UDS_ALIGNRIGHT, 0, 0, 0, 9, 12},
        {WC_EDIT, "", kOther, v | WS_TABSTOP | WS_BORDER, 0, 10, 50, 60, 12},
    };
    return t;
  }
  LRESULT Changed(WPARAM id, LPARAM) {
    changes.push_back(static_cast<int>(id));
    return 0;
  }
  LRESULT Play(WPARAM, LPARAM) {
    ++plays;
    return 0;
  }
  LRESULT WKey(WPARAM, LPARAM) {
    ++wkeys;
    return 0;
  }

  TIntEdit* Int;
  TFloatEdit* Float;
  std::vector<int> changes;
  int plays = 0, wkeys = 0;
  DECLARE_RESPONSE_TABLE(TNumbersDialog);
};
// clang-format off
DEFINE_RESPONSE_TABLE1(TNumbersDialog, TDialog)
  EV_MESSAGE(kNumberChanged, Changed),
  EV_MESSAGE(kPlayKey, Play),
  EV_MESSAGE(kWKey, WKey),
END_RESPONSE_TABLE;
// clang-format on

class NumericEditsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frame_ = std::make_unique<TFrameWindow>(nullptr, "Kobrix");
    ASSERT_TRUE(frame_->Create());
    dialog_ = std::make_unique<TNumbersDialog>(frame_.get());
    ASSERT_TRUE(dialog_->Create());
    GuiPumpMessages();
    dialog_->changes.clear();
    TakeBeeps();
  }
  void TearDown() override {
    GuiKey(VK_CONTROL, false);
    GuiKey(VK_SHIFT, false);
    dialog_.reset();
    frame_.reset();
    GuiPumpMessages();
  }
  HWND Item(int id) const { return GetDlgItem(dialog_->GetHandle(), id); }
  std::string Text(int id) const {
    char buf[64];
    GetWindowText(Item(id), buf, sizeof buf);
    return buf;
  }
  // Focus on the field with the caret at position at (or all selected).
  void Focus(int id, const char* text, int at) {
    SetWindowText(Item(id), text);
    SetFocus(Item(id));
    SendMessage(Item(id), EM_SETSEL, at < 0 ? 0 : at, at < 0 ? -1 : at);
    GuiPumpMessages();
    dialog_->changes.clear();
    TakeBeeps();
  }
  // A drag with the right button from within character index by dy.
  void Drag(int id, int index, int dy) {
    const LRESULT a = SendMessage(Item(id), EM_POSFROMCHAR, index, 0);
    POINT p{static_cast<SHORT>(LOWORD(a)) + 2, 5};
    ClientToScreen(Item(id), &p);
    GuiMouseMove(p.x, p.y);
    GuiMouseButton(1, true, p.x, p.y);
    GuiMouseMove(p.x, p.y - dy);
    GuiMouseButton(1, false, p.x, p.y - dy);
    GuiPumpMessages();
  }
  void ClickSpin(int id, bool up) {
    RECT r;
    GetClientRect(Item(id), &r);
    GuiClick(Item(id), r.right / 2, up ? 2 : r.bottom - 2);
    GuiPumpMessages();
  }

  std::unique_ptr<TFrameWindow> frame_;
  std::unique_ptr<TNumbersDialog> dialog_;
};

TEST_F(NumericEditsTest, OnlyTheCharactersOfANumberGetIn) {
  struct Case {
    int id;
    const char* text;
    int at;  // caret position
    const char* typed;
    const char* want;
    size_t beeps;
  };
  const Case cases[] = {
      {kInt, "12", 2, "3", "123", 0},   {kInt, "12", 2, "-", "12", 1},  // a minus only in front
      {kInt, "12", 0, "-", "-12", 0},   {kInt, "12", 2, "a.", "12", 2},   {kInt, "12", 2, "\b", "1", 0},
      {kFloat, "1", 1, ".5", "1.5", 0}, {kFloat, "1", 1, ",5", "1.5", 0},  // a decimal comma is the point
      {kFloat, "1", 1, "e", "1", 1},    {kInt, "12", 2, " wW", "12", 0},  // keys for the parent, not the text
  };
  for (const Case& c : cases) {
    Focus(c.id, c.text, c.at);
    GuiType(c.typed);
    GuiPumpMessages();
    EXPECT_EQ(Text(c.id), c.want) << c.typed;
    EXPECT_EQ(TakeBeeps().size(), c.beeps) << c.typed;
    const size_t accepted = std::string(c.typed).size() - c.beeps - (c.typed[0] == ' ' ? 3 : 0);
    EXPECT_EQ(dialog_->changes, std::vector<int>(accepted, c.id)) << c.typed;
  }
  EXPECT_EQ(dialog_->plays, 1);
  EXPECT_EQ(dialog_->wkeys, 2);
}

TEST_F(NumericEditsTest, TextsReadSaturatingAndClampedIntoTheRange) {
  struct Case {
    const char* text;
    int32_t value;
    bool valid;
    const char* normal;  // after the focus leaves
  };
  const Case ints[] = {
      {"", 0, false, "0"},       {"9999999999", 1500, false, "1500"}, {"-9999999999", 0, false, "0"},
      {"0099", 99, true, "99"},  {"1500", 1500, true, "1500"},        {"1501", 1500, false, "1500"},
      {"12abc", 12, true, "12"},
  };
  for (const Case& c : ints) {
    Focus(kInt, c.text, 0);
    EXPECT_EQ(dialog_->Int->GetValue(), c.value) << c.text;
    EXPECT_EQ(dialog_->Int->IsValid(), c.valid) << c.text;
    SetFocus(Item(kOther));
    GuiPumpMessages();
    EXPECT_EQ(Text(kInt), c.normal) << c.text;
  }
  struct FloatCase {
    const char* text;
    float value;
    bool valid;
    const char* normal;
  };
  const FloatCase floats[] = {
      {"", -1.0f, false, "-1.000"},     {"1.5", 1.5f, true, "1.500"},    {"5.0004", 5.0f, true, "5.000"},
      {"5.0006", 5.0f, false, "5.000"}, {"1e999", 5.0f, false, "5.000"}, {"nan", -1.0f, false, "-1.000"},
      {"-inf", -1.0f, false, "-1.000"},
  };
  for (const FloatCase& c : floats) {
    Focus(kFloat, c.text, 0);
    EXPECT_EQ(dialog_->Float->GetValue(), c.value) << c.text;
    EXPECT_EQ(dialog_->Float->IsValid(), c.valid) << c.text;
    SetFocus(Item(kOther));
    GuiPumpMessages();
    EXPECT_EQ(Text(kFloat), c.normal) << c.text;
  }
}

TEST_F(NumericEditsTest, SetValueRewritesTheTextOnlyWhenItShowsAnotherValue) {
  Focus(kInt, "0099", 0);
  dialog_->Int->SetValue(99);
  EXPECT_EQ(Text(kInt), "0099");
  dialog_->Int->SetValue(99, true);
  EXPECT_EQ(Text(kInt), "99");
  dialog_->Int->SetValue(5000);
  EXPECT_EQ(Text(kInt), "1500");
  dialog_->Int->SetRange(0, 200);
  EXPECT_EQ(Text(kInt), "200");
}

TEST_F(NumericEditsTest, ARightButtonDragStepsTheDigitUnderThePointer) {
  struct Case {
    int id;
    const char* text;
    int index;
    int dy;
    const char* want;
  };
  const Case cases[] = {
      {kInt, "1234", 1, 16, "1434"},   // the hundreds, twice: +200
      {kInt, "1434", 1, 16, "1500"},   // held at the maximum
      {kInt, "1034", 1, 7, "1034"},    // less than a step
      {kInt, "1034", 3, -24, "1031"},  // the units, down
      {kFloat, "1.250", 3, 8, "1.260"}, {kFloat, "1.250", 0, 16, "3.250"},
  };
  for (const Case& c : cases) {
    Focus(c.id, c.text, 0);
    Drag(c.id, c.index, c.dy);
    EXPECT_EQ(Text(c.id), c.want) << c.text << " at " << c.index << " by " << c.dy;
    EXPECT_EQ(dialog_->changes.empty(), std::string(c.text) == c.want) << c.text;
    EXPECT_EQ(GetCapture(), nullptr);
  }
}

TEST_F(NumericEditsTest, TheSpinStepsByOneTenOrAHundredAndTakesTheFocus) {
  Focus(kInt, "1000", 0);
  SetFocus(Item(kOther));
  GuiPumpMessages();
  dialog_->changes.clear();
  ClickSpin(kSpin, true);
  EXPECT_EQ(Text(kInt), "1001");
  EXPECT_EQ(GetFocus(), Item(kInt));
  GuiKey(VK_SHIFT, true);
  ClickSpin(kSpin, false);
  GuiKey(VK_SHIFT, false);
  EXPECT_EQ(Text(kInt), "991");
  GuiKey(VK_CONTROL, true);
  for (int i = 0; i < 6; ++i) ClickSpin(kSpin, true);
  EXPECT_EQ(Text(kInt), "1500");  // clamped
  GuiKey(VK_CONTROL, false);
  EXPECT_EQ(dialog_->changes, std::vector<int>(8, kInt));
  ClickSpin(kFloatSpin, true);
  EXPECT_EQ(Text(kFloat), "1.500");
  GuiKey(VK_SHIFT, true);
  ClickSpin(kFloatSpin, false);
  EXPECT_EQ(Text(kFloat), "-1.000");
}

}  // namespace
