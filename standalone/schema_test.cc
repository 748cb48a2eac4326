#include "standalone/schema.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
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

  // Prepares without running: proves that every table and column a statement names exists
  // and that no unqualified column is ambiguous.
  std::string PrepareError(const std::string& sql) const {
    sqlite3_stmt* stmt = nullptr;
    const int rc = sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr);
    sqlite3_finalize(stmt);
    return rc == SQLITE_OK ? "" : sqlite3_errmsg(db_);
  }

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
      {"tqd_Datasource_Field", "Report_Header", "VARCHAR2(30)"},
      {"tqd_Datasource_Field", "Report_Header2", "VARCHAR2(30)"},
      {"tqd_Datasource_Field", "Field_Desc", "VARCHAR2(255)"},
      {"tqd_Datasource_Field", "Changed", "DATE"},
      {"TQD_UDC_DEF", "UDC_SOURCE", "VARCHAR2(4000)"},
      {"TQD_UDC_DEF", "CALC_SOURCE", "VARCHAR2(2000)"},
      {"PM_Filter", "Criteria", "VARCHAR2(2000)"},
      {"PM_BusyHour", "Name", "VARCHAR2(30)"},
      {"PM_BusyHour", "Description", "VARCHAR2(255)"},
      {"PM_BusyHour", "FirstNeeded", "DATE"},
      {"tqd_Dict_name", "Name", "VARCHAR2(30)"},
      {"tqd_Field_Data", "DataValue", "VARCHAR2(255)"},
  };
  for (const auto& e : expected) EXPECT_EQ(db_.DeclaredType(e[0], e[1]), e[2]) << e[0] << "." << e[1];
}

TEST_F(SchemaTest, OptionalFeaturesAreAllPresent) {
  // The capability probe switches features on by these columns and tables.
  const std::vector<std::vector<std::string>> columns = {
      {"TQD_UDC_DEF", "Complex"},          {"tqd_Datasource_Field", "Complex"},
      {"tqd_datasource_field", "weight_field_id"}, {"tqn_entity_context", "Context_Entity_Label"},
      {"PM_BUSYHOUR", "DAILY_RETENTION"},  {"tq_min_partition", "max_partition_date"},
  };
  for (const auto& c : columns) EXPECT_NE(db_.DeclaredType(c[0], c[1]), "<no row>") << c[0] << "." << c[1];
  for (const char* table : {"TQD_FIELD_STYLE", "tqd_udr_keys", "pel_rcvform_entity"}) {
    EXPECT_EQ(db_.Count(std::string("SELECT count(*) FROM sqlite_master WHERE name = '") + table +
                        "' COLLATE NOCASE"),
              1)
        << table;
  }
}

