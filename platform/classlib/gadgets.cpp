#include "platform/classlib/gadgets.h"

#include <algorithm>

#include "platform/classlib/frame.h"

namespace {

constexpr COLORREF kFace = RGB(192, 192, 192);  // the glyphs' background

void Fill(HDC dc, const TRect& r, int sys) {
  FillRect(dc, &r, GetSysColorBrush(sys));
}

// A one-pixel edge; returns the rectangle inside it.
TRect Edge(HDC dc, TRect r, int topLeft, int bottomRight) {
  if (r.IsEmpty()) return r;
  Fill(dc, TRect(r.left, r.top, r.right, r.top + 1), topLeft);
  Fill(dc, TRect(r.left, r.top, r.left + 1, r.bottom), topLeft);
  Fill(dc, TRect(r.left, r.bottom - 1, r.right, r.bottom), bottomRight);
  Fill(dc, TRect(r.right - 1, r.top, r.right, r.bottom), bottomRight);
  return r.InflatedBy(-1, -1);
}

// The width a character of a text gadget takes: the average, or a digit's
// when digits are wider (the fields show times and counts).
int AverageCharWidth(HFONT font) {
  TScreenDC dc;
  dc.SelectObject(font);
  TEXTMETRIC tm{};
  dc.GetTextMetrics(tm);
  const TSize digit = dc.GetTextExtent("0", 1);
  return std::max<int>({tm.tmAveCharWidth, static_cast<int>(digit.cx), 1});
}

int TextWidth(HFONT font, const std::string& text) {
  if (text.empty()) return 0;
  TScreenDC dc;
  dc.SelectObject(font);
  return dc.GetTextExtent(text.c_str(), static_cast<int>(text.size())).cx;
}

int CharHeight(HFONT font) {
  TScreenDC dc;
  dc.SelectObject(font);
  TEXTMETRIC tm{};
  dc.GetTextMetrics(tm);
  return tm.tmHeight;
}

}  // namespace

// ---- TGadget ----

TGadget::TGadget(int id, TBorderStyle style) : Id(id), BorderStyle(style) {}

void TGadget::SetEnabled(bool enabled) {
  if (Enabled == enabled) return;
  Enabled = enabled;
  Invalidate(false);
}

int TGadget::BorderWidth() const {
  switch (BorderStyle) {
    case None:
      return 0;
    case Plain:
    case Raised:
    case Recessed:
      return 1;
    case Embossed:
      return 2;
  }
  return 0;
}

void TGadget::GetDesiredSize(TSize& size) {
  const int b = 2 * (BorderWidth() + Margin);
  size = TSize(b, b);
}

void TGadget::SetBounds(const TRect& bounds) {
  Bounds = bounds;
}

TRect TGadget::GetInnerRect() const {
  const int in = BorderWidth() + Margin;
  return Bounds.InflatedBy(-in, -in);
}

void TGadget::PaintBorder(TDC& dc) {
  switch (BorderStyle) {
    case None:
      break;
    case Plain:
      Edge(dc, Bounds, COLOR_WINDOWFRAME, COLOR_WINDOWFRAME);
      break;
    case Raised:
      Edge(dc, Bounds, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW);
      break;
    case Recessed:
      Edge(dc, Bounds, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT);
      break;
    case Embossed:
      Edge(dc, Edge(dc, Bounds, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT), COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW);
      break;
  }
}

void TGadget::Paint(TDC& dc) {
  PaintBorder(dc);
}

void TGadget::Invalidate(bool erase) {
  if (Window != nullptr && Window->IsWindow()) Window->InvalidateRect(Bounds, erase);
}

// ---- TSeparatorGadget ----

TSeparatorGadget::TSeparatorGadget(int size) : TGadget(0, None), Size(std::max(size, 0)) {
  Enabled = false;
  Margin = 0;
}

void TSeparatorGadget::GetDesiredSize(TSize& size) {
  size = TSize(2 * Size, 2 * Size);
}

// ---- TTextGadget ----

TTextGadget::TTextGadget(int id, TBorderStyle style, TAlign align, UINT numChars, const char* text)
    : TGadget(id, style), Align(align), NumChars(numChars), Text(text != nullptr ? text : "") {}

