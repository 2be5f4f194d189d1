// Response tables: each class of window (and the application) lists the
// messages, commands, command enablers and control notifications it
// handles, each with the member function that handles it. A lookup searches
// the class's own table first and then its base class's, so a derived
// class overrides an entry of its base by listing the same message.
//
//   class TMyDialog : public TDialog {
//     ...
//     DECLARE_RESPONSE_TABLE(TMyDialog);
//   };
//   DEFINE_RESPONSE_TABLE1(TMyDialog, TDialog)
//     EV_COMMAND(IDHELP, CmHelp),
//     EV_COMMAND_ENABLE(101, CeApply),
//     EV_WM_LBUTTONDOWN,
//   END_RESPONSE_TABLE;
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/classlib/geometry.h"
#include "platform/gui/controls/common.h"
#include "platform/gui/user_types.h"

class TEventHandler;

// The state a command's menu item, tool bar button or dialog control should
// show. The routing hands it to the handler listed for its id.
class TCommandEnabler {
 public:
  explicit TCommandEnabler(UINT id, HWND receiver = nullptr) : Id(id), Receiver(receiver) {}
  virtual ~TCommandEnabler() = default;
  UINT GetId() const { return Id; }
  HWND GetReceiver() const { return Receiver; }

  enum TState { Unchecked = 0, Checked = 1, Indeterminate = 2 };
  virtual void Enable(bool enable = true) {
    Handled = true;
    Enabled = enable;
  }
  virtual void SetCheck(int state) {
    Handled = true;
    Check = state;
  }
  virtual void SetText(const char* text) {
    Handled = true;
    Text = text != nullptr ? text : "";
  }
  bool GetHandled() const { return Handled; }
  bool IsEnabled() const { return Enabled; }

 protected:
  UINT Id;
  HWND Receiver;
  bool Handled = false;
  bool Enabled = true;
  int Check = -1;
  std::string Text;
};

enum class TEventKind {
  Message,         // any message but WM_COMMAND
  Command,         // WM_COMMAND from a menu, an accelerator or a button click
  CommandEnable,   // a command enabler for the id
  ChildNotify,     // WM_COMMAND from control id with one notification code
  ChildNotifyAll,  // WM_COMMAND from control id with any code
  NotifyAtChild,   // a notification handled by the control that sent it
};

using TDispatcher = std::function<LRESULT(TEventHandler&, WPARAM, LPARAM)>;

struct TResponseTableEntry {
  TEventKind Kind = TEventKind::Message;
  UINT Msg = 0;
  UINT Id = 0;
  UINT NotifyCode = 0;
  TDispatcher Dispatch;
};

// What a lookup asks for, and the entry it found.
struct TEventInfo {
  TEventInfo(TEventKind kind, UINT msg, UINT id = 0, UINT code = 0)
      : Kind(kind), Msg(msg), Id(id), Code(code) {}
  TEventKind Kind;
  UINT Msg;
  UINT Id;
  UINT Code;
  const TResponseTableEntry* Entry = nullptr;
};

class TEventHandler {
 public:
  virtual ~TEventHandler() = default;
  // Searches the response tables of this object's class and its bases.
  virtual bool Find(TEventInfo& info);
  // Calls the entry found by Find.
  LRESULT Dispatch(const TEventInfo& info, WPARAM wParam, LPARAM lParam) {
    return info.Entry->Dispatch(*this, wParam, lParam);
  }

 protected:
  static bool SearchEntries(const std::vector<TResponseTableEntry>& entries, TEventInfo& info);
};

#define DECLARE_RESPONSE_TABLE(cls)                                  \
 private:                                                            \
  static const std::vector<TResponseTableEntry>& ResponseEntries_(); \
                                                                     \
 public:                                                             \
  bool Find(TEventInfo& info) override

#define DEFINE_RESPONSE_TABLE1(cls, base)                                    \
  bool cls::Find(TEventInfo& info) {                                         \
    return SearchEntries(cls::ResponseEntries_(), info) || base::Find(info); \
  }                                                                          \
  const std::vector<TResponseTableEntry>& cls::ResponseEntries_() {          \
    using TMyClass = cls;                                                    \
    static const std::vector<TResponseTableEntry> entries_ = {
#define END_RESPONSE_TABLE \
  }                        \
  ;                        \
  return entries_;         \
  }

