#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "testing/errors.h"
#include "testing/test_host.h"

namespace ridirodev::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

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
  host.XmlQueryService().RunQuery("<q/>");

  EXPECT_THAT(db.Journal().Lines(),
              ElementsAre("begin", "execute DELETE FROM T", "procedure PKG.SAVE(abc, )", "sequence SQ_X",
                          "call-function PKG.F(1, 2)", "procedure PKG.P('a''b', 12, NULL)", "commit",
                          "open SELECT 1", "query-value SELECT 2", "run-query <q/>"));
  EXPECT_THAT(db.Calls()[2].procedure, ElementsAre(ProcedureParameter{"abc", "string", "p_name", 1},
                                                   ProcedureParameter{"", "integer", "p_id", 2}));
  EXPECT_THAT(db.Journal().Texts(DbCallKind::kExecute), ElementsAre("DELETE FROM T"));
}

TEST(DbJournalTest, FailOnCallFailsThatPositionOnceAndKeepsTheCall) {
  ScriptedDatabase db;
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
}

TEST(DbJournalTest, FailOnTextAndFailWhenReachTransactionSteps) {
  TestHost host;
  auto& db = host.Database();
  db.FailOnText("pm_hourrange", Boom());
  db.Execute("INSERT INTO PM_BusyHour");
  EXPECT_EQ(ErrorOf([&] { db.Execute("INSERT INTO PM_HourRange"); }), 1234);
  db.Execute("INSERT INTO PM_HourRange");  // fired once

  host.Journal().FailWhen([](const DbCall& c) { return c.kind == DbCallKind::kCommit; }, Boom());
  auto& xml = host.XmlQueryService();
  xml.BeginTransaction();
  EXPECT_EQ(ErrorOf([&] { xml.CommitTransaction(); }), 1234);
  EXPECT_TRUE(xml.InTransaction());  // a failed commit leaves the transaction to roll back
  xml.RollbackTransaction();
  EXPECT_FALSE(xml.InTransaction());
}

TEST(XmlQueryServiceTest, TransactionStepsMustNest) {
  TestHost host;
  auto& xml = host.XmlQueryService();
  EXPECT_EQ(ErrorOf([&] { xml.CommitTransaction(); }), ErrorNumber::kInvalidArgument);
  EXPECT_EQ(ErrorOf([&] { xml.RollbackTransaction(); }), ErrorNumber::kInvalidArgument);
  xml.BeginTransaction();
  EXPECT_EQ(ErrorOf([&] { xml.BeginTransaction(); }), ErrorNumber::kInvalidArgument);
  xml.CommitTransaction();
  EXPECT_THAT(host.Journal().Lines(), ElementsAre("begin", "commit"));
}

TEST(XmlQueryServiceTest, AnswersScriptedResponsesAndResult) {
  TestHost host;
  auto& xml = host.XmlQueryService();
  EXPECT_EQ(xml.RunQuery("q"), "");
  EXPECT_EQ(xml.ParseResult("r"), nullptr);
  xml.AddResponse("first");
  xml.AddResponse("last");
  auto doc = std::make_shared<TestXmlNode>("Result");
  doc->AddChild("Row")->SetAttribute("id", "7").AddChild("Cell", "x");
  doc->AddChild("Other");
  xml.SetParseResult(doc);
  EXPECT_EQ(xml.RunQuery("q"), "first");
  EXPECT_EQ(xml.RunQuery("q"), "last");
  EXPECT_EQ(xml.RunQuery("q"), "last");

  auto result = xml.ParseResult("last");
  ASSERT_EQ(result->SelectNodes("Row").size(), 1u);
  EXPECT_EQ(result->SelectNodes("").size(), 2u);
  EXPECT_EQ(result->SelectNodes("Row")[0]->Attribute("id"), "7");
  EXPECT_EQ(ErrorOf([&] { result->SelectNodes("Row")[0]->Attribute("none"); }),
            ErrorNumber::kInvalidArgument);
  EXPECT_EQ(result->SelectNodes("*/Cell")[0]->Text(), "x");
}