void TTextGadget::SetText(const char* text) {
  const std::string t = text != nullptr ? text : "";
  if (t == Text) return;
  TSize before;
  GetDesiredSize(before);
  Text = t;
  TSize after;
  GetDesiredSize(after);
  // A gadget that the window stretches keeps its width whatever its text.
  if (!(after == before) && !WideAsPossible && Window != nullptr && Window->GetHandle() != nullptr)
    Window->LayoutSession();
  else
    Invalidate(true);
}

// As wide as the characters it was made for, or as its text when that is
// wider (a font's digits and colons need not fit the average).
void TTextGadget::GetDesiredSize(TSize& size) {
  TGadget::GetDesiredSize(size);
  HFONT font =
      Window != nullptr ? Window->GetFont() : reinterpret_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  size.cx += std::max(static_cast<int>(NumChars) * AverageCharWidth(font), WideAsPossible ? 0 : TextWidth(font, Text));
  size.cy += CharHeight(font);
}

void TTextGadget::Paint(TDC& dc) {
  PaintBorder(dc);
  Fill(dc, Bounds.InflatedBy(-BorderWidth(), -BorderWidth()), COLOR_BTNFACE);
  const TRect inner = GetInnerRect();
  UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
  format |= Align == Center ? DT_CENTER : Align == Right ? DT_RIGHT : DT_LEFT;
  dc.SetBkMode(TRANSPARENT);
  if (Enabled) {
    dc.SetTextColor(GetSysColor(COLOR_BTNTEXT));
  } else {
    dc.SetTextColor(GetSysColor(COLOR_BTNHIGHLIGHT));
    dc.DrawText(Text.c_str(), -1, inner.OffsetBy(1, 1), format);
    dc.SetTextColor(GetSysColor(COLOR_GRAYTEXT));
  }
  dc.DrawText(Text.c_str(), -1, inner, format);
}

// ---- TCelArray ----

TCelArray::TCelArray(HBITMAP bitmap, int numCels, bool own)
    : Bitmap(bitmap), Own(own), Cels(std::max(numCels, 1)) {
  BITMAP bm{};
  if (bitmap != nullptr) GetObject(bitmap, sizeof bm, &bm);
  StripWidth = bm.bmWidth;
  Size = TSize(bm.bmWidth / Cels, bm.bmHeight);
  Pixels.assign(static_cast<std::size_t>(std::max(0, bm.bmWidth * bm.bmHeight)), kFace);
  if (bitmap == nullptr) return;
  TMemoryDC mem;
  mem.SelectObject(bitmap);
  for (int y = 0; y < bm.bmHeight; ++y) {
    for (int x = 0; x < bm.bmWidth; ++x)
      Pixels[static_cast<std::size_t>(y * bm.bmWidth + x)] = GetPixel(mem, x, y);
  }
}

TCelArray::~TCelArray() {
  if (Own && Bitmap != nullptr) DeleteObject(Bitmap);
}

COLORREF TCelArray::PixelOf(int index, int x, int y) const {
  const int px = index * Size.cx + x;
  if (x < 0 || y < 0 || x >= Size.cx || y >= Size.cy || px >= StripWidth) return kFace;
  return Pixels[static_cast<std::size_t>(y * StripWidth + px)];
}

// ---- TButtonGadget ----

TButtonGadget::TButtonGadget(TResId glyph, int id, TType type, bool enabled, TState state, bool repeat)
    : TGadget(id, None), Glyph(glyph), Type(type), State(state), Repeat(repeat) {
  Enabled = enabled;
  Margin = 0;
}

TButtonGadget::~TButtonGadget() = default;

HBITMAP TButtonGadget::GetGlyph() {
  TModule* module = Window != nullptr ? Window->GetModule() : &ProgramModule();
  return module->LoadBitmap(Glyph);
}

void TButtonGadget::BuildCelArray() {
  HBITMAP glyph = GetGlyph();
  if (glyph == nullptr) return;
  CelArray = std::make_unique<TCelArray>(glyph, NumGlyphs);
}

void TButtonGadget::SetButtonState(TState state) {
  if (State == state) return;
  State = state;
  Invalidate(false);
}

