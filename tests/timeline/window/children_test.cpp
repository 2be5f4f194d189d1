#include <gtest/gtest.h>

#include <string>

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

using ChildrenTest = TimeLineTest;

std::string ClassOf(HWND h) {
  char name[64] = {};
  GetClassName(h, name, sizeof name);
  return name;
}

std::string TitleOf(HWND h) {
  char text[64] = {};
  GetWindowText(h, text, sizeof text);
  return text;
}

// Each child paints all of its area: none has a class background.
TEST_F(ChildrenTest, EachChildHasItsClassTitleAndNoBackgroundBrush) {
  MainTimeLineWindow& w = Open();
  struct Child {
    TWindow* window;
    const char* className;
    const char* title;
    bool border;
  };
  const Child children[] = {
      {&w, "TMainWndName", "MainTLWindow", false},  // a frame's client has no border of its own
      {w.Overview(), "FullSizeLine", "ScriptWindow", false},
      {w.SelStartText(), "SelStartText", "SelStartText", true},
      {w.SelSizeText(), "SelSizeText", "SelSizeText", true},
      {w.CurTimeText(), "CurTimeText", "CurTimeText", true},
      {w.SelectionText(), "SelectionText", "SelectionText", true},
      {w.TimeRuler(), "TimeCodeLine", "TimeCodeLine", true},
      {w.SelectionLine(), "SelectionLine", "SelectionLine", true},
      {w.VFXLine(), "VFXLine", "VFXLine", true},
      {w.VideoLine(), "VideoLine", "VideoLine", true},
      {w.MidiLine(), "MidiLine", "MidiLine", true},
      {w.AudioLines(), "AudioLines", "AudioLines", true},
      {w.AudioHeader(), "AVButtons", "AVButtons", true},
  };
  for (const Child& c : children) {
    HWND h = c.window->GetHandle();
    ASSERT_NE(h, nullptr) << c.className;
    EXPECT_EQ(ClassOf(h), c.className);
    EXPECT_EQ(TitleOf(h), c.title);
    EXPECT_EQ(GetClassLongPtr(h, GCLP_HBRBACKGROUND), 0u) << c.className;
    const LONG style = GetWindowLong(h, GWL_STYLE);
    EXPECT_TRUE(style & WS_CHILD) << c.className;
    EXPECT_EQ((style & WS_BORDER) != 0, c.border) << c.className;
  }
  EXPECT_EQ(w.ScaleList()->GetId(), kScaleListId);
  EXPECT_EQ(w.SetSizeButton()->GetId(), kSetSizeButtonId);
  EXPECT_EQ(TitleOf(w.SetSizeButton()->GetHandle()), "Set Size");
  EXPECT_EQ(w.HorzScrollBar()->GetId(), kHorzScrollBarId);
  EXPECT_EQ(w.VertScrollBar()->GetId(), kVertScrollBarId);
  for (int id : {kCmZoomToProject, kCmZoomInRange, kCmZoomIn, kCmZoomOut}) {
    HWND button = w.GetDlgItem(id);
    ASSERT_NE(button, nullptr) << id;
    EXPECT_EQ(PlaceOf(TWindow::GetWindowPtr(button)).Width(), 16);
  }
  EXPECT_EQ(TheTimeLine, &w);
}

// The header panels set up the engine's rows from the settings.
TEST_F(ChildrenTest, HeaderRowsTakeTheirHeightsFromTheSettingsAndTheirNames) {
  Ini("TIMELINE", "ZOOM_AUDIO1", "0");
  Ini("TIMELINE", "ZOOM_AUDIO2", "2");
  Ini("TIMELINE", "ZOOM_VIDEO0", "3");
  Ini("TIMELINE", "ZOOM_VFX", "9");
  MainTimeLineWindow& w = Open();
  const TimeLineEngine& e = w.Engine();
  EXPECT_EQ(e.audioPanel[0].height, 48);
  EXPECT_EQ(e.audioPanel[1].height, 96);
  EXPECT_EQ(e.audioPanel[2].height, 24);
  EXPECT_EQ(e.videoPanel[0].height, 12);
  EXPECT_EQ(e.vfxPanel[0].zoom, 1);
  EXPECT_STREQ(e.audioPanel[3].name, "Audio track number 4");
  EXPECT_STREQ(e.videoPanel[1].name, "Video track number 2");
  EXPECT_STREQ(e.midiPanel[0].name, "Midi track");
  EXPECT_STREQ(e.vfxPanel[0].name, "Video FX track");
  EXPECT_EQ(e.audioPanel[1].top, 49);
  EXPECT_EQ(e.audioPanel[2].top, 49 + 97);
}

}  // namespace
}  // namespace timelinetest
