// Text output, extents and DrawText.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gui/gdi_internal.h"

namespace {

std::shared_ptr<const RealFont> DcFont(DeviceContext& dc) {
  if (!dc.st.font) dc.st.font = GdiGet<FontObject>(GetStockObject(SYSTEM_FONT), GdiKind::kFont);
  return dc.st.font->Real();
}

int Length(LPCSTR text, int length) {
  if (text == nullptr) return 0;
  if (length < 0) return static_cast<int>(std::strlen(text));
  return length;
}

// Draws the glyphs of text with the baseline's pen start at (x, baseline) in
// surface coordinates. underline_at marks one character (DrawText prefixes).
void PaintGlyphs(DeviceContext& dc, const RealFont& font, int x, int baseline, const char* text, int length,
                 const INT* dx, int underline_at, RECT* drawn) {
  Ink ink;
  ink.color = ResolveColor(dc, dc.st.text_color);
  ink.rop = 0xF0;
  const RECT bounds = dc.effective.Bounds();
  int pen = x;
  const int line_h = std::max(1, font.em() / 14);
  for (int i = 0; i < length; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const Glyph& g = font.GetGlyph(c);
    const int gx = pen + g.left, gy = baseline - g.top;
    if (gx < bounds.right && gx + g.width > bounds.left && gy < bounds.bottom && gy + g.height > bounds.top) {
      for (int row = 0; row < g.height; ++row) {
        const std::uint8_t* bits = g.bits.data() + static_cast<std::size_t>(row) * g.width;
        int col = 0;
        while (col < g.width) {
          while (col < g.width && !bits[col]) ++col;
          const int start = col;
          while (col < g.width && bits[col]) ++col;
          if (col > start) PaintSpan(dc, gy + row, gx + start, gx + col, ink);
        }
      }
    }
    const int advance = dx != nullptr ? dx[i] : g.advance;
    if (i == underline_at) {
      for (int k = 0; k < line_h; ++k) PaintSpan(dc, baseline + 1 + k, pen, pen + g.advance, ink);
    }
    pen += advance;
  }
  if (font.underline()) {
    for (int k = 0; k < line_h; ++k) PaintSpan(dc, baseline + 1 + k, x, pen, ink);
  }
  if (font.strike_out()) {
    const int y = baseline - font.ascent() / 3;
    for (int k = 0; k < line_h; ++k) PaintSpan(dc, y + k, x, pen, ink);
  }
  if (drawn != nullptr) *drawn = RECT{x, baseline - font.ascent(), pen, baseline + font.descent()};
}

int RunWidth(const RealFont& font, const char* text, int length, const INT* dx) {
  if (dx == nullptr) return font.TextWidth(text, length);
  int w = 0;
  for (int i = 0; i < length; ++i) w += dx[i];
  return w;
}

// Temporarily narrows the effective clip of a DC.
class ClipScope {
 public:
  ClipScope(DeviceContext& dc, const RECT* surface_rect) : dc_(dc) {
    if (surface_rect != nullptr) {
      saved_ = dc.effective;
      dc.effective.Intersect(*surface_rect);
      active_ = true;
    }
  }
  ~ClipScope() {
    if (active_) dc_.effective = std::move(saved_);
  }

 private:
  DeviceContext& dc_;
  Region saved_;
  bool active_ = false;
};

BOOL TextRun(HDC handle, int x, int y, UINT options, const RECT* rect, LPCSTR text, int length,
             const INT* dx) {
  auto dc = GetDcObject(handle);
  if (!dc) return FALSE;
  length = Length(text, length);
  auto font = DcFont(*dc);
  const int width = RunWidth(*font, text, length, dx);
  const UINT align = dc->st.text_align;
  if (align & TA_UPDATECP) {
    x = dc->st.pos.x;
    y = dc->st.pos.y;
  }
  int left = x;
  const UINT h_align = align & TA_CENTER;
  if (h_align == TA_CENTER) {
    left = x - width / 2;
  } else if (h_align == TA_RIGHT) {
    left = x - width;
  }
  if (align & TA_UPDATECP) {
    if (h_align == TA_RIGHT) {
      dc->st.pos.x = left;
    } else if (h_align != TA_CENTER) {
      dc->st.pos.x = left + width;
    }
  }
  if (!PrepareDc(*dc)) return TRUE;
  int top;
  const UINT v_align = align & TA_BASELINE;
  if (v_align == TA_BASELINE) {
    top = y - font->ascent();
  } else if (v_align == TA_BOTTOM) {
    top = y - font->height();
  } else {
    top = y;
  }
  RECT clip_s{};
  const bool clipped = rect != nullptr && (options & ETO_CLIPPED);
  if (rect != nullptr) clip_s = ToSurfaceRect(*dc, *rect);
  if (rect != nullptr && (options & ETO_OPAQUE)) {
    Ink back;
    back.color = ResolveColor(*dc, dc->st.bk_color);
    PaintRect(*dc, clip_s, back);
  }
  ClipScope scope(*dc, clipped ? &clip_s : nullptr);
  const POINT s = ToSurface(*dc, left, top);
  if (dc->st.bk_mode == OPAQUE && length > 0) {
    Ink back;
    back.color = ResolveColor(*dc, dc->st.bk_color);
    PaintRect(*dc, RECT{s.x, s.y, s.x + width, s.y + font->height()}, back);
  }
  RECT drawn{};
  PaintGlyphs(*dc, *font, s.x, s.y + font->ascent(), text, length, dx, -1, &drawn);
  NoteDrawn(*dc, drawn);
  return TRUE;
}

struct Line {
  std::string text;
  int underline = -1;
  int width = 0;
};

// Removes the '&' prefixes: "&&" is one '&', "&x" underlines x.
void StripPrefix(Line& line) {
  std::string out;
  for (size_t i = 0; i < line.text.size(); ++i) {
    if (line.text[i] == '&' && i + 1 < line.text.size()) {
      ++i;
      if (line.text[i] != '&' && line.underline < 0) line.underline = static_cast<int>(out.size());
    } else if (line.text[i] == '&') {
      continue;
    }
    out.push_back(line.text[i]);
  }
  line.text = std::move(out);
}

void ExpandTabs(std::string& s, const RealFont& font, int tab_chars) {
  const int stop = std::max(1, font.Advance(static_cast<unsigned char>('x')) * tab_chars);
  std::string out;
  for (char c : s) {
    if (c != '\t') {
      out.push_back(c);
      continue;
    }
    // Spaces up to the next stop (approximated by whole blanks).
    const int w = font.TextWidth(out.data(), static_cast<int>(out.size()));
    const int next = (w / stop + 1) * stop;
    const int blank = std::max(1, font.Advance(' '));
    for (int x = w; x < next; x += blank) out.push_back(' ');
  }
  s = std::move(out);
}

}  // namespace

