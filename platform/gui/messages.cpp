// Messages: send (also across threads), post, dispatch, translate, the
// default window procedure, and the message source that turns input,
// invalid windows and timers into messages when a thread reads its queue.
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>

#include "platform/core/message_queue.h"
#include "platform/core/threads.h"
#include "platform/core/time.h"
#include "platform/core/trace.h"
#include "platform/gui/backend.h"
#include "platform/gui/controls/scrollbar.h"
#include "platform/gui/peers.h"
#include "platform/gui/window_internal.h"

namespace {

thread_local MSG t_current;
thread_local int t_in_send = 0;

struct InputState {
  std::mutex lock;
  std::unordered_map<DWORD, std::deque<RawInput>> queues;
  BYTE keys[256] = {};
  BYTE async_keys[256] = {};
  POINT cursor{};
  // Double clicks.
  HWND last_hwnd = nullptr;
  int last_button = -1;
  DWORD last_time = 0;
  POINT last_pt{};
  bool last_was_double = false;
};

InputState& Input() {
  static InputState* s = new InputState();
  return *s;
}

class GuiSource : public MessageSource {
 public:
  bool Generate(MSG* msg, HWND filter, UINT min, UINT max, bool remove) override;
  DWORD PollInterval() override;
};

GuiSource& Source() {
  static GuiSource* s = new GuiSource();
  return *s;
}

WPARAM MouseKeyFlags() {
  InputState& in = Input();
  WPARAM f = 0;
  if (in.keys[VK_LBUTTON] & 0x80) f |= MK_LBUTTON;
  if (in.keys[VK_RBUTTON] & 0x80) f |= MK_RBUTTON;
  if (in.keys[VK_MBUTTON] & 0x80) f |= MK_MBUTTON;
  if (in.keys[VK_SHIFT] & 0x80) f |= MK_SHIFT;
  if (in.keys[VK_CONTROL] & 0x80) f |= MK_CONTROL;
  return f;
}

DWORD ThreadOf(HWND hwnd) {
  std::lock_guard<std::mutex> hold(TreeLock());
  Window* w = FindWindowRecord(hwnd);
  return w != nullptr ? w->thread : 0;
}

HWND RootWindow(HWND hwnd) {
  return GetAncestor(hwnd, GA_ROOT);
}

// The window a raw input goes to, and its message, without side effects.
struct Converted {
  HWND target = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  LRESULT hit = HTCLIENT;
  bool drop = false;  // to be discarded
};

int ScanCode(int vk) {
  return vk & 0xFF;
}

Converted ConvertInput(const RawInput& in, bool for_real) {
  Converted c;
  InputState& st = Input();
  if (in.kind == RawInput::kKey) {
    HWND target = GetFocus();
    bool sys = false;
    if (target == nullptr) {
      target = GetActiveWindow();
      sys = true;
    }
    if (target == nullptr || ThreadOf(target) != CurrentGuiThread()) {
      c.drop = true;
      return c;
    }
    bool alt, ctrl, prev;
    {
      std::lock_guard<std::mutex> hold(st.lock);
      alt = (st.keys[VK_MENU] & 0x80) != 0 || in.vk == VK_MENU;
      ctrl = (st.keys[VK_CONTROL] & 0x80) != 0;
      prev = (st.keys[in.vk & 0xFF] & 0x80) != 0;
    }
    // Alt combinations and F10 are system keys; Ctrl+Alt is not.
    if ((alt && !ctrl) || in.vk == VK_F10) sys = true;
    c.target = target;
    c.message = in.down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
    c.wParam = static_cast<WPARAM>(in.vk);
    DWORD lp = 1 | (static_cast<DWORD>(ScanCode(in.vk)) << 16);
    if (alt) lp |= 1u << 29;
    if (in.down ? (prev || in.repeat) : true) lp |= 1u << 30;
    if (!in.down) lp |= 1u << 31;
    c.lParam = static_cast<LPARAM>(static_cast<LONG>(lp));
    return c;
  }
  if (in.kind == RawInput::kMouseWheel) {
    HWND target = GetFocus();
    if (target == nullptr) target = GetActiveWindow();
    if (target == nullptr || ThreadOf(target) != CurrentGuiThread()) {
      c.drop = true;
      return c;
    }
    c.target = target;
    c.message = WM_MOUSEWHEEL;
    WPARAM keys;
    {
      std::lock_guard<std::mutex> hold(st.lock);
      keys = MouseKeyFlags();
    }
    c.wParam = MAKEWPARAM(static_cast<int>(keys), in.wheel);
    c.lParam = MAKELPARAM(in.pt.x, in.pt.y);
    return c;
  }
  // Mouse move and buttons.
  HWND capture = GetCapture();
  HWND target = capture;
  if (target != nullptr && ThreadOf(target) != CurrentGuiThread()) target = nullptr;
  if (target == nullptr && in.root != nullptr) target = WindowInRootAt(in.root, in.pt);
  if (target == nullptr) target = WindowFromPoint(in.pt);
  if (target == nullptr || ThreadOf(target) != CurrentGuiThread()) {
    c.drop = true;
    return c;
  }
  if (capture == nullptr && (!IsWindowEnabled(RootWindow(target)) || !IsWindowEnabled(target))) {
    // A window disabled by a modal box takes no mouse input.
    c.drop = true;
    return c;
  }
  c.hit = capture != nullptr ? HTCLIENT : SendMessage(target, WM_NCHITTEST, 0, MAKELPARAM(in.pt.x, in.pt.y));
  // A window that calls itself transparent passes the mouse to the window
  // beneath it: a lower sibling there, else its parent.
  while (c.hit == HTTRANSPARENT && (GetWindowLong(target, GWL_STYLE) & WS_CHILD)) {
    HWND below = WindowBelowAt(target, in.pt);
    target = below != nullptr ? below : GetParent(target);
    if (target == nullptr) break;
    c.hit = SendMessage(target, WM_NCHITTEST, 0, MAKELPARAM(in.pt.x, in.pt.y));
  }
  if (target == nullptr) {
    c.drop = true;
    return c;
  }
  if (c.hit == HTTRANSPARENT) c.hit = HTCLIENT;
  c.target = target;
  const bool client = c.hit == HTCLIENT;
  POINT pt = in.pt;
  if (client) ScreenToClient(target, &pt);
  WPARAM keys;
  {
    std::lock_guard<std::mutex> hold(st.lock);
    keys = MouseKeyFlags();
    if (in.kind == RawInput::kMouseButton) {
      const WPARAM bit = in.button == 0 ? MK_LBUTTON : in.button == 1 ? MK_RBUTTON : MK_MBUTTON;
      keys = in.down ? (keys | bit) : (keys & ~bit);
    }
  }
  c.lParam = MAKELPARAM(pt.x, pt.y);
  c.wParam = client ? keys : static_cast<WPARAM>(c.hit);
  if (in.kind == RawInput::kMouseMove) {
    c.message = client ? WM_MOUSEMOVE : WM_NCMOUSEMOVE;
    return c;
  }
  static const UINT kClient[3] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
  static const UINT kNc[3] = {WM_NCLBUTTONDOWN, WM_NCRBUTTONDOWN, WM_NCMBUTTONDOWN};
  const int b = std::clamp(in.button, 0, 2);
  UINT base = client ? kClient[b] : kNc[b];
  if (!in.down) {
    c.message = base + 1;
    return c;
  }
  bool dbl = false;
  {
    std::lock_guard<std::mutex> hold(st.lock);
    const bool class_dbl = !client || (GetClassLong(target, GCL_STYLE) & CS_DBLCLKS);
    dbl = class_dbl && !st.last_was_double && st.last_hwnd == target && st.last_button == b &&
          in.time - st.last_time <= GetDoubleClickTime() &&
          std::abs(in.pt.x - st.last_pt.x) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
          std::abs(in.pt.y - st.last_pt.y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
    if (for_real) {
      st.last_was_double = dbl;
      st.last_hwnd = target;
      st.last_button = b;
      st.last_time = in.time;
      st.last_pt = in.pt;
    }
  }
  c.message = dbl ? base + 2 : base;
  return c;
}

// Side effects of taking a mouse message: cursor shape, activation and
// the parent notification. False when the message is eaten.
bool DeliverMouse(const RawInput& in, const Converted& c) {
  const bool down = in.kind == RawInput::kMouseButton && in.down;
  if (GetCapture() == nullptr) {
    SendMessage(c.target, WM_SETCURSOR, reinterpret_cast<WPARAM>(c.target), MAKELPARAM(c.hit, c.message));
  }
  if (!down || !IsWindow(c.target)) return IsWindow(c.target);
  HWND root = RootWindow(c.target);
  if (root != GetActiveWindow()) {
    const LRESULT r =
        SendMessage(c.target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(root), MAKELPARAM(c.hit, c.message));
    if (r != MA_NOACTIVATE && r != MA_NOACTIVATEANDEAT) ActivateFromClick(root);
    if (r == MA_ACTIVATEANDEAT || r == MA_NOACTIVATEANDEAT) return false;
    if (!IsWindow(c.target)) return false;
  }
  if (c.hit == HTCLIENT && (GetWindowLong(c.target, GWL_STYLE) & WS_CHILD)) {
    HWND child = c.target;
    while ((GetWindowLong(child, GWL_STYLE) & WS_CHILD) &&
           !(GetWindowLong(child, GWL_EXSTYLE) & WS_EX_NOPARENTNOTIFY)) {
      HWND parent = GetParent(child);
      if (parent == nullptr) break;
      POINT p = in.pt;
      ScreenToClient(parent, &p);
      SendMessage(parent, WM_PARENTNOTIFY, MAKEWPARAM(c.message, 0), MAKELPARAM(p.x, p.y));
      child = parent;
    }
  }
  return IsWindow(c.target);
}

void UpdateKeys(const RawInput& in) {
  InputState& st = Input();
  std::lock_guard<std::mutex> hold(st.lock);
  auto set = [&](int vk, bool down) {
    BYTE& k = st.keys[vk & 0xFF];
    if (down && !(k & 0x80)) k ^= 0x01;  // toggle state flips on each press
    k = static_cast<BYTE>(down ? (k | 0x80) : (k & ~0x80));
  };
  if (in.kind == RawInput::kKey) {
    set(in.vk, in.down);
    if (in.vk == VK_LSHIFT || in.vk == VK_RSHIFT) set(VK_SHIFT, in.down);
    if (in.vk == VK_LCONTROL || in.vk == VK_RCONTROL) set(VK_CONTROL, in.down);
    if (in.vk == VK_LMENU || in.vk == VK_RMENU) set(VK_MENU, in.down);
  } else if (in.kind == RawInput::kMouseButton) {
    set(in.button == 0 ? VK_LBUTTON : in.button == 1 ? VK_RBUTTON : VK_MBUTTON, in.down);
  }
  if (in.kind != RawInput::kKey) st.cursor = in.pt;
}

bool TakeInput(DWORD thread, MSG* msg, HWND filter, UINT min, UINT max, bool remove) {
  InputState& st = Input();
  for (;;) {
    RawInput in;
    {
      std::lock_guard<std::mutex> hold(st.lock);
      auto it = st.queues.find(thread);
      if (it == st.queues.end() || it->second.empty()) return false;
      in = it->second.front();
    }
    const Converted c = ConvertInput(in, remove);
    if (c.drop) {
      {
        std::lock_guard<std::mutex> hold(st.lock);
        auto& q = st.queues[thread];
        if (!q.empty()) q.pop_front();
      }
      // Keys and buttons still change state when nobody takes them.
      UpdateKeys(in);
      continue;
    }
    if (!MatchesFilter(c.target, filter) || !InRange(c.message, min, max)) return false;
    if (!remove) {
      *msg = MSG{c.target, c.message, c.wParam, c.lParam, in.time, in.pt};
      return true;
    }
    {
      std::lock_guard<std::mutex> hold(st.lock);
      auto& q = st.queues[thread];
      if (!q.empty()) q.pop_front();
    }
    UpdateKeys(in);
    if (in.kind == RawInput::kMouseMove || in.kind == RawInput::kMouseButton) {
      if (!DeliverMouse(in, c)) continue;
    }
    *msg = MSG{c.target, c.message, c.wParam, c.lParam, in.time, in.pt};
    return true;
  }
}

bool GuiSource::Generate(MSG* msg, HWND filter, UINT min, UINT max, bool remove) {
  const DWORD me = CurrentGuiThread();
  if (OnDisplayThread()) Backend().Pump();
  if (filter != reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1))) {
    if (TakeInput(me, msg, filter, min, max, remove)) return true;
    if (InRange(WM_PAINT, min, max)) {
      HWND h = FirstWindowNeedingPaint(me, filter);
      if (h != nullptr) {
        *msg = MSG{h, WM_PAINT, 0, 0, GuiNow(), POINT{}};
        return true;
      }
    }
  }
  if (InRange(WM_TIMER, min, max) && NextTimerMessage(me, filter, remove, msg)) return true;
  CaretTick(me);
  return false;
}

