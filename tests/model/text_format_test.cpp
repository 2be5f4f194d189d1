#include "model/text_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

TEST(TextFormat, ConversionsTable) {
  struct Case {
    std::string got;
    const char* want;
  };
  const std::int64_t big = 0x100000005LL;
  const Case cases[] = {
      {FormatText("%ld", -5), "-5"},
      {FormatText("%02d:%02d:%02d:%03d", 1, 2, 3, 4), "01:02:03:004"},
      {FormatText("%07ld", 25), "0000025"},
      {FormatText("%ld", big), "5"},  // "%ld" is a 32-bit value
      {FormatText("%lld", big), "4294967301"},
      {FormatText("%I64d", big), "4294967301"},
      {FormatText("%u", -1), "4294967295"},
      {FormatText("0x%X", 255u), "0xFF"},
      {FormatText("%.2f%s ", 1.5, "KB"), "1.50KB "},
      {FormatText("%s and %s", "a"), "a and (null)"},  // a missing argument never reads garbage
      {FormatText("%d", "text"), "0"},                 // a wrong kind gives 0
      {FormatText("%s", 7), "(null)"},
      {FormatText("100%%"), "100%"},
      {FormatText("%c", 'x'), "x"},
      {FormatText("%5s|%-5s|", "ab", "cd"), "   ab|cd   |"},
      {FormatText("%*d", 4, 7), "   7"},
      {FormatText("%q"), "%q"},
      {FormatText("end %"), "end %"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.want);
}

TEST(TextFormat, TextsFromOutsideAreNeverFormats) {
  const std::string hostile = "%s%s%n%d";
  EXPECT_EQ(FormatText("File '%s'", hostile), "File '%s%s%n%d'");
}

TEST(TextFormat, BufferFormattingCutsAndTerminates) {
  char buffer[8];
  EXPECT_EQ(FormatTextTo(buffer, sizeof buffer, "%s", "0123456789"), 7u);
  EXPECT_STREQ(buffer, "0123456");
  const std::string long_text(5000, 'x');
  EXPECT_EQ(FormatText("%s!", long_text).size(), 5001u);
  EXPECT_EQ(FormatText("%-6000s|", "a").size(), 4200u);  // a width past the scratch limit is cut, not overrun
}
