// The dictionary's statements, exactly as the component sends them, run against the sample
// dictionary through the standalone database object, its procedure calls and transactions.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <initializer_list>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "ridirodev/sql/dictionary_statements.h"
#include "ridirodev/sql/xml_gateway.h"
#include "standalone/controls.h"
#include "standalone/query_service.h"
#include "standalone/sample.h"
#include "standalone/schema.h"
#include "standalone/sqlite_database.h"

namespace ridirodev::standalone {
namespace {

using sql::ExtraColumnJoin;
using sql::FieldColumnOptions;

std::string Cat(std::initializer_list<std::string_view> pieces) {
  std::string text;
  for (std::string_view piece : pieces) text += piece;
  return text;
}

// The rows of a row set, read the way the component reads them: by column name until EOF.
class Table {
 public:
  Table(IDBObject& db, const IDBRecordsetPtr& rs) : db_(&db) {
    if (!rs) return;
    for (int32_t i = 0; i < rs->Fields().Count(); ++i) names_.push_back(rs->Fields().Name(i));
    for (; !rs->Eof(); rs->MoveNext()) {
      std::vector<Variant> row;
      for (int32_t i = 0; i < rs->Fields().Count(); ++i) row.push_back(rs->Fields().Value(i));
      rows_.push_back(std::move(row));
    }
    rs->Close();
  }
  size_t Size() const { return rows_.size(); }
  Variant At(size_t row, std::string_view column) const {
    for (size_t i = 0; i < names_.size(); ++i) {
      if (EqualsNoCase(names_[i], column)) return row < rows_.size() ? rows_[row][i] : Variant("<no row>");
    }
    ADD_FAILURE() << "no column " << column;
    return Variant("<no column>");
  }
  std::string Text(size_t row, std::string_view column) const { return db_->FieldText(At(row, column)); }
  // The named columns of a row joined by '|'.
  std::string Row(size_t row, std::initializer_list<std::string_view> columns) const {
    std::string text;
    for (auto c = columns.begin(); c != columns.end(); ++c)
      text += (c == columns.begin() ? "" : "|") + Text(row, *c);
    return text;
  }
  std::vector<std::string> Column(std::string_view column) const {
    std::vector<std::string> values;
    for (size_t r = 0; r < rows_.size(); ++r) values.push_back(Text(r, column));
    return values;
  }
  std::set<std::string> Set(std::string_view column) const {
    const auto values = Column(column);
    return {values.begin(), values.end()};
  }
  // The first row whose column holds the text; Size() when none.
  size_t Find(std::string_view column, std::string_view text) const {
    for (size_t r = 0; r < rows_.size(); ++r) {
      if (Text(r, column) == text) return r;
    }
    ADD_FAILURE() << "no row with " << column << " = " << text;
    return rows_.size();
  }

 private:
  IDBObject* db_;
  std::vector<std::string> names_;
  std::vector<std::vector<Variant>> rows_;
};

constexpr FieldColumnOptions kAllOptional{true, true, true};
const std::vector<ExtraColumnJoin> kTrafficColumns = {{"A", 11}, {"S", 21}};

std::string SourceFields(std::string_view entities, int32_t selection, const FieldColumnOptions& o = {},
                         const std::vector<ExtraColumnJoin>& columns = {}, bool extendedViews = false,
                         int32_t dataSource = kSampleTrafficDataSource) {
  return sql::DataSourceFieldsStatement(entities, dataSource, selection, extendedViews, o, columns);
}

std::string CategoryBusyHours(bool retention, int32_t cluster) {
  return Cat({"SELECT b.Id, p.Id PABH_ID, p.FirstAvail PABH_FirstAvail, ",
              "p.LastAvail PABH_LastAvail, b.UserId, b.Name, b.Changed, ",
              "b.Cluster_Entity_Id, b.Field_Id, d.Name Field_Name, ",
              "b.Description, b.FirstNeeded, b.Span , b.MinRank, b.MaxRank, ",
              "b.FirstAvail, b.LastAvail, b.scenario_id ",
              retention ? ",b.Daily_Retention, b.Weekly_Retention, b.Monthly_Retention " : "",
              "FROM PM_BusyHour b, tqd_dict_name d ,PM_PABH p ", "WHERE b.Field_Id  IS NOT NULL AND ",
              "b.Cluster_Entity_Id =", std::to_string(cluster), " AND ", "d.Field_Id = b.Field_Id AND ",
              "(p.ID (+) = b.ID)"});
}

class StatementsTest : public ::testing::Test {
 public:
  void SetUp() override {
    SqliteDatabaseOptions options;
    options.create = true;
    db_ = std::make_shared<SqliteDatabase>(":memory:", options);
    CreateDictionarySchema(db_->Connection()->Handle());
    LoadSampleDictionary(db_->Connection()->Handle(), {});
  }

  Table Open(const std::string& sql) { return Table(*db_, db_->OpenRecordset(sql, 60)); }
  void Exec(const std::string& sql) { db_->Connection()->Exec(sql); }
  static Variant Lit(IDBLiteralPtr literal) { return Variant(std::move(literal)); }

  // A field of the sample, found in the base tables rather than through the statements.
  int32_t FieldId(int32_t entity, std::string_view name) {
    return db_
        ->QueryValue(
            "SELECT f.Field_Id FROM tqd_Dict_Field f JOIN tqd_Dict_Name n ON n.Field_Id = f.Field_Id AND "
            "n.NameSpace_Id = 0 WHERE n.Entity_Id = " +
            std::to_string(entity) + " AND f.DataSource_ID = 2 AND n.Name = '" + std::string(name) + "'")
        .ToInt32();
  }
  std::string Id(int32_t entity, std::string_view name) { return std::to_string(FieldId(entity, name)); }

