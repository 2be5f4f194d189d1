#include "app/settings/colors_sample.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "model/error_codes.h"
#include "model/message_box.h"
#include "model/ui_strings.h"
#include "platform/core/files.h"

namespace {

// Reading stops here: 31 short lines never need more.
constexpr long kMaxSchemeFile = 1 << 20;

HFONT (*g_sampleFont)() = nullptr;

}  // namespace

FileData& ColorSchemeFileData() {
  static FileData data(GetString(ui_string::kColorSchemeFilter), "clt");
  return data;
}

namespace {

// The record's folder is SchemeDirectory; the dialog may move it.
bool AskSchemeFile(bool save, HWND owner, const char* title) {
  FileData& data = ColorSchemeFileData();
  std::snprintf(data.Directory, sizeof data.Directory, "%s", SchemeDirectory);
  const bool chosen = save ? AskSaveFile(data, owner, title) : AskOpenFile(data, owner, title);
  if (chosen) std::snprintf(SchemeDirectory, sizeof SchemeDirectory, "%s", data.Directory);
  return chosen;
}

HWND OwnerOf(const TColorsSampleControl& sample) {
  return sample.GetParentO() != nullptr ? sample.GetParentO()->GetHandle() : nullptr;
}

}  // namespace

void SetDefaultColors(TColorsSampleControl& sample) {
  for (int i = 0; i < kTimeLineColorCount; ++i) sample.Colors[i] = DefaultTimeLineColor(i);
}

void CommitColors(const TColorsSampleControl& sample) {
  for (int i = 0; i < kTimeLineColorCount; ++i) TimeLineColors[i] = sample.Colors[i] & kTimeLineRgbMask;
}

bool SaveColorScheme(TColorsSampleControl& sample) {
  const char* title = GetString(ui_string::kSaveColorScheme);
  const HWND owner = OwnerOf(sample);
  if (!AskSchemeFile(true, owner, title)) return false;
  const char* path = ColorSchemeFileData().FileName;
  std::FILE* f = std::fopen(path, "wb");
  if (f == nullptr) {
    ErrorBox(owner, kErrOpen, title, path);
    return false;
  }
  const std::string text = WriteColorScheme(sample.Colors);
  const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  if (std::fclose(f) != 0 || !written) ErrorBox(owner, kErrWrite, title, path);
  return true;
}

bool LoadColorScheme(TColorsSampleControl& sample) {
  const char* title = GetString(ui_string::kLoadColorScheme);
  const HWND owner = OwnerOf(sample);
  if (!AskSchemeFile(false, owner, title)) return false;
  const char* path = ColorSchemeFileData().FileName;
  // A FIFO or a device is refused, not waited on.
  std::FILE* f = OpenRegularFileForReading(path);
  if (f == nullptr) {
    FileErrorBox(owner, kErrOpen, title, path);
    return false;
  }
  std::string text;
  char block[4096];
  std::size_t n = 0;
  while (text.size() < static_cast<std::size_t>(kMaxSchemeFile) && (n = std::fread(block, 1, sizeof block, f)) > 0) {
    text.append(block, n);
  }
  std::fclose(f);
  if (ReadColorScheme(text, sample.Colors) != kErrOk) ErrorBox(owner, kErrRead, title, path);
  return true;
}

// ---- The sample ----

namespace {

// The sample's geometry: the ruler, the range band, then rows of clips.
constexpr int kRulerBottom = 17;
constexpr int kRangeBottom = 25;
constexpr int kRowsTop = 24;
constexpr int kRowHeight = 48;
constexpr int kRows = 3;
constexpr int kMark = 7;  // the time-line's place-mark size
constexpr int kHalfMark = kMark / 2;
constexpr int kLabel = 12;  // the effect and declick labels, and the strips they sit in

struct Halves {
  int cx, u, left, right;
};

Halves Layout(int width) {
  Halves h;
  h.cx = width / 2;
  h.u = h.cx / 5;
  h.left = h.cx - 4 * h.u;
  h.right = h.cx + 4 * h.u;
  return h;
}

// The volume profile and its key points in half with offset p at row
// offset r: the line, the key point or -1.
int VolumeAt(int p, int r, int u, int line, int point) {
  if (r >= 28 && r <= 33) {
    if (p < 2 * u - kMark) return line;
    if (p <= 2 * u) return point;
  }
  if (r >= 10 && r <= 27 && p >= 2 * u - 3 && p <= 2 * u + 3) return line;
  if (r >= 3 && r <= 9) {
    if (p > 2 * u + kMark) return line;
    if (p >= 2 * u) return point;
  }
  return -1;
}

}  // namespace

