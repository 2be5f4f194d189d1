#include "model/scratch_str.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/core/datetime.h"

#include "support/test_env.h"

namespace {

TEST(ScratchStr, RingHandsOutThirtyTwoBuffersInTurn) {
  char* first = ScratchStr::Next();
  char* seen[ScratchStr::kCount] = {first};
  for (int i = 1; i < ScratchStr::kCount; ++i) {
    seen[i] = ScratchStr::Next();
    for (int j = 0; j < i; ++j) EXPECT_NE(seen[i], seen[j]);
  }
  EXPECT_EQ(ScratchStr::Next(), first);  // the 33rd is the first again
}

TEST(ScratchStr, BuilderMakesKeyNames) {
  ScratchStr::Begin();
  ScratchStr::Append("TIME");
  ScratchStr::Append(nullptr);
  ScratchStr::Append(IntToPaddedText(12, 0));
  EXPECT_STREQ(ScratchStr::End(0), "TIME12");

  ScratchStr::Begin();
  ScratchStr::Append("FILE");
  EXPECT_STREQ(ScratchStr::End('4'), "FILE4");
}

TEST(ScratchStr, LongTextsAreCutInsideTheirBuffer) {
  // The builder's buffer is followed by the next one of the ring; mark it.
  char* text = ScratchStr::Begin();
  char* neighbour = ScratchStr::Next();
  neighbour[0] = 'N';
  const std::string chunk(100, 'x');
  for (int i = 0; i < 4; ++i) ScratchStr::Append(chunk.c_str());
  EXPECT_EQ(ScratchStr::End('!'), text);
  EXPECT_EQ(std::strlen(text), ScratchStr::kSize - 1);
  EXPECT_EQ(text[ScratchStr::kSize - 2], 'x');
  EXPECT_EQ(neighbour[0], 'N');

  // A wider padding than a buffer holds is cut too.
  EXPECT_EQ(std::strlen(IntToPaddedText(7, 100000)), ScratchStr::kSize - 1);
  const char* zeros = IntToPaddedText(7, INT_MIN);
  EXPECT_EQ(std::strlen(zeros), ScratchStr::kSize - 1);
  EXPECT_EQ(zeros[0], '0');
  EXPECT_EQ(zeros[ScratchStr::kSize - 2], '7');
}

TEST(ScratchStr, PaddedIntegers) {
  struct Case {
    LONG value, width;
    const char* text;
  } const cases[] = {
      {7, -3, "007"}, {7, 3, "  7"}, {1234, 2, "1234"},           {1234, -4, "1234"},
      {-5, 0, "-5"},  {0, 0, "0"},   {INT_MIN, 0, "-2147483648"}, {INT_MAX, -1, "2147483647"},
  };
  for (const Case& c : cases)
    EXPECT_STREQ(IntToPaddedText(c.value, c.width), c.text) << c.value << ", " << c.width;
}

TEST(ScratchStr, JoinedIntegers) {
  EXPECT_STREQ(JoinInts(5, kJoinAbsent, 6), " 5 6 ");
  EXPECT_STREQ(JoinInts(5), " 5 ");
  EXPECT_STREQ(JoinInts(1, -2, 3), " 1 -2 3 ");
  EXPECT_STREQ(JoinInts(kJoinAbsent), " -2147483648 ");  // the first is always written
  const std::string ten = JoinInts(INT_MIN + 1, INT_MIN + 1, INT_MIN + 1, INT_MIN + 1, INT_MIN + 1,
                                   INT_MIN + 1, INT_MIN + 1, INT_MIN + 1, INT_MIN + 1, INT_MIN + 1);
  EXPECT_EQ(ten.size(), 1 + 10 * 12u);
}

TEST(ScratchStr, ByteSizes) {
  struct Case {
    DWORD n;
    const char* size;
    const char* rate;
  } const cases[] = {
      {0, "0 bytes", "0 bytes per second"},
      {500, "500 bytes", "500 bytes per second"},
      {999, "999 bytes", "999 bytes per second"},
      {1000, "0.98KB (1 000 bytes)", "0.98KB/Sec (1 000 bytes per second)"},
      {1536, "1.50KB (1 536 bytes)", "1.50KB/Sec (1 536 bytes per second)"},
      {10240, "10.0KB (10 240 bytes)", "10.0KB/Sec (10 240 bytes per second)"},
      {102400, "100KB (102 400 bytes)", "100KB/Sec (102 400 bytes per second)"},
      {1048575, "1023KB (1 048 575 bytes)", "1023KB/Sec (1 048 575 bytes per second)"},
      {1048576, "1.00MB (1 048 576 bytes)", "1.00MB/Sec (1 048 576 bytes per second)"},
      {10485760, "10.0MB (10 485 760 bytes)", "10.0MB/Sec (10 485 760 bytes per second)"},
      {104857600, "100MB (104 857 600 bytes)", "100MB/Sec (104 857 600 bytes per second)"},
      {1000000000, "953MB (1 000 000 000 bytes)", "953MB/Sec (1 000 000 000 bytes per second)"},
      {4294967295u, "4095MB (4 294 967 295 bytes)", "4095MB/Sec (4 294 967 295 bytes per second)"},
  };
  for (const Case& c : cases) {
    char buffer[kByteTextSize];
    FormatByteSize(buffer, c.n);
    EXPECT_STREQ(buffer, c.size);
    FormatByteRate(buffer, c.n);
    EXPECT_STREQ(buffer, c.rate);
  }
}

TEST(ScratchStr, ByteTextIsCutToASmallBuffer) {
  char buffer[16];
  std::memset(buffer, '#', sizeof buffer);
  FormatByteRate(buffer, 4294967295u, 10);
  EXPECT_STREQ(buffer, "4095MB/Se");
  for (size_t i = 10; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], '#');
}

TEST(ScratchStr, SampleTypeNames) {
  const char* names[] = {"N", "8", "16", "20", "24", "24.0", "16.8", "1.0", "N"};
  for (int code = 0; code <= 8; ++code) EXPECT_STREQ(SampleTypeName(code), names[code]) << code;
  EXPECT_STREQ(SampleTypeName(-1), "N");
}

TEST(ScratchStr, FileTimeAsLocalLongDateAndTime) {
  ScopedEnv tz("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
  ScopedEnv lang("LC_ALL", "C");
  SYSTEMTIME st;
  st.wYear = 2024;
  st.wMonth = 3;
  st.wDay = 5;
  st.wHour = 23;
  st.wMinute = 4;
  st.wSecond = 5;
  FILETIME ft;
  ASSERT_TRUE(SystemTimeToFileTime(&st, &ft));
  char text[ScratchStr::kSize];
  ASSERT_TRUE(FileTimeToText(text, ft));
  EXPECT_STREQ(text, "Wednesday, March 6, 2024 00:04:05");  // one hour east of UTC, past midnight

  FILETIME bad;
  bad.dwHighDateTime = 0x80000000u;
  EXPECT_FALSE(FileTimeToText(text, bad));
}

}  // namespace
