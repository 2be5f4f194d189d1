#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/gui/common_dialogs.h"
#include "platform/gui/dialogs/dialog_test_util.h"
#include "platform/gui/gdi.h"
#include "platform/gui/message_box.h"
#include "platform/gui/modal.h"

namespace {

class Hook {
 public:
  explicit Hook(ModalHook hook) { SetModalHook(std::move(hook)); }
  ~Hook() { SetModalHook(nullptr); }
};

std::string ItemText(HWND dlg, int id) {
  return TextOf(GetDlgItem(dlg, id));
}

bool Visible(HWND dlg, int id) {
  return IsWindowVisible(GetDlgItem(dlg, id)) != 0;
}

// Clicks the middle of cell index of a grid of cols x rows.
void ClickCell(HWND dlg, int grid, int index, int cols, int rows) {
  HWND h = GetDlgItem(dlg, grid);
  RECT r;
  GetClientRect(h, &r);
  const int col = index % cols, row = index / cols;
  GuiClick(h, (2 * col + 1) * r.right / (2 * cols), (2 * row + 1) * r.bottom / (2 * rows));
  PumpDialog(dlg);
}

void Press(HWND dlg, int vk) {
  GuiPressKey(vk);
  PumpDialog(dlg);
}

void Click(HWND dlg, int id) {
  GuiClick(GetDlgItem(dlg, id), 3, 3);
  PumpDialog(dlg);
}

// Brings the keyboard to an edit as Tab does (its text selected) and types.
void TypeInto(HWND dlg, int id, const char* text) {
  SendMessage(dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dlg, id)), TRUE);
  GuiType(text);
  PumpDialog(dlg);
}

std::string ShotPath(const std::string& name) {
  const char* dir = std::getenv("KOBRIX_SCREENSHOT_DIR");
  return std::string(dir != nullptr && *dir != '\0' ? dir : ".") + "/" + name + "_" + GuiBackendName() +
         ".png";
}

bool IsPng(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  unsigned char sig[8] = {};
  const bool read = std::fread(sig, 1, 8, f) == 8;
  std::fclose(f);
  return read && sig[1] == 'P' && sig[2] == 'N' && sig[3] == 'G';
}

class ChooserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    owner_ = CreateWindowEx(0, WC_STATIC, "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 700, 500,
                            nullptr, nullptr, nullptr, nullptr);
    GuiPumpMessages();
  }
  void TearDown() override {
    SetModalHook(nullptr);
    DestroyWindow(owner_);
    GuiPumpMessages();
  }
  HWND owner_ = nullptr;
};

// ---- Colour chooser ----

constexpr COLORREF kWhite = RGB(255, 255, 255);

class ColourTest : public ChooserTest {
 protected:
  void SetUp() override {
    ChooserTest::SetUp();
    for (int i = 0; i < 16; ++i) cust_[i] = RGB(i * 10, 100, 200);
    cc_.hwndOwner = owner_;
    cc_.lpCustColors = cust_;
    cc_.rgbResult = RGB(1, 2, 3);
  }
  // Runs the chooser with a hook that acts on it and then presses end.
  BOOL Run(const std::function<void(HWND)>& act, int end = IDOK) {
    Hook hook([&](HWND dlg) {
      PumpDialog(dlg);
      act(dlg);
      Click(dlg, end);
    });
    return ChooseColor(&cc_);
  }
  COLORREF cust_[16] = {};
  CHOOSECOLOR cc_;
};

TEST_F(ColourTest, BasicCellsAreChosenByMouseAndArrowKeys) {
  std::vector<std::string> seen;
  EXPECT_TRUE(Run([&](HWND dlg) {
    ClickCell(dlg, kColourBasicCells, 8, 8, 6);  // the full red of the second row
    seen.push_back(ItemText(dlg, kColourRed) + "," + ItemText(dlg, kColourGreen) + "," +
                   ItemText(dlg, kColourBlue));
    Press(dlg, VK_RIGHT);  // orange
    Press(dlg, VK_DOWN);   // a darker orange
    seen.push_back(ItemText(dlg, kColourRed) + "," + ItemText(dlg, kColourGreen) + "," +
                   ItemText(dlg, kColourBlue));
  }));
  EXPECT_EQ(seen, (std::vector<std::string>{"255,0,0", "192,96,0"}));
  EXPECT_EQ(cc_.rgbResult, RGB(192, 96, 0));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  EXPECT_EQ(cust_[0], RGB(0, 100, 200));
  EXPECT_TRUE(IsWindowEnabled(owner_));
}

