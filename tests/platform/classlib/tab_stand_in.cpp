#include "tab_stand_in.h"

#include <map>
#include <string>
#include <vector>

#include "platform/gui/gui.h"

namespace {

struct Header {
  HWND hwndFrom;
  UINT_PTR idFrom;
  UINT code;
};
struct Item {
  UINT mask;
  DWORD state;
  DWORD stateMask;
  char* text;
  int textMax;
  int image;
  LPARAM param;
};
struct Tabs {
  std::vector<std::string> titles;
  int current = -1;
};
std::map<HWND, Tabs>& All() {
  static std::map<HWND, Tabs> all;
  return all;
}

constexpr UINT kFirst = 0x1300;

LRESULT Notify(HWND h, UINT code) {
  Header n{h, static_cast<UINT_PTR>(GetDlgCtrlID(h)), code};
  return SendMessage(GetParent(h), WM_NOTIFY, static_cast<WPARAM>(GetDlgCtrlID(h)), reinterpret_cast<LPARAM>(&n));
}

LRESULT Proc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  Tabs& t = All()[h];
  switch (msg) {
    case kFirst + 4:
      return static_cast<LRESULT>(t.titles.size());
    case kFirst + 7: {
      const auto* item = reinterpret_cast<const Item*>(lParam);
      const std::size_t at = std::min<std::size_t>(wParam, t.titles.size());
      t.titles.insert(t.titles.begin() + static_cast<std::ptrdiff_t>(at), item->text != nullptr ? item->text : "");
      return static_cast<LRESULT>(at);
    }
    case kFirst + 11:
      return t.current;
    case kFirst + 12: {
      const int old = t.current;
      if (wParam < t.titles.size()) t.current = static_cast<int>(wParam);
      return old;
    }
    case kFirst + 40: {
      RECT* r = reinterpret_cast<RECT*>(lParam);
      if (wParam == FALSE) *r = RECT{r->left + 4, r->top + 24, r->right - 4, r->bottom - 4};
      return 0;
    }
    case WM_LBUTTONDOWN: {
      const int i = GET_X_LPARAM(lParam) / kTabWidth;
      if (i < 0 || i >= static_cast<int>(t.titles.size()) || i == t.current) return 0;
      if (Notify(h, static_cast<UINT>(-552)) != 0) return 0;
      All()[h].current = i;
      Notify(h, static_cast<UINT>(-551));
      return 0;
    }
    case WM_NCDESTROY:
      All().erase(h);
      break;
  }
  return DefWindowProc(h, msg, wParam, lParam);
}

}  // namespace

void RegisterTabStandIn() {
  WNDCLASS wc;
  if (GetClassInfo(nullptr, "SysTabControl32", &wc)) return;
  wc.lpfnWndProc = Proc;
  wc.lpszClassName = "SysTabControl32";
  RegisterClass(&wc);
}
