#include "ridirodev/model/filter/filter.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "ridirodev/model/field.h"
#include "ridirodev/model/filter/template_fields.h"
#include "testing/errors.h"
#include "testing/fixtures.h"

namespace ridirodev {
namespace {

const std::string kParens =
    " parenthesis. Operator 'in' and 'not in' require that  arguments must be enclosed in ( ).";
const std::string kLeft = "Missing left" + kParens, kRight = "Missing right" + kParens;
const std::string kExtra = "Extra characters after the closing parenthesis.";
const std::string kPoint = "When creating a criteria only a  '.'  may be used as the decimal separator";
const std::string kRange =
    "In range operator '...' right operand value must be greater or equal to left operand value.";
const std::string kDateRange =
    "In range operator '...' right operand date value must be greater or equal to left operand date value.";

CFilterPtr Filter(int32_t row, const std::string& expression, const std::string& dataType = "I") {
  auto filter = std::make_shared<CFilter>();
  filter->Initialize(row, expression, dataType);
  return filter;
}

class FilterTest : public testing::SampleDictionaryTest {
 protected:
  FilterTest() {
    // The host's checks reject exactly these texts, so a message names what reached them.
    for (const char* text : {"42", "-42", "=> 5", "in 1,2", "x", ")", "", "'b'", "'it''s'", "'a...b'", "3.5"})
      host_->Support().rejected[text] = std::string("rejected ") + text;
  }
};

TEST_F(FilterTest, IsValidReadsOperatorListsAndRanges) {
  // expression, data type, valid, error
  const std::vector<std::tuple<std::string, std::string, bool, std::string>> cases = {
      // A missing or unknown operator means equality with the whole text; one minus is stripped.
      {"42", "I", false, "rejected 42"},
      {"--42", "I", false, "rejected -42"},
      {"<> -42", "I", false, "rejected 42"},
      {"=> 5", "I", false, "rejected => 5"},
      {"in 1,2", "I", false, "rejected in 1,2"},
      {"  >=  7  ", "I", true, ""},
      {"<=   ", "I", false, ""},
      {"abc", "X", false, ""},
      {"> 3.5", "F", false, "rejected 3.5"},
      {"> 3,5", "F", false, kPoint},
      {"--1", "F", false, kPoint},
      // Lists, with ranges for I, F and D only.
      {"in", "I", false, kLeft},
      {"not in ,1", "I", false, kLeft},
      {"in (1,2", "I", false, kRight},
      {"in (1,2) x", "I", false, kExtra},
      {"in (1,)", "I", false, "rejected )"},
      {"in (1, 3...7, 9)", "I", true, ""},
      {"in (-3...-7)", "I", false, kRange},
      {"in (3...x)", "I", false, "rejected x"},
      {"in (1.25...1.5, 2)", "F", true, ""},
      {"in (1.5...1.25)", "F", false, kRange},
      {"in (3...3)", "I", true, ""},  // equal ends are a range of one
      {"in (3...3)", "F", true, ""},
      {"in (2024-01-01 10:00...2024-01-01 10:00)", "D", true, ""},
      {"in ('a...b')", "S", false, "rejected 'a...b'"},
      {"in (2023-12-31...2024-01-01)", "D", true, ""},
      {"in (2024-01-01 10:00...2024-01-01 09:59)", "D", false, kDateRange},
      {"NOT IN('a','b')", "S", false, "rejected 'b'"},
      {"in ('it''s')", "E", false, "rejected 'it''s'"},
      {"in ('x,''y''', 'b')", "S", false, "rejected 'b'"},
      {"in ('abc)", "S", false, "rejected "},  // a quote never closed gives an empty item
  };
  for (const auto& [expression, dataType, valid, error] : cases) {
    std::string message = "stale";
    EXPECT_EQ(Filter(1, expression, dataType)->IsValid(message), valid) << expression;
    EXPECT_EQ(message, error) << expression;
  }
}

TEST_F(FilterTest, FormattedExpressionRewritesDatesOnly) {
  EXPECT_EQ(Filter(1, "3/5/2024 7:08:59 PM", "D")->FormattedExpression(), "2024-03-05 19:08");
  EXPECT_EQ(Filter(1, "> 2024-03-05", "D")->FormattedExpression(), "> 2024-03-05");
  EXPECT_EQ(Filter(1, "2024-03-05", "S")->FormattedExpression(), "2024-03-05");
}

TEST_F(FilterTest, FiltersOfARowReplaceEachOther) {
  const auto keys = [](const CFilters& filters) {
    std::string keys;
    for (const CFilterPtr& f : filters) keys += f->Key() + "=" + f->Expression() + f->DataType() + " ";
    return keys;
  };
  CTemplateField field;
  field.AddFilter(Filter(3, "  > 1 ", "F"));
  field.AddFilter(Filter(4, "2"));
  field.AddFilter(Filter(3, "3"));            // takes row 3's place at the end
  field.RemoveFilter(*Filter(9, "ignored"));  // absent: nothing happens
  const CFiltersPtr copy = field.Filters()->Clone();
  field.RemoveFilter(*Filter(4, "any text"));
  EXPECT_EQ(keys(*field.Filters()), "Id:3=3I ");
  EXPECT_EQ(keys(*copy), "Id:4=2I Id:3=3I ");
  EXPECT_NE(copy->Item(Variant("id:3")), field.Filters()->Item(Variant("Id:3")));
  EXPECT_EQ(Filter(3, "  > 1 ", "F")->Clone()->Expression(), "> 1");
}

CTemplateFieldPtr Placed(const std::string& name, int32_t entity, bool show, const std::string& sort) {
  auto field = std::make_shared<CField>();
  field->Initialize(1, name, entity, "Traffic", "RAW", 1, "I", false, name + "1", name + "2", "", "", 0, "",
                    {});
  auto placed = std::make_shared<CTemplateField>();
  placed->Initialize(field, nullptr, sort, show);
  return placed;
}

TEST_F(FilterTest, TemplateFieldsFindExactNamesOrPositions) {
  CTemplateFields fields;
  for (const auto& [name, sort] : {std::pair{"calls", "a"}, {"Calls", "b"}, {"Calls", "c"}, {"2", "d"}})
    fields.Add(Placed(name, 3, true, sort));
  const auto sortOf = [&](const Variant& v) { return fields.Exists(v) ? fields.Item(v)->SortOrder() : "-"; };
  // A text is always a name, compared with regard to case.
  EXPECT_EQ(sortOf("Calls") + sortOf("CALLS") + sortOf(2) + sortOf("2") + sortOf(0) + sortOf(5), "b-bd--");
  EXPECT_EQ(testing::ErrorOf([&] { fields.Remove(Variant(5)); }), ErrorNumber::kSubscriptOutOfRange);
  fields.Remove(Variant(1));
  EXPECT_EQ(sortOf(1), "b");
}

TEST_F(FilterTest, TemplateFieldsTableIsTransposed) {
  CTemplateFields fields;
  EXPECT_EQ(fields.Table(false, false, ";"), "Fields;\r\nShow;\r\nSort Order;\r\n");
  fields.Add(Placed("calls", 3, true, "Asc"));
  fields.Add(Placed("drops", 2, false, ""));
  fields.Add(std::make_shared<CTemplateField>());  // no field chosen yet: empty cells
  EXPECT_EQ(fields.Table(),
            "Fields\tcalls\tdrops\t\t\r\n"
            "Entity\tCell\tSwitch\t\t\r\n"
            "Heading Line 1\tcalls1\tdrops1\t\t\r\n"
            "Heading Line 2\tcalls2\tdrops2\t\t\r\n"
            "Show\tTrue\tFalse\tFalse\t\r\n"
            "Sort Order\tAsc\t\t\t\r\n");
}

}  // namespace
}  // namespace ridirodev
