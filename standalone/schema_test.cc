#include "standalone/schema.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "standalone/routines.h"
#include "standalone/sample.h"

namespace ridirodev::standalone {
namespace {

class Db {
 public:
  Db() {
    sqlite3_open(":memory:", &db_);
    RegisterDictionaryFunctions(db_);
  }
  ~Db() { sqlite3_close(db_); }
  Db(const Db&) = delete;
  Db& operator=(const Db&) = delete;
  sqlite3* get() const { return db_; }

  void Exec(const std::string& sql) const {
    char* message = nullptr;
    const int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message);
    const std::string why = message ? message : "";
    sqlite3_free(message);
    ASSERT_EQ(rc, SQLITE_OK) << why << "\n" << sql;
  }

  // Every row, columns joined by '|', nulls as "NULL".
  std::vector<std::string> Rows(const std::string& sql) const {
    sqlite3_stmt* stmt = nullptr;
    std::vector<std::string> rows;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
      ADD_FAILURE() << sqlite3_errmsg(db_) << "\n" << sql;
      return rows;
    }
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      std::string row;
      for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
        row += (i ? "|" : "") + std::string(text ? text : "NULL");
      }
      rows.push_back(row);
    }
    sqlite3_finalize(stmt);
    return rows;
  }

  std::string Value(const std::string& sql) const {
    const auto rows = Rows(sql);
    return rows.empty() ? "<no row>" : rows.front();
  }
  int64_t Count(const std::string& sql) const { return std::stoll(Value(sql)); }

  std::string DeclaredType(const std::string& table, const std::string& column) const {
    return Value("SELECT type FROM pragma_table_info('" + table + "') WHERE name = '" + column +
                 "' COLLATE NOCASE");
  }

 private:
  sqlite3* db_ = nullptr;
};

class SchemaTest : public ::testing::Test {
 protected:
  void SetUp() override { CreateDictionarySchema(db_.get()); }
  Db db_;
};

class SampleTest : public SchemaTest {
 protected:
  void SetUp() override {
    SchemaTest::SetUp();
    LoadSampleDictionary(db_.get(), {});
  }
  void ExpectNoRows(const std::string& sql) { EXPECT_EQ(db_.Rows(sql), std::vector<std::string>{}) << sql; }
  std::string FieldId(int entity, const std::string& name, int dataSource = kSampleTrafficDataSource) {
    return db_.Value("SELECT Field_Id FROM tqd_Datasource_Field WHERE Entity_Id = " + std::to_string(entity) +
                     " AND DataSource_ID = " + std::to_string(dataSource) + " AND Name = '" + name + "'");
  }
};

// ---- Schema ---------------------------------------------------------------------------

TEST_F(SchemaTest, RecordsItsVersionAndStartsTheSequences) {
  EXPECT_EQ(db_.Value("SELECT Value FROM ridirodev_meta WHERE Name = 'schema_version'"),
            std::to_string(kDictionarySchemaVersion));
  EXPECT_EQ(db_.Rows("SELECT Name, Value FROM ridirodev_sequence ORDER BY Name"),
            (std::vector<std::string>{"SQ_BusyHour|0", "SQ_Field|0", "SQ_HourRange|0"}));
}

TEST(SchemaCreation, FailureLeavesNothingBehindAndNamesTheCause) {
  Db db;
  // A table of the schema already there: creation stops partway and must undo its start.
  db.Exec("CREATE TABLE tq_frequency (x INTEGER)");
  try {
    CreateDictionarySchema(db.get());
    FAIL() << "expected an error";
  } catch (const AutomationError& e) {
    EXPECT_NE(e.Description().find("tq_frequency"), std::string::npos) << e.Description();
  }
  EXPECT_EQ(db.Count("SELECT count(*) FROM sqlite_master WHERE name <> 'tq_frequency'"), 0);
  // And it works inside a transaction of the caller without committing it.
  db.Exec("DROP TABLE tq_frequency; BEGIN");
  CreateDictionarySchema(db.get());
  db.Exec("ROLLBACK");
  EXPECT_EQ(db.Count("SELECT count(*) FROM sqlite_master"), 0);
}

TEST_F(SchemaTest, DeclaredWidthsAreTheLimitsUsersKnow) {
  const std::vector<std::vector<std::string>> expected = {
      {"tqd_Datasource_Field", "Name", "VARCHAR2(30)"},
      {"tqd_Datasource_Field", "Field_Desc", "VARCHAR2(255)"},
      {"tqd_Datasource_Field", "Report_Header", "VARCHAR2(30)"},
      {"tqd_Datasource_Field", "Report_Header2", "VARCHAR2(30)"},
      {"tqd_Datasource_Field", "Changed", "DATE"},
      {"PM_BusyHour", "FirstNeeded", "DATE"},
      {"TQD_UDC_DEF", "UDC_SOURCE", "VARCHAR2(4000)"},
      {"TQD_UDC_DEF", "CALC_SOURCE", "VARCHAR2(2000)"},
      {"PM_Filter", "Criteria", "VARCHAR2(2000)"},
      {"PM_BusyHour", "Name", "VARCHAR2(30)"},
      {"PM_BusyHour", "Description", "VARCHAR2(255)"},
      {"tqd_Dict_name", "Name", "VARCHAR2(30)"},
      {"tqd_Field_Data", "DataValue", "VARCHAR2(255)"},
  };
  for (const auto& e : expected) EXPECT_EQ(db_.DeclaredType(e[0], e[1]), e[2]) << e[0] << "." << e[1];
}

