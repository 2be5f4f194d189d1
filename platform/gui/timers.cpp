// Timers: WM_TIMER messages generated on the clock of the platform core
// (a test may drive it), one pending message per timer at a time.
#include <algorithm>

#include "platform/gui/window_internal.h"

namespace {

struct Timer {
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  UINT elapse = 0;
  TIMERPROC proc = nullptr;
  DWORD thread = 0;
  DWORD due = 0;
};

struct Timers {
  std::mutex lock;
  std::vector<Timer> list;
  UINT_PTR next_id = 0x7FF0;
};

Timers& T() {
  static Timers* t = new Timers();
  return *t;
}

bool Due(DWORD now, DWORD due) {
  return static_cast<LONG>(now - due) >= 0;
}

}  // namespace

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  DWORD thread = CurrentGuiThread();
  if (hwnd != nullptr) {
    thread = GetWindowThreadProcessId(hwnd, nullptr);
    if (thread == 0) return 0;
  }
  EnsureMessageSource();
  elapse = std::max<UINT>(elapse, 1);
  Timers& t = T();
  UINT_PTR result;
  {
    std::lock_guard<std::mutex> hold(t.lock);
    if (hwnd == nullptr) {
      // Thread timers get an id of their own unless an existing one is named.
      auto it = std::find_if(t.list.begin(), t.list.end(),
                             [&](const Timer& x) { return x.hwnd == nullptr && x.id == id && id != 0; });
      if (it == t.list.end()) id = t.next_id++;
    }
    auto it = std::find_if(t.list.begin(), t.list.end(),
                           [&](const Timer& x) { return x.hwnd == hwnd && x.id == id; });
    Timer timer{hwnd, id, elapse, proc, thread, GuiNow() + elapse};
    if (it != t.list.end()) {
      *it = timer;
    } else {
      t.list.push_back(timer);
    }
    result = id != 0 ? id : 1;
  }
  WakeThread(thread);
  return result;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  Timers& t = T();
  std::lock_guard<std::mutex> hold(t.lock);
  const auto before = t.list.size();
  t.list.erase(std::remove_if(t.list.begin(), t.list.end(),
                              [&](const Timer& x) { return x.hwnd == hwnd && x.id == id; }),
               t.list.end());
  return t.list.size() != before ? TRUE : FALSE;
}

void KillWindowTimers(HWND hwnd) {
  Timers& t = T();
  std::lock_guard<std::mutex> hold(t.lock);
  t.list.erase(std::remove_if(t.list.begin(), t.list.end(), [&](const Timer& x) { return x.hwnd == hwnd; }),
               t.list.end());
}

bool IsTimerProc(LPARAM proc) {
  Timers& t = T();
  std::lock_guard<std::mutex> hold(t.lock);
  for (const Timer& x : t.list) {
    if (reinterpret_cast<LPARAM>(x.proc) == proc) return true;
  }
  return false;
}

bool NextTimerMessage(DWORD thread, HWND filter, bool remove, MSG* msg) {
  Timers& t = T();
  const DWORD now = GuiNow();
  std::lock_guard<std::mutex> hold(t.lock);
  // The most overdue timer of the thread first.
  Timer* best = nullptr;
  for (Timer& x : t.list) {
    if (x.thread != thread || !Due(now, x.due) || !MatchesFilter(x.hwnd, filter)) continue;
    if (best == nullptr || static_cast<LONG>(x.due - best->due) < 0) best = &x;
  }
  if (best == nullptr) return false;
  *msg = MSG{best->hwnd, WM_TIMER, best->id, reinterpret_cast<LPARAM>(best->proc), now, POINT{}};
  if (remove) {
    // The next period counts from the one that fell due; a late queue gets
    // one message, not a burst.
    best->due += best->elapse;
    if (Due(now, best->due)) best->due = now + best->elapse;
  }
  return true;
}

DWORD TimerNextDue(DWORD thread, bool* any) {
  Timers& t = T();
  std::lock_guard<std::mutex> hold(t.lock);
  *any = false;
  DWORD best = 0;
  for (const Timer& x : t.list) {
    if (x.thread != thread) continue;
    if (!*any || static_cast<LONG>(x.due - best) < 0) best = x.due;
    *any = true;
  }
  return best;
}