// ---- Row sets ----

TEST(ScriptedDatabaseTest, ChoosesRowSetsByExactTextThenMatcher) {
  ScriptedDatabase db;
  db.AddRows(TextContains("from tqd_field"), {{"N"}, {{"matched"}}});
  db.AddRows("SELECT * FROM TQD_Field WHERE 1 = 1", {{"N"}, {{"exact"}}});
  db.AddRows("SELECT * FROM TQD_Field WHERE 1 = 1", {{"N"}, {{"exact again"}}});
  db.AddRows("NOTHING", ScriptedRows::Nothing());

  EXPECT_THAT(Column(*db.OpenRecordset("SELECT * FROM TQD_Field WHERE 1 = 1"), "n"), ElementsAre("exact"));
  EXPECT_THAT(Column(*db.OpenRecordset("SELECT * FROM TQD_Field WHERE 1 = 1"), "n"),
              ElementsAre("exact again"));
  EXPECT_THAT(Column(*db.OpenRecordset("SELECT * FROM TQD_Field WHERE 1 = 1"), "n"),
              ElementsAre("exact again"));
  EXPECT_THAT(Column(*db.OpenRecordset("SELECT X FROM TQD_Field"), "N"), ElementsAre("matched"));
  EXPECT_EQ(db.OpenRecordset("NOTHING"), nullptr);

  auto none = db.OpenRecordset("SELECT unscripted");
  ASSERT_NE(none, nullptr);
  EXPECT_TRUE(none->Bof());
  EXPECT_TRUE(none->Eof());
  EXPECT_EQ(none->RecordCount(), 0);
  EXPECT_EQ(db.Recordsets().size(), 5u);
}

TEST(ScriptedDatabaseTest, QueryValueReadsFirstCellOrDefault) {
  ScriptedDatabase db;
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
  EXPECT_TRUE(rs.Fields().Has("TYPE"));
  EXPECT_EQ(rs.Fields().Name(1), "Type");
  EXPECT_EQ(ErrorOf([&] { rs.Fields().Value("Missing"); }), ErrorNumber::kItemNotFound);
  EXPECT_EQ(ErrorOf([&] { rs.Fields().Value(3); }), ErrorNumber::kItemNotFound);

  EXPECT_THAT(Column(rs, "id"), ElementsAre("1", "2", "3", "4"));
  EXPECT_EQ(ErrorOf([&] { rs.MoveNext(); }), RecordsetError::kNoCurrentRecord);
  EXPECT_EQ(ErrorOf([&] { rs.Fields().Value("ID"); }), RecordsetError::kNoCurrentRecord);
  rs.MoveFirst();
  EXPECT_EQ(rs.Fields().Value("ID"), Variant(1));

  rs.Close();
  EXPECT_TRUE(rs.Closed());
  EXPECT_EQ(ErrorOf([&] { rs.Eof(); }), RecordsetError::kClosed);
  EXPECT_EQ(ErrorOf([&] { rs.Close(); }), RecordsetError::kClosed);
}

TEST(ScriptedRecordsetTest, FiltersByEqualityAndInequality) {
  ScriptedRecordset rs(Modules());
  rs.SetFilter("ID = 3");
  EXPECT_THAT(Column(rs, "ID"), ElementsAre("3"));
  rs.SetFilter("type='Module' and entity_name <> 'Generic'");
  EXPECT_THAT(Column(rs, "ID"), ElementsAre("2", "4"));
  EXPECT_EQ(rs.RecordCount(), 2);
  rs.SetFilter("Entity_Name = 'o''brien' AND id >= 2");
  EXPECT_THAT(Column(rs, "ID"), ElementsAre("4"));
  rs.SetFilter("ID = 99");
  EXPECT_TRUE(rs.Bof());
  EXPECT_TRUE(rs.Eof());
  rs.SetFilter("");
  EXPECT_EQ(rs.RecordCount(), 4);
  EXPECT_FALSE(rs.Eof());

  EXPECT_EQ(ErrorOf([&] { rs.SetFilter("Nope = 1"); }), ErrorNumber::kItemNotFound);
  EXPECT_EQ(ErrorOf([&] { rs.SetFilter("ID = 'open"); }), RecordsetError::kBadArguments);
  EXPECT_EQ(ErrorOf([&] { rs.SetFilter("ID = 1 or ID = 2"); }), RecordsetError::kBadArguments);
  EXPECT_EQ(ErrorOf([&] { rs.SetFilter("ID ~ 1"); }), RecordsetError::kBadArguments);
  EXPECT_EQ(rs.Filter(), "");  // a bad filter leaves the last good one
}