TEST_F(SchemaTest, OptionalFeaturesAreAllPresent) {
  // The capability probe switches features on by these columns and tables.
  const std::vector<std::vector<std::string>> columns = {
      {"TQD_UDC_DEF", "Complex"},
      {"tqd_Datasource_Field", "Complex"},
      {"tqd_datasource_field", "weight_field_id"},
      {"tqn_entity_context", "Context_Entity_Label"},
      {"PM_BUSYHOUR", "DAILY_RETENTION"},
      {"tq_min_partition", "max_partition_date"},
  };
  for (const auto& c : columns) EXPECT_NE(db_.DeclaredType(c[0], c[1]), "<no row>") << c[0] << "." << c[1];
  for (const char* table : {"TQD_FIELD_STYLE", "tqd_udr_keys", "pel_rcvform_entity"}) {
    EXPECT_EQ(db_.Count(std::string("SELECT count(*) FROM sqlite_master WHERE name = '") + table +
                        "' COLLATE NOCASE"),
              1)
        << table;
  }
}

// ---- Sample ---------------------------------------------------------------------------

TEST_F(SampleTest, FieldsAreCoherentWithTheirQualifiers) {
  EXPECT_GE(db_.Count("SELECT count(*) FROM tqd_Datasource_Field"), 200);
  // Entity, data source, field type offered by the data source, aggregator and owner all exist.
  ExpectNoRows(
      "SELECT d.Name FROM tqd_Datasource_Field d WHERE d.Entity_Id NOT IN (SELECT Entity_Id FROM TQN_ENTITY) "
      "OR d.DataSource_ID NOT IN (SELECT DataSource_Id FROM TQD_Data_Source) OR NOT EXISTS (SELECT 1 FROM "
      "tqd_Application_Field_Group g WHERE g.DataSource_ID = d.DataSource_ID AND g.Field_Group_Short = "
      "d.Field_Group_Short) OR (d.Field_Aggregator IS NOT NULL AND d.Field_Aggregator NOT IN (SELECT AGGR_ID "
      "FROM TQD_Aggregator)) OR (d.Field_Owner IS NOT NULL AND d.Field_Owner NOT IN (SELECT Id FROM "
      "PM_User))");
  // Names are unique per entity and data source: the field key is name and category.
  ExpectNoRows(
      "SELECT Entity_Id, DataSource_ID, upper(Name) FROM tqd_Datasource_Field GROUP BY 1, 2, 3 HAVING "
      "count(*) > 1");
  // Client and Traffic fields are shown together for an entity, so they must not share names.
  ExpectNoRows(
      "SELECT c.Name FROM tqd_Datasource_Field c JOIN tqd_Datasource_Field t ON t.Entity_Id = c.Entity_Id "
      "AND upper(t.Name) = upper(c.Name) WHERE c.DataSource_ID = 1 AND t.DataSource_ID = 2");
  // Every technology bit of a field is a known technology.
  EXPECT_EQ(db_.Count("SELECT count(*) FROM tqd_Datasource_Field WHERE Tech_Mask & ~31 <> 0"), 0);
  // Enumerated fields have their values.
  ExpectNoRows(
      "SELECT Name FROM tqd_Datasource_Field WHERE DataType = 'E' AND Field_Id NOT IN (SELECT Field_Id FROM "
      "TQD_ENUM_VALUES)");
  // Sequences continue after the loaded ids.
  EXPECT_EQ(db_.Value("SELECT Value FROM ridirodev_sequence WHERE Name = 'SQ_Field'"),
            db_.Value("SELECT max(Field_Id) FROM tqd_Dict_Field"));
  EXPECT_EQ(db_.Value("SELECT Value FROM ridirodev_sequence WHERE Name = 'SQ_HourRange'"),
            db_.Value("SELECT max(Id) FROM PM_HourRange"));
}