int ColorsSampleHitTest(int width, int x, int y, const SampleTextWidths& text) {
  const Halves h = Layout(width);
  if (std::abs(x - h.cx) <= kHalfMark) return kColorCurTime;
  if (y < kRulerBottom) return x < h.cx ? kColorActiveTimeMark : kColorPassiveTimeMark;
  if (y < kRangeBottom) return kColorSelection;
  const int row = (y - kRowsTop) / kRowHeight;
  if (x < h.left || x > h.right || row >= kRows) {
    if (y < kRowsTop + kRowHeight + 1) return x < h.cx ? kColorFirstVideoTrack : kColorOtherVideoTrack;
    return kColorAudioTrack;
  }
  const int r = (y - kRowsTop) % kRowHeight;
  const bool leftHalf = x < h.cx;
  const int d = leftHalf ? x - h.left : h.right - x;
  const int p = leftHalf ? x - h.left : x - h.cx;
  const int u = h.u;
  if (row == 1 && r + 2 * d < kLabel) return kColorDeclick;
  if (row == 1 && p + (kRowHeight - r) < kLabel) return leftHalf ? kColorUsedEffects : kColorNonUsedEffects;
  if (kRowHeight - r < kLabel) {
    if (p < 2 * u && p >= u - kMark && p <= u + 3 + text.m1) return kColorActiveClipMark;
    if (p >= 2 * u && p >= 3 * u - kMark && p <= 3 * u + 3 + text.m2) return kColorPassiveClipMark;
  }
  const bool activeVolume = (row == 1) != leftHalf;
  if (activeVolume) {
    const int v = VolumeAt(p, r, u, kColorActiveVolumeProfile, kColorActiveKeyPoint);
    if (v >= 0) return v;
    if (r >= 21 && r <= 27) return kColorPassiveBalanceProfile;
  } else {
    if (r >= 21 && r <= 27) return kColorActiveBalanceProfile;
    const int v = VolumeAt(p, r, u, kColorPassiveVolumeProfile, kColorPassiveKeyPoint);
    if (v >= 0) return v;
  }
  if (r < 12 || r > 36) {
    if (r < 12 && p >= 2 && p < 2 + text.name + 2) {
      return row == 2 ? kColorSemiSelectedName : leftHalf ? kColorSelectedName : kColorNonSelectedName;
    }
    return row == 2 ? kColorSemiSelectedClip : leftHalf ? kColorSelectedClip : kColorNonSelectedClip;
  }
  return kColorWaveform;
}

void SetColorsSampleFont(HFONT (*clipFont)()) {
  g_sampleFont = clipFont;
}

// clang-format off
DEFINE_RESPONSE_TABLE1(TColorsSampleControl, TControl)
  EV_WM_LBUTTONDOWN,
  EV_WM_MOUSEMOVE,
  EV_WM_LBUTTONUP,
  EV_WM_LBUTTONDBLCLK,
END_RESPONSE_TABLE;
// clang-format on

TColorsSampleControl::TColorsSampleControl(TWindow* parent) : TControl(parent, kColorsSampleId) {
  Colors = TimeLineColors;
}

const char* TColorsSampleControl::GetClassName() {
  return "TColorsSample";
}

void TColorsSampleControl::GetWindowClass(WNDCLASS& wc) {
  TControl::GetWindowClass(wc);
  wc.style |= CS_DBLCLKS;
  wc.hbrBackground = nullptr;  // the sample paints all of itself
}