TEST(ScriptedRecordsetTest, NullCellsMatchNoClause) {
  ScriptedRecordset rs({{"ID", "Name"}, {{1, Variant::Null()}, {2, "x"}}});
  rs.SetFilter("Name <> 'y'");
  EXPECT_THAT(Column(rs, "ID"), ElementsAre("2"));
}

// ---- Literals, conversions, schema ----

TEST(ScriptedDatabaseTest, LiteralTexts) {
  ScriptedDatabase db;
  EXPECT_EQ(db.TextLiteral("it's")->Text(), "'it''s'");
  EXPECT_EQ(db.IdLiteral(0)->Text(), "NULL");
  EXPECT_EQ(db.IdLiteral(-7)->Text(), "-7");
  EXPECT_EQ(db.NumberLiteral(Variant(2.5))->Text(), "2.5");
  EXPECT_EQ(db.NumberLiteral(Variant("12"))->Text(), "12");
  EXPECT_EQ(db.NumberLiteral(Variant::Null())->Text(), "NULL");
  EXPECT_EQ(ErrorOf([&] { db.NumberLiteral(Variant("abc")); }), ErrorNumber::kTypeMismatch);
  EXPECT_EQ(db.DateLiteral(Date::FromParts(2026, 12, 6, 14, 5, 9))->Text(), "'2026-12-06 14:05:09'");
  EXPECT_EQ(db.NowLiteral()->Text(), "SYSDATE");
  EXPECT_EQ(db.SequenceLiteral("SQ_HourRange")->Text(), "SQ_HourRange.NEXTVAL");

  EXPECT_EQ(db.ValueListText({Variant(db.SequenceLiteral("SQ_A")), Variant("O'Neil"), Variant(3),
                              Variant(1.25), Variant::Null(), Variant(), Variant(db.IdLiteral(0))}),
            "SQ_A.NEXTVAL, 'O''Neil', 3, 1.25, NULL, NULL, NULL");
  EXPECT_EQ(
      db.AssignmentListText({Variant("Name"), Variant("x"), Variant("Changed"), Variant(db.NowLiteral())}),
      "Name = 'x', Changed = SYSDATE");
  EXPECT_EQ(ErrorOf([&] { db.AssignmentListText({Variant("Name")}); }), ErrorNumber::kInvalidArgument);
  EXPECT_EQ(ErrorOf([&] { db.ValueText(Variant(std::make_shared<Object>())); }), ErrorNumber::kTypeMismatch);
}

TEST(ScriptedDatabaseTest, FieldConversionsAreNullSafe) {
  ScriptedDatabase db;
  EXPECT_EQ(db.FieldText(Variant::Null()), "");
  EXPECT_EQ(db.FieldText(Variant(12)), "12");
  EXPECT_EQ(db.FieldNumber(Variant::Null()), 0);
  EXPECT_EQ(db.FieldNumber(Variant("41")), 41);
  EXPECT_EQ(db.FieldNumberOr(Variant::Null(), -1), -1);
  EXPECT_EQ(db.FieldNumberOr(Variant(0), -1), 0);
  EXPECT_TRUE(db.FieldDate(Variant::Null()).IsZero());
  EXPECT_EQ(db.FieldDate(Variant("2026-12-06")), Date::FromParts(2026, 12, 6));
  EXPECT_TRUE(db.FieldFlag(Variant("y")));
  EXPECT_TRUE(db.FieldFlag(Variant("Y")));
  EXPECT_FALSE(db.FieldFlag(Variant("N")));
  EXPECT_FALSE(db.FieldFlag(Variant("Yes")));
  EXPECT_FALSE(db.FieldFlag(Variant::Null()));
}

