#include "ui/level_control.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "fake_shell.h"
#include "model/control_font.h"
#include "model/ini.h"
#include "platform/classlib/classlib.h"
#include "platform/gui/gui_driver.h"
#include "platform/gui/modal.h"
#include "support/test_env.h"
#include "ui/label_control.h"

namespace {

constexpr int kLeft = 1467, kRight = 1466, kScale = 1488, kAcross = 1470;

// Colours of the bands, bright and dark.
constexpr COLORREF kBright[5] = {RGB(0, 0, 192), RGB(0, 0, 255), RGB(0, 255, 0), RGB(255, 255, 0),
                                 RGB(255, 0, 0)};
constexpr COLORREF kDark[5] = {RGB(0, 0, 64), RGB(0, 0, 128), RGB(0, 128, 0), RGB(128, 128, 0),
                               RGB(128, 0, 0)};

// Two upright meters of 20 x 132 pixels (2 pixels a dB at the default 66
// dB), their scale to the left, and a lying meter of 132 x 12.
class TMetersDialog : public TDialog {
 public:
  explicit TMetersDialog(TWindow* parent) : TDialog(parent, Template()) {
    Left = new TLevelControl(this, &Group, kLeft, true);
    Right = new TLevelControl(this, &Group, kRight, true);
    Scale = new TLabelControl(this, kScale, Right, true);
    Across = new TLevelControl(this, nullptr, kAcross, false);
    Group = TAudioMeter{Left, Right, Scale, false};
  }
  static DialogTemplate Template() {
    DialogTemplate t;
    t.style = WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_SETFONT;
    t.cx = 160;
    t.cy = 120;
    t.caption = "Meters";
    const DWORD v = WS_VISIBLE;
    t.items = {
        {"TLabel", "", kScale, v, 0, 2, 2, 20, 20},
        {"TLevel", "", kLeft, v, 0, 30, 2, 10, 10},
        {"TLevel", "", kRight, v, 0, 50, 2, 10, 10},
        {"TLevel", "", kAcross, v, 0, 70, 2, 10, 10},
    };
    return t;
  }
  void SetupWindow() override {
    TDialog::SetupWindow();
    Scale->MoveWindow(TRect(4, 2, 40, 152));
    Left->MoveWindow(TRect(44, 10, 64, 142));
    Right->MoveWindow(TRect(68, 10, 88, 142));
    Across->MoveWindow(TRect(100, 10, 232, 22));
  }

  TAudioMeter Group;
  TLevelControl* Left;
  TLevelControl* Right;
  TLabelControl* Scale;
  TLevelControl* Across;
};

// The time-line window as far as the meters see it: it takes requests.
class TTimeLine : public TFrameWindow {
 public:
  TTimeLine() : TFrameWindow(nullptr, "Time-line") {}
  LRESULT EvRequest(WPARAM code, LPARAM arg) {
    requests.emplace_back(static_cast<int>(code), static_cast<int>(arg));
    return 1;
  }
  std::vector<std::pair<int, int>> requests;
  DECLARE_RESPONSE_TABLE(TTimeLine);
};
// clang-format off
DEFINE_RESPONSE_TABLE1(TTimeLine, TFrameWindow)
  EV_MESSAGE(WM_USER + 99, EvRequest),
END_RESPONSE_TABLE;
// clang-format on

int g_refreshes = 0;
void CountRefresh() {
  ++g_refreshes;
}

class LevelControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = TLevelControl::Settings();
    TLevelControl::Settings() = AudioMeterSettings();
    const float defaults[4] = {-60, -48, -12, -3};
    TLevelControl::NormalizeLevels(defaults);
    frame_ = std::make_unique<TFrameWindow>(nullptr, "Kobrix");
    ASSERT_TRUE(frame_->Create());
    dialog_ = std::make_unique<TMetersDialog>(frame_.get());
    ASSERT_TRUE(dialog_->Create());
    GuiPumpMessages();
    old_refresh_ = SetAudioMetersRefresh(&CountRefresh);
    g_refreshes = 0;
  }
  void TearDown() override {
    SetAudioMetersRefresh(old_refresh_);
    SetModalHook(nullptr);
    dialog_.reset();
    frame_.reset();
    GuiPumpMessages();
    TLevelControl::Settings() = saved_;
  }
  COLORREF At(TWindow* w, int x, int y) {
    UpdateWindow(*w);
    return GuiReadPixel(*w, x, y);
  }
  // Opens the meter's menu, checks it, and picks the item at position
  // (-1: none).
  void Menu(TLevelControl* meter, int pick, const std::function<void(HMENU)>& check = nullptr) {
    SetModalHook([&](HWND window) {
      char cls[32];
      GetClassName(window, cls, sizeof cls);
      if (std::string(cls) != WC_POPUPMENU) return;
      HMENU menu = reinterpret_cast<HMENU>(SendMessage(window, MN_GETHMENU, 0, 0));
      if (check) check(menu);
      if (pick < 0) {
        GuiPressKey(VK_ESCAPE);
        return;
      }
      RECT r;
      ASSERT_TRUE(GetMenuItemRect(nullptr, menu, static_cast<UINT>(pick), &r));
      const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
      GuiMouseMove(x, y);
      GuiMouseButton(1, true, x, y);
      GuiMouseButton(1, false, x, y);
    });
    GuiClick(*meter, 5, 5, 1);
    GuiPumpMessages();
    SetModalHook(nullptr);
  }

  AudioMeterSettings saved_;
  AudioMetersRefresh old_refresh_ = nullptr;
  FakeShell shell_;
  std::unique_ptr<TFrameWindow> frame_;
  std::unique_ptr<TMetersDialog> dialog_;
};

