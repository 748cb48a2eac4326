#include "standalone/support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
// GCC 12 warns about its own <regex> internals under the sanitizers.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <regex>
#pragma GCC diagnostic pop
#include <sstream>

#include "ridirodev/core/automation_error.h"
#include "standalone/controls.h"
#include "standalone/messages.h"
#include "testing/sample.h"
#include "testing/temp_dir.h"

namespace ridirodev::standalone {
namespace {

// A list row: values by column id. The list renders rows by position.
struct RowItem : ILVItemObject {
  explicit RowItem(std::map<int32_t, Variant> row) : values(std::move(row)) {}
  std::string Key() const override { return Value(256).ToString(); }
  Variant Value(int32_t c) const override { return values.count(c) ? values.at(c) : Variant(); }
  std::string ValueList(int32_t, const std::string&) const override { return {}; }
  int32_t Compare(int32_t, const ILVItemObject&) const override { return 0; }
  std::map<int32_t, Variant> values;
};

struct Rows : ILVItemCollection {
  explicit Rows(std::initializer_list<std::map<int32_t, Variant>> rows = {}) {
    for (const auto& row : rows) items.push_back(std::make_shared<RowItem>(row));
  }
  std::shared_ptr<ILVItemCollection> Create() const override { return std::make_shared<Rows>(); }
  ILVItemObjectPtr Add(ILVItemObjectPtr item) override { return items.emplace_back(std::move(item)); }
  void Delete(const Variant&) override {}
  int32_t Count() const override { return static_cast<int32_t>(items.size()); }
  ILVItemObjectPtr Item(const Variant& index) const override {
    const int32_t i = index.ToInt32();
    return i >= 1 && i <= Count() ? items[static_cast<size_t>(i) - 1] : nullptr;
  }
  std::vector<ILVItemObjectPtr> items;
};

TEST(MatchWildcardTest, Wildcards) {
  struct Case {
    const char* text;
    const char* pattern;
    bool complete;
    bool expected;
  };
  const Case cases[] = {
      {"Call Attempts", "call*", true, true},
      {"Call Attempts", "call", true, false},
      {"Call Attempts", "call", false, true},  // anywhere
      {"Drops_2G", "Drops_#G", true, true},
      {"Cell 1", "Cell ##", true, false},
      {"Sector B", "Sector [abc]", true, true},  // sets fold too
      {"Sector b", "Sector [!A-C]", true, false},
      {"a-b", "a[-x]b", true, true},  // "-" first is a member
      {"a[b", "a[b", true, true},     // unclosed "[" is itself
      {"a[[[b", "a[[[b", true, true},
      {"[]", "[]", true, true},   // the "]" is a member, so the set is unclosed
      {"x", "[[x]", true, true},  // "[" in a set is a member
      {"abcabcabd", "*abd", true, true},
      {"ab", "**a***b**", true, true},
      {"", "", false, true},
      {"Ö", "[ö]", true, false},  // only ASCII letters fold
      {"ß", "[!ß]", true, false},
      {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*c", true, false},
      {"Célula", "C?lula", true, true},  // characters, not bytes
      {"Célula", "C??lula", true, false},
      {"Zelle Ö", "Zelle [Ä-Ö]", true, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MatchWildcard(c.text, c.pattern, c.complete, false), c.expected)
        << "text '" << c.text << "' pattern '" << c.pattern << "' complete " << c.complete;
  }
  StandaloneSupport support{StandaloneConfig{}};
  EXPECT_FALSE(support.MatchPattern("Blocked Calls", "blocked*", true, kMatchCase));
  // The pattern is kept between calls: other options must not reuse it.
  EXPECT_TRUE(support.MatchPattern("Blocked Calls", "blocked*", true, 0));
  EXPECT_FALSE(support.MatchPattern("Blocked Calls", "locked", true, 0));
  EXPECT_TRUE(support.MatchPattern("Blocked Calls", "locked", false, 0));
}

// The expression must find what the wildcard matcher finds, for every option.
TEST(PatternRegexTest, AgreesWithTheWildcardMatcher) {
  const char* patterns[] = {"call*",  "Drops_#G", "Sector [abc]", "Sector [!A-C]", "a[-x]b", "a[b",
                            "[]",     "[[x]",     "*abd",         "a.b+c(d)",      "[]a]",   "[!]a]",
                            "[z-a]x", "[!z-a]x",  "^$|{}\\",      "a[^b]c",        "x?y",    "*",
                            "?"};
  const char* texts[] = {"Call Attempts", "call",     "Drops_2G", "Sector B", "Sector b", "Sector d",
                         "a-b",           "axb",      "a[b",      "[]",       "x",        "abcabd",
                         "a.b+c(d)",      "A.B+C(D)", "]a",       "ba",       "x\ny",     "^$|{}\\",
                         "a^c",           "abc",      "yx",       ""};
  StandaloneSupport s{StandaloneConfig{}};
  for (const char* pattern : patterns) {
    for (const bool complete : {false, true}) {
      for (const bool matchCase : {false, true}) {
        std::string expression = s.PatternRegex(pattern, false, true, complete, matchCase);
        ASSERT_EQ(expression.starts_with("(?i)"), !matchCase) << expression;
        if (!matchCase) expression.erase(0, 4);
        const std::regex re(expression, matchCase ? std::regex::ECMAScript : std::regex::icase);
        for (const char* text : texts) {
          EXPECT_EQ(std::regex_search(text, re), MatchWildcard(text, pattern, complete, matchCase))
              << "pattern '" << pattern << "' as " << expression << ", text '" << text << "', complete "
              << complete << ", match case " << matchCase;
        }
      }
    }
  }
  EXPECT_EQ(s.PatternRegex("", false, true, true, false), "");
  EXPECT_EQ(s.PatternRegex("a*b?", false, false, true, true), "^a\\*b\\?$");  // plain text
  EXPECT_EQ(s.PatternRegex("a|b", true, true, true, false), "(?i)^(?:a|b)$");
}

TEST(StandaloneSupportTest, ChecksConversionsAndComparisons) {
  StandaloneSupport s{StandaloneConfig{}};
  EXPECT_EQ(s.CheckInteger(" 42 ").value, Variant(42));
  EXPECT_EQ(s.CheckInteger("0002147483647").value, Variant(INT32_MAX));
  EXPECT_EQ(s.CheckInteger("12x").message, "'12x' is not a valid integer.");
  for (const char* bad : {"", "-", "1.0", "1e3", "1 2", "0x10", "-5", "+5", " -5"}) {
    EXPECT_FALSE(s.CheckInteger(bad).ok) << bad;
  }
  EXPECT_NE(s.CheckInteger("2147483648").message.find("outside the integer range"), std::string::npos);

  EXPECT_EQ(s.CheckNumber("-1e3").value, Variant(-1000.0));
  EXPECT_EQ(s.CheckNumber("3,5").message, "'3,5' is not a valid number.");
  EXPECT_THROW(s.ToNumber("seven"), AutomationError);
  EXPECT_EQ(s.CheckText("'it''s'").value, Variant("it's"));
  EXPECT_NE(s.CheckText("'abc").message.find("missing its closing quote"), std::string::npos);
  EXPECT_NE(s.CheckText("'it's'").message.find("not doubled"), std::string::npos);
  // The closing parenthesis of an empty list is not a value.
  for (const char* bad : {")", "a,b", ""}) EXPECT_FALSE(s.CheckText(bad).ok) << bad;
  const Date expected = Date::FromParts(2026, 12, 6, 14, 5, 9);
  EXPECT_EQ(s.CheckDate("2026-12-06 14:05:09").value, Variant(expected));
  EXPECT_EQ(s.CheckDate("'12/6/2026 2:05:09 PM'").value, Variant(expected));
  EXPECT_EQ(s.CheckDate("2026-13-01").message.rfind("'2026-13-01' is not a valid date", 0), 0u);
  EXPECT_EQ(s.ToXmlValue(Variant(expected)), "2026-12-06T14:05:09");
  EXPECT_EQ(s.FromXmlDate(s.ToXmlValue(Variant(expected))), expected);
  EXPECT_EQ(s.ToXmlValue(Variant(-2.5e-7)), "-2.5E-07");
  EXPECT_DOUBLE_EQ(s.FromXmlNumber(s.ToXmlValue(Variant(-2.5e-7))), -2.5e-7);
  EXPECT_THROW(s.ToXmlValue(Variant(std::make_shared<TableRenderContext>())), AutomationError);
  // Unreadable text leaves a filter bound unset.
  EXPECT_TRUE(s.FromXmlDate("yesterday").IsZero());
  EXPECT_EQ(s.FromXmlNumber("n/a"), 0.0);
  EXPECT_EQ(s.QuoteQueryString(R"(a"b\c)"), R"("a\"b\\c")");
  EXPECT_EQ(s.XmlEncode(R"(<a & 'b' "c">)"), "&lt;a &amp; &apos;b&apos; &quot;c&quot;&gt;");

  EXPECT_EQ(s.CompareText("calls", "CALLS"), 0);
  EXPECT_EQ(s.CompareText("a", "B"), -1) << "folded, not ASCII order";
  EXPECT_EQ(s.CompareText("a", "B", kMatchCase), 1);
  EXPECT_EQ(s.CompareDate(Date::FromParts(2026, 1, 1), Date::FromParts(2026, 1, 1, 0, 0, 1)), -1);
  EXPECT_TRUE(s.TextEquals("Calls", "cALLS", false) && !s.TextEquals("Calls", "cALLS", true));
  EXPECT_EQ(s.FormatDate(Date::FromParts(2026, 12, 6), 4), "2026-12-06 00:00:00");
  EXPECT_EQ(s.FormatDate(expected, 4) + "|" + s.FormatDate(expected, 0),
            "2026-12-06 14:05:09|12/6/2026 2:05:09 PM");
  // Before the zero date the fraction still counts forward: -1.25 is 6:00, -1.5 noon of one day.
  EXPECT_EQ(s.CompareDate(Date(-1.25), Date(-1.5)), -1);
}

TEST(PropertySetTest, RendersAvailableColumnsAlignedByCharacters) {
  StandaloneSupport s{StandaloneConfig{}};
  IAppPropertySetPtr set = s.CreatePropertySet();
  set->Add(s.CreatePropertyDefinition(256, "Name", 1200, 0, true, 0));
  set->Add(s.CreatePropertyDefinition(9999, "Hidden", 1200, 0, false, 0));
  set->Add(s.CreatePropertyDefinition(512, "Entity", 1200, 0, true, 0));
  set->Add(s.CreatePropertyDefinition(3072, "Data Type", 1200, 0, true, 0));
  const Rows rows({{{256, "Übergaben"}, {512, "Zelle"}, {3072, "I"}, {9999, "x"}},
                   {{256, "Drops"}, {512, Variant::Null()}, {3072, 1.5}},
                   {{256, "Two\nLines"}, {512, "Sector"}}});
  EXPECT_EQ(set->RenderTable(rows, true, 0, 0, 0, s.TableRendererContext()),
            "Name       Entity  Data Type\n---------  ------  ---------\nÜbergaben  Zelle   I\nDrops         "
            "     1.5\nTwo Lines  Sector\n");
}

TEST(StandaloneSupportTest, LogAppendsOneLinePerEntry) {
  const testing::TempDir dir;
  StandaloneConfig c;
  c.logFile = (dir / "log").string();
  std::ofstream(c.logFile) << "earlier\n";
  StandaloneSupport(c).Log(2, "Ridirodev", "CRidirodevInitializer", "Initialize",
                           {"unable to initialize DB object", "a\nb"});
  // Each line is "<ISO timestamp with milliseconds> [level] source class operation: texts".
  EXPECT_THAT(testing::ReadFile(c.logFile),
              ::testing::MatchesRegex("earlier\n[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9:]{8}\\.[0-9]{3} \\[2\\] "
                                      "Ridirodev CRidirodevInitializer Initialize: unable to "
                                      "initialize DB object \\| a\\\\nb\n"));
  // Standard error is read by people: a message of several lines shows as lines.
  const testing::Captured err;
  StandaloneSupport(StandaloneConfig{}).Log(1, "Ridirodev", "ErrorReporter", "Report", {"failed", "a\r\nb"});
  EXPECT_THAT(err.Text(), ::testing::EndsWith(" [1] Ridirodev ErrorReporter Report: failed | a\n  b\n"));
}

TEST(StandaloneMessagesTest, BoxesAnswerWithTheConfiguredOrDefaultButton) {
  using namespace MessageBoxResult;
  using Style = int32_t;
  const Style yesNo = MessageBoxStyle::kYesNo | MessageBoxStyle::kQuestion;
  EXPECT_EQ(StandaloneMessages::Answer(MessageBoxStyle::kOkOnly | MessageBoxStyle::kCritical, ""), kOk);
  EXPECT_EQ(StandaloneMessages::Answer(yesNo, ""), kYes);
  EXPECT_EQ(StandaloneMessages::Answer(yesNo | 256, ""), kNo) << "second button as default";
  EXPECT_EQ(StandaloneMessages::Answer(1 | 512, ""), kOk) << "no third button: the first";
  EXPECT_EQ(StandaloneMessages::Answer(yesNo, "cancel"), kYes) << "a button the box lacks gives the default";

  StandaloneConfig c;
  c.messageBoxAnswer = "no";
  auto support = std::make_shared<StandaloneSupport>(c);
  std::ostringstream out;
  StandaloneMessages messages(support, out);
  EXPECT_EQ(messages.MessageBox("Delete the expression?\r\nIt is used.", yesNo, "Confirm"), kNo);
  EXPECT_EQ(messages.MessageBox("Saved.", MessageBoxStyle::kInformation, ""), kOk);
  EXPECT_EQ(out.str(),
            "[Confirm]\n  Delete the expression?\n  It is used.\n  Yes/No -> No\n[Ridirodev]\n  Saved.\n  "
            "OK -> OK\n");
}

}  // namespace
}  // namespace ridirodev::standalone
