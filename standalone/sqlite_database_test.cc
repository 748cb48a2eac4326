#include "standalone/sqlite_database.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "standalone/controls.h"
#include "standalone/failing_database.h"
#include "standalone/host.h"
#include "standalone/query_service.h"
#include "testing/errors.h"
#include "testing/sample.h"
#include "testing/temp_dir.h"

namespace ridirodev::standalone {
namespace {

namespace fs = std::filesystem;
using ::testing::AllOf;
using testing::ErrorOf;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

using testing::ReadFile;
using testing::TempDir;

TEST(SqliteDatabaseTest, SchemaQuestionsAndDatesOfExpressions) {
  auto db = testing::SampleDatabase(":memory:", false);
  EXPECT_EQ(db->ColumnWidth("tqd_dict_name", "NAME"), 30);
  EXPECT_EQ(db->ColumnWidth("PM_User", "Id"), 0);  // no declared width
  EXPECT_EQ(db->ColumnWidth("No_Such", "Name"), 0);
  EXPECT_TRUE(db->TableExists("TQD_DATASOURCE_FIELD"));  // views count
  EXPECT_FALSE(db->TableExists("pm_busyhours"));
  EXPECT_TRUE(db->ColumnExists("PM_BusyHour", "daily_retention"));

  db->Execute("CREATE TABLE t (When_Done DATE)");
  db->Execute("INSERT INTO t VALUES ('2026-01-02 03:04:05'),(NULL)");
  // Expressions have no declared type: text in the stored date form still reads as a date.
  EXPECT_TRUE(db->QueryValue("SELECT MIN(When_Done) FROM t").IsDate());
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
  EXPECT_THAT([&] { db.OpenRecordset("SELECT UNIQUE Name FROM nowhere"); },
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
    testing::SampleDatabase((dir / name).string(), false)
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
  testing::SampleDatabase(path, false);
  SqliteDatabase{path};  // the first writable open changes how the file logs its writes
  const std::string before = ReadFile(path);
  {
    auto db = std::make_shared<SqliteDatabase>(path);
    SqliteXmlQueryService service(db);
    service.BeginTransaction();
    db->Execute("INSERT INTO PM_User (Id, Name) VALUES (7, 'first')");
    db->NextSequenceNumber("SQ_BusyHour");
    // The third write fails: the name is taken.
    EXPECT_NE(ErrorOf([&] { db->Execute("INSERT INTO PM_User (Id, Name) VALUES (8, 'FIRST')"); }), 0);
    service.RollbackTransaction();
    EXPECT_EQ(db->QueryValue("SELECT COUNT(*) FROM PM_User WHERE Id = 7").ToInt32(), 0);
  }
  EXPECT_TRUE(ReadFile(path) == before);
}

// What the host hands out traces statements as received, routines, sequences and transaction steps;
// an injected failure, of a commit or a routine call too, stops a call before it is traced.
TEST(SqliteDatabaseTest, TraceAndInjectedFailuresWrapTheHostsObjects) {
  TempDir dir;
  const fs::path trace = dir / "trace.sql";
  auto host = testing::SampleHost();
  host->TraceStatements(trace.string());
  FailureInjection& failures = host->Failures();
  IDBObjectPtr db = host->CreateDatabase();
  IXMLQueryServicePtr service = host->CreateXmlQueryService();
  EXPECT_THROW(host->TraceStatements(trace.string()), std::logic_error);  // too late now
  db->OpenRecordset("SELECT UNIQUE Name FROM PM_User");
  service->BeginTransaction();
  db->Execute("INSERT INTO PM_User (Id, Name) VALUES (7, 'x')");
  failures.FailOnCall(1, AutomationError(1, "test", "injected"));
  EXPECT_EQ(ErrorOf([&] { service->CommitTransaction(); }), 1);
  service->RollbackTransaction();
  service->RollbackTransaction();  // none open: not traced
  IDBProcedureCallPtr call = host->CreateProcedureCall();
  call->SetName("tq_Dictionary.Update_Field_Owner");
  call->AddParameter("7", "integer");
  call->AddParameter("", "integer");
  failures.FailOnCall(2, AutomationError(2, "test", "injected"));
  db->NextSequenceNumber("SQ_BusyHour");
  EXPECT_EQ(ErrorOf([&] { call->Run(); }), 2);
  EXPECT_FALSE(failures.FailureArmed());
  EXPECT_EQ(ReadFile(trace),
            "SELECT UNIQUE Name FROM PM_User\nBEGIN TRANSACTION\nINSERT INTO PM_User (Id, Name) VALUES (7, 'x')\n"
            "ROLLBACK\nSQ_BusyHour.NEXTVAL\n");
  EXPECT_EQ(db->QueryValue("SELECT COUNT(*) FROM PM_User WHERE Id = 7").ToInt32(), 0);
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
  SqliteProcedureCall call(testing::SampleDatabase(":memory:", false));
  call.SetName("tq_Dictionary.Update_Field_Owner");
  EXPECT_EQ(ErrorOf([&] { call.AddParameter("twelve", "integer"); }), ErrorNumber::kTypeMismatch);
  call.AddParameter(" 12 ", "integer");
  EXPECT_EQ(call.ParameterValue(0), Variant(12));  // an input without output reads back as given
}

}  // namespace
}  // namespace ridirodev::standalone
