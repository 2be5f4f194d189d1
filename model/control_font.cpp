#include "model/control_font.h"

namespace {
HFONT g_font = nullptr;
}  // namespace

void CreateControlFont() {
  if (g_font != nullptr) return;
  g_font = CreateFont(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_STRING_PRECIS,
                      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif");
}

void DeleteControlFont() {
  if (g_font == nullptr) return;
  DeleteObject(g_font);
  g_font = nullptr;
}

HFONT ControlFont() {
  CreateControlFont();
  return g_font;
}
