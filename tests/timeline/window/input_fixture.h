// The time-line window with what its input reaches recorded: a frame that
// loads the time-line's keys and carries the mode buttons on a tool bar, a
// window that records the exports, the lines' idle redraws and the keys
// handed to a drag, a driven clock for timer 1 and scripted dialogs.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/engine_fakes.h"
#include "platform/classlib/gadgets.h"
#include "platform/core/time.h"
#include "timeline/window/timeline_dialogs.h"
#include "timeline_fixture.h"

namespace timelinetest {

class InputTimeLine : public MainTimeLineWindow {
 public:
  explicit InputTimeLine(TimeLinePlayers* players) : MainTimeLineWindow(nullptr, players) {}
  bool WriteAvi(int32_t kind, const char*) override {
    exports.push_back("avi " + std::to_string(kind));
    return true;
  }
  bool WriteAudio(int32_t kind, const char*) override {
    exports.push_back("audio " + std::to_string(kind));
    return true;
  }
  bool DrawPendingClipOn(int32_t kind, Film* film) override;
  bool PassDragKey(int vk) override {
    dragKeys.push_back(vk);
    return lineDragging || MainTimeLineWindow::PassDragKey(vk);
  }

  struct Redraw {
    int32_t kind;
    Film* film;
    bool operator==(const Redraw&) const = default;
  };
  std::vector<std::string> exports;
  std::vector<Redraw> redraws;
  std::vector<int> dragKeys;
  // A line of the test's own drags.
  bool lineDragging = false;
};

// The project frame's part: the time-line's keys and the mode buttons.
class InputFrame : public TestFrame {
 public:
  explicit InputFrame(TWindow* client);
  TButtonGadget* Button(int id) { return dynamic_cast<TButtonGadget*>(toolBar->GadgetWithId(id)); }
  TGadgetWindow* toolBar;
};

class ScriptedSize : public TimeLineDialogs {
 public:
  ScriptedSize() { before_ = SetTimeLineDialogs(this); }
  ~ScriptedSize() override { SetTimeLineDialogs(before_); }
  bool AskProjectSize(HWND parent, ProjectSizeRequest& values) override {
    asked.push_back(values);
    if (realDialog) return TimeLineDialogs::AskProjectSize(parent, values);
    if (!answer) return false;
    values = *answer;
    return true;
  }
  std::unique_ptr<ProjectSizeRequest> answer;
  // The program's own dialog, driven through its controls.
  bool realDialog = false;
  std::vector<ProjectSizeRequest> asked;

 private:
  TimeLineDialogs* before_;
};

class WindowInputTest : public TimeLineTest {
 protected:
  void TearDown() override;

  InputTimeLine& OpenInput(int w = 1000, int h = 700);
  InputTimeLine& Window() { return *static_cast<InputTimeLine*>(window_); }
  InputFrame& Frame() { return *static_cast<InputFrame*>(frame_); }
  TimeLineEngine& Engine() { return window_->Engine(); }

  // A key with its modifiers as the program's loop passes it: first to the
  // windows' key handling, innermost first, then dispatched.
  void Press(int vk, bool ctrl = false, bool shift = false);
  bool Enabled(int id);
  // TCommandEnabler's check state after the window's enabler ran (-1: none).
  int Check(int id);
  // A point of the audio lines at a time and in the middle of a line, on the screen.
  POINT OnAudioLine(int32_t time, int32_t line);
  static int Snapshots();

  TestClock clock_;
  enginetest::FakePlayers players_;
  ScriptedSize size_;
};

}  // namespace timelinetest