void TButtonGadget::GetDesiredSize(TSize& size) {
  if (!CelArray) BuildCelArray();
  const TSize cel = CelArray ? CelArray->CelSize() : TSize(16, 15);
  // The glyph with three pixels of face and a two-pixel edge round it.
  size = TSize(cel.cx + 10, cel.cy + 10);
}

void TButtonGadget::Paint(TDC& dc) {
  if (!CelArray) BuildCelArray();
  const bool down = Pressed || State == Down;
  TRect r = Bounds;
  if (down) {
    r = Edge(dc, r, COLOR_3DDKSHADOW, COLOR_BTNHIGHLIGHT);
    r = Edge(dc, r, COLOR_BTNSHADOW, COLOR_3DLIGHT);
  } else {
    r = Edge(dc, r, COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW);
    r = Edge(dc, r, COLOR_3DLIGHT, COLOR_BTNSHADOW);
  }
  // A button that stays down shows a lighter face.
  Fill(dc, r, State == Down && !Pressed ? COLOR_3DLIGHT : COLOR_BTNFACE);
  if (!CelArray) return;
  const TSize cel = CelArray->CelSize();
  int x = r.left + (r.Width() - cel.cx) / 2, y = r.top + (r.Height() - cel.cy) / 2;
  if (down) {
    ++x;
    ++y;
  }
  const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW);
  for (int gy = 0; gy < cel.cy; ++gy) {
    for (int gx = 0; gx < cel.cx; ++gx) {
      const COLORREF c = CelArray->PixelOf(0, gx, gy);
      if (c == kFace) continue;
      if (Enabled) {
        SetPixelV(dc, x + gx, y + gy, c);
      } else if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 192) {
        // Disabled: the dark parts of the glyph, embossed.
        SetPixelV(dc, x + gx + 1, y + gy + 1, light);
      }
    }
  }
  if (!Enabled) {
    for (int gy = 0; gy < cel.cy; ++gy) {
      for (int gx = 0; gx < cel.cx; ++gx) {
        const COLORREF c = CelArray->PixelOf(0, gx, gy);
        if (c != kFace && GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 192)
          SetPixelV(dc, x + gx, y + gy, shadow);
      }
    }
  }
}

void TButtonGadget::CommandEnable() {
  if (Window == nullptr || Window->GetParentO() == nullptr) return;
  TWindow* receiver = Window->GetParentO();
  TButtonGadgetEnabler ce(receiver->GetHandle(), this);
  receiver->EvCommandEnable(ce);
}

void TButtonGadget::MouseEnter(UINT, const TPoint&) {
  if (Window != nullptr && Window->GetHintMode() == TGadgetWindow::EnterHints) Window->SetHintCommand(Id);
}

void TButtonGadget::MouseLeave(UINT, const TPoint&) {
  if (Window != nullptr && Window->GetHintMode() == TGadgetWindow::EnterHints) Window->SetHintCommand(0);
}

void TButtonGadget::MouseMove(UINT, const TPoint& point) {
  const bool inside = Bounds.Contains(point);
  if (inside != Pressed) {
    Pressed = inside;
    Invalidate(false);
  }
}

void TButtonGadget::LButtonDown(UINT, const TPoint&) {
  Pressed = true;
  Invalidate(false);
  if (Window != nullptr && Window->GetHintMode() == TGadgetWindow::PressHints) Window->SetHintCommand(Id);
}

void TButtonGadget::LButtonUp(UINT, const TPoint& point) {
  const bool was = Pressed;
  Pressed = false;
  Invalidate(false);
  if (Window != nullptr && Window->GetHintMode() == TGadgetWindow::PressHints) Window->SetHintCommand(0);
  if (was && Bounds.Contains(point)) Activate(point);
}

void TButtonGadget::Activate(const TPoint&) {
  switch (Type) {
    case NonExclusive:
      SetButtonState(State == Down ? Up : Down);
      break;
    case Exclusive:
      if (Window != nullptr) {
        // The other exclusive buttons next to this one pop up.
        for (int i = 0; i < Window->GadgetCount(); ++i) {
          auto* b = dynamic_cast<TButtonGadget*>(Window->GadgetAt(i));
          if (b != nullptr && b != this && b->Type == Exclusive) b->SetButtonState(Up);
        }
      }
      SetButtonState(Down);
      break;
    default:
      break;
  }
  if (Window != nullptr && Window->GetParentO() != nullptr && Window->GetParentO()->IsWindow())
    Window->GetParentO()->PostMessage(WM_COMMAND, static_cast<WPARAM>(Id), 0);
}

