#include "video/transitions/range_render.h"

#include <algorithm>
#include <optional>
#include <string>

#include "media/progress_hooks.h"
#include "model/film.h"
#include "model/film_list.h"
#include "model/message_box.h"
#include "model/players.h"
#include "model/time_code.h"
#include "platform/core/time.h"
#include "video/transitions/vfx_render.h"

namespace {

// How often the wait looks at the renders again.
constexpr DWORD kLookAgainMs = 20;

int32_t Frames(int32_t ms) {
  return MsToFrames(ms, ProjectFrameRate());
}

bool OnKeptRow(uint32_t stamp, const bool rows[2]) {
  for (const Film* f = FilmList.First(); f; f = f->next) {
    if (f->video && static_cast<uint32_t>(f->stamp) == stamp)
      return f->videoRow >= 0 && f->videoRow < 2 && rows[f->videoRow];
  }
  return false;
}

// Whether the pictures of [start, end) on the kept rows play t.
bool Played(const VFXEntry& t, int32_t start, int32_t end, const bool rows[2]) {
  return std::max(Frames(t.start), Frames(start)) < std::min(Frames(t.end), Frames(end)) &&
         OnKeptRow(t.stampA, rows) && OnKeptRow(t.stampB, rows);
}

}  // namespace

bool RenderTransitionsOfRange(VFX& transitions, HWND owner, const char* caption, const char* target,
                              int32_t start, int32_t end, const bool rows[2]) {
  std::optional<ProgressMeter> progress;
  int32_t total = 0;  // the frames the dialog counts
  for (bool first = true;; first = false) {
    // Also opens the files finished since the last look.
    transitions.Schedule();
    // Asked outside the film lock: the service takes its own lock first.
    const bool serviceRuns = VFXRender::Running(transitions);
    int32_t left = 0;
    const VFXEntry* failed = nullptr;
    const VFXEntry* pending = nullptr;
    std::string why;
    transitions.Lock();
    for (VFXEntry* t = transitions.List(); t; t = t->next) {
      if (!Played(*t, start, end, rows)) continue;
      if (t->state == VFXEntry::Rendered && t->rendered != nullptr) continue;
      if (pending == nullptr) pending = t;
      // The export is worth another try now, whatever failed before.
      if (first && t->failures > 0) {
        t->failures = 0;
        t->failure.clear();
        VFXRender::SignalWork();
      }
      if (failed == nullptr && (t->failures > 0 || t->fileBusy)) {
        failed = t;
        why = t->fileBusy ? "A file of its name is open in the program."
                          : !t->failure.empty() ? t->failure : "It could not be rendered.";
      }
      left += t->frameCount;
    }
    if (failed == nullptr && pending != nullptr && !serviceRuns) {
      // Nobody else renders: each render runs here, and a transition that
      // no render takes can not be rendered at all.
      transitions.Unlock();
      if (VFXRender::RenderHere(transitions)) continue;
      transitions.Lock();
      failed = pending;
      why = "It could not be rendered.";
    }
    const int32_t failedStart = failed != nullptr ? failed->start : 0;
    const int32_t failedEnd = failed != nullptr ? failed->end : 0;
    transitions.Unlock();

    if (failed != nullptr) {
      progress.reset();
      ShowMessage(owner, caption, MB_OK | MB_ICONSTOP, "The transition from %s to %s can not be rendered.\n%s",
                  MsToTimeCodeText(failedStart, TRUE), MsToTimeCodeText(failedEnd, TRUE), why);
      return false;
    }
    if (left == 0) return true;
    if (!progress) {
      total = left;
      progress.emplace(caption, target, total, owner);
    }
    // The report also runs the waiting messages (the service's progress).
    if (!progress->Report(std::max(0, total - left))) return false;
    Sleep(kLookAgainMs);
  }
}
