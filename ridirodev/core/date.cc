#include "ridirodev/core/date.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace ridirodev {
namespace {

constexpr int64_t kSecondsPerDay = 86400;
// Days from 1970-01-01 back to the automation epoch, 1899-12-30.
constexpr int64_t kEpochOffset = 25569;

int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (m <= 2));
}

int DaysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return m == 2 && leap ? 29 : kDays[m - 1];
}

// Reads an unsigned decimal of 1..maxDigits digits at pos.
bool ReadNumber(std::string_view s, size_t& pos, int maxDigits, int& out) {
  int digits = 0;
  out = 0;
  while (pos < s.size() && digits < maxDigits && s[pos] >= '0' && s[pos] <= '9') {
    out = out * 10 + (s[pos] - '0');
    ++pos;
    ++digits;
  }
  return digits > 0;
}

bool Expect(std::string_view s, size_t& pos, char c) {
  if (pos < s.size() && s[pos] == c) {
    ++pos;
    return true;
  }
  return false;
}

void SkipBlanks(std::string_view s, size_t& pos) {
  while (pos < s.size() && s[pos] == ' ') ++pos;
}

bool ValidParts(int y, int mo, int d, int h, int mi, int se) {
  return y >= 100 && y <= 9999 && mo >= 1 && mo <= 12 && d >= 1 && d <= DaysInMonth(y, mo) && h >= 0 &&
         h <= 23 && mi >= 0 && mi <= 59 && se >= 0 && se <= 59;
}

// Reads "h:mm[:ss] [AM|PM]" (twelve-hour when a marker follows) or "hh:mm[:ss[.fff]]".
bool ReadTime(std::string_view s, size_t& pos, int& h, int& mi, int& se) {
  se = 0;
  if (!ReadNumber(s, pos, 2, h) || !Expect(s, pos, ':') || !ReadNumber(s, pos, 2, mi)) return false;
  if (Expect(s, pos, ':')) {
    if (!ReadNumber(s, pos, 2, se)) return false;
    if (Expect(s, pos, '.')) {
      int frac = 0;
      if (!ReadNumber(s, pos, 9, frac)) return false;
    }
  }
  SkipBlanks(s, pos);
  if (pos + 2 <= s.size()) {
    const char a = static_cast<char>(s[pos] & ~0x20);
    const char b = static_cast<char>(s[pos + 1] & ~0x20);
    if ((a == 'A' || a == 'P') && b == 'M') {
      if (h < 1 || h > 12) return false;
      h = (h % 12) + (a == 'P' ? 12 : 0);
      pos += 2;
    }
  }
  return true;
}

}  // namespace

Date Date::FromParts(int year, int month, int day, int hour, int minute, int second) {
  // Months and days outside their range roll over, as the platform's DateSerial does.
  int64_t y = year;
  int64_t m0 = static_cast<int64_t>(month) - 1;
  y += m0 >= 0 ? m0 / 12 : (m0 - 11) / 12;
  m0 = ((m0 % 12) + 12) % 12;
  const int64_t days = DaysFromCivil(y, static_cast<unsigned>(m0 + 1), 1) + (day - 1) + kEpochOffset;
  const double linear =
      static_cast<double>(days) + (static_cast<double>(hour) * 3600 + minute * 60 + second) / kSecondsPerDay;
  return Date(FromLinear(linear));
}

Date Date::Now() {
  const std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  return FromParts(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                   local.tm_sec);
}

double Date::ToLinear() const noexcept {
  if (serial_ >= 0) return serial_;
  const double days = std::ceil(serial_);
  return days + (days - serial_);
}

double Date::FromLinear(double linear) noexcept {
  if (linear >= 0) return linear;
  const double days = std::floor(linear);
  const double frac = linear - days;
  return frac == 0 ? days : days - frac;
}

Date::Parts Date::Split() const {
  const int64_t secs = std::llround(ToLinear() * kSecondsPerDay);
  int64_t day = secs / kSecondsPerDay;
  int64_t sod = secs % kSecondsPerDay;
  if (sod < 0) {
    sod += kSecondsPerDay;
    --day;
  }
  Parts p{};
  CivilFromDays(day - kEpochOffset, p.year, p.month, p.day);
  p.hour = static_cast<int>(sod / 3600);
  p.minute = static_cast<int>(sod / 60 % 60);
  p.second = static_cast<int>(sod % 60);
  return p;
}