int MnemonicOf(const char* text) {
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p != '&') continue;
    if (p[1] == '&') {
      ++p;
      continue;
    }
    return std::toupper(static_cast<unsigned char>(p[1]));
  }
  return 0;
}

BOOL TextOut(HDC dc, int x, int y, LPCSTR text, int length) {
  if (length < 0) return FALSE;
  return TextRun(dc, x, y, 0, nullptr, text, length, nullptr);
}

BOOL ExtTextOut(HDC dc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT length,
                const INT* dx) {
  if (text == nullptr) length = 0;
  return TextRun(dc, x, y, options, rect, text, static_cast<int>(length), dx);
}

BOOL GetTextExtentPoint32(HDC handle, LPCSTR text, int length, LPSIZE size) {
  auto dc = GetDcObject(handle);
  if (!dc || size == nullptr || length < 0 || (text == nullptr && length > 0)) return FALSE;
  auto font = DcFont(*dc);
  size->cx = font->TextWidth(text, length);
  size->cy = font->height();
  return TRUE;
}

BOOL GetTextExtentPoint(HDC dc, LPCSTR text, int length, LPSIZE size) {
  return GetTextExtentPoint32(dc, text, length, size);
}

BOOL GetTextExtentExPoint(HDC handle, LPCSTR text, int length, int maxExtent, LPINT fit, LPINT dx,
                          LPSIZE size) {
  auto dc = GetDcObject(handle);
  if (!dc || length < 0 || (text == nullptr && length > 0)) return FALSE;
  auto font = DcFont(*dc);
  int w = 0, n = 0;
  for (int i = 0; i < length; ++i) {
    w += font->Advance(static_cast<unsigned char>(text[i]));
    if (dx != nullptr) dx[i] = w;
    if (w <= maxExtent) n = i + 1;
  }
  if (fit != nullptr) *fit = n;
  if (size != nullptr) *size = SIZE{w, font->height()};
  return TRUE;
}

BOOL GetTextMetrics(HDC handle, TEXTMETRIC* tm) {
  auto dc = GetDcObject(handle);
  if (!dc || tm == nullptr) return FALSE;
  DcFont(*dc)->FillMetrics(tm);
  return TRUE;
}

int GetTextFace(HDC handle, int size, LPSTR face) {
  auto dc = GetDcObject(handle);
  if (!dc) return 0;
  if (!dc->st.font) DcFont(*dc);
  const char* name = dc->st.font->log.lfFaceName;
  const int n = static_cast<int>(std::strlen(name));
  if (face == nullptr) return n + 1;
  if (size <= 0) return 0;
  const int m = std::min(n, size - 1);
  std::memcpy(face, name, static_cast<std::size_t>(m));
  face[m] = '\0';
  return m;
}

BOOL GetCharWidth32(HDC handle, UINT first, UINT last, LPINT widths) {
  auto dc = GetDcObject(handle);
  if (!dc || widths == nullptr || last < first) return FALSE;
  auto font = DcFont(*dc);
  for (UINT c = first; c <= last; ++c)
    widths[c - first] = c < 256 ? font->Advance(static_cast<unsigned char>(c)) : 0;
  return TRUE;
}

BOOL GetCharWidth(HDC dc, UINT first, UINT last, LPINT widths) {
  return GetCharWidth32(dc, first, last, widths);
}

