// The clip side of the Edit menu: Delete, Cut, Copy, Paste and Insert
// through the clip clipboard, Split and Join at the cursor, Undo and Redo,
// and the cut and copy of one clip for the lines' menus.
#include "model/changed_ranges.h"
#include "model/edit_support.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/message_box.h"
#include "model/time_code.h"
#include "model/ui_string_ids.h"
#include "model/ui_strings.h"
#include "model/undo_history.h"
#include "resources/timeline_ids.h"
#include "timeline/window/main_timeline_window.h"

using namespace edit;

namespace {

// Gives back the film's uses, marks its sound changed and unlinks it; the
// caller deletes it or keeps it in the clipboard.
void TakeOff(Film* film) {
  CloseForUse(film);
  if (film->audio) WidenChangedRange(film->audioLine, film->start, film->end);
  Film::Unlink(film, FilmList);
}

int32_t Frames(int32_t ms) {
  return MsToFrames(ms, ProjectFrameRate());
}

int32_t FramesMs(int32_t frames) {
  return FramesToMs(frames, ProjectFrameRate());
}

void Beep() {
  CurrentMessageBoxPresenter().Beep(MB_ICONASTERISK);
}

// The lines a split walks, in its order: the two video rows, the MIDI line,
// then the audio lines in use.
struct SplitLine {
  int32_t kind;
  int32_t line;
};

}  // namespace

const std::vector<TResponseTableEntry>& MainTimeLineWindow::ClipEditEntries() {
  using TMyClass = MainTimeLineWindow;
  static const std::vector<TResponseTableEntry> entries = {
      EV_COMMAND(kCmUndo, CmUndo),
      EV_COMMAND_ENABLE(kCmUndo, CeUndo),
      EV_COMMAND(kCmRedo, CmRedo),
      EV_COMMAND_ENABLE(kCmRedo, CeRedo),
      EV_COMMAND(kCmDelete, CmDelete),
      EV_COMMAND_ENABLE(kCmDelete, CeDeleteCut),
      EV_COMMAND(kCmCut, CmCut),
      EV_COMMAND_ENABLE(kCmCut, CeDeleteCut),
      EV_COMMAND(kCmCopy, CmCopy),
      EV_COMMAND_ENABLE(kCmCopy, CeCopy),
      EV_COMMAND(kCmPaste, CmPaste),
      EV_COMMAND_ENABLE(kCmPaste, CePaste),
      EV_COMMAND(kCmInsert, CmInsert),
      EV_COMMAND_ENABLE(kCmInsert, CePaste),
      EV_COMMAND(kCmSplitClip, CmSplitClip),
      EV_COMMAND_ENABLE(kCmSplitClip, CeSplit),
      EV_COMMAND(kCmSplit, CmSplit),
      EV_COMMAND_ENABLE(kCmSplit, CeSplit),
      EV_COMMAND(kCmJoin, CmJoin),
      EV_COMMAND_ENABLE(kCmJoin, CeJoin),
  };
  return entries;
}

// ---- The clipboard.

bool MainTimeLineWindow::CanPaste() {
  if (engine_.playing || ClipClipboard.Empty()) return false;
  for (Film* f = ClipClipboard.First(); f; f = f->next) {
    if (f->video && f->video->IsDirectPlayable()) return true;
  }
  for (Film* f = ClipClipboard.First(); f; f = f->next) {
    if (f->audio && f->audio->IsDirectFormat()) return true;
  }
  for (Film* f = ClipClipboard.First(); f; f = f->next) {
    if (f->midi && f->MidiMatchesList(FilmList)) return true;
  }
  return false;
}

void MainTimeLineWindow::CmDelete() {
  if (engine_.playing) {
    ErrorBoxPlain(HWindow, kErrPlaying, GetString(ui_string::kDeleteClips));
    return;
  }
  int32_t count = 0;
  for (Film* f = FilmList.First(); f;) {
    Film* next = f->next;
    if (f->IsSelected()) {
      if (count++ == 0) engine_.MarkUndo(kUndoEdit);
      TakeOff(f);
      delete f;
    }
    f = next;
  }
  if (count > 0) {
    engine_.InvalidateLines();
    engine_.SetModified(true);
  }
}