TEST(ScriptedDatabaseTest, SchemaSequencesFunctionsAndRoutines) {
  TestHost host;
  auto& db = host.Database();
  db.AddTable("TQD_Expression", {"Name"});
  db.SetColumnWidth("TQD_Expression", "Expression", 4000);
  EXPECT_TRUE(db.TableExists("tqd_expression"));
  EXPECT_FALSE(db.TableExists("TQD_Other"));
  EXPECT_TRUE(db.ColumnExists("TQD_EXPRESSION", "name"));
  EXPECT_FALSE(db.ColumnExists("TQD_Expression", "Other"));
  EXPECT_EQ(db.ColumnWidth("tqd_expression", "EXPRESSION"), 4000);
  EXPECT_EQ(db.ColumnWidth("tqd_expression", "Name"), 0);

  db.SetSequenceNext("SQ_B", 100);
  EXPECT_EQ(db.NextSequenceNumber("SQ_A"), 1);
  EXPECT_EQ(db.NextSequenceNumber("sq_a"), 2);
  EXPECT_EQ(db.NextSequenceNumber("SQ_B"), 100);

  db.SetFunction("PKG.Twice",
                 [](std::string_view args) { return Variant(std::string(args) + std::string(args)); });
  EXPECT_EQ(db.CallFunction("pkg.twice", "ab"), Variant("abab"));
  EXPECT_TRUE(db.CallFunction("PKG.Unknown", "").IsEmpty());

  db.SetRoutineResult("PKG.CHECK", Variant(0));
  db.SetRoutineOutput("PKG.CHECK", 1, Variant("bad name"));
  auto call = host.CreateProcedureCall();
  call->SetName("pkg.check");
  call->AddParameter("x", "string");
  call->AddParameter("", "string", "p_msg");
  EXPECT_EQ(call->Run(), Variant(0));
  EXPECT_EQ(call->ParameterValue(0), Variant("x"));
  EXPECT_EQ(call->ParameterValue(1), Variant("bad name"));
  EXPECT_EQ(ErrorOf([&] { call->ParameterValue(2); }), ErrorNumber::kSubscriptOutOfRange);
}

TEST(ScriptedDatabaseTest, SlotRunsOfAHourSelection) {
  ScriptedDatabase db;
  TestHourSelection hours;
  hours.Initialize(1);
  hours.Resize(24);
  for (int32_t slot : {1, 2, 3, 7, 24}) hours.SetSelected(slot, true);

  std::vector<std::pair<int32_t, int32_t>> runs;
  for (SlotRun run = db.NextHourRun(1, hours); run.first >= 1; run = db.NextHourRun(run.last + 1, hours)) {
    runs.emplace_back(run.first, run.last);
  }
  EXPECT_THAT(runs, ElementsAre(std::pair(1, 3), std::pair(7, 7), std::pair(24, 24)));
  EXPECT_EQ(db.NextHourRun(2, hours, false).first, 4);
  EXPECT_EQ(db.NextSecondRun(1, hours).first, 0);
  EXPECT_EQ(db.NextSecondRun(1, hours).last, 3 * 3600 - 1);
  EXPECT_EQ(db.SlotRunFromHours(7, 9, 6 * 3600, 9 * 3600 - 1).first, 7);

  TestHourSelection empty;
  empty.Resize(24);
  EXPECT_LT(db.NextHourRun(1, empty).first, 1);
  EXPECT_LT(db.NextSecondRun(1, empty).first, 0);

  // Half-hour slots: the seconds of a run come back as the same slots.
  TestHourSelection halves;
  halves.Resize(48);
  halves.SetSelected(5, true);
  halves.SetSelected(6, true);
  db.SetDaySlotCount(48);
  const SlotRun seconds = db.NextSecondRun(1, halves);
  EXPECT_EQ(seconds.first, 4 * 1800);
  const SlotRun back = db.SlotRunFromHours(5, 6, seconds.first, seconds.last);
  EXPECT_EQ(back.first, 5);
  EXPECT_EQ(back.last, 6);
}