TEST_F(LevelControlTest, SettingsLoadWithinTheirLimitsAndLevelsInOrder) {
  ScopedSettingsHome home;
  ASSERT_TRUE(home.ok());
  std::ofstream(home.File("KOBRIX30.INI")) << "[AUDIO_METER]\n"
                                              "LEVEL0=-150\nLEVEL1=-120\nLEVEL2=5\nLEVEL3=not a number\n"
                                              "MAX_PICK_DB=200\nZERO_VOLUME_DB=-300\n"
                                              "AUTO_NUMERATE=0\nPEAK_HOLD=0\n"
                                              "VOLUME_LABEL3=10\nVOLUME_LABEL4=nan\nNAME_LABEL2=Reference\n";
  TLevelControl::LoadSettings();
  const AudioMeterSettings& s = TLevelControl::Settings();
  EXPECT_EQ(s.levels[0], -100.0f);
  EXPECT_EQ(s.levels[1], -100.0f);  // raised to the one below
  EXPECT_EQ(s.levels[2], 0.0f);
  EXPECT_EQ(s.levels[3], 0.0f);  // kept -3, then raised
  EXPECT_EQ(s.thresholds[0], 0);
  EXPECT_EQ(s.thresholds[2], 32767);
  EXPECT_EQ(s.maxPickDb, 96.0f);
  EXPECT_EQ(s.zeroVolumeDb, -96.0f);
  EXPECT_FALSE(s.autoNumerate);
  EXPECT_FALSE(s.peakHold);
  EXPECT_EQ(s.volumeLabels[3], 0.0f);
  EXPECT_EQ(s.volumeLabels[4], -96.0f);
  EXPECT_STREQ(s.nameLabels[0], "dB");
  EXPECT_STREQ(s.nameLabels[2], "Referen");
  IniSetSection("AUDIO_METER");
  IniWriteString("MAX_PICK_DB", "5");
  TLevelControl::LoadSettings();
  EXPECT_EQ(TLevelControl::Settings().maxPickDb, 12.0f);

  // What is saved loads back.
  const float levels[4] = {-50, -40, -20.0004f, -1};
  TLevelControl::NormalizeLevels(levels);
  EXPECT_EQ(TLevelControl::Settings().thresholds[2], 3277);  // 32767 / 10, rounded
  TLevelControl::SaveSettings();
  EXPECT_STREQ(IniReadString("LEVEL2", ""), "-20.000");
  TLevelControl::Settings() = AudioMeterSettings();
  TLevelControl::LoadSettings();
  float back[4];
  TLevelControl::GetDefaultLevels(back);
  EXPECT_EQ(back[0], -50.0f);
  EXPECT_EQ(back[2], -20.0f);
  EXPECT_EQ(TLevelControl::Settings().maxPickDb, 12.0f);
  EXPECT_STREQ(TLevelControl::Settings().nameLabels[2], "Referen");
}

