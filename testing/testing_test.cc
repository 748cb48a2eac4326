// The doubles other tests lean on: if the journal, the failure injection or the row-set
// semantics drifted, those tests would pass or fail for the wrong reason.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "testing/errors.h"
#include "testing/test_host.h"

namespace ridirodev::testing {
namespace {

using ::testing::ElementsAre;

AutomationError Boom() { return AutomationError(1234, "Test", "boom"); }

ScriptedRows Modules() {
  return {{"ID", "Type", "Entity_Name"},
          {{1, "Module", "Generic"}, {2, "Module", "Cell"}, {3, "Class", "Cell"}, {4, "module", "O'Brien"}}};
}

// Walks a row set as the component does and collects one column.
std::vector<std::string> Column(IDBRecordset& rs, std::string_view name) {
  std::vector<std::string> out;
  for (; !rs.Eof(); rs.MoveNext()) out.push_back(rs.Fields().Value(name).ToString());
  return out;
}

// ---- Journal and failures ----

TEST(DbJournalTest, RecordsDatabaseRoutinesAndTransactionStepsInOneOrder) {
  TestHost host;
  auto& db = host.Database();
  host.XmlQueryService().BeginTransaction();
  db.Execute("DELETE FROM T");
  auto call = host.CreateProcedureCall();
  call->SetName("PKG.SAVE");
  call->AddParameter("abc", "string", "p_name", 1);
  call->AddParameter("", "integer", "p_id", 2);
  call->Run();
  db.NextSequenceNumber("SQ_X");
  db.CallFunction("PKG.F", "1, 2");
  db.ExecuteProcedure("PKG.P", {Variant("a'b"), Variant(12), Variant::Null()});
  host.XmlQueryService().CommitTransaction();
  db.OpenRecordset("SELECT 1");
  db.QueryValue("SELECT 2");

  EXPECT_THAT(db.Journal().Lines(),
              ElementsAre("begin", "execute DELETE FROM T", "procedure PKG.SAVE(abc, )", "sequence SQ_X",
                          "call-function PKG.F(1, 2)", "procedure PKG.P('a''b', 12, NULL)", "commit",
                          "open SELECT 1", "query-value SELECT 2"));
  EXPECT_THAT(db.Journal().Texts(DbCallKind::kExecute), ElementsAre("DELETE FROM T"));
}

TEST(DbJournalTest, FailuresFireOnceAtTheirPositionTextOrPredicate) {
  TestHost host;
  auto& db = host.Database();
  db.Execute("one");
  db.FailOnCall(3, Boom());
  db.Execute("two");
  EXPECT_EQ(ErrorOf([&] { db.OpenRecordset("three"); }), 1234);
  db.Execute("four");
  EXPECT_THAT(db.Journal().Lines(), ElementsAre("execute one", "execute two", "open three", "execute four"));
  EXPECT_EQ(db.Journal().ArmedFailures(), 0u);
  db.Journal().Clear();  // positions count again from 1
  db.FailOnCall(1, Boom());
  EXPECT_EQ(ErrorOf([&] { db.Execute("again"); }), 1234);

  db.FailOnText("pm_hourrange", Boom());
  db.Execute("INSERT INTO PM_BusyHour");
  EXPECT_EQ(ErrorOf([&] { db.Execute("INSERT INTO PM_HourRange"); }), 1234);
  db.Execute("INSERT INTO PM_HourRange");

  host.Journal().FailWhen([](const DbCall& c) { return c.kind == DbCallKind::kCommit; }, Boom());
  auto& xml = host.XmlQueryService();
  xml.BeginTransaction();
  EXPECT_EQ(ErrorOf([&] { xml.CommitTransaction(); }), 1234);
  EXPECT_TRUE(xml.InTransaction());  // a failed commit leaves the transaction to roll back
  xml.RollbackTransaction();
  EXPECT_FALSE(xml.InTransaction());
}

TEST(XmlQueryServiceTest, TransactionStepsNestAndResultsAreScripted) {
  TestHost host;
  auto& xml = host.XmlQueryService();
  EXPECT_EQ(ErrorOf([&] { xml.CommitTransaction(); }), ErrorNumber::kInvalidArgument);
  EXPECT_EQ(ErrorOf([&] { xml.RollbackTransaction(); }), ErrorNumber::kInvalidArgument);
  xml.BeginTransaction();
  EXPECT_EQ(ErrorOf([&] { xml.BeginTransaction(); }), ErrorNumber::kInvalidArgument);
  xml.CommitTransaction();

  EXPECT_EQ(xml.RunQuery("q"), "");
  EXPECT_EQ(xml.ParseResult("r"), nullptr);
  xml.AddResponse("first");
  xml.AddResponse("last");
  EXPECT_EQ(xml.RunQuery("q"), "first");
  EXPECT_EQ(xml.RunQuery("q"), "last");
  EXPECT_EQ(xml.RunQuery("q"), "last");
  EXPECT_THAT(host.Journal().Lines(),
              ElementsAre("begin", "commit", "run-query q", "run-query q", "run-query q", "run-query q"));

  // The field loader walks every child of the parsed result.
  auto doc = std::make_shared<TestXmlNode>("Result");
  doc->AddChild("Row")->SetAttribute("id", "7");
  doc->AddChild("Other");
  xml.SetParseResult(doc);
  auto rows = xml.ParseResult("last")->SelectNodes("");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0]->Attribute("id"), "7");
  EXPECT_EQ(ErrorOf([&] { rows[1]->Attribute("id"); }), ErrorNumber::kInvalidArgument);
}