 protected:
  std::shared_ptr<SqliteDatabase> db_;
};

// ---- Reads ------------------------------------------------------------------------------

using Check = std::function<void(const Table&)>;

struct Case {
  const char* what;
  std::string sql;
  size_t rows;
  Check check = nullptr;
};

void RunCases(StatementsTest& t, const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Table table = t.Open(c.sql);
    EXPECT_EQ(table.Size(), c.rows) << c.sql;
    if (c.check && table.Size() == c.rows) c.check(table);
  }
}

// Counts of the sample's Traffic fields at the cell: nine core counters, five technology
// sets (6+6+6+6+8), two external fields, the cell status, two RCV parameters and twelve
// calculations.
constexpr size_t kCellTrafficCounters = 9 + 32 + 2 + 1 + 2;
constexpr size_t kCellTrafficCalcs = 12;
constexpr size_t kCellTrafficFields = kCellTrafficCounters + kCellTrafficCalcs;
// The sector: core and technology sets, two RCV parameters, four calculations.
constexpr size_t kSectorTrafficFields = 9 + 32 + 2 + 4;
// Every Traffic field: switch 50, cell 58, sector 47, carrier 26, equipment face 3, paging
// area 2 and six availability fields.
constexpr size_t kTrafficFields = 50 + kCellTrafficFields + kSectorTrafficFields + 26 + 3 + 2 + 6;

TEST_F(StatementsTest, QualifiersFunctionsTemplatesAndCategories) {
  const std::set<std::string> trafficEntities = {"10", "11", "12", "13", "14", "15", "16"};
  std::vector<std::string> names;
  for (const char* name :
       {"Client", "Traffic", "UDR", "CPFail Count", "CPFail Message", "CPFail Handoff", "EVDO PCMD Message",
        "DOCPFail Count", "DOCPFail Message", "PCMD Count", "PCMD Message"}) {
    names.push_back(db_->TextLiteral(name)->Text());
  }
  RunCases(*this,
           {
               {"entity id by name", sql::EntityIdByNameStatement("CellSite"), 1,
                [](const Table& t) { EXPECT_EQ(t.Text(0, "Entity_Id"), "12"); }},
               {"entity names compare exactly", sql::EntityIdByNameStatement("Cellsite"), 0},
               {"templates, no optional group", sql::AppGroupTemplatesStatement({names[0], names[1]}), 2,
                [](const Table& t) { EXPECT_EQ(t.Set("DataSource_App_CTX"), (std::set<std::string>{"2"})); }},
               {"templates, every optional group", sql::AppGroupTemplatesStatement(names), 11},
               {"technologies", sql::TechnologyTypesStatement(), 5,
                [](const Table& t) {
                  EXPECT_EQ(t.Set("Tech_Mask"), (std::set<std::string>{"1", "2", "4", "8", "16"}));
                }},
               {"field types of Traffic", sql::FieldTypesStatement(false, 2), 7},
               {"field types, extended views", sql::FieldTypesStatement(true, 2), 9},
               {"function categories", sql::FunctionCategoriesStatement(), 4},
               {"functions", sql::FunctionsStatement(), 16},
               {"enumerated fields", sql::EnumFieldIdsStatement(), 2},
               {"aggregators", sql::AggregatorsStatement(), 6,
                [](const Table& t) {
                  EXPECT_EQ(t.Row(t.Find("AGGR_ID", "SUMAVG"), {"AGGR_BH_OK", "label_time", "label_element"}),
                            "Y|Sum|Average");
                  EXPECT_EQ(t.Text(t.Find("AGGR_ID", "MIN"), "label_element"), "");
                }},
               {"extra columns of Traffic", sql::ExtraColumnsStatement(2), 2,
                [](const Table& t) {
                  EXPECT_EQ(t.Row(0, {"Col_Title", "E_Type", "e_id", "Editable"}), "Vendor Name|A|11|N");
                  EXPECT_EQ(t.Row(1, {"Col_Title", "E_Type", "e_id", "Editable"}), "RCVFormName|S|21|Y");
                }},
               {"template categories, extended views", sql::TemplateCategoriesStatement(true, 2), 7,
                [&](const Table& t) {
                  EXPECT_EQ(t.Set("Entity_Id"), trafficEntities);
                  EXPECT_EQ(t.Row(t.Find("Entity_Id", "12"), {"Entity_Label", "Entity_Name", "Can_Rpt"}),
                            "Cell|CellSite|Y");
                }},
               {"template categories", sql::TemplateCategoriesStatement(false, 2), 7,
                [&](const Table& t) { EXPECT_EQ(t.Set("Entity_Id"), trafficEntities); }},
               {"field categories, extended views, parents first", sql::FieldCategoriesStatement(true, 2), 7,
                [](const Table& t) {
                  std::set<std::string> seen = {"3"};  // the module version above the system
                  for (size_t r = 0; r < t.Size(); ++r) {
                    EXPECT_TRUE(seen.count(t.Text(r, "Parent_Entity_Id"))) << t.Text(r, "Entity_Name");
                    seen.insert(t.Text(r, "Entity_Id"));
                  }
                  EXPECT_EQ(t.Text(t.Find("Entity_Id", "11"), "Context_Entity_Label"), "MSC");
                }},
               {"field categories", sql::FieldCategoriesStatement(false, 2), 7,
                [](const Table& t) {
                  // The system hangs at the top of the basic tree.
                  EXPECT_EQ(t.Text(t.Find("Entity_Id", "10"), "Parent_Entity_Id"), "");
                  EXPECT_EQ(t.Text(t.Find("Entity_Id", "13"), "Parent_Entity_Id"), "12");
                }},
           });
}

TEST_F(StatementsTest, FieldStatementsInEveryVariant) {
  const std::string sectorShare = Id(kSampleSectorEntity, "Sector_MOU_Share");
  const std::string cellDrops = Id(kSampleCellEntity, "Dropped_Calls");
  const std::string dropRate = Id(kSampleCellEntity, "Drop_Rate");
  const std::string maxCalls = Id(kSampleCellEntity, "Max_Calls_Param");
  const std::string ids = dropRate + "," + Id(kSampleCellEntity, "Call_Attempts");
  // Every data source at the cell: Traffic 58; Client six counters and a calculation; UDR
  // seven fields and a calculation; the CP and DO failure groups 2+1+2+1+1+2; PCMD counts 2.
  const size_t cellFields = kCellTrafficFields + 7 + 8 + 9 + 2;
  auto nonEmpty = [](const Table& t, const char* column) {
    size_t n = 0;
    for (size_t r = 0; r < t.Size(); ++r) n += t.Text(r, column).empty() ? 0 : 1;
    return n;
  };
  RunCases(
      *this,
      {
          {"both kinds", SourceFields("12", sql::kAllFields), kCellTrafficFields},
          {"static fields only", SourceFields("12", sql::kStaticFieldsOnly), kCellTrafficCounters,
           [](const Table& t) { EXPECT_FALSE(t.Set("Field_Group_Short").count("UDC")); }},
          {"expressions only", SourceFields("12", sql::kExpressionsOnly), kCellTrafficCalcs,
           [](const Table& t) { EXPECT_EQ(t.Set("Field_Group_Short"), (std::set<std::string>{"UDC"})); }},
          {"every entity, ordered", SourceFields("", sql::kAllFields), kTrafficFields,
           [](const Table& t) {
             const auto ids = t.Column("Entity_Id");
             EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end(),
                                        [](auto& a, auto& b) { return std::stoi(a) < std::stoi(b); }));
           }},
          {"two entities", SourceFields("12,13", sql::kAllFields), kCellTrafficFields + kSectorTrafficFields},
          {"every option and both kinds of extra column",
           SourceFields("12", sql::kAllFields, kAllOptional, kTrafficColumns), kCellTrafficFields,
           [&](const Table& t) {
             // Outer joins keep every field; six cell counters have vendor names, two are RCV
             // parameters, five fields have a list style.
             EXPECT_EQ(nonEmpty(t, "v1"), 6u);
             EXPECT_EQ(nonEmpty(t, "v2"), 2u);
             EXPECT_EQ(nonEmpty(t, "FontStyleMask"), 5u);
             EXPECT_EQ(
                 t.Row(t.Find("Field_Id", cellDrops), {"Name", "v1", "v2", "FontStyleMask", "FontColor"}),
                 "Dropped_Calls|CALL_DRP||2|0");
             EXPECT_EQ(t.Row(t.Find("Field_Id", dropRate), {"FontColor", "Complex", "weight_field_id"}),
                       "255||");
           }},
          {"extra columns the other way round",
           SourceFields("12", sql::kAllFields, {}, {{"S", 21}, {"A", 11}}), kCellTrafficFields,
           [&](const Table& t) {
             EXPECT_EQ(t.Row(t.Find("Field_Id", cellDrops), {"v1", "v2"}), "|CALL_DRP");
             EXPECT_EQ(t.Row(t.Find("Field_Id", maxCalls), {"v1", "v2"}), "cell2|");
           }},
          {"extended views name entities by label",
           SourceFields("13", sql::kExpressionsOnly, kAllOptional, kTrafficColumns, true), 4,
           [&](const Table& t) {
             EXPECT_EQ(t.Text(t.Find("Field_Id", sectorShare), "UDC_Source"),
                       "100 * Minutes_Of_Use / NULLIF(Cell.Minutes_Of_Use, 0)");
           }},
          {"basic views keep entity names", SourceFields("13", sql::kExpressionsOnly), 4,
           [&](const Table& t) {
             EXPECT_EQ(t.Text(t.Find("Field_Id", sectorShare), "UDC_Source"),
                       "100 * Minutes_Of_Use / NULLIF(CellSite.Minutes_Of_Use, 0)");
           }},
          {"Client fields of the cell",
           SourceFields("12", sql::kAllFields, {false, false, true}, {}, false, kSampleClientDataSource), 7},
          {"entity fields", sql::EntityFieldsStatement(kSampleCellEntity, {}), cellFields},
          {"entity fields with every option", sql::EntityFieldsStatement(kSampleCellEntity, kAllOptional),
           cellFields,
           [&](const Table& t) {
             EXPECT_EQ(t.Row(t.Find("Field_Id", dropRate), {"Name", "Field_Group_Short", "FontColor"}),
                       "Drop_Rate|UDC|255");
           }},
          {"fields by id", sql::FieldsByIdStatement(ids, {}, {}), 2},
          {"fields by id with every option and extra column",
           sql::FieldsByIdStatement(ids, kAllOptional, kTrafficColumns), 2,
           [&](const Table& t) {
             const size_t r = t.Find("Field_Id", dropRate);
             EXPECT_EQ(t.Row(r, {"Entity_ID", "DataSource_ID", "Field_Aggregator", "Tech_Mask", "Status"}),
                       "12|2|AVG|7|T");
             EXPECT_EQ(t.Text(r, "UDC_Source"),
                       "100 * Dropped_Calls / NULLIF(Call_Attempts - Blocked_Calls, 0)");
             EXPECT_NE(t.Text(r, "Calc_Source"), "");
           }},
      });
}

