#include "standalone/sqlite_database.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "standalone/controls.h"
#include "standalone/query_service.h"
#include "standalone/schema.h"
#include "testing/errors.h"

namespace ridirodev::standalone {
namespace {

namespace fs = std::filesystem;
using ::testing::AllOf;
using testing::ErrorOf;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

std::string ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "ridirodev_db_XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempDir() { fs::remove_all(path_, ec_); }  // best effort
  fs::path operator/(const char* name) const { return path_ / name; }

 private:
  fs::path path_;
  std::error_code ec_;
};

std::shared_ptr<SqliteDatabase> NewDictionary(const std::string& path, SqliteDatabaseOptions options = {}) {
  options.create = true;
  auto db = std::make_shared<SqliteDatabase>(path, options);
  CreateDictionarySchema(db->Connection()->Handle());
  return db;
}

TEST(SqliteDatabaseTest, LiteralsValueTextsAndFieldReaders) {
  SqliteDatabase db(":memory:");
  EXPECT_EQ(db.TextLiteral("O'Brien's")->Text(), "'O''Brien''s'");
  EXPECT_EQ(db.IdLiteral(0)->Text(), "NULL");
  EXPECT_EQ(db.DateLiteral(Date::FromParts(2026, 12, 6, 14, 5, 9))->Text(), "'2026-12-06 14:05:09'");
  EXPECT_EQ(db.NumberLiteral(Variant::Null())->Text(), "NULL");
  EXPECT_EQ(db.ValueListText({Variant(1), Variant("a'b"), Variant::Null(), Variant(true),
                              Variant(std::static_pointer_cast<Object>(db.IdLiteral(0)))}),
            "1,'a''b',NULL,-1,NULL");
  EXPECT_EQ(db.AssignmentListText({Variant("Name"), Variant("x"), Variant("Span"), Variant(3)}),
            "Name = 'x', Span = 3");
  EXPECT_EQ(ErrorOf([&] { db.AssignmentListText({Variant("Name")}); }), ErrorNumber::kInvalidArgument);
  // NowLiteral is the server's word for now; it must run after translation.
  EXPECT_TRUE(db.QueryValue("SELECT " + db.NowLiteral()->Text()).IsDate());
  // Dates, the zero date included, come back as they went in.
  for (Date d : {Date::FromParts(2026, 12, 6, 14, 5, 9), Date::Zero()}) {
    EXPECT_EQ(db.FieldDate(db.QueryValue("SELECT " + db.DateLiteral(d)->Text())), d);
  }
  // Readers of row values are safe with Null.
  EXPECT_EQ(db.FieldNumberOr(Variant::Null(), 42), 42);
  EXPECT_EQ(db.FieldDate(Variant::Null()), Date::Zero());
  EXPECT_TRUE(db.FieldFlag(Variant("y")));
  EXPECT_FALSE(db.FieldFlag(Variant::Null()));
}

TEST(SqliteDatabaseTest, SchemaQuestionsAndRowSetsReadByNameStreamCountAndFilter) {
  auto db = NewDictionary(":memory:");
  EXPECT_EQ(db->ColumnWidth("tqd_dict_name", "NAME"), 30);
  EXPECT_EQ(db->ColumnWidth("PM_User", "Id"), 0);  // no declared width
  EXPECT_EQ(db->ColumnWidth("No_Such", "Name"), 0);
  EXPECT_TRUE(db->TableExists("TQD_DATASOURCE_FIELD"));  // views count
  EXPECT_FALSE(db->TableExists("pm_busyhours"));
  EXPECT_TRUE(db->ColumnExists("PM_BusyHour", "daily_retention"));

  db->Execute("CREATE TABLE t (Field_Id INTEGER, Enum_Key VARCHAR2(10), When_Done DATE)");
  db->Execute("INSERT INTO t VALUES (1,'a','2026-01-02 03:04:05'),(2,'b',NULL),(1,'c',NULL),(3,'O''x',NULL)");
  IDBRecordsetPtr rs = db->OpenRecordset("SELECT * FROM t ORDER BY Field_Id, Enum_Key");
  ASSERT_NE(rs, nullptr);
  ASSERT_FALSE(rs->Bof());
  EXPECT_EQ(rs->Fields().Value("field_id").ToInt32(), 1);
  EXPECT_TRUE(rs->Fields().Value("WHEN_DONE").IsDate());
  // Expressions have no declared type: text in the stored date form still reads as a date.
  EXPECT_TRUE(db->QueryValue("SELECT MIN(When_Done) FROM t").IsDate());
  EXPECT_EQ(ErrorOf([&] { rs->Fields().Value("Missing"); }), ErrorNumber::kItemNotFound);
  rs->MoveNext();
  EXPECT_EQ(rs->RecordCount(), 4);  // reads the rest but keeps the position
  EXPECT_EQ(rs->Fields().Value("Enum_Key").ToString(), "c");

  rs->SetFilter("FIELD_ID = 1");
  std::vector<std::string> keys;
  for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) keys.push_back(rs->Fields().Value("Enum_Key").ToString());
  EXPECT_THAT(keys, ::testing::ElementsAre("a", "c"));
  rs->SetFilter("Enum_Key = 'O''x'");
  EXPECT_EQ(rs->RecordCount(), 1);
  rs->SetFilter("FIELD_ID = 9");
  EXPECT_EQ(ErrorOf([&] { rs->Fields().Value(0); }), 3021);
  EXPECT_EQ(ErrorOf([&] { rs->SetFilter("FIELD_ID > 1"); }), ErrorNumber::kInvalidArgument);