void MainTimeLineWindow::CmCut() {
  if (engine_.playing) {
    ErrorBoxPlain(HWindow, kErrPlaying, GetString(ui_string::kCutClips));
    return;
  }
  ClipClipboard.Clear();
  int32_t count = 0;
  for (Film* f = FilmList.First(); f;) {
    Film* next = f->next;
    if (f->IsSelected()) {
      if (count++ == 0) engine_.MarkUndo(kUndoEdit);
      TakeOff(f);
      // In start order, so each goes to the end of the clipboard at once.
      Film::Append(f, ClipClipboard);
    }
    f = next;
  }
  if (count > 0) {
    engine_.InvalidateLines();
    engine_.SetModified(true);
  }
}

// Copying works while playing: it changes nothing of the project.
void MainTimeLineWindow::CmCopy() {
  ClipClipboard.Clear();
  for (Film* f = FilmList.First(); f; f = f->next) {
    if (!f->IsSelected()) continue;
    if (Film* copy = CopyFilm(*f, kAllParts)) Film::Append(copy, ClipClipboard);
  }
}

void MainTimeLineWindow::CutClipToClipboard(Film* film) {
  if (!film) return;
  if (engine_.playing) {
    ErrorBoxPlain(HWindow, kErrPlaying, GetString(ui_string::kCutClips));
    return;
  }
  ClipClipboard.Clear();
  engine_.MarkUndo(kUndoEdit);
  TakeOff(film);
  Film::Link(film, ClipClipboard);
  engine_.InvalidateLines();
  engine_.SetModified(true);
}

void MainTimeLineWindow::CopyClipToClipboard(Film* film) {
  if (!film) return;
  ClipClipboard.Clear();
  engine_.MarkUndo(kUndoEdit);
  if (Film* copy = CopyFilm(*film, kAllParts)) Film::Link(copy, ClipClipboard);
}

void MainTimeLineWindow::CmPaste() {
  engine_.PasteClips(HWindow, engine_.cursor, -1, -1);
}

void MainTimeLineWindow::CmInsert() {
  engine_.InsertClips(HWindow, engine_.cursor);
}

void MainTimeLineWindow::CeDeleteCut(TCommandEnabler& ce) {
  ce.Enable(!engine_.playing && Film::AnySelected());
}

void MainTimeLineWindow::CeCopy(TCommandEnabler& ce) {
  ce.Enable(Film::AnySelected());
}

void MainTimeLineWindow::CePaste(TCommandEnabler& ce) {
  ce.Enable(CanPaste());
}

// ---- Split.

void MainTimeLineWindow::CmSplitClip() {
  SplitSelected(true);
}

void MainTimeLineWindow::CmSplit() {
  SplitSelected(false);
}

void MainTimeLineWindow::SplitSelected(bool keepGroup) {
  if (engine_.playing) {
    ErrorBoxPlain(HWindow, kErrPlaying, GetString(ui_string::kSplitClip));
    return;
  }
  std::vector<SplitLine> lines = {{kKindVideo, 0}, {kKindVideo, 1}, {kKindMidi, 0}};
  for (int32_t i = 0; i < engine_.audioLineCount; ++i) lines.push_back({kKindAudio, i});

  int32_t cursor = engine_.cursor;
  bool changed = false;
  for (const SplitLine& line : lines) {
    Film* first = Film::FindByLine(cursor, line.kind, line.line);
    if (!first || !first->IsSelected()) continue;
    const bool video = line.kind == kKindVideo;
    if (video) {
      // Video is cut between frames; the cursor goes there first and the
      // other lines are cut at the same place.
      const int32_t onFrame = MsAddFrames(cursor, 0);
      if (onFrame != cursor) {
        engine_.SetPlayCursor(onFrame, false);
        cursor = engine_.cursor;
      }
    }
    // A part of no length on either side is no cut.
    if (first->start >= cursor || cursor >= first->end) continue;
    if (!changed) {
      engine_.MarkUndo(kUndoEdit);
      changed = true;
    }
    if (!keepGroup) first->group = 0;
    Film* second = CopyFilm(*first, kAllParts);
    if (!second) continue;

    const int32_t cutOff = first->end - cursor;
    const int32_t kept = cursor - first->start;
    if (video) {
      first->out = FramesMs(Frames(first->out) - Frames(cutOff));
      second->in = FramesMs(Frames(second->in) + Frames(kept));
      DropOutPicture(first);
      DropInPicture(second);
      DropKeyFrame(second);
    } else {
      first->out -= cutOff;
      second->in += kept;
    }
    first->end = cursor;
    second->start = cursor;
    if (second->audio) {
      second->declickIn = engine_.autoSetDeclick;
      first->declickOut = engine_.autoSetDeclick;
    }
    // The rendered effects no longer match either part.
    if (keepGroup && first->effects) first->effects->DeleteTempFile();

    if (!second->LinkAtKeyFrame(HWindow, FilmList)) {
      delete second;
      continue;
    }
    OpenForUse(second);
    OwnEffects(second);
    second->ComputeOrigin();
  }
  if (changed) {
    engine_.InvalidateLines();
    engine_.SetModified(true);
  } else {
    Beep();
  }
}