// ---- Entry builders ----

namespace classlib_entries {

template <class T>
T& As(TEventHandler& h) {
  return static_cast<T&>(h);
}

template <class T>
TResponseTableEntry Command(UINT id, void (T::*pmf)()) {
  return {TEventKind::Command, WM_COMMAND, id, 0, [pmf](TEventHandler& h, WPARAM, LPARAM) -> LRESULT {
            (As<T>(h).*pmf)();
            return 0;
          }};
}

template <class T>
TResponseTableEntry CommandAndId(UINT id, void (T::*pmf)(WPARAM)) {
  return {TEventKind::Command, WM_COMMAND, id, 0, [pmf, id](TEventHandler& h, WPARAM, LPARAM) -> LRESULT {
            (As<T>(h).*pmf)(id);
            return 0;
          }};
}

template <class T>
TResponseTableEntry CommandEnable(UINT id, void (T::*pmf)(TCommandEnabler&)) {
  return {TEventKind::CommandEnable, WM_COMMAND, id, 0,
          [pmf](TEventHandler& h, WPARAM, LPARAM lp) -> LRESULT {
            (As<T>(h).*pmf)(*reinterpret_cast<TCommandEnabler*>(lp));
            return 0;
          }};
}

template <class T>
TResponseTableEntry ChildNotify(UINT id, UINT code, void (T::*pmf)()) {
  return {TEventKind::ChildNotify, WM_COMMAND, id, code, [pmf](TEventHandler& h, WPARAM, LPARAM) -> LRESULT {
            (As<T>(h).*pmf)();
            return 0;
          }};
}

template <class T>
TResponseTableEntry ChildNotifyAndCode(UINT id, UINT code, void (T::*pmf)(UINT)) {
  return {TEventKind::ChildNotify, WM_COMMAND, id, code,
          [pmf](TEventHandler& h, WPARAM wp, LPARAM) -> LRESULT {
            (As<T>(h).*pmf)(HIWORD(wp));
            return 0;
          }};
}

template <class T>
TResponseTableEntry ChildNotifyAllCodes(UINT id, void (T::*pmf)(UINT)) {
  return {TEventKind::ChildNotifyAll, WM_COMMAND, id, 0,
          [pmf](TEventHandler& h, WPARAM wp, LPARAM) -> LRESULT {
            (As<T>(h).*pmf)(HIWORD(wp));
            return 0;
          }};
}

template <class T>
TResponseTableEntry NotifyAtChild(UINT code, void (T::*pmf)()) {
  return {TEventKind::NotifyAtChild, WM_COMMAND, 0, code, [pmf](TEventHandler& h, WPARAM, LPARAM) -> LRESULT {
            (As<T>(h).*pmf)();
            return 0;
          }};
}

template <class T>
TResponseTableEntry Message(UINT msg, LRESULT (T::*pmf)(WPARAM, LPARAM)) {
  return {TEventKind::Message, msg, 0, 0,
          [pmf](TEventHandler& h, WPARAM wp, LPARAM lp) -> LRESULT { return (As<T>(h).*pmf)(wp, lp); }};
}

// Typed messages: the handler's arguments unpacked from the parameters.
template <class T>
TResponseTableEntry Mouse(UINT msg, void (T::*pmf)(UINT, const TPoint&)) {
  return {TEventKind::Message, msg, 0, 0, [pmf](TEventHandler& h, WPARAM wp, LPARAM lp) -> LRESULT {
            (As<T>(h).*pmf)(static_cast<UINT>(wp), TPoint(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)));
            return 0;
          }};
}

template <class T>
TResponseTableEntry Void(UINT msg, void (T::*pmf)()) {
  return {TEventKind::Message, msg, 0, 0, [pmf](TEventHandler& h, WPARAM, LPARAM) -> LRESULT {
            (As<T>(h).*pmf)();
            return 0;
          }};
}

template <class T>
TResponseTableEntry Size(UINT msg, void (T::*pmf)(UINT, const TSize&)) {
  return {TEventKind::Message, msg, 0, 0, [pmf](TEventHandler& h, WPARAM wp, LPARAM lp) -> LRESULT {
            (As<T>(h).*pmf)(static_cast<UINT>(wp), TSize(LOWORD(lp), HIWORD(lp)));
            return 0;
          }};
}