// The loader filters the full row set per field.
TEST_F(StatementsTest, EnumeratedValuesFilteredPerField) {
  IDBRecordsetPtr all = db_->OpenRecordset(sql::EnumValuesStatement(), 60);
  for (auto [field, keys] : {std::pair{FieldId(kSampleCellEntity, "Cell_Status"), 4},
                             std::pair{FieldId(kSampleCarrierEntity, "Band_Class"), 3}}) {
    all->SetFilter(sql::EnumValuesFilter(field));
    int n = 0;
    for (all->MoveFirst(); !all->Eof(); all->MoveNext()) ++n;
    EXPECT_EQ(n, keys);
  }
  all->Close();
}

TEST_F(StatementsTest, BusyHourReads) {
  const std::string allBusyHours = Cat({"Select b.* ", "FROM PM_BusyHour b, tqd_dict_name d ",
                                        "WHERE (b.Field_Id  IS NOT NULL AND d.Field_Id = b.Field_Id) "});
  RunCases(
      *this,
      {
          {"one by id", Cat({"SELECT * FROM PM_BusyHour ", "WHERE Id = ", "2"}), 1,
           [](const Table& t) {
             EXPECT_EQ(t.Row(0, {"Name", "Span", "MaxRank", "Weekly_Retention", "Daily_Retention"}),
                       "Sector Weekly Traffic BH|W|3|26|");
           }},
          {"busy hours of the cell with retention", CategoryBusyHours(true, 12), 2,
           [&](const Table& t) {
             const size_t evening = t.Find("Id", "1");
             EXPECT_EQ(
                 t.Row(evening, {"Field_Id", "Field_Name", "PABH_ID", "PABH_FirstAvail", "Daily_Retention"}),
                 Id(kSampleCellEntity, "Call_Attempts") + "|Call_Attempts|1|1/1/2026|35");
             // No PABH row: the outer join keeps the busy hour.
             EXPECT_EQ(t.Row(t.Find("Id", "4"), {"Field_Name", "PABH_ID"}), "Traffic_Erlangs|");
           }},
          {"busy hours of the sector", CategoryBusyHours(false, 13), 1},
          {"summations of the cell",
           Cat({"SELECT * FROM PM_BusyHour b WHERE ", "Field_Id IS NULL ", " AND ",
                "Cluster_Entity_Id =", "12"}),
           2},
          {"all busy hours", allBusyHours, 4},
          {"all summations", Cat({"SELECT * FROM PM_BusyHour WHERE ", "Field_Id IS NULL"}), 3},
          {"hour ranges", Cat({"SELECT * FROM PM_HourRange ", "WHERE BusyHourId = ", "2", " ORDER BY Id"}), 2,
           [](const Table& t) {
             EXPECT_EQ(t.Row(0, {"FirstHour", "LastHour"}), "9|11");
             EXPECT_EQ(t.Row(1, {"FirstHour", "LastHour", "FirstSeconds"}), "18|21|61200");
           }},
          {"used spans", "Select span From PM_BusyHour where Field_Id IS NULL and Cluster_Entity_Id = 12", 2},
          {"name taken",
           Cat({"SELECT id FROM pm_busyhour", "    WHERE cluster_entity_id = ", "12", "    AND name = '",
                "Cell Evening BH", "'"}),
           1},
          {"weekly and monthly busy hours",
           "SELECT value FROM tq_system_values_v WHERE name = 'ActivateWeeklyMonthly'", 1,
           [](const Table& t) { EXPECT_EQ(t.Text(0, "Value"), "1"); }},
          {"frequencies", "SELECT frequency_id, description, tag FROM tq_frequency ORDER BY frequency_id", 5,
           [](const Table& t) {
             EXPECT_EQ(t.Column("Tag"), (std::vector<std::string>{"H", "D", "W", "M", "Q"}));
           }},
      });
}

