// The font chooser: lists of faces, styles and sizes, the effects (with
// CF_EFFECTS) and a sample drawn in the chosen font.
//
// The faces offered are the names the font engine draws (font_engine.h):
// the DejaVu families themselves and the common names programs ask for,
// which it maps onto them ("Courier New" onto DejaVu Sans Mono, "Arial" and
// "MS Sans Serif" onto DejaVu Sans). A starting font of another name stays
// chosen as it is.
#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "platform/gui/common_dialogs.h"
#include "platform/gui/common_dialogs/common_dialogs_internal.h"
#include "platform/gui/controls.h"
#include "platform/gui/dialog.h"
#include "platform/gui/gdi.h"
#include "platform/gui/message_box.h"
#include "platform/gui/user.h"

namespace {

#define WC_FONTSAMPLE "KobrixFontSample"

struct Face {
  const char* name;
  bool fixed;
};
constexpr Face kFaces[] = {
    {"Arial", false},           {"Courier New", true},    {"DejaVu Sans", false},
    {"DejaVu Sans Mono", true}, {"MS Sans Serif", false},
};
const char* const kStyles[] = {"Regular", "Italic", "Bold", "Bold Italic"};
constexpr int kSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};

struct NamedColour {
  const char* name;
  COLORREF colour;
};
constexpr NamedColour kColours[] = {
    {"Black", RGB(0, 0, 0)},       {"Maroon", RGB(128, 0, 0)},    {"Green", RGB(0, 128, 0)},
    {"Olive", RGB(128, 128, 0)},   {"Navy", RGB(0, 0, 128)},      {"Purple", RGB(128, 0, 128)},
    {"Teal", RGB(0, 128, 128)},    {"Gray", RGB(128, 128, 128)},  {"Silver", RGB(192, 192, 192)},
    {"Red", RGB(255, 0, 0)},       {"Lime", RGB(0, 255, 0)},      {"Yellow", RGB(255, 255, 0)},
    {"Blue", RGB(0, 0, 255)},      {"Fuchsia", RGB(255, 0, 255)}, {"Aqua", RGB(0, 255, 255)},
    {"White", RGB(255, 255, 255)},
};

// Sizes without CF_LIMITSIZE: what the font engine realises.
constexpr int kMinPoints = 1;
constexpr int kMaxPoints = 720;

struct Chooser {
  CHOOSEFONT* cf = nullptr;
  LOGFONT start;  // fields the chooser does not set come back as they were
  std::string face = "MS Sans Serif";
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strike_out = false;
  int tenths = 80;  // the size, in tenths of a point
  COLORREF colour = 0;
  int min_points = kMinPoints;
  int max_points = kMaxPoints;
  int dpi = 96;
  bool updating = false;
};

Chooser* Of(HWND dlg) {
  return reinterpret_cast<Chooser*>(GetWindowLongPtr(dlg, DWLP_USER));
}

const Face* FindFace(const std::string& name) {
  for (const Face& f : kFaces) {
    if (strcasecmp(f.name, name.c_str()) == 0) return &f;
  }
  return nullptr;
}

int StyleIndex(const Chooser& s) {
  return (s.bold ? 2 : 0) + (s.italic ? 1 : 0);
}

// The font as chosen so far.
LOGFONT Chosen(const Chooser& s) {
  LOGFONT lf = s.start;
  lf.lfHeight = -static_cast<LONG>((static_cast<long long>(s.tenths) * s.dpi + 360) / 720);
  lf.lfWidth = 0;
  lf.lfEscapement = 0;
  lf.lfOrientation = 0;
  lf.lfWeight = s.bold ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = s.italic ? 1 : 0;
  lf.lfUnderline = s.underline ? 1 : 0;
  lf.lfStrikeOut = s.strike_out ? 1 : 0;
  if (const Face* f = FindFace(s.face)) {
    lf.lfCharSet = ANSI_CHARSET;
    lf.lfPitchAndFamily = f->fixed ? (FIXED_PITCH | FF_MODERN) : (VARIABLE_PITCH | FF_SWISS);
  }
  std::memset(lf.lfFaceName, 0, sizeof lf.lfFaceName);
  std::strncpy(lf.lfFaceName, s.face.c_str(), LF_FACESIZE - 1);
  return lf;
}

