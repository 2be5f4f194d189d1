// The header strip inside the real time-line window, in a frame with a
// status bar and a menu bar whose fifth menu is the Range menu. What other
// parts of the window do for the strip (playing, scrolling, the master
// effects, the "Set Size" and range dialogs) is recorded; the time and name
// dialogs are scripted.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "model/undo_history.h"
#include "platform/classlib/gadgets.h"
#include "platform/gui/modal.h"
#include "timeline/header/header_dialogs.h"
#include "timeline/window/timeline_fixture.h"

namespace striptest {

class RecordingTimeLine : public MainTimeLineWindow {
 public:
  using MainTimeLineWindow::MainTimeLineWindow;

  void PlayOnce(int32_t start, int32_t end) override { plays.emplace_back(start, end); }
  void EvHScroll(UINT code, UINT pos, HWND control) override {
    scrolls.emplace_back(code, pos);
    MainTimeLineWindow::EvHScroll(code, pos, control);
  }
  void CmSelectionTime() override { ++selectionTimeAsked; }
  void CmMasterEffects() override { ++masterEffectsAsked; }
  void CmUseMasterEffects() override { ++useMasterEffectsAsked; }
  void CmIncludeAllClips() override { ++includeAllClipsAsked; }
  bool AskTimeRange(const char* caption, int32_t, int32_t, int32_t&, int32_t&) override {
    rangeAsked.push_back(caption);
    return false;
  }

  std::vector<std::pair<int32_t, int32_t>> plays;
  std::vector<std::pair<UINT, UINT>> scrolls;
  int selectionTimeAsked = 0;
  int masterEffectsAsked = 0;
  int useMasterEffectsAsked = 0;
  int includeAllClipsAsked = 0;
  std::vector<std::string> rangeAsked;
};

// The project frame as far as the strip needs it.
class StripFrame : public timelinetest::TestFrame {
 public:
  explicit StripFrame(TWindow* client) : TestFrame(client) {
    status = new TStatusBar(this);
    Insert(*status, Bottom);
  }
  void SetupWindow() override {
    TestFrame::SetupWindow();
    HMENU bar = CreateMenu();
    for (const char* name : {"&File", "&Edit", "&View", "&Play"}) {
      HMENU popup = CreatePopupMenu();
      AppendMenu(popup, MF_STRING, 9000, "Item");
      AppendMenu(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), name);
    }
    range = CreatePopupMenu();
    AppendMenu(range, MF_STRING, 631, "&Zoom in range");
    AppendMenu(range, MF_STRING, 632, "Include &all clips");
    AppendMenu(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(range), "&Range");
    ::SetMenu(GetHandle(), bar);
  }
  std::string StatusText() const { return status->GetText(); }

  TStatusBar* status = nullptr;
  HMENU range = nullptr;
};

// Answers the time and name dialogs from a script, keeping what was asked.
class ScriptedDialogs : public HeaderDialogs {
 public:
  ScriptedDialogs() { before_ = SetHeaderDialogs(this); }
  ~ScriptedDialogs() override { SetHeaderDialogs(before_); }

  struct Asked {
    std::string title;
    int32_t value, lo, hi;
    std::string name;
  };
  bool AskTime(HWND, const char* title, int32_t& time, int32_t lo, int32_t hi) override {
    asked.push_back({title, time, lo, hi, ""});
    if (!answerTime) return false;
    time = *answerTime;
    return true;
  }
  bool AskName(HWND, const char* title, char* name, int size) override {
    asked.push_back({title, 0, 0, 0, name});
    if (!answerName) return false;
    std::snprintf(name, static_cast<std::size_t>(size), "%s", answerName->c_str());
    return true;
  }

  std::vector<Asked> asked;
  std::optional<int32_t> answerTime;  // none: Cancel
  std::optional<std::string> answerName;

 private:
  HeaderDialogs* before_ = nullptr;
};

// Players with a usable sound output, so that audio lines take part.
class AudiblePlayers : public TimeLinePlayers {
 public:
  bool AudioUsable() override { return true; }
  void NotifyMixer(int32_t code, int32_t arg) override { mixerNotices.emplace_back(code, arg); }
  std::vector<std::pair<int32_t, int32_t>> mixerNotices;
};

