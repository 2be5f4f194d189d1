// The collection in a frame that loads its key table, beside a time-line
// window in a frame of its own whose lines take drops as a test tells them
// and which records its scrolling, the editors it launches and the requests
// its frame gets; players that log what they are asked; a property sheet,
// menus and converters that record.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "../collection_fixture.h"
#include "clips/clip_property_sheet.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/play_fakes.h"
#include "platform/classlib/command_enabler.h"
#include "platform/core/time.h"
#include "resources/collection_ids.h"
#include "timeline/fake_drop_target.h"
#include "timeline/window/main_timeline_window.h"

namespace cliptest {

class RecordingTimeLine : public MainTimeLineWindow {
 public:
  explicit RecordingTimeLine(TimeLinePlayers* players) : MainTimeLineWindow(nullptr, players) {}
  LineDropTarget* DropTarget(int32_t kind) override {
    if (kind == kKindVideo) return &video;
    if (kind == kKindAudio) return &audio;
    if (kind == kKindMidi) return &midi;
    return nullptr;
  }
  void EvHScroll(UINT code, UINT pos, HWND control) override {
    scrolls.push_back(code);
    MainTimeLineWindow::EvHScroll(code, pos, control);
  }
  void LaunchTool(int commandId, const char* file) override { launched.push_back({commandId, file}); }

  struct Launch {
    int id;
    std::string file;
    bool operator==(const Launch&) const = default;
    friend std::ostream& operator<<(std::ostream& os, const Launch& l) { return os << l.id << " " << l.file; }
  };
  FakeDropTarget video, audio, midi;
  std::vector<UINT> scrolls;
  std::vector<Launch> launched;
};

// The project frame: keeps the requests other windows send it.
class ProjectFrame : public TDecoratedFrame {
 public:
  explicit ProjectFrame(TWindow* client) : TDecoratedFrame(nullptr, "Kobrix", client) {}
  LRESULT EvRequest(WPARAM code, LPARAM arg) {
    requests.push_back({static_cast<int>(code), arg});
    return 0;
  }
  struct Request {
    int code;
    LPARAM arg;
    bool operator==(const Request&) const = default;
  };
  std::vector<Request> requests;
  DECLARE_RESPONSE_TABLE(ProjectFrame);
};

// Records what the collection asks of the sheet and answers as told.
class RecordingSheet : public ClipPropertySheet {
 public:
  RecordingSheet() { before_ = SetClipPropertySheet(this); }
  ~RecordingSheet() override { SetClipPropertySheet(before_); }
  bool Run(HWND parent, const char* caption, ClipData& clip, const std::vector<ClipPage>& pages,
           const SummaryInfo&) override;

  struct Call {
    HWND parent;
    std::string caption;
    ClipData* clip;
    std::vector<ClipPage> pages;
    bool timeLineCommands;
  };
  std::vector<Call> calls;
  bool ok = true;
  // What OK writes into the clip.
  std::function<void(ClipData&)> change;

 private:
  ClipPropertySheet* before_;
};

// One item of a menu.
struct MenuItem {
  UINT id;
  std::string text;
  bool grey;
  bool operator==(const MenuItem&) const = default;
};
std::ostream& operator<<(std::ostream& os, const MenuItem& item);
std::vector<MenuItem> ReadMenu(HMENU menu);

class ClipCommandsTest : public CollectionTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The time-line in its frame below where the collection's frame goes,
  // then the collection (w x h of view) with the time-line, in a frame with
  // the collection's keys.
  ClipCollection& OpenBoth(int width = 600, int height = 300, int orientation = 1);
  // The collection's frame first, as the program closes them.
  void CloseBoth();
  RecordingTimeLine& TimeLine() { return *timeLine_; }
  TimeLineEngine& Engine() { return timeLine_->Engine(); }

  // A file as a tile at the end.
  ClipWindow* Add(const std::string& path);
  // The middle of a tile, of a window, on the screen.
  POINT CentreOf(ClipWindow* tile) const;
  static POINT CentreOf(TWindow* window);
  // The mouse as the user moves it (screen coordinates), the keys as the
  // program's loop passes them: through the key tables first.
  static void MoveTo(POINT p);
  static void Press(POINT p, int button = 0);
  static void Release(POINT p, int button = 0);
  static void Key(int vk, bool shift = false, bool ctrl = false);
  void Command(int id) { collection_->SendMessage(WM_COMMAND, static_cast<WPARAM>(id), 0); }
  // The enabler's answer as a menu would get it; checked also.
  bool Enabled(int id, bool* checked = nullptr);
  // The right click at a client point of the collection; read sees the
  // menu while it is open, then the menu closes unless choose names an item.
  // A driven clock moves on first, so that clicks in a row stay single.
  void RightClick(const TPoint& point, const std::function<void(HMENU)>& read, UINT choose = 0);

  std::vector<std::string> Names() const;
  std::vector<Film*> Films() const;

  playtest::PlayPlayers players_;
  RecordingTimeLine* timeLine_ = nullptr;
  ProjectFrame* projectFrame_ = nullptr;
  WAVEFORMATEX savedOutput_{};
};

}  // namespace cliptest
