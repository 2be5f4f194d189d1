#include <gtest/gtest.h>

#include "controls_test_util.h"

namespace {

class TrackbarTest : public ::testing::Test {
 protected:
  Host host;
};

TEST_F(TrackbarTest, RangePositionAndSizes) {
  HWND t = host.Add(TRACKBAR_CLASS, "", TBS_AUTOTICKS, 10, 10, 220, 30, 1);
  EXPECT_EQ(SendMessage(t, TBM_GETRANGEMIN, 0, 0), 0);
  EXPECT_EQ(SendMessage(t, TBM_GETRANGEMAX, 0, 0), 100);
  SendMessage(t, TBM_SETRANGE, TRUE, MAKELPARAM(-100, 100));
  EXPECT_EQ(SendMessage(t, TBM_GETRANGEMIN, 0, 0), -100);
  EXPECT_EQ(SendMessage(t, TBM_GETPAGESIZE, 0, 0), 40);  // a fifth of the range
  EXPECT_EQ(SendMessage(t, TBM_GETPOS, 0, 0), 0);
  SendMessage(t, TBM_SETPOS, TRUE, 250);
  EXPECT_EQ(SendMessage(t, TBM_GETPOS, 0, 0), 100);
  SendMessage(t, TBM_SETRANGEMAX, TRUE, 50);
  EXPECT_EQ(SendMessage(t, TBM_GETPOS, 0, 0), 50);
  EXPECT_EQ(SendMessage(t, TBM_SETPAGESIZE, 0, 5), 30);
  EXPECT_EQ(SendMessage(t, TBM_SETLINESIZE, 0, 2), 1);
  EXPECT_EQ(SendMessage(t, TBM_GETLINESIZE, 0, 0), 2);
  SendMessage(t, TBM_SETTICFREQ, 50, 0);
  EXPECT_EQ(SendMessage(t, TBM_GETNUMTICS, 0, 0), 4);  // -100, -50, 0, 50
  EXPECT_TRUE(host.notes.empty());
  // The thumb stands at its position along the channel.
  RECT thumb, channel;
  SendMessage(t, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  SendMessage(t, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
  EXPECT_GT(thumb.left, (channel.left + channel.right) / 2);
}

TEST_F(TrackbarTest, KeysMoveTheThumbAndTellTheParent) {
  HWND t = host.Add(TRACKBAR_CLASS, "", TBS_HORZ | WS_TABSTOP, 10, 10, 220, 30, 1221);
  SetFocus(t);
  EXPECT_EQ(SendMessage(t, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
  struct Step {
    int vk;
    int pos;
    WORD code;
  };
  const Step steps[] = {{VK_RIGHT, 1, TB_LINEDOWN}, {VK_NEXT, 21, TB_PAGEDOWN},   {VK_UP, 20, TB_LINEUP},
                        {VK_END, 100, TB_BOTTOM},   {VK_RIGHT, 100, TB_LINEDOWN}, {VK_HOME, 0, TB_TOP}};
  for (const Step& s : steps) {
    host.Clear();
    GuiPressKey(s.vk);
    Pump();
    EXPECT_EQ(SendMessage(t, TBM_GETPOS, 0, 0), s.pos) << s.vk;
    const auto notes = host.Of(WM_HSCROLL);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].code, s.code);
    EXPECT_EQ(notes[0].from, t);
    EXPECT_EQ(notes[1].code, TB_ENDTRACK);
  }
}

TEST_F(TrackbarTest, TheMouseDragsTheThumbAndPagesOnTheChannel) {
  HWND t = host.Add(TRACKBAR_CLASS, "", TBS_VERT | TBS_BOTH, 10, 10, 40, 216, 1432);
  RECT thumb;
  SendMessage(t, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  EXPECT_LT(thumb.top, 10);  // the minimum at the top
  // A click below the thumb pages down.
  GuiClick(t, 20, 150);
  Pump();
  EXPECT_EQ(GetFocus(), t);
  EXPECT_EQ(SendMessage(t, TBM_GETPOS, 0, 0), 20);
  EXPECT_EQ(host.Codes(WM_VSCROLL), (std::vector<UINT>{TB_PAGEDOWN, TB_ENDTRACK}));
  host.Clear();
  // Dragging the thumb to the far end: the centres run from 8 to 208.
  SendMessage(t, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  POINT grab{20, (thumb.top + thumb.bottom) / 2}, mid{20, 108}, end{20, 400};
  ClientToScreen(t, &grab);
  ClientToScreen(t, &mid);
  ClientToScreen(t, &end);
  GuiMouseMove(grab.x, grab.y);
  GuiMouseButton(0, true, grab.x, grab.y);
  GuiMouseMove(mid.x, mid.y);
  Pump();
  EXPECT_EQ(SendMessage(t, TBM_GETPOS, 0, 0), 50);
  GuiMouseMove(end.x, end.y);
  GuiMouseButton(0, false, end.x, end.y);
  Pump();
  EXPECT_EQ(SendMessage(t, TBM_GETPOS, 0, 0), 100);
  const auto notes = host.Of(WM_VSCROLL);
  ASSERT_EQ(notes.size(), 4u);
  EXPECT_EQ(notes[0].code, TB_THUMBTRACK);
  EXPECT_EQ(notes[0].pos, 50);
  EXPECT_EQ(notes[1].code, TB_THUMBTRACK);
  EXPECT_EQ(notes[2].code, TB_THUMBPOSITION);
  EXPECT_EQ(notes[2].pos, 100);
  EXPECT_EQ(notes[3].code, TB_ENDTRACK);
}

}  // namespace