void TButtonGadgetEnabler::Enable(bool enable) {
  TCommandEnabler::Enable(enable);
  Gadget->SetEnabled(enable);
}

void TButtonGadgetEnabler::SetCheck(int state) {
  TCommandEnabler::SetCheck(state);
  Gadget->SetButtonState(state == Checked         ? TButtonGadget::Down
                         : state == Indeterminate ? TButtonGadget::Indeterminate
                                                  : TButtonGadget::Up);
}

// ---- TGadgetWindow ----

// clang-format off
DEFINE_RESPONSE_TABLE1(TGadgetWindow, TWindow)
  EV_WM_SIZE,
  EV_WM_LBUTTONDOWN,
  EV_WM_LBUTTONUP,
  EV_WM_MOUSEMOVE,
END_RESPONSE_TABLE;
// clang-format on

TGadgetWindow::TGadgetWindow(TWindow* parent, TTileDirection direction, TFont* font, TModule* module)
    : TWindow(parent, nullptr, module),
      Direction(direction),
      Font(font != nullptr ? font : new TGadgetWindowFont()) {
  Attr.Style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
  Attr.X = Attr.Y = 0;
  Attr.W = Attr.H = 0;
}

TGadgetWindow::~TGadgetWindow() = default;

const char* TGadgetWindow::GetClassName() {
  return "KobrixGadgetWindow";
}

void TGadgetWindow::GetWindowClass(WNDCLASS& wc) {
  TWindow::GetWindowClass(wc);
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
}

void TGadgetWindow::Insert(TGadget& gadget, TPlacement placement, TGadget* sibling) {
  gadget.Window = this;
  auto at = Gadgets.end();
  if (sibling != nullptr) {
    at = std::find_if(Gadgets.begin(), Gadgets.end(), [&](const auto& g) { return g.get() == sibling; });
    if (at != Gadgets.end() && placement == After) ++at;
  } else if (placement == Before) {
    at = Gadgets.begin();
  }
  Gadgets.insert(at, std::unique_ptr<TGadget>(&gadget));
  if (HWindow != nullptr) LayoutSession();
}

TGadget* TGadgetWindow::Remove(TGadget& gadget) {
  for (auto it = Gadgets.begin(); it != Gadgets.end(); ++it) {
    if (it->get() == &gadget) {
      it->release();
      Gadgets.erase(it);
      gadget.Window = nullptr;
      if (Captured == &gadget) Captured = nullptr;
      if (AtMouse == &gadget) AtMouse = nullptr;
      if (HWindow != nullptr) LayoutSession();
      return &gadget;
    }
  }
  return nullptr;
}

TGadget* TGadgetWindow::GadgetWithId(int id) const {
  for (const auto& g : Gadgets) {
    if (g->GetId() == id) return g.get();
  }
  return nullptr;
}

TGadget* TGadgetWindow::GadgetFromPoint(const TPoint& point) const {
  for (const auto& g : Gadgets) {
    if (g->GetBounds().Contains(point)) return g.get();
  }
  return nullptr;
}

void TGadgetWindow::SetHintCommand(int id) {
  auto* frame = dynamic_cast<TDecoratedFrame*>(Parent);
  if (frame == nullptr) return;
  if (id == 0) {
    frame->SetHintText(nullptr);
  } else {
    frame->ShowCommandHint(static_cast<UINT>(id));
  }
}

void TGadgetWindow::GetDesiredSize(TSize& size) {
  int along = 2 * EdgeMargin, across = 0;
  for (const auto& g : Gadgets) {
    TSize s;
    g->GetDesiredSize(s);
    along += Direction == Horizontal ? s.cx : s.cy;
    across = std::max<int>(across, Direction == Horizontal ? s.cy : s.cx);
  }
  across += 2 * EdgeMargin;
  size = Direction == Horizontal ? TSize(along, across) : TSize(across, along);
}

