#include "platform/core/datetime.h"

#include <langinfo.h>
#include <locale.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <ctime>

namespace {

constexpr std::int64_t kTicksPerSecond = 10000000;
constexpr std::int64_t kTicksPerDay = kTicksPerSecond * 86400;
// Days from 1601-01-01 to 1970-01-01.
constexpr std::int64_t kDays1601To1970 = 134774;

// The calendar of the standard library, proleptic Gregorian; every caller
// passes a date of 1601 to 30827, well inside its years.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  using namespace std::chrono;
  const year_month_day date{year{static_cast<int>(y)}, month{m}, day{d}};
  return sys_days{date}.time_since_epoch().count();
}

void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
  using namespace std::chrono;
  const year_month_day date{sys_days{days{z}}};
  y = static_cast<int>(date.year());
  m = static_cast<unsigned>(date.month());
  d = static_cast<unsigned>(date.day());
}

unsigned DaysInMonth(unsigned y, unsigned m) {
  using namespace std::chrono;
  const year_month_day_last last{year{static_cast<int>(y)}, month_day_last{month{m}}};
  return static_cast<unsigned>(last.day());
}

std::uint64_t Ticks(const FILETIME& ft) {
  return (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

void SetTicks(FILETIME& ft, std::uint64_t t) {
  ft.dwLowDateTime = static_cast<DWORD>(t);
  ft.dwHighDateTime = static_cast<DWORD>(t >> 32);
}

bool ValidDate(const SYSTEMTIME& st) {
  return st.wYear >= 1601 && st.wYear <= 30827 && st.wMonth >= 1 && st.wMonth <= 12 && st.wDay >= 1 &&
         st.wDay <= DaysInMonth(st.wYear, st.wMonth);
}

bool ValidTime(const SYSTEMTIME& st) {
  return st.wHour < 24 && st.wMinute < 60 && st.wSecond < 60 && st.wMilliseconds < 1000;
}

// The current local time as fields.
SYSTEMTIME LocalNow() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm t{};
  tzset();
  localtime_r(&now.tv_sec, &t);
  SYSTEMTIME st;
  st.wYear = static_cast<WORD>(t.tm_year + 1900);
  st.wMonth = static_cast<WORD>(t.tm_mon + 1);
  st.wDay = static_cast<WORD>(t.tm_mday);
  st.wDayOfWeek = static_cast<WORD>(t.tm_wday);
  st.wHour = static_cast<WORD>(t.tm_hour);
  st.wMinute = static_cast<WORD>(t.tm_min);
  st.wSecond = static_cast<WORD>(t.tm_sec);
  st.wMilliseconds = static_cast<WORD>(now.tv_nsec / 1000000);
  return st;
}

tm ToTm(const SYSTEMTIME& st) {
  tm t{};
  t.tm_year = st.wYear - 1900;
  t.tm_mon = st.wMonth - 1;
  t.tm_mday = st.wDay;
  t.tm_hour = st.wHour;
  t.tm_min = st.wMinute;
  t.tm_sec = st.wSecond;
  const std::int64_t days = DaysFromCivil(st.wYear, st.wMonth, st.wDay);
  t.tm_wday = static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
  t.tm_yday = static_cast<int>(days - DaysFromCivil(st.wYear, 1, 1));
  t.tm_isdst = -1;
  return t;
}

// The user's LC_TIME locale, read from the environment on each call, so that
// the texts follow the user's settings; "C" when it cannot be had.
class UserTimeLocale {
 public:
  UserTimeLocale() {
    locale_ = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0));
    if (locale_ == static_cast<locale_t>(0)) locale_ = newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(0));
  }
  ~UserTimeLocale() {
    if (locale_ != static_cast<locale_t>(0)) freelocale(locale_);
  }
  UserTimeLocale(const UserTimeLocale&) = delete;
  UserTimeLocale& operator=(const UserTimeLocale&) = delete;
  bool ok() const { return locale_ != static_cast<locale_t>(0); }
  locale_t get() const { return locale_; }

 private:
  locale_t locale_;
};

// The long date in the order of the locale's short date: month first
// ("Tuesday, March 5, 2024"), day first ("Tuesday 5 March 2024") or year
// first ("2024 March 5 Tuesday").
const char* LongDateLayout(const char* shortLayout) {
  const char* day = nullptr;
  const char* month = nullptr;
  const char* year = nullptr;
  for (const char* p = shortLayout; p != nullptr && *p != 0; ++p) {
    if (*p != '%' || p[1] == 0) continue;
    ++p;
    while (*p == '-' || *p == '_' || *p == '0' || *p == '^' || *p == '#' || *p == 'E' || *p == 'O') {
      if (p[1] == 0) break;
      ++p;
    }
    switch (*p) {
      case 'd':
      case 'e':
        if (!day) day = p;
        break;
      case 'm':
      case 'b':
      case 'B':
      case 'h':
        if (!month) month = p;
        break;
      case 'y':
      case 'Y':
      case 'C':
        if (!year) year = p;
        break;
      case 'D':
        if (!month) {
          month = p;
          day = p + 1;
        }
        break;  // %m/%d/%y
      case 'F':
        if (!year) {
          year = p;
          month = p + 1;
          day = p + 2;
        }
        break;  // %Y-%m-%d
      default:
        break;
    }
  }
  if (year && (!month || year < month) && (!day || year < day)) return "%Y %B %-d %A";
  if (day && month && day < month) return "%A %-d %B %Y";
  return "%A, %B %-d, %Y";
}

