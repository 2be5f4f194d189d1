// TWindow: an object bound to a window of the window system. Messages reach
// the object's response table (derived tables first); what no table takes
// goes to the default processing of the window's class. Windows form a tree
// of objects: a window owns the child objects created with it as parent and
// deletes those still alive when it goes.
//
// Commands (menus, accelerators, buttons) are routed: the receiving window's
// table, then its parents' up to the top-level window, then the
// application's. Command enablers follow the same road; a command that no
// enabler handles is enabled when some table on the road handles it.
//
// Threads: an object and its window belong to the thread that creates the
// window (a wait dialog runs on a thread of its own); the one table that
// binds windows to objects is shared and locked, the rest is per object.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/dc.h"
#include "platform/classlib/event.h"
#include "platform/classlib/module.h"
#include "platform/gui/gui.h"

class TApplication;
class TScroller;

enum TTransferDirection { tdGetData, tdSetData, tdSizeData };

// Flags of a window object.
enum TWindowFlag : unsigned {
  wfAlias = 0x0001,           // bound to a window of another class; its default processing is that class's
  wfAutoCreate = 0x0002,      // created with its parent
  wfFromResource = 0x0004,    // an item of its parent dialog's template
  wfMainWindow = 0x0008,      // the application's main window
  wfModal = 0x0010,           // a dialog running modally
  wfShrinkToClient = 0x0020,  // sizes itself to what it shows: a host leaves its size alone
};

struct TWindowAttr {
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = CW_USEDEFAULT;
  int Y = 0;
  int W = CW_USEDEFAULT;
  int H = 0;
  TResId Menu;
  int Id = 0;
  LPVOID Param = nullptr;
  TResId AccelTable;
};

class TWindow : public TEventHandler {
 public:
  TWindow(TWindow* parent, const char* title = nullptr, TModule* module = nullptr);
  ~TWindow() override;
  TWindow(const TWindow&) = delete;
  TWindow& operator=(const TWindow&) = delete;

  // The object bound to a window, or null.
  static TWindow* GetWindowPtr(HWND hwnd);

  // Creation and set-up.
  virtual bool Create();
  virtual void SetupWindow();
  virtual void CleanupWindow();
  virtual void Destroy(int retVal = 0);
  // Destroys the window when CanClose agrees.
  virtual void CloseWindow(int retVal = 0);
  virtual bool CanClose();
  // Destroys the window and deletes the object.
  void ShutDownWindow(int retVal = 0);
  virtual void TransferData(TTransferDirection direction);

  // The message loop's hooks.
  virtual bool PreProcessMsg(MSG& msg);
  virtual bool IdleAction(long idleCount);

  // Class registration: the class name and its description.
  virtual const char* GetClassName();
  virtual void GetWindowClass(WNDCLASS& wc);
  // Registers the window class when it is not registered yet.
  bool Register();

  virtual void Paint(TDC& dc, bool erase, TRect& rect);
  // Enables or disables the window; true when it was disabled before.
  virtual bool EnableWindow(bool enable);

  // Messages.
  virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
  // Dispatches a message to this object directly.
  LRESULT HandleMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
  // The default processing of the message being handled.
  LRESULT DefaultProcessing();
  virtual void EvCommand(UINT id, HWND hWndCtl, UINT notifyCode);
  virtual void EvCommandEnable(TCommandEnabler& ce);
  virtual LRESULT EvNotify(UINT id, void* header);
  // Routes a command from this window up to the application; false when
  // nobody handles it.
  bool RouteCommand(UINT id, WPARAM wParam = 0, LPARAM lParam = 0);
  // Routes an enabler the same way. With autoDisable an enabler nobody
  // handles disables a command that nobody handles either.
  void RouteCommandEnable(TCommandEnabler& ce, bool autoDisable = true);

  // The tree.
  TWindow* GetParentO() const { return Parent; }
  // Moves the object (and its window, when both exist) under newParent.
  void SetParent(TWindow* newParent);
  TWindow* Parent = nullptr;
  const std::vector<TWindow*>& Children() const { return ChildList; }
  TWindow* ChildWithId(int id) const;
  TModule* GetModule() const { return Module; }
  TApplication* GetApplication() const;

  // The window.
  HWND GetHandle() const { return HWindow; }
  operator HWND() const { return HWindow; }
  bool IsWindow() const { return HWindow != nullptr && ::IsWindow(HWindow); }
  int GetId() const { return Attr.Id; }
  void SetFlag(unsigned mask) { Flags |= mask; }
  void ClearFlag(unsigned mask) { Flags &= ~mask; }
  bool IsFlagSet(unsigned mask) const { return (Flags & mask) != 0; }