template <class T>
TResponseTableEntry Uint(UINT msg, void (T::*pmf)(UINT)) {
  return {TEventKind::Message, msg, 0, 0, [pmf](TEventHandler& h, WPARAM wp, LPARAM) -> LRESULT {
            (As<T>(h).*pmf)(static_cast<UINT>(wp));
            return 0;
          }};
}

template <class T>
TResponseTableEntry Key(UINT msg, void (T::*pmf)(UINT, UINT, UINT)) {
  return {TEventKind::Message, msg, 0, 0, [pmf](TEventHandler& h, WPARAM wp, LPARAM lp) -> LRESULT {
            (As<T>(h).*pmf)(static_cast<UINT>(wp), LOWORD(lp), HIWORD(lp));
            return 0;
          }};
}

template <class T>
TResponseTableEntry Hwnd(UINT msg, void (T::*pmf)(HWND)) {
  return {TEventKind::Message, msg, 0, 0, [pmf](TEventHandler& h, WPARAM wp, LPARAM) -> LRESULT {
            (As<T>(h).*pmf)(reinterpret_cast<HWND>(wp));
            return 0;
          }};
}

template <class T>
TResponseTableEntry Scroll(UINT msg, void (T::*pmf)(UINT, UINT, HWND)) {
  return {TEventKind::Message, msg, 0, 0, [pmf](TEventHandler& h, WPARAM wp, LPARAM lp) -> LRESULT {
            (As<T>(h).*pmf)(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
            return 0;
          }};
}

template <class T>
TResponseTableEntry SysCommand(UINT msg, void (T::*pmf)(UINT, const TPoint&)) {
  return {TEventKind::Message, msg, 0, 0, [pmf](TEventHandler& h, WPARAM wp, LPARAM lp) -> LRESULT {
            (As<T>(h).*pmf)(static_cast<UINT>(wp), TPoint(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)));
            return 0;
          }};
}

template <class T>
TResponseTableEntry ActivateApp(UINT msg, void (T::*pmf)(bool, DWORD)) {
  return {TEventKind::Message, msg, 0, 0, [pmf](TEventHandler& h, WPARAM wp, LPARAM lp) -> LRESULT {
            (As<T>(h).*pmf)(wp != 0, static_cast<DWORD>(lp));
            return 0;
          }};
}

template <class T>
TResponseTableEntry DropFiles(UINT msg, void (T::*pmf)(HDROP)) {
  return {TEventKind::Message, msg, 0, 0, [pmf](TEventHandler& h, WPARAM wp, LPARAM) -> LRESULT {
            (As<T>(h).*pmf)(reinterpret_cast<HDROP>(wp));
            return 0;
          }};
}

template <class T>
TResponseTableEntry EraseBkgnd(UINT msg, bool (T::*pmf)(HDC)) {
  return {TEventKind::Message, msg, 0, 0, [pmf](TEventHandler& h, WPARAM wp, LPARAM) -> LRESULT {
            return (As<T>(h).*pmf)(reinterpret_cast<HDC>(wp)) ? 1 : 0;
          }};
}

template <class T>
TResponseTableEntry SetCursor(UINT msg, bool (T::*pmf)(HWND, UINT, UINT)) {
  return {TEventKind::Message, msg, 0, 0, [pmf](TEventHandler& h, WPARAM wp, LPARAM lp) -> LRESULT {
            return (As<T>(h).*pmf)(reinterpret_cast<HWND>(wp), LOWORD(lp), HIWORD(lp)) ? 1 : 0;
          }};
}

template <class T>
TResponseTableEntry CtlColor(UINT msg, HBRUSH (T::*pmf)(HDC, HWND, UINT)) {
  return {TEventKind::Message, msg, 0, 0, [pmf, msg](TEventHandler& h, WPARAM wp, LPARAM lp) -> LRESULT {
            return reinterpret_cast<LRESULT>((As<T>(h).*pmf)(
                reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp), msg - WM_CTLCOLORMSGBOX));
          }};
}

template <class T>
TResponseTableEntry InitMenuPopup(UINT msg, void (T::*pmf)(HMENU, UINT, bool)) {
  return {TEventKind::Message, msg, 0, 0, [pmf](TEventHandler& h, WPARAM wp, LPARAM lp) -> LRESULT {
            (As<T>(h).*pmf)(reinterpret_cast<HMENU>(wp), LOWORD(lp), HIWORD(lp) != 0);
            return 0;
          }};
}

