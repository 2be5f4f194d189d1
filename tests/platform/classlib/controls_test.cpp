#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/classlib/classlib.h"
#include "platform/gui/dialogs/dialog_test_util.h"

namespace {

enum : int { kEdit = 201, kList, kCombo, kBar, kSlider, kCheck, kRadio1, kRadio2, kGroup, kText };

void RegisterTemplate() {
  DialogTemplate t;
  t.cx = 260;
  t.cy = 170;
  t.caption = "Controls";
  const DWORD v = WS_VISIBLE;
  t.items = {
      {WC_STATIC, "&Name:", kText, v, 0, 7, 8, 30, 8},
      {WC_EDIT, "", kEdit, v | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 0, 40, 6, 100, 12},
      {WC_LISTBOX, "", kList, v | WS_BORDER | WS_TABSTOP | LBS_NOTIFY | WS_VSCROLL, 0, 7, 24, 80, 60},
      {WC_COMBOBOX, "", kCombo, v | WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL, 0, 100, 24, 80, 60},
      {WC_SCROLLBAR, "", kBar, v | SBS_HORZ, 0, 7, 90, 120, 10},
      {TRACKBAR_CLASS, "", kSlider, v | WS_TABSTOP | TBS_HORZ, 0, 7, 104, 120, 20},
      {WC_BUTTON, "&Loop", kCheck, v | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 140, 90, 60, 10},
      {WC_BUTTON, "&Left", kRadio1, v | WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 0, 140, 110, 50, 10},
      {WC_BUTTON, "&Right", kRadio2, v | BS_AUTORADIOBUTTON, 0, 140, 122, 50, 10},
      {WC_BUTTON, "Side", kGroup, v | WS_GROUP | BS_GROUPBOX, 0, 135, 100, 70, 36},
      {WC_BUTTON, "OK", IDOK, v | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON, 0, 200, 150, 50, 14},
  };
  RegisterDialogResource(7950, t);
}

std::vector<std::string> g_events;

// A bar that reports every position it is given, as value bars do.
class TValueBar : public TScrollBar {
 public:
  TValueBar(TWindow* parent, int id) : TScrollBar(parent, id) {}
  void SetPosition(int position) override {
    g_events.push_back("bar " + std::to_string(position));
    TScrollBar::SetPosition(position);
  }
};

class TValueSlider : public THSlider {
 public:
  TValueSlider(TWindow* parent, int id) : THSlider(parent, id) {}
  void SetPosition(int position) override {
    g_events.push_back("slider " + std::to_string(position));
    THSlider::SetPosition(position);
  }
};

class TControlsDialog : public TDialog {
 public:
  explicit TControlsDialog(TWindow* parent) : TDialog(parent, 7950) {
    Text = new TStatic(this, kText);
    Edit = new TEdit(this, kEdit, 6);
    List = new TListBox(this, kList);
    Combo = new TComboBox(this, kCombo);
    Bar = new TValueBar(this, kBar);
    Slider = new TValueSlider(this, kSlider);
    Check = new TCheckBox(this, kCheck);
    Group = new TGroupBox(this, kGroup);
    Left = new TRadioButton(this, kRadio1, Group);
    Right = new TRadioButton(this, kRadio2, Group);
  }
  void SetupWindow() override {
    TDialog::SetupWindow();
    for (const char* s : {"24 fps", "25 fps", "30 fps"}) List->AddString(s);
    for (const char* s : {"WAVE", "AIFF"}) Combo->AddString(s);
    Bar->SetRange(0, 20);
    Slider->SetRange(0, 10);
    g_events.clear();
  }
  void EvListChange() { g_events.push_back("list " + std::to_string(List->GetSelIndex())); }
  void EvEditChange() { g_events.push_back("edit " + Edit->GetText()); }
  void EvLoop() { g_events.push_back("loop " + std::to_string(Check->GetCheck())); }