  IDBRecordsetPtr none = db->OpenRecordset("SELECT * FROM t WHERE Field_Id = 99");
  ASSERT_NE(none, nullptr);
  EXPECT_TRUE(none->Bof() && none->Eof());
  EXPECT_EQ(db->QueryValue("SELECT Field_Id FROM t WHERE Field_Id = 99", Variant(-1)).ToInt32(), -1);
}

// The typed reads of a live row answer exactly what the Variant and the database object give,
// errors included, for every kind of value; on a stored row set they take the Variant path.
TEST(SqliteDatabaseTest, TypedReadsAgreeWithValueAndTheFieldReaders) {
  SqliteDatabase db(":memory:");
  db.Execute("CREATE TABLE t (T VARCHAR2(10), N INTEGER, F NUMBER, D DATE)");
  db.Execute(
      "INSERT INTO t VALUES ('abc', 7, 2.5, '2026-01-02 03:04:05'), (NULL, NULL, NULL, NULL), "
      "(' ', 5000000000, 'x', '2026-01-02'), ('2026-01-02 03:04:05', -3, 1e300, 'not a date')");
  auto outcome = [](const auto& read) {
    try {
      return "=" + Variant(read()).ToString();
    } catch (const AutomationError& e) {
      return "error " + std::to_string(e.Number());
    }
  };
  for (const char* statement : {"SELECT T, N, F, D, T || '' AS E, MIN(D, D) AS M FROM t",
                                "SELECT T, N, F, D, T || '' AS E, MIN(D, D) AS M FROM t ORDER BY 1"}) {
    IDBRecordsetPtr rs = db.OpenRecordset(statement);
    ASSERT_NE(rs, nullptr);
    int rows = 0;
    for (; !rs->Eof(); rs->MoveNext(), ++rows) {
      if (rows == 2) rs->RecordCount();  // from here on the rows are held in memory
      const IDBFields& fields = rs->Fields();
      for (int32_t i = -1; i <= fields.Count(); ++i) {
        SCOPED_TRACE(std::string(statement) + ", row " + std::to_string(rows) + ", column " +
                     std::to_string(i));
        EXPECT_EQ(outcome([&] { return fields.Text(i, db); }),
                  outcome([&] { return db.FieldText(fields.Value(i)); }));
        EXPECT_EQ(outcome([&] { return fields.NumberOr(i, db, 9); }),
                  outcome([&] { return db.FieldNumberOr(fields.Value(i), 9); }));
      }
    }
    EXPECT_EQ(rows, 4);
  }
}