// The component's statements in the form SQLite receives them: outer joins as LEFT JOIN,
// package functions under their registered names.
TEST_F(SchemaTest, EveryStatementOfTheComponentPrepares) {
  const std::vector<std::string> statements = {
      "SELECT entity_id FROM TQN_ENTITY WHERE entity_name = 'CellSite'",
      "SELECT DataSource_Id, DataSource_Name, DataSource_APP_CTX FROM TQD_Data_Source WHERE DataSource_Name IN "
      "('Client','Traffic')",
      "SELECT Tech_Name,Tech_Char,Tech_Mask,Tech_Desc FROM TQD_Technology_Mask",
      "SELECT Field_Group_Id,Field_Group_Short,Field_Group_Name FROM tqd_Application_Field_Group WHERE "
      "DataSource_ID = 2",
      "SELECT Field_Group_Id,Field_Group_Short,Field_Group_Name FROM tqd_Field_Group",
      "SELECT AGGR_Name, AGGR_ID, AGGR_BH_OK, label_element, label_time FROM TQD_Aggregator",
      "SELECT Col_Title, E_Type, e_id, Editable FROM TQD_DataSource_Extra_Cols WHERE DataSource_ID = 2",
      "SELECT Entity_Id,Entity_Label,Entity_Name,Entity_Desc, Can_Rpt FROM ea_tqn_entity_hier WHERE Context_Id = 2 "
      "AND type in('System','Entity')",
      "SELECT Entity_Id,Entity_Name,Entity_Desc, Can_Rpt FROM TQN_Entity_Hier WHERE Context_Id = 2",
      "SELECT * FROM ea_tqn_Entity_Hier WHERE Context_Id = 2 AND Type IN('System','Entity') ORDER BY Depth",
      "SELECT Entity_Id,Parent_Entity_Id,Entity_Name,Entity_Label,Context_Id,Entity_Desc,Can_Sum,Can_Rpt,Type,Depth "
      "FROM EA_TQN_ENTITY_HIER WHERE Context_Id IN (SELECT DataSource_App_CTX FROM TQD_Data_Source WHERE "
      "DataSource_Name = 'Traffic') ORDER BY Depth",
      "SELECT Entity_Id,Parent_Entity_Id,Entity_Name,Context_Id,Entity_Desc,Can_Sum, Can_Rpt , Context_Entity_Label "
      "FROM TQN_Entity_Hier WHERE Context_Id IN (SELECT DataSource_App_CTX FROM TQD_Data_Source WHERE "
      "DataSource_Name = 'Traffic')",
      // Data-source fields with every optional column, the style join and both kinds of extra column.
      "SELECT d.Field_Id, d.Entity_ID,d.Name, d.Report_Header, d.Report_Header2, d.Field_Desc,d.DataType, "
      "d.Field_Type, d.Field_Owner, d.Field_Aggregator,d.Field_Emits_Aggregator, d.Calc_Source,"
      "ea_dd__ea_replace_entity_names(d.UDC_Source) UDC_Source,d.Length, Precision, d.Is_Null_OK, "
      "d.Field_Group_Short, d.Tech_Mask, d.Changed, d.Status , d.Complex ,d.weight_field_id ,c.FontStyleMask, "
      "c.FontColor ,a1.Name v1 ,a2.DataValue v2 FROM tqd_Datasource_Field d LEFT JOIN tqd_field_style c ON "
      "d.Field_Id = c.Field_Id LEFT JOIN tqd_Dict_Name a1 ON d.Field_Id = a1.Field_Id AND a1.Namespace_Id = 11 "
      "LEFT JOIN tqd_Field_Data a2 ON d.Field_Id = a2.Field_Id AND a2.DataSet_ID = 21 WHERE d.DataSource_ID = 2 "
      "AND d.Field_Group_Short <> 'UDC' AND d.Entity_Id in (12) order by d.Entity_Id",
      "SELECT * FROM TQE_Function_Type",
      "SELECT Function_Name, Function_Signature, Function_Type_Id, Function_Desc FROM TQE_Function",
      "SELECT DISTINCT field_id FROM TQD_ENUM_VALUES",
      "SELECT field_id, Enum_Key, Enum_Desc FROM TQD_ENUM_VALUES",
      "Update Tqd_Dict_name  Set Name = 'x' Where Field_ID = 1",
      "Insert Into tqd_Dict_name (Entity_Id, Field_Id, Namespace_id, Name) Values ( 12,1,11,'x')",
      "Insert Into tqd_Field_Data (Entity_Id, Field_Id, DataSet_ID, DataValue) Values ( 12,1,21,'x')",
      "Insert Into tqd_field_style (Field_id,FontStyleMask,FontColor ) VALUES (1,1,255)",
      "SELECT version_id From tqn_entity WHERE entity_id = 12",
      "SELECT ea_dd__ea_replace_entity_labels(3,'Cell.Minutes_Of_Use')",
      "INSERT INTO PM_BusyHour (Id, UserId, Name, Changed,Cluster_Entity_Id, Field_Id, Description,FirstNeeded, "
      "Span,MinRank, MaxRank, DTPeriod, Scenario_Id, Daily_Retention, Weekly_Retention, Monthly_Retention  ) "
      "Values ( 1,1,'x',datetime('now'),12,NULL,'d','2026-01-01 00:00:00','D',1,1,24,NULL,NULL,NULL,NULL)",
      "INSERT INTO PM_HourRange (Id, BusyHourId, FirstHour, LastHour, FirstSeconds, LastSeconds) VALUES "
      "(1,1,18,22,61200,79200)",
      "INSERT INTO PM_PABH (Id  ) Values ( 1)",
      "SELECT COUNT(*) BH_COUNT FROM PM_PABH WHERE ID= 1",
      "SELECT b.Id, p.Id PABH_ID, p.FirstAvail PABH_FirstAvail, p.LastAvail PABH_LastAvail, b.UserId, b.Name, "
      "b.Changed, b.Cluster_Entity_Id, b.Field_Id, d.Name Field_Name, b.Description, b.FirstNeeded, b.Span , "
      "b.MinRank, b.MaxRank, b.FirstAvail, b.LastAvail, b.scenario_id ,b.Daily_Retention, b.Weekly_Retention, "
      "b.Monthly_Retention FROM PM_BusyHour b LEFT JOIN PM_PABH p ON p.ID = b.ID, tqd_dict_name d WHERE "
      "b.Field_Id  IS NOT NULL AND b.Cluster_Entity_Id =12 AND d.Field_Id = b.Field_Id",
      "SELECT * FROM PM_HourRange WHERE BusyHourId = 1 ORDER BY Id",
      "SELECT id FROM pm_busyhour    WHERE cluster_entity_id = 12    AND name = 'x'",
      "SELECT value FROM tq_system_values_v WHERE name = 'ActivateWeeklyMonthly'",
      "SELECT frequency_id, description, tag FROM tq_frequency ORDER BY frequency_id",
      "SELECT d.field_id,c.file_type_id,c.file_type,c.frequency,c.FREQUENCY_ID,c.FILE_DESCRIPTION,b.entity_label "
      "entity_name,b.entity_id,c.vendor,c.OFFSET_MINUTES FROM tqn_entity a,tqn_entity b,tq_file_control "
      "c,tqd_dict_name d Where a.entity_id = 12 AND b.module_id=a.module_id AND b.version_id=a.version_id AND "
      "c.entity_id=b.entity_id AND d.entity_id=b.entity_id AND UPPER(b.can_report) = 'Y' AND "
      "d.name=availabledatareporting__tocalcfieldname(c.file_type) ORDER BY c.file_type",
      "SELECT d.field_id, a.file_type_id, MIN(b.timestamp)first , MAX(b.timestamp) last FROM tq_file_control a "
      "LEFT JOIN tq_available_data b ON a.file_type_id = b.file_type_id, tqd_dict_name d, tqn_entity_hier e, "
      "AVA_MAP m WHERE a.file_type_id = m.file_type_id AND d.entity_id = a.entity_id AND e.entity_id = d.entity_id "
      "AND UPPER(e.can_rpt) ='Y' AND d.name = availabledatareporting__tocalcfieldname(a.file_type) GROUP BY "
      "d.field_id,a.file_type_id ORDER BY a.file_type",
      // The name table has an Entity_Id too: the bare ORDER BY names must reach the select list
      // (as on the server), hence the aliases here.
      "Select a.entity_id AS entity_id, a.field_seq AS field_seq, d.name FROM tqd_udr_keys a, tqd_dict_name d "
      "Where a.Field_id = d.Field_id ORDER BY entity_id, field_seq",
      "select count (*) RowCount from tqd_udr_keys",
      "SELECT PM_Report.Id FROM PM_Report, PM_ReportSpec WHERE PM_Report.ReportSpecId = PM_ReportSpec.Id AND "
      "Field_Id =1",
      "SELECT DISTINCT TemplateId FROM PM_TemplateField WHERE Field_Id=1",
      "SELECT Id FROM PM_BusyHour WHERE Field_Id=1",
      "SELECT PM_Report.Id FROM PM_Report, PM_ReportSpec WHERE PM_Report.ReportSpecId = PM_ReportSpec.Id AND "
      "BusyHourId =1",
      "Select DISTINCT parent_field_id, child_field_id from tqd_dict_field_depend Where child_field_id IN (1,2 )",
      "SELECT fd.DataValue RCVFormName, dn.Report_Header2 RCVFieldName, dn.field_id, dn.Name fieldName, "
      "dn.Entity_Id , e.Entity_Name, f.entityname HighlightUDR FROM tqd_Field_Data fd, tqd_Dict_Name dn, tqn_Entity "
      "e, pel_rcvform_entity f WHERE fd.DataSet_ID = ( SELECT DataSet_ID FROM tqd_Field_Data_Set WHERE "
      "DataSet_Title = 'RCVFormName' ) AND fd.Field_ID = dn.Field_ID AND dn.NameSpace_ID = 0 AND dn.Entity_ID = "
      "e.Entity_ID AND fd.Datavalue = f.rcvformname ORDER BY RCVFormName, RCVFieldName",
  };
  for (const auto& sql : statements) EXPECT_EQ(db_.PrepareError(sql), "") << sql;
}