  TStatic* Text;
  TEdit* Edit;
  TListBox* List;
  TComboBox* Combo;
  TValueBar* Bar;
  TValueSlider* Slider;
  TCheckBox* Check;
  TGroupBox* Group;
  TRadioButton* Left;
  TRadioButton* Right;
  DECLARE_RESPONSE_TABLE(TControlsDialog);
};
// clang-format off
DEFINE_RESPONSE_TABLE1(TControlsDialog, TDialog)
  EV_LBN_SELCHANGE(kList, EvListChange),
  EV_EN_CHANGE(kEdit, EvEditChange),
  EV_BN_CLICKED(kCheck, EvLoop),
END_RESPONSE_TABLE;
// clang-format on

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterTemplate();
    g_events.clear();
    frame_ = new TFrameWindow(nullptr, "Owner");
    ASSERT_TRUE(frame_->Create());
    frame_->Show(SW_SHOW);
    dlg_ = new TControlsDialog(frame_);
    ASSERT_TRUE(dlg_->Create());
    dlg_->Show(SW_SHOW);
    PumpDialog(*dlg_);
    g_events.clear();
  }
  void TearDown() override {
    delete frame_;  // and the dialog with it
    GuiPumpMessages();
  }
  TFrameWindow* frame_ = nullptr;
  TControlsDialog* dlg_ = nullptr;
};

TEST_F(ControlsTest, TextsAndEdits) {
  dlg_->Text->SetText("Clip:");
  EXPECT_EQ(dlg_->Text->GetText(), "Clip:");
  // The edit takes at most its limit less one characters, typed or set.
  dlg_->Edit->SetFocus();
  GuiType("abcdefgh");
  PumpDialog(*dlg_);
  EXPECT_EQ(dlg_->Edit->GetText(), "abcde");
  EXPECT_EQ(g_events.back(), "edit abcde");
  EXPECT_TRUE(dlg_->Edit->IsModified());
  dlg_->Edit->SetText("0123456789");
  EXPECT_EQ(dlg_->Edit->GetText(), "01234");
  dlg_->Edit->SetSelection(1, 3);
  int start = 0, end = 0;
  dlg_->Edit->GetSelection(start, end);
  EXPECT_EQ(start, 1);
  EXPECT_EQ(end, 3);
  dlg_->Edit->Insert("x");
  EXPECT_EQ(dlg_->Edit->GetText(), "0x34");
}

TEST_F(ControlsTest, ListsAndCombos) {
  TListBox& list = *dlg_->List;
  EXPECT_EQ(list.GetCount(), 3);
  EXPECT_EQ(list.GetString(1), "25 fps");
  EXPECT_EQ(list.FindExactString("30 fps"), 2);
  list.SetItemData(2, 30);
  EXPECT_EQ(list.GetItemData(2), 30);
  EXPECT_EQ(list.GetSelIndex(), -1);
  // The keyboard selects an item and the dialog hears of it.
  list.SetFocus();
  GuiPressKey(VK_DOWN);
  PumpDialog(*dlg_);
  ASSERT_GE(list.GetSelIndex(), 0);
  EXPECT_EQ(g_events, std::vector<std::string>{"list " + std::to_string(list.GetSelIndex())});
  list.DeleteString(0);
  EXPECT_EQ(list.GetCount(), 2);
  list.ClearList();
  EXPECT_EQ(list.GetCount(), 0);

  TComboBox& combo = *dlg_->Combo;
  EXPECT_EQ(combo.GetCount(), 2);
  combo.SetSelIndex(1);
  EXPECT_EQ(combo.GetSelIndex(), 1);
  EXPECT_EQ(combo.GetText(), "AIFF");
  EXPECT_EQ(combo.GetString(0), "WAVE");
  EXPECT_EQ(combo.FindExactString("WAVE"), 0);
}

TEST_F(ControlsTest, EveryMoveOfABarOrSliderGoesThroughSetPosition) {
  TValueBar& bar = *dlg_->Bar;
  bar.SetPosition(5);
  EXPECT_EQ(bar.GetPosition(), 5);
  bar.SetPosition(99);  // kept in range
  EXPECT_EQ(bar.GetPosition(), 20);
  bar.SetPosition(5);
  g_events.clear();
  // A click on the right arrow: one line down, through SetPosition.
  RECT r;
  GetClientRect(bar, &r);
  GuiClick(bar, r.right - 3, r.bottom / 2);
  PumpDialog(*dlg_);
  EXPECT_EQ(g_events, std::vector<std::string>{"bar 6"});
  EXPECT_EQ(bar.GetPosition(), 6);

  TValueSlider& slider = *dlg_->Slider;
  slider.SetPosition(4);
  EXPECT_EQ(slider.GetPosition(), 4);
  g_events.clear();
  slider.SetFocus();
  GuiPressKey(VK_RIGHT);
  PumpDialog(*dlg_);
  EXPECT_EQ(slider.GetPosition(), 5);
  EXPECT_EQ(g_events, std::vector<std::string>{"slider 5"});  // once per move
}