void UpdateSample(HWND dlg) {
  InvalidateRect(GetDlgItem(dlg, kFontSample), nullptr, TRUE);
}

// A typed size in tenths of a point ("10", "10.5"); -1 when it is not a number.
int ParseTenths(const char* text) {
  while (*text == ' ') ++text;
  if (!std::isdigit(static_cast<unsigned char>(*text))) return -1;
  char* end = nullptr;
  const double v = std::strtod(text, &end);
  while (*end == ' ') ++end;
  if (*end != '\0' || !(v < 100000)) return -1;
  return static_cast<int>(std::lround(v * 10));
}

std::string TenthsText(int tenths) {
  std::string t = std::to_string(tenths / 10);
  if (tenths % 10 != 0) t += "." + std::to_string(tenths % 10);
  return t;
}

void SelectListText(HWND dlg, int id, const std::string& text) {
  const LRESULT i = SendDlgItemMessage(dlg, id, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(text.c_str()));
  SendDlgItemMessage(dlg, id, LB_SETCURSEL, i == LB_ERR ? static_cast<WPARAM>(-1) : static_cast<WPARAM>(i),
                     0);
}

std::string ListText(HWND dlg, int id) {
  const LRESULT i = SendDlgItemMessage(dlg, id, LB_GETCURSEL, 0, 0);
  if (i == LB_ERR) return std::string();
  char buf[64] = {};
  if (SendDlgItemMessage(dlg, id, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0) >=
      static_cast<LRESULT>(sizeof buf))
    return std::string();
  SendDlgItemMessage(dlg, id, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf));
  return buf;
}

void SetSizeText(HWND dlg, Chooser* s) {
  s->updating = true;
  SetDlgItemText(dlg, kFontSizeEdit, TenthsText(s->tenths).c_str());
  s->updating = false;
}

void Init(HWND dlg, Chooser* s) {
  for (const Face& f : kFaces)
    SendDlgItemMessage(dlg, kFontFaceList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(f.name));
  for (const char* st : kStyles)
    SendDlgItemMessage(dlg, kFontStyleList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(st));
  for (int pt : kSizes) {
    if (pt < s->min_points || pt > s->max_points) continue;
    const std::string t = std::to_string(pt);
    SendDlgItemMessage(dlg, kFontSizeList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t.c_str()));
  }
  SetDlgItemText(dlg, kFontFaceName, s->face.c_str());
  SelectListText(dlg, kFontFaceList, s->face);
  SetDlgItemText(dlg, kFontStyleName, kStyles[StyleIndex(*s)]);
  SendDlgItemMessage(dlg, kFontStyleList, LB_SETCURSEL, static_cast<WPARAM>(StyleIndex(*s)), 0);
  SetSizeText(dlg, s);
  SelectListText(dlg, kFontSizeList, TenthsText(s->tenths));
  SendDlgItemMessage(dlg, kFontSizeEdit, EM_LIMITTEXT, 5, 0);
  if (s->cf->Flags & CF_EFFECTS) {
    CheckDlgButton(dlg, kFontStrikeOut, s->strike_out ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dlg, kFontUnderline, s->underline ? BST_CHECKED : BST_UNCHECKED);
    int chosen = -1;
    for (const NamedColour& c : kColours) {
      const LRESULT i =
          SendDlgItemMessage(dlg, kFontColour, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(c.name));
      SendDlgItemMessage(dlg, kFontColour, CB_SETITEMDATA, static_cast<WPARAM>(i), c.colour);
      if (c.colour == s->colour) chosen = static_cast<int>(i);
    }
    if (chosen < 0) {
      chosen = static_cast<int>(
          SendDlgItemMessage(dlg, kFontColour, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Custom")));
      SendDlgItemMessage(dlg, kFontColour, CB_SETITEMDATA, static_cast<WPARAM>(chosen), s->colour);
    }
    SendDlgItemMessage(dlg, kFontColour, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
  }
  SetWindowLongPtr(GetDlgItem(dlg, kFontSample), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(s));
}

// OK: a size outside the limits (or no number) is refused with a message.
void Finish(HWND dlg, Chooser* s) {
  char text[16] = {};
  GetDlgItemText(dlg, kFontSizeEdit, text, sizeof text);
  const int tenths = ParseTenths(text);
  const char* problem = nullptr;
  std::string range;
  if (tenths < 0) {
    problem = "Size must be a number.";
  } else if (tenths < s->min_points * 10 || tenths > s->max_points * 10) {
    range = "Size must be between " + std::to_string(s->min_points) + " and " +
            std::to_string(s->max_points) + " points.";
    problem = range.c_str();
  }
  if (problem != nullptr) {
    MessageBox(dlg, problem, "Font", MB_OK | MB_ICONEXCLAMATION);
    if (IsWindow(dlg))
      SendMessage(dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dlg, kFontSizeEdit)), TRUE);
    return;
  }
  s->tenths = tenths;
  CHOOSEFONT* cf = s->cf;
  LOGFONT lf = Chosen(*s);
  if (!(cf->Flags & CF_EFFECTS)) {
    lf.lfUnderline = s->start.lfUnderline;
    lf.lfStrikeOut = s->start.lfStrikeOut;
  }
  *cf->lpLogFont = lf;
  cf->iPointSize = tenths;
  cf->nFontType = static_cast<WORD>(SCREEN_FONTTYPE | (s->bold ? BOLD_FONTTYPE : REGULAR_FONTTYPE) |
                                    (s->italic ? ITALIC_FONTTYPE : 0));
  if (cf->Flags & CF_EFFECTS) cf->rgbColors = s->colour;
  EndDialog(dlg, IDOK);
}

