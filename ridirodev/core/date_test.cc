#include "ridirodev/core/date.h"

#include <gtest/gtest.h>

#include <tuple>

namespace ridirodev {
namespace {

constexpr double kSecond = 1.0 / 86400;
Date D(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) { return Date::FromParts(y, mo, d, h, mi, s); }

TEST(DateTest, TextFormsAndBack) {
  // A date, its general text and its ISO text.
  const std::tuple<Date, const char*, const char*> cases[] = {
      {D(2026, 12, 6, 14, 5, 9), "12/6/2026 2:05:09 PM", "2026-12-06T14:05:09"},
      {D(2026, 12, 6), "12/6/2026", "2026-12-06"},
      {D(2026, 12, 6, 0, 30), "12/6/2026 12:30:00 AM", "2026-12-06T00:30:00"},
      {D(2026, 12, 6, 12), "12/6/2026 12:00:00 PM", "2026-12-06T12:00:00"},
      {D(2024, 2, 29, 23, 59, 59), "2/29/2024 11:59:59 PM", "2024-02-29T23:59:59"},
      {D(1899, 12, 30, 14, 5), "2:05:00 PM", "1899-12-30T14:05:00"},  // day zero: time only
      {Date::Zero(), "12:00:00 AM", "1899-12-30"},
      {Date(-1.25), "12/29/1899 6:00:00 AM", "1899-12-29T06:00:00"},
      {D(1800, 1, 1), "1/1/1800", "1800-01-01"},
  };
  for (const auto& [date, general, iso] : cases) {
    EXPECT_EQ(date.GeneralDate(), general);
    EXPECT_EQ(date.ToIso(), iso);
    EXPECT_EQ(Date::Parse(general), date) << general;
    EXPECT_EQ(Date::FromIso(iso), date) << iso;
  }
  EXPECT_EQ(Date::FromIso("2026-12-06 14:05"), D(2026, 12, 6, 14, 5));
  EXPECT_EQ(Date::FromIso("2026-12-06T14:05:09.250"), D(2026, 12, 6, 14, 5, 9));
  EXPECT_EQ(Date::Parse("  12/6/26 2:05 pm "), D(2026, 12, 6, 14, 5));
}

TEST(DateTest, MalformedTextIsRejected) {
  for (const char* text : {"", "2026-13-01", "2026-00-10", "2026-04-31", "2025-02-29", "1900-02-29", "2026-12-06x",
                           "2026-12-06 ", "2026-12-06T", "2026-12-06T10:00:00Z", "2026-12-06T24:00",
                           "2026-12-06T10:60", "26-12-06", "20261-12-06", "2026-12-06T10"}) {
    EXPECT_FALSE(Date::FromIso(text).has_value()) << '"' << text << '"';
  }
  for (const char* text : {"abc", "13/1/2026", "2/30/2026", "12/6/2026 13:00 PM", "12/6/2026 2:05:09 XM",
                           "12/6/2026 2:05:09 PM junk", "12/6", "2:61 PM"}) {
    EXPECT_FALSE(Date::Parse(text).has_value()) << '"' << text << '"';
  }
}

TEST(DateTest, SerialsAndNegativeDays) {
  EXPECT_EQ(D(1900, 1, 1).Serial(), 2);
  EXPECT_EQ(D(2026, 12, 6, 18).Serial(), 46362.75);
  EXPECT_EQ(D(2026, 13, 1), D(2027, 1, 1));  // out-of-range parts roll over
  EXPECT_EQ(D(2026, 3, 0), D(2026, 2, 28));
  // Before the epoch the day counts backwards while the fraction still adds time forward.
  EXPECT_EQ(D(1899, 12, 29, 6).Serial(), -1.25);
  EXPECT_EQ(D(1899, 12, 29, 18).Serial(), -1.75);
  EXPECT_EQ(Date(-1.25).Hour(), 6);
  EXPECT_EQ(Date(-0.5).GeneralDate(), "12:00:00 PM");  // noon of day zero, not the evening before
  // Ordering and day arithmetic follow time, not the raw serial.
  EXPECT_TRUE(Date(-1.25) < Date(-1.75));
  EXPECT_TRUE(Date(-1.75) < Date(0.25));
  EXPECT_EQ(Date(-1.25).AddDays(1).Serial(), 0.25);
  EXPECT_EQ(Date(0.25).AddDays(-1).Serial(), -1.25);
  EXPECT_EQ(Date(-1.25).AddDays(-1).Serial(), -2.25);
}

TEST(DateTest, AddMonthsClampsToTheTargetMonth) {
  EXPECT_EQ(D(2026, 1, 31).AddMonths(1), D(2026, 2, 28));
  EXPECT_EQ(D(2024, 1, 31).AddMonths(1), D(2024, 2, 29));
  EXPECT_EQ(D(2026, 12, 31).AddMonths(2), D(2027, 2, 28));
  EXPECT_EQ(D(2026, 3, 31).AddMonths(-1), D(2026, 2, 28));
  EXPECT_EQ(D(2026, 1, 15).AddMonths(-13), D(2024, 12, 15));
  EXPECT_EQ(D(2026, 1, 15).AddMonths(-12), D(2025, 1, 15));
  EXPECT_EQ(D(2026, 1, 31, 14, 5, 9).AddMonths(1), D(2026, 2, 28, 14, 5, 9));
  EXPECT_EQ(D(1899, 12, 29, 6).AddMonths(1), D(1900, 1, 29, 6));
  EXPECT_EQ(D(1900, 1, 29, 6).AddMonths(-1).Serial(), -1.25);
}

TEST(DateTest, TimesRoundToTheNearestSecond) {
  const double base = D(2026, 12, 6, 14, 5, 9).Serial();
  EXPECT_EQ(Date(base + 0.4 * kSecond).GeneralDate(), "12/6/2026 2:05:09 PM");
  EXPECT_EQ(Date(base + 50.7 * kSecond).GeneralDate(), "12/6/2026 2:06:00 PM");
  // Just before midnight rounds into the next day rather than showing 60 seconds.
  const Date late(D(2026, 12, 7).Serial() - 0.3 * kSecond);
  EXPECT_EQ(late.GeneralDate(), "12/7/2026");
  EXPECT_EQ(late.ToIso(), "2026-12-07");
  EXPECT_EQ(Date(-1.0 - (1 - 0.3 * kSecond)).GeneralDate(), "12:00:00 AM");
  EXPECT_EQ(Date(-2.0 - (1 - 0.3 * kSecond)).ToIso(), "1899-12-29");
}

}  // namespace
}  // namespace ridirodev
