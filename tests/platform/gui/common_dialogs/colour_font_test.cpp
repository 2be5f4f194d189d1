#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "colour_font_util.h"
#include "platform/gui/common_dialogs.h"
#include "platform/gui/gdi.h"
#include "platform/gui/message_box.h"
#include "platform/gui/modal.h"

namespace {

using namespace colour_font;

// Clicks the middle of cell index of a grid of cols x rows.
void ClickCell(HWND dlg, int grid, int index, int cols, int rows) {
  HWND h = GetDlgItem(dlg, grid);
  RECT r;
  GetClientRect(h, &r);
  const int col = index % cols, row = index / cols;
  GuiClick(h, (2 * col + 1) * r.right / (2 * cols), (2 * row + 1) * r.bottom / (2 * rows));
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

// ---- Font chooser ----

std::vector<std::string> Items(HWND dlg, int list) {
  std::vector<std::string> out;
  const LRESULT n = SendDlgItemMessage(dlg, list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    char buf[64] = {};
    SendDlgItemMessage(dlg, list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf));
    out.emplace_back(buf);
  }
  return out;
}

class FontTest : public ChooserTest {
 protected:
  void SetUp() override {
    ChooserTest::SetUp();
    cf_.hwndOwner = owner_;
    cf_.lpLogFont = &lf_;
  }
  // Runs the chooser with a hook that acts on it and then presses end;
  // message boxes it raises are answered with OK and their texts kept.
  BOOL Run(const std::function<void(HWND)>& act, int end = IDOK) {
    Hook hook([&](HWND w) {
      if (GetMessageBoxFlags(w) != 0) {
        boxes_.push_back(ItemText(w, kMessageBoxTextId));
        PostMessage(GetDlgItem(w, IDOK), BM_CLICK, 0, 0);
        return;
      }
      PumpDialog(w);
      act(w);
      Click(w, end);
    });
    return ChooseFont(&cf_);
  }
  LOGFONT lf_;
  CHOOSEFONT cf_;
  std::vector<std::string> boxes_;
};

TEST_F(FontTest, TheChosenFaceStyleAndSizeComeBack) {
  cf_.Flags = CF_SCREENFONTS;
  cf_.iPointSize = -1;
  std::string face, style, size;
  EXPECT_TRUE(Run([&](HWND dlg) {
    EXPECT_TRUE(ClickItem(dlg, kFontFaceList, "Courier New"));
    EXPECT_TRUE(ClickItem(dlg, kFontStyleList, "Bold Italic"));
    EXPECT_TRUE(ClickItem(dlg, kFontSizeList, "12"));
    face = ItemText(dlg, kFontFaceName);
    style = ItemText(dlg, kFontStyleName);
    size = ItemText(dlg, kFontSizeEdit);
    EXPECT_FALSE(Visible(dlg, kFontUnderline));
  }));
  EXPECT_EQ(face + "/" + style + "/" + size, "Courier New/Bold Italic/12");
  EXPECT_STREQ(lf_.lfFaceName, "Courier New");
  EXPECT_EQ(lf_.lfHeight, -16);  // 12 points at 96 pixels an inch
  EXPECT_EQ(lf_.lfWeight, FW_BOLD);
  EXPECT_EQ(lf_.lfItalic, 1);
  EXPECT_EQ(lf_.lfPitchAndFamily & 0x3, FIXED_PITCH);
  EXPECT_EQ(cf_.iPointSize, 120);
  EXPECT_EQ(cf_.nFontType, SCREEN_FONTTYPE | BOLD_FONTTYPE | ITALIC_FONTTYPE);
  EXPECT_EQ(CommDlgExtendedError(), 0u);

  // A typed size and the regular style.
  EXPECT_TRUE(Run([&](HWND dlg) {
    EXPECT_TRUE(ClickItem(dlg, kFontStyleList, "Regular"));
    TypeInto(dlg, kFontSizeEdit, "15");
  }));
  EXPECT_EQ(lf_.lfHeight, -20);
  EXPECT_EQ(lf_.lfWeight, FW_NORMAL);
  EXPECT_EQ(cf_.iPointSize, 150);
  EXPECT_EQ(cf_.nFontType, SCREEN_FONTTYPE | REGULAR_FONTTYPE);
}

TEST_F(FontTest, SizesAreLimited) {
  struct Case {
    DWORD flags;
    const char* typed;
    std::string refused;  // the message, empty when the size is taken
    int tenths;
  };
  const Case cases[] = {
      {CF_LIMITSIZE, "25", "Size must be between 4 and 20 points.", 200},
      {CF_LIMITSIZE, "3", "Size must be between 4 and 20 points.", 200},
      {CF_LIMITSIZE, "big", "Size must be a number.", 200},
      {CF_LIMITSIZE, "4", "", 40},
      {CF_LIMITSIZE, "20", "", 200},
      {0, "25", "", 250},
  };
  cf_.nSizeMin = 4;
  cf_.nSizeMax = 20;
  for (const Case& c : cases) {
    cf_.Flags = CF_SCREENFONTS | c.flags;
    boxes_.clear();
    std::vector<std::string> sizes;
    bool still_open = false;
    EXPECT_TRUE(Run([&](HWND dlg) {
      sizes = Items(dlg, kFontSizeList);
      TypeInto(dlg, kFontSizeEdit, c.typed);
      Click(dlg, IDOK);
      still_open = IsWindowVisible(dlg) != 0;
      // Refused: the chooser stays up, and a size in range is taken.
      if (still_open) TypeInto(dlg, kFontSizeEdit, "20");
    })) << c.typed;
    EXPECT_EQ(still_open, !c.refused.empty()) << c.typed;
    EXPECT_EQ(boxes_, c.refused.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.refused})
        << c.typed;
    EXPECT_EQ(cf_.iPointSize, c.tenths) << c.typed;
    if (c.flags & CF_LIMITSIZE) {
      EXPECT_EQ(sizes, (std::vector<std::string>{"8", "9", "10", "11", "12", "14", "16", "18", "20"}));
    } else {
      EXPECT_EQ(sizes.back(), "72");
    }
  }
}