void MainTimeLineWindow::CeSplit(TCommandEnabler& ce) {
  bool any = false;
  if (!engine_.playing) {
    const int32_t t = engine_.cursor;
    auto covers = [t](int32_t kind, int32_t line) {
      Film* f = Film::FindByLine(t, kind, line);
      return f && f->IsSelected();
    };
    any = covers(kKindVideo, 0) || covers(kKindVideo, 1) || covers(kKindMidi, 0);
    for (int32_t i = 0; !any && i < engine_.audioLineCount; ++i) any = covers(kKindAudio, i);
  }
  ce.Enable(any);
}

// ---- Join.

Film* MainTimeLineWindow::JoinPartner(Film* a) const {
  Film* b = a->next;
  if (a->video) {
    while (b && !b->video) b = b->next;
  } else if (a->midi) {
    while (b && !b->midi) b = b->next;
  } else {
    while (b && !(b->audio && b->audioLine == a->audioLine)) b = b->next;
  }
  if (!b || !b->IsSelected()) return nullptr;
  if (b->video != a->video || (a->video && b->videoRow != a->videoRow)) return nullptr;
  if (b->midi != a->midi) return nullptr;
  if (b->audio != a->audio || (a->audio && b->audioLine != a->audioLine)) return nullptr;
  if (a->video) {
    if (Frames(a->end) != Frames(b->start) || Frames(a->out) != Frames(b->in)) return nullptr;
  } else if (a->end != b->start || a->out != b->in) {
    return nullptr;
  }
  return b;
}

void MainTimeLineWindow::CmJoin() {
  if (engine_.playing) {
    ErrorBoxPlain(HWindow, kErrPlaying, GetString(ui_string::kJoinClips));
    return;
  }
  bool joined = false;
  for (Film* a = FilmList.First(); a; a = a->next) {
    if (!a->IsSelected()) continue;
    while (Film* b = JoinPartner(a)) {
      if (!joined) {
        engine_.MarkUndo(kUndoEdit);
        joined = true;
      }
      a->end = b->end;
      a->out = b->out;
      // The joined clip ends as the last piece did.
      a->declickOut = b->declickOut;
      if (a->video) DropOutPicture(a);
      CloseForUse(b);
      Film::Unlink(b, FilmList);
      delete b;
      if (a->effects) a->effects->DeleteTempFile();
    }
  }
  if (joined) {
    engine_.InvalidateLines();
    engine_.SetModified(true);
  } else {
    Beep();
  }
}

void MainTimeLineWindow::CeJoin(TCommandEnabler& ce) {
  bool any = false;
  if (!engine_.playing) {
    for (Film* a = FilmList.First(); a && !any; a = a->next) any = a->IsSelected() && JoinPartner(a);
  }
  ce.Enable(any);
}

// ---- Undo and Redo: the engine brings back whole states.

void MainTimeLineWindow::CmUndo() {
  engine_.CmUndo();
}

void MainTimeLineWindow::CmRedo() {
  engine_.CmRedo();
}

void MainTimeLineWindow::CeUndo(TCommandEnabler& ce) {
  ce.Enable(engine_.CeUndo());
}

void MainTimeLineWindow::CeRedo(TCommandEnabler& ce) {
  ce.Enable(engine_.CeRedo());
}