// One item of an open popup menu.
struct MenuItem {
  UINT id;
  std::string text;
  UINT state;
};

inline std::vector<MenuItem> ReadMenu(HMENU menu) {
  std::vector<MenuItem> items;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    char text[128] = {};
    GetMenuString(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    items.push_back({GetMenuItemID(menu, i), text, GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION)});
  }
  return items;
}

class StripTest : public timelinetest::TimeLineTest {
 protected:
  void TearDown() override {
    SetModalHook(nullptr);
    TimeLineTest::TearDown();
  }

  RecordingTimeLine& OpenStrip(TimeLinePlayers* players = nullptr, int w = 1000, int h = 700) {
    auto* window = new RecordingTimeLine(nullptr, players != nullptr ? players : &players_);
    window_ = window;
    strip_ = window;
    stripFrame_ = new StripFrame(window);
    frame_ = stripFrame_;
    frame_->Attr.X = 40;
    frame_->Attr.Y = 40;
    frame_->Attr.W = w;
    frame_->Attr.H = h;
    EXPECT_TRUE(frame_->Create());
    frame_->Show(SW_SHOWNORMAL);
    GuiPumpMessages();
    window->SendMessage(kTimeLineRequestMessage, kRequestMeasureTimeText, 0);
    GuiPumpMessages();
    return *window;
  }
  TimeLineEngine& Engine() { return window_->Engine(); }
  std::string Status() const { return stripFrame_->StatusText(); }

  // Input at client points of a control, as the user gives it.
  static TPoint ScreenOf(TWindow* w, int x, int y) {
    TPoint p(x, y);
    w->ClientToScreen(p);
    return p;
  }
  static void Press(TWindow* w, int x, int y, int button = 0) {
    const TPoint p = ScreenOf(w, x, y);
    GuiMouseMove(p.x, p.y);
    GuiMouseButton(button, true, p.x, p.y);
    GuiPumpMessages();
  }
  static void MoveTo(TWindow* w, int x, int y) {
    const TPoint p = ScreenOf(w, x, y);
    GuiMouseMove(p.x, p.y);
    GuiPumpMessages();
  }
  static void Release(TWindow* w, int x, int y, int button = 0) {
    const TPoint p = ScreenOf(w, x, y);
    GuiMouseButton(button, false, p.x, p.y);
    GuiPumpMessages();
  }
  static void DoubleClick(TWindow* w, int x, int y) {
    GuiClick(w->GetHandle(), x, y);
    GuiClick(w->GetHandle(), x, y);
    GuiPumpMessages();
  }
  // A right click whose popup menu hook sees the menu; choose: the command
  // to click in it, 0 for none.
  static void RightClick(TWindow* w, int x, int y, const std::function<void(HMENU)>& read, UINT choose = 0) {
    bool opened = false;
    SetModalHook([&](HWND popup) {
      opened = true;
      HMENU menu = reinterpret_cast<HMENU>(SendMessage(popup, MN_GETHMENU, 0, 0));
      if (read) read(menu);
      if (choose == 0) return;
      for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        if (GetMenuItemID(menu, i) != choose) continue;
        RECT r;
        ASSERT_TRUE(GetMenuItemRect(popup, menu, static_cast<UINT>(i), &r));
        const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
        GuiMouseMove(cx, cy);
        GuiMouseButton(0, true, cx, cy);
        GuiMouseButton(0, false, cx, cy);
        return;
      }
      ADD_FAILURE() << "no item " << choose;
    });
    Press(w, x, y, 1);
    Release(w, x, y, 1);
    SetModalHook(nullptr);
    GuiPumpMessages();
    EXPECT_TRUE(opened) << "no menu at " << x << "," << y;
  }

  // Undo steps the history can go back.
  static int UndoSteps() {
    int n = 0;
    for (int32_t i = UndoScript::Current() + 1; i < kUndoSlotCount && UndoScript::Slot(i) != nullptr; ++i)
      ++n;
    return n;
  }

  AudiblePlayers players_;
  RecordingTimeLine* strip_ = nullptr;
  StripFrame* stripFrame_ = nullptr;
};

}  // namespace striptest