// ---- Sample ---------------------------------------------------------------------------

TEST_F(SampleTest, FieldsAreCoherentWithTheirQualifiers) {
  EXPECT_GE(db_.Count("SELECT count(*) FROM tqd_Datasource_Field"), 200);
  // Entity, data source, field type offered by the data source, aggregator and owner all exist.
  EXPECT_EQ(db_.Rows("SELECT d.Name FROM tqd_Datasource_Field d "
                     "WHERE d.Entity_Id NOT IN (SELECT Entity_Id FROM TQN_ENTITY) "
                     "OR d.DataSource_ID NOT IN (SELECT DataSource_Id FROM TQD_Data_Source) "
                     "OR NOT EXISTS (SELECT 1 FROM tqd_Application_Field_Group g WHERE g.DataSource_ID = "
                     "d.DataSource_ID AND g.Field_Group_Short = d.Field_Group_Short) "
                     "OR (d.Field_Aggregator IS NOT NULL AND d.Field_Aggregator NOT IN (SELECT AGGR_ID FROM "
                     "TQD_Aggregator)) OR (d.Field_Owner IS NOT NULL AND d.Field_Owner NOT IN (SELECT Id FROM PM_User))"),
            std::vector<std::string>{});
  // Names are unique per entity and data source: the field key is name and category.
  EXPECT_EQ(db_.Rows("SELECT Entity_Id, DataSource_ID, upper(Name) FROM tqd_Datasource_Field "
                     "GROUP BY 1, 2, 3 HAVING count(*) > 1"),
            std::vector<std::string>{});
  // Client and Traffic fields are shown together for an entity, so they must not share names.
  EXPECT_EQ(db_.Rows("SELECT c.Name FROM tqd_Datasource_Field c JOIN tqd_Datasource_Field t ON t.Entity_Id = "
                     "c.Entity_Id AND upper(t.Name) = upper(c.Name) WHERE c.DataSource_ID = 1 AND t.DataSource_ID = 2"),
            std::vector<std::string>{});
  // Every technology bit of a field is a known technology.
  EXPECT_EQ(db_.Count("SELECT count(*) FROM tqd_Datasource_Field WHERE Tech_Mask & ~31 <> 0"), 0);
  // Enumerated fields have their values.
  EXPECT_EQ(db_.Rows("SELECT Name FROM tqd_Datasource_Field WHERE DataType = 'E' AND Field_Id NOT IN "
                     "(SELECT Field_Id FROM TQD_ENUM_VALUES)"),
            std::vector<std::string>{});
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
  EXPECT_EQ(db_.Rows("SELECT x.parent_field_id FROM tqd_dict_field_depend x WHERE NOT EXISTS (SELECT 1 FROM "
                     "tqd_Datasource_Field p WHERE p.Field_Id = x.parent_field_id AND p.Field_Group_Short = 'UDC') "
                     "OR NOT EXISTS (SELECT 1 FROM tqd_Datasource_Field c WHERE c.Field_Id = x.child_field_id AND "
                     "c.Field_Group_Short = 'UDC')"),
            std::vector<std::string>{});
  const std::string successRate = FieldId(kSampleCellEntity, "Call_Success_Rate");
  EXPECT_EQ(db_.Rows("SELECT c.Name FROM tqd_dict_field_depend x JOIN tqd_Datasource_Field c ON c.Field_Id = "
                     "x.child_field_id WHERE x.parent_field_id = " + successRate + " ORDER BY c.Name"),
            (std::vector<std::string>{"Block_Rate", "Drop_Rate"}));
  // A reference qualified by an entity reaches that entity's calculation.
  const std::string erlangShare = FieldId(kSampleSectorEntity, "Sector_Erlang_Share");
  EXPECT_EQ(db_.Rows("SELECT x.child_field_id FROM tqd_dict_field_depend x WHERE x.parent_field_id = " +
                     erlangShare + " ORDER BY 1"),
            (std::vector<std::string>{FieldId(kSampleCellEntity, "Traffic_Erlangs"),
                                      FieldId(kSampleSectorEntity, "Traffic_Erlangs")}));
  EXPECT_EQ(db_.Value("SELECT Calc_Source FROM tqd_Datasource_Field WHERE Field_Id = " + successRate),
            "100 - F" + FieldId(kSampleCellEntity, "Drop_Rate") + " - F" + FieldId(kSampleCellEntity, "Block_Rate"));
}