int Date::Year() const { return Split().year; }
int Date::Month() const { return Split().month; }
int Date::Day() const { return Split().day; }
int Date::Hour() const { return Split().hour; }
int Date::Minute() const { return Split().minute; }
int Date::Second() const { return Split().second; }
bool Date::HasTime() const {
  const Parts p = Split();
  return p.hour != 0 || p.minute != 0 || p.second != 0;
}

Date Date::AddMonths(int months) const {
  const Parts p = Split();
  int64_t m0 = static_cast<int64_t>(p.month) - 1 + months;
  int y = p.year + static_cast<int>(m0 >= 0 ? m0 / 12 : (m0 - 11) / 12);
  const int m = static_cast<int>(((m0 % 12) + 12) % 12) + 1;
  const int d = std::min(p.day, DaysInMonth(y, m));
  return FromParts(y, m, d, p.hour, p.minute, p.second);
}

std::string Date::ToIso() const {
  const Parts p = Split();
  char buf[32];
  if (p.hour == 0 && p.minute == 0 && p.second == 0) {
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", p.year, p.month, p.day);
  } else {
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", p.year, p.month, p.day, p.hour, p.minute,
                  p.second);
  }
  return buf;
}

std::optional<Date> Date::FromIso(std::string_view s) {
  size_t pos = 0;
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, se = 0;
  if (!ReadNumber(s, pos, 4, y) || pos != 4 || !Expect(s, pos, '-') || !ReadNumber(s, pos, 2, mo) ||
      !Expect(s, pos, '-') || !ReadNumber(s, pos, 2, d)) {
    return std::nullopt;
  }
  if (pos < s.size()) {
    if (s[pos] != 'T' && s[pos] != ' ') return std::nullopt;
    ++pos;
    if (!ReadNumber(s, pos, 2, h) || !Expect(s, pos, ':') || !ReadNumber(s, pos, 2, mi)) return std::nullopt;
    if (Expect(s, pos, ':')) {
      if (!ReadNumber(s, pos, 2, se)) return std::nullopt;
      if (Expect(s, pos, '.')) {
        int frac = 0;
        if (!ReadNumber(s, pos, 9, frac)) return std::nullopt;
      }
    }
    if (pos != s.size()) return std::nullopt;
  }
  if (!ValidParts(y, mo, d, h, mi, se)) return std::nullopt;
  return FromParts(y, mo, d, h, mi, se);
}

std::string Date::GeneralDate() const {
  const Parts p = Split();
  const bool dayZero = p.year == 1899 && p.month == 12 && p.day == 30;
  const bool midnight = p.hour == 0 && p.minute == 0 && p.second == 0;
  char date[32] = "";
  char time[32] = "";
  // Day zero shows the time alone, even at midnight ("12:00:00 AM"); any other day at
  // midnight shows the date alone.
  if (!dayZero) std::snprintf(date, sizeof date, "%d/%d/%d", p.month, p.day, p.year);
  if (!midnight || dayZero) {
    const int h12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
    std::snprintf(time, sizeof time, "%d:%02d:%02d %s", h12, p.minute, p.second, p.hour < 12 ? "AM" : "PM");
  }
  if (date[0] && time[0]) return std::string(date) + " " + time;
  return date[0] ? date : time;
}

std::optional<Date> Date::Parse(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  if (s.empty()) return std::nullopt;
  if (auto iso = FromIso(s)) return iso;
  size_t pos = 0;
  int y = 1899, mo = 12, d = 30, h = 0, mi = 0, se = 0;
  int first = 0;
  size_t probe = pos;
  if (!ReadNumber(s, probe, 4, first)) return std::nullopt;
  if (probe < s.size() && s[probe] == '/') {
    pos = probe + 1;
    mo = first;
    if (!ReadNumber(s, pos, 2, d) || !Expect(s, pos, '/') || !ReadNumber(s, pos, 4, y)) return std::nullopt;
    if (y < 100) y += y < 30 ? 2000 : 1900;
    SkipBlanks(s, pos);
    if (pos < s.size() && !ReadTime(s, pos, h, mi, se)) return std::nullopt;
  } else if (!ReadTime(s, pos, h, mi, se)) {
    return std::nullopt;
  }
  SkipBlanks(s, pos);
  if (pos != s.size() || !ValidParts(y, mo, d, h, mi, se)) return std::nullopt;
  return FromParts(y, mo, d, h, mi, se);
}

}  // namespace ridirodev
