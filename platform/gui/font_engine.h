// Fonts through FreeType: a logical font (LOGFONT) is realised once as a set
// of monochrome glyph bitmaps for the 8-bit ANSI characters, so text draws
// the same pixels on every run. The faces the program names map to the
// DejaVu fonts: fixed-pitch faces to DejaVu Sans Mono, all others to DejaVu
// Sans; weights from 600 up use the bold file, italics the oblique one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/gdi_types.h"

struct Glyph {
  int left = 0;  // from the pen position to the bitmap's first column
  int top = 0;   // from the baseline up to the bitmap's first row
  int width = 0;
  int height = 0;
  int advance = 0;                 // pen movement in pixels
  std::vector<std::uint8_t> bits;  // width * height, 1 where the glyph is inked
};

class RealFont {
 public:
  const Glyph& GetGlyph(unsigned char c) const { return glyphs_[c]; }
  int Advance(unsigned char c) const { return glyphs_[c].advance; }
  int ascent() const { return ascent_; }
  int descent() const { return descent_; }
  int height() const { return ascent_ + descent_; }
  int em() const { return em_; }
  bool fixed() const { return fixed_; }
  bool underline() const { return underline_; }
  bool strike_out() const { return strike_out_; }
  int weight() const { return weight_; }
  bool italic() const { return italic_; }
  const std::string& face() const { return face_; }
  void FillMetrics(TEXTMETRIC* tm) const;
  // Sum of the advances of text.
  int TextWidth(const char* text, int length) const;

 private:
  friend std::shared_ptr<const RealFont> RealizeFont(const LOGFONT& font);
  Glyph glyphs_[256];
  int ascent_ = 0;
  int descent_ = 0;
  int em_ = 0;
  int ave_width_ = 0;
  int max_width_ = 0;
  bool fixed_ = false;
  bool underline_ = false;
  bool strike_out_ = false;
  bool italic_ = false;
  int weight_ = FW_NORMAL;
  std::string face_;
};

// Realised fonts are cached by face, size and style; the result is shared
// and never changes.
std::shared_ptr<const RealFont> RealizeFont(const LOGFONT& font);

// The Unicode code point of an ANSI (Windows-1252) character.
std::uint32_t AnsiToUnicode(unsigned char c);