TEST(SqliteDatabaseTest, BadStatementsNameTheCauseAndTheText) {
  SqliteDatabase db(":memory:");
  auto open = [&] { db.OpenRecordset("SELECT UNIQUE Name FROM nowhere"); };
  EXPECT_EQ(ErrorOf(open), kDatabaseError);
  EXPECT_THAT(open,
              ThrowsMessage<AutomationError>(AllOf(HasSubstr("no such table: nowhere"),
                                                   HasSubstr("Statement: SELECT UNIQUE Name FROM nowhere"),
                                                   HasSubstr("As run: SELECT DISTINCT Name FROM nowhere"))));
}

TEST(SqliteDatabaseTest, MissingCorruptAndForeignFilesAreRefusedClearly) {
  TempDir dir;
  std::ofstream(dir / "corrupt.db") << std::string(4096, 'x');
  SqliteDatabaseOptions create;
  create.create = true;
  SqliteDatabase((dir / "plain.db").string(), create);
  for (const auto& [name, version] : {std::pair{"newer.db", "999"}, {"garbled.db", "abc"}}) {
    NewDictionary((dir / name).string())
        ->Execute("UPDATE ridirodev_meta SET Value = '" + std::string(version) +
                  "' WHERE Name = 'schema_version'");
  }
  for (const auto& [name, message] :
       {std::pair{"missing.db", "does not exist"},
        {"corrupt.db", "not a usable dictionary database"},
        {"plain.db", "holds no dictionary"},
        {"newer.db", "schema version 999, newer than version 2 that this tool knows"},
        {"garbled.db", "schema version 'abc'; this tool knows version 2"}}) {
    EXPECT_THAT([&] { SqliteDatabase((dir / name).string()); },
                ThrowsMessage<AutomationError>(HasSubstr(message)));
  }
}

TEST(SqliteDatabaseTest, FailedTransactionLeavesTheFileAsItWas) {
  TempDir dir;
  const std::string path = (dir / "dict.db").string();
  NewDictionary(path);
  SqliteDatabase{path};  // the first writable open changes how the file logs its writes
  const std::string before = ReadFile(path);
  {
    auto db = std::make_shared<SqliteDatabase>(path);
    SqliteXmlQueryService service(db);
    service.BeginTransaction();
    EXPECT_EQ(ErrorOf([&] { service.BeginTransaction(); }), ErrorNumber::kInvalidArgument);  // never nested
    db->Execute("INSERT INTO PM_User (Id, Name) VALUES (7, 'first')");
    db->NextSequenceNumber("SQ_BusyHour");
    // The third write fails: the name is taken.
    EXPECT_NE(ErrorOf([&] { db->Execute("INSERT INTO PM_User (Id, Name) VALUES (8, 'FIRST')"); }), 0);
    service.RollbackTransaction();
    service.RollbackTransaction();  // a second rollback on an error path is harmless
    EXPECT_EQ(db->QueryValue("SELECT COUNT(*) FROM PM_User WHERE Id = 7").ToInt32(), 0);
  }
  EXPECT_TRUE(ReadFile(path) == before);

  auto db = std::make_shared<SqliteDatabase>(path);
  SqliteXmlQueryService service(db);
  service.BeginTransaction();
  db->Execute("INSERT INTO PM_User (Id, Name) VALUES (7, 'first')");
  service.CommitTransaction();
  EXPECT_EQ(SqliteDatabase(path).QueryValue("SELECT Name FROM PM_User WHERE Id = 7").ToString(), "first");
}

TEST(SqliteDatabaseTest, TraceHoldsEveryStatementAsReceived) {
  TempDir dir;
  const fs::path trace = dir / "trace.sql";
  SqliteDatabaseOptions options;
  options.traceFile = trace.string();
  auto db = NewDictionary(":memory:", options);
  db->OpenRecordset("SELECT UNIQUE Name FROM PM_User");
  db->Execute("DELETE FROM PM_User WHERE Name = 'x'");
  EXPECT_EQ(ReadFile(trace), "SELECT UNIQUE Name FROM PM_User\nDELETE FROM PM_User WHERE Name = 'x'\n");
}

std::string Text(SlotRun run) { return std::to_string(run.first) + "-" + std::to_string(run.last); }