TEST_F(SampleTest, NamesLiveInTheDictionaryNameTable) {
  const std::string drops = FieldId(kSampleCellEntity, "Dropped_Calls");
  db_.Exec("Update Tqd_Dict_name  Set Name = 'Dropped_Call_Count' Where Field_ID = " + drops +
           " AND NameSpace_Id = 0");
  EXPECT_EQ(db_.Value("SELECT Name FROM tqd_Datasource_Field WHERE Field_Id = " + drops), "Dropped_Call_Count");
  // Kind 'A' extra column values come from the same table at the column's namespace.
  EXPECT_EQ(db_.Value("SELECT a1.Name FROM tqd_Datasource_Field d LEFT JOIN tqd_Dict_Name a1 ON d.Field_Id = "
                      "a1.Field_Id AND a1.Namespace_Id = 11 WHERE d.Field_Id = " + drops),
            "CALL_DRP");
  EXPECT_EQ(db_.Value("SELECT count(*) FROM tqd_Datasource_Field WHERE Field_Id = " + drops), "1");
}

TEST_F(SampleTest, HierarchyHasModulesVersionsSystemsAndEntities) {
  EXPECT_EQ(db_.Rows("SELECT Type, count(*) FROM ea_tqn_entity_hier WHERE Context_Id = 2 GROUP BY Type ORDER BY 1"),
            (std::vector<std::string>{"Entity|6", "Module|2", "ModuleVer|2", "System|1"}));
  // Ordered by depth, every parent comes before its children.
  const auto rows = db_.Rows("SELECT Entity_Id, Parent_Entity_Id FROM ea_tqn_entity_hier WHERE Context_Id = 2 "
                             "ORDER BY Depth");
  std::vector<std::string> seen;
  for (const auto& row : rows) {
    const std::string parent = row.substr(row.find('|') + 1);
    if (parent != "NULL") {
      EXPECT_NE(std::find(seen.begin(), seen.end(), parent), seen.end()) << row;
    }
    seen.push_back(row.substr(0, row.find('|')));
  }
  // The basic view starts at the system and leaves modules out.
  EXPECT_EQ(db_.Rows("SELECT Entity_Name FROM TQN_Entity_Hier WHERE Context_Id = 2 AND Parent_Entity_Id IS NULL"),
            std::vector<std::string>{"NetworkSystem"});
  EXPECT_EQ(db_.Rows("SELECT Entity_Name FROM TQN_Entity_Hier WHERE Can_Rpt = 'N'"),
            std::vector<std::string>{"PagingArea"});
  EXPECT_EQ(db_.Value("SELECT Entity_Label || '|' || Context_Entity_Label FROM TQN_Entity_Hier WHERE Context_Id = 2 "
                      "AND Entity_Id = 12"),
            "Cell|Site");
  // Every data source's context has a hierarchy.
  EXPECT_EQ(db_.Rows("SELECT DataSource_Name FROM TQD_Data_Source s WHERE NOT EXISTS (SELECT 1 FROM TQN_Entity_Hier h "
                     "WHERE h.Context_Id = s.DataSource_APP_CTX)"),
            std::vector<std::string>{});
}

