#include "ridirodev/model/filter/property_filters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "testing/fixtures.h"

namespace ridirodev {
namespace {

// Values as written; an absent name answers the caller's default.
struct MemoryBag final : IPropertyBag {
  Variant ReadProperty(std::string_view name, const Variant& defaultValue = Variant()) const override {
    const auto found = values.find(name);
    return found == values.end() ? defaultValue : found->second;
  }
  void WriteProperty(std::string_view name, const Variant& value, const Variant& = Variant()) override {
    values[std::string(name)] = value;
  }
  std::map<std::string, Variant, std::less<>> values;
};

// Which of the texts the filter accepts, as "+" or "-" each.
template <class Accepts>
std::string Verdicts(const std::vector<std::string>& texts, Accepts accepts) {
  std::string verdicts;
  for (const std::string& text : texts) verdicts += accepts(text) ? '+' : '-';
  return verdicts;
}

using PropertyFiltersTest = testing::HostTest;

TEST_F(PropertyFiltersTest, DateFilterRendersPeriodsAndRanges) {
  CFilterDate filter;
  const auto accepts = [&](const std::string& text) { return filter.IsAccepted(text); };
  EXPECT_EQ(filter.FilterString() + filter.FilterExpression("C") + filter.SQLFilterExpression("C"), "");
  EXPECT_TRUE(filter.IsAccepted("not a date"));

  // A month's length depends on today: the seconds back to the same time of day months ago.
  const auto monthSeconds = [](int months) {
    return std::to_string(std::lround(Date::Now().Serial() - Date::Now().AddMonths(-months).Serial()) *
                          86400);
  };
  // type, units, FilterString, seconds in FilterExpression, days in SQLFilterExpression
  const std::vector<std::tuple<ERelativeType, int32_t, std::string, std::string, std::string>> cases = {
      {ERelativeType::rHours, 1, "Last hour", "3600", ""},
      {ERelativeType::rHours, 2, "Last 2 hours", "7200", "0.0833333333333333"},
      {ERelativeType::rDays, 1, "Yesterday", "86400", "1"},
      {ERelativeType::rDays, 2, "Last 2 days", "172800", "2"},
      {ERelativeType::rMinutes, 1, "Last minute", "60", ""},
      {ERelativeType::rMinutes, 2, "Last 2 minutes", "120", ""},
      {ERelativeType::rMonths, 1, "Last month", monthSeconds(1), ""},
      {ERelativeType::rMonths, 2, "Last 2 months", monthSeconds(2), ""},
      {static_cast<ERelativeType>(4), 5, "", "0", "0"},
  };
  filter.SetRelative(true);
  for (const auto& [type, units, text, seconds, days] : cases) {
    filter.SetRelativeType(type);
    filter.SetRelativeUnits(units);
    EXPECT_EQ(filter.FilterString(), text);
    EXPECT_EQ(filter.FilterExpression("C"), "C <= systime() && C >= systime()-(" + seconds + ")") << text;
    if (!days.empty()) {
      EXPECT_EQ(filter.SQLFilterExpression("C"), "sysdate -  C <= " + days) << text;
    }
  }
  filter.SetRelativeType(ERelativeType::rMonths);
  const auto iso = [](const Date& date, double days) { return date.AddDays(days).ToIso(); };
  for (const int32_t months : {1, 3}) {  // calendar months back from now, not 30 days each
    filter.SetRelativeUnits(months);
    const Date start = Date::Now().AddMonths(-months);
    EXPECT_EQ(Verdicts({iso(start, 0.05), iso(start, -1), iso(Date::Now(), 0.05)}, accepts), "+--") << months;
  }

  filter.SetRelative(false);
  filter.SetMinDate(Date::FromParts(2024, 1, 2));
  EXPECT_EQ(filter.FilterString() + filter.FilterExpression("C"), "");  // no upper end: no range
  filter.SetMaxDate(Date::FromParts(2024, 3, 4, 10, 30));
  EXPECT_EQ(filter.FilterString(), "Between 1/2/2024 and 3/4/2024 10:30:00 AM");
  EXPECT_EQ(filter.FilterExpression("C") + filter.SQLFilterExpression("C"),
            "C >= 'style 4:2024-01-02' && C <= 'style 4:2024-03-04T10:30:00'");
  EXPECT_EQ(
      Verdicts({"2024-01-02", " 2024-03-04 10:30 ", "2024-01-01 23:59", "2024-03-04 10:31", "soon"}, accepts),
      "++---");
}

TEST_F(PropertyFiltersTest, NumberFilterBoundsAreInclusive) {
  // min, max, FilterString, FilterExpression, verdicts on 3, 4.9, 5, 12, abc, ""
  const std::vector<std::tuple<Variant, Variant, std::string, std::string, std::string>> cases = {
      {5, Variant(), "5 or greater", "n >= 5", "--++--"},
      {Variant(), " 4.9 ", "4.9 or lesser", "n <= 4.9", "++----"},
      {3, 3.0, "Equal to 3", "n >= 3 && n <= 3", "+-----"},
      {"3", 5, "Between 3 and 5", "n >= 3 && n <= 5", "+++---"},
      {Variant(), "  ", "", "", "++++++"},
  };
  for (const auto& [min, max, text, expression, verdicts] : cases) {
    CFilterNumber filter;
    filter.SetMinValue(min);
    filter.SetMinValue("seven");  // not a number: ignored
    filter.SetMaxValue(9);
    filter.SetMaxValue(max);  // empty or blank: cleared
    EXPECT_EQ(filter.FilterString(), text);
    EXPECT_EQ(filter.FilterExpression("n"), expression);
    std::string sql = expression;
    if (const size_t at = sql.find(" && "); at != std::string::npos) sql.replace(at, 4, " AND ");
    EXPECT_EQ(filter.SQLFilterExpression("n"), sql);
    EXPECT_EQ(Verdicts({"3", "4.9", "5", "12", "abc", ""}, [&](auto& t) { return filter.IsAccepted(t); }),
              verdicts)
        << text;
  }
}

TEST_F(PropertyFiltersTest, StringFilterMatchesByPatternWholeTextOrPart) {
  CFilterString filter;
  filter.SetValue("   ");  // not set: accepts everything, renders nothing
  EXPECT_EQ(filter.FilterString() + filter.FilterExpression("n") + filter.FilterExpressionRE("n") +
                filter.SQLFilterExpression("n") + (filter.IsAccepted("x") ? "" : "rejected"),
            "");

  filter.SetValue("O'Br*n [1]");
  EXPECT_EQ(filter.FilterString(), "O'Br*n [1]");
  EXPECT_EQ(filter.FilterExpression("Name"), R"(matchesRE( Name, "[p]O'Br*n [1]" ))");
  EXPECT_EQ(filter.FilterExpressionRE("Name"), R"x(matchesRE( tolower(Name),"o'br*n \\\\[1\\\\]"))x");
  EXPECT_EQ(filter.SQLFilterExpression("Name"), "Name LIKE 'O''Br*n [1]'");

  // pattern, complete, match case, value, verdicts on "ABCD", "abcd", "xB*Dx"
  const std::vector<std::tuple<bool, bool, bool, std::string, std::string>> cases = {
      {true, false, false, "bc?", "++-"},  {true, true, false, "a*d", "++-"},
      {false, true, false, "abcd", "++-"}, {false, true, true, "abcd", "-+-"},
      {false, false, false, "b*d", "--+"}, {false, false, true, "bc", "-+-"},
  };
  for (const auto& [pattern, complete, matchCase, value, verdicts] : cases) {
    filter.SetUsePatternMatching(pattern);
    filter.SetCompleteMatch(complete);
    filter.SetMatchCase(matchCase);
    filter.SetValue(value);
    EXPECT_EQ(Verdicts({"ABCD", "abcd", "xB*Dx"}, [&](auto& t) { return filter.IsAccepted(t); }), verdicts)
        << value;
  }
  filter.Clear();  // empties the value and turns pattern matching back on; keeps the other options
  filter.SetValue(filter.Value() + "x");
  EXPECT_EQ(filter.FilterExpression("n"), R"(matchesRE( n, "[pm]x" ))");
}

TEST_F(PropertyFiltersTest, EnumFilterTakesValuesOrTechnologyLetters) {
  CFilterEnum filter;
  EXPECT_EQ(filter.FilterString() + filter.FilterExpression("Tech"), "");
  EXPECT_TRUE(filter.IsAccepted("", false));
  filter.SetValue("A,B");
  EXPECT_EQ(filter.FilterString() + filter.FilterExpression("Tech") + filter.FilterExpression("Tech", false) +
                filter.SQLFilterExpression("Tech"),
            R"(A,BInGroup(Tech,"A","B")InGroup(Tech,A,B))");
  const std::vector<std::string> texts = {"XBZ", "A", "a", "xyz", ",", "A,B", ""};
  EXPECT_EQ(Verdicts(texts, [&](auto& t) { return filter.IsAccepted(t, true); }), "++---+-");
  EXPECT_EQ(Verdicts(texts, [&](auto& t) { return filter.IsAccepted(t, false); }), "-+-----");
}

TEST_F(PropertyFiltersTest, PropertyBagsRoundTripAndAbsentNamesKeepValues) {
  CFilterDate date;
  CFilterNumber number;
  number.SetMaxValue(8);  // cleared by the empty value read
  CFilterString text;
  CFilterEnum values;
  const std::vector<IXMLPropertyBag*> filters = {&date, &number, &text, &values};
  MemoryBag stored;
  stored.values = {{"Relative", true},      {"RelativeType", 3},
                   {"RelativeUnits", 4},    {"MinValue", "-2.5"},
                   {"MaxValue", ""},        {"StringValue", "x*"},
                   {"PatternMatch", false}, {"CompleteMatch", false},
                   {"MatchCase", true},     {"EnumValue", "a&lt;b,c&amp;d"}};
  for (IXMLPropertyBag* filter : filters) filter->ReadProperties(stored);
  const auto state = [&] {
    return date.FilterString() + "|" + number.FilterString() + "|" + text.FilterExpression("n") + "|" +
           values.FilterExpression("t", false);
  };
  const std::string restored = R"(Last 4 minutes|-2.5 or greater|matchesRE( n, "[m]x*" )|InGroup(t,a<b,c&d))";
  EXPECT_EQ(state(), restored);
  MemoryBag written;
  for (IXMLPropertyBag* filter : filters) filter->WriteProperties(written);
  for (const auto& [name, value] : stored.values)
    EXPECT_EQ(written.values[name].ToString(), value.ToString()) << name;

  // Dates come back through the host's XML converter; absent or unreadable values change nothing.
  MemoryBag partial;
  partial.values = {{"MinDate", "2024-01-02"},
                    {"MaxDate", "2024-03-04T10:30:00"},
                    {"Relative", "maybe"},
                    {"MinValue", "n/a"}};
  for (IXMLPropertyBag* filter : filters) filter->ReadProperties(partial);
  EXPECT_EQ(state(), restored);
  date.SetRelative(false);
  EXPECT_EQ(date.FilterString(), "Between 1/2/2024 and 3/4/2024 10:30:00 AM");
  MemoryBag dates;
  date.WriteProperties(dates);
  EXPECT_EQ(dates.values["MinDate"].ToString() + " " + dates.values["MaxDate"].ToString(),
            "2024-01-02 2024-03-04T10:30:00");
}

}  // namespace
}  // namespace ridirodev