template <class T>
TResponseTableEntry MenuSelect(UINT msg, void (T::*pmf)(UINT, UINT, HMENU)) {
  return {TEventKind::Message, msg, 0, 0, [pmf](TEventHandler& h, WPARAM wp, LPARAM lp) -> LRESULT {
            (As<T>(h).*pmf)(LOWORD(wp), HIWORD(wp), reinterpret_cast<HMENU>(lp));
            return 0;
          }};
}

template <class T>
TResponseTableEntry EnterIdle(UINT msg, LRESULT (T::*pmf)(UINT, HWND)) {
  return {TEventKind::Message, msg, 0, 0, [pmf](TEventHandler& h, WPARAM wp, LPARAM lp) -> LRESULT {
            return (As<T>(h).*pmf)(static_cast<UINT>(wp), reinterpret_cast<HWND>(lp));
          }};
}

template <class T>
TResponseTableEntry DrawItem(UINT msg, void (T::*pmf)(UINT, DRAWITEMSTRUCT&)) {
  return {TEventKind::Message, msg, 0, 0, [pmf](TEventHandler& h, WPARAM wp, LPARAM lp) -> LRESULT {
            if (lp == 0) return FALSE;
            (As<T>(h).*pmf)(static_cast<UINT>(wp), *reinterpret_cast<DRAWITEMSTRUCT*>(lp));
            return TRUE;
          }};
}

template <class T>
TResponseTableEntry MinMax(UINT msg, void (T::*pmf)(MINMAXINFO&)) {
  return {TEventKind::Message, msg, 0, 0, [pmf](TEventHandler& h, WPARAM, LPARAM lp) -> LRESULT {
            (As<T>(h).*pmf)(*reinterpret_cast<MINMAXINFO*>(lp));
            return 0;
          }};
}

}  // namespace classlib_entries

#define EV_COMMAND(id, method) classlib_entries::Command<TMyClass>(id, &TMyClass::method)
#define EV_COMMAND_AND_ID(id, method) classlib_entries::CommandAndId<TMyClass>(id, &TMyClass::method)
#define EV_COMMAND_ENABLE(id, method) classlib_entries::CommandEnable<TMyClass>(id, &TMyClass::method)
#define EV_CHILD_NOTIFY(id, code, method) classlib_entries::ChildNotify<TMyClass>(id, code, &TMyClass::method)
#define EV_CHILD_NOTIFY_AND_CODE(id, code, method) \
  classlib_entries::ChildNotifyAndCode<TMyClass>(id, code, &TMyClass::method)
#define EV_CHILD_NOTIFY_ALL_CODES(id, method) \
  classlib_entries::ChildNotifyAllCodes<TMyClass>(id, &TMyClass::method)
#define EV_NOTIFY_AT_CHILD(code, method) classlib_entries::NotifyAtChild<TMyClass>(code, &TMyClass::method)
#define EV_MESSAGE(msg, method) classlib_entries::Message<TMyClass>(msg, &TMyClass::method)

// Notifications of the standard controls.
#define EV_BN_CLICKED(id, method) EV_CHILD_NOTIFY(id, 0, method)
#define EV_EN_CHANGE(id, method) EV_CHILD_NOTIFY(id, 0x0300, method)
#define EV_EN_KILLFOCUS(id, method) EV_CHILD_NOTIFY(id, 0x0200, method)
#define EV_LBN_SELCHANGE(id, method) EV_CHILD_NOTIFY(id, 1, method)
#define EV_LBN_DBLCLK(id, method) EV_CHILD_NOTIFY(id, 2, method)
#define EV_CBN_SELCHANGE(id, method) EV_CHILD_NOTIFY(id, 1, method)