DWORD GuiSource::PollInterval() {
  const DWORD me = CurrentGuiThread();
  DWORD interval = INFINITE;
  if (OnDisplayThread()) interval = Backend().PollInterval();
  bool any = false;
  const DWORD due = TimerNextDue(me, &any);
  const DWORD now = GuiNow();
  if (any) {
    const DWORD wait = static_cast<LONG>(due - now) <= 0 ? 0 : due - now;
    interval = std::min(interval, wait);
  }
  const DWORD caret = CaretNextDue(me);
  if (caret != 0) {
    const DWORD wait = static_cast<LONG>(caret - now) <= 0 ? 0 : caret - now;
    interval = std::min(interval, wait);
  }
  return interval;
}

// Maps a key with the shift state to its character (US layout).
int KeyToChar(int vk, bool shift, bool caps, bool ctrl) {
  if (vk >= 'A' && vk <= 'Z') {
    if (ctrl) return vk - 'A' + 1;
    const bool upper = shift != caps;
    return upper ? vk : vk - 'A' + 'a';
  }
  if (ctrl) {
    if (vk == VK_RETURN) return 10;
    if (vk == VK_BACK) return 127;
    if (vk == VK_ESCAPE) return 27;
    return 0;
  }
  if (vk >= '0' && vk <= '9') {
    static const char kShifted[] = ")!@#$%^&*(";
    return shift ? kShifted[vk - '0'] : vk;
  }
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) return '0' + (vk - VK_NUMPAD0);
  switch (vk) {
    case VK_SPACE:
      return ' ';
    case VK_RETURN:
      return '\r';
    case VK_TAB:
      return '\t';
    case VK_BACK:
      return '\b';
    case VK_ESCAPE:
      return 27;
    case VK_MULTIPLY:
      return '*';
    case VK_ADD:
      return '+';
    case VK_SUBTRACT:
      return '-';
    case VK_DECIMAL:
      return '.';
    case VK_DIVIDE:
      return '/';
    case VK_OEM_1:
      return shift ? ':' : ';';
    case VK_OEM_PLUS:
      return shift ? '+' : '=';
    case VK_OEM_COMMA:
      return shift ? '<' : ',';
    case VK_OEM_MINUS:
      return shift ? '_' : '-';
    case VK_OEM_PERIOD:
      return shift ? '>' : '.';
    case VK_OEM_2:
      return shift ? '?' : '/';
    case VK_OEM_3:
      return shift ? '~' : '`';
    case VK_OEM_4:
      return shift ? '{' : '[';
    case VK_OEM_5:
      return shift ? '|' : '\\';
    case VK_OEM_6:
      return shift ? '}' : ']';
    case VK_OEM_7:
      return shift ? '"' : '\'';
  }
  return 0;
}

}  // namespace