TEST_F(StatementsTest, DataFilesAvailabilityAndUdrKeys) {
  const std::vector<std::string> byType = {"CDMA_PEG_HOURLY", "EVDO_PEG_HOURLY",  "GSM_BSC_HOURLY",
                                           "LTE_ENB_15MIN",   "UDR_CALL_RECORDS", "UMTS_RNC_HOURLY"};
  const std::string cdmaAvail = Id(20, "Avail_CDMA_PEG_HOURLY");
  auto availability = [&](Date first) {
    return [&, first](const Table& t) {
      EXPECT_EQ(t.Column("file_type"), byType);
      EXPECT_EQ(t.Row(0, {"field_id", "file_type_id", "frequency", "FREQUENCY_ID", "vendor", "OFFSET_MINUTES",
                          "Entity_Id", "Entity_Name"}),
                cdmaAvail + "|1|Hourly|1|Vendor A|0|20|DataAvailability");
      EXPECT_EQ(db_->FieldDate(t.At(0, "First")), first);
      EXPECT_EQ(db_->FieldDate(t.At(0, "Last")), Date::FromParts(2026, 3, 15, 23));
      // The call records have not arrived: the file is there, without dates.
      EXPECT_EQ(t.Row(4, {"First", "Last", "OFFSET_MINUTES"}), "||60");
    };
  };
  auto perEntity = [](const std::string& entity) {
    return Cat(
        {"SELECT d.field_id,c.file_type_id,c.file_type,c.frequency,c.FREQUENCY_ID,c.FILE_DESCRIPTION,"
         "b.entity_label entity_name,b.entity_id,c.vendor,c.OFFSET_MINUTES FROM tqn_entity a,tqn_entity "
         "b,tq_file_control c,tqd_dict_name d Where a.entity_id = ",
         entity,
         " AND b.module_id=a.module_id AND b.version_id=a.version_id AND c.entity_id=b.entity_id AND "
         "d.entity_id=b.entity_id AND UPPER(b.can_report) = 'Y' AND "
         "d.name=availabledatareporting.tocalcfieldname(c.file_type) ORDER BY c.file_type"});
  };
  const std::string withPartitions =
      "SELECT d.field_id, a.file_type_id, a.file_type, a.frequency, a.FREQUENCY_ID, a.FILE_DESCRIPTION, "
      "a.entity_name, a.ENTITY_ID, a.vendor, a.OFFSET_MINUTES, b.min_partition_date "
      "first,b.max_partition_date Last FROM tq_file_control a, tq_min_partition b, tqd_dict_name d, "
      "tqn_entity_hier e, tqn_context c WHERE a.file_type_id = b.file_type_id (+) AND a.entity_id = "
      "d.entity_id AND d.entity_id = e.entity_id AND e.context_id = c.context_id AND UPPER(e.can_rpt) = 'Y' "
      "AND UPPER(c.context_name) = UPPER( 'Data Availability' ) AND d.name = "
      "availabledatareporting.tocalcfieldname(a.file_type) ORDER BY a.file_type";
  const std::string fromAvailableData =
      "SELECT d.field_id, a.file_type_id, a.file_type, a.frequency , a.FREQUENCY_ID, a.FILE_DESCRIPTION, "
      "a.entity_name, a.ENTITY_ID , a.vendor, a.OFFSET_MINUTES , MIN(b.timestamp)first , MAX(b.timestamp) "
      "last FROM tq_file_control a , tq_available_data b , tqd_dict_name d , tqn_entity_hier e , AVA_MAP m "
      "WHERE a.file_type_id = b.file_type_id (+) AND a.file_type_id = m.file_type_id AND d.entity_id = "
      "a.entity_id AND e.entity_id = d.entity_id AND UPPER(e.can_rpt) ='Y' AND d.name = "
      "availabledatareporting.tocalcfieldname(a.file_type) GROUP BY d.field_id,a.file_type_id, a.file_type, "
      "a.frequency , a.FREQUENCY_ID , a.FILE_DESCRIPTION , a.entity_name ,a.ENTITY_ID ,a.vendor "
      ",a.OFFSET_MINUTES ORDER BY a.file_type";
  RunCases(*this,
           {
               {"data files of the cell's module version", perEntity("12"), 6,
                [&](const Table& t) {
                  EXPECT_EQ(t.Column("file_type"), byType);
                  EXPECT_EQ(t.Row(0, {"field_id", "entity_name", "entity_id"}),
                            cdmaAvail + "|Data Availability|20");
                }},
               {"no data files in another module", perEntity("4"), 0},
               {"data files with partitions", withPartitions, 6, availability(Date::FromParts(2025, 12, 1))},
               {"UDR keys",
                Cat({"Select a.entity_id, a.field_seq, d.name ", "FROM tqd_udr_keys a, tqd_dict_name d ",
                     "Where a.Field_id = d.Field_id ", "ORDER BY entity_id, field_seq"}),
                4,
                [](const Table& t) {
                  EXPECT_EQ(t.Column("entity_id"), (std::vector<std::string>{"11", "12", "12", "12"}));
                  EXPECT_EQ(t.Column("name"), (std::vector<std::string>{"Switch_Number", "Cell_Number",
                                                                        "Call_Start_Time", "Mobile_Id"}));
                }},
               {"UDR key count", "select count (*) RowCount from tqd_udr_keys", 1,
                [&](const Table& t) { EXPECT_EQ(db_->FieldNumberOr(t.At(0, "RowCount"), 0), 4); }},
           });
  // A server whose partition table has no upper bound: availability comes from the
  // collected-data table.
  Exec("ALTER TABLE tq_min_partition DROP COLUMN max_partition_date");
  RunCases(*this, {{"data files from available data", fromAvailableData, 6,
                    availability(Date::FromParts(2026, 3, 13))}});
}

TEST_F(StatementsTest, ReferencingDocumentsAndTemplateFieldQuery) {
  const std::string dropRate = Id(kSampleCellEntity, "Drop_Rate");
  const std::string blockRate = Id(kSampleCellEntity, "Block_Rate");
  auto reports = [](const char* column, const std::string& id) {
    return Cat({"SELECT PM_Report.Id FROM PM_Report, PM_ReportSpec ",
                "WHERE PM_Report.ReportSpecId = PM_ReportSpec.Id AND ", column, " =", id});
  };
  auto templates = [](const std::string& id) {
    return Cat({"SELECT UNIQUE TemplateId FROM PM_TemplateField WHERE ", "Field_Id=", id});
  };
  auto ids = [](const char* column, std::set<std::string> expected) {
    return [column, expected](const Table& t) { EXPECT_EQ(t.Set(column), expected); };
  };
  RunCases(
      *this,
      {
          {"reports of a field", reports("Field_Id", dropRate), 1, ids("Id", {"1"})},
          {"a field in two reports", reports("Field_Id", Id(kSampleSectorEntity, "Traffic_Erlangs")), 2,
           ids("Id", {"2", "4"})},
          {"a field in no report", reports("Field_Id", blockRate), 0},
          {"templates of a field", templates(dropRate), 1, ids("TemplateId", {"10"})},
          {"express template without report", templates(blockRate), 1, ids("TemplateId", {"13"})},
          {"busy hours of a field",
           Cat({"SELECT Id FROM PM_BusyHour WHERE ", "Field_Id=", Id(kSampleCellEntity, "Traffic_Erlangs")}),
           1, ids("Id", {"4"})},
          // One row per report column that uses the busy hour; the documents collection drops
          // the duplicates.
          {"reports of a busy hour", reports("BusyHourId", "1"), 3, ids("Id", {"1"})},
          {"reports of an unused busy hour", reports("BusyHourId", "3"), 0},
      });
  // The standalone host has no XML gateway: the probe's query fails, so fields are read with SQL.
  SqliteXmlQueryService service(db_);
  EXPECT_THROW(service.RunQuery(sql::ProbeXmlGatewayQuery()), AutomationError);
  EXPECT_EQ(service.ParseResult("", true), nullptr);
}