// ---- Row sets ----

TEST(ScriptedDatabaseTest, ChoosesRowSetsByExactTextThenMatcher) {
  ScriptedDatabase db;
  const std::string sql = "SELECT * FROM TQD_Field WHERE 1 = 1";
  db.AddRows(TextContains("from tqd_field"), {{"N"}, {{"matched"}}});
  db.AddRows(sql, {{"N"}, {{"exact"}}});
  db.AddRows(sql, {{"N"}, {{"exact again"}}});
  db.AddRows("NOTHING", ScriptedRows::Nothing());

  EXPECT_THAT(Column(*db.OpenRecordset(sql), "n"), ElementsAre("exact"));
  EXPECT_THAT(Column(*db.OpenRecordset(sql), "n"), ElementsAre("exact again"));
  EXPECT_THAT(Column(*db.OpenRecordset(sql), "n"), ElementsAre("exact again"));
  EXPECT_THAT(Column(*db.OpenRecordset("SELECT X FROM TQD_Field"), "N"), ElementsAre("matched"));
  EXPECT_EQ(db.OpenRecordset("NOTHING"), nullptr);
  auto none = db.OpenRecordset("SELECT unscripted");
  ASSERT_NE(none, nullptr);
  EXPECT_TRUE(none->Bof());
  EXPECT_TRUE(none->Eof());

  db.AddRows("SELECT MAX(Id)", {{"M", "Other"}, {{41, 1}, {99, 2}}});
  db.AddRows("SELECT none", {{"M"}, {}});
  EXPECT_EQ(db.QueryValue("SELECT MAX(Id)"), Variant(41));
  EXPECT_EQ(db.QueryValue("SELECT none", Variant(-1)), Variant(-1));
  EXPECT_EQ(db.QueryValue("SELECT unscripted"), Variant(0));
}

TEST(ScriptedRecordsetTest, ReadsColumnsWithoutCaseAndRaisesAsTheHostDoes) {
  ScriptedRecordset rs(Modules());
  EXPECT_FALSE(rs.Bof());
  EXPECT_EQ(rs.Fields().Value("entity_NAME"), Variant("Generic"));
  EXPECT_EQ(rs.Fields().Value(0), Variant(1));
  EXPECT_EQ(ErrorOf([&] { rs.Fields().Value("Missing"); }), ErrorNumber::kItemNotFound);
  EXPECT_EQ(ErrorOf([&] { rs.Fields().Value(3); }), ErrorNumber::kItemNotFound);

  EXPECT_THAT(Column(rs, "id"), ElementsAre("1", "2", "3", "4"));
  EXPECT_EQ(ErrorOf([&] { rs.MoveNext(); }), RecordsetError::kNoCurrentRecord);
  EXPECT_EQ(ErrorOf([&] { rs.Fields().Value("ID"); }), RecordsetError::kNoCurrentRecord);
  rs.MoveFirst();
  EXPECT_EQ(rs.Fields().Value("ID"), Variant(1));

  rs.Close();
  EXPECT_EQ(ErrorOf([&] { rs.Eof(); }), RecordsetError::kClosed);
  EXPECT_EQ(ErrorOf([&] { rs.Close(); }), RecordsetError::kClosed);
}

