#include "standalone/schema.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "postgres/postgres_database.h"
#include "ridirodev/core/automation_error.h"
#include "standalone/calculation_translator.h"
#include "standalone/routines.h"
#include "standalone/sample.h"
#include "testing/pg_server.h"
#include "testing/sample.h"

namespace ridirodev::standalone {
namespace {

using testing::TestEngine;

// An empty database of the engine (with the dictionary functions), or the sample.
class SchemaTest : public ::testing::TestWithParam<TestEngine> {
 protected:
  void SetUp() override { RIDIRODEV_SKIP_WITHOUT_SERVER(GetParam()); }
  void UseEmpty() {
    if (GetParam() == TestEngine::kSqlite) {
      SqliteDatabaseOptions options;
      options.create = true;
      db_ = std::make_shared<SqliteDatabase>(":memory:", options);
      return;
    }
    // The database object goes first, then its database on the server.
    struct OnServer {
      testing::ScratchDatabase scratch;
      std::shared_ptr<postgres::PostgresDatabase> db =
          std::make_shared<postgres::PostgresDatabase>(scratch.Address());
    };
    auto server = std::make_shared<OnServer>();
    db_ = {server, server->db.get()};
  }
  void UseSample(bool withSample = true) { db_ = testing::SampleOn(GetParam(), withSample); }
  // How many objects the database holds beside the table named but.
  std::string ObjectsBut(const std::string& but) {
    return Value(
        GetParam() == TestEngine::kSqlite
            ? "SELECT count(*) FROM sqlite_master WHERE name <> '" + but + "'"
            : "SELECT (SELECT count(*) FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
              "WHERE n.nspname NOT LIKE 'pg\\_%' AND n.nspname <> 'information_schema' AND c.relname <> '" +
                  but +
                  "') + (SELECT count(*) FROM pg_namespace WHERE nspname = 'ea_dd') + (SELECT count(*) "
                  "FROM pg_proc WHERE pronamespace = 'public'::regnamespace) + (SELECT count(*) FROM "
                  "pg_collation WHERE collname = 'nocase')");
  }

  void Exec(const std::string& sql) { testing::Exec(*db_, sql); }
  std::vector<std::string> Rows(const std::string& sql) { return testing::Rows(*db_, sql); }
  std::string Value(const std::string& sql) { return testing::FirstRow(*db_, sql); }
  std::string FieldId(int entity, const std::string& name) {
    return std::to_string(testing::SampleFieldId(*db_, entity, name));
  }

