#include "video/wait_dialog.h"

#include <memory>

#include "model/time_code.h"
#include "model/timeline_view.h"
#include "platform/core/sync.h"
#include "platform/core/threads.h"
#include "platform/core/time.h"
#include "platform/gui/gui.h"
#include "platform/gui/modal.h"
#include "platform/gui/resource.h"
#include "resources/timeline_ids.h"
#include "resources/wait_dialog_ids.h"
#include "video/velmora_api.h"
#include "video/velmora_device.h"
#include "video/velmora_messager.h"

int32_t GpiTimeout = kDefaultGpiTimeout;

// clang-format off
DEFINE_RESPONSE_TABLE1(WaitDialog, TDialog)
  EV_COMMAND(IDOK, CmOk),
  EV_COMMAND(IDCANCEL, CmCancel),
  EV_MESSAGE(kWaitShowMessage, EvWaitShow),
  EV_MESSAGE(kWaitEndMessage, EvWaitEnd),
  EV_MESSAGE(kWaitStartMessage, EvWaitStart),
  EV_WM_SYSCOMMAND,
  EV_WM_MOUSEMOVE,
  EV_WM_LBUTTONDOWN,
END_RESPONSE_TABLE;
// clang-format on

WaitDialog::WaitDialog(HWND parent, int resId, int32_t parts_, TimeLinePlayers* players_)
    : TDialog(TWindow::GetWindowPtr(parent), resId), parts(parts_), parentWindow(parent), players(players_) {}

WaitDialog::~WaitDialog() = default;

void WaitDialog::EndThread() {
  if (thread == nullptr) return;
  // Never leave the thread behind the object it reads.
  Cancel();
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  thread = nullptr;
}

bool WaitDialog::Execute(HWND parent, int32_t parts, int32_t mode, TimeLinePlayers* players) {
  if (mode == 0) return true;
  std::unique_ptr<WaitDialog> dialog;
  if (mode == 1) {
    dialog = std::make_unique<WaitKeyboardDialog>(parent, parts, players);
  } else if (mode >= 2 && mode <= 5) {
    if (!VelmoraBoardAvailable) return false;
    dialog = std::make_unique<WaitGPIDialog>(parent, parts, players, mode - 2);
  } else {
    return false;
  }
  dialog->RunModal();
  dialog->EndThread();
  return dialog->started;
}

int WaitDialog::RunModal() {
  const HWND owner = parentWindow != nullptr && ::IsWindow(parentWindow) ? GetAncestor(parentWindow, GA_ROOT) : nullptr;
  if (!Create()) return -1;
  const bool ownerDisabled = owner != nullptr && IsWindowEnabled(owner);
  if (ownerDisabled) ::EnableWindow(owner, FALSE);
  if (!closed) Show(SW_SHOWNORMAL);
  const HWND dialog = HWindow;
  RunModalLoop(
      dialog, [&] { return closed || !::IsWindow(dialog); },
      [&](const MSG& m) { return IsDialogMessage(dialog, &m) != FALSE; },
      [&] {
        // Nobody answers: a wait that ends by itself runs to its end; any
        // other is cancelled as Esc would.
        if (EndsByItself() && !EndAsked()) return RunToItsEnd();
        if (::IsWindow(dialog)) ::SendMessage(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      },
      [&](int) {
        // Once told to end, the thread needs a moment to say it has.
        if (thread == nullptr || !EndAsked() || WaitForSingleObject(thread, 0) == WAIT_OBJECT_0) return false;
        MsgWaitForMultipleObjects(1, &thread, FALSE, 10, QS_ALLINPUT);
        return true;
      });
  if (ownerDisabled && ::IsWindow(owner)) ::EnableWindow(owner, TRUE);
  if (::IsWindow(dialog)) ::DestroyWindow(dialog);
  if (owner != nullptr && ::IsWindow(owner) && IsWindowVisible(owner)) SetActiveWindow(owner);
  return closed ? static_cast<int>(result) : IDCANCEL;
}

void WaitDialog::RunToItsEnd() {
  MSG m;
  while (!closed && ::IsWindow(HWindow)) {
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(m.wParam));
        Cancel();
        return;
      }
      if (!IsDialogMessage(HWindow, &m)) {
        TranslateMessage(&m);
        DispatchMessage(&m);
      }
      if (closed) return;
    }
    MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT);
  }
}