// Hour ranges hold the hours of the day a run touches and the seconds it starts and ends at;
// every day-slot setting reads them back into the slots they cover.
TEST(SqliteDatabaseTest, HourRangesHoldClockTimes) {
  auto database = [](int32_t daySlots) {
    SqliteDatabaseOptions options;
    options.daySlots = daySlots;
    return std::make_unique<SqliteDatabase>(":memory:", options);
  };
  // Each run of h as hours, seconds and the slots read back, walking on from the slots.
  auto walk = [](SqliteDatabase& db, const HourSelection& h,
                 const std::function<void(SlotRun, SlotRun, SlotRun)>& each) {
    for (int32_t start = 1;;) {
      const SlotRun hours = db.NextHourRun(start, h, true);
      if (hours.first < 1) return;
      const SlotRun seconds = db.NextSecondRun(start, h, true);
      const SlotRun slots = db.SlotRunFromHours(hours.first, hours.last, seconds.first, seconds.last);
      each(hours, seconds, slots);
      start = slots.last + 1;
    }
  };
  const std::tuple<int32_t, std::vector<int32_t>, const char*> written[] = {
      {24, {8, 9, 17, 18, 19}, "8-9 25200-32399 8-9,17-19 57600-68399 17-19,"},
      {96,
       {20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 40},
       "5-8 17100-26999 20-30,10-10 35100-35999 40-40,"},
      {32, {2, 32}, "1-2 2700-5399 2-2,24-24 83700-86399 32-32,"},
  };
  for (const auto& [daySlots, selected, expected] : written) {
    auto db = database(daySlots);
    HourSelection h;
    h.Resize(daySlots);
    for (int32_t slot : selected) h.SetSelected(slot, true);
    std::string text;
    walk(*db, h, [&](SlotRun hours, SlotRun seconds, SlotRun slots) {
      text += Text(hours) + " " + Text(seconds) + " " + Text(slots) + ",";
    });
    EXPECT_EQ(text, expected) << daySlots;
  }
  // Another setting takes every slot the run touches; hours without seconds are whole hours.
  const std::tuple<int32_t, SlotRun, SlotRun, SlotRun> read[] = {
      {48, {10, 10}, {35100, 35999}, {20, 20}}, {96, {10, 10}, {-1, -1}, {37, 40}},
      {32, {2, 2}, {-1, -1}, {2, 3}},           {24, {18, 22}, {61200, 79199}, {18, 22}},
      {96, {20, 30}, {-1, -1}, {77, 120}},
  };
  for (const auto& [daySlots, hours, seconds, slots] : read) {
    const SlotRun got =
        database(daySlots)->SlotRunFromHours(hours.first, hours.last, seconds.first, seconds.last);
    EXPECT_EQ(Text(got), Text(slots)) << daySlots;
  }

  // Any selection stored as runs and read back is the same selection.
  std::mt19937 random(7);
  for (int32_t daySlots : {24, 32, 96, 1440}) {
    auto db = database(daySlots);
    for (int round = 0; round < 100; ++round) {
      HourSelection h, back;
      h.Resize(daySlots);
      back.Resize(daySlots);
      for (int32_t slot = 1; slot <= daySlots; ++slot) h.SetSelected(slot, random() % 3 == 0);
      walk(*db, h, [&](SlotRun, SlotRun, SlotRun slots) {
        for (int32_t slot = slots.first; slot <= slots.last; ++slot) back.SetSelected(slot, true);
      });
      for (int32_t slot = 1; slot <= daySlots; ++slot)
        ASSERT_EQ(back.Selected(slot), h.Selected(slot)) << daySlots << " " << slot;
    }
  }
}

// Running routines and reading their outputs back is covered with the statements.
TEST(SqliteDatabaseTest, ProcedureCallParametersAreChecked) {
  SqliteProcedureCall call(NewDictionary(":memory:"));
  call.SetName("tq_Dictionary.Update_Field_Owner");
  EXPECT_EQ(ErrorOf([&] { call.AddParameter("twelve", "integer"); }), ErrorNumber::kTypeMismatch);
  call.AddParameter(" 12 ", "integer");
  EXPECT_EQ(call.ParameterValue(0), Variant(12));  // an input without output reads back as given
  EXPECT_EQ(ErrorOf([&] { call.ParameterValue(1); }), ErrorNumber::kSubscriptOutOfRange);
}

}  // namespace
}  // namespace ridirodev::standalone
