#include "app/settings/colors_page.h"

#include <fstream>
#include <sstream>

#include "app/settings/settings_sheet.h"
#include "platform/gui/common_dialogs.h"
#include "resources/settings_dialog_ids.h"
#include "settings_fixture.h"
#include "ui/file_chooser_script.h"

using namespace dialogtest;

namespace settingstest {
namespace {

class ColorsPageTest : public SettingsTest {
 protected:
  // Runs the settings sheet, opens the Colors page and hands it to step.
  int RunOnColors(std::function<void(HWND sheet, HWND page)> step, std::deque<ModalScript::Step> nested = {}) {
    nested.push_front([step](HWND sheet) {
      OpenTab(sheet, "Colors");
      step(sheet, CurrentPage(sheet));
    });
    ModalScript script(std::move(nested));
    return RunSettingsSheet(frame_.get());
  }
  static int Selected(HWND page) {
    return static_cast<int>(SendDlgItemMessage(page, kColorsElementList, CB_GETCURSEL, 0, 0));
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }
  static std::array<COLORREF, kTimeLineColorCount> Distinct() {
    std::array<COLORREF, kTimeLineColorCount> c{};
    for (int i = 0; i < kTimeLineColorCount; ++i) c[i] = static_cast<COLORREF>(0x0A0B0C * (i + 1)) & 0xFFFFFF;
    return c;
  }
  filetest::ScriptedChooser chooser_;
  TestFolder folder_;
  HWND page_ = nullptr;
};

TEST_F(ColorsPageTest, DefaultThenCancelLeavesTheTimeLinesColours) {
  TimeLineColors[kColorWaveform] = 0x123456;
  bool applyAfterDefault = false;
  RunOnColors([&](HWND sheet, HWND page) {
    Click(page, kColorsDefaultScheme);
    applyAfterDefault = ApplyEnabled(sheet);
    Click(sheet, IDCANCEL);
  });
  EXPECT_TRUE(applyAfterDefault);
  EXPECT_EQ(TimeLineColors[kColorWaveform], 0x123456u);
}

// The chosen colour reaches the time-line on Apply, before it redraws.
TEST_F(ColorsPageTest, AChangedColourIsTheTimeLinesAfterApply) {
  COLORREF beforeApply = 0;
  int zoomsBeforeApply = -1;
  RunOnColors(
      [&](HWND sheet, HWND page) {
        SendDlgItemMessage(page, kColorsElementList, CB_SETCURSEL, kColorSelection, 0);
        Click(page, kColorsChangeColor);
        beforeApply = TimeLineColors[kColorSelection];
        zoomsBeforeApply = host_.zoomChanges;
        Click(sheet, ID_APPLY_NOW);
        Click(sheet, IDCANCEL);
      },
      {[](HWND chooser) {
        Click(chooser, kColourDefine);
        TypeOver(chooser, kColourRed, "10");
        TypeOver(chooser, kColourGreen, "20");
        TypeOver(chooser, kColourBlue, "30");
        Click(chooser, IDOK);
      }});
  EXPECT_EQ(beforeApply, 0xFF0000u);
  EXPECT_EQ(zoomsBeforeApply, 0);
  EXPECT_EQ(TimeLineColors[kColorSelection], RGB(10, 20, 30));
  EXPECT_EQ(host_.colorsAtRedraw[kColorSelection], RGB(10, 20, 30));
}

// Clicks on the sample select their elements in the list; a double click
// opens the colour dialog on the selected element.
TEST_F(ColorsPageTest, ClicksOnTheSampleSelectTheirElements) {
  std::vector<int> selected;
  int selectedAtChooser = -1;
  RunOnColors(
      [&](HWND sheet, HWND page) {
        page_ = page;
        HWND sample = GetDlgItem(page, kColorsSample);
        RECT r{};
        GetClientRect(sample, &r);
        const int cx = r.right / 2;
        const int u = cx / 5;
        const POINT points[] = {{cx, 100}, {cx / 2, 5}, {cx + 10, 20}, {cx - 4 * u + 1, 73}};
        for (const POINT& p : points) {
          GuiClick(sample, p.x, p.y);
          Pump(page);
          selected.push_back(Selected(page));
        }
        GuiClick(sample, cx - 4 * u + 1, 73);
        GuiClick(sample, cx - 4 * u + 1, 73);
        Pump(page);
        Click(sheet, IDCANCEL);
      },
      {[&](HWND chooser) {
        Click(chooser, kColourDefine);
        selectedAtChooser = Selected(page_);
        Click(chooser, IDCANCEL);
      }});
  EXPECT_EQ(selected, (std::vector<int>{kColorCurTime, kColorActiveTimeMark, kColorSelection, kColorDeclick}));
  // The double click asked for the colour of the element under it.
  EXPECT_EQ(selectedAtChooser, kColorDeclick);
}

TEST_F(ColorsPageTest, ASavedSchemeLoadsBackOverTheDefaults) {
  ASSERT_TRUE(folder_.ok());
  const auto colors = Distinct();
  TimeLineColors = colors;
  const std::string path = folder_.File("mine.clt");
  chooser_.answers.push_back({ChooserResult::kOk, path, 1});
  chooser_.answers.push_back({ChooserResult::kOk, path, 1});
  RunOnColors([&](HWND sheet, HWND page) {
    Click(page, kColorsSaveScheme);
    Click(page, kColorsDefaultScheme);
    Click(page, kColorsLoadScheme);
    Click(sheet, IDOK);
  });
  EXPECT_EQ(Read(path), WriteColorScheme(colors));
  EXPECT_EQ(TimeLineColors, colors);
  ASSERT_EQ(chooser_.calls.size(), 2u);
  EXPECT_EQ(chooser_.calls[0].title, "Save Kobrix Colors");
  EXPECT_EQ(chooser_.calls[1].title, "Load Kobrix Colors");
  // The next dialog opens in the scheme's folder.
  EXPECT_EQ(chooser_.calls[1].directory, folder_.path());
  EXPECT_EQ(std::string(SchemeDirectory), folder_.path());
  EXPECT_TRUE(boxes_.shown.empty());
}

// A line out of order stops the reading: the colours before it are taken,
// the page is marked changed and says it could not read the file.
TEST_F(ColorsPageTest, ABadSchemeKeepsWhatCameBeforeTheBadLine) {
  ASSERT_TRUE(folder_.ok());
  const auto colors = Distinct();
  std::string text = WriteColorScheme(colors);
  const size_t waveform = text.find("WaveformColor");
  text.replace(waveform, 13, "WavefromColor");
  const std::string path = folder_.File("bad.clt");
  Write(path, text);
  chooser_.answers.push_back({ChooserResult::kOk, path, 1});
  bool applyEnabled = false;
  RunOnColors([&](HWND sheet, HWND page) {
    Click(page, kColorsLoadScheme);
    applyEnabled = ApplyEnabled(sheet);
    Click(sheet, IDOK);
  });
  EXPECT_TRUE(applyEnabled);
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text, "Can not read file '" + path + "'");
  EXPECT_EQ(boxes_.shown[0].caption, "Load Kobrix Colors");
  EXPECT_EQ(TimeLineColors[kColorSelection], colors[kColorSelection]);
  EXPECT_EQ(TimeLineColors[kColorWaveform], DefaultTimeLineColor(kColorWaveform));
  EXPECT_EQ(TimeLineColors[kColorVideoFXTrack], DefaultTimeLineColor(kColorVideoFXTrack));
}

TEST_F(ColorsPageTest, AFileThatCannotBeOpenedChangesNothing) {
  ASSERT_TRUE(folder_.ok());
  const std::string missing = folder_.File("none.clt");
  const std::string unwritable = folder_.File("no/such/folder.clt");
  chooser_.answers.push_back({ChooserResult::kOk, missing, 1});
  chooser_.answers.push_back({ChooserResult::kOk, unwritable, 1});
  bool applyEnabled = true;
  RunOnColors([&](HWND sheet, HWND page) {
    Click(page, kColorsLoadScheme);
    Click(page, kColorsSaveScheme);
    applyEnabled = ApplyEnabled(sheet);
    Click(sheet, IDCANCEL);
  });
  EXPECT_FALSE(applyEnabled);
  ASSERT_EQ(boxes_.shown.size(), 2u);
  EXPECT_EQ(boxes_.shown[0].text, "Can not open file '" + missing + "'\nThe file does not exist.");
  EXPECT_EQ(boxes_.shown[0].caption, "Load Kobrix Colors");
  EXPECT_EQ(boxes_.shown[1].text, "Can not open file '" + unwritable + "'");
  EXPECT_EQ(boxes_.shown[1].caption, "Save Kobrix Colors");
}

}  // namespace
}  // namespace settingstest