int Deliver(const char* text, LPSTR buffer, int size) {
  const int needed = static_cast<int>(std::strlen(text)) + 1;
  if (size == 0) return needed;
  if (buffer == nullptr || size < needed) return 0;
  std::memcpy(buffer, text, static_cast<size_t>(needed));
  return needed;
}

}  // namespace

BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime) {
  if (fileTime == nullptr || systemTime == nullptr) return FALSE;
  const std::uint64_t t = Ticks(*fileTime);
  if (t >> 63) return FALSE;
  const std::int64_t days = static_cast<std::int64_t>(t / kTicksPerDay);
  const std::uint64_t rest = t % kTicksPerDay;
  std::int64_t y;
  unsigned m, d;
  CivilFromDays(days - kDays1601To1970, y, m, d);
  SYSTEMTIME st;
  st.wYear = static_cast<WORD>(y);
  st.wMonth = static_cast<WORD>(m);
  st.wDay = static_cast<WORD>(d);
  st.wDayOfWeek = static_cast<WORD>((days + 1) % 7);  // 1601-01-01 was a Monday
  st.wHour = static_cast<WORD>(rest / (kTicksPerSecond * 3600));
  st.wMinute = static_cast<WORD>(rest / (kTicksPerSecond * 60) % 60);
  st.wSecond = static_cast<WORD>(rest / kTicksPerSecond % 60);
  st.wMilliseconds = static_cast<WORD>(rest / 10000 % 1000);
  *systemTime = st;
  return TRUE;
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, FILETIME* fileTime) {
  if (systemTime == nullptr || fileTime == nullptr) return FALSE;
  const SYSTEMTIME& st = *systemTime;
  if (!ValidDate(st) || !ValidTime(st)) return FALSE;
  const std::int64_t days = DaysFromCivil(st.wYear, st.wMonth, st.wDay) + kDays1601To1970;
  const std::int64_t ms =
      ((static_cast<std::int64_t>(st.wHour) * 60 + st.wMinute) * 60 + st.wSecond) * 1000 + st.wMilliseconds;
  SetTicks(*fileTime, static_cast<std::uint64_t>(days * kTicksPerDay + ms * 10000));
  return TRUE;
}

BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, FILETIME* localFileTime) {
  if (fileTime == nullptr || localFileTime == nullptr) return FALSE;
  if (Ticks(*fileTime) >> 63) return FALSE;
  const std::int64_t t = static_cast<std::int64_t>(Ticks(*fileTime));
  const time_t seconds = static_cast<time_t>(t / kTicksPerSecond - kDays1601To1970 * 86400);
  tzset();
  tm local{};
  long offset = 0;
  if (localtime_r(&seconds, &local) != nullptr) {
    offset = local.tm_gmtoff;
  } else {
    const time_t now = time(nullptr);
    if (localtime_r(&now, &local) != nullptr) offset = local.tm_gmtoff;
  }
  const std::int64_t shift = static_cast<std::int64_t>(offset) * kTicksPerSecond;
  if (shift > 0 && t > INT64_MAX - shift) return FALSE;
  const std::int64_t shifted = t + shift;
  if (shifted < 0) return FALSE;
  SetTicks(*localFileTime, static_cast<std::uint64_t>(shifted));
  return TRUE;
}

int GetDateFormat(LCID locale, DWORD flags, const SYSTEMTIME* date, LPCSTR format, LPSTR buffer, int size) {
  if (format != nullptr || size < 0 || (flags & ~(DATE_SHORTDATE | DATE_LONGDATE)) != 0 ||
      flags == (DATE_SHORTDATE | DATE_LONGDATE)) {
    return 0;
  }
  const SYSTEMTIME st = date != nullptr ? *date : LocalNow();
  if (!ValidDate(st)) return 0;
  UserTimeLocale user;
  if (!user.ok()) return 0;
  const char* shortLayout = nl_langinfo_l(D_FMT, user.get());
  const char* layout = flags == DATE_LONGDATE ? LongDateLayout(shortLayout) : shortLayout;
  const tm t = ToTm(st);
  char text[256];
  if (strftime_l(text, sizeof text, layout, &t, user.get()) == 0) return 0;
  return Deliver(text, buffer, size);
}

int GetTimeFormat(LCID locale, DWORD flags, const SYSTEMTIME* time, LPCSTR format, LPSTR buffer, int size) {
  if (format != nullptr || size < 0 || flags != 0) return 0;
  const SYSTEMTIME st = time != nullptr ? *time : LocalNow();
  if (!ValidTime(st)) return 0;
  UserTimeLocale user;
  if (!user.ok()) return 0;
  const char* layout = nl_langinfo_l(T_FMT, user.get());
  if (layout == nullptr || *layout == 0) layout = "%H:%M:%S";
  tm t{};
  t.tm_year = 100;
  t.tm_mday = 1;
  t.tm_hour = st.wHour;
  t.tm_min = st.wMinute;
  t.tm_sec = st.wSecond;
  t.tm_isdst = -1;
  char text[256];
  if (strftime_l(text, sizeof text, layout, &t, user.get()) == 0) return 0;
  return Deliver(text, buffer, size);
}