void EnsureMessageSource() {
  static std::once_flag once;
  std::call_once(once, [] { SetMessageSource(&Source()); });
}

DWORD CurrentGuiThread() {
  return GetCurrentThreadId();
}
DWORD GuiNow() {
  return timeGetTime();
}

void WakeThread(DWORD thread) {
  if (thread != 0) WakeThreadQueue(thread);
}

bool MatchesFilter(HWND hwnd, HWND filter) {
  if (filter == nullptr) return true;
  if (filter == reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1))) return hwnd == nullptr;
  return hwnd == filter;
}

void QueueRawInput(const RawInput& raw) {
  RawInput in = raw;
  if (in.time == 0) in.time = GuiNow();
  HWND target = nullptr;
  switch (in.kind) {
    case RawInput::kKey:
    case RawInput::kMouseWheel:
      target = GetFocus();
      if (target == nullptr) target = GetActiveWindow();
      break;
    case RawInput::kMouseMove:
    case RawInput::kMouseButton:
      target = GetCapture();
      if (target == nullptr && in.root != nullptr) target = WindowInRootAt(in.root, in.pt);
  if (target == nullptr) target = WindowFromPoint(in.pt);
      break;
    case RawInput::kDrop: {
      HWND w = WindowFromPoint(in.pt);
      while (w != nullptr && !(GetWindowLong(w, GWL_EXSTYLE) & WS_EX_ACCEPTFILES)) {
        w = (GetWindowLong(w, GWL_STYLE) & WS_CHILD) ? GetParent(w) : nullptr;
      }
      if (w == nullptr) return;
      POINT p = in.pt;
      ScreenToClient(w, &p);
      RECT c;
      GetClientRect(w, &c);
      HDROP drop = CreateDrop(in.files, p, PtInRect(&c, p) != FALSE);
      PostMessage(w, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
      return;
    }
  }
  InputState& st = Input();
  const DWORD thread = target != nullptr ? ThreadOf(target) : 0;
  {
    std::lock_guard<std::mutex> hold(st.lock);
    if (in.kind != RawInput::kKey) st.cursor = in.pt;
    // Asynchronous key state follows the device at once.
    if (in.kind == RawInput::kKey) st.async_keys[in.vk & 0xFF] = in.down ? 0x80 : 0;
    if (in.kind == RawInput::kMouseButton) {
      st.async_keys[in.button == 0   ? VK_LBUTTON
                    : in.button == 1 ? VK_RBUTTON
                                     : VK_MBUTTON] = in.down ? 0x80 : 0;
    }
    if (thread == 0) return;
    st.queues[thread].push_back(in);
  }
  WakeThread(thread);
}

SHORT GetKeyState(int vk) {
  InputState& st = Input();
  std::lock_guard<std::mutex> hold(st.lock);
  const BYTE k = st.keys[vk & 0xFF];
  return static_cast<SHORT>(((k & 0x80) ? 0x8000 : 0) | (k & 0x01));
}

SHORT GetAsyncKeyState(int vk) {
  InputState& st = Input();
  std::lock_guard<std::mutex> hold(st.lock);
  return static_cast<SHORT>((st.async_keys[vk & 0xFF] & 0x80) ? 0x8000 : 0);
}

BOOL GetCursorPos(LPPOINT p) {
  if (p == nullptr) return FALSE;
  InputState& st = Input();
  std::lock_guard<std::mutex> hold(st.lock);
  *p = st.cursor;
  return TRUE;
}

// Drops the input still queued for a thread's windows (a window that goes
// away takes its pending clicks with it only by failing the target test).
void ClearInputQueues() {
  InputState& st = Input();
  std::lock_guard<std::mutex> hold(st.lock);
  st.queues.clear();
  std::memset(st.keys, 0, sizeof st.keys);
  std::memset(st.async_keys, 0, sizeof st.async_keys);
  st.last_hwnd = nullptr;
  st.last_button = -1;
}

// ---- Send, post, dispatch ----

LRESULT CallWindowProcOf(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  WNDPROC proc;
  {
    std::lock_guard<std::mutex> hold(TreeLock());
    Window* w = FindWindowRecord(hwnd);
    if (w == nullptr) return 0;
    proc = w->proc;
  }
  if (proc == nullptr) return DefWindowProc(hwnd, msg, wParam, lParam);
  return proc(hwnd, msg, wParam, lParam);
}

LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (proc == nullptr) return 0;
  return proc(hwnd, msg, wParam, lParam);
}

