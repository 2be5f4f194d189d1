// Gadgets and the windows that hold them: tool bars (TControlBar) with
// button gadgets and separators, status bars (TStatusBar) with text
// gadgets. A gadget is not a window; its window lays it out, paints it and
// hands it the mouse. Button gadgets send their command to the frame and
// are enabled by command enablers when the program is idle.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/window.h"

class TGadgetWindow;

class TGadget {
 public:
  enum TBorderStyle { None, Plain, Raised, Recessed, Embossed };
  explicit TGadget(int id = 0, TBorderStyle style = None);
  virtual ~TGadget() = default;

  int GetId() const { return Id; }
  const TRect& GetBounds() const { return Bounds; }
  TGadgetWindow* GetGadgetWindow() const { return Window; }
  virtual void SetEnabled(bool enabled);
  bool GetEnabled() const { return Enabled; }
  TBorderStyle GetBorderStyle() const { return BorderStyle; }
  // Takes the width left over by the other gadgets of its window.
  bool WideAsPossible = false;

  virtual void GetDesiredSize(TSize& size);
  virtual void SetBounds(const TRect& bounds);
  virtual void Paint(TDC& dc);
  virtual void CommandEnable() {}
  virtual void MouseEnter(UINT modKeys, const TPoint& point) {}
  virtual void MouseLeave(UINT modKeys, const TPoint& point) {}
  virtual void MouseMove(UINT modKeys, const TPoint& point) {}
  virtual void LButtonDown(UINT modKeys, const TPoint& point) {}
  virtual void LButtonUp(UINT modKeys, const TPoint& point) {}
  void Invalidate(bool erase = true);

 protected:
  friend class TGadgetWindow;
  void PaintBorder(TDC& dc);
  // The rectangle inside the border and margins.
  TRect GetInnerRect() const;
  int BorderWidth() const;

  int Id;
  TBorderStyle BorderStyle;
  TRect Bounds;
  bool Enabled = true;
  TGadgetWindow* Window = nullptr;
  int Margin = 2;
};

// Empty room between gadgets; one unit is two pixels.
class TSeparatorGadget : public TGadget {
 public:
  explicit TSeparatorGadget(int size = 3);
  void GetDesiredSize(TSize& size) override;

 private:
  int Size;
};

class TTextGadget : public TGadget {
 public:
  enum TAlign { Left, Center, Right };
  TTextGadget(int id = 0, TBorderStyle style = Recessed, TAlign align = Left, UINT numChars = 10,
              const char* text = nullptr);
  void SetText(const char* text);
  const char* GetText() const { return Text.c_str(); }
  void GetDesiredSize(TSize& size) override;
  void Paint(TDC& dc) override;

 private:
  TAlign Align;
  UINT NumChars;
  std::string Text;
};

// A strip of equally wide pictures (cels) in one bitmap.
class TCelArray {
 public:
  TCelArray(HBITMAP bitmap, int numCels, bool own = true);
  ~TCelArray();
  TCelArray(const TCelArray&) = delete;
  TCelArray& operator=(const TCelArray&) = delete;
  int NumCels() const { return Cels; }
  TSize CelSize() const { return Size; }
  HBITMAP GetBitmap() const { return Bitmap; }
  // The colour of pixel (x, y) of cel index.
  COLORREF PixelOf(int index, int x, int y) const;

 private:
  HBITMAP Bitmap;
  bool Own;
  int Cels;
  TSize Size;
  std::vector<COLORREF> Pixels;  // the whole strip, row by row
  int StripWidth = 0;
};

class TButtonGadget : public TGadget {
 public:
  enum TType { Command, Exclusive, NonExclusive, RepeatCmd };
  enum TState { Up, Down, Indeterminate };
  // glyph names the bitmap resource the button shows.
  TButtonGadget(TResId glyph, int id, TType type = Command, bool enabled = false, TState state = Up,
                bool repeat = false);
  ~TButtonGadget() override;

  void SetButtonState(TState state);
  TState GetButtonState() const { return State; }
  TType GetButtonType() const { return Type; }
  bool IsPressed() const { return Pressed; }

  // The glyph bitmap (a new one each time; null when there is none).
  virtual HBITMAP GetGlyph();
  // Builds the cel array from the glyph.
  virtual void BuildCelArray();

