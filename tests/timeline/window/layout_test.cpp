#include <gtest/gtest.h>

#include "timeline/header/av_buttons.h"
#include "timeline/header/cur_time_text.h"
#include "timeline/header/full_size_line.h"
#include "timeline/header/scale_list.h"
#include "timeline/header/sel_size_text.h"
#include "timeline/header/sel_start_text.h"
#include "timeline/header/selection_line.h"
#include "timeline/header/selection_text.h"
#include "timeline/header/time_code.h"
#include "timeline/lines/audio_lines.h"
#include "timeline/lines/midi_line.h"
#include "timeline/lines/vfx_line.h"
#include "timeline/lines/video_line.h"
#include "timeline_fixture.h"

namespace timelinetest {
namespace {

using LayoutTest = TimeLineTest;

struct Box {
  int x, y, w, h;
  bool operator==(const Box&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Box& b) {
  return os << "(" << b.x << "," << b.y << " " << b.w << "x" << b.h << ")";
}

Box BoxOf(const TRect& r) {
  return {r.left, r.top, r.Width(), r.Height()};
}

SIZE TextExtent(HFONT font, const char* text) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32(dc, text, static_cast<int>(strlen(text)), &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return size;
}

// The last audio line shown ends exactly at the bottom of the lines' area.
bool AudioLinesEndOnWholeLine(MainTimeLineWindow& w) {
  const TrackPanel& a = w.Engine().audioPanel;
  const int32_t client = w.AudioLines()->GetClientRect().Height();
  for (int32_t i = 0; i < w.Engine().audioLineCount; ++i) {
    if (a[i].bottom + 1 == client) return true;
  }
  return false;
}

TEST_F(LayoutTest, TheHeaderBoxesAndRowsSitWhereTheTimeTextPutsThem) {
  MainTimeLineWindow& w = Open(1000, 700);
  const SIZE text = TextExtent(w.TimeFont(), " 00:00:00:000ms ");
  const int W = text.cx, H = text.cy;
  ASSERT_EQ(w.TimeTextWidth(), W);
  EXPECT_EQ(w.CellWidth(), 2 * (2 * W / 3));
  EXPECT_EQ(w.RulerHeight(), H + 6);
  const int B = H + H / 6 + 2;
  const int K = PlaceOf(w.ScaleList()).Height();
  ASSERT_GE((K + B - 7) / 7, 2);
  const int hw = w.HeaderWidth();
  EXPECT_EQ(hw, 70);

  EXPECT_EQ(BoxOf(PlaceOf(w.SelStartText())), (Box{4, 4, W, B}));
  EXPECT_EQ(BoxOf(PlaceOf(w.SelSizeText())), (Box{4 + W, 4, W, B}));
  EXPECT_EQ(BoxOf(PlaceOf(w.SetSizeButton())), (Box{4, 4 + B, W, K}));
  EXPECT_EQ(PlaceOf(w.ScaleList()).left, 4 + W);
  EXPECT_EQ(PlaceOf(w.ScaleList()).top, 4 + B);
  const int rowHeight = (K + B - 7) / 7;
  EXPECT_EQ(w.OverviewRowHeight(), rowHeight);
  const TRect overview = PlaceOf(w.Overview());
  EXPECT_EQ(overview.left, 2 * (4 + W));
  EXPECT_EQ(overview.Height(), 7 * rowHeight + 7);

  const int R = 4 + B + K + 4;
  const int rulerRow = 2 + H + 6;
  EXPECT_EQ(BoxOf(PlaceOf(w.CurTimeText())), (Box{4, R, hw - 4, rulerRow}));
  EXPECT_EQ(PlaceOf(w.TimeRuler()).left, hw);
  EXPECT_EQ(PlaceOf(w.TimeRuler()).top, R);
  const int selection = R + rulerRow;
  EXPECT_EQ(BoxOf(PlaceOf(w.SelectionText())), (Box{4, selection, hw - 4, 11}));
  EXPECT_EQ(PlaceOf(w.SelectionLine()).top, selection);
  const int top = selection + 11;
  EXPECT_EQ(w.LineAreaTop(), top);

  // Rows of 48 pixels (no zoom keys), one border apart.
  const TRect vfx = PlaceOf(w.VFXLine());
  EXPECT_EQ(BoxOf(vfx), (Box{hw, top, vfx.Width(), 48 + 2}));
  EXPECT_EQ(BoxOf(PlaceOf(w.VFXHeader())), (Box{4, top, hw - 4, 50}));
  EXPECT_EQ(BoxOf(PlaceOf(w.VideoLine())), (Box{hw, top + 50, vfx.Width(), 2 * 49 + 1}));
  const TRect audio = PlaceOf(w.AudioLines());
  EXPECT_EQ(audio.top, top + 50 + 99);
  EXPECT_EQ(PlaceOf(w.AudioHeader()).top, audio.top);
  const TrackPanel& a = w.Engine().audioPanel;
  for (int32_t i = 0; i < 4; ++i) {
    EXPECT_EQ(a[i].top, 49 * i) << i;
    EXPECT_EQ(a[i].middle, 49 * i + 23) << i;
    EXPECT_EQ(a[i].bottom, 49 * i + 47) << i;
  }
  EXPECT_EQ(w.Engine().videoPanel[1].top, 49);
  // The time area is the lines' client width; the zoom buttons and the
  // horizontal bar sit under the lines.
  EXPECT_EQ(w.Engine().width, vfx.Width() - 2);
  const TRect bar = PlaceOf(w.HorzScrollBar());
  EXPECT_EQ(BoxOf(bar), (Box{hw, audio.bottom, vfx.Width(), 16}));
  EXPECT_EQ(w.AudioAreaExtent(), audio.bottom);
  EXPECT_FALSE(IsWindowVisible(w.MidiLine()->GetHandle()));
}

TEST_F(LayoutTest, TheFrameSnapsToWholeAudioLinesOnlyAfterTheFirstTenSizeEvents) {
  MainTimeLineWindow& w = Open(1000, 700);
  // The user's sizes stand while the window is young.
  SizeFrame(1000, 611);
  EXPECT_EQ(FrameRect().Height(), 611);
  int tries = 0;
  while (FrameRect().Height() == 611 + tries && tries < 12) {
    ++tries;
    SizeFrame(1000, 611 + tries);
  }
  // Ten events pass before the frame follows the layout.
  EXPECT_GE(tries, 6);
  EXPECT_LE(tries, 10);
  EXPECT_TRUE(AudioLinesEndOnWholeLine(w));
  const TRect client = w.GetClientRect();
  EXPECT_EQ(PlaceOf(w.HorzScrollBar()).bottom + 4, client.bottom);

  // From now on every size snaps.
  SizeFrame(1000, 500);
  EXPECT_NE(FrameRect().Height(), 500);
  EXPECT_TRUE(AudioLinesEndOnWholeLine(w));

  // A maximised frame keeps its size.
  frame_->Show(SW_MAXIMIZE);
  GuiPumpMessages();
  EXPECT_EQ(FrameRect().Height(), GetSystemMetrics(SM_CYSCREEN) + 2 * GetSystemMetrics(SM_CYFRAME));
}

TEST_F(LayoutTest, FourFittingLinesHideTheVerticalBarFewerShowIt) {
  MainTimeLineWindow& w = Open(1000, 800);
  EXPECT_FALSE(IsWindowVisible(w.VertScrollBar()->GetHandle()));
  EXPECT_EQ(w.Engine().audioPanel.firstShown, 0);

  SizeFrame(1000, 360);
  EXPECT_TRUE(IsWindowVisible(w.VertScrollBar()->GetHandle()));
  int min = -1, max = -1;
  w.VertScrollBar()->GetRange(min, max);
  EXPECT_EQ(min, 0);
  EXPECT_GE(max, 1);
  const int barRight = PlaceOf(w.VertScrollBar()).right;
  EXPECT_LE(barRight, w.GetClientRect().right);

  SizeFrame(1000, 800);
  EXPECT_FALSE(IsWindowVisible(w.VertScrollBar()->GetHandle()));
}

TEST_F(LayoutTest, ANarrowWindowKeepsATimeAreaOfTwoCells) {
  MainTimeLineWindow& w = Open(1000, 700);
  SizeFrame(150, 700);
  EXPECT_EQ(w.Engine().width, 2 * w.CellWidth());
}

TEST_F(LayoutTest, AShortProjectDisablesTheHorizontalBar) {
  MainTimeLineWindow& w = Open(1000, 700);
  TimeLineEngine& e = w.Engine();
  e.ZoomToRange(0, e.length);
  EXPECT_FALSE(IsWindowEnabled(w.HorzScrollBar()->GetHandle()));
  EXPECT_EQ(e.origin, 0);

  e.SetLength(600000);
  e.ZoomToRange(300000, 310000);
  EXPECT_TRUE(IsWindowEnabled(w.HorzScrollBar()->GetHandle()));
  int min = -1, max = -1;
  w.HorzScrollBar()->GetRange(min, max);
  EXPECT_GT(max, 0);
  EXPECT_EQ(w.HorzScrollBar()->GetPosition(), e.origin / e.ScrollStep());
}

TEST_F(LayoutTest, TheMidiLineNeverTakesRoom) {
  MainTimeLineWindow& w = Open(1000, 700);
  w.Engine().showMidi = true;
  SizeFrame(1000, 690);
  EXPECT_FALSE(w.Engine().showMidi);
  EXPECT_FALSE(IsWindowVisible(w.MidiLine()->GetHandle()));
  EXPECT_FALSE(IsWindowVisible(w.MidiHeader()->GetHandle()));
}

TEST_F(LayoutTest, AMonoOutputLeavesOnlyTheVolumeProfile) {
  struct Case {
    WORD channels;
    int32_t mode;
  };
  for (const Case c : {Case{2, kProfileVolume}, Case{1, kProfileVolumeOnly}}) {
    MainTimeLineWindow& w = Open();
    OutputFormat.nChannels = c.channels;
    w.SendMessage(kTimeLineRequestMessage, kRequestMeasureTimeText, 0);
    EXPECT_EQ(w.Settings().profileMode, c.mode) << c.channels;
    Close();
  }
}

TEST_F(LayoutTest, TheMinimumTrackingSize) {
  MainTimeLineWindow& w = Open();
  MINMAXINFO info{};
  w.SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 600);
  EXPECT_EQ(info.ptMinTrackSize.y, 300);
}

TEST_F(LayoutTest, HiddenGroupsLeaveTheirRoomToTheAudioLines) {
  Ini("TIMELINE", "SHOW_VIDEO", "0");
  MainTimeLineWindow& w = Open(1000, 700);
  EXPECT_FALSE(IsWindowVisible(w.VideoLine()->GetHandle()));
  EXPECT_FALSE(IsWindowVisible(w.VFXHeader()->GetHandle()));
  EXPECT_EQ(PlaceOf(w.AudioLines()).top, w.LineAreaTop());
}

}  // namespace
}  // namespace timelinetest