// Window messages with their usual handler names and arguments.
#define EV_WM_LBUTTONDOWN classlib_entries::Mouse<TMyClass>(WM_LBUTTONDOWN, &TMyClass::EvLButtonDown)
#define EV_WM_LBUTTONUP classlib_entries::Mouse<TMyClass>(WM_LBUTTONUP, &TMyClass::EvLButtonUp)
#define EV_WM_LBUTTONDBLCLK classlib_entries::Mouse<TMyClass>(WM_LBUTTONDBLCLK, &TMyClass::EvLButtonDblClk)
#define EV_WM_RBUTTONDOWN classlib_entries::Mouse<TMyClass>(WM_RBUTTONDOWN, &TMyClass::EvRButtonDown)
#define EV_WM_RBUTTONUP classlib_entries::Mouse<TMyClass>(WM_RBUTTONUP, &TMyClass::EvRButtonUp)
#define EV_WM_RBUTTONDBLCLK classlib_entries::Mouse<TMyClass>(WM_RBUTTONDBLCLK, &TMyClass::EvRButtonDblClk)
#define EV_WM_MOUSEMOVE classlib_entries::Mouse<TMyClass>(WM_MOUSEMOVE, &TMyClass::EvMouseMove)
#define EV_WM_SIZE classlib_entries::Size<TMyClass>(WM_SIZE, &TMyClass::EvSize)
#define EV_WM_TIMER classlib_entries::Uint<TMyClass>(WM_TIMER, &TMyClass::EvTimer)
#define EV_WM_KEYDOWN classlib_entries::Key<TMyClass>(WM_KEYDOWN, &TMyClass::EvKeyDown)
#define EV_WM_KEYUP classlib_entries::Key<TMyClass>(WM_KEYUP, &TMyClass::EvKeyUp)
#define EV_WM_CHAR classlib_entries::Key<TMyClass>(WM_CHAR, &TMyClass::EvChar)
#define EV_WM_SETFOCUS classlib_entries::Hwnd<TMyClass>(WM_SETFOCUS, &TMyClass::EvSetFocus)
#define EV_WM_KILLFOCUS classlib_entries::Hwnd<TMyClass>(WM_KILLFOCUS, &TMyClass::EvKillFocus)
#define EV_WM_HSCROLL classlib_entries::Scroll<TMyClass>(WM_HSCROLL, &TMyClass::EvHScroll)
#define EV_WM_VSCROLL classlib_entries::Scroll<TMyClass>(WM_VSCROLL, &TMyClass::EvVScroll)
#define EV_WM_SYSCOMMAND classlib_entries::SysCommand<TMyClass>(WM_SYSCOMMAND, &TMyClass::EvSysCommand)
#define EV_WM_ACTIVATEAPP classlib_entries::ActivateApp<TMyClass>(WM_ACTIVATEAPP, &TMyClass::EvActivateApp)
#define EV_WM_DROPFILES classlib_entries::DropFiles<TMyClass>(WM_DROPFILES, &TMyClass::EvDropFiles)
#define EV_WM_PALETTECHANGED classlib_entries::Hwnd<TMyClass>(WM_PALETTECHANGED, &TMyClass::EvPaletteChanged)
#define EV_WM_CLOSE classlib_entries::Void<TMyClass>(WM_CLOSE, &TMyClass::EvClose)
#define EV_WM_DESTROY classlib_entries::Void<TMyClass>(WM_DESTROY, &TMyClass::EvDestroy)
#define EV_WM_PAINT classlib_entries::Void<TMyClass>(WM_PAINT, &TMyClass::EvPaint)
#define EV_WM_ERASEBKGND classlib_entries::EraseBkgnd<TMyClass>(WM_ERASEBKGND, &TMyClass::EvEraseBkgnd)
#define EV_WM_SETCURSOR classlib_entries::SetCursor<TMyClass>(WM_SETCURSOR, &TMyClass::EvSetCursor)
#define EV_WM_CTLCOLOR(msg) classlib_entries::CtlColor<TMyClass>(msg, &TMyClass::EvCtlColor)
#define EV_WM_INITMENUPOPUP \
  classlib_entries::InitMenuPopup<TMyClass>(WM_INITMENUPOPUP, &TMyClass::EvInitMenuPopup)
#define EV_WM_MENUSELECT classlib_entries::MenuSelect<TMyClass>(WM_MENUSELECT, &TMyClass::EvMenuSelect)
#define EV_WM_ENTERIDLE classlib_entries::EnterIdle<TMyClass>(WM_ENTERIDLE, &TMyClass::EvEnterIdle)
#define EV_WM_DRAWITEM classlib_entries::DrawItem<TMyClass>(WM_DRAWITEM, &TMyClass::EvDrawItem)
#define EV_WM_GETMINMAXINFO classlib_entries::MinMax<TMyClass>(WM_GETMINMAXINFO, &TMyClass::EvGetMinMaxInfo)
