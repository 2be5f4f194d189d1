#include "model/ui_strings.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <iterator>
#include <string>

namespace {

TEST(UiStrings, KnownEntriesAreExact) {
  struct Case {
    int id;
    const char* text;
  } const cases[] = {
      {0, "Untitled"},
      {1,
       "TimeLine Projects (*.tml)|*.tml|Old Projects (*.prt)|*.prt|Projects "
       "(*.tml;*.prt)|*.tml;*.prt|AllFiles (*.*)|*.*|"},
      {7, "Project '%s' has changed.\nDo you want to save the changes?"},
      {30, " AutoSave"},
      {31, "d "},
      {34, "Can`t open file:\n'%s'."},
      {74,
       "File '%s' video parameters\ndiffer from those of the current project:\n  Codec name '%s'\n  "
       "Resolution %dx%d\n"
       "  Frame rate %.3f frame/sec\n\nTry to convert the file with QOVTOOL1 application?\n"
       "(See also 'Convert AVI' on 'Tools' menu in Clip Collection window)"},
      {135, "  Name: "},
      {154, "The program does not work with compressed audio!\nDo you want to decomress '%s'?"},
      {440, "No audio\n\n\n"},
      {464, "??? bits"},
      {557, "There is no video clips in the project!\nWrite audio only?"},
      {567, "fr"},
      {568, "ms"},
      {569, "bytes"},
      {574, "MB/Sec"},
      {575, "N"},
      {582, "1.0"},
      {583, "Effects List Files (*.fxl)|*.fxl|All files (*.*)|*.*|"},
      {584, " has not audio effects"},
      {587, "Video effect '%s' start at %s and stop at %s"},
      {588, "Last message"},
  };
  for (const Case& c : cases) EXPECT_STREQ(GetString(c.id), c.text) << "id " << c.id;
}

TEST(UiStrings, NumbersWithoutTextAreEmpty) {
  // 327 and 351 are entries whose text is empty; the others have no entry.
  const int empty[] = {27, 64, 65, 66, 67, 68, 69, 77, 105, 327, 351};
  for (int id : empty) {
    ASSERT_NE(GetString(id), nullptr) << "id " << id;
    EXPECT_STREQ(GetString(id), "") << "id " << id;
  }
  int texts = 0;
  for (int id = 0; id < kUiStringCount; ++id) texts += GetString(id)[0] != 0;
  EXPECT_EQ(texts, kUiStringCount - static_cast<int>(std::size(empty)));
}

TEST(UiStrings, OutsideTheTableIsLastMessage) {
  for (int id : {-1, 589, 590, 1000, INT_MIN, INT_MAX})
    EXPECT_STREQ(GetString(id), "Last message") << "id " << id;
}

// Fingerprints of the whole table, 50 entries a block (FNV-1a over each text
// and its terminator), so that a changed letter anywhere is caught and its
// block named.
TEST(UiStrings, WholeTableMatchesFingerprints) {
  const std::uint64_t expected[] = {
      0xbdf879360394fda2ull, 0x67b54424f58fa32eull, 0xb4bd863c53074420ull, 0xa97c6ca40657aed2ull,
      0x9ae402509071c862ull, 0x05a72f8e63aa690cull, 0x2439b327466058e7ull, 0x6b7d2891f8426fd1ull,
      0xce2e7606a77d1168ull, 0x23535ed85d93f4beull, 0xf63d6b5f436a8b27ull, 0xb5efac04e3cae6c4ull,
  };
  static_assert(sizeof(expected) / sizeof(expected[0]) == (kUiStringCount + 49) / 50);
  for (int block = 0; block * 50 < kUiStringCount; ++block) {
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (int id = block * 50; id < kUiStringCount && id < block * 50 + 50; ++id) {
      const char* p = GetString(id);
      do {
        h ^= static_cast<unsigned char>(*p);
        h *= 0x100000001b3ull;
      } while (*p++ != 0);
    }
    EXPECT_EQ(h, expected[block]) << "entries " << block * 50 << " to " << block * 50 + 49;
  }
}

}  // namespace