TEST(ScriptedRecordsetTest, FiltersByComparisonsJoinedWithAnd) {
  ScriptedRecordset rs(Modules());
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"ID = 3", {"3"}},
      {"type='Module' and entity_name <> 'Generic'", {"2", "4"}},
      {"Entity_Name = 'o''brien' AND id >= 2", {"4"}},
      {"ID < 2", {"1"}},
      {"ID = 99", {}},
      {"", {"1", "2", "3", "4"}},
  };
  for (const auto& [filter, ids] : cases) {
    SCOPED_TRACE(filter);
    rs.SetFilter(filter);
    EXPECT_EQ(rs.RecordCount(), static_cast<int32_t>(ids.size()));
    EXPECT_EQ(rs.Bof(), ids.empty());
    EXPECT_EQ(Column(rs, "ID"), ids);
  }

  EXPECT_EQ(ErrorOf([&] { rs.SetFilter("Nope = 1"); }), ErrorNumber::kItemNotFound);
  for (const char* bad : {"ID = 'open", "ID = 1 or ID = 2", "ID ~ 1"}) {
    EXPECT_EQ(ErrorOf([&] { rs.SetFilter(bad); }), RecordsetError::kBadArguments) << bad;
  }
  EXPECT_EQ(rs.Filter(), "");  // a bad filter leaves the last good one

  ScriptedRecordset nulls({{"ID", "Name"}, {{1, Variant::Null()}, {2, "x"}}});
  nulls.SetFilter("Name <> 'y'");  // a null cell matches no clause
  EXPECT_THAT(Column(nulls, "ID"), ElementsAre("2"));
}

// ---- Literals, conversions, schema, routines ----

TEST(ScriptedDatabaseTest, LiteralsAndConversionsAreNullSafe) {
  ScriptedDatabase db;
  EXPECT_EQ(db.TextLiteral("it's")->Text(), "'it''s'");
  EXPECT_EQ(db.IdLiteral(0)->Text(), "NULL");
  EXPECT_EQ(db.NumberLiteral(Variant::Null())->Text(), "NULL");
  EXPECT_EQ(db.DateLiteral(Date::FromParts(2026, 12, 6, 14, 5, 9))->Text(), "'2026-12-06 14:05:09'");
  EXPECT_EQ(db.ValueListText({Variant(db.SequenceLiteral("SQ_A")), Variant("O'Neil"), Variant(3),
                              Variant(1.25), Variant::Null(), Variant(), Variant(db.IdLiteral(0))}),
            "SQ_A.NEXTVAL, 'O''Neil', 3, 1.25, NULL, NULL, NULL");
  EXPECT_EQ(
      db.AssignmentListText({Variant("Name"), Variant("x"), Variant("Changed"), Variant(db.NowLiteral())}),
      "Name = 'x', Changed = SYSDATE");
  EXPECT_EQ(ErrorOf([&] { db.AssignmentListText({Variant("Name")}); }), ErrorNumber::kInvalidArgument);
  EXPECT_EQ(ErrorOf([&] { db.ValueText(Variant(std::make_shared<Object>())); }), ErrorNumber::kTypeMismatch);
  EXPECT_EQ(ErrorOf([&] { db.NumberLiteral(Variant("abc")); }), ErrorNumber::kTypeMismatch);

  EXPECT_EQ(db.FieldText(Variant::Null()), "");
  EXPECT_EQ(db.FieldNumber(Variant::Null()), 0);
  EXPECT_EQ(db.FieldNumberOr(Variant::Null(), -1), -1);
  EXPECT_EQ(db.FieldNumberOr(Variant(0), -1), 0);
  EXPECT_TRUE(db.FieldDate(Variant::Null()).IsZero());
  EXPECT_TRUE(db.FieldFlag(Variant("y")));
  EXPECT_FALSE(db.FieldFlag(Variant("Yes")));
  EXPECT_FALSE(db.FieldFlag(Variant::Null()));
}

TEST(ScriptedDatabaseTest, SchemaQuestionsIgnoreCase) {
  ScriptedDatabase db;
  db.AddTable("TQD_Expression", {"Name"});
  db.SetColumnWidth("TQD_Expression", "Expression", 4000);
  EXPECT_TRUE(db.ColumnExists("tqd_expression", "NAME"));
  EXPECT_FALSE(db.ColumnExists("TQD_Expression", "Other"));
  EXPECT_FALSE(db.TableExists("TQD_Other"));
  EXPECT_EQ(db.ColumnWidth("tqd_expression", "EXPRESSION"), 4000);
  EXPECT_EQ(db.ColumnWidth("tqd_expression", "Name"), 0);
}

}  // namespace
}  // namespace ridirodev::testing
