// One contract for every database object the component may be given: the SQLite one, the
// PostgreSQL one and the scripted double. A behaviour that differs between them is a bug in one; only error
// numbers and sources of an engine are its parameters. The double runs no SQL: what needs an engine's SQL or
// stored data applies to real engines only.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "postgres/postgres_database.h"
#include "standalone/query_service.h"
#include "standalone/routines.h"
#include "standalone/schema.h"
#include "standalone/sqlite_database.h"
#include "testing/errors.h"
#include "testing/pg_server.h"
#include "testing/sample.h"
#include "testing/test_host.h"

namespace ridirodev {
namespace {

using testing::ErrorOf;
using Rows = std::vector<std::vector<Variant>>;
constexpr const char* kSelect = "SELECT ID, NAME, WHEN_DONE FROM t ORDER BY ID";

// "number source" of the error a call raises.
std::string ErrorText(const std::function<void()>& call) {
  try {
    call();
  } catch (const AutomationError& e) {
    return std::to_string(e.Number()) + " " + e.Source();
  }
  return "no error";
}

// Rows of t, written as the component writes them.
void InsertRows(IDBObject& db, const Rows& rows) {
  for (const auto& row : rows) db.Execute("INSERT INTO t VALUES (" + db.ValueListText(row) + ")");
}

struct SqliteEngine {
  static constexpr bool kRunsSql = true;
  static constexpr int32_t kBadFilter = ErrorNumber::kInvalidArgument;
  static constexpr const char* kRowSetSource = "SqliteDatabase";
  static constexpr const char* kSqlSource = "SqliteDatabase";
  static constexpr int32_t kBadSql = standalone::kDatabaseError;

  SqliteEngine() {
    db->Execute("CREATE TABLE t (ID INTEGER, NAME VARCHAR2(20), WHEN_DONE DATE)");
  }
  IDBObject& Db() { return *db; }
  IXMLQueryService& Transactions() { return service; }
  IDBProcedureCallPtr NewCall() { return std::make_shared<standalone::SqliteProcedureCall>(db); }
  void Write(const Rows& rows) { InsertRows(*db, rows); }
  void ScriptStatus() {}  // the routine runs

  std::shared_ptr<standalone::SqliteDatabase> db = testing::SampleDatabase(":memory:", false);
  standalone::SqliteXmlQueryService service{db};
};

// A database of its own on the test server, with the dictionary schema and t.
struct PostgresEngine {
  static constexpr bool kRunsSql = true;
  static constexpr int32_t kBadFilter = ErrorNumber::kInvalidArgument;
  static constexpr const char* kRowSetSource = "PostgresDatabase";
  static constexpr const char* kSqlSource = "PostgresDatabase";
  static constexpr int32_t kBadSql = postgres::kDatabaseError;

  PostgresEngine() {
    if (!testing::TestServer()) return;  // the test skips itself
    scratch.emplace();
    db = std::make_shared<postgres::PostgresDatabase>(scratch->Address());
    standalone::CreateDictionarySchema(*db);
    standalone::InstallRoutines(*db);
    db->Execute("CREATE TABLE t (ID INTEGER, NAME VARCHAR(20), WHEN_DONE TIMESTAMP(0))");
    service.emplace(db);
  }
  IDBObject& Db() { return db ? static_cast<IDBObject&>(*db) : noServer.Database(); }
  IXMLQueryService& Transactions() { return *service; }
  IDBProcedureCallPtr NewCall() { return std::make_shared<standalone::SqliteProcedureCall>(db); }
  void Write(const Rows& rows) { InsertRows(*db, rows); }
  void ScriptStatus() {}

  testing::TestHost noServer;  // stands in until SetUp skips the test
  std::optional<testing::ScratchDatabase> scratch;
  std::shared_ptr<postgres::PostgresDatabase> db;
  std::optional<standalone::SqliteXmlQueryService> service;
};

struct ScriptedEngine {
  static constexpr bool kRunsSql = false;
  static constexpr int32_t kBadFilter = testing::RecordsetError::kBadArguments;
  static constexpr const char* kRowSetSource = "ScriptedRecordset";
  static constexpr const char* kSqlSource = "";
  static constexpr int32_t kBadSql = 0;

  IDBObject& Db() { return host.Database(); }
  IXMLQueryService& Transactions() { return host.XmlQueryService(); }
  IDBProcedureCallPtr NewCall() { return host.CreateProcedureCall(); }
  void Write(const Rows& rows) { host.Database().AddRows(kSelect, {{"ID", "NAME", "WHEN_DONE"}, rows}); }
  void ScriptStatus() {
    host.Database().ScriptRoutine("tq_Dictionary.UDC_Stat", {Variant(), {{1, Variant("E")}, {2, Variant("why")}}});
  }