// ---- Controls ----

class KeyItem : public ITreeNodeItem {
 public:
  explicit KeyItem(std::string key) : key_(std::move(key)) {}
  ITreeNodeItemPtr Clone() const override { return std::make_shared<KeyItem>(key_); }
  void Copy(const ITreeNode&) override {}
  void Clear() override {}
  int32_t Compare(const ITreeNodeItem& other) const override { return key_.compare(other.Key()); }
  std::string Key() const override { return key_; }

 private:
  std::string key_;
};

TEST(TreeTest, IteratesParentsBeforeChildrenAndFindsByKey) {
  TestHost host;
  auto root = host.CreateTreeNode();
  root->SetItem(std::make_shared<KeyItem>("System"));
  auto sw = root->AddChild(std::make_shared<KeyItem>("Switch"));
  auto cell = sw->AddChild(std::make_shared<KeyItem>("Cell"));
  cell->AddChild(std::make_shared<KeyItem>("Sector"));
  root->AddChild(std::make_shared<KeyItem>("Other"));

  auto it = host.CreateTreeIterator();
  it->SetRoot(root);
  std::vector<std::string> order;
  while (auto node = it->NextNode()) order.push_back(node->Item()->Key());
  EXPECT_THAT(order, ElementsAre("System", "Switch", "Cell", "Sector", "Other"));
  EXPECT_EQ(it->NextNode(), nullptr);
  it->Restart();
  EXPECT_EQ(it->NextNode(), root);

  EXPECT_EQ(root->FindNode("cell"), cell);
  EXPECT_EQ(root->FindNode("SYSTEM"), root);
  EXPECT_EQ(root->FindNode("Carrier"), nullptr);
  EXPECT_EQ(cell->Parent(), sw);
  EXPECT_EQ(root->Parent(), nullptr);
}

TEST(RegistryKeyTest, KeepsNestedKeysAndValuesWithoutCase) {
  TestRegistryKey root;
  root.CreateKey("FilterDefinitionsRoot\\Mine")->WriteValue("Criteria", "a");
  EXPECT_EQ(root.OpenKey("filterdefinitionsroot")->OpenKey("MINE")->ReadValue("criteria"), "a");
  EXPECT_EQ(root.OpenKey("FilterDefinitionsRoot\\Other"), nullptr);
  auto key = root.OpenKey("FilterDefinitionsRoot\\Mine");
  EXPECT_EQ(key->ReadValue("Absent", "dflt"), "dflt");
  key->WriteValue("CRITERIA", "b");
  EXPECT_THAT(key->ValueNames(), ElementsAre("Criteria"));
  key->DeleteValue("criteria");
  EXPECT_FALSE(key->HasValue("Criteria"));
}

TEST(PropertyBagTest, DropsValuesEqualToTheirDefault) {
  TestPropertyBag bag;
  bag.WriteProperty("Op", Variant(3), Variant(0));
  bag.WriteProperty("Text", Variant(""), Variant(""));
  EXPECT_EQ(bag.ReadProperty("op"), Variant(3));
  EXPECT_FALSE(bag.Has("Text"));
  EXPECT_EQ(bag.ReadProperty("Text", Variant("d")), Variant("d"));
}

// ---- Support and messages ----

