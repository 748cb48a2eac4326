#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ridirodev {

// The automation date: days since 30 December 1899 as a double, the time of day as the
// fraction. Negative values count days backwards while the fraction still adds time forward.
class Date {
 public:
  constexpr Date() noexcept = default;
  constexpr explicit Date(double serial) noexcept : serial_(serial) {}

  static Date FromParts(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
  static Date Now();
  static constexpr Date Zero() noexcept { return Date(); }

  constexpr double Serial() const noexcept { return serial_; }
  constexpr bool IsZero() const noexcept { return serial_ == 0.0; }

  int Year() const;
  int Month() const;
  int Day() const;
  int Hour() const;
  int Minute() const;
  int Second() const;
  bool HasTime() const;

  // Calendar month arithmetic: the day is clamped to the length of the target month.
  Date AddMonths(int months) const;
  Date AddDays(double days) const { return Date(FromLinear(ToLinear() + days)); }

  // "2026-12-06T14:05:09", or "2026-12-06" when there is no time of day.
  std::string ToIso() const;
  // Accepts "YYYY-MM-DD", "YYYY-MM-DD hh:mm[:ss[.fff]]" and the same with "T".
  static std::optional<Date> FromIso(std::string_view text);

  // US English General Date: "12/6/2026 2:05:09 PM", "12/6/2026" at midnight,
  // "2:05:00 PM" on day zero ("12:00:00 AM" for the zero date itself).
  std::string GeneralDate() const;
  // Accepts General Date text as produced above, and ISO text.
  static std::optional<Date> Parse(std::string_view text);

  friend constexpr bool operator==(Date a, Date b) noexcept { return a.serial_ == b.serial_; }
  friend bool operator<(Date a, Date b) noexcept { return a.ToLinear() < b.ToLinear(); }

 private:
  struct Parts {
    int year, month, day, hour, minute, second;
  };
  Parts Split() const;
  // Days on a continuous scale (the serial's negative days carry a forward fraction).
  double ToLinear() const noexcept;
  static double FromLinear(double linear) noexcept;

  double serial_ = 0.0;
};

}  // namespace ridirodev
