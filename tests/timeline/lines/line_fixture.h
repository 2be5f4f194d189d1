// What the tests of the clip lines share: the time-line window with what
// other parts of it will fill recorded, the clip collection as a drop
// target, the lines' dialogs answered by script, and a driver of the lines'
// popup menus that reads them and chooses in them as a user does.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/edit_operations.h"
#include "timeline/lines/line_mechanics.h"
#include "timeline/window/main_timeline_window.h"

class EffectList;

namespace linetest {

struct Point {
  int x, y;
  bool operator==(const Point&) const = default;
};

// The time-line with what other parts of it will fill recorded.
class RecordingTimeLine : public MainTimeLineWindow {
 public:
  using MainTimeLineWindow::MainTimeLineWindow;

  void EvHScroll(UINT code, UINT pos, HWND control) override {
    scrolls.push_back(code);
    MainTimeLineWindow::EvHScroll(code, pos, control);
  }
  void EvVScroll(UINT code, UINT pos, HWND control) override {
    vscrolls.push_back(code);
    MainTimeLineWindow::EvVScroll(code, pos, control);
  }
  void BeginRubberBand(int x, int y) override { Log("rubber band", x, y); }
  void RouteRangeClick(bool shift, int x, int y) override {
    Log(shift ? "range click shift" : "range click", x, y);
  }
  void PlayOnce(int32_t start, int32_t end) override { Log("play once", start, end); }
  void LaunchTool(int command, const char* file) override { Log("tool " + std::string(file), command, 0); }
  void CmDelete() override { Log("delete selected"); }
  void CmCut() override { Log("cut selected"); }
  void CmCopy() override { Log("copy selected"); }
  void CutClipToClipboard(Film* film) override;
  void CopyClipToClipboard(Film* film) override;
  void AddSourceFileOfKind(int32_t kind) override { Log("add source", kind, 0); }
  void ShowStatusText(const char* text) override {
    status = text;
    MainTimeLineWindow::ShowStatusText(text);
  }
  // Gravity to the one mark at snapTarget (none when negative).
  int32_t SnapToNearestEdge(int32_t& time, int32_t filter) override {
    snapFilters.push_back(filter);
    if (snapTarget < 0) return INT32_MAX;
    const int32_t d = std::abs(time - snapTarget);
    if (d > Engine().gravityDistanceMs) return d;
    time = snapTarget;
    return d;
  }

  void Log(const std::string& what, int a = 0, int b = 0) {
    calls.push_back(what);
    args.push_back({a, b});
  }

  std::vector<std::string> calls;
  std::vector<Point> args;
  std::vector<UINT> scrolls, vscrolls;
  std::vector<int32_t> snapFilters;
  int32_t snapTarget = -1;
  std::string status;
};

// The clip collection as a drop target: a window of its own beside the
// time-line that keeps what is dropped on it.
class FakeCollection : public ClipCollectionTarget {
 public:
  FakeCollection();
  ~FakeCollection() override;
  HWND Window() override { return window; }
  bool PasteClip(Film* film, int* answer) override;
  void MarkClipsModified(bool modified) override { clipsModified = modified; }
  HWND window = nullptr;
  std::vector<std::string> pasted;
  bool clipsModified = false;
};

// The lines' dialogs answered by script: names and times given, level
// popups and the effect-list dialog played by functions that act on what
// the dialog would edit. ok answers each of them.
class ScriptedDialogs : public LineDialogs {
 public:
  ScriptedDialogs() { before_ = SetLineDialogs(this); }
  ~ScriptedDialogs() override { SetLineDialogs(before_); }
  bool EditName(HWND, const char* caption, char* text, int size) override;
  bool EditTime(HWND, const char* caption, int32_t& t, int32_t lo, int32_t hi) override;
  // The popups write both values at once and put them back on Cancel, as
  // the real ones do; level sets the value they end with.
  bool EditLevel(HWND, const char* caption, const RECT& rect, int x, int y, int32_t* gain,
                 int32_t* gain2) override;
  bool EditBalance(HWND, const char* caption, const RECT& rect, int x, int y, int32_t* balance,
                   int32_t* balance2) override;
  bool EditVolumeBalance(HWND, const char* caption, const RECT& rect, int x, int y, int32_t* gain,
                         int32_t* balance) override;
  bool EditEffects(HWND, EffectList* list, Film* film) override;

  bool ok = true;
  std::string name;
  int32_t time = 0;
  int32_t level = 0;
  int32_t balance = 0;
  // Runs while the popup or the effect-list dialog is up.
  std::function<void()> whileOpen;
  std::function<void(EffectList*, Film*)> effects;
  std::vector<std::string> captions, asked;
  std::vector<Point> limits;
  // Where the level popups were placed, and what they opened with.
  std::vector<Point> places;
  std::vector<RECT> rects;
  std::vector<int32_t> opened;

 private:
  LineDialogs* before_;
};

// A popup menu's items as "text=command", "text=command grey",
// "text=command checked", "-" for a separator, "text>" before a submenu's
// items, which read "text>item...".
std::vector<std::string> ReadMenu(HMENU menu);
// A right click at screen point p over line: what its menu showed, after
// choosing command there (0: nothing), with a mouse click for an item of
// the menu itself and the keys for an item of a submenu.
std::vector<std::string> RightClickMenu(HWND line, POINT p, UINT command = 0);

// The user's mouse and keys at client point (x, y) of line, each ending with
// the messages pumped: the pointer moved there, the left button pressed or
// released there, a click of button (0 left, 1 right), a key going down or up.
POINT LineScreenPoint(HWND line, int x, int y);
void MouseMoveOver(HWND line, int x, int y);
void MousePressOn(HWND line, int x, int y);
void MouseReleaseOn(HWND line, int x, int y);
void MouseClickOn(HWND line, int x, int y, int button);
void MouseDoubleClickOn(HWND line, int x, int y);
void KeyStroke(int vk, bool down);

}  // namespace linetest