TEST_F(StatementsTest, RcvFormsWithAndWithoutTheMappingTable) {
  const std::string select =
      "SELECT fd.DataValue RCVFormName, dn.Report_Header2 RCVFieldName, dn.field_id, dn.Name fieldName, "
      "dn.Entity_Id, e.Entity_Name, ";
  const std::string from =
      "HighlightUDR FROM tqd_Field_Data fd, tqd_Dict_Name dn, tqn_Entity e, pel_rcvform_entity f WHERE "
      "fd.DataSet_ID = ( SELECT DataSet_ID FROM tqd_Field_Data_Set WHERE DataSet_Title = 'RCVFormName' ) AND "
      "fd.Field_ID = dn.Field_ID AND dn.NameSpace_ID = 0 AND dn.Entity_ID = e.Entity_ID AND fd.Datavalue = "
      "f.rcvformname ";
  const std::string unionQuery = Cat(
      {select, "f.entityname ", from,
       "and  ( (dn.report_header2  != 'deter_thresh' and fd.datavalue = 'ceqface3g')  and  "
       "(dn.report_header2  != 'enable_thresh' and fd.datavalue = 'ceqface3g') ) Union ",
       select, "'CellEqFace3GCDMACarrier' ", from,
       "and (dn.report_header2   in ('deter_thresh','enable_thresh') and fd.dataValue='ceqface3g') Union ",
       select, "f.entityname ", from, "and fd.datavalue != 'ceqface3g' ORDER BY RCVFormName, RCVFieldName"});
  const std::string simpleQuery =
      "SELECT fd.DataValue RCVFormName, dn.Report_Header2 RCVFieldName, dn.field_id, dn.Name fieldName, "
      "dn.Entity_Id , e.Entity_Name FROM tqd_Field_Data fd, tqd_Dict_Name dn, tqn_Entity e WHERE "
      "fd.DataSet_ID = ( SELECT DataSet_ID FROM tqd_Field_Data_Set WHERE DataSet_Title = 'RCVFormName' ) AND "
      "fd.Field_ID = dn.Field_ID AND dn.NameSpace_ID = 0 AND dn.Entity_ID = e.Entity_ID ORDER BY "
      "RCVFormName, RCVFieldName";
  const std::vector<std::string> forms = {"cell2",     "cell2",     "ceqface3g", "ceqface3g",
                                          "ceqface3g", "ceqface3g", "ceqface3g", "ceqface3g",
                                          "sector3g",  "sector3g",  "swparms"};
  RunCases(
      *this,
      {{"union over the mapping table", unionQuery, 11, [&](const Table& t) {
          EXPECT_EQ(t.Column("RCVFormName"), forms);
          EXPECT_EQ(t.Row(0, {"RCVFieldName", "HighlightUDR", "Entity_Name"}), "ho_thresh|CellSite|CellSite");
          // Both thresholds of both entities are shown under the equipment face.
          for (size_t r = 2; r < 6; ++r) {
            EXPECT_EQ(t.Text(r, "HighlightUDR"), "CellEqFace3GCDMACarrier") << t.Text(r, "fieldName");
          }
          EXPECT_EQ(t.Row(6, {"RCVFieldName", "HighlightUDR"}), "fwd_pwr_max|SectorCarrier");
          EXPECT_EQ(t.Row(10, {"RCVFieldName", "HighlightUDR", "Field_Id"}),
                    "page_retry|MobileSwitch|" + Id(kSampleSwitchEntity, "Page_Retry_Count"));
        }}});
  Exec("DROP TABLE pel_rcvform_entity");
  RunCases(*this, {{"without the mapping table", simpleQuery, 11, [&](const Table& t) {
                      EXPECT_EQ(t.Column("RCVFormName"), forms);
                      EXPECT_EQ(std::set<std::string>({t.Row(2, {"RCVFieldName", "Entity_Name"}),
                                                       t.Row(3, {"RCVFieldName", "Entity_Name"})}),
                                (std::set<std::string>{"deter_thresh|SectorCarrier",
                                                       "deter_thresh|CellEqFace3GCDMACarrier"}));
                    }}});
}

// ---- Writes: calculations, extra column values and styles --------------------------------

class WriteStatementsTest : public StatementsTest {
 public:
  void SetUp() override {
    StatementsTest::SetUp();
    xml_ = std::make_shared<SqliteXmlQueryService>(db_);
  }

  // A procedure call with its parameters as texts, in order; types holds one letter for each,
  // 'i' for an integer and 's' for a string.
  std::shared_ptr<SqliteProcedureCall> Call(std::string_view routine, const std::vector<std::string>& values,
                                            std::string_view types) {
    EXPECT_EQ(types.size(), values.size()) << routine;
    auto call = std::make_shared<SqliteProcedureCall>(db_);
    call->SetName(routine);
    for (size_t i = 0; i < values.size(); ++i) {
      call->AddParameter(values[i], types.at(i) == 'i' ? "integer" : "string", "", 0);
    }
    return call;
  }

  // The routine that creates a calculation at the cell, with its eleven fixed values.
  std::shared_ptr<SqliteProcedureCall> NewCalculation(const std::string& name, const std::string& source,
                                                      const std::string& header) {
    return Call("tq_Dictionary.New_UDC_F",
                {name, "CellSite", "2", "2", "F", source, header, "Rate %",
                 "Answered calls per hundred attempts", "7", "AVG"},
                "ssiisssssis");
  }

  // The server's status check, which translates the calculation: status and message.
  std::pair<std::string, std::string> Status(int32_t id) {
    auto call = Call("tq_Dictionary.UDC_Stat", {std::to_string(id), "", "", "30"}, "issi");
    call->Run();
    return {db_->FieldText(call->ParameterValue(1)), db_->FieldText(call->ParameterValue(2))};
  }