  std::shared_ptr<engine::EngineDatabase> db_;
};

TEST_P(SchemaTest, FailedCreationLeavesNothingBehindAndNamesTheCause) {
  UseEmpty();
  // A table of the schema already there: creation stops partway and must undo its start.
  Exec("CREATE TABLE tq_frequency (x INTEGER)");
  EXPECT_THAT([&] { CreateDictionarySchema(*db_); },
              ::testing::ThrowsMessage<AutomationError>(::testing::HasSubstr("tq_frequency")));
  EXPECT_EQ(ObjectsBut("tq_frequency"), "0");
  EXPECT_FALSE(db_->InAnyTransaction());
  // Inside a transaction of the caller it commits nothing.
  Exec("DROP TABLE tq_frequency");
  db_->BeginTransaction();
  CreateDictionarySchema(*db_);
  db_->RollbackTransaction();
  EXPECT_EQ(ObjectsBut(""), "0");
}

TEST_P(SchemaTest, SampleFieldsAreCoherentWithTheirQualifiers) {
  UseSample();
  const char* const breaches[] = {
      // Entity, data source, field type offered by the data source, aggregator and owner all exist.
      "SELECT d.Name FROM tqd_Datasource_Field d WHERE d.Entity_Id NOT IN (SELECT Entity_Id FROM TQN_ENTITY) "
      "OR d.DataSource_ID NOT IN (SELECT DataSource_Id FROM TQD_Data_Source) OR NOT EXISTS (SELECT 1 FROM "
      "tqd_Application_Field_Group g WHERE g.DataSource_ID = d.DataSource_ID AND g.Field_Group_Short = "
      "d.Field_Group_Short) OR (d.Field_Aggregator IS NOT NULL AND d.Field_Aggregator NOT IN (SELECT AGGR_ID "
      "FROM TQD_Aggregator)) OR (d.Field_Owner IS NOT NULL AND d.Field_Owner NOT IN (SELECT Id FROM "
      "PM_User)) OR Tech_Mask & ~31 <> 0",
      // Names are unique per entity and data source; Client and Traffic fields, shown together, share none.
      "SELECT Entity_Id, DataSource_ID, upper(Name) FROM tqd_Datasource_Field GROUP BY 1, 2, 3 HAVING "
      "count(*) > 1",
      "SELECT c.Name FROM tqd_Datasource_Field c JOIN tqd_Datasource_Field t ON t.Entity_Id = c.Entity_Id "
      "AND upper(t.Name) = upper(c.Name) WHERE c.DataSource_ID = 1 AND t.DataSource_ID = 2",
      "SELECT Name FROM tqd_Datasource_Field WHERE DataType = 'E' AND Field_Id NOT IN (SELECT Field_Id FROM "
      "TQD_ENUM_VALUES)",
      // Busy hours join the name table without a namespace, so their fields must have one name row;
      // documents name only fields that exist.
      "SELECT b.Name FROM PM_BusyHour b, tqd_dict_name d WHERE b.Field_Id IS NOT NULL AND d.Field_Id = "
      "b.Field_Id GROUP BY b.Id HAVING count(*) <> 1",
      "SELECT Field_Id FROM PM_ReportSpec WHERE Field_Id NOT IN (SELECT Field_Id FROM tqd_Dict_Field) UNION "
      "ALL SELECT Field_Id FROM PM_TemplateField WHERE Field_Id NOT IN (SELECT Field_Id FROM "
      "tqd_Dict_Field)"};
  for (const char* sql : breaches) EXPECT_EQ(Rows(sql), std::vector<std::string>{}) << sql;
  // New ids continue after the loaded ones.
  EXPECT_EQ(std::to_string(db_->NextSequenceNumber(kFieldSequence) - 1),
            Value("SELECT max(Field_Id) FROM tqd_Dict_Field"));
}

TEST_P(SchemaTest, SampleCalculationsAreTranslatedAndTheirDependenciesResolve) {
  UseSample();
  // Only the calculation that names a retired counter stays unresolved.
  EXPECT_EQ(Rows("SELECT Name || ':' || Status FROM tqd_Datasource_Field WHERE Field_Group_Short = 'UDC' "
                 "AND Status <> 'T'"),
            std::vector<std::string>{"Legacy_Retry_Rate:S"});
  // A reference qualified by an entity reaches that entity's field.
  EXPECT_EQ(Rows("SELECT x.child_field_id FROM tqd_dict_field_depend x WHERE x.parent_field_id = " +
                 FieldId(kSampleSectorEntity, "Sector_Erlang_Share") + " ORDER BY 1"),
            (std::vector<std::string>{FieldId(kSampleCellEntity, "Traffic_Erlangs"),
                                      FieldId(kSampleSectorEntity, "Traffic_Erlangs")}));
  EXPECT_EQ(Value("SELECT Calc_Source FROM tqd_Datasource_Field WHERE Field_Id = " +
                  FieldId(kSampleCellEntity, "Call_Success_Rate")),
            "100 - F" + FieldId(kSampleCellEntity, "Drop_Rate") + " - F" +
                FieldId(kSampleCellEntity, "Block_Rate"));
}

TEST_P(SchemaTest, FailedSampleLoadRollsBackEverything) {
  UseSample(false);
  Exec("INSERT INTO PM_User (Id, Name) VALUES (1, 'someone')");
  EXPECT_THROW(LoadSampleDictionary(*db_, {}), AutomationError);
  EXPECT_EQ(Value("SELECT (SELECT count(*) FROM TQD_Data_Source), (SELECT count(*) FROM PM_User)"), "0|1");
  EXPECT_FALSE(db_->InAnyTransaction());
}

TEST_P(SchemaTest, RowsAddedInBulkArriveWholeOrNotAtAll) {
  UseEmpty();
  Exec("CREATE TABLE bulk_t (id BIGINT PRIMARY KEY, t VARCHAR(40))");
  const std::string texts[] = {
      "tab\there", "two\nlines\r", "back\\slash", "\\N", "", "na\xc3\xafve \xe2\x82\xac"};
  auto rows = db_->InsertInBulk("bulk_t", {"id", "t"});
  int64_t id = 0;
  for (const std::string& t : texts) {
    rows->Int(++id).Text(t);
    rows->EndRow();
  }
  rows->Int(INT64_MIN).Null();
  rows->EndRow();
  rows->Int(INT64_MAX).Text("last");
  rows->EndRow();
  rows->Flush();
  rows->Flush();  // nothing left to send
  std::vector<std::string> expected = {std::to_string(INT64_MIN) + "|<null>"};
  id = 0;
  for (const std::string& t : texts) expected.push_back(std::to_string(++id) + "|" + t);
  expected.push_back(std::to_string(INT64_MAX) + "|last");
  EXPECT_EQ(testing::Rows(*db_, "SELECT id, t FROM bulk_t ORDER BY id", "<null>"), expected);

  // A row of the wrong length is refused before anything is sent.
  rows->Int(100);
  EXPECT_THROW(rows->EndRow(), AutomationError);
  EXPECT_THROW(rows->Text("x").Text("y"), AutomationError);
  EXPECT_THROW(db_->InsertInBulk("bulk_t; DROP TABLE bulk_t", {"id"}), AutomationError);
  EXPECT_THROW(db_->InsertInBulk("bulk_t", {"id", "t)"}), AutomationError);
  EXPECT_THROW(db_->InsertInBulk("bulk_t", {}), AutomationError);

  // A duplicate key fails the insert, and the transaction keeps none of its rows.
  {
    engine::EngineTransaction transaction(*db_);
    auto more = db_->InsertInBulk("bulk_t", {"id", "t"});
    more->Int(1000).Text("new");
    more->EndRow();
    EXPECT_THROW(
        {
          more->Int(1).Text("again");
          more->EndRow();
          more->Flush();
        },
        AutomationError);
  }
  EXPECT_EQ(Value("SELECT count(*), max(id) FROM bulk_t WHERE id < 1000 AND id > 0"), "6|6");
  EXPECT_EQ(Value("SELECT count(*) FROM bulk_t WHERE id = 1000"), "0");
}

// The generated fields are translated before they are stored, and must come out as the
// translation of stored calculations would leave them.
TEST_P(SchemaTest, GeneratedFieldsAreStoredTranslated) {
  UseSample(false);
  std::vector<std::string> progress;
  SampleOptions options;
  options.size = 40;
  options.progress = [&](std::string_view step, int64_t done, int64_t total) {
    progress.push_back(std::string(step) + " " + std::to_string(done) + "/" + std::to_string(total));
  };
  LoadSampleDictionary(*db_, options);
  EXPECT_EQ(progress.size(), 20u);
  EXPECT_EQ(progress.at(9), "translated calculations 40/40");
  EXPECT_EQ(progress.at(19), "stored fields 40/40");

  const std::string bench = std::to_string(kSampleBenchEntity);
  EXPECT_EQ(Value("SELECT count(*), count(DISTINCT Field_Id), min(Name), max(Name) FROM tqd_Datasource_Field "
                  "WHERE Entity_Id = " +
                  bench),
            "40|40|Bench_Blocked_000001|Bench_Success_000004");
  const std::string calcs =
      "SELECT Field_Id FROM tqd_Datasource_Field WHERE Field_Group_Short = 'UDC' AND Entity_Id = " + bench;
  auto snapshot = [&] {
    return testing::Rows(
        *db_,
        "SELECT f.Field_Id, f.Status, u.CALC_SOURCE, (SELECT count(*) FROM tqd_dict_field_depend x WHERE "
        "x.parent_field_id = f.Field_Id), (SELECT min(child_field_id) FROM tqd_dict_field_depend x WHERE "
        "x.parent_field_id = f.Field_Id) FROM tqd_Dict_Field f JOIN TQD_UDC_DEF u ON u.Field_Id = f.Field_Id "
        "WHERE f.Field_Id IN (" +
            calcs + ") ORDER BY 1");
  };
  const std::vector<std::string> loaded = snapshot();
  ASSERT_EQ(loaded.size(), 12u);
  const std::string success = FieldId(kSampleBenchEntity, "Bench_Success_000002");
  const std::string dropRate = FieldId(kSampleBenchEntity, "Bench_Drop_Rate_000002");
  EXPECT_EQ(loaded.at(5), success + "|T|100 - F" + dropRate + "|1|" + dropRate);
  EXPECT_EQ(loaded.at(3), dropRate + "|T|100 * F" + FieldId(kSampleBenchEntity, "Bench_Dropped_000002") +
                              " / NULLIF(F" + FieldId(kSampleBenchEntity, "Bench_Call_Att_000002") + " - F" +
                              FieldId(kSampleBenchEntity, "Bench_Blocked_000002") + ", 0)|0|NULL");
  // Translated again one by one, from the stored rows, nothing changes.
  CalculationTranslator translator(*db_);
  const std::vector<std::string> ids = Rows(calcs);
  for (const std::string& id : ids) translator.RebuildDependencies(std::stoi(id));
  for (const std::string& id : ids) translator.Translate(std::stoi(id));
  EXPECT_EQ(snapshot(), loaded);
  // New ids go on after the generated ones; the vendor names and styles came along.
  EXPECT_EQ(std::to_string(db_->NextSequenceNumber(kFieldSequence) - 1),
            Value("SELECT max(Field_Id) FROM tqd_Dict_Field"));
  EXPECT_EQ(Value("SELECT count(*) FROM tqd_Dict_Name WHERE NameSpace_Id = 11 AND Entity_Id = " + bench),
            "4");
  EXPECT_EQ(
      Value("SELECT count(*) FROM tqd_field_style s JOIN tqd_Dict_Name n ON n.Field_Id = s.Field_Id AND "
            "n.NameSpace_Id = 0 WHERE n.Entity_Id = " +
            bench),
      "4");
}

// A field's own name row repeats the field's data source, whatever its insert said, through
// every order of inserts, several rows at once, and a move of the field.
TEST_P(SchemaTest, NameRowsFollowTheirFieldsDataSource) {
  UseSample(false);
  auto names = [&] {
    return Rows("SELECT Field_Id || ':' || NameSpace_Id || ':' || COALESCE(DataSource_ID, 0) FROM tqd_Dict_Name "
                "ORDER BY Field_Id, NameSpace_Id");
  };
  const std::string name = "INSERT INTO tqd_Dict_Name (Field_Id, NameSpace_Id, Entity_Id, Name, DataSource_ID) VALUES ";
  Exec(name + "(1, 0, 12, 'a', 7), (1, 11, 12, 'vendor', NULL)");
  EXPECT_EQ(names(), (std::vector<std::string>{"1:0:0", "1:11:0"}));  // no field yet
  Exec("INSERT INTO tqd_Dict_Field (Field_Id, DataSource_ID, DataType, Field_Group_Short) VALUES (1, 2, 'I', "
       "'Peg'), (2, 1, 'I', 'Peg')");
  Exec(name + "(2, 0, 12, 'b', 9), (3, 0, 12, 'c', 1)");
  EXPECT_EQ(names(), (std::vector<std::string>{"1:0:2", "1:11:0", "2:0:1", "3:0:0"}));
  Exec("UPDATE tqd_Dict_Field SET DataSource_ID = 3 WHERE Field_Id = 2");
  // An upsert that ends in an update is no new row.
  Exec("UPDATE tqd_Dict_Name SET DataSource_ID = 5 WHERE Field_Id = 1 AND NameSpace_Id = 0");
  Exec(name + "(1, 0, 12, 'a2', NULL) ON CONFLICT (Field_Id, NameSpace_Id) DO UPDATE SET Name = 'a2'");
  EXPECT_EQ(names(), (std::vector<std::string>{"1:0:5", "1:11:0", "2:0:3", "3:0:0"}));
  EXPECT_EQ(Value("SELECT Name FROM tqd_Dict_Name WHERE Field_Id = 1 AND NameSpace_Id = 0"), "a2");
}

RIDIRODEV_ON_EVERY_ENGINE(SchemaTest);

}  // namespace
}  // namespace ridirodev::standalone