TEST_F(SampleTest, BusyHoursSummationsAndHourRanges) {
  // Busy hours join the name table without a namespace, so their fields must have one name row.
  EXPECT_EQ(db_.Rows("SELECT b.Name FROM PM_BusyHour b, tqd_dict_name d WHERE b.Field_Id IS NOT NULL AND "
                     "d.Field_Id = b.Field_Id GROUP BY b.Id HAVING count(*) <> 1"),
            std::vector<std::string>{});
  EXPECT_EQ(db_.Rows("SELECT Name FROM PM_BusyHour WHERE Field_Id IS NULL AND Cluster_Entity_Id = 12 ORDER BY Id"),
            (std::vector<std::string>{"Evening Summation", "Business Day Summation"}));
  EXPECT_EQ(db_.Rows("SELECT FirstHour || '-' || LastHour || ':' || FirstSeconds || '-' || LastSeconds FROM "
                     "PM_HourRange WHERE BusyHourId = 2 ORDER BY Id"),
            (std::vector<std::string>{"9-11:28800-39600", "18-21:61200-75600"}));
  EXPECT_EQ(db_.Rows("SELECT p.ID FROM PM_BusyHour b JOIN PM_PABH p ON p.ID = b.Id"), std::vector<std::string>{"1"});
  EXPECT_EQ(db_.Value("SELECT value FROM tq_system_values_v WHERE name = 'ActivateWeeklyMonthly'"), "1");
}

