// What the panels show and where their buttons are.
#include "timeline/window/timeline_colors.h"
#include "panel_fixture.h"

namespace paneltest {
namespace {

using Painting = PanelTest;

TEST_F(Painting, TheZonesOfAnAudioRowWithEffects) {
  OpenPanels({1, 3, 1, 1});
  AudioRow(0).effects = GainList({1.0f});
  TAVButtons& p = AudioPanel();
  const int w = Right(p);
  ASSERT_EQ(AudioRow(0).height, 48);
  struct Case {
    int x, y;
    int32_t zone, row;
  };
  const Case cases[] = {
      {w - 16, 0, kPanelZoneSolo, 0},
      {w - 1, 23, kPanelZoneSolo, 0},
      {w - 32, 24, kPanelZoneMute, 0},
      {w - 16, 47, kPanelZoneMute, 0},
      {w - 16, 48, kPanelZoneNone, 0},
      {w - 33, 10, kPanelZoneName, 0},
      {0, 47, kPanelZoneEffects, 0},
      {5, 43, kPanelZoneEffects, 0},
      {6, 43, kPanelZoneName, 0},
      {0, 38, kPanelZoneEffects, 0},
      {0, 37, kPanelZoneName, 0},
      {0, 48, kPanelZoneEffects, 0},
      // The folded row answers nothing, and the next row has no effects.
      {w - 16, 52, kPanelZoneNone, 1},
      {5, 52, kPanelZoneNone, 1},
      {0, 62 + 46, kPanelZoneName, 2},
  };
  for (const Case& c : cases) {
    int32_t row = -2;
    EXPECT_EQ(p.HitTest(TPoint(c.x, c.y), row), c.zone) << c.x << "," << c.y;
    EXPECT_EQ(row, c.row) << c.x << "," << c.y;
  }
  // The VFX panel has no buttons: its right column names the line.
  int32_t row = -1;
  EXPECT_EQ(window_->VFXHeader()->HitTest(TPoint(Right(*window_->VFXHeader()) - 4, 10), row), kPanelZoneName);
}

TEST_F(Painting, WithoutZoomKeysEveryRowIsFortyEightPixelsHigh) {
  MainTimeLineWindow& w = Open(1000, 760, &players_);
  for (TrackPanel* panel :
       {&w.Engine().videoPanel, &w.Engine().vfxPanel, &w.Engine().midiPanel, &w.Engine().audioPanel}) {
    for (int32_t i = 0; i < panel->rowCount; ++i) EXPECT_EQ((*panel)[i].height, 48) << i;
  }
}

// Pixels of a colour in a rectangle of a panel.
int CountColour(TAVButtons& p, const TRect& r, COLORREF colour) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) n += GuiReadPixel(p.GetHandle(), x, y) == colour;
  }
  return n;
}

TEST_F(Painting, InactiveRowsAreGreyAndTheTriangleShowsWhetherTheEffectsAreUsed) {
  OpenPanels();
  AudioRow(1).mute = 1;
  EffectList* used = GainList({1.0f});
  EffectList* bypassed = GainList({1.0f});
  bypassed->bypass = 1;
  AudioRow(2).effects = used;
  AudioRow(3).effects = bypassed;
  AudioPanel().Invalidate(false);
  GuiPumpMessages();

  const int names = Right(AudioPanel()) - kPanelButtonWidth;
  auto label = [&](int32_t row) { return TRect(0, AudioRow(row).top, names, AudioRow(row).top + 11); };
  const COLORREF black = RGB(0, 0, 0), grey = RGB(0x80, 0x80, 0x80);
  EXPECT_GT(CountColour(AudioPanel(), label(0), black), 5);
  EXPECT_EQ(CountColour(AudioPanel(), label(0), grey), 0);
  EXPECT_GT(CountColour(AudioPanel(), label(1), grey), 5);
  EXPECT_EQ(CountColour(AudioPanel(), label(1), black), 0);
  // Without a sound output no line is active.
  players_.audio = false;
  AudioPanel().Invalidate(false);
  GuiPumpMessages();
  EXPECT_EQ(CountColour(AudioPanel(), label(0), black), 0);

  EXPECT_EQ(GuiReadPixel(AudioPanel().GetHandle(), 1, AudioRow(2).bottom - 1),
            TimeLineColors[kColorUsedEffects]);
  EXPECT_EQ(GuiReadPixel(AudioPanel().GetHandle(), 1, AudioRow(3).bottom - 1),
            TimeLineColors[kColorNonUsedEffects]);
  EXPECT_EQ(GuiReadPixel(AudioPanel().GetHandle(), 1, AudioRow(0).bottom - 1), RGB(0xC0, 0xC0, 0xC0));
}

TEST_F(Painting, AFoldedRowSaysSoloOrMuteInItsButtonColumn) {
  OpenPanels({3, 3, 3, 3});
  AudioRow(0).solo = 1;
  AudioRow(1).mute = 1;
  AudioPanel().Invalidate(false);
  GuiPumpMessages();
  const COLORREF black = RGB(0, 0, 0), grey = RGB(0x80, 0x80, 0x80);
  auto column = [&](int32_t row) {
    return TRect(Right(AudioPanel()) - kPanelButtonWidth, AudioRow(row).top, Right(AudioPanel()),
                 AudioRow(row).bottom + 1);
  };
  auto shown = [&](int32_t row) {
    std::vector<bool> dots;
    const TRect r = column(row);
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) {
        const COLORREF c = GuiReadPixel(AudioPanel().GetHandle(), x, y);
        dots.push_back(c == black || c == grey);
      }
    }
    return dots;
  };
  const std::vector<bool> solo = shown(0), mute = shown(1), none = shown(2);
  EXPECT_GT(std::count(solo.begin(), solo.end(), true), 5);
  EXPECT_GT(std::count(mute.begin(), mute.end(), true), 5);
  EXPECT_EQ(std::count(none.begin(), none.end(), true), 0);
  EXPECT_NE(solo, mute);
  // Folded rows draw no buttons.
  int32_t row = -1;
  EXPECT_EQ(AudioPanel().HitTest(TPoint(Right(AudioPanel()) - 4, AudioRow(0).top + 2), row), kPanelZoneNone);
}

}  // namespace
}  // namespace paneltest

namespace paneltest {
namespace {

TEST_F(Painting, OverTheTriangleThePointerBecomesTheEffectsHand) {
  OpenPanels();
  AudioRow(1).effects = GainList({1.0f});
  auto moveTo = [&](POINT p) {
    POINT s = p;
    ClientToScreen(AudioPanel().GetHandle(), &s);
    GuiMouseMove(s.x, s.y);
    GuiPumpMessages();
  };
  auto classCursor = [&] {
    return reinterpret_cast<HCURSOR>(GetClassLongPtr(AudioPanel().GetHandle(), GCLP_HCURSOR));
  };
  moveTo(Triangle(AudioPanel(), 1));
  EXPECT_EQ(AudioPanel().CursorKind(), 14);
  EXPECT_EQ(classCursor(), window_->Cursor(kCursorEffects));
  moveTo(NameArea(AudioPanel(), 1));
  EXPECT_EQ(AudioPanel().CursorKind(), 0);
  EXPECT_EQ(classCursor(), window_->Cursor(0));
}

}  // namespace
}  // namespace paneltest