TEST_F(LevelControlTest, TheBarShowsTheBandsUpToTheLevelAndThePeakMark) {
  TLevelControl* m = dialog_->Left;
  struct Case {
    int32_t level;
    float maxPickDb;
    // Rows from the top and the colour there.
    std::vector<std::pair<int, COLORREF>> rows;
  };
  const Case cases[] = {
      // Silence: every band dark; no peak to mark.
      {0, 66, {{131, kDark[0]}, {100, kDark[1]}, {50, kDark[2]}, {8, kDark[3]}, {0, kDark[4]}}},
      // -6 dB: bright up to -6, band 3 dark from -6 to -3, band 4 dark;
      // the peak mark (yellow) just above -6.
      {16384,
       66,
       {{131, kBright[0]},
        {120, kBright[0]},
        {119, kBright[1]},
        {96, kBright[1]},
        {95, kBright[2]},
        {24, kBright[2]},
        {23, kBright[3]},
        {13, kBright[3]},
        {11, kBright[3]},
        {10, kDark[3]},
        {6, kDark[3]},
        {5, kDark[4]},
        {0, kDark[4]}}},
      // Full scale: all bright, the peak red at the top.
      {32767, 66, {{131, kBright[0]}, {50, kBright[2]}, {1, kBright[4]}, {0, kBright[4]}}},
      // Showing 24 dB, the bands at -60 and -48 are not drawn.
      {16384, 24, {{131, kBright[2]}, {66, kBright[2]}, {65, kBright[3]}, {0, kDark[4]}}},
  };
  for (const Case& c : cases) {
    TLevelControl::Settings().maxPickDb = c.maxPickDb;
    m->ClearPeak();
    m->Reset();
    m->SetLevel(c.level);
    m->Invalidate(false);
    for (const auto& [y, colour] : c.rows) EXPECT_EQ(At(m, 10, y), colour) << c.level << " at row " << y;
  }
  // Lying down the same bands run from the left.
  TLevelControl::Settings().maxPickDb = 66;
  dialog_->Across->SetLevel(16384);
  for (const auto& [x, colour] : std::vector<std::pair<int, COLORREF>>{{0, kBright[0]},
                                                                       {12, kBright[1]},
                                                                       {40, kBright[2]},
                                                                       {110, kBright[3]},
                                                                       {122, kDark[3]},
                                                                       {131, kDark[4]}})
    EXPECT_EQ(At(dialog_->Across, x, 6), colour) << "column " << x;
  EXPECT_EQ(At(dialog_->Across, 120, 6), kBright[3]);  // the peak
}

TEST_F(LevelControlTest, TheLevelHalvesEachUpdateWhileThePeakStays) {
  TLevelControl* m = dialog_->Left;
  m->SetLevel(1000);
  std::vector<int32_t> seen;
  for (int i = 0; i < 3; ++i) {
    m->SetLevel(0);
    seen.push_back(m->GetLevel());
  }
  EXPECT_EQ(seen, (std::vector<int32_t>{500, 250, 125}));
  m->SetLevel(300);
  EXPECT_EQ(m->GetLevel(), 300);
  EXPECT_EQ(m->GetPeak(), 1000);
  m->Reset();
  EXPECT_EQ(m->GetLevel(), 0);
  EXPECT_EQ(m->GetPeak(), 1000);
  // From the engine's thread the meter asks for a repaint.
  ValidateRect(*m, nullptr);
  std::thread engine([m] { m->SetLevel(20000); });
  engine.join();
  RECT r;
  EXPECT_TRUE(GetUpdateRect(*m, &r, FALSE));
  GuiPumpMessages();
  EXPECT_EQ(At(m, 10, 131), kBright[0]);
}

TEST_F(LevelControlTest, AClickClearsOnePeakAndTheMenuBoth) {
  TLevelControl* left = dialog_->Left;
  TLevelControl* right = dialog_->Right;
  left->SetLevel(1000);
  right->SetLevel(2000);
  GuiClick(*left, 5, 5);
  GuiPumpMessages();
  EXPECT_EQ(left->GetPeak(), 0);
  EXPECT_EQ(right->GetPeak(), 2000);
  left->SetLevel(1000);
  Menu(right, 0);  // "Clear peak"
  EXPECT_EQ(left->GetPeak(), 0);
  EXPECT_EQ(right->GetPeak(), 0);
}