TEST_F(SampleTest, DataFilesMeetTheirAvailabilityFields) {
  // The per-entity form: every file of the asked entity's module version, named by label.
  const auto files = db_.Rows(
      "SELECT c.file_type, b.entity_label FROM tqn_entity a, tqn_entity b, tq_file_control c, tqd_dict_name d "
      "WHERE a.entity_id = 12 AND b.module_id = a.module_id AND b.version_id = a.version_id AND c.entity_id = "
      "b.entity_id AND d.entity_id = b.entity_id AND UPPER(b.can_report) = 'Y' AND "
      "d.name = availabledatareporting__tocalcfieldname(c.file_type) ORDER BY c.file_type");
  ASSERT_EQ(files.size(), 6u);
  EXPECT_EQ(files.front(), "CDMA_PEG_HOURLY|Data Availability");
  // All files with their partitions: one has none yet.
  EXPECT_EQ(db_.Rows("SELECT a.file_type FROM tq_file_control a LEFT JOIN tq_min_partition b ON a.file_type_id = "
                     "b.file_type_id, tqd_dict_name d, tqn_entity_hier e, tqn_context c WHERE a.entity_id = "
                     "d.entity_id AND d.entity_id = e.entity_id AND e.context_id = c.context_id AND UPPER(e.can_rpt) = "
                     "'Y' AND UPPER(c.context_name) = UPPER('Data Availability') AND d.name = "
                     "availabledatareporting__tocalcfieldname(a.file_type) AND b.min_partition_date IS NULL"),
            std::vector<std::string>{"UDR_CALL_RECORDS"});
  EXPECT_EQ(db_.Rows("Select a.entity_id || ':' || d.name FROM tqd_udr_keys a, tqd_dict_name d Where a.Field_id = "
                     "d.Field_id ORDER BY a.entity_id, a.field_seq"),
            (std::vector<std::string>{"11:Switch_Number", "12:Cell_Number", "12:Call_Start_Time", "12:Mobile_Id"}));
}