  std::string StyleInsert(const std::string& id, int32_t mask, int32_t color) {
    return Cat({"Insert Into tqd_field_style ", "(Field_id,FontStyleMask,FontColor ) ", "VALUES (", id, ",",
                std::to_string(mask), ",", std::to_string(color), ")"});
  }
  void SaveStyle(int32_t id, int32_t mask, int32_t color) {
    const std::string sid = std::to_string(id);
    db_->Execute(Cat({"Delete from tqd_field_style ", " Where Field_ID = ", sid}));
    if (mask != 0 || color != 0) db_->Execute(StyleInsert(sid, mask, color));
  }

  // The value of one editable extra column: deleted, and written again unless blank.
  void SaveExtraValue(const ExtraColumnJoin& column, int32_t id, const std::string& value) {
    const std::string sid = std::to_string(id);
    const std::string cid = std::to_string(column.id);
    const bool name = column.colType == "A";
    db_->Execute(
        name ? Cat({"Delete from tqd_Dict_name ", " Where Field_ID = ", sid, " AND Namespace_Id = ", cid})
             : Cat({"Delete from tqd_Field_Data ", " Where Field_ID = ", sid, " AND DataSet_ID = ", cid}));
    if (TrimBlanks(value).empty()) return;
    db_->Execute(
        Cat({name ? "Insert Into tqd_Dict_name (Entity_Id, Field_Id, Namespace_id, Name) "
                  : "Insert Into tqd_Field_Data (Entity_Id, Field_Id, DataSet_ID, DataValue) ",
             "Values ( ", std::to_string(kSampleCellEntity), ",", sid, ",", cid, ",'", value, "')"}));
  }

  // Parents of the calculations that use any of the ids, as the reference check reads them.
  std::set<std::string> UsedBy(const std::string& ids) {
    return Open(Cat({"Select Unique parent_field_id, child_field_id from tqd_dict_field_depend ",
                     "Where child_field_id IN (", ids, " )"}))
        .Set("parent_field_id");
  }

  // The insert of a calculation at the cell: routine, style, the editable form column,
  // commit.
  int32_t InsertCalculation(const std::string& name, const std::string& source, const std::string& complex,
                            int32_t weightField) {
    auto call = NewCalculation(name, source, "Answer");
    call->AddParameter(complex, "string");
    if (weightField > 0) call->AddParameter(std::to_string(weightField), "integer");
    xml_->BeginTransaction();
    const int32_t id = call->Run().ToInt32();
    SaveStyle(id, 1, 255);
    SaveExtraValue({"S", 21}, id, "cell2");
    xml_->CommitTransaction();
    return id;
  }

  std::shared_ptr<SqliteXmlQueryService> xml_;
};

TEST_F(WriteStatementsTest, InsertedCalculationLoadsWithStyleExtraValueAndDependency) {
  const std::string dropRate = Id(kSampleCellEntity, "Drop_Rate");
  const std::string successRate = Id(kSampleCellEntity, "Call_Success_Rate");
  const int32_t attempts = FieldId(kSampleCellEntity, "Call_Attempts");
  EXPECT_EQ(UsedBy(dropRate), (std::set<std::string>{successRate}));

  const int32_t id = InsertCalculation("Answer_Rate", "100 - Drop_Rate", "SUM(Call_Attempts)", attempts);
  ASSERT_GT(id, 0);
  EXPECT_EQ(Status(id), (std::pair<std::string, std::string>{"T", ""}));

  const Table byId = Open(sql::FieldsByIdStatement(std::to_string(id), kAllOptional, kTrafficColumns));
  ASSERT_EQ(byId.Size(), 1u);
  EXPECT_EQ(byId.Row(0, {"Name", "Entity_ID", "DataSource_ID", "Field_Group_Short", "UDC_Source",
                         "Field_Owner", "Tech_Mask", "Field_Aggregator", "Status"}),
            "Answer_Rate|12|2|UDC|100 - Drop_Rate|2|7|AVG|T");
  EXPECT_EQ(byId.Row(0, {"Complex", "weight_field_id", "FontStyleMask", "FontColor", "v1", "v2"}),
            "SUM(Call_Attempts)|" + std::to_string(attempts) + "|1|255||cell2");
  EXPECT_EQ(Open(SourceFields("12", sql::kExpressionsOnly)).Size(), kCellTrafficCalcs + 1);
  // The reference check before deleting Drop_Rate now finds both users.
  EXPECT_EQ(UsedBy(dropRate), (std::set<std::string>{successRate, std::to_string(id)}));

  // Without a weight field the routine gets eleven values and no complex text.
  const int32_t plain = NewCalculation("Plain_Rate", "Block_Rate / 2", "Plain")->Run().ToInt32();
  EXPECT_EQ(Open(sql::FieldsByIdStatement(std::to_string(plain), kAllOptional, {}))
                .Row(0, {"Name", "Status", "Complex", "weight_field_id", "FontStyleMask"}),
            "Plain_Rate|U|||");
}

TEST_F(WriteStatementsTest, UpdateRenameOwnerChangeAndDeleteShowOnTheNextLoad) {
  const std::string cellErlangs = Id(kSampleCellEntity, "Traffic_Erlangs");
  const std::string dropRate = Id(kSampleCellEntity, "Drop_Rate");
  const int32_t id = InsertCalculation("Answer_Rate", "100 - Drop_Rate", "", 0);
  const std::string sid = std::to_string(id);

  // With the extended views the user writes entity labels; the server gets entity names.
  const Variant version = db_->QueryValue("SELECT version_id From tqn_entity WHERE entity_id = 12");
  const std::string source =
      db_->CallFunction(
             "ea_dd.ea_replace_entity_labels",
             Cat({version.ToString(), ",'", "Traffic_Erlangs * 100 / NULLIF(Switch.Switch_Erlangs, 0)", "'"}))
          .ToString();
  EXPECT_EQ(source, "Traffic_Erlangs * 100 / NULLIF(MobileSwitch.Switch_Erlangs, 0)");
  xml_->BeginTransaction();
  db_->ExecuteProcedure("tq_Dictionary.Update_UDC",
                        {Variant(id), Variant("F"), Variant(source), Variant("Cell"), Variant("Share %"),
                         Variant("Share of the switch's traffic"), Variant(7), Variant("MAX")});
  SaveExtraValue({"S", 21}, id, "   ");
  SaveStyle(id, 0, 0);
  xml_->CommitTransaction();
  Status(id);

  const Table t = Open(SourceFields("12", sql::kExpressionsOnly, kAllOptional, kTrafficColumns, true));
  EXPECT_EQ(t.Row(t.Find("Field_Id", sid),
                  {"UDC_Source", "Report_Header", "Field_Aggregator", "Status", "FontStyleMask", "v2"}),
            "Traffic_Erlangs * 100 / NULLIF(Switch.Switch_Erlangs, 0)|Cell|MAX|T||");
  EXPECT_EQ(Open(sql::FieldsByIdStatement(sid, {}, {})).Text(0, "UDC_Source"), source);
  EXPECT_EQ(Open("SELECT * FROM tqd_Field_Data WHERE Field_Id = " + sid).Size(), 0u);
  EXPECT_EQ(UsedBy(cellErlangs).count(sid), 1u);
  EXPECT_EQ(UsedBy(dropRate).count(sid), 0u);

  // A rename and an owner change show on the next load; the delete removes every trace.
  db_->Execute(Cat({"Update Tqd_Dict_name  Set Name = '", "Answered_Pct", "' Where Field_ID = ", sid}));
  db_->ExecuteProcedure("tq_Dictionary.Update_Field_Owner", {Variant(id), Variant(4)});
  EXPECT_EQ(Open(sql::FieldsByIdStatement(sid, {}, {})).Row(0, {"Name", "Field_Owner"}), "Answered_Pct|4");
  const Table cell = Open(sql::EntityFieldsStatement(kSampleCellEntity, {}));
  EXPECT_EQ(cell.Text(cell.Find("Field_Id", sid), "Name"), "Answered_Pct");

  xml_->BeginTransaction();
  db_->Execute(Cat({"Delete from tqd_Field_Data where Field_Id = ", sid}));
  db_->Execute(Cat({"Delete from tqd_field_style ", " Where Field_ID = ", sid}));
  db_->ExecuteProcedure("tq_Dictionary.Delete_UDC", {Variant(id)});
  xml_->CommitTransaction();
  EXPECT_EQ(Open(sql::FieldsByIdStatement(sid, kAllOptional, kTrafficColumns)).Size(), 0u);
  EXPECT_EQ(Open(SourceFields("12", sql::kExpressionsOnly)).Size(), kCellTrafficCalcs);
  EXPECT_EQ(UsedBy(cellErlangs).count(sid), 0u);
}