LONG_PTR ChooserProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtr(dlg, DWLP_USER, lParam);
    Init(dlg, reinterpret_cast<Chooser*>(lParam));
    return TRUE;
  }
  Chooser* s = Of(dlg);
  if (s == nullptr || msg != WM_COMMAND) return FALSE;
  const int id = LOWORD(wParam);
  const WORD code = HIWORD(wParam);
  switch (id) {
    case kFontFaceList:
      if (code == LBN_SELCHANGE) {
        const std::string face = ListText(dlg, kFontFaceList);
        if (!face.empty()) s->face = face;
        SetDlgItemText(dlg, kFontFaceName, s->face.c_str());
        UpdateSample(dlg);
      }
      return TRUE;
    case kFontStyleList:
      if (code == LBN_SELCHANGE) {
        const LRESULT i = SendDlgItemMessage(dlg, kFontStyleList, LB_GETCURSEL, 0, 0);
        if (i >= 0 && i < 4) {
          s->bold = i >= 2;
          s->italic = (i & 1) != 0;
        }
        SetDlgItemText(dlg, kFontStyleName, kStyles[StyleIndex(*s)]);
        UpdateSample(dlg);
      }
      return TRUE;
    case kFontSizeList:
      if (code == LBN_SELCHANGE) {
        const int tenths = ParseTenths(ListText(dlg, kFontSizeList).c_str());
        if (tenths > 0) s->tenths = tenths;
        SetSizeText(dlg, s);
        UpdateSample(dlg);
      }
      return TRUE;
    case kFontSizeEdit:
      if (code == EN_CHANGE && !s->updating) {
        char text[16] = {};
        GetDlgItemText(dlg, kFontSizeEdit, text, sizeof text);
        const int tenths = ParseTenths(text);
        // The sample follows sizes in range; others wait for OK to be refused.
        if (tenths >= s->min_points * 10 && tenths <= s->max_points * 10) {
          s->tenths = tenths;
          UpdateSample(dlg);
        }
        SelectListText(dlg, kFontSizeList, tenths > 0 ? TenthsText(tenths) : std::string("-"));
      }
      return TRUE;
    case kFontStrikeOut:
    case kFontUnderline:
      if (code == BN_CLICKED) {
        s->strike_out = IsDlgButtonChecked(dlg, kFontStrikeOut) == BST_CHECKED;
        s->underline = IsDlgButtonChecked(dlg, kFontUnderline) == BST_CHECKED;
        UpdateSample(dlg);
      }
      return TRUE;
    case kFontColour:
      if (code == CBN_SELCHANGE) {
        const LRESULT i = SendDlgItemMessage(dlg, kFontColour, CB_GETCURSEL, 0, 0);
        if (i != CB_ERR)
          s->colour = static_cast<COLORREF>(
              SendDlgItemMessage(dlg, kFontColour, CB_GETITEMDATA, static_cast<WPARAM>(i), 0));
        UpdateSample(dlg);
      }
      return TRUE;
    case IDOK:
      Finish(dlg, s);
      return TRUE;
    case IDCANCEL:
      EndDialog(dlg, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

LRESULT SampleProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    RECT r;
    GetClientRect(h, &r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    if (const auto* s = reinterpret_cast<const Chooser*>(GetWindowLongPtr(h, GWLP_USERDATA))) {
      const LOGFONT lf = Chosen(*s);
      HFONT font = CreateFontIndirect(&lf);
      HGDIOBJ old = SelectObject(dc, font);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, s->colour);
      DrawText(dc, "AaBbYyZz", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
      SelectObject(dc, old);
      DeleteObject(font);
    }
    EndPaint(h, &ps);
    return 0;
  }
  return DefWindowProc(h, msg, wParam, lParam);
}

void RegisterSampleClass() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASS wc;
    wc.style = CS_GLOBALCLASS;
    wc.lpfnWndProc = SampleProc;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = WC_FONTSAMPLE;
    RegisterClass(&wc);
  });
}

