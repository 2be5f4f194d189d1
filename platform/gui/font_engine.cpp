#include "platform/gui/font_engine.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string_view>
#include <tuple>

#include "platform/core/paths.h"

namespace {

const std::uint16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                       0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                       0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                       0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool FileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string FindFontFile(const std::string& name) {
  std::vector<std::string> dirs;
  if (const char* dir = std::getenv("KOBRIX_FONT_DIR")) dirs.emplace_back(dir);
  dirs.emplace_back("/usr/share/fonts/truetype/dejavu");
  dirs.emplace_back("/usr/share/fonts/TTF");
  dirs.emplace_back("/usr/share/fonts/dejavu");
  dirs.emplace_back("/usr/share/fonts/truetype");
  for (const std::string& d : dirs) {
    const std::string path = d + "/" + name;
    if (FileExists(path)) return path;
  }
  return std::string();
}

bool IsFixedFace(const LOGFONT& lf) {
  const std::string_view face(lf.lfFaceName, strnlen(lf.lfFaceName, LF_FACESIZE));
  for (const char* f : {"courier", "courier new", "fixedsys", "terminal", "lucida console", "consolas"}) {
    if (EqualNoCase(face, f)) return true;
  }
  if (!face.empty()) return false;
  return (lf.lfPitchAndFamily & 0x3) == FIXED_PITCH || (lf.lfPitchAndFamily & 0xF0) == FF_MODERN;
}

struct Engine {
  std::mutex lock;
  FT_Library library = nullptr;
  bool init_failed = false;
  std::map<std::string, FT_Face> faces;
  std::map<std::tuple<std::string, int, bool, bool, bool, bool, int>, std::shared_ptr<const RealFont>> fonts;

  FT_Face Face(const std::string& file) {
    if (library == nullptr && !init_failed) init_failed = FT_Init_FreeType(&library) != 0;
    if (library == nullptr || file.empty()) return nullptr;
    auto it = faces.find(file);
    if (it != faces.end()) return it->second;
    FT_Face face = nullptr;
    if (FT_New_Face(library, file.c_str(), 0, &face) != 0) face = nullptr;
    faces[file] = face;
    return face;
  }
};

Engine& TheEngine() {
  static Engine* engine = new Engine();
  return *engine;
}

}  // namespace

std::uint32_t AnsiToUnicode(unsigned char c) {
  if (c >= 0x80 && c < 0xA0) return kCp1252High[c - 0x80];
  return c;
}

void RealFont::FillMetrics(TEXTMETRIC* tm) const {
  *tm = TEXTMETRIC{};
  tm->tmHeight = height();
  tm->tmAscent = ascent_;
  tm->tmDescent = descent_;
  tm->tmInternalLeading = std::max(0, height() - em_);
  tm->tmExternalLeading = 0;
  tm->tmAveCharWidth = ave_width_;
  tm->tmMaxCharWidth = max_width_;
  tm->tmWeight = weight_;
  tm->tmDigitizedAspectX = 96;
  tm->tmDigitizedAspectY = 96;
  tm->tmFirstChar = 0x20;
  tm->tmLastChar = 0xFF;
  tm->tmDefaultChar = 0x1F;
  tm->tmBreakChar = 0x20;
  tm->tmItalic = italic_ ? 1 : 0;
  tm->tmUnderlined = underline_ ? 1 : 0;
  tm->tmStruckOut = strike_out_ ? 1 : 0;
  tm->tmPitchAndFamily = static_cast<BYTE>((fixed_ ? 0 : TMPF_FIXED_PITCH) | TMPF_VECTOR | TMPF_TRUETYPE |
                                           (fixed_ ? FF_MODERN : FF_SWISS));
  tm->tmCharSet = ANSI_CHARSET;
}

int RealFont::TextWidth(const char* text, int length) const {
  int w = 0;
  for (int i = 0; i < length; ++i) w += glyphs_[static_cast<unsigned char>(text[i])].advance;
  return w;
}