TEST(TestSupportTest, MatchesWildcardsWithoutCase) {
  TestSupport support;
  EXPECT_TRUE(support.MatchPattern("CallAttempts", "call*", true, 0));
  EXPECT_TRUE(support.MatchPattern("CallAttempts", "*ATT?MPTS", true, 0));
  EXPECT_TRUE(support.MatchPattern("CallAttempts", "*", true, 0));
  EXPECT_TRUE(support.MatchPattern("", "*", true, 0));
  EXPECT_FALSE(support.MatchPattern("CallAttempts", "call", true, 0));
  EXPECT_TRUE(support.MatchPattern("CallAttempts", "att", false, 0));
  EXPECT_FALSE(support.MatchPattern("CallAttempts", "C?ll?", true, 0));
  EXPECT_TRUE(support.MatchPattern("Größe", "gr??e", true, 0));
  EXPECT_TRUE(support.MatchPattern("a*b*c", "a*c", true, 0));

  EXPECT_EQ(support.CompareText("abc", "ABD"), -1);
  EXPECT_EQ(support.CompareText("ABC", "abc"), 0);
  EXPECT_EQ(support.CompareText("ab", "a"), 1);
  EXPECT_EQ(support.CompareDate(Date::FromParts(2026, 1, 2), Date::FromParts(2026, 1, 1)), 1);
}