TEST_F(SampleTest, DocumentsAndRcvFormsUseExistingFields) {
  EXPECT_EQ(db_.Rows("SELECT Field_Id FROM PM_ReportSpec WHERE Field_Id NOT IN (SELECT Field_Id FROM tqd_Dict_Field) "
                     "UNION ALL SELECT Field_Id FROM PM_TemplateField WHERE Field_Id NOT IN (SELECT Field_Id FROM "
                     "tqd_Dict_Field)"),
            std::vector<std::string>{});
  EXPECT_EQ(db_.Rows("SELECT Name FROM PM_Document WHERE Kind = 'Template' AND Express = 'Y' AND Report_Id IS NULL"),
            std::vector<std::string>{"Blocking Quick Check"});
  EXPECT_EQ(db_.Rows("SELECT PM_Report.Id FROM PM_Report, PM_ReportSpec WHERE PM_Report.ReportSpecId = "
                     "PM_ReportSpec.Id AND Field_Id = " + FieldId(kSampleCellEntity, "Drop_Rate")),
            std::vector<std::string>{"1"});
  EXPECT_EQ(db_.Value("SELECT Name FROM PM_User WHERE Id = 1"), "admin");
  EXPECT_EQ(db_.Rows("SELECT dn.Report_Header2 || '@' || e.Entity_Name FROM tqd_Field_Data fd, tqd_Dict_Name dn, "
                     "tqn_Entity e WHERE fd.DataSet_ID = (SELECT DataSet_ID FROM tqd_Field_Data_Set WHERE "
                     "DataSet_Title = 'RCVFormName') AND fd.Field_ID = dn.Field_ID AND dn.NameSpace_ID = 0 AND "
                     "dn.Entity_ID = e.Entity_ID AND fd.DataValue = 'ceqface3g' AND dn.Report_Header2 LIKE '%thresh' "
                     "ORDER BY 1"),
            (std::vector<std::string>{"deter_thresh@CellEqFace3GCDMACarrier", "deter_thresh@SectorCarrier",
                                      "enable_thresh@CellEqFace3GCDMACarrier", "enable_thresh@SectorCarrier"}));
  // The RCV form column of the template names the data set of the forms.
  EXPECT_EQ(db_.Value("SELECT x.e_id = s.DataSet_ID FROM TQD_DataSource_Extra_Cols x, tqd_Field_Data_Set s WHERE "
                      "x.Col_Title = 'RCVFormName' AND s.DataSet_Title = 'RCVFormName'"),
            "1");
}

TEST(SampleSize, GivesTheBenchEntityExactlyThatManyFields) {
  Db db;
  CreateDictionarySchema(db.get());
  LoadSampleDictionary(db.get(), {25});
  const std::string bench = std::to_string(kSampleBenchEntity);
  EXPECT_EQ(db.Value("SELECT Entity_Name FROM TQN_ENTITY WHERE Entity_Id = " + bench), kSampleBenchEntityName);
  EXPECT_EQ(db.Count("SELECT count(*) FROM tqd_Datasource_Field WHERE DataSource_ID = 2 AND Entity_Id = " + bench),
            25);
  EXPECT_EQ(db.Count("SELECT count(*) FROM tqd_Datasource_Field WHERE Entity_Id = " + bench +
                     " AND Field_Group_Short = 'UDC' AND Status = 'T'"),
            6);
  EXPECT_EQ(db.Rows("SELECT c.Name FROM tqd_dict_field_depend x JOIN tqd_Datasource_Field p ON p.Field_Id = "
                    "x.parent_field_id JOIN tqd_Datasource_Field c ON c.Field_Id = x.child_field_id WHERE p.Name = "
                    "'Bench_Success_000002'"),
            std::vector<std::string>{"Bench_Drop_Rate_000002"});
  EXPECT_EQ(db.Value("SELECT Value FROM ridirodev_sequence WHERE Name = 'SQ_Field'"),
            db.Value("SELECT max(Field_Id) FROM tqd_Dict_Field"));

  Db plain;
  CreateDictionarySchema(plain.get());
  LoadSampleDictionary(plain.get(), {});
  EXPECT_EQ(plain.Count("SELECT count(*) FROM TQN_ENTITY WHERE Entity_Name = 'BenchCell'"), 0);
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
