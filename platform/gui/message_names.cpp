// The names of the window messages, for the trace of messages delivered.
#include <algorithm>
#include <cstdio>
#include <iterator>

#include "platform/gui/window_internal.h"

namespace {

struct MessageNameEntry {
  UINT msg;
  const char* name;
};

// In message order, for a binary search.
constexpr MessageNameEntry kNames[] = {
    {0x0000, "WM_NULL"},
    {0x0001, "WM_CREATE"},
    {0x0002, "WM_DESTROY"},
    {0x0003, "WM_MOVE"},
    {0x0005, "WM_SIZE"},
    {0x0006, "WM_ACTIVATE"},
    {0x0007, "WM_SETFOCUS"},
    {0x0008, "WM_KILLFOCUS"},
    {0x000A, "WM_ENABLE"},
    {0x000B, "WM_SETREDRAW"},
    {0x000C, "WM_SETTEXT"},
    {0x000D, "WM_GETTEXT"},
    {0x000E, "WM_GETTEXTLENGTH"},
    {0x000F, "WM_PAINT"},
    {0x0010, "WM_CLOSE"},
    {0x0012, "WM_QUIT"},
    {0x0014, "WM_ERASEBKGND"},
    {0x0015, "WM_SYSCOLORCHANGE"},
    {0x0018, "WM_SHOWWINDOW"},
    {0x001C, "WM_ACTIVATEAPP"},
    {0x001F, "WM_CANCELMODE"},
    {0x0020, "WM_SETCURSOR"},
    {0x0021, "WM_MOUSEACTIVATE"},
    {0x0024, "WM_GETMINMAXINFO"},
    {0x0028, "WM_NEXTDLGCTL"},
    {0x002B, "WM_DRAWITEM"},
    {0x002C, "WM_MEASUREITEM"},
    {0x0030, "WM_SETFONT"},
    {0x0031, "WM_GETFONT"},
    {0x0046, "WM_WINDOWPOSCHANGING"},
    {0x0047, "WM_WINDOWPOSCHANGED"},
    {0x004E, "WM_NOTIFY"},
    {0x0053, "WM_HELP"},
    {0x007B, "WM_CONTEXTMENU"},
    {0x007C, "WM_STYLECHANGING"},
    {0x007D, "WM_STYLECHANGED"},
    {0x007F, "WM_GETICON"},
    {0x0080, "WM_SETICON"},
    {0x0081, "WM_NCCREATE"},
    {0x0082, "WM_NCDESTROY"},
    {0x0083, "WM_NCCALCSIZE"},
    {0x0084, "WM_NCHITTEST"},
    {0x0085, "WM_NCPAINT"},
    {0x0086, "WM_NCACTIVATE"},
    {0x0087, "WM_GETDLGCODE"},
    {0x00A0, "WM_NCMOUSEMOVE"},
    {0x00A1, "WM_NCLBUTTONDOWN"},
    {0x00A2, "WM_NCLBUTTONUP"},
    {0x00A3, "WM_NCLBUTTONDBLCLK"},
    {0x00A4, "WM_NCRBUTTONDOWN"},
    {0x00A5, "WM_NCRBUTTONUP"},
    {0x00A6, "WM_NCRBUTTONDBLCLK"},
    {0x00A7, "WM_NCMBUTTONDOWN"},
    {0x00A8, "WM_NCMBUTTONUP"},
    {0x00A9, "WM_NCMBUTTONDBLCLK"},
    {0x0100, "WM_KEYDOWN"},
    {0x0101, "WM_KEYUP"},
    {0x0102, "WM_CHAR"},
    {0x0103, "WM_DEADCHAR"},
    {0x0104, "WM_SYSKEYDOWN"},
    {0x0105, "WM_SYSKEYUP"},
    {0x0106, "WM_SYSCHAR"},
    {0x0110, "WM_INITDIALOG"},
    {0x0111, "WM_COMMAND"},
    {0x0112, "WM_SYSCOMMAND"},
    {0x0113, "WM_TIMER"},
    {0x0114, "WM_HSCROLL"},
    {0x0115, "WM_VSCROLL"},
    {0x0116, "WM_INITMENU"},
    {0x0117, "WM_INITMENUPOPUP"},
    {0x011F, "WM_MENUSELECT"},
    {0x0120, "WM_MENUCHAR"},
    {0x0121, "WM_ENTERIDLE"},
    {0x0132, "WM_CTLCOLORMSGBOX"},
    {0x0133, "WM_CTLCOLOREDIT"},
    {0x0134, "WM_CTLCOLORLISTBOX"},
    {0x0135, "WM_CTLCOLORBTN"},
    {0x0136, "WM_CTLCOLORDLG"},
    {0x0137, "WM_CTLCOLORSCROLLBAR"},
    {0x0138, "WM_CTLCOLORSTATIC"},
    {0x0200, "WM_MOUSEMOVE"},
    {0x0201, "WM_LBUTTONDOWN"},
    {0x0202, "WM_LBUTTONUP"},
    {0x0203, "WM_LBUTTONDBLCLK"},
    {0x0204, "WM_RBUTTONDOWN"},
    {0x0205, "WM_RBUTTONUP"},
    {0x0206, "WM_RBUTTONDBLCLK"},
    {0x0207, "WM_MBUTTONDOWN"},
    {0x0208, "WM_MBUTTONUP"},
    {0x0209, "WM_MBUTTONDBLCLK"},
    {0x020A, "WM_MOUSEWHEEL"},
    {0x0210, "WM_PARENTNOTIFY"},
    {0x0211, "WM_ENTERMENULOOP"},
    {0x0212, "WM_EXITMENULOOP"},
    {0x0215, "WM_CAPTURECHANGED"},
    {0x0231, "WM_ENTERSIZEMOVE"},
    {0x0232, "WM_EXITSIZEMOVE"},
    {0x0233, "WM_DROPFILES"},
    {0x0300, "WM_CUT"},
    {0x0301, "WM_COPY"},
    {0x0302, "WM_PASTE"},
    {0x0303, "WM_CLEAR"},
    {0x030F, "WM_QUERYNEWPALETTE"},
    {0x0310, "WM_PALETTEISCHANGING"},
    {0x0311, "WM_PALETTECHANGED"},
};

}  // namespace

const char* MessageName(UINT msg, char* buffer, std::size_t size) {
  const auto* end = std::end(kNames);
  const auto* at = std::lower_bound(std::begin(kNames), end, msg,
                                    [](const MessageNameEntry& e, UINT m) { return e.msg < m; });
  if (at != end && at->msg == msg) return at->name;
  if (msg >= WM_USER && msg < WM_APP) {
    std::snprintf(buffer, size, "WM_USER+%u", msg - WM_USER);
  } else if (msg >= WM_APP && msg < 0xC000) {
    std::snprintf(buffer, size, "WM_APP+%u", msg - WM_APP);
  } else {
    std::snprintf(buffer, size, "0x%04X", msg);
  }
  return buffer;
}
