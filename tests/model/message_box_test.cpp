#include "model/message_box.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "model/control_font.h"
#include "platform/gui/gui.h"
#include "platform/gui/gui_driver.h"
#include "platform/gui/modal.h"

namespace {

struct Box {
  std::string text;
  std::string caption;
  UINT flags;
};

class ScriptedBoxes : public MessageBoxPresenter {
 public:
  ScriptedBoxes() { SetMessageBoxPresenter(this); }
  ~ScriptedBoxes() override { SetMessageBoxPresenter(nullptr); }
  int Show(HWND, const std::string& text, const std::string& caption, UINT flags) override {
    boxes.push_back({text, caption, flags});
    return answer;
  }
  void Beep(UINT) override { ++beeps; }
  std::vector<Box> boxes;
  int beeps = 0;
  int answer = IDOK;
};

}  // namespace

TEST(ErrorBox, CodesThatAreNeverShown) {
  ScriptedBoxes script;
  for (int code : {0, 17, 18, 34, -1}) ErrorBox(nullptr, code, "T", "x");
  for (int code : {0, 17, 18, 34}) ErrorBoxPlain(nullptr, code, "T");
  EXPECT_TRUE(script.boxes.empty());
  EXPECT_EQ(script.beeps, 0);
}

TEST(ErrorBox, FormatsTheCodeTextUnderTheTitle) {
  ScriptedBoxes script;
  ErrorBox(nullptr, 19, "Title", "x");
  ASSERT_EQ(script.boxes.size(), 1u);
  EXPECT_EQ(script.boxes[0].text, "Can not read file 'x'");
  EXPECT_EQ(script.boxes[0].caption, "Title");
  EXPECT_EQ(script.boxes[0].flags, MB_ICONEXCLAMATION | MB_OK);
  EXPECT_EQ(script.beeps, 1);
}

TEST(ErrorBox, NullTitleOnlyBeepsAndPlainDefaultsToError) {
  ScriptedBoxes script;
  ErrorBox(nullptr, 6, nullptr, "f");
  EXPECT_TRUE(script.boxes.empty());
  EXPECT_EQ(script.beeps, 1);
  ErrorBoxPlain(nullptr, 6, nullptr);
  ASSERT_EQ(script.boxes.size(), 1u);
  EXPECT_EQ(script.boxes[0].caption, "ERROR");
  EXPECT_EQ(script.boxes[0].text, "File has invalid format");
}

TEST(ErrorBox, LongTextsAreCut) {
  ScriptedBoxes script;
  ErrorBox(nullptr, 24, "T", std::string(3000, 'p'));
  ASSERT_EQ(script.boxes.size(), 1u);
  EXPECT_EQ(script.boxes[0].text.size(), kMessageTextLimit);
}

TEST(ShowMessage, ReturnsThePressedButton) {
  ScriptedBoxes script;
  script.answer = IDYES;
  EXPECT_EQ(ShowMessage(nullptr, "Q", MB_YESNO | MB_ICONQUESTION, "Save '%s'?", "a.tml"), IDYES);
  EXPECT_EQ(script.boxes.at(0).text, "Save 'a.tml'?");
}

// ---- The real boxes and the hiding rule, on the headless windows ----

namespace {

LRESULT PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  return DefWindowProc(h, m, w, l);
}

const char* PlainClass() {
  static const char* name = [] {
    WNDCLASS wc;
    wc.lpfnWndProc = PlainProc;
    wc.lpszClassName = "MessageBoxTestWindow";
    RegisterClass(&wc);
    return "MessageBoxTestWindow";
  }();
  return name;
}

struct Seen {
  std::string caption;
  std::string text;
  UINT flags = 0;
};

// Answers every box by clicking its first button (or calls inner first).
class BoxHook {
 public:
  explicit BoxHook(std::function<void(HWND)> inner = nullptr) : inner_(std::move(inner)) {
    SetModalHook([this](HWND box) {
      char caption[256], text[1100];
      GetWindowText(box, caption, sizeof caption);
      GetDlgItemText(box, kMessageBoxTextId, text, sizeof text);
      seen.push_back({caption, text, GetMessageBoxFlags(box)});
      if (inner_) inner_(box);
      if (!IsWindow(box)) return;
      for (int id : {IDOK, IDYES, IDCANCEL}) {
        if (HWND b = GetDlgItem(box, id)) {
          SendMessage(b, BM_CLICK, 0, 0);
          return;
        }
      }
    });
  }
  ~BoxHook() { SetModalHook(nullptr); }
  std::vector<Seen> seen;