  // Wrappers of the window functions.
  bool Show(int cmdShow) { return ::ShowWindow(HWindow, cmdShow) != 0; }
  void Invalidate(bool erase = true) { ::InvalidateRect(HWindow, nullptr, erase); }
  void InvalidateRect(const TRect& rect, bool erase = true) { ::InvalidateRect(HWindow, &rect, erase); }
  void UpdateWindow() { ::UpdateWindow(HWindow); }
  void SetCaption(const char* title);
  const char* GetCaption() const { return Title.c_str(); }
  TRect GetClientRect() const;
  TRect GetWindowRect() const;
  bool MoveWindow(const TRect& rect, bool repaint = false);
  bool SetWindowPos(HWND after, const TRect& rect, UINT flags);
  HWND GetDlgItem(int id) const { return ::GetDlgItem(HWindow, id); }
  LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
    return ::SendMessage(HWindow, msg, wParam, lParam);
  }
  bool PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
    return ::PostMessage(HWindow, msg, wParam, lParam) != 0;
  }
  LRESULT SendDlgItemMessage(int id, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
    return ::SendDlgItemMessage(HWindow, id, msg, wParam, lParam);
  }
  HWND SetFocus() { return ::SetFocus(HWindow); }
  UINT_PTR SetTimer(UINT_PTR id, UINT elapse) { return ::SetTimer(HWindow, id, elapse, nullptr); }
  bool KillTimer(UINT_PTR id) { return ::KillTimer(HWindow, id) != 0; }
  void ClientToScreen(TPoint& p) const { ::ClientToScreen(HWindow, &p); }
  void ScreenToClient(TPoint& p) const { ::ScreenToClient(HWindow, &p); }
  HMENU GetMenu() const { return ::GetMenu(HWindow); }

  // Default handlers of the base table (derived tables may list their own).
  void EvClose();
  void EvDestroy();
  void EvPaint();
  void EvInitMenuPopup(HMENU popup, UINT index, bool sysMenu);
  LRESULT EvEnterIdle(UINT source, HWND hWndDlg);
  // The window's own scroll bars move its scroller; a control's go to it.
  void EvHScroll(UINT code, UINT pos, HWND hWndCtl);
  void EvVScroll(UINT code, UINT pos, HWND hWndCtl);
  // A new size gives the scroller its new page.
  void EvSize(UINT sizeType, const TSize& size);
  // An owner-drawn control of this window draws itself (TControl::DrawItem).
  void EvDrawItem(UINT ctrlId, DRAWITEMSTRUCT& drawInfo);
  // A scroll notification of this control, passed on by its parent; true
  // when the control took it.
  virtual bool ChildScroll(UINT code, UINT pos);

  TWindowAttr Attr;
  // Scrolls the window with its own scroll bars; owned, null for none.
  TScroller* Scroller = nullptr;

 protected:
  // Binds the object to hwnd; a window of another class is subclassed
  // unless subclass is false (dialogs speak through their dialog procedure).
  void Attach(HWND hwnd, bool subclass = true);
  // Unbinds the object (the window stays).
  void Detach();
  // Binds the children made from the dialog's items and creates the others.
  void CreateChildren();
  // The window procedure of classes registered by objects.
  static LRESULT StdWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  // Receives a message for the bound window (both procedures go here).
  LRESULT ReceiveMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  // Handles the window's creation (WM_CREATE): set-up and data transfer.
  void PerformSetup();
  // A message that no table took, in the window's own default way.
  virtual LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
  // The object whose creation is running on this thread.
  static TWindow*& Creating();

  HWND HWindow = nullptr;
  std::string Title;
  TModule* Module = nullptr;
  unsigned Flags = 0;
  HACCEL hAccel = nullptr;
  WNDPROC DefaultProc = nullptr;  // the subclassed procedure, null for ours

  struct TCurrentEvent {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    bool Defaulted = false;
  };
  TCurrentEvent CurrentEvent;
  // Whether the last message ReceiveMessage ran went to default processing.
  bool LastDefaulted = false;

 private:
  void AddChild(TWindow* child);
  void RemoveChild(TWindow* child);
  void RouteScroll(UINT msg, UINT code, UINT pos, HWND hWndCtl);
  std::vector<TWindow*> ChildList;
  bool SetupDone = false;
  // False once the object is deleted; each object has its own, so objects of
  // different threads share no bookkeeping.
  std::shared_ptr<bool> Alive = std::make_shared<bool>(true);

  DECLARE_RESPONSE_TABLE(TWindow);
};