TEST_F(LevelControlTest, TheMenuSetsTheOptionsAndIsGreyWhilePlaying) {
  TLevelControl* m = dialog_->Left;
  auto states = [](HMENU menu) {
    std::vector<std::string> out;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      char text[64] = {};
      GetMenuString(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
      const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
      out.push_back(std::string(text) + ((state & MF_GRAYED) ? " grey" : "") +
                    ((state & MF_CHECKED) ? " on" : ""));
    }
    return out;
  };
  std::vector<std::string> seen;
  Menu(m, 5, [&](HMENU menu) { seen = states(menu); });  // "-60dB..0dB"
  EXPECT_EQ(seen, (std::vector<std::string>{"Clear peak", "Peak hold on", "", "-24dB..0dB", "-48dB..0dB",
                                            "-60dB..0dB", "-96dB..0dB", "", "Settings..."}));
  EXPECT_EQ(TLevelControl::Settings().maxPickDb, 60.0f);
  Menu(m, 1);  // "Peak hold"
  EXPECT_FALSE(TLevelControl::Settings().peakHold);
  EXPECT_EQ(g_refreshes, 2);

  shell_.playing = true;
  Menu(m, 3, [&](HMENU menu) { seen = states(menu); });  // greyed: nothing happens
  EXPECT_EQ(seen, (std::vector<std::string>{"Clear peak", "Peak hold grey", "", "-24dB..0dB grey",
                                            "-48dB..0dB grey", "-60dB..0dB grey", "-96dB..0dB grey", "",
                                            "Settings... grey"}));
  EXPECT_EQ(TLevelControl::Settings().maxPickDb, 60.0f);
  EXPECT_EQ(g_refreshes, 2);
}

TEST_F(LevelControlTest, SettingsAsksTheTimeLineForTheMeterPage) {
  TTimeLine timeLine;
  ASSERT_TRUE(timeLine.Create());
  shell_.time_line = timeLine;
  Menu(dialog_->Left, 8);
  EXPECT_EQ(timeLine.requests, (std::vector<std::pair<int, int>>{{10, 4}}));
  // Without a time-line window the command does nothing.
  shell_.time_line = nullptr;
  Menu(dialog_->Left, 8);
  EXPECT_EQ(timeLine.requests.size(), 1u);
}

TEST(ScaleLabels, TheStepKeepsNumbersApartAndIsNeverZero) {
  struct Case {
    int extent;
    float maxPickDb;
    int len;
    int step;
  };
  const Case cases[] = {
      {13, 66, 200, 6}, {13, 12, 200, 1}, {13, 24, 200, 2},  {13, 96, 100, 18},
      {13, 96, 20, 96}, {13, 66, 0, 1},   {13, 66, 1, 1290}, {0, 66, 200, 1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ScaleStep(c.extent, c.maxPickDb, c.len), c.step)
        << c.extent << " " << c.maxPickDb << " " << c.len;
}

TEST(ScaleLabels, NumbersRunBothWaysFromTheZeroMarkAndNamesStandAlone) {
  AudioMeterSettings s;
  s.maxPickDb = 24;
  s.zeroVolumeDb = -12;
  auto texts = [](const std::vector<ScaleMark>& marks) {
    std::vector<std::string> out;
    for (const ScaleMark& m : marks)
      out.push_back(m.text + "@" + std::to_string(static_cast<int>(m.db)) + (m.tick ? "|" : ""));
    return out;
  };
  // 13 pixels on 100: a step of 6.
  EXPECT_EQ(texts(ScaleMarks(s, 13, 100)),
            (std::vector<std::string>{"0@12|", "+6@6", "+12@0", "-6@18", "-12@24"}));
  EXPECT_TRUE(ScaleMarks(s, 13, 0).empty());
  s.autoNumerate = false;
  s.volumeLabels[1] = -18;
  std::strcpy(s.nameLabels[1], "Ref");
  s.volumeLabels[2] = -30;  // beyond the 24 dB shown
  std::strcpy(s.nameLabels[2], "Low");
  EXPECT_EQ(texts(ScaleMarks(s, 13, 100)), (std::vector<std::string>{"dB@0|", "Ref@18|"}));
}

TEST_F(LevelControlTest, TheScaleMarksSitBesideTheMeterLevels) {
  // The scale's window starts 8 pixels above the meters: 0 dB at row 8,
  // and with 2 pixels a dB and a step of 6 (13-pixel text), -12 at row 32.
  TLabelControl* scale = dialog_->Scale;
  UpdateWindow(*scale);
  EXPECT_EQ(GuiReadPixel(*scale, 0, 8), RGB(0, 0, 255));  // the tick of "0"
  auto ink = [&](int y0, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = 2; x < 36; ++x) n += GuiReadPixel(*scale, x, y) == RGB(0, 0, 0);
    return n;
  };
  const TSize text = [&] {
    TClientDC dc(*scale);
    dc.SelectObject(ControlFont());
    return dc.GetTextExtent("+00", 3);
  }();
  const int step = ScaleStep(text.cy, 66, 132);
  const int y = 8 + 2 * 2 * step;  // the second number below 0
  EXPECT_GT(ink(y - 3, y + 3), 0);
  EXPECT_EQ(ink(y + step - 1, y + step + 1), 0) << "between two numbers";
}

}  // namespace