void WaitDialog::SetupWindow() {
  TDialog::SetupWindow();
  EnableMenuItem(GetSystemMenu(HWindow, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
  // Centred on the screen and above every other window.
  const TRect r = GetWindowRect();
  const int x = (GetSystemMetrics(SM_CXSCREEN) - r.Width()) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - r.Height()) / 2;
  SetWindowLong(HWindow, GWL_EXSTYLE, GetWindowLong(HWindow, GWL_EXSTYLE) | WS_EX_TOPMOST);
  ::SetWindowPos(HWindow, HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE);
  SetupItems();
  thread = CreateThread(nullptr, 4096, &WaitDialog::ThreadMain, this, 0, nullptr);
  if (thread == nullptr) closed = true;
}

DWORD WaitDialog::ThreadMain(void* argument) {
  auto* dialog = static_cast<WaitDialog*>(argument);
  const HWND window = dialog->HWindow;
  ::SendMessage(window, kWaitShowMessage, 0, 0);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
  dialog->Wait();
  ::PostMessage(window, kWaitEndMessage, 0, 0);
  return 0;
}

LRESULT WaitDialog::EvWaitShow(WPARAM, LPARAM) {
  Show(SW_SHOW);
  ::SetFocus(GetDlgItem(IDOK) != nullptr ? GetDlgItem(IDOK) : GetDlgItem(IDCANCEL));
  SetCapture(HWindow);
  SetActiveWindow(HWindow);
  if (TheVelmoraMessager != nullptr) TheVelmoraMessager->waitDialog = this;
  return 0;
}

LRESULT WaitDialog::EvWaitEnd(WPARAM, LPARAM) {
  if (TheVelmoraMessager != nullptr) {
    if (TheVelmoraMessager->waitDialog == this) TheVelmoraMessager->waitDialog = nullptr;
    TheVelmoraMessager->SetUserData(kStatusPrepared);
  }
  if (GetCapture() == HWindow) ReleaseCapture();
  closed = true;
  Show(SW_HIDE);
  return 0;
}

LRESULT WaitDialog::EvWaitStart(WPARAM, LPARAM) {
  if (started) return 0;
  started = true;
  if (players == nullptr) return 0;
  if (parts & 1) {
    VideoEngine* video = players->Video();
    if (SubVideoPlayer* sub = video != nullptr ? video->CurrentSubPlayer() : nullptr) sub->Run(parentWindow);
  }
  if (parts & 2) {
    if (AudioEngine* audio = players->Audio()) audio->Resume();
  }
  if (parts & 4) {
    if (MidiEngine* midi = players->Midi()) midi->Start();
  }
  return 0;
}

void WaitDialog::CmOk() { Ok(); }
void WaitDialog::CmCancel() { Cancel(); }

void WaitDialog::EvSysCommand(UINT cmdType, const TPoint&) {
  if ((cmdType & 0xFFF0) == SC_CLOSE) {
    Cancel();
    return;
  }
  DefaultProcessing();
}

void WaitDialog::EvMouseMove(UINT, const TPoint& point) {
  const TRect client = GetClientRect();
  const bool inside = point.x >= 0 && point.x <= client.Width() && point.y >= 0 && point.y <= client.Height();
  HCURSOR cursor = inside ? nullptr : LoadCursor(ProgramInstance(), MAKEINTRESOURCE(kCursorPlaying));
  ::SetCursor(cursor != nullptr ? cursor : LoadCursor(nullptr, IDC_ARROW));
}

bool WaitDialog::ClickOn(int id, const TPoint& point) {
  HWND button = GetDlgItem(id);
  if (button == nullptr || !::IsWindowVisible(button)) return false;
  TPoint p = point;
  ClientToScreen(p);
  RECT r{};
  ::GetWindowRect(button, &r);
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

// The dialog holds the mouse: a click reaches the buttons only through here.
void WaitDialog::EvLButtonDown(UINT, const TPoint& point) {
  if (ClickOn(IDCANCEL, point)) {
    Cancel();
  } else if (ClickOn(IDOK, point)) {
    Ok();
  } else {
    MessageBeep(MB_ICONEXCLAMATION);
  }
}

// --- The keyboard ----------------------------------------------------------------------

WaitKeyboardDialog::WaitKeyboardDialog(HWND parent, int32_t parts, TimeLinePlayers* players)
    : WaitDialog(parent, kWaitKeyboardDialog, parts, players) {}

void WaitKeyboardDialog::Wait() {
  while (done == 0) Sleep(25);
  if (result == 1) ::SendMessage(HWindow, kWaitStartMessage, 0, 0);
}

void WaitKeyboardDialog::Ok() {
  result = 1;
  done = 1;
}

void WaitKeyboardDialog::Cancel() { done = 1; }

// --- GPI -------------------------------------------------------------------------------

WaitGPIDialog::WaitGPIDialog(HWND parent, int32_t parts, TimeLinePlayers* players, int32_t line_)
    : WaitDialog(parent, kWaitGpiDialog, parts, players), line(line_) {}

void WaitGPIDialog::SetupItems() {
  const char* name = TheVelmoraDevice.GetGPIName(line);
  ::SetDlgItemText(HWindow, kWaitGpiLineName, name != nullptr ? name : "");
}

void WaitGPIDialog::Wait() {
  if (VelmoraApi.vdc_SeizeGPI(line) == 0) return;
  {
    std::lock_guard<std::mutex> hold(lock_);
    inBoardWait_ = !ended_;
  }
  if (inBoardWait_) {
    const int32_t fields = 2 * MsToFrames(GpiTimeout, 25.0f);
    if (VelmoraApi.vdc_RunAfterWaitGPI(line, fields) != 0) result = 1;
    std::lock_guard<std::mutex> hold(lock_);
    inBoardWait_ = false;
  }
  if (result == 1) ::SendMessage(HWindow, kWaitStartMessage, 0, 0);
  VelmoraApi.vdc_FreeGPI(line);
}

void WaitGPIDialog::EndWait(bool run) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (run) result = 1;
    if (ended_ && !inBoardWait_) return;
    ended_ = true;
  }
  // The thread may be on its way into the board's wait: until the board
  // takes the end, try again for a short while.
  for (int i = 0; i < 500; ++i) {
    {
      std::lock_guard<std::mutex> hold(lock_);
      if (!inBoardWait_) return;
    }
    if (VelmoraApi.vdc_CancelWaitGPIEvent(line, run ? 1 : 0) != 0) return;
    ::Sleep(1);
  }
}

bool WaitGPIDialog::EndAsked() {
  std::lock_guard<std::mutex> hold(lock_);
  return ended_ || result == 1;
}

void WaitGPIDialog::Ok() { EndWait(true); }
void WaitGPIDialog::Cancel() { EndWait(false); }