  testing::TestHost host;
};

template <class Engine>
class DatabaseContractTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if constexpr (std::is_same_v<Engine, PostgresEngine>) {
      RIDIRODEV_NEEDS_PG_SERVER();
    }
  }
  Engine engine_;
  IDBObject& db_ = engine_.Db();
};
using Engines = ::testing::Types<SqliteEngine, PostgresEngine, ScriptedEngine>;
TYPED_TEST_SUITE(DatabaseContractTest, Engines);

TYPED_TEST(DatabaseContractTest, LiteralsAndRowValues) {
  IDBObject& db = this->db_;
  const Date when = Date::FromParts(2026, 12, 6, 14, 5, 9);
  auto object = [](const std::shared_ptr<Object>& o) { return Variant(o); };
  EXPECT_EQ(db.ValueListText({Variant(1), Variant(2.5), Variant("O'Brien's"), Variant::Null(), Variant(true),
                              Variant(when), Variant(Date::FromParts(2026, 12, 6)), object(db.IdLiteral(0)),
                              object(db.IdLiteral(7)), object(db.NumberLiteral(Variant::Null())),
                              object(db.TextLiteral("a'b")), object(db.DateLiteral(when)), object(db.NowLiteral())}),
            "1,2.5,'O''Brien''s',NULL,-1,'2026-12-06 14:05:09','2026-12-06 00:00:00',NULL,7,NULL,'a''b',"
            "'2026-12-06 14:05:09',SYSDATE");
  EXPECT_EQ(db.AssignmentListText({Variant("Name"), Variant("x"), Variant("Span"), Variant(3)}), "Name = 'x', Span = 3");
  EXPECT_EQ(ErrorOf([&] { db.AssignmentListText({Variant("Name")}); }), ErrorNumber::kInvalidArgument);
  EXPECT_EQ(ErrorOf([&] { db.ValueText(object(std::make_shared<testing::TestXmlNode>("x"))); }),
            ErrorNumber::kTypeMismatch);
  if (TypeParam::kRunsSql) {  // the server's word for now runs after translation
    EXPECT_TRUE(db.QueryValue("SELECT " + db.NowLiteral()->Text()).IsDate());
  }

  for (const Variant& yes : {Variant("Y"), Variant("y"), Variant(" True "), Variant("-1"), Variant("1"), Variant(true)}) {
    EXPECT_TRUE(db.FieldFlag(yes)) << yes.ToString();
  }
  for (const Variant& no : {Variant("N"), Variant("0"), Variant(""), Variant::Null(), Variant(false)}) {
    EXPECT_FALSE(db.FieldFlag(no)) << no.ToString();
  }
  EXPECT_EQ(db.FieldNumberOr(Variant::Null(), 42) + db.FieldNumberOr(Variant(" "), 42), 84);
  EXPECT_EQ(db.FieldNumberOr(Variant("17"), 42), 17);
  EXPECT_EQ(db.FieldNumber(Variant::Null()), 0);
  EXPECT_EQ(db.FieldText(Variant(when)), "12/6/2026 2:05:09 PM");

  // Rows as written, read back by column name in any case: dates as dates, nulls as nulls.
  this->engine_.Write({{Variant(1), Variant("a"), Variant(when)}, {Variant(2), Variant::Null(), Variant::Null()}});
  IDBRecordsetPtr rs = db.OpenRecordset(kSelect);
  ASSERT_NE(rs, nullptr);
  std::string seen;
  for (; !rs->Eof(); rs->MoveNext()) {
    const IDBFields& f = rs->Fields();
    const Date date = db.FieldDate(f.Value("when_done"));
    seen += std::to_string(f.NumberOr(0, db, -1)) + ":" + f.Text(1, db) + (f.Value("Name").IsNull() ? "null" : "") +
            ":" + (date.IsZero() ? "zero" : date.ToIso()) + ",";
  }
  EXPECT_EQ(seen, "1:a:" + when.ToIso() + ",2:null:zero,");
  EXPECT_EQ(ErrorOf([&] { rs->Fields().Value(0); }), 3021);  // past the last row
  EXPECT_EQ(ErrorOf([&] { rs->MoveNext(); }), 3021);
}

