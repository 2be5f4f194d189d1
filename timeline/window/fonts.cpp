// The time font (the ruler, the time texts, the "Set Size" button and the
// zoom list) and the clip font (the clips' names), kept in section
// TIMELINE and chosen by the user from the Options menu.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "model/ini.h"
#include "platform/classlib/common_dialogs.h"
#include "resources/timeline_ids.h"
#include "timeline/header/cur_time_text.h"
#include "timeline/header/scale_list.h"
#include "timeline/header/time_code.h"
#include "timeline/window/main_timeline_window.h"

namespace {

constexpr const char* kDefaultFace = "MS Sans Serif";
constexpr int32_t kDefaultSize = -11;
// The chooser's smallest size, and the largest for each font.
constexpr int kMinPoints = 4;
constexpr int kMaxLabelPoints = 20;
constexpr int kMaxClipPoints = 25;
// Heights from a hand-edited file stay within what a screen can show.
constexpr int32_t kMaxFontHeight = 255;

struct FontKeys {
  const char* name;
  const char* size;
  const char* weight;
  const char* italic;
};
constexpr FontKeys kTimeFontKeys = {"TIME_FONT_NAME", "TIME_FONT_SIZE", "TIME_FONT_WEIGHT",
                                    "TIME_FONT_ITALIC"};
constexpr FontKeys kClipFontKeys = {"CLIP_FONT_NAME", "CLIP_FONT_SIZE", "CLIP_FONT_WEIGHT",
                                    "CLIP_FONT_ITALIC"};

LOGFONT ReadFont(const FontKeys& keys) {
  TimeLineFontSpec spec;
  // A logical font holds 31 characters of its face.
  std::snprintf(spec.face, sizeof spec.face, "%s", IniReadString(keys.name, kDefaultFace));
  spec.size = IniReadInt(keys.size, kDefaultSize);
  spec.weight = IniReadInt(keys.weight, FW_NORMAL);
  spec.italic = IniReadInt(keys.italic, 0);
  // The old system font at its old size means the program's usual font.
  if (spec.size == 16 && spec.weight == FW_NORMAL && spec.italic == 0 &&
      std::strcmp(spec.face, "System") == 0) {
    std::snprintf(spec.face, sizeof spec.face, "%s", kDefaultFace);
    spec.size = kDefaultSize;
  }
  LOGFONT lf;
  lf.lfHeight = std::clamp(spec.size, -kMaxFontHeight, kMaxFontHeight);
  lf.lfWeight = spec.weight;
  lf.lfItalic = spec.italic != 0 ? 1 : 0;
  lf.lfCharSet = DEFAULT_CHARSET;
  std::memcpy(lf.lfFaceName, spec.face, sizeof lf.lfFaceName);
  return lf;
}

void WriteFont(const TFont* font, const FontKeys& keys) {
  LOGFONT lf;
  if (font == nullptr || GetObject(font->GetHandle(), sizeof lf, &lf) != sizeof lf) return;
  lf.lfFaceName[LF_FACESIZE - 1] = '\0';
  IniWriteString(keys.name, lf.lfFaceName);
  IniWriteInt(keys.size, lf.lfHeight);
  IniWriteInt(keys.weight, lf.lfWeight);
  IniWriteInt(keys.italic, lf.lfItalic);
}

}  // namespace

const std::vector<TResponseTableEntry>& MainTimeLineWindow::FontEntries() {
  using TMyClass = MainTimeLineWindow;
  static const std::vector<TResponseTableEntry> entries = {
      EV_COMMAND(kCmLabelFont, CmLabelFont),
      EV_COMMAND(kCmClipNameFont, CmClipNameFont),
  };
  return entries;
}

HFONT MainTimeLineWindow::TimeFont() const {
  return timeFont_ ? timeFont_->GetHandle() : nullptr;
}

HFONT MainTimeLineWindow::ClipFont() const {
  return clipFont_ ? clipFont_->GetHandle() : nullptr;
}

void MainTimeLineWindow::LoadFonts() {
  ReplaceFont(timeFont_, ReadFont(kTimeFontKeys));
  ReplaceFont(clipFont_, ReadFont(kClipFontKeys));
}

void MainTimeLineWindow::SaveFonts() {
  WriteFont(timeFont_.get(), kTimeFontKeys);
  WriteFont(clipFont_.get(), kClipFontKeys);
}

bool MainTimeLineWindow::ReplaceFont(std::unique_ptr<TFont>& font, const LOGFONT& logFont) {
  HFONT made = CreateFontIndirect(&logFont);
  if (made == nullptr) return false;
  font = std::make_unique<TFont>(made, true);
  return true;
}

bool MainTimeLineWindow::PickFont(std::unique_ptr<TFont>& font, int maxPoints) {
  TChooseFontDialog::TData data(CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_LIMITSIZE);
  if (font) GetObject(font->GetHandle(), sizeof data.LogFont, &data.LogFont);
  data.SizeMin = kMinPoints;
  data.SizeMax = maxPoints;
  TChooseFontDialog dialog(this, data);
  return dialog.Execute() == IDOK && ReplaceFont(font, data.LogFont);
}

void MainTimeLineWindow::CmLabelFont() {
  if (!PickFont(timeFont_, kMaxLabelPoints)) return;
  if (curTimeText_->IsWindow()) curTimeText_->Invalidate();
  if (timeCode_->IsWindow()) timeCode_->Invalidate();
  const WPARAM font = reinterpret_cast<WPARAM>(TimeFont());
  setSizeButton_->SendMessage(WM_SETFONT, font, FALSE);
  scaleList_->SendMessage(WM_SETFONT, font, FALSE);
  MeasureTimeText();
}

void MainTimeLineWindow::CmClipNameFont() {
  if (PickFont(clipFont_, kMaxClipPoints)) engine_.ZoomChanged(true);
}