namespace {

thread_local int t_trace_depth = 0;  // messages delivered inside the one traced

[[gnu::cold]] void TraceDelivery(const char* how, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  std::string cls;
  {
    std::lock_guard<std::mutex> hold(TreeLock());
    if (Window* w = FindWindowRecord(hwnd)) cls = w->cls ? w->cls->name : "";
  }
  char buffer[24];
  TraceLine(kTraceGui, "%*s%s %p %s %s w=0x%lx l=0x%lx", 2 * t_trace_depth, "", how, static_cast<void*>(hwnd),
            cls.empty() ? "-" : cls.c_str(), MessageName(msg, buffer, sizeof buffer),
            static_cast<unsigned long>(wParam), static_cast<unsigned long>(lParam));
}

// Every message reaches its window procedure here: sent ones on the sender's
// thread or the window's, posted ones from DispatchMessage.
LRESULT Deliver(const char* how, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!TraceOn(kTraceGui)) return CallWindowProcOf(hwnd, msg, wParam, lParam);
  TraceDelivery(how, hwnd, msg, wParam, lParam);
  ++t_trace_depth;
  const LRESULT r = CallWindowProcOf(hwnd, msg, wParam, lParam);
  --t_trace_depth;
  return r;
}

struct SendState {
  std::mutex m;
  std::condition_variable cv;
  bool done = false;
  bool abandoned = false;
  LRESULT result = 0;
};