TYPED_TEST(DatabaseContractTest, RowSetMovesAndFilters) {
  this->engine_.Write({{Variant(1), Variant("a"), Variant::Null()},
                       {Variant(1), Variant("O'x"), Variant::Null()},
                       {Variant(2), Variant::Null(), Variant::Null()}});
  IDBRecordsetPtr rs = this->db_.OpenRecordset(kSelect);
  ASSERT_NE(rs, nullptr);
  EXPECT_FALSE(rs->Bof());
  rs->MoveNext();
  EXPECT_EQ(rs->RecordCount(), 3);
  EXPECT_EQ(rs->Fields().Value("NAME").ToString(), "O'x");  // counting kept the position
  auto names = [&] {
    std::string out;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) out += this->db_.FieldText(rs->Fields().Value(1)) + ",";
    return out;
  };
  const std::pair<const char*, const char*> filters[] = {
      {"ID = 1", "a,O'x,"}, {"name = 'o''x'", "O'x,"}, {"id = 1 and NAME <> 'a'", "O'x,"},
      {"NAME <> 'a'", "O'x,"},  // a null matches no comparison
      {"ID = 9", ""},           {"", "a,O'x,,"}};
  for (const auto& [filter, expected] : filters) {
    rs->SetFilter(filter);
    EXPECT_EQ(names(), expected) << filter;
  }
  for (const char* bad : {"ID = 'open", "ID = 1 or ID = 2", "ID > 1"}) {
    EXPECT_EQ(ErrorOf([&] { rs->SetFilter(bad); }), TypeParam::kBadFilter) << bad;
  }
  EXPECT_EQ(rs->Filter(), "");  // a bad filter leaves the last good one
  EXPECT_EQ(ErrorText([&] { rs->Fields().Value("Missing"); }),
            std::to_string(ErrorNumber::kItemNotFound) + " " + TypeParam::kRowSetSource);

  IDBRecordsetPtr none = this->db_.OpenRecordset("SELECT ID FROM t WHERE ID = 99");
  ASSERT_NE(none, nullptr);
  EXPECT_TRUE(none->Bof() && none->Eof());
  EXPECT_EQ(this->db_.QueryValue("SELECT ID FROM t WHERE ID = 99", Variant(-1)).ToInt32(), -1);
}

TYPED_TEST(DatabaseContractTest, ProcedureOutputsBySequencesAndPosition) {
  const int32_t first = this->db_.NextSequenceNumber("SQ_BusyHour");
  EXPECT_EQ(this->db_.NextSequenceNumber("SQ_BusyHour"), first + 1);
  this->engine_.ScriptStatus();
  IDBProcedureCallPtr call = this->engine_.NewCall();
  call->SetName("tq_Dictionary.UDC_Stat");
  for (const char* text : {"12", "", ""}) call->AddParameter(text, "integer");
  call->Run();
  EXPECT_EQ(this->db_.FieldNumber(call->ParameterValue(0)), 12);  // an input reads back as given
  for (int32_t output : {1, 2}) EXPECT_FALSE(this->db_.FieldText(call->ParameterValue(output)).empty()) << output;
  EXPECT_EQ(ErrorOf([&] { call->ParameterValue(3); }), ErrorNumber::kSubscriptOutOfRange);
}

// A transaction begun inside another is a savepoint: rolling it back undoes its own writes only.
TYPED_TEST(DatabaseContractTest, TransactionsNestAsSavepoints) {
  IXMLQueryService& service = this->engine_.Transactions();
  auto insert = [&](int id) { this->db_.Execute("INSERT INTO t VALUES (" + std::to_string(id) + ", 'x', NULL)"); };
  service.RollbackTransaction();  // none open: nothing to do
  EXPECT_EQ(ErrorOf([&] { service.CommitTransaction(); }), ErrorNumber::kInvalidArgument);
  service.BeginTransaction();
  insert(1);
  service.BeginTransaction();
  insert(2);
  service.RollbackTransaction();
  service.BeginTransaction();
  insert(4);
  service.CommitTransaction();
  service.CommitTransaction();
  service.BeginTransaction();
  insert(8);
  service.RollbackTransaction();
  service.RollbackTransaction();  // a second rollback on an error path is harmless
  if (TypeParam::kRunsSql) {
    EXPECT_EQ(this->db_.QueryValue("SELECT SUM(ID) FROM t").ToInt32(), 5);
  }
}

TYPED_TEST(DatabaseContractTest, BadSqlAndASecondStatementFailWithTheEnginesError) {
  if (!TypeParam::kRunsSql) GTEST_SKIP() << "no SQL engine";
  const std::string error = std::to_string(TypeParam::kBadSql) + " " + TypeParam::kSqlSource;
  EXPECT_EQ(ErrorText([&] { this->db_.OpenRecordset("SELECT UNIQUE Name FROM nowhere"); }), error);
  // A second statement would not run: it is refused rather than dropped unseen.
  for (const char* bad : {"SELEC 1", "INSERT INTO t VALUES (1, 'a', NULL); DELETE FROM t"}) {
    EXPECT_EQ(ErrorText([&] { this->db_.Execute(bad); }), error) << bad;
  }
  this->db_.Execute("INSERT INTO t VALUES (1, 'a', NULL) ; -- done");
  EXPECT_EQ(this->db_.QueryValue("SELECT COUNT(*) FROM t").ToInt32(), 1);
}

}  // namespace
}  // namespace ridirodev
