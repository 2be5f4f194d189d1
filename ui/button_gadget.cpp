#include "ui/button_gadget.h"

void TEButtonGadget::BuildCelArray() {
  HBITMAP glyph = GetGlyph();
  if (glyph == nullptr) return;
  CelArray.reset();
  CelArray = std::make_unique<TCelArray>(glyph, NumGlyphs);
}
