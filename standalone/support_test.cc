#include "standalone/support.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "ridirodev/core/automation_error.h"
#include "standalone/controls.h"
#include "standalone/messages.h"

namespace ridirodev::standalone {
namespace {

// ---- fakes of what the component hands to the renderer --------------------------------

class RowItem : public ILVItemObject {
 public:
  explicit RowItem(std::map<int32_t, Variant> values) : values_(std::move(values)) {}
  std::string Key() const override { return values_.at(256).ToString(); }
  Variant Value(int32_t column) const override {
    auto found = values_.find(column);
    return found == values_.end() ? Variant() : found->second;
  }
  std::string ValueList(int32_t, const std::string&) const override { return {}; }
  int32_t Compare(int32_t, const ILVItemObject&) const override { return 0; }

 private:
  std::map<int32_t, Variant> values_;
};

class Rows : public ILVItemCollection {
 public:
  std::shared_ptr<ILVItemCollection> Create() const override { return std::make_shared<Rows>(); }
  ILVItemObjectPtr Add(ILVItemObjectPtr item) override {
    items_.push_back(item);
    return item;
  }
  void Delete(const Variant&) override {}
  int32_t Count() const override { return static_cast<int32_t>(items_.size()); }
  ILVItemObjectPtr Item(const Variant& keyOrIndex) const override {
    const int32_t i = keyOrIndex.ToInt32();
    return i >= 1 && i <= Count() ? items_[static_cast<size_t>(i) - 1] : nullptr;
  }