// Marks a send as abandoned when its task is destroyed without running
// (its thread ended).
struct SendTask {
  std::shared_ptr<SendState> state;
  HWND hwnd;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
  bool ran = false;
  ~SendTask() {
    if (!ran && state) {
      std::lock_guard<std::mutex> hold(state->m);
      state->abandoned = true;
      state->cv.notify_all();
    }
  }
};

}  // namespace

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (hwnd == HWND_BROADCAST) {
    std::vector<HWND> tops;
    {
      std::lock_guard<std::mutex> hold(TreeLock());
      tops = TopLevelOrder();
    }
    for (HWND h : tops) SendMessage(h, msg, wParam, lParam);
    return 0;
  }
  if (IsPeerWindowHandle(hwnd)) return PeerSendMessage(hwnd, msg, wParam, lParam);
  const DWORD thread = ThreadOf(hwnd);
  if (thread == 0) return 0;
  if (thread == CurrentGuiThread()) return Deliver("sent", hwnd, msg, wParam, lParam);
  auto state = std::make_shared<SendState>();
  auto task = std::make_shared<SendTask>();
  task->state = state;
  task->hwnd = hwnd;
  task->msg = msg;
  task->wParam = wParam;
  task->lParam = lParam;
  const bool posted = PostSentTask(thread, [task]() {
    task->ran = true;
    ++t_in_send;
    const LRESULT r =
        IsWindow(task->hwnd) ? Deliver("sent across", task->hwnd, task->msg, task->wParam, task->lParam) : 0;
    --t_in_send;
    std::lock_guard<std::mutex> hold(task->state->m);
    task->state->result = r;
    task->state->done = true;
    task->state->cv.notify_all();
  });
  task.reset();
  if (!posted) return 0;
  for (;;) {
    {
      std::unique_lock<std::mutex> hold(state->m);
      if (state->cv.wait_for(hold, std::chrono::milliseconds(2),
                             [&] { return state->done || state->abandoned; })) {
        return state->done ? state->result : 0;
      }
    }
    // Messages sent to this thread meanwhile run now, so two threads that
    // send to each other do not lock up.
    if (HasMessageQueue(CurrentGuiThread())) RunSentTasks();
  }
}