TEST_F(FontTest, StartsOnTheGivenFont) {
  struct Case {
    LONG height;
    LONG weight;
    BYTE italic;
    const char* face;
    const char* shown;  // face, style and size as the chooser shows them
    LONG out_height;
  };
  const Case cases[] = {
      {-16, FW_BOLD, 1, "arial", "Arial/Bold Italic/12", -16},
      {-11, FW_NORMAL, 0, "MS Sans Serif", "MS Sans Serif/Regular/8", -11},
      {-40, FW_SEMIBOLD, 0, "Courier New", "Courier New/Bold/25", -33},       // 30 points, limited to 25
      {-9, FW_NORMAL, 1, "Times New Roman", "Times New Roman/Italic/7", -9},  // a face not listed stays
  };
  for (const Case& c : cases) {
    lf_ = LOGFONT{};
    lf_.lfHeight = c.height;
    lf_.lfWeight = c.weight;
    lf_.lfItalic = c.italic;
    std::strcpy(lf_.lfFaceName, c.face);
    cf_.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_LIMITSIZE;
    cf_.nSizeMin = 4;
    cf_.nSizeMax = 25;
    std::string shown;
    EXPECT_TRUE(Run([&](HWND dlg) {
      shown = ItemText(dlg, kFontFaceName) + "/" + ItemText(dlg, kFontStyleName) + "/" +
              ItemText(dlg, kFontSizeEdit);
    })) << c.face;
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(lf_.lfHeight, c.out_height) << c.face;
    EXPECT_EQ(lf_.lfItalic, c.italic) << c.face;
  }
  // A positive height is the cell height: the size is that of the character.
  LOGFONT cell{};
  cell.lfHeight = 16;
  std::strcpy(cell.lfFaceName, "Arial");
  HFONT font = CreateFontIndirect(&cell);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRIC tm{};
  GetTextMetrics(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
  lf_ = cell;
  EXPECT_TRUE(Run([](HWND) {}));
  EXPECT_EQ(cf_.iPointSize, ((tm.tmHeight - tm.tmInternalLeading) * 72 + 48) / 96 * 10);
}

TEST_F(FontTest, EffectsColourAndSample) {
  cf_.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
  lf_.lfHeight = -24;
  std::strcpy(lf_.lfFaceName, "Arial");
  cf_.rgbColors = RGB(0, 0, 0);
  int red_ink = 0;
  EXPECT_TRUE(Run([&](HWND dlg) {
    Click(dlg, kFontUnderline);
    HWND combo = GetDlgItem(dlg, kFontColour);
    SendMessage(dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(combo), TRUE);
    // Keys walk the drop-down list: from Black down to Red.
    for (int i = 0; i < 9; ++i) Press(dlg, VK_DOWN);
    GuiPumpMessages();
    HWND sample = GetDlgItem(dlg, kFontSample);
    RECT r;
    GetClientRect(sample, &r);
    for (int y = 0; y < r.bottom; ++y) {
      for (int x = 0; x < r.right; ++x) red_ink += GuiReadPixel(sample, x, y) == RGB(255, 0, 0);
    }
  }));
  EXPECT_GT(red_ink, 50);
  EXPECT_EQ(cf_.rgbColors, RGB(255, 0, 0));
  EXPECT_EQ(lf_.lfUnderline, 1);
  EXPECT_EQ(lf_.lfStrikeOut, 0);
}

TEST_F(FontTest, CancelChangesNothing) {
  cf_.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS;
  lf_.lfHeight = -13;
  std::strcpy(lf_.lfFaceName, "Arial");
  const LOGFONT before = lf_;
  cf_.iPointSize = 77;
  cf_.rgbColors = RGB(1, 2, 3);
  EXPECT_FALSE(Run(
      [&](HWND dlg) {
        ClickItem(dlg, kFontFaceList, "Courier New");
        ClickItem(dlg, kFontStyleList, "Bold");
        Click(dlg, kFontStrikeOut);
      },
      IDCANCEL));
  EXPECT_EQ(std::memcmp(&before, &lf_, sizeof lf_), 0);
  EXPECT_EQ(cf_.iPointSize, 77);
  EXPECT_EQ(cf_.rgbColors, RGB(1, 2, 3));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
}

TEST_F(FontTest, BadRecordsAreRefused) {
  struct Case {
    DWORD size;
    bool log_font;
    DWORD flags;
    int min, max;
    DWORD error;
  };
  const Case cases[] = {
      {sizeof(CHOOSEFONT), false, 0, 0, 0, CDERR_INITIALIZATION},
      {sizeof(CHOOSEFONT) - 4, true, 0, 0, 0, CDERR_STRUCTSIZE},
      {sizeof(CHOOSEFONT), true, CF_LIMITSIZE, 20, 4, CDERR_INITIALIZATION},
      {sizeof(CHOOSEFONT), true, CF_LIMITSIZE, 0, 20, CDERR_INITIALIZATION},
  };
  for (const Case& c : cases) {
    CHOOSEFONT cf;
    cf.lStructSize = c.size;
    cf.lpLogFont = c.log_font ? &lf_ : nullptr;
    cf.Flags = c.flags;
    cf.nSizeMin = c.min;
    cf.nSizeMax = c.max;
    EXPECT_FALSE(ChooseFont(&cf));
    EXPECT_EQ(CommDlgExtendedError(), c.error);
  }
  EXPECT_FALSE(ChooseFont(nullptr));
}

TEST_F(FontTest, Screenshot) {
  cf_.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT | CF_LIMITSIZE;
  cf_.nSizeMin = 4;
  cf_.nSizeMax = 25;
  lf_.lfHeight = -19;
  lf_.lfWeight = FW_BOLD;
  std::strcpy(lf_.lfFaceName, "Arial");
  cf_.rgbColors = RGB(0, 0, 128);
  const std::string path = ShotPath("gui_font_chooser");
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
