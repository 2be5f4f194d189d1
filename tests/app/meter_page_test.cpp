#include "app/settings/meter_page.h"

#include <cstring>

#include "app/settings/settings_sheet.h"
#include "resources/settings_dialog_ids.h"
#include "settings_fixture.h"
#include "ui/level_control.h"

using namespace dialogtest;

namespace settingstest {
namespace {

MeterLabel Label(float level, const char* name) {
  MeterLabel l;
  l.level = level;
  std::strncpy(l.name, name, sizeof l.name - 1);
  return l;
}

TEST(MeterLabels, NamedLabelsListByFallingLevelAndClearedOnesLast) {
  std::array<MeterLabel, kMeterLabelCount> labels{};
  labels[1] = Label(-3, "Peak");
  labels[2] = Label(-20, "Low");
  labels[3] = Label(0, "dB");
  labels[6] = Label(-3, "Twin");
  EXPECT_EQ(SortMeterLabels(labels), (std::array<int, kMeterLabelCount>{3, 1, 6, 2, 0, 4, 5, 7, 8, 9}));
}

TEST(MeterLabels, TheLineShowsLevelBlanksAndQuotedName) {
  const std::pair<MeterLabel, std::string> cases[] = {
      {Label(0, "dB"), " 0.000dB       \"dB\""},
      {Label(-3, "Peak"), "-3.000dB       \"Peak\""},
      {Label(-10, "Ten"), "-10.000dB     \"Ten\""},
      {Label(-20.5f, "Low"), "-20.500dB     \"Low\""},
      {Label(-96, ""), ""},
  };
  for (const auto& [label, text] : cases) EXPECT_EQ(MeterLabelText(label), text) << label.name;
}

class MeterPageTest : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    saved_ = TLevelControl::Settings();
    AudioMeterSettings fresh;
    TLevelControl::Settings() = fresh;
    host_.options = &options_;
  }
  void TearDown() override {
    TLevelControl::Settings() = saved_;
    SettingsTest::TearDown();
  }
  void RunOnMeter(std::function<void(HWND sheet, HWND page)> step) { RunOn("Audio meter", std::move(step)); }
  static std::string Entry(HWND page, int index) {
    char text[128] = {};
    SendDlgItemMessage(page, kMeterLabels, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
  }
  static void SelectEntry(HWND page, int index) {
    SendDlgItemMessage(page, kMeterLabels, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessage(page, WM_COMMAND, MAKEWPARAM(kMeterLabels, LBN_SELCHANGE),
                reinterpret_cast<LPARAM>(GetDlgItem(page, kMeterLabels)));
    Pump(page);
  }
  AudioMeterSettings saved_;
  TimeLineSettings options_;
};

TEST_F(MeterPageTest, AThresholdStaysBelowTheNextOne) {
  RunOnMeter([&](HWND sheet, HWND page) {
    TypeOver(page, kMeterGreen, "-5");  // above yellow (-12)
    Click(sheet, IDOK);
  });
  EXPECT_FLOAT_EQ(TLevelControl::Settings().levels[1], -12.0f);
  EXPECT_FLOAT_EQ(TLevelControl::Settings().levels[2], -12.0f);
}

// Set keeps seven characters of the name and lists the label by its level;
// Clear sends a label to the end.
TEST_F(MeterPageTest, LabelsAreSetClearedAndStoredInListOrder) {
  std::string afterSet, firstAfterClear;
  int selectedAfterSet = -1;
  RunOnMeter([&](HWND sheet, HWND page) {
    Click(page, kMeterAuto);  // manual labels
    SelectEntry(page, 1);
    TypeOver(page, kMeterLabelName, "Overload!!");
    TypeOver(page, kMeterLabelLevel, "-3");
    Click(page, kMeterLabelSet);
    selectedAfterSet = static_cast<int>(SendDlgItemMessage(page, kMeterLabels, LB_GETCURSEL, 0, 0));
    afterSet = Entry(page, 1);
    SelectEntry(page, 0);
    Click(page, kMeterLabelClear);
    firstAfterClear = Entry(page, 0);
    Click(sheet, IDOK);
  });
  EXPECT_EQ(selectedAfterSet, 1);
  EXPECT_EQ(afterSet, "-3.000dB       \"Overloa\"");
  EXPECT_EQ(firstAfterClear, "-3.000dB       \"Overloa\"");
  const AudioMeterSettings& s = TLevelControl::Settings();
  EXPECT_FALSE(s.autoNumerate);
  EXPECT_STREQ(s.nameLabels[0], "Overloa");
  EXPECT_FLOAT_EQ(s.volumeLabels[0], -3.0f);
  EXPECT_STREQ(s.nameLabels[9], "");
}

TEST_F(MeterPageTest, AutomaticLabelsDisableTheManualOnes) {
  std::vector<bool> automatic, manual;
  RunOnMeter([&](HWND sheet, HWND page) {
    for (int id : {kMeterLabels, kMeterLabelSet, kMeterZero}) {
      automatic.push_back(IsWindowEnabled(GetDlgItem(page, id)) != FALSE);
    }
    Click(page, kMeterAuto);
    for (int id : {kMeterLabels, kMeterLabelSet, kMeterZero}) manual.push_back(IsWindowEnabled(GetDlgItem(page, id)) != FALSE);
    Click(sheet, IDCANCEL);
  });
  EXPECT_EQ(automatic, (std::vector<bool>{false, false, true}));
  EXPECT_EQ(manual, (std::vector<bool>{true, true, false}));
}

}  // namespace
}  // namespace settingstest