TEST_F(ColourTest, TypedValuesAreAddedToTheNextCustomCellsAndKeptOnOkOnly) {
  cc_.Flags = CC_FULLOPEN;
  COLORREF during = 0;
  COLORREF swatch = 0;
  auto act = [&](HWND dlg) {
    TypeInto(dlg, kColourRed, "10");
    TypeInto(dlg, kColourGreen, "20");
    TypeInto(dlg, kColourBlue, "300");  // more than 255: taken as 255
    RECT r;
    GetClientRect(GetDlgItem(dlg, kColourSwatch), &r);
    swatch = GuiReadPixel(GetDlgItem(dlg, kColourSwatch), r.right / 2, r.bottom / 2);
    Click(dlg, kColourAdd);
    TypeInto(dlg, kColourRed, "0");
    Click(dlg, kColourAdd);
    during = cust_[0];
  };
  EXPECT_FALSE(Run(act, IDCANCEL));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  EXPECT_EQ(cc_.rgbResult, RGB(1, 2, 3));
  EXPECT_EQ(cust_[0], RGB(0, 100, 200));
  EXPECT_EQ(cust_[1], RGB(10, 100, 200));

  EXPECT_TRUE(Run(act));
  EXPECT_EQ(swatch, RGB(10, 20, 255));
  EXPECT_EQ(during, RGB(0, 100, 200)) << "the caller's colours change on OK only";
  EXPECT_EQ(cc_.rgbResult, RGB(0, 20, 255));
  EXPECT_EQ(cust_[0], RGB(10, 20, 255));
  EXPECT_EQ(cust_[1], RGB(0, 20, 255));
  EXPECT_EQ(cust_[2], RGB(20, 100, 200));
}

TEST_F(ColourTest, AddingFillsTheClickedCustomCellThenTheNext) {
  cc_.Flags = CC_FULLOPEN;
  EXPECT_TRUE(Run([&](HWND dlg) {
    ClickCell(dlg, kColourCustomCells, 9, 8, 2);
    EXPECT_EQ(ItemText(dlg, kColourRed), "90");
    Click(dlg, kColourAdd);  // the chosen cell takes the colour it has
    TypeInto(dlg, kColourBlue, "7");
    Click(dlg, kColourAdd);
  }));
  EXPECT_EQ(cust_[9], RGB(90, 100, 200));
  EXPECT_EQ(cust_[10], RGB(90, 100, 7));
  EXPECT_EQ(cc_.rgbResult, RGB(90, 100, 7));
}

TEST_F(ColourTest, StartColour) {
  // The arrow key moves on from the cell the chooser started on.
  struct Case {
    DWORD flags;
    COLORREF start;
    int grid;  // where the arrow key is pressed; 0: no key
    COLORREF result;
  };
  const Case cases[] = {
      {CC_RGBINIT, RGB(0, 0, 255), kColourBasicCells, RGB(128, 0, 255)},       // the blue cell
      {CC_RGBINIT, RGB(30, 100, 200), kColourCustomCells, RGB(40, 100, 200)},  // custom cell 3
      {CC_RGBINIT, RGB(12, 34, 56), 0, RGB(12, 34, 56)},                       // no cell has it
      {0, RGB(12, 34, 56), 0, RGB(0, 0, 0)},                                   // without CC_RGBINIT: black
  };
  for (const Case& c : cases) {
    cc_.Flags = c.flags;
    cc_.rgbResult = c.start;
    EXPECT_TRUE(Run([&](HWND dlg) {
      if (c.grid == 0) return;
      SendMessage(dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dlg, c.grid)), TRUE);
      Press(dlg, VK_RIGHT);
    }));
    EXPECT_EQ(cc_.rgbResult, c.result) << std::hex << c.start;
  }
}