BOOL SendNotifyMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  const DWORD thread = ThreadOf(hwnd);
  if (thread == 0) return FALSE;
  if (thread == CurrentGuiThread()) {
    Deliver("notified", hwnd, msg, wParam, lParam);
    return TRUE;
  }
  return PostSentTask(thread,
                      [=]() {
                        if (IsWindow(hwnd)) Deliver("notified", hwnd, msg, wParam, lParam);
                      })
             ? TRUE
             : FALSE;
}

BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (hwnd == nullptr) return PostThreadMessage(CurrentGuiThread(), msg, wParam, lParam);
  if (hwnd == HWND_BROADCAST) {
    std::vector<HWND> tops;
    {
      std::lock_guard<std::mutex> hold(TreeLock());
      tops = TopLevelOrder();
    }
    for (HWND h : tops) PostMessage(h, msg, wParam, lParam);
    return TRUE;
  }
  if (IsPeerWindowHandle(hwnd)) return PeerPostMessage(hwnd, msg, wParam, lParam);
  const DWORD thread = ThreadOf(hwnd);
  if (thread == 0) return FALSE;
  return PostQueueMessage(thread, hwnd, msg, wParam, lParam);
}

BOOL InSendMessage() {
  return t_in_send > 0 ? TRUE : FALSE;
}
LONG GetMessageTime() {
  return static_cast<LONG>(t_current.time);
}
DWORD GetMessagePos() {
  return MAKELONG(static_cast<WORD>(t_current.pt.x), static_cast<WORD>(t_current.pt.y));
}

LRESULT DispatchMessage(const MSG* msg) {
  if (msg == nullptr) return 0;
  t_current = *msg;
  if (msg->message == WM_TIMER && msg->lParam != 0) {
    // Only procedures given to SetTimer are called.
    if (!IsTimerProc(msg->lParam)) return 0;
    reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, GuiNow());
    return 0;
  }
  if (msg->hwnd == nullptr) return 0;
  if (ThreadOf(msg->hwnd) != CurrentGuiThread()) return 0;
  return Deliver("posted", msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL TranslateMessage(const MSG* msg) {
  if (msg == nullptr || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return FALSE;
  const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
  const bool caps = (GetKeyState(VK_CAPITAL) & 1) != 0;
  const bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
  const bool alt = (GetKeyState(VK_MENU) & 0x8000) != 0;
  const int ch = KeyToChar(static_cast<int>(msg->wParam), shift, caps, ctrl && !alt);
  if (ch == 0) return FALSE;
  const UINT kind = msg->message == WM_SYSKEYDOWN && alt ? WM_SYSCHAR : WM_CHAR;
  PostQueueMessage(CurrentGuiThread(), msg->hwnd, kind, static_cast<WPARAM>(ch), msg->lParam);
  return TRUE;
}

// ---- The default window procedure ----

namespace {

LRESULT DefCtlColor(HDC dc, UINT msg) {
  const bool white = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, GetSysColor(white ? COLOR_WINDOW : COLOR_BTNFACE));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(white ? COLOR_WINDOW : COLOR_BTNFACE));
}

}  // namespace

LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONUP:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
    case WM_SYSCOMMAND: {
      LRESULT r;
      if (MenuDefWindowProc(hwnd, msg, wParam, lParam, &r)) return r;
      break;
    }
  }
  switch (msg) {
    case WM_NCCREATE: {
      const auto* cs = reinterpret_cast<const CREATESTRUCT*>(lParam);
      if (cs != nullptr && cs->lpszName != nullptr && !IS_INTRESOURCE(cs->lpszName))
        StoreWindowText(hwnd, cs->lpszName);
      return TRUE;
    }
    case WM_NCCALCSIZE: {
      RECT* r = reinterpret_cast<RECT*>(lParam);
      if (r == nullptr) return 0;
      DWORD style, ex;
      bool menu, child;
      {
        std::lock_guard<std::mutex> hold(TreeLock());
        Window* w = FindWindowRecord(hwnd);
        if (w == nullptr) return 0;
        style = w->style;
        ex = w->ex_style;
        menu = w->menu != nullptr;
        child = w->parent != nullptr;
      }
      if (style & WS_MINIMIZE) {
        r->right = r->left;
        r->bottom = r->top;
        return 0;
      }
      const RECT in = NonClientInsets(style, ex, menu, child);
      r->left += in.left;
      r->top += in.top;
      r->right = std::max(r->left, r->right - in.right);
      r->bottom = std::max(r->top, r->bottom - in.bottom);
      return 0;
    }
    case WM_NCHITTEST:
      return NonClientHitTest(hwnd, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    case WM_NCPAINT:
      PaintNonClient(hwnd, GetActiveWindow() == hwnd);
      return 0;
    case WM_NCACTIVATE:
      PaintNonClient(hwnd, wParam != 0);
      return TRUE;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND: {
      HBRUSH brush = reinterpret_cast<HBRUSH>(GetClassLongPtr(hwnd, GCLP_HBRBACKGROUND));
      if (brush == nullptr) return 0;
      RECT r;
      GetClientRect(hwnd, &r);
      FillRect(reinterpret_cast<HDC>(wParam), &r, brush);
      return 1;
    }
    case WM_SETTEXT:
      StoreWindowText(hwnd, reinterpret_cast<LPCSTR>(lParam));
      return TRUE;
    case WM_GETTEXT: {
      char* out = reinterpret_cast<char*>(lParam);
      if (out == nullptr || wParam == 0) return 0;
      const std::string t = StoredWindowText(hwnd);
      const std::size_t n = std::min(t.size(), static_cast<std::size_t>(wParam - 1));
      std::memcpy(out, t.data(), n);
      out[n] = '\0';
      return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(StoredWindowText(hwnd).size());
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_CLOSE:
          if (!(GetClassLong(hwnd, GCL_STYLE) & CS_NOCLOSE)) SendMessage(hwnd, WM_CLOSE, 0, 0);
          return 0;
        case SC_MINIMIZE:
          ShowWindow(hwnd, SW_MINIMIZE);
          return 0;
        case SC_MAXIMIZE:
          ShowWindow(hwnd, SW_MAXIMIZE);
          return 0;
        case SC_RESTORE:
          ShowWindow(hwnd, SW_RESTORE);
          return 0;
      }
      return 0;
    case WM_NCLBUTTONDOWN:
      // The close box of the caption.
      if (wParam == static_cast<WPARAM>(HTCLOSE)) PostMessage(hwnd, WM_SYSCOMMAND, SC_CLOSE, lParam);
      if (wParam == static_cast<WPARAM>(HTVSCROLL) || wParam == static_cast<WPARAM>(HTHSCROLL)) {
        TrackWindowScrollBar(hwnd, wParam == static_cast<WPARAM>(HTVSCROLL) ? SB_VERT : SB_HORZ,
                             POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      }
      return 0;
    case WM_NCLBUTTONDBLCLK:
      // A quick second press on a scroll bar scrolls again.
      if (wParam == static_cast<WPARAM>(HTVSCROLL) || wParam == static_cast<WPARAM>(HTHSCROLL)) {
        TrackWindowScrollBar(hwnd, wParam == static_cast<WPARAM>(HTVSCROLL) ? SB_VERT : SB_HORZ,
                             POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
      }
      if (wParam == static_cast<WPARAM>(HTCAPTION) && (GetWindowLong(hwnd, GWL_STYLE) & WS_MAXIMIZEBOX) &&
          (GetWindowLong(hwnd, GWL_STYLE) & WS_THICKFRAME)) {
        SendMessage(hwnd, WM_SYSCOMMAND, IsZoomed(hwnd) ? SC_RESTORE : SC_MAXIMIZE, lParam);
      }
      return 0;
    case WM_SYSKEYDOWN:
      // Alt+F4 closes the top-level window, whichever child has the focus.
      if (wParam == VK_F4 && (lParam & (1 << 29))) PostMessage(GetAncestor(hwnd, GA_ROOT), WM_SYSCOMMAND, SC_CLOSE, 0);
      return 0;
    case WM_MOUSEACTIVATE:
      if (GetWindowLong(hwnd, GWL_STYLE) & WS_CHILD) {
        const LRESULT r = SendMessage(GetParent(hwnd), WM_MOUSEACTIVATE, wParam, lParam);
        if (r != 0) return r;
      }
      return MA_ACTIVATE;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) SetFocus(hwnd);
      return 0;
    case WM_SETCURSOR: {
      if (GetWindowLong(hwnd, GWL_STYLE) & WS_CHILD) {
        if (SendMessage(GetParent(hwnd), WM_SETCURSOR, wParam, lParam)) return TRUE;
      }
      const LRESULT hit = static_cast<SHORT>(LOWORD(static_cast<DWORD_PTR>(lParam)));
      // A parent asked on behalf of a child leaves the shape to the child.
      if (reinterpret_cast<HWND>(wParam) != hwnd) return FALSE;
      if (hit == HTCLIENT) {
        HCURSOR c = reinterpret_cast<HCURSOR>(GetClassLongPtr(hwnd, GCLP_HCURSOR));
        if (c != nullptr) {
          SetCursor(c);
          return TRUE;
        }
        return FALSE;
      }
      SetCursor(LoadCursor(nullptr, IDC_ARROW));
      return FALSE;
    }
    case WM_WINDOWPOSCHANGING: {
      auto* wp = reinterpret_cast<WINDOWPOS*>(lParam);
      const DWORD style = static_cast<DWORD>(GetWindowLong(hwnd, GWL_STYLE));
      if (wp != nullptr && !(wp->flags & SWP_NOSIZE) && !(style & (WS_CHILD | WS_MINIMIZE)) &&
          (style & (WS_THICKFRAME | WS_CAPTION))) {
        MINMAXINFO mmi;
        mmi.ptMaxSize = POINT{GetSystemMetrics(SM_CXMAXIMIZED), GetSystemMetrics(SM_CYMAXIMIZED)};
        mmi.ptMinTrackSize = POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
        mmi.ptMaxTrackSize = POINT{GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
        SendMessage(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
        if (style & WS_THICKFRAME) {
          wp->cx = std::clamp<int>(wp->cx, mmi.ptMinTrackSize.x,
                                   std::max(mmi.ptMinTrackSize.x, mmi.ptMaxTrackSize.x));
          wp->cy = std::clamp<int>(wp->cy, mmi.ptMinTrackSize.y,
                                   std::max(mmi.ptMinTrackSize.y, mmi.ptMaxTrackSize.y));
        }
      }
      return 0;
    }
    case WM_WINDOWPOSCHANGED: {
      const auto* wp = reinterpret_cast<const WINDOWPOS*>(lParam);
      if (wp == nullptr) return 0;
      RECT wr, cr;
      GetClientRect(hwnd, &cr);
      POINT org{0, 0};
      {
        std::lock_guard<std::mutex> hold(TreeLock());
        Window* w = FindWindowRecord(hwnd);
        if (w == nullptr) return 0;
        wr = w->rect;
        org = POINT{wr.left + w->client.left, wr.top + w->client.top};
      }
      if (!(wp->flags & SWP_NOMOVE)) SendMessage(hwnd, WM_MOVE, 0, MAKELPARAM(org.x, org.y));
      if (!(wp->flags & SWP_NOSIZE)) {
        const DWORD style = static_cast<DWORD>(GetWindowLong(hwnd, GWL_STYLE));
        const WPARAM kind = (style & WS_MINIMIZE)   ? SIZE_MINIMIZED
                            : (style & WS_MAXIMIZE) ? SIZE_MAXIMIZED
                                                    : SIZE_RESTORED;
        SendMessage(hwnd, WM_SIZE, kind, MAKELPARAM(cr.right, cr.bottom));
      }
      return 0;
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return DefCtlColor(reinterpret_cast<HDC>(wParam), msg);
    case WM_CANCELMODE:
      if (GetCapture() == hwnd) ReleaseCapture();
      return 0;
    case WM_SETREDRAW: {
      std::lock_guard<std::mutex> hold(TreeLock());
      if (Window* w = FindWindowRecord(hwnd)) w->redraw = wParam != 0;
      return 0;
    }
    case WM_SETICON: {
      std::lock_guard<std::mutex> hold(TreeLock());
      Window* w = FindWindowRecord(hwnd);
      if (w == nullptr) return 0;
      HICON& slot = wParam ? w->icon_big : w->icon_small;
      HICON old = slot;
      slot = reinterpret_cast<HICON>(lParam);
      return reinterpret_cast<LRESULT>(old);
    }
    case WM_GETICON: {
      std::lock_guard<std::mutex> hold(TreeLock());
      Window* w = FindWindowRecord(hwnd);
      if (w == nullptr) return 0;
      return reinterpret_cast<LRESULT>(wParam ? w->icon_big : w->icon_small);
    }
    case WM_CONTEXTMENU:
    case WM_MOUSEWHEEL:
    case WM_HELP:
      if (GetWindowLong(hwnd, GWL_STYLE) & WS_CHILD) return SendMessage(GetParent(hwnd), msg, wParam, lParam);
      return 0;
    case WM_QUERYNEWPALETTE:
    case WM_PALETTEISCHANGING:
    case WM_PALETTECHANGED:
    case WM_PARENTNOTIFY:
    case WM_DROPFILES:
    case WM_GETDLGCODE:
      return 0;
  }
  return 0;
}