TEST_F(WriteStatementsTest, FailedSaveIsRolledBack) {
  auto call = NewCalculation("Half_Saved", "Drop_Rate / 2", "");
  xml_->BeginTransaction();
  const int32_t id = call->Run().ToInt32();
  SaveStyle(id, 1, 255);
  EXPECT_THROW(db_->Execute(StyleInsert(std::to_string(id), 1, 255)), AutomationError);
  xml_->RollbackTransaction();
  EXPECT_EQ(Open(SourceFields("12", sql::kExpressionsOnly)).Size(), kCellTrafficCalcs);
  EXPECT_EQ(Open("SELECT * FROM tqd_field_style WHERE Field_Id = " + std::to_string(id)).Size(), 0u);
}

TEST_F(WriteStatementsTest, ExtraColumnValuesOfBothKinds) {
  const int32_t attempts = FieldId(kSampleCellEntity, "Call_Attempts");
  const int32_t drops = FieldId(kSampleCellEntity, "Dropped_Calls");
  SaveExtraValue({"A", 11}, attempts, "CALL_ATT");
  SaveExtraValue({"A", 11}, drops, " ");
  SaveExtraValue({"S", 21}, drops, "cell2 ");
  const Table t = Open(
      sql::FieldsByIdStatement(std::to_string(attempts) + "," + std::to_string(drops), {}, kTrafficColumns));
  ASSERT_EQ(t.Size(), 2u);
  EXPECT_EQ(t.Row(t.Find("Field_Id", std::to_string(attempts)), {"Name", "v1", "v2"}),
            "Call_Attempts|CALL_ATT|");
  EXPECT_EQ(t.Row(t.Find("Field_Id", std::to_string(drops)), {"Name", "v1", "v2"}), "Dropped_Calls||cell2 ");
}

// ---- Writes: busy hours ------------------------------------------------------------------

class BusyHourWriteTest : public WriteStatementsTest {
 public:
  // The insert of a busy hour at the cell, with the retention columns when the schema has them.
  std::string Insert(int32_t id, const char* name, int32_t field, bool retention) {
    std::string values =
        db_->ValueListText({Variant(id), Variant(2), Variant(name), Lit(db_->NowLiteral()),
                            Lit(db_->IdLiteral(kSampleCellEntity)), Lit(db_->IdLiteral(field)),
                            Variant("Late evening peak"), Lit(db_->DateLiteral(Date::FromParts(2026, 3, 1))),
                            Variant("D"), Variant(1), Variant(3), Variant(24), Lit(db_->IdLiteral(0))});
    if (retention) values += ", " + db_->ValueListText({Variant(35), Variant::Null(), Variant(13)});
    return Cat({"INSERT INTO PM_BusyHour (", "Id, UserId, Name, Changed,",
                "Cluster_Entity_Id, Field_Id, Description,",
                retention ? "FirstNeeded, Span,MinRank, MaxRank, DTPeriod, Scenario_Id, "
                            "Daily_Retention, Weekly_Retention, Monthly_Retention "
                          : "FirstNeeded, Span,MinRank, MaxRank, DTPeriod, Scenario_Id ",
                " ) Values ( ", values, ")"});
  }

  // One hour-range row per run of selected slots.
  void SaveHourRanges(int32_t id, const IHourSelection& selection) {
    for (int32_t start = 1;;) {
      const SlotRun hours = db_->NextHourRun(start, selection, true);
      if (hours.first < 1) break;
      const SlotRun seconds = db_->NextSecondRun(start, selection, true);
      db_->Execute(Cat(
          {"INSERT INTO PM_HourRange (", "Id, BusyHourId, FirstHour, LastHour, FirstSeconds, LastSeconds",
           ") VALUES (",
           db_->ValueListText({Lit(db_->SequenceLiteral("SQ_HourRange")), Variant(id), Variant(hours.first),
                               Variant(hours.last), Variant(seconds.first), Variant(seconds.last)}),
           ")"}));
      start = hours.last + 1;
    }
  }

  // The PABH row is written once, when the count finds none.
  void EnsurePabh(int32_t id) {
    const Table t = Open(Cat({"SELECT COUNT(*) BH_COUNT FROM PM_PABH WHERE ID= ", std::to_string(id)}));
    if (t.Size() == 1 && t.Text(0, "BH_COUNT") == "0") {
      db_->Execute(Cat({"INSERT INTO PM_PABH (", "Id ", " ) Values ( ", std::to_string(id), ")"}));
    }
  }

  Table ById(int32_t id) {
    return Open(Cat({"SELECT * FROM PM_BusyHour ", "WHERE Id = ", std::to_string(id)}));
  }
  Table Hours(int32_t id) {
    return Open(
        Cat({"SELECT * FROM PM_HourRange ", "WHERE BusyHourId = ", std::to_string(id), " ORDER BY Id"}));
  }
};