 private:
  std::vector<ILVItemObjectPtr> items_;
};

StandaloneConfig Config() {
  StandaloneConfig c;
  c.daySlots = 96;
  c.appTitle = "Dictionary";
  return c;
}

// ---- pattern matcher -------------------------------------------------------------------

struct MatchCase {
  const char* text;
  const char* pattern;
  bool complete;
  bool expected;
};

TEST(MatchWildcardTest, Wildcards) {
  const MatchCase cases[] = {
      {"Call Attempts", "call*", true, true},
      {"Call Attempts", "*ATTEMPTS", true, true},
      {"Call Attempts", "call", true, false},
      {"Call Attempts", "call", false, true},  // anywhere
      {"Call Attempts", "tempts?", false, false},
      {"Drops_2G", "Drops_#G", true, true},
      {"Drops_XG", "Drops_#G", true, false},
      {"Cell 1", "Cell ##", true, false},
      {"Sector B", "Sector [abc]", true, true},  // sets fold too
      {"Sector D", "Sector [a-c]", true, false},
      {"Sector D", "Sector [!a-c]", true, true},
      {"Sector b", "Sector [!A-C]", true, false},
      {"a-b", "a[-x]b", true, true},  // "-" first is a member
      {"a]b", "a[]]b", true, true},
      {"a[b", "a[b", true, true},  // unclosed "[" is itself
      {"a*b", "a[*]b", true, true},
      {"", "*", true, true},
      {"x", "", true, false},
      {"x", "", false, true},
      {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*c", true, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MatchWildcard(c.text, c.pattern, c.complete, false), c.expected)
        << "text '" << c.text << "' pattern '" << c.pattern << "' complete " << c.complete;
  }
}

TEST(MatchWildcardTest, Utf8CharactersCountAsOneAndCaseCanMatter) {
  EXPECT_TRUE(MatchWildcard("Célula", "C?lula", true, false));
  EXPECT_FALSE(MatchWildcard("Célula", "C??lula", true, false)) << "two bytes are one character";
  EXPECT_TRUE(MatchWildcard("Zelle Ö", "Zelle [Ä-Ö]", true, false));
  EXPECT_FALSE(MatchWildcard("Calls", "calls", true, true));
  StandaloneSupport support(Config());
  EXPECT_TRUE(support.MatchPattern("Blocked Calls", "blocked*", true, 0));
  EXPECT_FALSE(support.MatchPattern("Blocked Calls", "blocked*", true, kMatchCase));
}

// ---- checks and conversions ------------------------------------------------------------

TEST(StandaloneSupportTest, IntegerAndNumberChecks) {
  StandaloneSupport s(Config());
  EXPECT_EQ(s.CheckInteger(" 42 ").value, Variant(42));
  EXPECT_EQ(s.CheckInteger("-2147483648").value, Variant(INT32_MIN));
  EXPECT_EQ(s.CheckInteger("+0002147483647").value, Variant(INT32_MAX));
  EXPECT_EQ(s.CheckInteger("12x").message, "'12x' is not a valid integer.");
  for (const char* bad : {"", "-", "1.0", "1e3", "1 2", "0x10"}) {
    EXPECT_FALSE(s.CheckInteger(bad).ok) << bad;
  }
  for (const char* big : {"2147483648", "-2147483649", "99999999999999999999"}) {
    const ValueCheck c = s.CheckInteger(big);
    EXPECT_FALSE(c.ok);
    EXPECT_NE(c.message.find("outside the integer range"), std::string::npos) << big;
  }

  EXPECT_EQ(s.CheckNumber("-1e3").value, Variant(-1000.0));
  EXPECT_EQ(s.CheckNumber("3,5").message, "'3,5' is not a valid number.");
  EXPECT_FALSE(s.CheckNumber("").ok);
  EXPECT_DOUBLE_EQ(s.ToNumber(" 7.25 "), 7.25);
  EXPECT_THROW(s.ToNumber("seven"), AutomationError);
}

TEST(StandaloneSupportTest, TextChecksUnquoteAndRejectBrokenQuotes) {
  StandaloneSupport s(Config());
  EXPECT_EQ(s.CheckText("'it''s'").value, Variant("it's"));
  EXPECT_EQ(s.CheckText("''").value, Variant(""));
  EXPECT_EQ(s.CheckText(" Cell 12 ").value, Variant("Cell 12"));
  EXPECT_NE(s.CheckText("'abc").message.find("missing its closing quote"), std::string::npos);
  EXPECT_NE(s.CheckText("'it's'").message.find("not doubled"), std::string::npos);
  // The closing parenthesis of an empty list is not a value.
  for (const char* bad : {")", "a,b", ""}) EXPECT_FALSE(s.CheckText(bad).ok) << bad;
}

TEST(StandaloneSupportTest, DateChecksTakeIsoAndGeneralDates) {
  StandaloneSupport s(Config());
  const Date expected = Date::FromParts(2026, 12, 6, 14, 5, 9);
  EXPECT_EQ(s.CheckDate("2026-12-06 14:05:09").value, Variant(expected));
  EXPECT_EQ(s.CheckDate("'12/6/2026 2:05:09 PM'").value, Variant(expected));
  EXPECT_EQ(s.CheckDate("2026-12-06").value, Variant(Date::FromParts(2026, 12, 6)));
  const ValueCheck bad = s.CheckDate("2026-13-01");
  EXPECT_FALSE(bad.ok);
  EXPECT_EQ(bad.message.rfind("'2026-13-01' is not a valid date", 0), 0u) << bad.message;
}

TEST(StandaloneSupportTest, XmlValuesRoundTrip) {
  StandaloneSupport s(Config());
  const Date d = Date::FromParts(2026, 12, 6, 14, 5, 9);
  EXPECT_EQ(s.ToXmlValue(Variant(d)), "2026-12-06T14:05:09");
  EXPECT_EQ(s.FromXmlDate(s.ToXmlValue(Variant(d))), d);
  EXPECT_EQ(s.ToXmlValue(Variant(Date::FromParts(2026, 1, 2))), "2026-01-02");
  EXPECT_EQ(s.ToXmlValue(Variant(-2.5e-7)), "-2.5E-07");
  EXPECT_DOUBLE_EQ(s.FromXmlNumber(s.ToXmlValue(Variant(-2.5e-7))), -2.5e-7);
  EXPECT_EQ(s.ToXmlValue(Variant(true)), "true");
  EXPECT_EQ(s.ToXmlValue(Variant::Null()), "");
  EXPECT_THROW(s.ToXmlValue(Variant(std::make_shared<TableRenderContext>())), AutomationError);
  // Unreadable text leaves a filter bound unset.
  EXPECT_TRUE(s.FromXmlDate("yesterday").IsZero());
  EXPECT_EQ(s.FromXmlNumber("n/a"), 0.0);
}

TEST(StandaloneSupportTest, QuotingEncodingAndComparison) {
  StandaloneSupport s(Config());
  EXPECT_EQ(s.QuoteQueryString(R"(a"b\c)"), R"("a\"b\\c")");
  EXPECT_EQ(s.QuoteQueryString(""), R"("")");
  EXPECT_EQ(s.XmlEncode(R"(<a & 'b' "c">)"), "&lt;a &amp; &apos;b&apos; &quot;c&quot;&gt;");

  EXPECT_EQ(s.CompareText("calls", "CALLS"), 0);
  EXPECT_EQ(s.CompareText("drops", "Calls"), 1);
  EXPECT_EQ(s.CompareText("Call", "Calls"), -1);
  EXPECT_EQ(s.CompareText("a", "B"), -1) << "folded, not ASCII order";
  EXPECT_EQ(s.CompareText("a", "B", kMatchCase), 1);
  const Date early = Date::FromParts(2026, 1, 1);
  const Date late = Date::FromParts(2026, 1, 1, 0, 0, 1);
  EXPECT_EQ(s.CompareDate(early, late), -1);
  EXPECT_EQ(s.CompareDate(late, late), 0);
  // Before the zero date the fraction still counts forward: -1.25 is 6:00, -1.5 noon of one day.
  EXPECT_EQ(s.CompareDate(Date(-1.25), Date(-1.5)), -1);
}

// ---- property sets ---------------------------------------------------------------------

TEST(PropertySetTest, RendersAvailableColumnsAlignedByCharacters) {
  StandaloneSupport s(Config());
  IAppPropertySetPtr set = s.CreatePropertySet();
  set->Add(s.CreatePropertyDefinition(256, "Name", 1200, 0, true, 0));
  set->Add(s.CreatePropertyDefinition(9999, "Hidden", 1200, 0, false, 0));
  set->Add(s.CreatePropertyDefinition(512, "Entity", 1200, 0, true, 0));
  set->Add(s.CreatePropertyDefinition(3072, "Data Type", 1200, 0, true, 0));
  EXPECT_EQ(set->Count(), 4);
  EXPECT_EQ(set->ItemById(512)->Name(), "Entity");
  EXPECT_EQ(set->Item(5), nullptr);

  Rows rows;
  rows.Add(std::make_shared<RowItem>(
      std::map<int32_t, Variant>{{256, "Übergaben"}, {512, "Zelle"}, {3072, "I"}, {9999, "x"}}));
  rows.Add(std::make_shared<RowItem>(
      std::map<int32_t, Variant>{{256, "Drops"}, {512, Variant::Null()}, {3072, 1.5}}));
  rows.Add(std::make_shared<RowItem>(std::map<int32_t, Variant>{{256, "Two\nLines"}, {512, "Sector"}}));

  EXPECT_EQ(set->RenderTable(rows, true, 0, 0, 0, s.TableRendererContext()),
            "Name       Entity  Data Type\n---------  ------  ---------\nÜbergaben  Zelle   I\nDrops         "
            "     1.5\nTwo Lines  Sector\n");

  auto context = std::make_shared<TableRenderContext>();
  context->columnSeparator = " | ";
  EXPECT_EQ(set->RenderTable(rows, false, 0, 0, 0, context),
            "Übergaben | Zelle  | I\nDrops     |        | 1.5\nTwo Lines | Sector |\n");

  EXPECT_EQ(s.CreatePropertySet()->RenderTable(rows, true, 0, 0, 0, nullptr), "\n\n\n");
  EXPECT_EQ(set->RenderTable(Rows(), true, 0, 0, 0, nullptr),
            "Name  Entity  Data Type\n----  ------  ---------\n");
}

// ---- combos, lists, slots --------------------------------------------------------------

TEST(StandaloneSupportTest, ComboPreparationAndCompletion) {
  StandaloneSupport s(Config());
  ComboBox combo;
  combo.AddItem("stale");
  s.PrepareCombo(combo, "Field Types", "All");
  combo.AddItem("Peg");
  EXPECT_TRUE(s.ComboHas(combo, "peg"));
  EXPECT_FALSE(s.ComboHas(combo, "stale"));
  EXPECT_EQ(combo.ListIndex(), -1);
  s.CompleteCombo(combo);
  EXPECT_EQ(combo.Text(), "All");

  EXPECT_EQ(s.DaySlotCount(), 96);
  EXPECT_EQ(s.DaySlotCount(false), 24);
  IAppStringListPtr list = s.CreateStringList();
  list->Add("Sum");
  list->Add("sum");
  EXPECT_EQ(list->Count(), 1);
}

// ---- log and messages ------------------------------------------------------------------

TEST(StandaloneSupportTest, LogAppendsOneLinePerEntry) {
  char name[] = "/tmp/ridirodev_log_XXXXXX";
  const int fd = mkstemp(name);
  ASSERT_GE(fd, 0);
  close(fd);
  std::ofstream(name) << "earlier\n";
  StandaloneConfig c = Config();
  c.logFile = name;
  {
    StandaloneSupport s(c);
    s.Log(2, "Ridirodev", "CRidirodevInitializer", "Initialize", {"unable to initialize DB object", "a\nb"});
    s.Log(3, "Ridirodev", "M", "Op", {});
  }
  std::ifstream in(name);
  std::string first, second, third;
  std::getline(in, first);
  std::getline(in, second);
  std::getline(in, third);
  std::filesystem::remove(name);
  EXPECT_EQ(first, "earlier");
  // Each line is "<ISO timestamp with milliseconds> [level] source class operation: texts".
  ASSERT_GT(second.size(), 24u) << second;
  EXPECT_EQ(second[10], 'T');
  EXPECT_EQ(second[19], '.');
  EXPECT_EQ(second.substr(23),
            " [2] Ridirodev CRidirodevInitializer Initialize: unable to initialize DB object | a\\nb");
  ASSERT_GT(third.size(), 24u) << third;
  EXPECT_EQ(third.substr(23), " [3] Ridirodev M Op:");
}

TEST(StandaloneMessagesTest, BoxesAnswerWithTheConfiguredOrDefaultButton) {
  using namespace MessageBoxResult;
  using Style = int32_t;
  const Style yesNo = MessageBoxStyle::kYesNo | MessageBoxStyle::kQuestion;
  EXPECT_EQ(StandaloneMessages::Answer(MessageBoxStyle::kOkOnly | MessageBoxStyle::kCritical, ""), kOk);
  EXPECT_EQ(StandaloneMessages::Answer(yesNo, ""), kYes);
  EXPECT_EQ(StandaloneMessages::Answer(yesNo | 256, ""), kNo) << "second button as default";
  EXPECT_EQ(StandaloneMessages::Answer(1 | 512, ""), kOk) << "no third button: the first";
  EXPECT_EQ(StandaloneMessages::Answer(3, "cancel"), kCancel);
  EXPECT_EQ(StandaloneMessages::Answer(yesNo, "cancel"), kYes) << "a button the box lacks gives the default";
  EXPECT_EQ(StandaloneMessages::Answer(MessageBoxStyle::kOkOnly, "no"), kOk);

  StandaloneConfig c = Config();
  c.messageBoxAnswer = "no";
  auto support = std::make_shared<StandaloneSupport>(c);
  std::ostringstream out;
  StandaloneMessages messages(support, out);
  EXPECT_EQ(messages.MessageBox("Delete the expression?\r\nIt is used.", yesNo, "Confirm"), kNo);
  EXPECT_EQ(messages.MessageBox("Saved.", MessageBoxStyle::kInformation, ""), kOk);
  EXPECT_EQ(out.str(),
            "[Confirm]\n  Delete the expression?\n  It is used.\n  Yes/No -> No\n[Dictionary]\n  Saved.\n  "
            "OK -> OK\n");
}

TEST(StandaloneMessagesTest, TracesReachTheLogOnlyWhenTracingIsOn) {
  StandaloneConfig c = Config();
  auto support = std::make_shared<StandaloneSupport>(c);
  std::ostringstream log, boxes;
  support->SetLogStream(log);
  StandaloneMessages messages(support, boxes);
  EXPECT_FALSE(messages.TraceEnabled());
  messages.Trace("Query: SELECT 1", 10);
  EXPECT_EQ(log.str(), "");
  messages.SetTraceEnabled(true);
  messages.Trace("Saving expression.\r\nQuery: BEGIN", 10);
  messages.Report("Field list refreshed", false);
  const std::string text = log.str();
  EXPECT_NE(text.find("[10] Ridirodev Messages Trace: Saving expression.\\nQuery: BEGIN\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("[3] Ridirodev Messages Report: Field list refreshed\n"), std::string::npos) << text;
  EXPECT_EQ(boxes.str(), "");

  c.trace = true;
  EXPECT_TRUE(StandaloneMessages(std::make_shared<StandaloneSupport>(c), boxes).TraceEnabled());
}

}  // namespace
}  // namespace ridirodev::standalone