std::shared_ptr<const RealFont> RealizeFont(const LOGFONT& lf) {
  const bool fixed = IsFixedFace(lf);
  const bool bold = lf.lfWeight >= FW_SEMIBOLD;
  const bool italic = lf.lfItalic != 0;
  std::string file = fixed ? "DejaVuSansMono" : "DejaVuSans";
  if (bold && italic) {
    file += "-BoldOblique.ttf";
  } else if (bold) {
    file += "-Bold.ttf";
  } else if (italic) {
    file += "-Oblique.ttf";
  } else {
    file += ".ttf";
  }

  Engine& e = TheEngine();
  std::lock_guard<std::mutex> hold(e.lock);
  static std::map<std::string, std::string> paths;
  auto pit = paths.find(file);
  if (pit == paths.end()) pit = paths.emplace(file, FindFontFile(file)).first;
  FT_Face face = e.Face(pit->second);

  // The em size in pixels: a negative height is the character height (the
  // em), a positive one the cell height (ascent plus descent).
  int em = 12;
  if (lf.lfHeight < 0) {
    em = -lf.lfHeight;
  } else if (lf.lfHeight > 0) {
    double cell = 1.164;
    if (face != nullptr && face->units_per_EM > 0) {
      cell = static_cast<double>(face->ascender - face->descender) / face->units_per_EM;
    }
    em = static_cast<int>(lf.lfHeight / cell + 0.5);
  }
  em = std::clamp(em, 1, 1000);

  const auto key = std::make_tuple(file, em, bold, italic, lf.lfUnderline != 0, lf.lfStrikeOut != 0,
                                   static_cast<int>(lf.lfWeight));
  auto it = e.fonts.find(key);
  if (it != e.fonts.end()) return it->second;

  auto font = std::make_shared<RealFont>();
  font->em_ = em;
  font->fixed_ = fixed;
  font->underline_ = lf.lfUnderline != 0;
  font->strike_out_ = lf.lfStrikeOut != 0;
  font->italic_ = italic;
  font->weight_ = lf.lfWeight == 0 ? FW_NORMAL : static_cast<int>(lf.lfWeight);
  font->face_ = lf.lfFaceName;

  if (face != nullptr && FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(em)) == 0) {
    font->ascent_ = static_cast<int>((face->size->metrics.ascender + 63) >> 6);
    font->descent_ = static_cast<int>((-face->size->metrics.descender + 63) >> 6);
    for (int c = 0; c < 256; ++c) {
      Glyph& g = font->glyphs_[c];
      if (c < 0x20 || c == 0x7F) {
        g = Glyph{};
        continue;
      }
      const FT_UInt index = FT_Get_Char_Index(face, AnsiToUnicode(static_cast<unsigned char>(c)));
      if (FT_Load_Glyph(face, index, FT_LOAD_TARGET_MONO | FT_LOAD_RENDER) != 0) continue;
      FT_GlyphSlot slot = face->glyph;
      if (slot->format != FT_GLYPH_FORMAT_BITMAP) FT_Render_Glyph(slot, FT_RENDER_MODE_MONO);
      g.advance = static_cast<int>((slot->advance.x + 32) >> 6);
      g.left = slot->bitmap_left;
      g.top = slot->bitmap_top;
      const FT_Bitmap& bm = slot->bitmap;
      g.width = static_cast<int>(bm.width);
      g.height = static_cast<int>(bm.rows);
      g.bits.assign(static_cast<std::size_t>(g.width) * g.height, 0);
      for (int y = 0; y < g.height; ++y) {
        const unsigned char* row = bm.buffer + static_cast<std::ptrdiff_t>(y) * bm.pitch;
        for (int x = 0; x < g.width; ++x) {
          const bool on =
              bm.pixel_mode == FT_PIXEL_MODE_MONO ? ((row[x >> 3] >> (7 - (x & 7))) & 1) != 0 : row[x] >= 128;
          g.bits[static_cast<std::size_t>(y) * g.width + x] = on ? 1 : 0;
        }
      }
    }
  } else {
    // No font file: blank glyphs with plausible metrics keep layout working.
    font->ascent_ = em * 93 / 100 + 1;
    font->descent_ = em * 24 / 100 + 1;
    for (int c = 0x20; c < 256; ++c) font->glyphs_[c].advance = std::max(1, em * 55 / 100);
  }
  // Characters without a glyph of their own draw nothing but keep a width.
  for (int c = 0; c < 0x20; ++c) font->glyphs_[c].advance = 0;
  font->ave_width_ = font->glyphs_[static_cast<unsigned char>('x')].advance;
  for (int c = 0x20; c < 256; ++c) font->max_width_ = std::max(font->max_width_, font->glyphs_[c].advance);
  e.fonts.emplace(key, font);
  return font;
}
