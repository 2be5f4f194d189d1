// What other windows and running instances ask of the time-line by message:
// the recorder dialog, the wait before play, the project frame's start-up
// and the instance messenger set and read the cursor, prepare a range,
// start or stop it, and hand over recorded files.
#include <cstring>
#include <string>

#include "model/error_codes.h"
#include "model/film_list.h"
#include "model/message_box.h"
#include "model/players.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "resources/timeline_ids.h"
#include "timeline/commands/command_host.h"
#include "timeline/window/main_timeline_window.h"

namespace {

// The play request's wait kinds; other values start at once.
constexpr WPARAM kWaitForKey = 1;
constexpr WPARAM kWaitForGpi = 2;
// The wait dialog's kinds: a key, or GPI input n as 2 + n.
constexpr int32_t kWaitKindKey = 1;
constexpr int32_t kWaitKindFirstGpi = 2;
constexpr LPARAM kGpiInputs = 4;

// The recorder's file name, copied before its dialog goes (AddFile may also
// write a converted name back into the copy). False for none, or for one
// too long for a path, which is then told.
bool TakeRecordedName(HWND owner, LPARAM name, char (&path)[MAX_PATH]) {
  const char* text = reinterpret_cast<const char*>(name);
  path[0] = '\0';
  if (text == nullptr || text[0] == '\0') return false;
  const std::size_t length = strnlen(text, MAX_PATH);
  if (length >= MAX_PATH) {
    ErrorBox(owner, kErrOpen, GetString(ui_string::kInsertClip), std::string(text, MAX_PATH - 1) + "...");
    return false;
  }
  std::memcpy(path, text, length + 1);
  return true;
}

}  // namespace

const std::vector<TResponseTableEntry>& MainTimeLineWindow::MessageEntries() {
  using TMyClass = MainTimeLineWindow;
  static const std::vector<TResponseTableEntry> entries = {
      EV_MESSAGE(kSetCursorMessage, EvSetCursor),       EV_MESSAGE(kGetCursorMessage, EvGetCursor),
      EV_MESSAGE(kStopMessage, EvStopRequest),          EV_MESSAGE(kPlayMessage, EvPlayRequest),
      EV_MESSAGE(kPrepareRangeMessage, EvPrepareRange), EV_MESSAGE(kRecordedFileMessage, EvRecordedFile),
      EV_MESSAGE(kRecorderDoneMessage, EvRecorderDone),
  };
  return entries;
}

LRESULT MainTimeLineWindow::EvSetCursor(WPARAM, LPARAM time) {
  const int32_t before = engine_.cursor;
  const auto t = static_cast<int32_t>(time);
  if (!engine_.playing) {
    engine_.SetPlayCursor(t, true, HWindow);
    return before;
  }
  engine_.play.cursorBeforePlay = t;
  CmStop();
  engine_.SetPlayCursor(t, false);
  // Once more after the players' end has been handled.
  PostMessage(kSetCursorMessage, 0, time);
  return before;
}

LRESULT MainTimeLineWindow::EvGetCursor(WPARAM, LPARAM) {
  if (engine_.prepared && !engine_.play.startFromCursor) return engine_.play.rangeStart;
  return engine_.cursor;
}

LRESULT MainTimeLineWindow::EvStopRequest(WPARAM, LPARAM) {
  CmStop();
  return 0;
}

// Starts what PrepareRange prepared, at once or after the wait dialog, which
// then starts the players itself.
LRESULT MainTimeLineWindow::EvPlayRequest(WPARAM kind, LPARAM input) {
  if (!engine_.prepared) return 0;
  PlayState& p = engine_.play;
  const int32_t parts = p.parts;
  bool started = false;
  if (kind == kWaitForKey || kind == kWaitForGpi) {
    int32_t waitKind = kWaitKindKey;
    if (kind == kWaitForGpi) {
      // Another instance may send any number: only the board's inputs wait.
      if (input < 0 || input >= kGpiInputs) return 0;
      waitKind = kWaitKindFirstGpi + static_cast<int32_t>(input);
    }
    // Without the wait nothing may start before its moment.
    WaitBeforePlay* wait = engine_.Players().Wait();
    started = wait != nullptr && wait->Execute(HWindow, parts, waitKind);
  } else {
    started = engine_.StartPrepared(parts, false);
  }
  if (!started) {
    PostMessage(kStopMessage, 0, 0);
    return 0;
  }
  engine_.BeginPlayMode(p.rangeStart, p.rangeEnd, parts, p.startFromCursor);
  return 1;
}

LRESULT MainTimeLineWindow::EvPrepareRange(WPARAM, LPARAM) {
  if (FilmList.Empty()) return 1;
  if (engine_.playing || !engine_.commandsEnabled) return 0;
  int32_t start = 0, end = 0;
  if (!GetPlayRange(start, end, 0)) return 0;
  engine_.play.loopsRemaining = 1;
  engine_.SetPlayCursor(start, false);
  return engine_.PrepareRange(start, end, engine_.play.startFromCursor);
}

LRESULT MainTimeLineWindow::EvRecordedFile(WPARAM time, LPARAM name) {
  char path[MAX_PATH];
  const bool taken = TakeRecordedName(HWindow, name, path);
  CurrentCommandHost().CloseRecorder();
  if (taken) AddFile(path, static_cast<int32_t>(time));
  return 0;
}

LRESULT MainTimeLineWindow::EvRecorderDone(WPARAM code, LPARAM name) {
  char path[MAX_PATH];
  const bool taken = code == 1 && TakeRecordedName(HWindow, name, path);
  if (taken) AddFile(path, -1);
  CurrentCommandHost().CloseRecorder();
  return 0;
}
