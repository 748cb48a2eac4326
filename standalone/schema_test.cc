#include "standalone/schema.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "postgres/postgres_database.h"
#include "ridirodev/core/automation_error.h"
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

RIDIRODEV_ON_EVERY_ENGINE(SchemaTest);

}  // namespace
}  // namespace ridirodev::standalone
