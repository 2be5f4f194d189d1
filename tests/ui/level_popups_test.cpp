#include "ui/level_popups.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "dialog_script.h"
#include "fake_shell.h"
#include "model/levels.h"
#include "platform/classlib/classlib.h"
#include "resources/value_dialog_ids.h"

using namespace dialogtest;

namespace {

// The window the popups belong to: it notes what it is asked to repaint.
class TLineWindow : public TWindow {
 public:
  TLineWindow() : TWindow(nullptr, "Lines") {
    Attr.Style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
    Attr.X = 100;
    Attr.Y = 100;
    Attr.W = 600;
    Attr.H = 400;
  }
  void Paint(TDC&, bool, TRect& rect) override { painted.push_back(rect); }
  std::vector<TRect> painted;
};

enum Kind { kVolume, kBalance, kBoth };

const RECT kClip{40, 30, 240, 90};

class LevelPopups : public ::testing::Test {
 protected:
  void SetUp() override {
    BuildLevelTables();
    lines_ = std::make_unique<TLineWindow>();
    ASSERT_TRUE(lines_->Create());
    GuiPumpMessages();
  }
  void TearDown() override {
    lines_.reset();
    GuiPumpMessages();
  }
  // Runs the popup of kind at client point (x, y) of the lines window.
  bool Run(Kind kind, int x, int y) {
    HWND parent = lines_->GetHandle();
    switch (kind) {
      case kVolume:
        return RunSetLevelDialog(parent, "Clip Volume", kClip, x, y, &gain, &gain2);
      case kBalance:
        return RunSetBalanceDialog(parent, "Clip Balance", kClip, x, y, &balance, &balance2);
      case kBoth:
        return RunSetVolumeBalanceDialog(parent, "Clip Level", kClip, x, y, &gain, &balance);
    }
    return false;
  }
  // Runs what is queued and says whether just the clip's rectangle was
  // repainted since the last call.
  bool RepaintedTheClip(HWND popup) {
    Pump(popup);
    const bool just = lines_->painted.size() == 1 && lines_->painted[0] == TRect(kClip);
    lines_->painted.clear();
    return just;
  }

