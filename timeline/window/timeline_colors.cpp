#include "timeline/window/timeline_colors.h"

#include <cstdio>

#include "model/error_codes.h"
#include "model/ini.h"

namespace {

struct ColorEntry {
  const char* key;
  COLORREF value;
};

constexpr ColorEntry kColors[kTimeLineColorCount] = {
    {"BackgroundColor", 0xC0C0C0},
    {"CurTimeColor", 0x0000FF},
    {"SelectionColor", 0xFF0000},
    {"WaveformColor", 0xFFFF00},
    {"SelectedClipColor", 0x008000},
    {"NonSelectedClipColor", 0x808080},
    {"SemiSelectedClipColor", 0x808000},
    {"SelectedNameColor", 0x000000},
    {"NonSelectedNameColor", 0x000000},
    {"SemiSelectedNameColor", 0x000000},
    {"ActiveVolumeProfileColor", 0xFF0000},
    {"PassiveVolumeProfileColor", 0x800000},
    {"ActiveBalanceProfileColor", 0xFF00FF},
    {"PassiveBalanceProfileColor", 0x000080},
    {"ActiveKeyPointColor", 0x00FFFF},
    {"PassiveKeyPointColor", 0x008080},
    {"ActiveClipMarkColor", 0x00FF00},
    {"PassiveClipMarkColor", 0xC0C0C0},
    {"ActiveTimeMarkColor", 0x008000},
    {"PassiveTimeMarkColor", 0xC0C0C0},
    {"FirstVideoTrackColor", 0xC0C0C0},
    {"OtherVideoTrackColor", 0xC0C0C0},
    {"AudioTrackColor", 0xC0C0C0},
    {"MidiTrackColor", 0xC0C0C0},
    {"SmallHoleColor", 0xFFFFFF},
    {"SmallClipColor", 0x000000},
    {"SmallSelectedClipColor", 0x00FF00},
    {"NonUsedEffectsColor", 0x0000FF},
    {"UsedEffectsColor", 0x00FF00},
    {"DeclickColor", 0x00FFFF},
    {"VideoFXTrackColor", 0xC0C0C0},
};

constexpr const char* kSection = "COLORS";
constexpr COLORREF kRgbMask = kTimeLineRgbMask;

constexpr std::array<COLORREF, kTimeLineColorCount> Defaults() {
  std::array<COLORREF, kTimeLineColorCount> colors{};
  for (int i = 0; i < kTimeLineColorCount; ++i) colors[i] = kColors[i].value;
  return colors;
}

}  // namespace

std::array<COLORREF, kTimeLineColorCount> TimeLineColors = Defaults();
char SchemeDirectory[MAX_PATH] = {};

const char* TimeLineColorKey(int index) {
  return index >= 0 && index < kTimeLineColorCount ? kColors[index].key : nullptr;
}

COLORREF DefaultTimeLineColor(int index) {
  return index >= 0 && index < kTimeLineColorCount ? kColors[index].value : 0;
}

void LoadColors() {
  IniSetSection(kSection);
  for (int i = 0; i < kTimeLineColorCount; ++i) {
    TimeLineColors[i] =
        static_cast<COLORREF>(IniReadInt(TimeLineColorKey(i), static_cast<int>(DefaultTimeLineColor(i)))) & kRgbMask;
  }
  std::snprintf(SchemeDirectory, sizeof SchemeDirectory, "%s", IniReadString("DIRECTORY", ""));
}

void SaveColors() {
  IniSetSection(kSection);
  for (int i = 0; i < kTimeLineColorCount; ++i) {
    IniWriteInt(TimeLineColorKey(i), static_cast<int>(TimeLineColors[i] & kRgbMask));
  }
  IniWriteString("DIRECTORY", SchemeDirectory);
  IniFlush();
}

// ---- Colour-scheme files ----

namespace {

// The scheme files list the selected and unselected clip colours (and their
// names) the other way round.
constexpr int kSchemeOrder[kTimeLineColorCount] = {0,  1,  2,  3,  5,  4,  6,  8,  7,  9,  10, 11, 12, 13, 14, 15,
                                                   16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30};
// No line of a scheme we write comes near this; a longer one is not a scheme.
constexpr std::size_t kMaxSchemeLine = 256;

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

class SchemeScanner {
 public:
  explicit SchemeScanner(std::string_view text) : text_(text) {}

  // Any run of blanks, also none and across line ends.
  bool SkipBlanks() {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) {
      if (text_[pos_] == '\n') lineStart_ = pos_ + 1;
      ++pos_;
    }
    return LineFits();
  }
  bool Expect(std::string_view word) {
    if (text_.substr(pos_, word.size()) != word) return false;
    pos_ += word.size();
    return LineFits();
  }
  bool Hex(uint32_t& value) {
    uint64_t v = 0;
    std::size_t digits = 0;
    while (pos_ < text_.size() && HexDigit(text_[pos_]) >= 0) {
      v = v * 16 + static_cast<uint64_t>(HexDigit(text_[pos_]));
      if (v > 0xFFFFFFFFu) return false;
      ++pos_;
      ++digits;
    }
    value = static_cast<uint32_t>(v);
    return digits > 0 && LineFits();
  }

 private:
  bool LineFits() const { return pos_ - lineStart_ <= kMaxSchemeLine; }
  std::string_view text_;
  std::size_t pos_ = 0;
  std::size_t lineStart_ = 0;
};

}  // namespace

int SchemeLineColor(int line) {
  return line >= 0 && line < kTimeLineColorCount ? kSchemeOrder[line] : -1;
}

std::string WriteColorScheme(const std::array<COLORREF, kTimeLineColorCount>& colors) {
  std::string text;
  char line[96];
  for (int i = 0; i < kTimeLineColorCount; ++i) {
    const int c = SchemeLineColor(i);
    std::snprintf(line, sizeof line, "%s = 0x%X\r\n", TimeLineColorKey(c), static_cast<unsigned>(colors[c] & kRgbMask));
    text += line;
  }
  return text;
}

int ReadColorScheme(std::string_view text, std::array<COLORREF, kTimeLineColorCount>& colors) {
  SchemeScanner scan(text);
  for (int i = 0; i < kTimeLineColorCount; ++i) {
    const int c = SchemeLineColor(i);
    uint32_t value = 0;
    if (!scan.SkipBlanks() || !scan.Expect(TimeLineColorKey(c)) || !scan.SkipBlanks() || !scan.Expect("=") ||
        !scan.SkipBlanks() || !scan.Expect("0x") || !scan.Hex(value)) {
      return kErrRead;
    }
    colors[c] = static_cast<COLORREF>(value) & kRgbMask;
  }
  return kErrOk;
}
