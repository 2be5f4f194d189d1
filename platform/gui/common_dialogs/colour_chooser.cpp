// The colour chooser: a dialog of cell grids on the left and, once opened
// out, an editor of red, green and blue values with a spectrum on the right.
#include <algorithm>
#include <array>
#include <cstring>

#include "platform/gui/common_dialogs.h"
#include "platform/gui/common_dialogs/colour_chooser_internal.h"
#include "platform/gui/common_dialogs/common_dialogs_internal.h"
#include "platform/gui/controls.h"
#include "platform/gui/dialog.h"
#include "platform/gui/gdi.h"
#include "platform/gui/user.h"

namespace {

// Widths in dialog units: the cells alone, and with the editor.
constexpr short kNarrowCx = 150;
constexpr short kFullCx = 300;

constexpr int kCustomCount = 16;

// Eight hues (red, orange, yellow, green, cyan, blue, violet, magenta) as
// pale tints, full, and three darker shades; then a row of greys from black
// to white.
std::array<COLORREF, 48> BasicColours() {
  static const BYTE kHues[8][3] = {{255, 0, 0},   {255, 128, 0}, {255, 255, 0}, {0, 255, 0},
                                   {0, 255, 255}, {0, 0, 255},   {128, 0, 255}, {255, 0, 255}};
  static const BYTE kGreys[8] = {0, 64, 96, 128, 160, 192, 224, 255};
  std::array<COLORREF, 48> out{};
  for (int col = 0; col < 8; ++col) {
    const BYTE* h = kHues[col];
    auto tint = [](BYTE v) { return static_cast<BYTE>(v + (255 - v) / 2); };
    out[col] = RGB(tint(h[0]), tint(h[1]), tint(h[2]));
    const int shades[4] = {255, 192, 128, 64};
    for (int row = 1; row <= 4; ++row) {
      const int k = shades[row - 1];
      out[row * 8 + col] = RGB(h[0] * k / 255, h[1] * k / 255, h[2] * k / 255);
    }
    out[40 + col] = RGB(kGreys[col], kGreys[col], kGreys[col]);
  }
  return out;
}

struct Chooser {
  CHOOSECOLOR* cc = nullptr;
  ColourCells basic;
  ColourCells custom;
  COLORREF current = 0;
  bool full = false;
  bool updating = false;  // the edits are being written by the chooser
};

Chooser* Of(HWND dlg) {
  return reinterpret_cast<Chooser*>(GetWindowLongPtr(dlg, DWLP_USER));
}

void Deselect(HWND dlg, ColourCells* cells, int id) {
  if (cells->selected < 0) return;
  cells->selected = -1;
  InvalidateRect(GetDlgItem(dlg, id), nullptr, FALSE);
}

// Makes c the chosen colour; rewrite_edits false when the edits are its source.
void SetCurrent(HWND dlg, Chooser* s, COLORREF c, bool rewrite_edits) {
  s->current = c & 0x00FFFFFF;
  for (int id : {kColourSwatch, kColourSpectrum}) {
    SetWindowLongPtr(GetDlgItem(dlg, id), GWLP_USERDATA, static_cast<LONG_PTR>(s->current));
    InvalidateRect(GetDlgItem(dlg, id), nullptr, FALSE);
  }
  if (!rewrite_edits) return;
  s->updating = true;
  SetDlgItemInt(dlg, kColourRed, GetRValue(s->current), FALSE);
  SetDlgItemInt(dlg, kColourGreen, GetGValue(s->current), FALSE);
  SetDlgItemInt(dlg, kColourBlue, GetBValue(s->current), FALSE);
  s->updating = false;
}

// A value edit changed: out-of-range values become 255, an empty one counts 0.
void EditChanged(HWND dlg, Chooser* s) {
  int v[3] = {};
  const int ids[3] = {kColourRed, kColourGreen, kColourBlue};
  for (int i = 0; i < 3; ++i) {
    BOOL ok = FALSE;
    const UINT n = GetDlgItemInt(dlg, ids[i], &ok, FALSE);
    v[i] = ok ? static_cast<int>(std::min<UINT>(n, 255)) : 0;
    if (ok && n > 255) {
      s->updating = true;
      SetDlgItemInt(dlg, ids[i], 255, FALSE);
      SendDlgItemMessage(dlg, ids[i], EM_SETSEL, 3, 3);
      s->updating = false;
      MessageBeep(0);
    }
  }
  Deselect(dlg, &s->basic, kColourBasicCells);
  Deselect(dlg, &s->custom, kColourCustomCells);
  SetCurrent(dlg, s, RGB(v[0], v[1], v[2]), false);
}

// The width of the editor part in pixels.
int EditorWidth(HWND dlg) {
  RECT r{0, 0, kFullCx - kNarrowCx, 0};
  MapDialogRect(dlg, &r);
  return r.right;
}

void OpenOut(HWND dlg, Chooser* s) {
  if (s->full) return;
  s->full = true;
  RECT wr;
  GetWindowRect(dlg, &wr);
  SetWindowPos(dlg, nullptr, 0, 0, wr.right - wr.left + EditorWidth(dlg), wr.bottom - wr.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // The editor's items are the ones right of the cells.
  RECT edge{kNarrowCx, 0, 0, 0};
  MapDialogRect(dlg, &edge);
  for (HWND c = GetWindow(dlg, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    RECT r;
    GetWindowRect(c, &r);
    POINT p{r.left, r.top};
    ScreenToClient(dlg, &p);
    if (p.x >= edge.left) ShowWindow(c, SW_SHOW);
  }
  HWND define = GetDlgItem(dlg, kColourDefine);
  if (GetFocus() == define)
    SendMessage(dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dlg, kColourRed)), TRUE);
  EnableWindow(define, FALSE);
}

void AddCustom(HWND dlg, Chooser* s) {
  ColourCells& c = s->custom;
  const int at = std::clamp(c.focus, 0, kCustomCount - 1);
  c.cells[at] = s->current;
  c.selected = at;
  c.focus = (at + 1) % kCustomCount;
  Deselect(dlg, &s->basic, kColourBasicCells);
  InvalidateRect(GetDlgItem(dlg, kColourCustomCells), nullptr, FALSE);
}

LONG_PTR ChooserProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    auto* s = reinterpret_cast<Chooser*>(lParam);
    SetWindowLongPtr(dlg, DWLP_USER, lParam);
    SetWindowLongPtr(GetDlgItem(dlg, kColourBasicCells), GWLP_USERDATA,
                     reinterpret_cast<LONG_PTR>(&s->basic));
    SetWindowLongPtr(GetDlgItem(dlg, kColourCustomCells), GWLP_USERDATA,
                     reinterpret_cast<LONG_PTR>(&s->custom));
    for (int id : {kColourRed, kColourGreen, kColourBlue}) SendDlgItemMessage(dlg, id, EM_LIMITTEXT, 3, 0);
    SetCurrent(dlg, s, s->current, true);
    if (!s->full) {
      RECT wr;
      GetWindowRect(dlg, &wr);
      SetWindowPos(dlg, nullptr, 0, 0, wr.right - wr.left - EditorWidth(dlg), wr.bottom - wr.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (s->full || (s->cc->Flags & CC_PREVENTFULLOPEN)) EnableWindow(GetDlgItem(dlg, kColourDefine), FALSE);
    return TRUE;
  }
  Chooser* s = Of(dlg);
  if (s == nullptr || msg != WM_COMMAND) return FALSE;
  const int id = LOWORD(wParam);
  const WORD code = HIWORD(wParam);
  switch (id) {
    case kColourBasicCells:
      if (code == kCellsPicked) {
        Deselect(dlg, &s->custom, kColourCustomCells);
        SetCurrent(dlg, s, s->basic.cells[s->basic.selected], true);
      }
      return TRUE;
    case kColourCustomCells:
      if (code == kCellsPicked) {
        Deselect(dlg, &s->basic, kColourBasicCells);
        SetCurrent(dlg, s, s->custom.cells[s->custom.selected], true);
      }
      return TRUE;
    case kColourSpectrum:
      if (code == kSpectrumPicked) {
        Deselect(dlg, &s->basic, kColourBasicCells);
        Deselect(dlg, &s->custom, kColourCustomCells);
        SetCurrent(dlg, s,
                   static_cast<COLORREF>(GetWindowLongPtr(GetDlgItem(dlg, kColourSpectrum), GWLP_USERDATA)),
                   true);
      }
      return TRUE;
    case kColourRed:
    case kColourGreen:
    case kColourBlue:
      if (code == EN_CHANGE && !s->updating) EditChanged(dlg, s);
      return TRUE;
    case kColourDefine:
      if (code == BN_CLICKED) OpenOut(dlg, s);
      return TRUE;
    case kColourAdd:
      if (code == BN_CLICKED) AddCustom(dlg, s);
      return TRUE;
    case IDOK:
      s->cc->rgbResult = s->current;
      if (s->cc->lpCustColors != nullptr)
        std::copy(s->custom.cells.begin(), s->custom.cells.end(), s->cc->lpCustColors);
      EndDialog(dlg, IDOK);
      return TRUE;
    case IDCANCEL:
      EndDialog(dlg, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

DialogTemplate ChooserTemplate(bool full) {
  DialogTemplate t;
  t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
  t.x = 20;
  t.y = 20;
  t.cx = kFullCx;
  t.cy = 188;
  t.caption = "Color";
  const DWORD v = WS_VISIBLE;
  const DWORD e = full ? WS_VISIBLE : 0;  // the editor's items
  const DWORD tab = WS_TABSTOP | WS_GROUP;
  const DWORD edit = e | tab | WS_BORDER | ES_NUMBER | ES_AUTOHSCROLL;
  t.items = {
      {WC_STATIC, "&Basic colors:", -1, v, 0, 6, 6, 138, 9},
      {WC_COLOURCELLS, "", kColourBasicCells, v | tab, 0, 4, 16, 142, 84},
      {WC_STATIC, "&Custom colors:", -1, v, 0, 6, 106, 138, 9},
      {WC_COLOURCELLS, "", kColourCustomCells, v | tab, 0, 4, 116, 142, 28},
      {WC_BUTTON, "&Define Custom Colors >>", kColourDefine, v | tab | BS_PUSHBUTTON, 0, 6, 150, 138, 14},
      {WC_BUTTON, "OK", IDOK, v | tab | BS_DEFPUSHBUTTON, 0, 6, 168, 44, 14},
      {WC_BUTTON, "Cancel", IDCANCEL, v | WS_TABSTOP | BS_PUSHBUTTON, 0, 54, 168, 44, 14},
      {WC_COLOURSPECTRUM, "", kColourSpectrum, e, 0, 154, 6, 140, 96},
      {WC_COLOURSWATCH, "", kColourSwatch, e, 0, 154, 110, 50, 40},
      {WC_STATIC, "&Red:", -1, e, 0, 214, 112, 34, 9},
      {WC_EDIT, "", kColourRed, edit, 0, 252, 110, 28, 12},
      {WC_STATIC, "&Green:", -1, e, 0, 214, 126, 34, 9},
      {WC_EDIT, "", kColourGreen, edit, 0, 252, 124, 28, 12},
      {WC_STATIC, "Bl&ue:", -1, e, 0, 214, 140, 34, 9},
      {WC_EDIT, "", kColourBlue, edit, 0, 252, 138, 28, 12},
      {WC_BUTTON, "&Add to Custom Colors", kColourAdd, e | tab | BS_PUSHBUTTON, 0, 154, 168, 140, 14},
  };
  return t;
}

int IndexOf(const std::vector<COLORREF>& cells, COLORREF c) {
  auto it = std::find(cells.begin(), cells.end(), c);
  return it == cells.end() ? -1 : static_cast<int>(it - cells.begin());
}

}  // namespace

BOOL ChooseColor(CHOOSECOLOR* cc) {
  if (cc == nullptr) {
    SetCommDlgError(CDERR_INITIALIZATION);
    return FALSE;
  }
  if (cc->lStructSize != sizeof(CHOOSECOLOR)) {
    SetCommDlgError(CDERR_STRUCTSIZE);
    return FALSE;
  }
  SetCommDlgError(0);
  RegisterColourChooserClasses();

  Chooser s;
  s.cc = cc;
  const std::array<COLORREF, 48> basic = BasicColours();
  s.basic.cols = 8;
  s.basic.rows = 6;
  s.basic.cells.assign(basic.begin(), basic.end());
  s.custom.cols = 8;
  s.custom.rows = 2;
  // Without the caller's custom colours the cells start white and are not kept.
  s.custom.cells.assign(kCustomCount, RGB(255, 255, 255));
  if (cc->lpCustColors != nullptr) {
    for (int i = 0; i < kCustomCount; ++i) s.custom.cells[i] = cc->lpCustColors[i] & 0x00FFFFFF;
  }
  s.current = (cc->Flags & CC_RGBINIT) ? cc->rgbResult & 0x00FFFFFF : RGB(0, 0, 0);
  s.basic.selected = IndexOf(s.basic.cells, s.current);
  if (s.basic.selected < 0) s.custom.selected = IndexOf(s.custom.cells, s.current);
  s.basic.focus = std::max(0, s.basic.selected);
  s.custom.focus = std::max(0, s.custom.selected);
  s.full = (cc->Flags & CC_FULLOPEN) != 0;

  const DialogTemplate tpl = ChooserTemplate(s.full);
  const LONG_PTR r =
      DialogBoxIndirectParam(nullptr, &tpl, cc->hwndOwner, ChooserProc, reinterpret_cast<LPARAM>(&s));
  if (r == -1) {
    SetCommDlgError(CDERR_DIALOGFAILURE);
    return FALSE;
  }
  return r == IDOK;
}