void TGadgetWindow::LayoutSession() {
  if (HWindow == nullptr) return;
  const TRect client = GetClientRect();
  std::vector<TSize> sizes;
  int used = 0, wide = 0;
  for (const auto& g : Gadgets) {
    TSize s;
    g->GetDesiredSize(s);
    sizes.push_back(s);
    if (g->WideAsPossible) {
      ++wide;
    } else {
      used += Direction == Horizontal ? s.cx : s.cy;
    }
  }
  const int room = (Direction == Horizontal ? client.Width() : client.Height()) - 2 * EdgeMargin;
  const int extra = wide > 0 ? std::max(0, room - used) / wide : 0;
  int pos = EdgeMargin;
  for (std::size_t i = 0; i < Gadgets.size(); ++i) {
    TGadget& g = *Gadgets[i];
    if (Direction == Horizontal) {
      const int w = g.WideAsPossible ? extra : sizes[i].cx;
      const int top = EdgeMargin + std::max(0, (client.Height() - 2 * EdgeMargin - sizes[i].cy) / 2);
      g.SetBounds(
          TRect(pos, top, pos + w, top + std::min<int>(sizes[i].cy, client.Height() - 2 * EdgeMargin)));
      pos += w;
    } else {
      const int h = g.WideAsPossible ? extra : sizes[i].cy;
      g.SetBounds(TRect(EdgeMargin, pos, client.Width() - EdgeMargin, pos + h));
      pos += h;
    }
  }
  Invalidate(true);
}

void TGadgetWindow::SetupWindow() {
  TWindow::SetupWindow();
  LayoutSession();
}

bool TGadgetWindow::IdleAction(long idleCount) {
  if (idleCount == 0) {
    for (const auto& g : Gadgets) g->CommandEnable();
  }
  return TWindow::IdleAction(idleCount);
}

void TGadgetWindow::Paint(TDC& dc, bool, TRect& rect) {
  for (const auto& g : Gadgets) {
    TRect both;
    if (IntersectRect(&both, &g->GetBounds(), &rect)) g->Paint(dc);
  }
}

void TGadgetWindow::EvSize(UINT, const TSize&) {
  DefaultProcessing();
  LayoutSession();
}

void TGadgetWindow::EvLButtonDown(UINT modKeys, const TPoint& point) {
  TGadget* g = GadgetFromPoint(point);
  if (g == nullptr || !g->GetEnabled()) return;
  Captured = g;
  ::SetCapture(HWindow);
  g->LButtonDown(modKeys, point);
}

void TGadgetWindow::EvLButtonUp(UINT modKeys, const TPoint& point) {
  TGadget* g = Captured;
  if (g == nullptr) return;
  Captured = nullptr;
  if (::GetCapture() == HWindow) ::ReleaseCapture();
  g->LButtonUp(modKeys, point);
}

void TGadgetWindow::EvMouseMove(UINT modKeys, const TPoint& point) {
  if (Captured != nullptr) {
    Captured->MouseMove(modKeys, point);
    return;
  }
  TGadget* g = GadgetFromPoint(point);
  if (g != nullptr && !g->GetEnabled() && dynamic_cast<TButtonGadget*>(g) == nullptr) g = nullptr;
  if (g == AtMouse) return;
  if (AtMouse != nullptr) AtMouse->MouseLeave(modKeys, point);
  AtMouse = g;
  if (g != nullptr) g->MouseEnter(modKeys, point);
}

// ---- TControlBar ----

TControlBar::TControlBar(TWindow* parent, TTileDirection direction, TFont* font, TModule* module)
    : TGadgetWindow(parent, direction, font, module) {
  EdgeMargin = 2;
}

void TControlBar::Paint(TDC& dc, bool erase, TRect& rect) {
  // A raised edge along the bar.
  const TRect client = GetClientRect();
  Edge(dc, client, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW);
  TGadgetWindow::Paint(dc, erase, rect);
}

// ---- TStatusBar ----

TStatusBar::TStatusBar(TWindow* parent, TGadget::TBorderStyle borderStyle, UINT, TFont* font, TModule* module)
    : TGadgetWindow(parent, Horizontal, font, module) {
  Message = new TTextGadget(0, borderStyle, TTextGadget::Left, 10);
  Message->WideAsPossible = true;
  TGadgetWindow::Insert(*Message);
}

void TStatusBar::SetText(const char* text) {
  Message->SetText(text);
}

const char* TStatusBar::GetText() const {
  return Message->GetText();
}