DialogTemplate ChooserTemplate(bool effects) {
  DialogTemplate t;
  t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
  t.x = 20;
  t.y = 20;
  t.cx = 292;
  t.cy = 186;
  t.caption = "Font";
  const DWORD v = WS_VISIBLE;
  const DWORD tab = WS_TABSTOP | WS_GROUP;
  const DWORD list = v | tab | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT;
  const DWORD shown = v | WS_BORDER | ES_READONLY | ES_AUTOHSCROLL;
  t.items = {
      {WC_STATIC, "&Font:", -1, v, 0, 7, 7, 98, 9},
      {WC_EDIT, "", kFontFaceName, shown, 0, 7, 17, 98, 12},
      {WC_LISTBOX, "", kFontFaceList, list, 0, 7, 30, 98, 74},
      {WC_STATIC, "Font st&yle:", -1, v, 0, 112, 7, 74, 9},
      {WC_EDIT, "", kFontStyleName, shown, 0, 112, 17, 74, 12},
      {WC_LISTBOX, "", kFontStyleList, list, 0, 112, 30, 74, 74},
      {WC_STATIC, "&Size:", -1, v, 0, 193, 7, 36, 9},
      {WC_EDIT, "", kFontSizeEdit, v | tab | WS_BORDER | ES_AUTOHSCROLL, 0, 193, 17, 36, 12},
      {WC_LISTBOX, "", kFontSizeList, (list & ~WS_GROUP), 0, 193, 30, 36, 74},
      {WC_BUTTON, "OK", IDOK, v | tab | BS_DEFPUSHBUTTON, 0, 236, 17, 50, 14},
      {WC_BUTTON, "Cancel", IDCANCEL, v | WS_TABSTOP | BS_PUSHBUTTON, 0, 236, 34, 50, 14},
  };
  if (effects) {
    t.items.push_back({WC_BUTTON, "Effects", -1, v | BS_GROUPBOX, 0, 7, 110, 98, 70});
    t.items.push_back(
        {WC_BUTTON, "Stri&keout", kFontStrikeOut, v | tab | BS_AUTOCHECKBOX, 0, 14, 122, 80, 10});
    t.items.push_back(
        {WC_BUTTON, "&Underline", kFontUnderline, v | tab | BS_AUTOCHECKBOX, 0, 14, 136, 80, 10});
    t.items.push_back({WC_STATIC, "&Color:", -1, v, 0, 14, 151, 80, 9});
    t.items.push_back({WC_COMBOBOX, "", kFontColour, v | tab | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_HASSTRINGS,
                       0, 14, 161, 84, 120});
  }
  const short sx = effects ? 112 : 7;
  t.items.push_back({WC_BUTTON, "Sample", -1, v | BS_GROUPBOX, 0, sx, 110, static_cast<short>(286 - sx), 70});
  t.items.push_back({WC_FONTSAMPLE, "", kFontSample, v, 0, static_cast<short>(sx + 6), 121,
                     static_cast<short>(274 - sx), 54});
  return t;
}