TEST_F(BusyHourWriteTest, InsertedBusyHourAndSummationReloadFromTheirRows) {
  const int32_t success = FieldId(kSampleCellEntity, "Call_Success_Rate");
  HourSelection evening;
  evening.Resize(24);
  for (int32_t slot : {8, 9, 17, 18, 19}) evening.SetSelected(slot, true);

  xml_->BeginTransaction();
  const int32_t id = db_->NextSequenceNumber("SQ_BusyHour");
  db_->Execute(Insert(id, "Late Success BH", success, true));
  EnsurePabh(id);
  SaveHourRanges(id, evening);
  const int32_t summation = db_->NextSequenceNumber("SQ_BusyHour");
  db_->Execute(Insert(summation, "Late Summation", 0, true));
  SaveHourRanges(summation, HourSelection());  // no slot selected: no row
  xml_->CommitTransaction();
  EXPECT_EQ(id, 8);  // after the sample's seven

  const Table row = ById(id);
  ASSERT_EQ(row.Size(), 1u);
  EXPECT_EQ(
      row.Row(0, {"UserId", "Name", "Cluster_Entity_Id", "Span", "MinRank", "MaxRank", "DTPeriod",
                  "Scenario_Id", "Daily_Retention", "Weekly_Retention", "Monthly_Retention", "FirstNeeded"}),
      "2|Late Success BH|12|D|1|3|24||35||13|3/1/2026");
  ASSERT_TRUE(row.At(0, "Changed").IsDate());
  EXPECT_LT(std::abs(row.At(0, "Changed").ToDate().Serial() - Date::Now().Serial()), 1.0);
  const Table hours = Hours(id);
  ASSERT_EQ(hours.Size(), 2u);
  EXPECT_EQ(hours.Row(0, {"FirstHour", "LastHour", "FirstSeconds", "LastSeconds"}), "8|9|25200|32399");
  EXPECT_EQ(hours.Row(1, {"FirstHour", "LastHour"}), "17|19");
  EXPECT_EQ(Hours(summation).Size(), 0u);

  const Table cell = Open(CategoryBusyHours(true, kSampleCellEntity));
  EXPECT_EQ(cell.Size(), 3u);
  EXPECT_EQ(cell.Row(cell.Find("Id", std::to_string(id)), {"PABH_ID", "Field_Name"}),
            std::to_string(id) + "|Call_Success_Rate");
  EXPECT_EQ(Open("SELECT * FROM PM_BusyHour b WHERE Field_Id IS NULL  AND Cluster_Entity_Id =12").Set("Name"),
            (std::set<std::string>{"Evening Summation", "Business Day Summation", "Late Summation"}));
}

TEST_F(BusyHourWriteTest, UpdateOwnerChangeAndDelete) {
  const int32_t erlangs = FieldId(kSampleCellEntity, "BH_Traffic_Erlangs");
  auto update = [&](int32_t id, bool updateRequired, int32_t scenario) {
    std::vector<Variant> pairs = {
        Variant("Name"),        Variant("Cell Erlang BH 2"),
        Variant("Field_Id"),    Lit(db_->IdLiteral(erlangs)),
        Variant("Description"), Variant("Rounded Erlangs"),
        Variant("Changed"),     Lit(db_->DateLiteral(Date::FromParts(2026, 3, 2, 8, 30))),
        Variant("FirstNeeded"), Lit(db_->DateLiteral(Date::FromParts(2026, 2, 15))),
        Variant("Span"),        Variant("W")};
    if (updateRequired) {
      pairs.insert(pairs.end(), {Variant("FirstAvail"), Lit(db_->DateLiteral(Date::Zero())),
                                 Variant("LastAvail"), Lit(db_->DateLiteral(Date::Zero()))});
    }
    pairs.insert(pairs.end(),
                 {Variant("MinRank"), Variant(2), Variant("MaxRank"), Variant(4), Variant("Scenario_Id"),
                  Lit(db_->IdLiteral(scenario)), Variant("Daily_Retention"), Variant::Null(),
                  Variant("Weekly_Retention"), Variant(52), Variant("Monthly_Retention"), Variant(12)});
    db_->Execute(
        Cat({"UPDATE PM_BusyHour SET ", db_->AssignmentListText(pairs), " WHERE Id = ", std::to_string(id)}));
  };
  // Busy hour 1 is reset for recalculation; busy hour 2 keeps its availability.
  xml_->BeginTransaction();
  update(1, true, 5);
  update(2, false, 0);
  EnsurePabh(2);
  db_->Execute(Cat({"DELETE FROM PM_HourRange WHERE BusyHourId = ", "2"}));
  HourSelection night;
  night.Resize(24);
  night.SetSelected(23, true);
  night.SetSelected(24, true);
  SaveHourRanges(2, night);
  xml_->CommitTransaction();

  EXPECT_EQ(ById(1).Row(0, {"Name", "Field_Id", "Span", "MinRank", "Scenario_Id", "Daily_Retention",
                            "Weekly_Retention", "Changed"}),
            "Cell Erlang BH 2|" + std::to_string(erlangs) + "|W|2|5||52|3/2/2026 8:30:00 AM");
  EXPECT_EQ(db_->FieldDate(ById(1).At(0, "FirstAvail")), Date::Zero());
  EXPECT_EQ(ById(2).Text(0, "FirstAvail"), "1/5/2026");
  const Table hours = Hours(2);
  ASSERT_EQ(hours.Size(), 1u);
  EXPECT_EQ(hours.Row(0, {"FirstHour", "LastHour"}), "23|24");
  EXPECT_EQ(Open(CategoryBusyHours(true, kSampleSectorEntity)).Text(0, "PABH_ID"), "2");
  const std::string scenarios = Cat({"Select b.* ", "FROM PM_BusyHour b, tqd_dict_name d ",
                                     "WHERE (b.Field_Id  IS NOT NULL AND d.Field_Id = b.Field_Id) ",
                                     " AND b.scenario_id in ( ", "5,6", " )"});
  EXPECT_EQ(Open(scenarios).Column("Id"), (std::vector<std::string>{"1"}));

  db_->Execute(Cat({"UPDATE PM_BusyHour SET ", db_->AssignmentListText({Variant("UserId"), Variant(4)}),
                    " WHERE Id = ", "3"}));
  EXPECT_EQ(ById(3).Text(0, "UserId"), "4");
  db_->Execute(Cat({"DELETE FROM PM_BusyHour WHERE Id = ", "3"}));
  EXPECT_EQ(ById(3).Size(), 0u);
  EXPECT_EQ(Open(CategoryBusyHours(true, kSampleSwitchEntity)).Size(), 0u);
}

TEST_F(BusyHourWriteTest, DatabaseWithoutRetentionColumns) {
  for (const char* column : {"Daily_Retention", "Weekly_Retention", "Monthly_Retention"}) {
    Exec(std::string("ALTER TABLE PM_BusyHour DROP COLUMN ") + column);
  }
  const int32_t id = db_->NextSequenceNumber("SQ_BusyHour");
  db_->Execute(Insert(id, "Plain BH", FieldId(kSampleCellEntity, "Drop_Rate"), false));
  const Table cell = Open(CategoryBusyHours(false, kSampleCellEntity));
  EXPECT_EQ(cell.Size(), 3u);
  EXPECT_EQ(cell.Text(cell.Find("Id", std::to_string(id)), "Field_Name"), "Drop_Rate");
}

}  // namespace
}  // namespace ridirodev::standalone
