// Selection groups and mark groups. A clip is selected when its group is
// the current selection group, so several sets of clips can be kept and
// switched between; the drags snap to the marks of the current mark group.
// Groups run 1 to 9; 0 is no group.
#include "model/film.h"
#include "model/film_list.h"
#include "model/mark_list.h"
#include "model/undo_history.h"
#include "resources/timeline_ids.h"
#include "timeline/window/main_timeline_window.h"

namespace {

constexpr int32_t kGroups = 10;

// The next group after current among the used ones, 1 to 9 round; current
// when no other is used.
int32_t NextUsedGroup(const bool (&used)[kGroups], int32_t current) {
  int32_t g = current;
  for (int32_t step = 0; step < kGroups - 1; ++step) {
    g = g >= kGroups - 1 || g < 1 ? 1 : g + 1;
    if (used[g]) return g;
  }
  return current;
}

// One group always stands free to move clips or marks into: the first that
// none uses (the last one when 1 to 8 are all taken).
void OfferFreeGroup(bool (&used)[kGroups]) {
  for (int32_t g = 1; g < kGroups - 1; ++g) {
    if (!used[g]) {
      used[g] = true;
      return;
    }
  }
  used[kGroups - 1] = true;
}

}  // namespace

const std::vector<TResponseTableEntry>& MainTimeLineWindow::SelectionGroupEntries() {
  using TMyClass = MainTimeLineWindow;
  static const std::vector<TResponseTableEntry> entries = {
      EV_COMMAND(kCmSelectAll, CmSelectAll),
      EV_COMMAND(kCmDeselectAll, CmDeselectAll),
      EV_COMMAND(kCmInvertSelection, CmInvertSelection),
      EV_COMMAND(kCmNextMarkGroup, CmNextMarkGroup),
      EV_COMMAND(kCmNextSelectionGroup, CmNextSelectionGroup),
  };
  return entries;
}

void MainTimeLineWindow::CmSelectAll() {
  bool marked = false;
  for (Film* f = FilmList.First(); f; f = f->next) {
    if (f->group == SelectionGroup) continue;
    if (!marked) engine_.MarkUndo(kUndoEdit);
    marked = true;
    f->group = SelectionGroup;
  }
  engine_.InvalidateLines();
}

void MainTimeLineWindow::CmDeselectAll() {
  bool marked = false;
  for (Film* f = FilmList.First(); f; f = f->next) {
    if (f->group == 0) continue;
    if (!marked) engine_.MarkUndo(kUndoEdit);
    marked = true;
    f->group = 0;
  }
  engine_.InvalidateLines();
}

void MainTimeLineWindow::CmInvertSelection() {
  if (FilmList.Empty()) return;
  engine_.MarkUndo(kUndoEdit);
  for (Film* f = FilmList.First(); f; f = f->next) {
    if (f->group == SelectionGroup) {
      f->group = 0;
    } else if (f->group == 0) {
      f->group = SelectionGroup;
    }
  }
  engine_.InvalidateLines();
}

void MainTimeLineWindow::CmNextSelectionGroup() {
  bool used[kGroups] = {};
  // A group no command can reach is no group; no undo step for it.
  for (Film* f = FilmList.First(); f; f = f->next) {
    if (f->group < 0 || f->group >= kGroups) {
      f->group = 0;
    } else {
      used[f->group] = true;
    }
  }
  OfferFreeGroup(used);
  SelectionGroup = NextUsedGroup(used, SelectionGroup);
  engine_.ZoomChanged(false);
}

void MainTimeLineWindow::CmNextMarkGroup() {
  bool used[kGroups] = {};
  auto visit = [&used](MarkList& marks) {
    for (int32_t i = 0; i < marks.Count(); ++i) {
      const int32_t g = marks[i].group;
      if (g < 0 || g >= kGroups) {
        marks.SetGroup(i, 0);
        used[0] = true;
      } else {
        used[g] = true;
      }
    }
  };
  visit(ProjectMarks);
  for (Film* f = FilmList.First(); f; f = f->next) visit(f->marks);
  OfferFreeGroup(used);
  engine_.gravityGroup = NextUsedGroup(used, engine_.gravityGroup);
  engine_.ZoomChanged(false);
}