int DrawText(HDC handle, LPCSTR text, int length, LPRECT rect, UINT format) {
  auto dc = GetDcObject(handle);
  if (!dc || rect == nullptr) return 0;
  length = Length(text, length);
  auto font = DcFont(*dc);
  const int line_h = font->height();
  const int box_w = rect->right - rect->left;
  const int tab_chars = (format & DT_TABSTOP) ? std::max(1, static_cast<int>((format >> 8) & 0xFF)) : 8;

  // Lines: hard breaks first, then word wrap.
  std::vector<Line> lines;
  const std::string all =
      text != nullptr ? std::string(text, static_cast<std::size_t>(length)) : std::string();
  std::vector<std::string> hard;
  if (format & DT_SINGLELINE) {
    std::string one;
    for (char c : all) {
      if (c != '\r' && c != '\n') one.push_back(c);
    }
    hard.push_back(one);
  } else {
    std::string cur;
    for (size_t i = 0; i < all.size(); ++i) {
      const char c = all[i];
      if (c == '\r' || c == '\n') {
        hard.push_back(cur);
        cur.clear();
        if (c == '\r' && i + 1 < all.size() && all[i + 1] == '\n') ++i;
      } else {
        cur.push_back(c);
      }
    }
    hard.push_back(cur);
  }
  for (std::string& h : hard) {
    if (format & DT_EXPANDTABS) ExpandTabs(h, *font, tab_chars);
    Line whole{h};
    if (!(format & DT_NOPREFIX)) StripPrefix(whole);
    if (!(format & DT_WORDBREAK) || (format & DT_SINGLELINE)) {
      lines.push_back(whole);
      continue;
    }
    // Break at blanks so that each line fits the box; a word wider than the
    // box stays whole on its own line.
    const std::string& s = whole.text;
    size_t start = 0;
    int underline = whole.underline;
    while (true) {
      size_t end = start;
      size_t best = std::string::npos;
      while (end <= s.size()) {
        const size_t next = s.find(' ', end);
        const size_t word_end = next == std::string::npos ? s.size() : next;
        const int w = font->TextWidth(s.data() + start, static_cast<int>(word_end - start));
        if (w > box_w && best != std::string::npos) break;
        best = word_end;
        if (next == std::string::npos) break;
        end = next + 1;
      }
      if (best == std::string::npos) best = s.size();
      Line l{s.substr(start, best - start)};
      if (underline >= static_cast<int>(start) && underline < static_cast<int>(best)) {
        l.underline = underline - static_cast<int>(start);
      }
      lines.push_back(l);
      size_t next_start = best;
      while (next_start < s.size() && s[next_start] == ' ') ++next_start;
      if (next_start >= s.size()) break;
      start = next_start;
    }
  }
  int max_w = 0;
  for (Line& l : lines) {
    l.width = font->TextWidth(l.text.data(), static_cast<int>(l.text.size()));
    if ((format & DT_END_ELLIPSIS) && l.width > box_w) {
      const int dots = font->TextWidth("...", 3);
      while (!l.text.empty() &&
             font->TextWidth(l.text.data(), static_cast<int>(l.text.size())) + dots > box_w) {
        l.text.pop_back();
      }
      l.text += "...";
      l.width = font->TextWidth(l.text.data(), static_cast<int>(l.text.size()));
      if (l.underline >= static_cast<int>(l.text.size()) - 3) l.underline = -1;
    }
    max_w = std::max(max_w, l.width);
  }
  const int total_h = line_h * static_cast<int>(lines.size());
  if (format & DT_CALCRECT) {
    // The width of the widest line, also when lines were wrapped.
    rect->right = rect->left + max_w;
    rect->bottom = rect->top + total_h;
    return total_h;
  }
  int y = rect->top;
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER) {
      y = rect->top + (rect->bottom - rect->top - line_h) / 2;
    } else if (format & DT_BOTTOM) {
      y = rect->bottom - line_h;
    }
  }
  const int result =
      (format & DT_SINGLELINE) && (format & (DT_VCENTER | DT_BOTTOM)) ? y - rect->top + total_h : total_h;
  if (!PrepareDc(*dc)) return result;
  RECT clip_s = ToSurfaceRect(*dc, *rect);
  ClipScope scope(*dc, (format & DT_NOCLIP) ? nullptr : &clip_s);
  Ink back;
  back.color = ResolveColor(*dc, dc->st.bk_color);
  for (const Line& l : lines) {
    int x = rect->left;
    if (format & DT_CENTER) {
      x = rect->left + (box_w - l.width) / 2;
    } else if (format & DT_RIGHT) {
      x = rect->right - l.width;
    }
    const POINT s = ToSurface(*dc, x, y);
    if (dc->st.bk_mode == OPAQUE && !l.text.empty())
      PaintRect(*dc, RECT{s.x, s.y, s.x + l.width, s.y + line_h}, back);
    RECT drawn{};
    PaintGlyphs(*dc, *font, s.x, s.y + font->ascent(), l.text.data(), static_cast<int>(l.text.size()),
                nullptr, l.underline, &drawn);
    NoteDrawn(*dc, drawn);
    y += line_h;
  }
  return result;
}
