#include "timeline/window/timeline_dialogs.h"

#include "ui/no_filters_dialog.h"
#include "ui/value_dialogs.h"

namespace {

TimeLineDialogs g_none;
TimeLineDialogs* g_current = &g_none;

}  // namespace

bool TimeLineDialogs::ActivateLineEffects(int32_t) {
  return false;
}

bool TimeLineDialogs::EditLineEffects(HWND, EffectList*, int32_t) {
  return false;
}

void TimeLineDialogs::ShowMissingEffects(HWND parent, ComObjectEntry* components) {
  RunNoFiltersDialog(parent, components);
}

bool TimeLineDialogs::AskProjectSize(HWND parent, ProjectSizeRequest& v) {
  return RunSelViewDialog(parent, &v.audioLines, &v.length, v.latestEnd, &v.viewStart, &v.viewEnd, &v.rangeStart,
                          &v.rangeEnd);
}

TimeLineDialogs* SetTimeLineDialogs(TimeLineDialogs* dialogs) {
  TimeLineDialogs* before = g_current == &g_none ? nullptr : g_current;
  g_current = dialogs != nullptr ? dialogs : &g_none;
  return before;
}

TimeLineDialogs& CurrentTimeLineDialogs() {
  return *g_current;
}