TEST(TestSupportTest, ChecksAndConvertsValues) {
  TestSupport support;
  EXPECT_EQ(support.CheckInteger(" 42 ").value, Variant(42));
  EXPECT_FALSE(support.CheckInteger("4.5").ok);
  EXPECT_EQ(support.CheckInteger("x").message, "'x' is not a whole number.");
  EXPECT_EQ(support.CheckNumber("").message, "A value is required.");
  EXPECT_EQ(support.CheckNumber("-1.5").value, Variant(-1.5));
  EXPECT_EQ(support.CheckDate("12/6/2026").value, Variant(Date::FromParts(2026, 12, 6)));
  EXPECT_FALSE(support.CheckDate("tomorrow").ok);
  EXPECT_EQ(support.ToXmlValue(Variant(Date::FromParts(2026, 12, 6, 14, 5, 9))), "2026-12-06T14:05:09");
  EXPECT_EQ(support.FromXmlDate("2026-12-06T14:05:09"), Date::FromParts(2026, 12, 6, 14, 5, 9));
  EXPECT_EQ(support.QuoteQueryString(R"(a"b\c)"), R"("a\"b\\c")");
  EXPECT_EQ(support.XmlEncode("<a & 'b'>\""), "&lt;a &amp; &apos;b&apos;&gt;&quot;");
}

class Row : public ILVItemObject {
 public:
  explicit Row(std::vector<Variant> values) : values_(std::move(values)) {}
  std::string Key() const override { return {}; }
  Variant Value(int32_t column) const override { return values_.at(static_cast<size_t>(column)); }
  std::string ValueList(int32_t) const override { return {}; }
  int32_t Compare(int32_t, const ILVItemObject&) const override { return 0; }

 private:
  std::vector<Variant> values_;
};

class Rows : public ILVItemCollection {
 public:
  std::shared_ptr<ILVItemCollection> Create() const override { return std::make_shared<Rows>(); }
  void Add(ILVItemObjectPtr item) override { items_.push_back(std::move(item)); }
  void Delete(const Variant&) override {}
  int32_t Count() const override { return static_cast<int32_t>(items_.size()); }
  ILVItemObjectPtr Item(const Variant& i) const override {
    return items_.at(static_cast<size_t>(i.ToInt32()) - 1);
  }

 private:
  std::vector<ILVItemObjectPtr> items_;
};

TEST(TestSupportTest, RendersAvailableColumnsOfEachItem) {
  TestSupport support;
  auto set = support.CreatePropertySet();
  set->Add(support.CreatePropertyDefinition(0, "Name", 1200, 0, true, 0));
  set->Add(support.CreatePropertyDefinition(1, "Hidden", 1200, 0, false, 0));
  set->Add(support.CreatePropertyDefinition(2, "Count", 1200, 0, true, 0));
  Rows rows;
  rows.Add(std::make_shared<Row>(std::vector<Variant>{"Drops", "h", 3}));
  rows.Add(std::make_shared<Row>(std::vector<Variant>{"Blocks", "h", Variant::Null()}));
  EXPECT_EQ(set->RenderTable(rows, true, 0, 0, 0, support.TableRendererContext()),
            "Name\tCount\nDrops\t3\nBlocks\t\n");
  EXPECT_EQ(set->RenderTable(rows, false, 0, 0, 0, nullptr), "Drops\t3\nBlocks\t\n");
}

TEST(TestSupportTest, StringListAndCombos) {
  TestSupport support;
  auto list = support.CreateStringList();
  list->Add("Sum");
  list->Add("SUM");
  list->Add("SUM", true, false);
  list->Add("Avg", false);
  list->Add("avg", false);
  EXPECT_EQ(list->Count(), 4);
  EXPECT_EQ(list->Item(2), "SUM");

  TestComboBox combo;
  combo.AddItem("stale");
  support.PrepareCombo(combo, "Aggregators", "(All)");
  combo.AddItem("Sum");
  support.CompleteCombo(combo);
  EXPECT_THAT(combo.Items(), ElementsAre("(All)", "Sum"));
  EXPECT_EQ(combo.ListIndex(), 0);
  EXPECT_TRUE(support.ComboHas(combo, "sum"));
  EXPECT_EQ(support.ComboCalls().size(), 2u);
  EXPECT_EQ(ErrorOf([&] { combo.SetListIndex(2); }), 381);
}

TEST(TestMessagesTest, AnswersScriptedButtonsThenTheFirstButton) {
  TestMessages messages;
  messages.AnswerNext(MessageBoxResult::kNo);
  EXPECT_EQ(messages.MessageBox("Delete?", MessageBoxStyle::kYesNo | MessageBoxStyle::kQuestion, "App"),
            MessageBoxResult::kNo);
  EXPECT_EQ(messages.MessageBox("Delete?", MessageBoxStyle::kYesNo, "App"), MessageBoxResult::kYes);
  EXPECT_EQ(messages.MessageBox("Done", MessageBoxStyle::kInformation, "App"), MessageBoxResult::kOk);
  messages.SetDefaultAnswer(MessageBoxResult::kCancel);
  EXPECT_EQ(messages.MessageBox("Go?", 1, "App"), MessageBoxResult::kCancel);
  EXPECT_EQ(messages.MessageBoxes().size(), 4u);
  EXPECT_EQ(messages.MessageBoxes()[0].caption, "App");
}

// ---- Host ----

TEST(TestHostTest, HandsOutSharedGlobalsAndFreshPerUseObjects) {
  TestHost host;
  EXPECT_EQ(host.CreateDatabase().get(), &host.Database());
  EXPECT_EQ(host.CreateDatabase(), host.CreateDatabase());
  EXPECT_EQ(host.CreateMessages().get(), &host.Messages());
  EXPECT_NE(host.CreateTreeNode(), host.CreateTreeNode());
  EXPECT_EQ(host.Requests(HostFactory::kDatabase), 3);

  host.ReturnNothingFrom(HostFactory::kSupport);
  EXPECT_EQ(host.CreateSupport(), nullptr);
  EXPECT_NE(host.CreateFeatures(), nullptr);
  host.ReturnNothingFrom(HostFactory::kSupport, false);
  EXPECT_NE(host.CreateSupport(), nullptr);
}

TEST(TestHostTest, ErrorReportersPassTheirErrorToOneLog) {
  TestHost host;
  auto reporter =
      host.CreateErrorReporter(AutomationError(10, "CAppGroupTemplate", "Fields for non existent entity"));
  EXPECT_EQ(reporter->ErrorText(), "Fields for non existent entity");
  reporter->Report("");
  ASSERT_EQ(host.ErrorReports().size(), 1u);
  EXPECT_EQ(host.ErrorReports()[0].number, 10);
  EXPECT_EQ(host.ErrorReports()[0].source, "CAppGroupTemplate");
  EXPECT_THAT(host.Journal().Calls(), IsEmpty());
}

}  // namespace
}  // namespace ridirodev::testing
