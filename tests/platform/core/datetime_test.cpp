#include "platform/core/datetime.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>

#include "support/test_env.h"

namespace {

std::uint64_t TicksOf(const FILETIME& ft) {
  return (std::uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime;
}

FILETIME FileTimeOf(std::uint64_t t) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(t);
  ft.dwHighDateTime = static_cast<DWORD>(t >> 32);
  return ft;
}

SYSTEMTIME Date(WORD y, WORD mo, WORD d, WORD h = 0, WORD mi = 0, WORD s = 0, WORD ms = 0) {
  SYSTEMTIME st;
  st.wYear = y;
  st.wMonth = mo;
  st.wDay = d;
  st.wHour = h;
  st.wMinute = mi;
  st.wSecond = s;
  st.wMilliseconds = ms;
  return st;
}

TEST(DateTime, KnownDatesAndWeekdays) {
  struct Case {
    SYSTEMTIME st;
    std::uint64_t ticks;
    WORD weekday;
  } const cases[] = {
      {Date(1601, 1, 1), 0, 1},
      {Date(1970, 1, 1), 116444736000000000ull, 4},
      {Date(2000, 2, 29, 12, 0, 0, 500), 125962992005000000ull, 2},
      {Date(2024, 3, 5, 15, 4, 5, 6), 133541246450060000ull, 2},
  };
  for (const Case& c : cases) {
    FILETIME ft;
    ASSERT_TRUE(SystemTimeToFileTime(&c.st, &ft)) << c.ticks;
    EXPECT_EQ(TicksOf(ft), c.ticks);
    SYSTEMTIME back;
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
    EXPECT_EQ(back.wYear, c.st.wYear);
    EXPECT_EQ(back.wMonth, c.st.wMonth);
    EXPECT_EQ(back.wDay, c.st.wDay);
    EXPECT_EQ(back.wHour, c.st.wHour);
    EXPECT_EQ(back.wMinute, c.st.wMinute);
    EXPECT_EQ(back.wSecond, c.st.wSecond);
    EXPECT_EQ(back.wMilliseconds, c.st.wMilliseconds);
    EXPECT_EQ(back.wDayOfWeek, c.weekday);
  }
}

TEST(DateTime, FieldsRoundTripToTheMillisecond) {
  std::mt19937_64 random(7);
  for (int i = 0; i < 20000; ++i) {
    const std::uint64_t t = random() >> 1;  // every time below the high bit
    SYSTEMTIME st;
    const FILETIME ft = FileTimeOf(t);
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &st)) << t;
    FILETIME back;
    ASSERT_TRUE(SystemTimeToFileTime(&st, &back)) << t << " year " << st.wYear;
    EXPECT_EQ(TicksOf(back), t - t % 10000) << t;
  }
}

TEST(DateTime, InvalidTimesAreRefused) {
  SYSTEMTIME st;
  const FILETIME high = FileTimeOf(1ull << 63);
  EXPECT_FALSE(FileTimeToSystemTime(&high, &st));
  FILETIME ft;
  const SYSTEMTIME bad[] = {Date(1600, 12, 31),
                            Date(2023, 2, 29),
                            Date(2100, 2, 29),
                            Date(2024, 13, 1),
                            Date(2024, 0, 1),
                            Date(2024, 4, 31),
                            Date(2024, 1, 0),
                            Date(2024, 1, 1, 24),
                            Date(2024, 1, 1, 0, 60),
                            Date(2024, 1, 1, 0, 0, 60),
                            Date(2024, 1, 1, 0, 0, 0, 1000)};
  for (const SYSTEMTIME& s : bad)
    EXPECT_FALSE(SystemTimeToFileTime(&s, &ft)) << s.wYear << "-" << s.wMonth << "-" << s.wDay;
  const SYSTEMTIME good[] = {Date(2024, 2, 29), Date(2000, 2, 29), Date(30827, 12, 31, 23, 59, 59, 999)};
  for (const SYSTEMTIME& s : good) EXPECT_TRUE(SystemTimeToFileTime(&s, &ft)) << s.wYear;
}

TEST(DateTime, LocalTimeUsesTheZoneOffsetOfThatMoment) {
  ScopedEnv tz("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
  const SYSTEMTIME winter = Date(2024, 1, 15, 12);
  const SYSTEMTIME summer = Date(2024, 7, 15, 12);
  FILETIME utc, local;
  ASSERT_TRUE(SystemTimeToFileTime(&winter, &utc));
  ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
  EXPECT_EQ(TicksOf(local) - TicksOf(utc), 3600ull * 10000000);
  ASSERT_TRUE(SystemTimeToFileTime(&summer, &utc));
  ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
  EXPECT_EQ(TicksOf(local) - TicksOf(utc), 7200ull * 10000000);

  ScopedEnv west("TZ", "EST5");
  const FILETIME first = FileTimeOf(0);
  EXPECT_FALSE(FileTimeToLocalFileTime(&first, &local));  // before 1601 locally
  const FILETIME high = FileTimeOf(1ull << 63);
  EXPECT_FALSE(FileTimeToLocalFileTime(&high, &local));
}

TEST(DateTime, DateAndTimeTextsInTheCLocale) {
  ScopedEnv lang("LC_ALL", "C");
  const SYSTEMTIME st = Date(2024, 3, 5, 15, 4, 5);
  char text[64];
  EXPECT_EQ(GetDateFormat(LOCALE_USER_DEFAULT, DATE_LONGDATE, &st, nullptr, text, sizeof text), 23);
  EXPECT_STREQ(text, "Tuesday, March 5, 2024");
  EXPECT_EQ(GetDateFormat(LOCALE_USER_DEFAULT, 0, &st, nullptr, text, sizeof text), 9);
  EXPECT_STREQ(text, "03/05/24");
  EXPECT_EQ(GetTimeFormat(LOCALE_USER_DEFAULT, 0, &st, nullptr, text, sizeof text), 9);
  EXPECT_STREQ(text, "15:04:05");

  // Size 0 asks for the size; a short buffer fails.
  EXPECT_EQ(GetDateFormat(LOCALE_USER_DEFAULT, DATE_LONGDATE, &st, nullptr, nullptr, 0), 23);
  EXPECT_EQ(GetDateFormat(LOCALE_USER_DEFAULT, DATE_LONGDATE, &st, nullptr, text, 22), 0);
  EXPECT_EQ(GetTimeFormat(LOCALE_USER_DEFAULT, 0, &st, nullptr, text, 8), 0);
  // Invalid dates, unknown flags and picture formats are refused.
  const SYSTEMTIME bad = Date(2023, 2, 29);
  EXPECT_EQ(GetDateFormat(LOCALE_USER_DEFAULT, DATE_LONGDATE, &bad, nullptr, text, sizeof text), 0);
  EXPECT_EQ(GetDateFormat(LOCALE_USER_DEFAULT, 0x100, &st, nullptr, text, sizeof text), 0);
  EXPECT_EQ(GetDateFormat(LOCALE_USER_DEFAULT, 0, &st, "yyyy", text, sizeof text), 0);
  EXPECT_EQ(GetTimeFormat(LOCALE_USER_DEFAULT, 8, &st, nullptr, text, sizeof text), 0);
  // No date means now.
  EXPECT_GT(GetDateFormat(LOCALE_USER_DEFAULT, DATE_LONGDATE, nullptr, nullptr, text, sizeof text), 1);
}

}  // namespace