HFONT TColorsSampleControl::Font() const {
  HFONT font = g_sampleFont != nullptr ? g_sampleFont() : nullptr;
  if (font == nullptr && Parent != nullptr && Parent->GetHandle() != nullptr) {
    font = reinterpret_cast<HFONT>(::SendMessage(Parent->GetHandle(), WM_GETFONT, 0, 0));
  }
  return font != nullptr ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

namespace {

SampleTextWidths MeasureTexts(TDC& dc) {
  SampleTextWidths w;
  w.m1 = dc.GetTextExtent("M1", 2).cx;
  w.m2 = dc.GetTextExtent("M2", 2).cx;
  w.name = dc.GetTextExtent("Name", 4).cx;
  return w;
}

class Pens {
 public:
  explicit Pens(TDC& dc) : dc_(dc) {}
  ~Pens() {
    dc_.RestoreObjects();
    for (HGDIOBJ o : made_) DeleteObject(o);
  }
  void Pen(COLORREF c, int width = 1) { Use(CreatePen(PS_SOLID, width, c)); }
  void Brush(COLORREF c) { Use(CreateSolidBrush(c)); }
  void Fill(const TRect& r, COLORREF c) {
    HBRUSH b = CreateSolidBrush(c);
    dc_.FillRect(r, b);
    DeleteObject(b);
  }

 private:
  void Use(HGDIOBJ o) {
    made_.push_back(o);
    dc_.SelectObject(o);
  }
  TDC& dc_;
  std::vector<HGDIOBJ> made_;
};

void Triangle(TDC& dc, POINT a, POINT b, POINT c) {
  const POINT pts[3] = {a, b, c};
  Polygon(dc, pts, 3);
}

}  // namespace

int TColorsSampleControl::HitTest(int x, int y) {
  TClientDC dc(HWindow);
  dc.SelectObject(Font());
  return ColorsSampleHitTest(GetClientRect().Width(), x, y, MeasureTexts(dc));
}

void TColorsSampleControl::Paint(TDC& dc, bool, TRect&) {
  const TRect client = GetClientRect();
  const Halves h = Layout(client.Width());
  const int u = h.u;
  const auto& c = Colors;
  Pens g(dc);
  dc.SelectObject(Font());
  dc.SetBkMode(TRANSPARENT);
  const SampleTextWidths text = MeasureTexts(dc);

  // Track backgrounds, the ruler and the range.
  const int videoBottom = kRowsTop + kRowHeight + 1;
  g.Fill(TRect(0, kRulerBottom, h.cx, videoBottom), c[kColorFirstVideoTrack]);
  g.Fill(TRect(h.cx, kRulerBottom, client.right, videoBottom), c[kColorOtherVideoTrack]);
  g.Fill(TRect(0, videoBottom, client.right, client.bottom), c[kColorAudioTrack]);
  g.Fill(TRect(0, 0, client.right, kRulerBottom), c[kColorBackground]);
  g.Fill(TRect(0, kRulerBottom, client.right, kRangeBottom), c[kColorSelection]);
  g.Pen(RGB(0, 0, 0));
  dc.MoveTo(0, kRulerBottom - 1);
  dc.LineTo(client.right, kRulerBottom - 1);
  for (int x = 0; x < client.right; x += 10) {
    dc.MoveTo(x, 16);
    dc.LineTo(x, 13);
  }
  const struct {
    int x;
    int color;
    const char* text;
  } rulerMarks[2] = {{h.cx / 2, kColorActiveTimeMark, "Mark1"}, {h.cx + h.cx / 2, kColorPassiveTimeMark, "Mark2"}};
  for (const auto& m : rulerMarks) {
    g.Pen(c[m.color]);
    g.Brush(c[m.color]);
    Triangle(dc, {m.x - kHalfMark, 15 - kMark + 1}, {m.x + kHalfMark, 15 - kMark + 1}, {m.x, 15});
    dc.SetTextColor(c[m.color]);
    dc.TextOut(m.x + kMark, 1, m.text);
  }

  // Three clips, each in two halves.
  for (int row = 0; row < kRows; ++row) {
    const int top = kRowsTop + row * kRowHeight + 1;
    const int bottom = top + kRowHeight - 1;
    for (int half = 0; half < 2; ++half) {
      const bool leftHalf = half == 0;
      const int x0 = leftHalf ? h.left : h.cx;
      const int x1 = leftHalf ? h.cx : h.right;
      const int back = row == 2 ? kColorSemiSelectedClip : leftHalf ? kColorSelectedClip : kColorNonSelectedClip;
      const int name = row == 2 ? kColorSemiSelectedName : leftHalf ? kColorSelectedName : kColorNonSelectedName;
      g.Fill(TRect(x0, top, x1, bottom), c[back]);
      // The waveform: a zig-zag across its band.
      g.Pen(c[kColorWaveform]);
      dc.MoveTo(x0 + 1, top + 12);
      for (int x = x0 + 4, k = 1; x < x1; x += 4, ++k) dc.LineTo(x, top + (k % 2 ? 35 : 12));
      // The balance, then the volume with its key points.
      const bool activeVolume = (row == 1) != leftHalf;
      g.Pen(c[activeVolume ? kColorPassiveBalanceProfile : kColorActiveBalanceProfile]);
      dc.MoveTo(x0, top + 23);
      dc.LineTo(x1, top + 23);
      const int volume = activeVolume ? kColorActiveVolumeProfile : kColorPassiveVolumeProfile;
      const int point = activeVolume ? kColorActiveKeyPoint : kColorPassiveKeyPoint;
      const int step = x0 + 2 * u;
      g.Pen(c[volume], 2);
      dc.MoveTo(x0, top + 29);
      dc.LineTo(step, top + 29);
      dc.LineTo(step, top + 5);
      dc.LineTo(x1, top + 5);
      g.Fill(TRect(step - kMark, top + 29 - kHalfMark, step, top + 29 + kHalfMark + 1), c[point]);
      g.Fill(TRect(step, top + 5 - kHalfMark, step + kMark, top + 5 + kHalfMark + 1), c[point]);
      // The clip marks along the bottom.
      const struct {
        int p, color;
        const char* text;
      } clipMarks[2] = {{u, kColorActiveClipMark, "M1"}, {3 * u, kColorPassiveClipMark, "M2"}};
      for (const auto& m : clipMarks) {
        g.Pen(c[m.color]);
        g.Brush(c[m.color]);
        const int mx = x0 + m.p;
        Triangle(dc, {mx - kHalfMark, bottom - 1}, {mx + kHalfMark, bottom - 1}, {mx, bottom - kMark});
        dc.SetTextColor(c[m.color]);
        dc.TextOut(mx + 4, bottom - 11, m.text);
      }
      dc.SetTextColor(c[name]);
      dc.TextOut(x0 + 3, top, "Name");
      (void)text;
      // The audio clip's labels: declick in the outer top corner, effects
      // in the bottom left corner of each half.
      if (row == 1) {
        const int outer = leftHalf ? h.left : h.right;
        const int in = leftHalf ? 1 : -1;
        g.Pen(c[kColorDeclick]);
        g.Brush(c[kColorDeclick]);
        Triangle(dc, {outer, top}, {outer + in * (kLabel / 2), top}, {outer, top + kLabel});
        const int effects = leftHalf ? kColorUsedEffects : kColorNonUsedEffects;
        g.Pen(c[effects]);
        g.Brush(c[effects]);
        Triangle(dc, {x0, bottom}, {x0 + kLabel - 1, bottom}, {x0, bottom - kLabel + 1});
      }
    }
  }
  // The current time over all.
  g.Pen(c[kColorCurTime], 3);
  dc.MoveTo(h.cx, 0);
  dc.LineTo(h.cx, client.bottom);
}

void TColorsSampleControl::SelectAt(const TPoint& point) {
  const int element = HitTest(point.x, point.y);
  if (element >= 0 && element < kTimeLineColorCount && Parent != nullptr) {
    ::PostMessage(Parent->GetHandle(), WM_SAMPLE_SELECT, static_cast<WPARAM>(kColorsSampleId), element);
  }
}

void TColorsSampleControl::EvLButtonDown(UINT, const TPoint& point) {
  SelectAt(point);
  tracking = true;
  SetCapture(HWindow);
}

void TColorsSampleControl::EvMouseMove(UINT, const TPoint& point) {
  if (tracking) SelectAt(point);
}

void TColorsSampleControl::EvLButtonUp(UINT, const TPoint&) {
  if (!tracking) return;
  tracking = false;
  ReleaseCapture();
}

void TColorsSampleControl::EvLButtonDblClk(UINT, const TPoint&) {
  if (Parent != nullptr) ::PostMessage(Parent->GetHandle(), WM_SAMPLE_CHANGECOLOR, kColorsSampleId, 0);
}