 private:
  std::function<void(HWND)> inner_;
};

HWND Make(DWORD style, DWORD ex = 0, HWND parent = nullptr, const char* title = "w") {
  return CreateWindowEx(ex, PlainClass(), title, style, 10, 10, 200, 150, parent, nullptr, nullptr, nullptr);
}

bool Topmost(HWND h) {
  return (GetWindowLong(h, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

int ZIndex(HWND h) {
  std::vector<HWND> order;
  EnumWindows(
      [](HWND w, LPARAM p) {
        reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&order));
  return static_cast<int>(std::find(order.begin(), order.end(), h) - order.begin());
}

class HidingRule : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMessageBoxPresenter(nullptr);  // the real boxes
    TakeBeeps();
    main_ = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, nullptr, "main");
    tool_ = Make(WS_POPUP | WS_CAPTION | WS_VISIBLE, WS_EX_TOPMOST | WS_EX_TOOLWINDOW, nullptr, "tool");
    disabled_ = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_DISABLED, 0, nullptr, "disabled");
    popup_ = Make(WS_POPUP | WS_VISIBLE, 0, main_, "popup");
    child_ = Make(WS_CHILD | WS_VISIBLE, 0, main_, "child");
    hidden_ = Make(WS_OVERLAPPEDWINDOW, 0, nullptr, "hidden");
    GuiPumpMessages();
  }
  void TearDown() override {
    for (HWND h : {popup_, tool_, disabled_, main_, hidden_}) DestroyWindow(h);
    GuiPumpMessages();
  }
  // The states the rule looks at, for every window of the case.
  std::vector<bool> Enabled() const {
    std::vector<bool> v;
    for (HWND h : {main_, tool_, disabled_, popup_, child_, hidden_})
      v.push_back(IsWindowEnabled(h) != FALSE);
    return v;
  }
  HWND main_, tool_, disabled_, popup_, child_, hidden_;
};

TEST_F(HidingRule, ABoxLowersTheTopmostAndDisablesTheUnownedWindowsThenRestoresThem) {
  const std::vector<bool> before = Enabled();
  ASSERT_TRUE(Topmost(tool_));
  bool checked = false;
  BoxHook hook([&](HWND box) {
    // Lowered: exactly the topmost visible enabled window, now below the box.
    EXPECT_FALSE(Topmost(tool_));
    EXPECT_LT(ZIndex(box), ZIndex(tool_));
    // Disabled: exactly the unowned visible enabled top-level windows.
    EXPECT_EQ(Enabled(), (std::vector<bool>{false, false, false, true, true, true}));
    EXPECT_TRUE(IsWindowEnabled(box));
    checked = true;
  });
  EXPECT_EQ(ShowMessage(nullptr, "Kobrix", MB_OK | MB_ICONINFORMATION, "%d clips", 3), IDOK);
  EXPECT_TRUE(checked);
  ASSERT_EQ(hook.seen.size(), 1u);
  EXPECT_EQ(hook.seen[0].text, "3 clips");
  EXPECT_TRUE(Topmost(tool_));
  EXPECT_EQ(ZIndex(tool_), 0);
  EXPECT_EQ(Enabled(), before);  // the disabled window stays disabled
}

TEST_F(HidingRule, TheOwnerAndItsOwnWindowsAreLeftToTheBox) {
  BoxHook hook([&](HWND) {
    // The owner is disabled by the box itself (modal to it); its popup, a
    // dialog of its own, stays enabled.
    EXPECT_FALSE(IsWindowEnabled(main_));
    EXPECT_TRUE(IsWindowEnabled(popup_));
    EXPECT_FALSE(IsWindowEnabled(tool_));
  });
  ShowMessage(main_, "Kobrix", MB_OK, "owned");
  EXPECT_TRUE(IsWindowEnabled(main_));
  EXPECT_TRUE(IsWindowEnabled(tool_));
}

