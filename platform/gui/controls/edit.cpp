// Edit controls: one line or several (lines end with CR LF), with the
// selection, the caret, the text limit, scrolling and the clipboard.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

#include "platform/gui/controls/control_internal.h"

namespace controls {
namespace {

constexpr int kMargin = 2;
constexpr std::size_t kDefaultLimit = 32767;

struct Line {
  std::size_t start = 0;
  std::size_t end = 0;  // before the line break, if any
};

struct EditState : State {
  std::string text;
  std::size_t anchor = 0;  // the fixed end of the selection
  std::size_t caret = 0;   // the moving end, where the caret is
  std::size_t limit = kDefaultLimit;
  bool modified = false;
  bool focused = false;
  bool tracking = false;
  bool combo = false;  // the edit of a combo box
  FontInfo fi;
  std::vector<Line> lines;
  int first_line = 0;  // the top visible line (several lines)
  int x_offset = 0;    // pixels scrolled to the left
  int goal_x = -1;     // where Up and Down aim, kept across lines

  std::size_t SelLo() const { return std::min(anchor, caret); }
  std::size_t SelHi() const { return std::max(anchor, caret); }
};

bool Multi(HWND h) {
  return (StyleOf(h) & ES_MULTILINE) != 0;
}
bool ReadOnly(HWND h) {
  return (StyleOf(h) & ES_READONLY) != 0;
}
// Several lines wrap at the right edge unless they scroll sideways.
bool Wraps(HWND h) {
  const DWORD style = StyleOf(h);
  return (style & ES_MULTILINE) && !(style & (ES_AUTOHSCROLL | WS_HSCROLL));
}
bool ScrollsSideways(HWND h) {
  const DWORD style = StyleOf(h);
  return (style & ES_AUTOHSCROLL) || ((style & ES_MULTILINE) && (style & WS_HSCROLL));
}
bool ScrollsDown(HWND h) {
  const DWORD style = StyleOf(h);
  return (style & (ES_AUTOVSCROLL | WS_VSCROLL)) != 0;
}

RECT ClientOf(HWND h) {
  RECT r;
  GetClientRect(h, &r);
  return r;
}
int AvailWidth(HWND h) {
  const RECT r = ClientOf(h);
  return std::max<int>(1, r.right - r.left - 2 * kMargin);
}
int VisibleLines(HWND h, const EditState& s) {
  const RECT r = ClientOf(h);
  return std::max(1, static_cast<int>(r.bottom - r.top) / std::max(1, s.fi.height));
}

// The width of a tab stop: eight average characters.
int TabStop(const EditState& s) {
  return 8 * s.fi.ave_width;
}

int Advance(const EditState& s, int x, unsigned char c) {
  if (c == '\t') {
    const int stop = std::max(1, TabStop(s));
    return (x / stop + 1) * stop - x;
  }
  return s.fi.widths[c];
}

// Pixel offset of index i from the start of line l.
int XIn(const EditState& s, const Line& l, std::size_t i) {
  int x = 0;
  for (std::size_t k = l.start; k < i && k < l.end; ++k)
    x += Advance(s, x, static_cast<unsigned char>(s.text[k]));
  return x;
}

int LineWidth(const EditState& s, const Line& l) {
  return XIn(s, l, l.end);
}

// The boundary of line l nearest to offset x.
std::size_t IndexIn(const EditState& s, const Line& l, int x) {
  int pos = 0;
  for (std::size_t k = l.start; k < l.end; ++k) {
    const int w = Advance(s, pos, static_cast<unsigned char>(s.text[k]));
    if (x < pos + w / 2) return k;
    pos += w;
  }
  return l.end;
}

bool IsBreak(char c) {
  return c == '\r' || c == '\n';
}
// The length of the line break at i (CR LF, CR or LF), 0 if none.
std::size_t BreakAt(const std::string& t, std::size_t i) {
  if (i >= t.size() || !IsBreak(t[i])) return 0;
  if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') return 2;
  return 1;
}

void Layout(HWND h, EditState& s) {
  s.lines.clear();
  const std::string& t = s.text;
  if (!Multi(h)) {
    s.lines.push_back(Line{0, t.size()});
    return;
  }
  const bool wrap = Wraps(h);
  const int avail = AvailWidth(h);
  std::size_t i = 0;
  for (;;) {
    // One hard line: [i, e).
    std::size_t e = i;
    while (e < t.size() && !IsBreak(t[e])) ++e;
    std::size_t start = i;
    while (wrap) {
      int x = 0;
      std::size_t k = start, last_space = std::string::npos;
      while (k < e) {
        const int w = Advance(s, x, static_cast<unsigned char>(t[k]));
        if (x + w > avail && k > start) break;
        if (t[k] == ' ') last_space = k;
        x += w;
        ++k;
      }
      if (k >= e) break;
      // Break after the last blank that fits, else inside the word; blanks
      // at the break stay on the line they end.
      std::size_t cut = last_space != std::string::npos ? last_space + 1 : k;
      while (cut < e && t[cut] == ' ') ++cut;
      if (cut >= e) break;
      s.lines.push_back(Line{start, cut});
      start = cut;
    }
    s.lines.push_back(Line{start, e});
    const std::size_t b = BreakAt(t, e);
    if (b == 0) break;
    i = e + b;
  }
}

int LineOf(const EditState& s, std::size_t index) {
  // The last line that starts at or before index; at a wrap the index
  // belongs to the following line.
  int found = 0;
  for (std::size_t k = 0; k < s.lines.size(); ++k) {
    if (s.lines[k].start <= index) found = static_cast<int>(k);
  }
  return found;
}

// Keeps an index off the middle of a CR LF pair.
std::size_t Fix(const EditState& s, std::size_t i) {
  i = std::min(i, s.text.size());
  if (i > 0 && i < s.text.size() && s.text[i - 1] == '\r' && s.text[i] == '\n') --i;
  return i;
}

int AlignShift(HWND h, const EditState& s, const Line& l) {
  if (ScrollsSideways(h)) return 0;
  const DWORD align = StyleOf(h) & (ES_CENTER | ES_RIGHT);
  const int room = AvailWidth(h) - LineWidth(s, l);
  if (room <= 0) return 0;
  if (align == ES_CENTER) return room / 2;
  if (align == ES_RIGHT) return room;
  return 0;
}

// The top of the text: one line is centred in the control.
int TextTop(HWND h, const EditState& s) {
  if (Multi(h)) return 0;
  const RECT r = ClientOf(h);
  return std::max(0, static_cast<int>(r.bottom - r.top - s.fi.height) / 2);
}

POINT PosOf(HWND h, const EditState& s, std::size_t index) {
  const int ln = LineOf(s, index);
  const Line& l = s.lines[static_cast<std::size_t>(ln)];
  const int x = kMargin + AlignShift(h, s, l) + XIn(s, l, index) - s.x_offset;
  const int y = TextTop(h, s) + (ln - s.first_line) * s.fi.height;
  return POINT{x, y};
}

std::size_t IndexAtPoint(HWND h, const EditState& s, POINT p) {
  int ln = 0;
  if (Multi(h)) {
    ln = s.first_line +
         (p.y < 0 ? -1 - (-p.y - 1) / std::max(1, s.fi.height) : p.y / std::max(1, s.fi.height));
    ln = std::clamp(ln, 0, static_cast<int>(s.lines.size()) - 1);
  }
  const Line& l = s.lines[static_cast<std::size_t>(ln)];
  return IndexIn(s, l, p.x - kMargin - AlignShift(h, s, l) + s.x_offset);
}

void UpdateScrollBars(HWND h, EditState& s) {
  const DWORD style = StyleOf(h);
  if (!Multi(h)) return;
  if (style & WS_VSCROLL) {
    SCROLLINFO si;
    si.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
    si.nMin = 0;
    si.nMax = static_cast<int>(s.lines.size()) - 1;
    si.nPage = static_cast<UINT>(VisibleLines(h, s));
    si.nPos = s.first_line;
    SetScrollInfo(h, SB_VERT, &si, TRUE);
  }
  if (style & WS_HSCROLL) {
    int widest = 0;
    for (const Line& l : s.lines) widest = std::max(widest, LineWidth(s, l));
    SCROLLINFO si;
    si.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
    si.nMin = 0;
    si.nMax = widest + 2 * kMargin;
    si.nPage = static_cast<UINT>(AvailWidth(h) + 2 * kMargin);
    si.nPos = s.x_offset;
    SetScrollInfo(h, SB_HORZ, &si, TRUE);
  }
}

void PlaceCaret(HWND h, const EditState& s) {
  if (!s.focused) return;
  const POINT p = PosOf(h, s, s.caret);
  SetCaretPos(p.x, p.y);
}

void ClampFirstLine(HWND h, EditState& s) {
  const int most = std::max(0, static_cast<int>(s.lines.size()) - VisibleLines(h, s));
  s.first_line = std::clamp(s.first_line, 0, most);
}

// Scrolls so that the caret is in view.
void ScrollToCaret(HWND h, EditState& s) {
  const int ln = LineOf(s, s.caret);
  bool moved = false;
  if (Multi(h)) {
    const int visible = VisibleLines(h, s);
    const int old = s.first_line;
    if (ln < s.first_line) s.first_line = ln;
    if (ln >= s.first_line + visible) s.first_line = ln - visible + 1;
    ClampFirstLine(h, s);
    moved = old != s.first_line;
  }
  if (ScrollsSideways(h)) {
    const Line& l = s.lines[static_cast<std::size_t>(ln)];
    const int x = XIn(s, l, s.caret);
    const int avail = AvailWidth(h);
    const int old = s.x_offset;
    if (x < s.x_offset) s.x_offset = std::max(0, x - avail / 4);
    if (x > s.x_offset + avail) s.x_offset = x - avail * 3 / 4;
    moved = moved || old != s.x_offset;
  } else {
    s.x_offset = 0;
  }
  if (moved) InvalidateRect(h, nullptr, FALSE);
}

void Refresh(HWND h, EditState& s) {
  Layout(h, s);
  ClampFirstLine(h, s);
  UpdateScrollBars(h, s);
  PlaceCaret(h, s);
}

void SetSelection(HWND h, EditState& s, std::size_t anchor, std::size_t caret, bool scroll) {
  anchor = Fix(s, anchor);
  caret = Fix(s, caret);
  if (anchor == s.anchor && caret == s.caret) {
    if (scroll) ScrollToCaret(h, s);
    PlaceCaret(h, s);
    return;
  }
  s.anchor = anchor;
  s.caret = caret;
  if (scroll) ScrollToCaret(h, s);
  PlaceCaret(h, s);
  InvalidateRect(h, nullptr, FALSE);
}

void StoreText(HWND h, const EditState& s) {
  // The window system keeps a copy, for readers on other threads.
  DefWindowProc(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(s.text.c_str()));
}

void Changed(HWND h, EditState& s, bool notify) {
  StoreText(h, s);
  Refresh(h, s);
  ScrollToCaret(h, s);
  PlaceCaret(h, s);
  UpdateScrollBars(h, s);
  InvalidateRect(h, nullptr, FALSE);
  if (notify) {
    NotifyParent(h, EN_UPDATE);
    NotifyParent(h, EN_CHANGE);
  }
}

// Whether the text, as now laid out, still fits where the control cannot
// scroll.
bool Fits(HWND h, EditState& s) {
  if (Multi(h)) {
    if (ScrollsDown(h)) return true;
    Layout(h, s);
    return static_cast<int>(s.lines.size()) <= VisibleLines(h, s);
  }
  if (ScrollsSideways(h)) return true;
  return TextWidth(s.fi, s.text.data(), s.text.size()) <= AvailWidth(h);
}

// Replaces [from, to) with insert as far as the limit and the room allow;
// false when nothing changed.
bool Replace(HWND h, EditState& s, std::size_t from, std::size_t to, std::string insert) {
  from = Fix(s, from);
  to = std::max(from, Fix(s, to));
  if (!Multi(h)) {
    const std::size_t cut = insert.find_first_of("\r\n");
    if (cut != std::string::npos) insert.resize(cut);
  }
  const std::size_t keep = s.text.size() - (to - from);
  bool full = false;
  if (keep + insert.size() > s.limit) {
    insert.resize(s.limit > keep ? s.limit - keep : 0);
    full = true;
  }
  const std::string removed = s.text.substr(from, to - from);
  s.text.replace(from, to - from, insert);
  if (!Fits(h, s)) {
    // The longest part of the insertion that fits.
    std::size_t lo = 0, hi = insert.size();
    while (lo < hi) {
      const std::size_t mid = (lo + hi + 1) / 2;
      s.text.replace(from, insert.size(), insert.substr(0, mid));
      const bool ok = Fits(h, s);
      s.text.replace(from, mid, insert);
      if (ok) {
        lo = mid;
      } else {
        hi = mid - 1;
      }
    }
    s.text.replace(from, insert.size(), insert.substr(0, lo));
    if (lo < insert.size()) full = true;
    insert.resize(lo);
    if (lo == 0 && removed.empty()) {
      Layout(h, s);
      NotifyParent(h, EN_MAXTEXT);
      return false;
    }
  }
  if (full) NotifyParent(h, EN_MAXTEXT);
  if (insert.empty() && removed.empty()) {
    Layout(h, s);
    return false;
  }
  s.anchor = s.caret = from + insert.size();
  s.modified = true;
  s.goal_x = -1;
  Changed(h, s, true);
  return true;
}

bool ReplaceSelection(HWND h, EditState& s, const std::string& insert) {
  return Replace(h, s, s.SelLo(), s.SelHi(), insert);
}

void Copy(HWND h, EditState& s) {
  if (s.SelLo() == s.SelHi()) return;
  const std::string part = s.text.substr(s.SelLo(), s.SelHi() - s.SelLo());
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, part.size() + 1);
  if (mem == nullptr) return;
  char* p = static_cast<char*>(GlobalLock(mem));
  std::memcpy(p, part.c_str(), part.size() + 1);
  GlobalUnlock(mem);
  if (!OpenClipboard(h)) {
    GlobalFree(mem);
    return;
  }
  EmptyClipboard();
  if (SetClipboardData(CF_TEXT, mem) == nullptr) GlobalFree(mem);
  CloseClipboard();
}

void Paste(HWND h, EditState& s) {
  if (ReadOnly(h) || !OpenClipboard(h)) return;
  std::string text;
  if (HANDLE mem = GetClipboardData(CF_TEXT)) {
    const char* p = static_cast<const char*>(GlobalLock(mem));
    if (p != nullptr) text.assign(p, strnlen(p, GlobalSize(mem)));
    GlobalUnlock(mem);
  }
  CloseClipboard();
  if (!text.empty()) ReplaceSelection(h, s, text);
}

void Clear(HWND h, EditState& s) {
  if (ReadOnly(h) || s.SelLo() == s.SelHi()) return;
  ReplaceSelection(h, s, std::string());
}

bool WordChar(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  return std::isalnum(u) || c == '_' || u >= 128;
}

// The next or previous word start (Ctrl with the arrows).
std::size_t WordStep(const EditState& s, std::size_t i, bool forward) {
  const std::string& t = s.text;
  if (forward) {
    if (i < t.size() && IsBreak(t[i])) return i + BreakAt(t, i);
    while (i < t.size() && WordChar(t[i])) ++i;
    while (i < t.size() && !WordChar(t[i]) && !IsBreak(t[i])) ++i;
    return i;
  }
  if (i > 0 && IsBreak(t[i - 1])) return Fix(s, i - 1);
  while (i > 0 && !WordChar(t[i - 1]) && !IsBreak(t[i - 1])) --i;
  while (i > 0 && WordChar(t[i - 1])) --i;
  return i;
}

void SelectWordAt(HWND h, EditState& s, std::size_t i) {
  const std::string& t = s.text;
  if (i >= t.size() || IsBreak(t[i])) {
    if (i > 0 && !IsBreak(t[i - 1]))
      --i;
    else {
      SetSelection(h, s, i, i, true);
      return;
    }
  }
  const bool word = WordChar(t[i]);
  const bool blank = t[i] == ' ' || t[i] == '\t';
  auto same = [&](char c) {
    if (IsBreak(c)) return false;
    if (word) return WordChar(c);
    if (blank) return c == ' ' || c == '\t';
    return false;
  };
  std::size_t a = i, b = i + 1;
  while (a > 0 && same(t[a - 1])) --a;
  while (b < t.size() && same(t[b])) ++b;
  SetSelection(h, s, a, b, true);
}

void MoveCaret(HWND h, EditState& s, std::size_t to, bool extend, bool keep_goal = false) {
  if (!keep_goal) s.goal_x = -1;
  SetSelection(h, s, extend ? s.anchor : to, to, true);
}

void VerticalMove(HWND h, EditState& s, int lines, bool extend) {
  const int ln = LineOf(s, s.caret);
  const Line& cur = s.lines[static_cast<std::size_t>(ln)];
  if (s.goal_x < 0) s.goal_x = XIn(s, cur, s.caret) + AlignShift(h, s, cur);
  const int target = std::clamp(ln + lines, 0, static_cast<int>(s.lines.size()) - 1);
  const Line& l = s.lines[static_cast<std::size_t>(target)];
  MoveCaret(h, s, IndexIn(s, l, s.goal_x - AlignShift(h, s, l)), extend, true);
}

bool KeyDown(HWND h, EditState& s, WPARAM vk) {
  const bool shift = ShiftDown(), ctrl = CtrlDown();
  const bool multi = Multi(h);
  const int ln = LineOf(s, s.caret);
  const Line& line = s.lines[static_cast<std::size_t>(ln)];
  switch (vk) {
    case VK_LEFT:
    case VK_RIGHT: {
      const bool forward = vk == VK_RIGHT;
      if (!shift && s.anchor != s.caret && !ctrl) {
        MoveCaret(h, s, forward ? s.SelHi() : s.SelLo(), false);
        return true;
      }
      std::size_t to = s.caret;
      if (ctrl) {
        to = WordStep(s, s.caret, forward);
      } else if (forward) {
        to = s.caret < s.text.size() ? s.caret + std::max<std::size_t>(1, BreakAt(s.text, s.caret)) : s.caret;
      } else if (s.caret > 0) {
        to = Fix(s, s.caret - 1);
      }
      MoveCaret(h, s, to, shift);
      return true;
    }
    case VK_UP:
    case VK_DOWN:
      if (!multi) return KeyDown(h, s, vk == VK_UP ? VK_LEFT : VK_RIGHT);
      VerticalMove(h, s, vk == VK_UP ? -1 : 1, shift);
      return true;
    case VK_PRIOR:
    case VK_NEXT:
      if (!multi) return false;
      VerticalMove(h, s, (vk == VK_PRIOR ? -1 : 1) * VisibleLines(h, s), shift);
      return true;
    case VK_HOME:
      MoveCaret(h, s, ctrl ? 0 : line.start, shift);
      return true;
    case VK_END:
      MoveCaret(h, s, ctrl ? s.text.size() : line.end, shift);
      return true;
    case VK_DELETE:
      if (shift) {
        SendMessage(h, WM_CUT, 0, 0);
      } else if (!ReadOnly(h)) {
        if (s.anchor != s.caret) {
          ReplaceSelection(h, s, std::string());
        } else if (s.caret < s.text.size()) {
          Replace(h, s, s.caret, s.caret + std::max<std::size_t>(1, BreakAt(s.text, s.caret)), std::string());
        }
      }
      return true;
    case VK_INSERT:
      if (ctrl) SendMessage(h, WM_COPY, 0, 0);
      if (shift) SendMessage(h, WM_PASTE, 0, 0);
      return true;
  }
  return false;
}

void Char(HWND h, EditState& s, WPARAM ch) {
  const bool multi = Multi(h);
  switch (ch) {
    case 1:  // Ctrl+A
      SendMessage(h, EM_SETSEL, 0, -1);
      return;
    case 3:  // Ctrl+C
      SendMessage(h, WM_COPY, 0, 0);
      return;
    case 22:  // Ctrl+V
      SendMessage(h, WM_PASTE, 0, 0);
      return;
    case 24:  // Ctrl+X
      SendMessage(h, WM_CUT, 0, 0);
      return;
  }
  if (ReadOnly(h)) {
    if (ch >= 32 || ch == '\b') MessageBeep(MB_OK);
    return;
  }
  if (ch == '\b') {
    if (s.anchor != s.caret) {
      ReplaceSelection(h, s, std::string());
    } else if (s.caret > 0) {
      Replace(h, s, Fix(s, s.caret - 1), s.caret, std::string());
    }
    return;
  }
  if (ch == '\r' || ch == '\n') {
    if (multi) ReplaceSelection(h, s, "\r\n");
    return;
  }
  if (ch == '\t') {
    if (multi) ReplaceSelection(h, s, "\t");
    return;
  }
  if (ch < 32 || ch == 127 || ch > 255) return;  // 127: Ctrl+Backspace
  if ((StyleOf(h) & ES_NUMBER) && !std::isdigit(static_cast<int>(ch))) {
    MessageBeep(MB_OK);
    return;
  }
  ReplaceSelection(h, s, std::string(1, static_cast<char>(ch)));
}

void Paint(HWND h, HDC dc, EditState& s) {
  const RECT client = ClientOf(h);
  const bool enabled = IsWindowEnabled(h) != FALSE;
  HBRUSH back = ParentBrush(h, dc, (ReadOnly(h) || !enabled) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT);
  COLORREF text_color = enabled ? GetTextColor(dc) : GetSysColor(COLOR_GRAYTEXT);
  FillRect(dc, &client, back);
  HGDIOBJ old = SelectObject(dc, DrawFont(s));
  SetBkMode(dc, TRANSPARENT);
  const bool show_sel = s.SelLo() != s.SelHi() && (s.focused || (StyleOf(h) & ES_NOHIDESEL));
  const int visible = Multi(h) ? VisibleLines(h, s) + 1 : 1;
  const int top = TextTop(h, s);
  for (int k = 0; k < visible; ++k) {
    const int ln = s.first_line + k;
    if (ln >= static_cast<int>(s.lines.size())) break;
    const Line& l = s.lines[static_cast<std::size_t>(ln)];
    const int y = top + k * s.fi.height;
    const int x0 = kMargin + AlignShift(h, s, l) - s.x_offset;
    // Runs of the line between tabs, each selected or not.
    int x = 0;
    std::size_t i = l.start;
    while (i < l.end) {
      const bool sel = show_sel && i >= s.SelLo() && i < s.SelHi();
      std::size_t j = i;
      int w = 0;
      while (j < l.end && s.text[j] != '\t' && (show_sel && j >= s.SelLo() && j < s.SelHi()) == sel) {
        w += s.fi.widths[static_cast<unsigned char>(s.text[j])];
        ++j;
      }
      if (j == i) {  // a tab
        w = Advance(s, x, '\t');
        j = i + 1;
      }
      if (sel) {
        FillSys(dc, RECT{x0 + x, y, x0 + x + w, y + s.fi.height}, COLOR_HIGHLIGHT);
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
      } else {
        SetTextColor(dc, text_color);
      }
      if (s.text[i] != '\t') TextOut(dc, x0 + x, y, s.text.data() + i, static_cast<int>(j - i));
      x += w;
      i = j;
    }
  }
  SelectObject(dc, old);
}

LRESULT DlgCode(HWND h, const EditState& s, LPARAM lParam) {
  LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
  const MSG* m = reinterpret_cast<const MSG*>(lParam);
  const bool key = m != nullptr && m->message == WM_KEYDOWN;
  if (s.combo) {
    HWND combo = GetParent(h);
    if (key && (m->wParam == VK_RETURN || m->wParam == VK_ESCAPE) &&
        SendMessage(combo, CB_GETDROPPEDSTATE, 0, 0))
      code |= DLGC_WANTMESSAGE;
    return code;
  }
  if (Multi(h)) {
    if (!key) return code | DLGC_WANTALLKEYS;
    switch (m->wParam) {
      case VK_TAB:
      case VK_ESCAPE:
        return code;
      case VK_RETURN:
        return (StyleOf(h) & ES_WANTRETURN) ? (code | DLGC_WANTMESSAGE) : code;
      default:
        return code | DLGC_WANTALLKEYS;
    }
  }
  return code;
}

LRESULT EditProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto s = Attach<EditState>(h);
    const auto* cs = reinterpret_cast<const CREATESTRUCT*>(lParam);
    if (cs != nullptr && cs->lpszName != nullptr && !IS_INTRESOURCE(cs->lpszName)) s->text = cs->lpszName;
    s->fi = MeasureFont(nullptr);
    Layout(h, *s);
    StoreText(h, *s);
    return TRUE;
  }
  auto sp = Get<EditState>(h);
  if (!sp) return DefWindowProc(h, msg, wParam, lParam);
  EditState& s = *sp;
  switch (msg) {
    case WM_NCDESTROY:
      DropState(h);
      break;
    case WM_CREATE:
    case WM_SIZE:
      Refresh(h, s);
      if (s.focused) ScrollToCaret(h, s);
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_SETFONT:
      s.font = reinterpret_cast<HFONT>(wParam);
      s.fi = MeasureFont(s.font);
      Refresh(h, s);
      if (s.focused) {
        CreateCaret(h, nullptr, 1, s.fi.height);
        PlaceCaret(h, s);
        ShowCaret(h);
      }
      if (LOWORD(static_cast<DWORD_PTR>(lParam))) InvalidateRect(h, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(s.font);
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      Paint(h, dc, s);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_SETTEXT: {
      const char* text = reinterpret_cast<const char*>(lParam);
      s.text = text != nullptr ? text : "";
      s.anchor = s.caret = 0;
      s.first_line = 0;
      s.x_offset = 0;
      s.modified = false;
      s.goal_x = -1;
      // Several lines set by the program tell nobody; one line does.
      Changed(h, s, !Multi(h));
      return TRUE;
    }
    case WM_GETTEXT: {
      char* out = reinterpret_cast<char*>(lParam);
      if (out == nullptr || wParam == 0) return 0;
      const std::size_t n = std::min(s.text.size(), static_cast<std::size_t>(wParam) - 1);
      std::memcpy(out, s.text.data(), n);
      out[n] = '\0';
      return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(s.text.size());
    case WM_SETFOCUS:
      s.focused = true;
      CreateCaret(h, nullptr, 1, s.fi.height);
      PlaceCaret(h, s);
      ShowCaret(h);
      InvalidateRect(h, nullptr, FALSE);
      NotifyParent(h, EN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      s.focused = false;
      if (s.tracking) {
        s.tracking = false;
        if (GetCapture() == h) ReleaseCapture();
      }
      DestroyCaret();
      InvalidateRect(h, nullptr, FALSE);
      NotifyParent(h, EN_KILLFOCUS);
      return 0;
    case WM_ENABLE:
    case WM_SYSCOLORCHANGE:
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_GETDLGCODE:
      return DlgCode(h, s, lParam);
    case WM_KEYDOWN:
      if (s.combo) {
        switch (wParam) {
          case VK_UP:
          case VK_DOWN:
          case VK_PRIOR:
          case VK_NEXT:
          case VK_F4:
          case VK_RETURN:
          case VK_ESCAPE:
            if (SendMessage(GetParent(h), kComboEditKey, wParam, lParam)) return 0;
        }
      }
      if (KeyDown(h, s, wParam)) return 0;
      break;
    case WM_SYSKEYDOWN:
      if (s.combo && (wParam == VK_UP || wParam == VK_DOWN)) {
        SendMessage(GetParent(h), kComboEditKey, wParam, lParam);
        return 0;
      }
      break;
    case WM_CHAR:
      Char(h, s, wParam);
      return 0;
    case WM_LBUTTONDOWN: {
      if (GetFocus() != h) SetFocus(h);
      if (!s.focused) return 0;
      const std::size_t i = IndexAtPoint(h, s, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      MoveCaret(h, s, i, (wParam & MK_SHIFT) != 0);
      s.tracking = true;
      SetCapture(h);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (s.tracking) {
        const std::size_t i = IndexAtPoint(h, s, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        MoveCaret(h, s, i, true);
      }
      return 0;
    case WM_LBUTTONUP:
      if (s.tracking) {
        s.tracking = false;
        if (GetCapture() == h) ReleaseCapture();
      }
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != h) s.tracking = false;
      return 0;
    case WM_LBUTTONDBLCLK:
      if (GetFocus() != h) SetFocus(h);
      SelectWordAt(h, s, IndexAtPoint(h, s, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}));
      return 0;
    case WM_MOUSEWHEEL:
      if (Multi(h)) {
        const int notches = static_cast<SHORT>(HIWORD(static_cast<DWORD_PTR>(wParam))) / WHEEL_DELTA;
        SendMessage(h, EM_LINESCROLL, 0, -3 * notches);
        return 0;
      }
      break;
    case WM_VSCROLL:
    case WM_HSCROLL: {
      if (!Multi(h) || lParam != 0) break;
      const bool v = msg == WM_VSCROLL;
      const int page = v ? VisibleLines(h, s) : AvailWidth(h);
      const int line = v ? 1 : s.fi.ave_width;
      int& pos = v ? s.first_line : s.x_offset;
      const int old = pos;
      switch (LOWORD(wParam)) {
        case SB_LINEUP:
          pos -= line;
          break;
        case SB_LINEDOWN:
          pos += line;
          break;
        case SB_PAGEUP:
          pos -= page;
          break;
        case SB_PAGEDOWN:
          pos += page;
          break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
          SCROLLINFO si;
          si.fMask = SIF_TRACKPOS;
          GetScrollInfo(h, v ? SB_VERT : SB_HORZ, &si);
          pos = si.nTrackPos;
          break;
        }
        case SB_TOP:
          pos = 0;
          break;
        case SB_BOTTOM:
          pos = 1 << 30;
          break;
        default:
          return 0;
      }
      if (v) {
        ClampFirstLine(h, s);
      } else {
        int widest = 0;
        for (const Line& l : s.lines) widest = std::max(widest, LineWidth(s, l));
        s.x_offset = std::clamp(s.x_offset, 0, std::max(0, widest - AvailWidth(h)));
      }
      if (pos != old) {
        UpdateScrollBars(h, s);
        PlaceCaret(h, s);
        InvalidateRect(h, nullptr, FALSE);
      }
      return 0;
    }
    case WM_CUT:
      if (!ReadOnly(h)) {
        Copy(h, s);
        Clear(h, s);
      }
      return 0;
    case WM_COPY:
      Copy(h, s);
      return 0;
    case WM_PASTE:
      Paste(h, s);
      return 0;
    case WM_CLEAR:
      Clear(h, s);
      return 0;
    case EM_GETSEL: {
      const DWORD lo = static_cast<DWORD>(s.SelLo()), hi = static_cast<DWORD>(s.SelHi());
      if (wParam != 0) *reinterpret_cast<LPDWORD>(wParam) = lo;
      if (lParam != 0) *reinterpret_cast<LPDWORD>(lParam) = hi;
      return MAKELRESULT(std::min<DWORD>(lo, 0xFFFF), std::min<DWORD>(hi, 0xFFFF));
    }
    case EM_SETSEL: {
      const auto start = static_cast<int>(static_cast<LONG>(wParam));
      const auto end = static_cast<int>(static_cast<LONG>(lParam));
      if (start == -1) {
        SetSelection(h, s, s.caret, s.caret, false);
        return 0;
      }
      const std::size_t size = s.text.size();
      const std::size_t a = start < 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(start), size);
      const std::size_t b = end < 0 ? size : std::min<std::size_t>(static_cast<std::size_t>(end), size);
      s.goal_x = -1;
      SetSelection(h, s, a, b, false);
      return 0;
    }
    case EM_REPLACESEL: {
      const char* text = reinterpret_cast<const char*>(lParam);
      ReplaceSelection(h, s, text != nullptr ? text : "");
      return 0;
    }
    case EM_LIMITTEXT:
      if (wParam == 0) {
        s.limit = Multi(h) ? 0xFFFFFFFFu : 0x7FFFFFFEu;
      } else {
        s.limit = static_cast<std::size_t>(static_cast<DWORD>(wParam));
      }
      return 0;
    case EM_GETLIMITTEXT:
      return static_cast<LRESULT>(s.limit);
    case EM_GETMODIFY:
      return s.modified ? TRUE : FALSE;
    case EM_SETMODIFY:
      s.modified = wParam != 0;
      return 0;
    case EM_SETREADONLY: {
      const DWORD style = StyleOf(h);
      SetWindowLong(h, GWL_STYLE, static_cast<LONG>(wParam ? (style | ES_READONLY) : (style & ~ES_READONLY)));
      InvalidateRect(h, nullptr, FALSE);
      return TRUE;
    }
    case EM_GETLINECOUNT:
      return Multi(h) ? static_cast<LRESULT>(s.lines.size()) : 1;
    case EM_LINEINDEX: {
      const int line = static_cast<int>(static_cast<LONG>(wParam));
      const int ln = line < 0 ? LineOf(s, s.caret) : line;
      if (ln >= static_cast<int>(s.lines.size())) return -1;
      return static_cast<LRESULT>(s.lines[static_cast<std::size_t>(ln)].start);
    }
    case EM_LINELENGTH: {
      const int index = static_cast<int>(static_cast<LONG>(wParam));
      const std::size_t at = index < 0 ? s.caret : static_cast<std::size_t>(index);
      if (at > s.text.size()) return 0;
      const Line& l = s.lines[static_cast<std::size_t>(LineOf(s, at))];
      return static_cast<LRESULT>(l.end - l.start);
    }
    case EM_LINEFROMCHAR: {
      const int index = static_cast<int>(static_cast<LONG>(wParam));
      const std::size_t at =
          index < 0 ? s.SelLo() : std::min<std::size_t>(static_cast<std::size_t>(index), s.text.size());
      return LineOf(s, at);
    }
    case EM_GETLINE: {
      char* out = reinterpret_cast<char*>(lParam);
      if (out == nullptr) return 0;
      WORD room;
      std::memcpy(&room, out, sizeof room);
      const std::size_t ln = Multi(h) ? static_cast<std::size_t>(wParam) : 0;
      if (ln >= s.lines.size()) return 0;
      const Line& l = s.lines[ln];
      const std::size_t n = std::min<std::size_t>(l.end - l.start, room);
      std::memcpy(out, s.text.data() + l.start, n);
      return static_cast<LRESULT>(n);
    }
    case EM_GETFIRSTVISIBLELINE:
      if (Multi(h)) return s.first_line;
      return static_cast<LRESULT>(IndexIn(s, s.lines[0], s.x_offset));
    case EM_LINESCROLL:
      if (!Multi(h)) return FALSE;
      s.first_line += static_cast<int>(static_cast<LONG>(lParam));
      ClampFirstLine(h, s);
      if (ScrollsSideways(h))
        s.x_offset = std::max(0, s.x_offset + static_cast<int>(static_cast<LONG>(wParam)) * s.fi.ave_width);
      UpdateScrollBars(h, s);
      PlaceCaret(h, s);
      InvalidateRect(h, nullptr, FALSE);
      return TRUE;
    case EM_SCROLLCARET:
      ScrollToCaret(h, s);
      UpdateScrollBars(h, s);
      PlaceCaret(h, s);
      return TRUE;
    case EM_POSFROMCHAR: {
      if (wParam >= s.text.size()) return -1;
      const POINT p = PosOf(h, s, wParam);
      return MAKELRESULT(p.x, p.y);
    }
    case EM_CHARFROMPOS: {
      const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      const std::size_t i = IndexAtPoint(h, s, p);
      return MAKELRESULT(std::min<std::size_t>(i, 0xFFFF), LineOf(s, i));
    }
    case kEditComboMode:
      s.combo = wParam != 0;
      return 0;
  }
  return DefWindowProc(h, msg, wParam, lParam);
}

}  // namespace

void RegisterEditClass() {
  RegisterControlClass(WC_EDIT, EditProc, CS_DBLCLKS | CS_GLOBALCLASS, IDC_IBEAM);
}

}  // namespace controls