TEST_F(ControlsTest, ASliderDrawsItsThumbBitmapAndTicksEveryGap) {
  // A 9 x 15 thumb of one colour.
  const COLORREF ink = RGB(10, 120, 200);
  RegisterBitmapResource(7951, PixelArt{std::vector<std::string>(15, std::string(9, 'x')), {{'x', ink}}});
  auto* slider = new THSlider(dlg_, 303, 5, 130, 200, 30, 7951);
  slider->SetRuler(25);
  ASSERT_TRUE(slider->Create());
  slider->SetRange(0, 100);
  slider->SetPosition(50);
  EXPECT_EQ(SendMessage(*slider, TBM_GETNUMTICS, 0, 0), 5);  // 0, 25, 50, 75, 100
  RECT thumb;
  SendMessage(*slider, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  EXPECT_EQ(thumb.right - thumb.left, 9);
  EXPECT_EQ(thumb.bottom - thumb.top, 15);
  UpdateWindow(*slider);
  EXPECT_EQ(GuiReadPixel(*slider, thumb.left, thumb.top), ink);
  EXPECT_EQ(GuiReadPixel(*slider, thumb.right - 1, thumb.bottom - 1), ink);
  EXPECT_NE(GuiReadPixel(*slider, thumb.right, thumb.top), ink);
  slider->SetRuler(0);
  EXPECT_EQ(SendMessage(*slider, TBM_GETNUMTICS, 0, 0), 2);  // the ends
}

TEST_F(ControlsTest, ButtonsCheckAndTheirClicksReachTheDialog) {
  TCheckBox& check = *dlg_->Check;
  EXPECT_EQ(check.GetCheck(), static_cast<UINT>(BST_UNCHECKED));
  check.Check();
  EXPECT_EQ(check.GetCheck(), static_cast<UINT>(BST_CHECKED));
  check.Toggle();
  EXPECT_EQ(check.GetCheck(), static_cast<UINT>(BST_UNCHECKED));
  GuiClick(check, 3, 3);
  PumpDialog(*dlg_);
  EXPECT_EQ(g_events, std::vector<std::string>{"loop 1"});
  EXPECT_EQ(dlg_->Left->GetGroup(), dlg_->Group);
  GuiClick(*dlg_->Right, 3, 3);
  PumpDialog(*dlg_);
  EXPECT_EQ(dlg_->Right->GetCheck(), static_cast<UINT>(BST_CHECKED));
  GuiClick(*dlg_->Left, 3, 3);
  PumpDialog(*dlg_);
  EXPECT_EQ(dlg_->Left->GetCheck(), static_cast<UINT>(BST_CHECKED));
  EXPECT_EQ(dlg_->Right->GetCheck(), static_cast<UINT>(BST_UNCHECKED));
}

TEST_F(ControlsTest, ControlsMadeInCodeAreWindowsOfTheStandardClasses) {
  auto* b = new TButton(dlg_, 301, "Extra", 5, 140, 60, 20, false);
  auto* e = new TEdit(dlg_, 302, "typed", 70, 140, 60, 20, 0);
  ASSERT_TRUE(b->Create());
  ASSERT_TRUE(e->Create());
  char cls[32];
  GetClassName(*b, cls, sizeof cls);
  EXPECT_STREQ(cls, WC_BUTTON);
  GetClassName(*e, cls, sizeof cls);
  EXPECT_STREQ(cls, WC_EDIT);
  EXPECT_EQ(e->GetText(), "typed");
  EXPECT_EQ(GetDlgCtrlID(*b), 301);
  EXPECT_TRUE(b->IsFlagSet(wfAlias));
}

}  // namespace
