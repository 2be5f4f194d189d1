#include <gtest/gtest.h>

#include <string>

#include "model/error_codes.h"
#include "timeline/window/timeline_colors.h"

namespace {

using Colors = std::array<COLORREF, kTimeLineColorCount>;

Colors Distinct() {
  Colors c{};
  for (int i = 0; i < kTimeLineColorCount; ++i) c[i] = static_cast<COLORREF>(0x010203 * (i + 1)) & 0xFFFFFF;
  return c;
}

Colors Filled(COLORREF value) {
  Colors c;
  c.fill(value);
  return c;
}

// The text of a scheme, each line formatted by line(index of the colour, key).
template <class F>
std::string Scheme(F line) {
  std::string text;
  for (int i = 0; i < kTimeLineColorCount; ++i) text += line(SchemeLineColor(i), TimeLineColorKey(SchemeLineColor(i)));
  return text;
}

TEST(ColourScheme, WrittenSchemeReadsBackTheSameColours) {
  const Colors colors = Distinct();
  const std::string text = WriteColorScheme(colors);
  Colors back = Filled(0);
  EXPECT_EQ(ReadColorScheme(text, back), kErrOk);
  EXPECT_EQ(back, colors);
}

TEST(ColourScheme, LinesKeepTheFileOrderAndEndInCrLf) {
  Colors colors{};
  for (int i = 0; i < kTimeLineColorCount; ++i) colors[i] = DefaultTimeLineColor(i);
  const std::string text = WriteColorScheme(colors);
  EXPECT_EQ(text.substr(0, text.find('\n') + 1), "BackgroundColor = 0xC0C0C0\r\n");
  // The clip colours and the clip names come unselected first.
  const size_t unselected = text.find("NonSelectedClipColor = 0x808080\r\n");
  const size_t selected = text.find("SelectedClipColor = 0x8000\r\n");
  ASSERT_NE(unselected, std::string::npos);
  ASSERT_NE(selected, std::string::npos);
  EXPECT_LT(unselected, selected);
  EXPECT_LT(text.find("NonSelectedNameColor = 0x0\r\n"), text.find("\nSelectedNameColor = 0x0\r\n"));
  EXPECT_EQ(text.rfind("VideoFXTrackColor = 0xC0C0C0\r\n"), text.size() - 30);
}

TEST(ColourScheme, ReadsAnySpacingAndEitherCaseOfDigits) {
  struct Case {
    const char* name;
    std::string text;
  };
  const Case cases[] = {
      {"tight, lower case, LF", Scheme([](int c, const char* key) {
         return std::string(key) + "=0x" + (c == 0 ? "c0c0c0" : "ab") + "\n";
       })},
      {"blank runs and tabs", Scheme([](int c, const char* key) {
         return std::string("  ") + key + "\t =  0x" + (c == 0 ? "C0C0C0" : "AB") + "\r\n\r\n";
       })},
      {"text after the last colour", Scheme([](int c, const char* key) {
                                       return std::string(key) + " = 0x" + (c == 0 ? "C0C0C0" : "AB") + "\n";
                                     }) + "and then anything\n"},
  };
  for (const Case& c : cases) {
    Colors colors = Filled(0x123456);
    EXPECT_EQ(ReadColorScheme(c.text, colors), kErrOk) << c.name;
    EXPECT_EQ(colors[kColorBackground], 0xC0C0C0u) << c.name;
    EXPECT_EQ(colors[kColorVideoFXTrack], 0xABu) << c.name;
  }
}

// A bad line stops the reading there: what came before is taken, the rest
// stays as it was.
TEST(ColourScheme, ABadLineStopsWithTheColoursBeforeItTaken) {
  const std::string good = WriteColorScheme(Distinct());
  auto lineStart = [&](int line) {
    size_t at = 0;
    for (int i = 0; i < line; ++i) at = good.find('\n', at) + 1;
    return at;
  };
  auto replaceLine = [&](int line, const std::string& with) {
    const size_t at = lineStart(line);
    return good.substr(0, at) + with + good.substr(good.find('\n', at) + 1);
  };
  auto swapLines = [&](int line) {
    const size_t a = lineStart(line), b = lineStart(line + 1), e = lineStart(line + 2);
    return good.substr(0, a) + good.substr(b, e - b) + good.substr(a, b - a) + good.substr(e);
  };
  struct Case {
    const char* name;
    std::string text;
    int linesTaken;
  };
  const Case cases[] = {
      {"lines out of order", swapLines(4), 4},
      {"upper-case 0X", replaceLine(2, "SelectionColor = 0XFF\r\n"), 2},
      {"key in another case", replaceLine(0, "backgroundcolor = 0x1\r\n"), 0},
      {"no digits", replaceLine(7, "NonSelectedNameColor = 0x\r\n"), 7},
      {"value beyond 32 bits", replaceLine(5, "SelectedClipColor = 0x100000000\r\n"), 5},
      {"overlong line", replaceLine(9, "SemiSelectedNameColor = 0x" + std::string(300, '0') + "1\r\n"), 9},
      {"file ends early", good.substr(0, lineStart(30)), 30},
      {"empty file", "", 0},
  };
  const Colors want = Distinct();
  for (const Case& c : cases) {
    Colors colors = Filled(0xEEEEEE);
    EXPECT_EQ(ReadColorScheme(c.text, colors), kErrRead) << c.name;
    for (int line = 0; line < kTimeLineColorCount; ++line) {
      const int i = SchemeLineColor(line);
      EXPECT_EQ(colors[i], line < c.linesTaken ? want[i] : 0xEEEEEEu) << c.name << ", line " << line;
    }
  }
}

TEST(ColourScheme, APaletteEntryIsWrittenAsItsColour) {
  Colors colors = Distinct();
  colors[kColorCurTime] = 0x01FF0000;
  Colors back{};
  ASSERT_EQ(ReadColorScheme(WriteColorScheme(colors), back), kErrOk);
  EXPECT_EQ(back[kColorCurTime], 0xFF0000u);
}

}  // namespace