TEST_F(ColourTest, TheEditorOpensOutOnlyWhenAllowed) {
  struct Case {
    DWORD flags;
    bool shown_at_start;
    bool define_enabled;
    bool shown_after_click;
  };
  const Case cases[] = {
      {0, false, true, true},
      {CC_FULLOPEN, true, false, true},
      {CC_PREVENTFULLOPEN, false, false, false},
  };
  for (const Case& c : cases) {
    cc_.Flags = c.flags;
    bool at_start = false, enabled = false, after = false;
    int narrow = 0, wide = 0;
    Run(
        [&](HWND dlg) {
          RECT r;
          GetWindowRect(dlg, &r);
          narrow = r.right - r.left;
          at_start = Visible(dlg, kColourRed) && Visible(dlg, kColourSpectrum) && Visible(dlg, kColourAdd);
          enabled = IsWindowEnabled(GetDlgItem(dlg, kColourDefine)) != 0;
          Click(dlg, kColourDefine);
          after = Visible(dlg, kColourRed) && Visible(dlg, kColourSwatch);
          GetWindowRect(dlg, &r);
          wide = r.right - r.left;
        },
        IDCANCEL);
    EXPECT_EQ(at_start, c.shown_at_start) << c.flags;
    EXPECT_EQ(enabled, c.define_enabled) << c.flags;
    EXPECT_EQ(after, c.shown_after_click) << c.flags;
    EXPECT_EQ(wide > narrow + 100, !c.shown_at_start && c.shown_after_click) << c.flags;
  }
}

TEST_F(ColourTest, TheSpectrumPicksHueAndSaturation) {
  cc_.Flags = CC_FULLOPEN;
  EXPECT_TRUE(Run([&](HWND dlg) {
    HWND sp = GetDlgItem(dlg, kColourSpectrum);
    RECT r;
    GetClientRect(sp, &r);
    GuiClick(sp, r.right / 3, 3);  // a third of the way round: green, fully saturated
    PumpDialog(dlg);
    EXPECT_EQ(ItemText(dlg, kColourGreen), "255");
  }));
  EXPECT_LT(GetRValue(cc_.rgbResult), 10);
  EXPECT_EQ(GetGValue(cc_.rgbResult), 255);
  EXPECT_LT(GetBValue(cc_.rgbResult), 10);
}

TEST_F(ColourTest, BadRecordsAreRefused) {
  cc_.lStructSize = sizeof(CHOOSECOLOR) + 4;
  EXPECT_FALSE(ChooseColor(&cc_));
  EXPECT_EQ(CommDlgExtendedError(), CDERR_STRUCTSIZE);
  EXPECT_FALSE(ChooseColor(nullptr));
  EXPECT_EQ(CommDlgExtendedError(), CDERR_INITIALIZATION);
  // No custom colours of the caller: the chooser still runs and keeps none.
  cc_.lStructSize = sizeof(CHOOSECOLOR);
  cc_.lpCustColors = nullptr;
  cc_.Flags = CC_FULLOPEN;
  EXPECT_TRUE(Run([&](HWND dlg) {
    ClickCell(dlg, kColourCustomCells, 3, 8, 2);
    Click(dlg, kColourAdd);
  }));
  EXPECT_EQ(cc_.rgbResult, kWhite);
  EXPECT_EQ(CommDlgExtendedError(), 0u);
}

TEST_F(ColourTest, Screenshot) {
  cc_.Flags = CC_FULLOPEN | CC_RGBINIT;
  cc_.rgbResult = RGB(0, 128, 128);
  for (int i = 0; i < 16; ++i) cust_[i] = i < 5 ? RGB(40 * i, 90, 160) : kWhite;
  const std::string path = ShotPath("gui_colour_chooser");
  bool saved = false;
  Run(
      [&](HWND dlg) {
        GuiPumpMessages();
        saved = GuiSaveScreenshot(dlg, path);
      },
      IDCANCEL);
  EXPECT_TRUE(saved);
  EXPECT_TRUE(IsPng(path));
}

}  // namespace
