// The analyser's colours: their text forms, scheme files and the "Response
// Colors" dialog.
#include "audio/fft_colors.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "audio/fft_diagram.h"
#include "audio/fft_spec.h"
#include "effect_dialog_fixture.h"
#include "model/ini.h"
#include "resources/effect_dialog_ids.h"
#include "ui/dialog_script.h"
#include "ui/file_chooser_script.h"

namespace {

using dialogtest::ModalScript;
using effecttest::EffectDialogTest;

TEST(ResponseColorText, ParsesThreeNumbersModulo256) {
  const struct {
    const char* text;
    COLORREF color;
  } cases[] = {{"200,200", RGB(200, 200, 0)},  {"1,2,3", RGB(1, 2, 3)},     {"256,257,-1", RGB(0, 1, 255)},
               {"", RGB(0, 0, 0)},             {"9,x,7", RGB(9, 0, 0)},     {"10,20,30\r\n", RGB(10, 20, 30)},
               {"99999999999999,5,5", RGB(255, 5, 5)}};
  for (const auto& c : cases) EXPECT_EQ(ParseColor(c.text), c.color) << c.text;
  EXPECT_EQ(FormatColor(RGB(200, 0, 7)), "200,0,7");
}

TEST(ResponseColorText, SchemeLinesNameOneOfTheTenKeysExactly) {
  const struct {
    const char* line;
    bool taken;
    int index;
    COLORREF color;
  } cases[] = {{"Grid Color=1,2,3\r\n", true, kGridColor, RGB(1, 2, 3)},
               {"Cursor Color=4,5,6\n", true, kCursorColor, RGB(4, 5, 6)},
               {"grid color=1,2,3", false, 0, 0},
               {"=1,2,3", false, 0, 0},
               {"Grid Color 1,2,3", false, 0, 0},
               {"Grid Colour=1,2,3", false, 0, 0}};
  for (const auto& c : cases) {
    int index = -1;
    COLORREF color = 0;
    EXPECT_EQ(ParseSchemeLine(c.line, &index, &color), c.taken) << c.line;
    if (c.taken) {
      EXPECT_EQ(index, c.index);
      EXPECT_EQ(color, c.color);
    }
  }
  const std::string scheme = FormatScheme(kDefaultResponseColors);
  EXPECT_EQ(scheme.substr(0, scheme.find('\n') + 1), "Background Color=0,0,0\r\n");
}

class ColorDialogTest : public EffectDialogTest {
 protected:
  void TearDown() override {
    if (spec_ != nullptr) {
      if (spec_->GetHandle() != nullptr) spec_->Destroy(IDCANCEL);
      delete spec_;
    }
    list_->Close();
    list_->Release();
    EffectDialogTest::TearDown();
  }
  TFFTSpec* Open() {
    list_ = ListOf({});
    spec_ = new TFFTSpec(frame_, list_, 1);
    EXPECT_TRUE(spec_->Create());
    return spec_;
  }
  // Runs "Colors" with step as the dialog's user.
  void RunColors(std::function<void(HWND)> step) {
    ModalScript script({std::move(step)});
    SendMessage(spec_->GetHandle(), WM_COMMAND, kFftColors, 0);
    GuiPumpMessages();
    EXPECT_TRUE(script.done());
  }
  static std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

  EffectList* list_ = nullptr;
  TFFTSpec* spec_ = nullptr;
  TestFolder folder_;
};

TEST_F(ColorDialogTest, SavedSchemesLoadBackAndCancelRestores) {
  TFFTSpec* spec = Open();
  ResponseColors& colors = spec->Diagram()->colors;
  for (int i = 0; i < kResponseColorCount; ++i) colors[static_cast<std::size_t>(i)] = RGB(i, 2 * i, 3 * i + 1);
  const ResponseColors chosen = colors;
  const std::string saved = folder_.File("mine.fcs");
  filetest::ScriptedChooser chooser;
  chooser.answers.push_back({ChooserResult::kOk, saved, 1});
  RunColors([](HWND w) {
    SendMessage(w, WM_COMMAND, kColorSave, 0);
    SendMessage(w, WM_COMMAND, kColorDefaults, 0);  // answered Yes
    SendMessage(w, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(colors, kDefaultResponseColors);
  const std::string text = ReadAll(saved);
  EXPECT_EQ(text, FormatScheme(chosen));
  EXPECT_EQ(text.substr(0, text.find('\n') + 1), "Background Color=0,0,1\r\n");

  chooser.answers.push_back({ChooserResult::kOk, saved, 1});
  RunColors([](HWND w) {
    SendMessage(w, WM_COMMAND, kColorLoad, 0);
    SendMessage(w, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(colors, chosen);

  // Loading a scheme or the defaults and then cancelling keeps what was there.
  chooser.answers.push_back({ChooserResult::kOk, folder_.File("other.fcs"), 1});
  std::ofstream(folder_.File("other.fcs"), std::ios::binary) << "Text Color=9,9,9\nNoise\n";
  RunColors([](HWND w) {
    SendMessage(w, WM_COMMAND, kColorLoad, 0);
    SendMessage(w, WM_COMMAND, kColorDefaults, 0);
    SendMessage(w, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(colors, chosen);
}

TEST_F(ColorDialogTest, ASchemeNamingOnlyTheGridChangesOnlyTheGrid) {
  TFFTSpec* spec = Open();
  const ResponseColors before = spec->Diagram()->colors;
  const std::string path = folder_.File("grid.fcs");
  // LF endings and a line longer than a read: its pieces are lines of their own.
  std::ofstream(path, std::ios::binary) << "Grid Color=1,2,3\n" << std::string(50, 'x') << "Text Color=5,5,5\n";
  filetest::ScriptedChooser chooser;
  chooser.answers.push_back({ChooserResult::kOk, path, 1});
  RunColors([](HWND w) {
    SendMessage(w, WM_COMMAND, kColorLoad, 0);
    SendMessage(w, WM_COMMAND, IDOK, 0);
  });
  ResponseColors expected = before;
  expected[kGridColor] = RGB(1, 2, 3);
  EXPECT_EQ(spec->Diagram()->colors, expected);
  // A file that cannot be read is reported and changes nothing.
  chooser.answers.push_back({ChooserResult::kOk, folder_.File("missing.fcs"), 1});
  RunColors([](HWND w) {
    SendMessage(w, WM_COMMAND, kColorLoad, 0);
    SendMessage(w, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(boxes_.shown, (std::vector<std::string>{"Error!: Can't open specified file"}));
  EXPECT_EQ(spec->Diagram()->colors, expected);
}

TEST_F(ColorDialogTest, ColoursComeFromAndGoToTheSettings) {
  IniSetSection("FFT Analyser");
  IniWriteString("Grid Color", "200,200");
  IniWriteString("Text Color", "1,2,3");
  TFFTSpec* spec = Open();
  EXPECT_EQ(spec->Diagram()->colors[kGridColor], RGB(200, 200, 0));
  EXPECT_EQ(spec->Diagram()->colors[kTextColor], RGB(1, 2, 3));
  EXPECT_EQ(spec->Diagram()->colors[kCursorColor], RGB(0, 250, 0));
  spec->Diagram()->colors[kCursorColor] = RGB(7, 8, 9);
  spec->SaveSettings();
  IniSetSection("FFT Analyser");
  EXPECT_STREQ(IniReadString("Cursor Color", ""), "7,8,9");
  EXPECT_STREQ(IniReadString("Use window", ""), "FALSE");
}

}  // namespace