  void GetDesiredSize(TSize& size) override;
  void Paint(TDC& dc) override;
  void CommandEnable() override;
  void MouseEnter(UINT modKeys, const TPoint& point) override;
  void MouseLeave(UINT modKeys, const TPoint& point) override;
  void MouseMove(UINT modKeys, const TPoint& point) override;
  void LButtonDown(UINT modKeys, const TPoint& point) override;
  void LButtonUp(UINT modKeys, const TPoint& point) override;
  // The button was clicked: its state changes by its type and its command
  // goes to the frame.
  virtual void Activate(const TPoint& point);

 protected:
  TResId Glyph;
  std::unique_ptr<TCelArray> CelArray;
  int NumGlyphs = 1;
  TType Type;
  TState State;
  bool Repeat;
  bool Pressed = false;
};

// The enabler of a button gadget.
class TButtonGadgetEnabler : public TCommandEnabler {
 public:
  TButtonGadgetEnabler(HWND receiver, TButtonGadget* gadget)
      : TCommandEnabler(static_cast<UINT>(gadget->GetId()), receiver), Gadget(gadget) {}
  void Enable(bool enable = true) override;
  void SetCheck(int state) override;

 private:
  TButtonGadget* Gadget;
};

class TGadgetWindow : public TWindow {
 public:
  enum TTileDirection { Horizontal, Vertical };
  enum THintMode { PressHints, NoHints, EnterHints };
  enum TPlacement { Before, After };

  // The window takes the font (null: the 8-point gadget font).
  explicit TGadgetWindow(TWindow* parent = nullptr, TTileDirection direction = Horizontal,
                         TFont* font = nullptr, TModule* module = nullptr);
  ~TGadgetWindow() override;

  // The window takes the gadget.
  void Insert(TGadget& gadget, TPlacement placement = After, TGadget* sibling = nullptr);
  // Gives the gadget back to the caller.
  TGadget* Remove(TGadget& gadget);
  TGadget* GadgetWithId(int id) const;
  TGadget* GadgetFromPoint(const TPoint& point) const;
  int GadgetCount() const { return static_cast<int>(Gadgets.size()); }
  TGadget* GadgetAt(int index) const { return Gadgets[static_cast<std::size_t>(index)].get(); }

  void SetHintMode(THintMode mode) { HintMode = mode; }
  THintMode GetHintMode() const { return HintMode; }
  // The hint of a command in the frame's status bar (0: clears it).
  void SetHintCommand(int id);
  HFONT GetFont() const { return Font->GetHandle(); }
  TTileDirection GetDirection() const { return Direction; }

  virtual void GetDesiredSize(TSize& size);
  // Places the gadgets again.
  virtual void LayoutSession();

  const char* GetClassName() override;
  void GetWindowClass(WNDCLASS& wc) override;
  void SetupWindow() override;
  bool IdleAction(long idleCount) override;
  void Paint(TDC& dc, bool erase, TRect& rect) override;

  void EvSize(UINT sizeType, const TSize& size);
  void EvLButtonDown(UINT modKeys, const TPoint& point);
  void EvLButtonUp(UINT modKeys, const TPoint& point);
  void EvMouseMove(UINT modKeys, const TPoint& point);

 protected:
  TTileDirection Direction;
  std::unique_ptr<TFont> Font;
  std::vector<std::unique_ptr<TGadget>> Gadgets;
  THintMode HintMode = PressHints;
  TGadget* Captured = nullptr;
  TGadget* AtMouse = nullptr;
  int EdgeMargin = 2;

  DECLARE_RESPONSE_TABLE(TGadgetWindow);
};

class TControlBar : public TGadgetWindow {
 public:
  explicit TControlBar(TWindow* parent = nullptr, TTileDirection direction = Horizontal,
                       TFont* font = nullptr, TModule* module = nullptr);
  void Paint(TDC& dc, bool erase, TRect& rect) override;
};

// A status bar: the message area (a text gadget as wide as the room left)
// first, then the gadgets inserted after it.
class TStatusBar : public TGadgetWindow {
 public:
  explicit TStatusBar(TWindow* parent = nullptr, TGadget::TBorderStyle borderStyle = TGadget::Recessed,
                      UINT modeIndicators = 0, TFont* font = nullptr, TModule* module = nullptr);
  void SetText(const char* text);
  const char* GetText() const;
  TTextGadget* GetMessageGadget() const { return Message; }

 private:
  TTextGadget* Message;
};