  std::unique_ptr<TLineWindow> lines_;
  FakeShell shell_;
  int32_t gain = 512, gain2 = 512, balance = 0, balance2 = 0;
};

TEST_F(LevelPopups, TypedNumbersActAtOnceOnBothVariablesAndTheOtherFields) {
  struct Case {
    const char* what;
    Kind kind;
    int field;
    const char* typed;
    int32_t wantGain, wantBalance;
    const char* wantDb;
    const char* wantPercent;
  };
  const Case cases[] = {
      {"100 % is unity", kVolume, kLevelPercent, "100", 512, 0, "0", "100"},
      {"400 % is the top of the range, not one past it", kVolume, kLevelPercent, "400", 2047, 0, "12", "400"},
      {"-6 dB", kVolume, kLevelDb, "-6", 257, 0, "-6", "50"},
      {"50 % right", kBalance, kBalancePercent, "50", 512, 128, nullptr, nullptr},
      {"all left", kBalance, kBalancePercent, "-100", 512, -256, nullptr, nullptr},
      {"half the volume in the combined popup", kBoth, kLevelPercent, "50", 256, 0, "-6", "50"},
      {"and its balance", kBoth, kBalancePercent, "-25", 512, -64, "0", "100"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    gain = gain2 = 512;
    balance = balance2 = 0;
    bool repainted = false;
    std::string db, percent;
    ModalScript script({[&](HWND d) {
      RepaintedTheClip(d);
      TypeOver(d, c.field, c.typed);
      repainted = RepaintedTheClip(d);
      if (c.wantDb != nullptr) {
        db = ItemText(d, kLevelDb);
        percent = ItemText(d, kLevelPercent);
      }
      Click(d, IDOK);
    }});
    EXPECT_TRUE(Run(c.kind, 300, 200));
    EXPECT_TRUE(repainted);
    EXPECT_EQ(gain, c.wantGain);
    EXPECT_EQ(balance, c.wantBalance);
    if (c.kind != kBoth) {
      EXPECT_EQ(gain2, c.wantGain);
      EXPECT_EQ(balance2, c.wantBalance);
    }
    if (c.wantDb != nullptr) {
      EXPECT_EQ(db, c.wantDb);
      EXPECT_EQ(percent, c.wantPercent);
    }
  }
}

TEST_F(LevelPopups, SlidersMovedByTheUserStoreTheirValue) {
  std::string db, percent, pan;
  std::vector<bool> repainted;
  ModalScript script({[&](HWND d) {
    RepaintedTheClip(d);
    SetFocus(GetDlgItem(d, kLevelSlider));
    Key(d, VK_HOME);  // the fader's top, +12 dB
    repainted.push_back(RepaintedTheClip(d));
    db = ItemText(d, kLevelDb);
    percent = ItemText(d, kLevelPercent);
    SetFocus(GetDlgItem(d, kBalanceSlider));
    Key(d, VK_HOME);  // all left
    repainted.push_back(RepaintedTheClip(d));
    pan = ItemText(d, kBalancePercent);
    Click(d, IDOK);
  }});
  EXPECT_TRUE(Run(kBoth, 300, 200));
  EXPECT_EQ(repainted, (std::vector<bool>{true, true}));
  EXPECT_EQ(gain, 2047);
  EXPECT_EQ(db, "12");
  EXPECT_EQ(percent, "400");
  EXPECT_EQ(balance, -256);
  EXPECT_EQ(pan, "-100");
}

TEST_F(LevelPopups, CancelAfterSeveralChangesPutsBackTheOpeningValues) {
  for (Kind kind : {kVolume, kBalance, kBoth}) {
    SCOPED_TRACE(kind);
    gain = gain2 = 300;
    balance = balance2 = -17;
    bool repainted = false;
    ModalScript script({[&](HWND d) {
      if (kind != kBalance) {
        TypeOver(d, kLevelPercent, "150");
        TypeOver(d, kLevelDb, "-20");
        SetFocus(GetDlgItem(d, kLevelSlider));
        Key(d, VK_UP);
      }
      if (kind != kVolume) {
        TypeOver(d, kBalancePercent, "80");
        SetFocus(GetDlgItem(d, kBalanceSlider));
        Key(d, VK_LEFT);
      }
      RepaintedTheClip(d);
      Key(d, VK_ESCAPE);
      repainted = RepaintedTheClip(d);
    }});
    EXPECT_FALSE(Run(kind, 300, 200));
    EXPECT_TRUE(repainted);
    EXPECT_EQ(gain, 300);
    EXPECT_EQ(balance, -17);
    EXPECT_EQ(gain2, 300);
    EXPECT_EQ(balance2, -17);
  }
}

TEST_F(LevelPopups, ThePopupStaysOnTheScreenFromTopToBottom) {
  POINT origin{0, 0};
  ClientToScreen(lines_->GetHandle(), &origin);
  const int screen = GetSystemMetrics(SM_CYSCREEN);
  struct Case {
    const char* what;
    Kind kind;
    int screenY;
    int wantTop;     // -1: the screen's bottom less the popup's height
    int wantOffset;  // else the top is screenY less this part of the height (halves)
  };
  const Case cases[] = {
      {"at the point", kVolume, 300, 300, 0},
      {"the combined one centred on it", kBoth, 400, 400, 1},
      {"near the bottom", kVolume, screen - 20, -1, 0},
      {"the combined one too", kBoth, screen - 20, -1, 0},
      {"above the top", kBalance, -500, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RECT at{};
    ModalScript script({[&](HWND d) {
      GetWindowRect(d, &at);
      Key(d, VK_ESCAPE);
    }});
    Run(c.kind, 250 - origin.x, c.screenY - origin.y);
    const int height = at.bottom - at.top;
    EXPECT_EQ(at.left, 250);
    if (c.wantTop < 0)
      EXPECT_EQ(at.bottom, screen);
    else
      EXPECT_EQ(at.top, c.wantTop - c.wantOffset * (height / 2));
  }
}

TEST(LevelPercent, TypedPercentagesMapOntoTheGainRange) {
  const struct {
    int32_t percent, gain;
  } cases[] = {{0, 0}, {1, 5}, {100, 512}, {399, 2043}, {400, 2047}, {500, 2047}, {-3, 0}};
  for (const auto& c : cases) EXPECT_EQ(PercentToGain(c.percent), c.gain) << c.percent;
}

}  // namespace