TEST_F(SampleTest, CalculationsAreTranslatedAndTheirDependenciesResolve) {
  // Only the calculation that names a retired counter stays unresolved.
  EXPECT_EQ(db_.Rows("SELECT Name || ':' || Status FROM tqd_Datasource_Field WHERE Field_Group_Short = 'UDC' "
                     "AND Status <> 'T'"),
            std::vector<std::string>{"Legacy_Retry_Rate:S"});
  ExpectNoRows(
      "SELECT x.parent_field_id FROM tqd_dict_field_depend x WHERE NOT EXISTS (SELECT 1 FROM "
      "tqd_Datasource_Field p WHERE p.Field_Id = x.parent_field_id AND p.Field_Group_Short = 'UDC') OR NOT "
      "EXISTS (SELECT 1 FROM tqd_Datasource_Field c WHERE c.Field_Id = x.child_field_id AND "
      "c.Field_Group_Short = 'UDC')");
  const std::string successRate = FieldId(kSampleCellEntity, "Call_Success_Rate");
  // A reference qualified by an entity reaches that entity's calculation.
  const std::string erlangShare = FieldId(kSampleSectorEntity, "Sector_Erlang_Share");
  EXPECT_EQ(db_.Rows("SELECT x.child_field_id FROM tqd_dict_field_depend x WHERE x.parent_field_id = " +
                     erlangShare + " ORDER BY 1"),
            (std::vector<std::string>{FieldId(kSampleCellEntity, "Traffic_Erlangs"),
                                      FieldId(kSampleSectorEntity, "Traffic_Erlangs")}));
  EXPECT_EQ(db_.Value("SELECT Calc_Source FROM tqd_Datasource_Field WHERE Field_Id = " + successRate),
            "100 - F" + FieldId(kSampleCellEntity, "Drop_Rate") + " - F" +
                FieldId(kSampleCellEntity, "Block_Rate"));
}

// Shapes the statement tests take for granted; what they read is checked there.
TEST_F(SampleTest, HierarchyBusyHoursAndDocumentsHangTogether) {
  EXPECT_EQ(
      db_.Rows("SELECT Type, count(*) FROM ea_tqn_entity_hier WHERE Context_Id = 2 GROUP BY Type ORDER BY 1"),
      (std::vector<std::string>{"Entity|6", "Module|2", "ModuleVer|2", "System|1"}));
  // Every data source's context has a hierarchy.
  ExpectNoRows(
      "SELECT DataSource_Name FROM TQD_Data_Source s WHERE NOT EXISTS (SELECT 1 FROM TQN_Entity_Hier h WHERE "
      "h.Context_Id = s.DataSource_APP_CTX)");
  // Busy hours join the name table without a namespace, so their fields must have one name row.
  ExpectNoRows(
      "SELECT b.Name FROM PM_BusyHour b, tqd_dict_name d WHERE b.Field_Id IS NOT NULL AND d.Field_Id = "
      "b.Field_Id GROUP BY b.Id HAVING count(*) <> 1");
  ExpectNoRows(
      "SELECT Field_Id FROM PM_ReportSpec WHERE Field_Id NOT IN (SELECT Field_Id FROM tqd_Dict_Field) UNION "
      "ALL SELECT Field_Id FROM PM_TemplateField WHERE Field_Id NOT IN (SELECT Field_Id FROM "
      "tqd_Dict_Field)");
  // The RCV form column of the template names the data set of the forms.
  EXPECT_EQ(
      db_.Value("SELECT x.e_id = s.DataSet_ID FROM TQD_DataSource_Extra_Cols x, tqd_Field_Data_Set s WHERE "
                "x.Col_Title = 'RCVFormName' AND s.DataSet_Title = 'RCVFormName'"),
      "1");
}

TEST(SampleSize, GivesTheBenchEntityExactlyThatManyFields) {
  Db db;
  CreateDictionarySchema(db.get());
  LoadSampleDictionary(db.get(), {25});
  const std::string bench = std::to_string(kSampleBenchEntity);
  EXPECT_EQ(db.Value("SELECT Entity_Name FROM TQN_ENTITY WHERE Entity_Id = " + bench),
            kSampleBenchEntityName);
  EXPECT_EQ(
      db.Count("SELECT count(*) FROM tqd_Datasource_Field WHERE DataSource_ID = 2 AND Entity_Id = " + bench),
      25);
  EXPECT_EQ(db.Count("SELECT count(*) FROM tqd_Datasource_Field WHERE Entity_Id = " + bench +
                     " AND Field_Group_Short = 'UDC' AND Status = 'T'"),
            6);
  EXPECT_EQ(
      db.Rows("SELECT c.Name FROM tqd_dict_field_depend x JOIN tqd_Datasource_Field p ON p.Field_Id = "
              "x.parent_field_id JOIN tqd_Datasource_Field c ON c.Field_Id = x.child_field_id WHERE p.Name = "
              "'Bench_Success_000002'"),
      std::vector<std::string>{"Bench_Drop_Rate_000002"});
  EXPECT_EQ(db.Value("SELECT Value FROM ridirodev_sequence WHERE Name = 'SQ_Field'"),
            db.Value("SELECT max(Field_Id) FROM tqd_Dict_Field"));
}

TEST(SampleLoad, FailureRollsBackEverything) {
  Db db;
  CreateDictionarySchema(db.get());
  db.Exec("INSERT INTO PM_User (Id, Name) VALUES (1, 'someone')");
  EXPECT_THROW(LoadSampleDictionary(db.get(), {}), AutomationError);
  EXPECT_EQ(db.Count("SELECT count(*) FROM TQD_Data_Source"), 0);
  EXPECT_EQ(db.Count("SELECT count(*) FROM PM_User"), 1);
  EXPECT_TRUE(sqlite3_get_autocommit(db.get()));
}

}  // namespace
}  // namespace ridirodev::standalone
