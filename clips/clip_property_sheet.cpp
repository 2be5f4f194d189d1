#include "clips/clip_property_sheet.h"

namespace {

ClipPropertySheet* g_sheet = nullptr;

}  // namespace

ClipPropertySheet* SetClipPropertySheet(ClipPropertySheet* sheet) {
  ClipPropertySheet* before = g_sheet;
  g_sheet = sheet;
  return before;
}

ClipPropertySheet* CurrentClipPropertySheet() {
  return g_sheet;
}