TEST_F(HidingRule, ABoxOwnedByAChildWindowBelongsToItsFrame) {
  SetFocus(child_);
  BoxHook hook([&](HWND) {
    EXPECT_FALSE(IsWindowEnabled(tool_));
    EXPECT_TRUE(IsWindowEnabled(popup_));
  });
  ShowMessage(child_, "Kobrix", MB_OK, "owned by a child");
  EXPECT_TRUE(IsWindowEnabled(main_));
  // The frame takes the keyboard back without a click.
  EXPECT_EQ(GetActiveWindow(), main_);
}

TEST_F(HidingRule, ABoxInsideABoxReenablesTheWindowsOnlyWhenTheOuterCloses) {
  bool inner_checked = false, after_inner = false;
  BoxHook hook([&](HWND box) {
    char caption[64];
    GetWindowText(box, caption, sizeof caption);
    if (std::string(caption) == "inner") {
      EXPECT_FALSE(IsWindowEnabled(main_));
      inner_checked = true;
      return;
    }
    ShowMessage(nullptr, "inner", MB_OK, "second");
    // Back in the outer box: everything it disabled stays disabled.
    after_inner =
        !IsWindowEnabled(main_) && !IsWindowEnabled(tool_) && !Topmost(tool_) && IsWindowEnabled(box);
  });
  ShowMessage(nullptr, "outer", MB_OK, "first");
  EXPECT_TRUE(inner_checked);
  EXPECT_TRUE(after_inner);
  EXPECT_TRUE(IsWindowEnabled(main_));
  EXPECT_TRUE(Topmost(tool_));
  EXPECT_FALSE(IsWindowEnabled(disabled_));
}

TEST_F(HidingRule, ErrorBoxShowsTheCodeTextWithExclamationAndOk) {
  BoxHook hook;
  ErrorBox(main_, 19, "Open Project", "x");
  ASSERT_EQ(hook.seen.size(), 1u);
  EXPECT_EQ(hook.seen[0].caption, "Open Project");
  EXPECT_EQ(hook.seen[0].text, "Can not read file 'x'");
  EXPECT_EQ(hook.seen[0].flags, MB_ICONEXCLAMATION | MB_OK);
  EXPECT_EQ(TakeBeeps(), std::vector<UINT>{MB_ICONEXCLAMATION});
  // Never shown, never heard.
  for (int code : {0, 17, 18}) ErrorBox(main_, code, "T", "x");
  EXPECT_EQ(hook.seen.size(), 1u);
  EXPECT_TRUE(TakeBeeps().empty());
  // A null title: the beep alone.
  ErrorBox(main_, 19, nullptr, "x");
  EXPECT_EQ(hook.seen.size(), 1u);
  EXPECT_EQ(TakeBeeps().size(), 1u);
}

TEST_F(HidingRule, CodesWithoutTextAndOverlongTextsAreSafe) {
  BoxHook hook;
  ErrorBox(main_, 29, "Title", "x");
  ErrorBoxPlain(main_, 29, "Title");
  ASSERT_EQ(hook.seen.size(), 2u);
  EXPECT_EQ(hook.seen[0].text, "");
  ErrorBox(main_, 3, "Title", std::string(5000, 'p'));
  ASSERT_EQ(hook.seen.size(), 3u);
  EXPECT_EQ(hook.seen[2].text.size(), kMessageTextLimit);
}

TEST(ControlFont, IsMsSansSerifElevenNormalAnsi) {
  LOGFONT lf;
  ASSERT_EQ(GetObject(ControlFont(), sizeof lf, &lf), static_cast<int>(sizeof lf));
  EXPECT_STREQ(lf.lfFaceName, "MS Sans Serif");
  EXPECT_EQ(lf.lfHeight, -11);
  EXPECT_EQ(lf.lfWeight, FW_NORMAL);
  EXPECT_EQ(lf.lfItalic + lf.lfUnderline + lf.lfStrikeOut, 0);
  EXPECT_EQ(lf.lfCharSet, ANSI_CHARSET);
  EXPECT_EQ(lf.lfOutPrecision, OUT_STRING_PRECIS);
  EXPECT_EQ(ControlFont(), ControlFont());
  DeleteControlFont();
  EXPECT_EQ(GetObjectType(ControlFont()), OBJ_FONT);  // made again on use
}

}  // namespace