// Whole points of a starting height: negative, the character height in
// pixels; positive, the cell height; zero, the default.
int StartPoints(const LOGFONT& lf, int dpi) {
  if (lf.lfHeight < 0) return static_cast<int>((-static_cast<long long>(lf.lfHeight) * 72 + dpi / 2) / dpi);
  if (lf.lfHeight == 0) return 8;
  HDC dc = GetDC(nullptr);
  HFONT font = CreateFontIndirect(&lf);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRIC tm{};
  GetTextMetrics(dc, &tm);
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(nullptr, dc);
  const long long em = std::max<long long>(1, tm.tmHeight - tm.tmInternalLeading);
  return static_cast<int>((em * 72 + dpi / 2) / dpi);
}

}  // namespace

BOOL ChooseFont(CHOOSEFONT* cf) {
  if (cf == nullptr || cf->lpLogFont == nullptr) {
    SetCommDlgError(CDERR_INITIALIZATION);
    return FALSE;
  }
  if (cf->lStructSize != sizeof(CHOOSEFONT)) {
    SetCommDlgError(CDERR_STRUCTSIZE);
    return FALSE;
  }
  Chooser s;
  s.cf = cf;
  if (cf->Flags & CF_LIMITSIZE) {
    if (cf->nSizeMin < kMinPoints || cf->nSizeMax < cf->nSizeMin || cf->nSizeMax > kMaxPoints) {
      SetCommDlgError(CDERR_INITIALIZATION);
      return FALSE;
    }
    s.min_points = cf->nSizeMin;
    s.max_points = cf->nSizeMax;
  }
  SetCommDlgError(0);
  RegisterSampleClass();

  HDC screen = GetDC(nullptr);
  s.dpi = std::max(1, GetDeviceCaps(screen, LOGPIXELSY));
  ReleaseDC(nullptr, screen);
  int points = 8;
  if (cf->Flags & CF_INITTOLOGFONTSTRUCT) {
    const LOGFONT& lf = *cf->lpLogFont;
    s.start = lf;
    std::string face(lf.lfFaceName, strnlen(lf.lfFaceName, LF_FACESIZE));
    if (const Face* f = FindFace(face)) face = f->name;
    if (!face.empty()) s.face = face;
    s.bold = lf.lfWeight >= FW_SEMIBOLD;
    s.italic = lf.lfItalic != 0;
    s.underline = lf.lfUnderline != 0;
    s.strike_out = lf.lfStrikeOut != 0;
    points = StartPoints(lf, s.dpi);
  }
  s.tenths = std::clamp(points, s.min_points, s.max_points) * 10;
  if (cf->Flags & CF_EFFECTS) s.colour = cf->rgbColors & 0x00FFFFFF;

  const DialogTemplate tpl = ChooserTemplate((cf->Flags & CF_EFFECTS) != 0);
  const LONG_PTR r =
      DialogBoxIndirectParam(nullptr, &tpl, cf->hwndOwner, ChooserProc, reinterpret_cast<LPARAM>(&s));
  if (r == -1) {
    SetCommDlgError(CDERR_DIALOGFAILURE);
    return FALSE;
  }
  return r == IDOK;
}
