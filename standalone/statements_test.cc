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
#include "standalone/controls.h"
#include "standalone/query_service.h"
#include "standalone/sample.h"
#include "standalone/schema.h"
#include "standalone/sqlite_database.h"

namespace ridirodev::standalone {
namespace {

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

// DoComplex, DoWeighted, StyleFieldsAvailable.
struct Optional {
  bool complex = false;
  bool weighted = false;
  bool style = false;
};
// An extra column of the application's template: its kind and id.
struct ExtraColumn {
  std::string kind;
  int32_t id;
};

SqliteDatabaseOptions CreateOptions() {
  SqliteDatabaseOptions options;
  options.create = true;
  return options;
}

class StatementsTest : public ::testing::Test {
 public:
  void SetUp() override {
    db_ = std::make_shared<SqliteDatabase>(":memory:", CreateOptions());
    CreateDictionarySchema(db_->Connection()->Handle());
    LoadSampleDictionary(db_->Connection()->Handle(), {});
  }

  Table Open(const std::string& sql) { return Table(*db_, db_->OpenRecordset(sql, 60)); }
  void Exec(const std::string& sql) { db_->Connection()->Exec(sql); }
  std::string Text(const IDBLiteralPtr& literal) { return literal->Text(); }
  std::string Text(const Variant& value) { return db_->ValueText(value); }
  IDBLiteralPtr TextLiteral(std::string_view text) { return db_->TextLiteral(text); }
  IDBLiteralPtr NumberLiteral(int32_t value) { return db_->NumberLiteral(Variant(value), 0); }
  static Variant Lit(IDBLiteralPtr literal) { return Variant(std::move(literal)); }

  // A field of the sample, found in the base tables rather than through the statements.
  int32_t FieldId(int32_t entity, std::string_view name, int32_t dataSource = kSampleTrafficDataSource) {
    return db_
        ->QueryValue(
            "SELECT f.Field_Id FROM tqd_Dict_Field f JOIN tqd_Dict_Name n ON n.Field_Id = f.Field_Id "
            "AND n.NameSpace_Id = 0 WHERE n.Entity_Id = " +
            std::to_string(entity) + " AND f.DataSource_ID = " + std::to_string(dataSource) +
            " AND n.Name = '" + std::string(name) + "'")
        .ToInt32();
  }

  struct Pieces {
    std::string select, from, where, order;
  };
  static void ApplyOptional(Pieces& p, Optional o) {
    if (o.complex) p.select += ", d.Complex ";
    if (o.weighted) p.select += ",d.weight_field_id ";
    if (o.style) {
      p.select += ",c.FontStyleMask, c.FontColor ";
      p.from += ", tqd_field_style c ";
      p.where += " AND d.Field_Id = c.Field_Id (+) ";
    }
  }
  static void ApplyExtraColumns(Pieces& p, const std::vector<ExtraColumn>& columns) {
    for (size_t i = 0; i < columns.size(); ++i) {
      const std::string k = std::to_string(i + 1);
      const std::string id = std::to_string(columns[i].id);
      if (columns[i].kind == "A") {
        p.select += Cat({",a", k, ".Name v", k, " "});
        p.from += Cat({",tqd_Dict_Name a", k, " "});
        p.where +=
            Cat({" AND d.Field_Id = a", k, ".Field_Id (+) ", "AND a", k, ".Namespace_Id (+) = ", id, " "});
      } else {
        p.select += Cat({",a", k, ".DataValue v", k, " "});
        p.from += Cat({",tqd_Field_Data a", k, " "});
        p.where +=
            Cat({" AND d.Field_Id = a", k, ".Field_Id (+) ", "AND a", k, ".DataSet_ID (+) = ", id, " "});
      }
    }
  }

  // The data-source field statement; selection 1 static fields, 2 expressions, else both.
  static std::string DataSourceFields(bool extendedViews, Optional o, const std::string& entities,
                                      int32_t dataSource, int32_t selection,
                                      const std::vector<ExtraColumn>& columns) {
    Pieces p;
    p.select = extendedViews
                   ? Cat({"SELECT d.Field_Id, d.Entity_ID,d.Name, d.Report_Header, d.Report_Header2, ",
                          "d.Field_Desc,d.DataType, d.Field_Type, d.Field_Owner, d.Field_Aggregator,",
                          "d.Field_Emits_Aggregator, "
                          "d.Calc_Source,ea_dd.ea_replace_entity_names(d.UDC_Source) UDC_Source,",
                          "d.Length, Precision, d.Is_Null_OK, d.Field_Group_Short, d.Tech_Mask, d.Changed, "
                          "d.Status "})
                   : Cat({"SELECT d.Field_Id, d.Entity_ID, d.Name, d.Report_Header, d.Report_Header2, ",
                          "d.Field_Desc,d.DataType, d.Field_Type, d.Field_Owner, d.Field_Aggregator,",
                          "d.Field_Emits_Aggregator, d.Calc_Source, d.UDC_Source, d.Length, Precision, ",
                          "d.Is_Null_OK , d.Field_Group_Short, d.Tech_Mask, d.Changed, d.Status "});
    p.from = "FROM tqd_Datasource_Field d ";
    p.where = Cat({"WHERE d.DataSource_ID = ", std::to_string(dataSource)});
    if (selection == 1) p.where += " AND d.Field_Group_Short <> 'UDC' ";
    if (selection == 2) p.where += " AND d.Field_Group_Short = 'UDC' ";
    ApplyOptional(p, o);
    if (!entities.empty()) p.where += Cat({" AND d.Entity_Id in (", entities, ") "});
    p.order = " order by d.Entity_Id";
    ApplyExtraColumns(p, columns);
    return p.select + p.from + p.where + p.order;
  }

  static std::string EntityFields(int32_t entity, Optional o) {
    Pieces p;
    p.select = Cat({"SELECT d.Field_Id, d.Name, d.Report_Header, d.Report_Header2, ",
                    "d.Field_Desc,d.DataType, d.Field_Owner,d.Field_Group_Short, d.Field_Aggregator,",
                    "d.Length, Precision,d.Is_Null_OK ,d.Tech_Mask, d.Changed, d.Status "});
    p.from = "FROM tqd_Datasource_Field d ";
    p.where = Cat({"WHERE d.Entity_ID = ", std::to_string(entity)});
    ApplyOptional(p, o);
    return p.select + p.from + p.where;
  }

  static std::string FieldsById(const std::string& ids, Optional o, const std::vector<ExtraColumn>& columns) {
    Pieces p;
    p.select =
        Cat({"SELECT d.Field_Id, d.Name, d.Entity_ID,d.DataSource_ID, d.Report_Header, d.Report_Header2, ",
             "d.Field_Desc,d.DataType, d.Field_Type, d.Field_Owner, d.Field_Aggregator,",
             "d.Field_Emits_Aggregator, d.Calc_Source,d.UDC_Source, d.Length, Precision,",
             "d.Is_Null_OK , d.Field_Group_Short, d.Tech_Mask, d.Changed, d.Status "});
    p.from = "FROM tqd_Datasource_Field d ";
    p.where = Cat({"WHERE d.Field_Id in (", ids, ") "});
    ApplyOptional(p, o);
    ApplyExtraColumns(p, columns);
    return p.select + p.from + p.where;
  }

  static std::string CategoryBusyHours(bool retention, const std::string& cluster) {
    return Cat({"SELECT b.Id, p.Id PABH_ID, p.FirstAvail PABH_FirstAvail, ",
                "p.LastAvail PABH_LastAvail, b.UserId, b.Name, b.Changed, ",
                "b.Cluster_Entity_Id, b.Field_Id, d.Name Field_Name, ",
                "b.Description, b.FirstNeeded, b.Span , b.MinRank, b.MaxRank, ",
                "b.FirstAvail, b.LastAvail, b.scenario_id ",
                retention ? ",b.Daily_Retention, b.Weekly_Retention, b.Monthly_Retention " : "",
                "FROM PM_BusyHour b, tqd_dict_name d ,PM_PABH p ", "WHERE b.Field_Id  IS NOT NULL AND ",
                "b.Cluster_Entity_Id =", cluster, " AND ", "d.Field_Id = b.Field_Id AND ",
                "(p.ID (+) = b.ID)"});
  }

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

TEST_F(StatementsTest, EntityTemplatesTechnologiesGroupsAggregatorsExtraColumns) {
  std::string basicNames = Text(TextLiteral("Client")) + "," + Text(TextLiteral("Traffic"));
  std::string allNames = basicNames;
  for (const char* name : {"UDR", "CPFail Count", "CPFail Message", "CPFail Handoff", "EVDO PCMD Message",
                           "DOCPFail Count", "DOCPFail Message", "PCMD Count", "PCMD Message"}) {
    allNames += "," + Text(TextLiteral(name));
  }
  auto templates = [](const std::string& list) {
    return Cat({"SELECT DataSource_Id, DataSource_Name, DataSource_APP_CTX ", "FROM TQD_Data_Source ",
                "WHERE DataSource_Name IN ( ", list, " ) "});
  };
  const std::string groups = "SELECT Field_Group_Id,Field_Group_Short,Field_Group_Name ";
  RunCases(*this,
           {
               {"entity id by name",
                Cat({"SELECT entity_id FROM TQN_ENTITY WHERE entity_name = '", "CellSite", "'"}), 1,
                [](const Table& t) { EXPECT_EQ(t.Text(0, "Entity_Id"), "12"); }},
               {"entity names compare exactly",
                Cat({"SELECT entity_id FROM TQN_ENTITY WHERE entity_name = '", "Cellsite", "'"}), 0},
               {"templates, no optional group", templates(basicNames), 2,
                [](const Table& t) {
                  EXPECT_EQ(t.Set("DataSource_Name"), (std::set<std::string>{"Client", "Traffic"}));
                  EXPECT_EQ(t.Set("DataSource_App_CTX"), (std::set<std::string>{"2"}));
                }},
               {"templates, every optional group", templates(allNames), 11},
               {"technologies",
                Cat({"SELECT Tech_Name,Tech_Char,Tech_Mask,Tech_Desc ", "FROM TQD_Technology_Mask"}), 5,
                [](const Table& t) {
                  EXPECT_EQ(t.Set("Tech_Char"), (std::set<std::string>{"G", "C", "U", "E", "L"}));
                  EXPECT_EQ(t.Set("Tech_Mask"), (std::set<std::string>{"1", "2", "4", "8", "16"}));
                }},
               {"field types of Traffic",
                Cat({groups, "FROM tqd_Application_Field_Group ", "WHERE DataSource_ID = ", "2"}), 7,
                [](const Table& t) {
                  EXPECT_EQ(
                      t.Set("Field_Group_Short"),
                      (std::set<std::string>{"Peg", "Duration", "Gauge", "UDC", "EXT", "Common", "Avail"}));
                }},
               {"field types of UDR",
                Cat({groups, "FROM tqd_Application_Field_Group ", "WHERE DataSource_ID = ", "3"}), 5,
                [](const Table& t) { EXPECT_TRUE(t.Set("Field_Group_Short").count("Key")); }},
               {"field types, extended views", Cat({groups, "FROM tqd_Field_Group "}), 9},
               {"aggregators", "SELECT * FROM TQD_Aggregator", 6,
                [](const Table& t) {
                  const size_t sumAvg = t.Find("AGGR_ID", "SUMAVG");
                  EXPECT_EQ(t.Text(sumAvg, "AGGR_Name"), "Sum, average over elements");
                  EXPECT_EQ(t.Text(sumAvg, "AGGR_BH_OK"), "Y");
                  EXPECT_EQ(t.Text(sumAvg, "label_time"), "Sum");
                  EXPECT_EQ(t.Text(sumAvg, "label_element"), "Average");
                  EXPECT_EQ(t.Text(t.Find("AGGR_ID", "MIN"), "label_element"), "");
                }},
               {"extra columns of Traffic",
                Cat({"SELECT * FROM TQD_DataSource_Extra_Cols ", "WHERE DataSource_ID = ", "2"}), 2,
                [](const Table& t) {
                  EXPECT_EQ(t.Row(0, {"Col_Title", "E_Type", "e_id", "Editable"}), "Vendor Name|A|11|N");
                  EXPECT_EQ(t.Row(1, {"Col_Title", "E_Type", "e_id", "Editable"}), "RCVFormName|S|21|Y");
                }},
               {"extra columns of Client",
                Cat({"SELECT * FROM TQD_DataSource_Extra_Cols ", "WHERE DataSource_ID = ", "1"}), 0},
           });
}

TEST_F(StatementsTest, TemplateAndFieldCategories) {
  const std::set<std::string> trafficEntities = {"10", "11", "12", "13", "14", "15", "16"};
  RunCases(
      *this,
      {
          {"template categories, extended views",
           Cat({"SELECT Entity_Id,Entity_Label,Entity_Name,Entity_Desc, Can_Rpt ", "FROM ea_tqn_entity_hier ",
                "WHERE Context_Id = ", "2", " AND type in('System','Entity')"}),
           7,
           [&](const Table& t) {
             EXPECT_EQ(t.Set("Entity_Id"), trafficEntities);
             EXPECT_EQ(t.Row(t.Find("Entity_Id", "12"), {"Entity_Label", "Entity_Name", "Can_Rpt"}),
                       "Cell|CellSite|Y");
             EXPECT_EQ(t.Text(t.Find("Entity_Id", "16"), "Can_Rpt"), "N");
           }},
          {"template categories",
           Cat({"SELECT Entity_Id,Entity_Name,Entity_Desc, Can_Rpt ", "FROM TQN_Entity_Hier ",
                "WHERE Context_Id = ", "2"}),
           7, [&](const Table& t) { EXPECT_EQ(t.Set("Entity_Id"), trafficEntities); }},
          {"template categories of UDR",
           Cat({"SELECT Entity_Id,Entity_Name,Entity_Desc, Can_Rpt ", "FROM TQN_Entity_Hier ",
                "WHERE Context_Id = ", "3"}),
           3},
          {"field categories, extended views, parents first",
           Cat({"SELECT * ", "FROM ea_tqn_Entity_Hier ", "WHERE Context_Id = ", "2",
                " AND Type IN('System','Entity') ", "ORDER BY Depth"}),
           7,
           [](const Table& t) {
             EXPECT_EQ(t.Row(0, {"Entity_Id", "Type", "Parent_Entity_Id"}), "10|System|3");
             std::set<std::string> seen = {"3"};
             for (size_t r = 0; r < t.Size(); ++r) {
               EXPECT_TRUE(seen.count(t.Text(r, "Parent_Entity_Id"))) << t.Text(r, "Entity_Name");
               seen.insert(t.Text(r, "Entity_Id"));
             }
             EXPECT_EQ(t.Text(t.Find("Entity_Id", "11"), "Context_Entity_Label"), "MSC");
           }},
          {"field categories", Cat({"SELECT * ", "FROM TQN_Entity_Hier ", "WHERE Context_Id = ", "2"}), 7,
           [](const Table& t) {
             // The system hangs at the top of the basic tree.
             EXPECT_EQ(t.Text(t.Find("Entity_Id", "10"), "Parent_Entity_Id"), "");
             EXPECT_EQ(t.Text(t.Find("Entity_Id", "13"), "Parent_Entity_Id"), "12");
           }},
      });
}

TEST_F(StatementsTest, DataSourceFieldsInEveryVariant) {
  const std::vector<ExtraColumn> vendorThenForm = {{"A", 11}, {"S", 21}};
  const std::vector<ExtraColumn> formThenVendor = {{"S", 21}, {"A", 11}};
  const std::string sectorShare = std::to_string(FieldId(kSampleSectorEntity, "Sector_MOU_Share"));
  const std::string cellDrops = std::to_string(FieldId(kSampleCellEntity, "Dropped_Calls"));
  const std::string cellDropRate = std::to_string(FieldId(kSampleCellEntity, "Drop_Rate"));
  const std::string maxCalls = std::to_string(FieldId(kSampleCellEntity, "Max_Calls_Param"));
  auto nonEmpty = [](const Table& t, const char* column) {
    size_t n = 0;
    for (size_t r = 0; r < t.Size(); ++r) n += t.Text(r, column).empty() ? 0 : 1;
    return n;
  };
  RunCases(
      *this,
      {
          {"basic, both kinds", DataSourceFields(false, {}, "12", 2, 3, {}), kCellTrafficFields,
           [](const Table& t) { EXPECT_EQ(t.Set("Entity_ID"), (std::set<std::string>{"12"})); }},
          {"static fields only", DataSourceFields(false, {}, "12", 2, 1, {}), kCellTrafficCounters,
           [](const Table& t) { EXPECT_FALSE(t.Set("Field_Group_Short").count("UDC")); }},
          {"expressions only", DataSourceFields(false, {}, "12", 2, 2, {}), kCellTrafficCalcs,
           [](const Table& t) { EXPECT_EQ(t.Set("Field_Group_Short"), (std::set<std::string>{"UDC"})); }},
          {"every entity, ordered", DataSourceFields(false, {}, "", 2, 3, {}), kTrafficFields,
           [](const Table& t) {
             const auto ids = t.Column("Entity_Id");
             EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end(),
                                        [](auto& a, auto& b) { return std::stoi(a) < std::stoi(b); }));
           }},
          {"two entities", DataSourceFields(false, {}, "12,13", 2, 3, {}),
           kCellTrafficFields + kSectorTrafficFields},
          {"every option and both kinds of extra column",
           DataSourceFields(false, {true, true, true}, "12", 2, 3, vendorThenForm), kCellTrafficFields,
           [&](const Table& t) {
             // Outer joins keep every field; six cell counters have vendor names, two are RCV
             // parameters, five fields have a list style.
             EXPECT_EQ(nonEmpty(t, "v1"), 6u);
             EXPECT_EQ(nonEmpty(t, "v2"), 2u);
             EXPECT_EQ(nonEmpty(t, "FontStyleMask"), 5u);
             EXPECT_EQ(
                 t.Row(t.Find("Field_Id", cellDrops), {"Name", "v1", "v2", "FontStyleMask", "FontColor"}),
                 "Dropped_Calls|CALL_DRP||2|0");
             EXPECT_EQ(t.Row(t.Find("Field_Id", cellDropRate),
                             {"FontStyleMask", "FontColor", "Complex", "weight_field_id"}),
                       "1|255||");
             EXPECT_EQ(t.Text(t.Find("Field_Id", maxCalls), "v2"), "cell2");
           }},
          {"extra columns the other way round", DataSourceFields(false, {}, "12", 2, 3, formThenVendor),
           kCellTrafficFields,
           [&](const Table& t) {
             EXPECT_EQ(t.Row(t.Find("Field_Id", cellDrops), {"v1", "v2"}), "|CALL_DRP");
             EXPECT_EQ(t.Row(t.Find("Field_Id", maxCalls), {"v1", "v2"}), "cell2|");
           }},
          {"extended views name entities by label",
           DataSourceFields(true, {true, true, true}, "13", 2, 2, vendorThenForm), 4,
           [&](const Table& t) {
             EXPECT_EQ(t.Text(t.Find("Field_Id", sectorShare), "UDC_Source"),
                       "100 * Minutes_Of_Use / NULLIF(Cell.Minutes_Of_Use, 0)");
           }},
          {"basic views keep entity names", DataSourceFields(false, {}, "13", 2, 2, {}), 4,
           [&](const Table& t) {
             EXPECT_EQ(t.Text(t.Find("Field_Id", sectorShare), "UDC_Source"),
                       "100 * Minutes_Of_Use / NULLIF(CellSite.Minutes_Of_Use, 0)");
           }},
          {"Client fields of the cell", DataSourceFields(false, {false, false, true}, "12", 1, 3, {}), 7},
      });
}

TEST_F(StatementsTest, EntityFieldsAndFieldsById) {
  const int32_t dropRate = FieldId(kSampleCellEntity, "Drop_Rate");
  const int32_t attempts = FieldId(kSampleCellEntity, "Call_Attempts");
  const std::string ids = std::to_string(dropRate) + "," + std::to_string(attempts);
  // Every data source at the cell: Traffic 58; Client six counters and a calculation; UDR
  // seven fields and a calculation; the CP and DO failure groups 2+1+2+1+1+2; PCMD counts 2.
  const size_t cellFields = kCellTrafficFields + 7 + 8 + 9 + 2;
  RunCases(
      *this,
      {
          {"entity fields", EntityFields(kSampleCellEntity, {}), cellFields},
          {"entity fields with every option", EntityFields(kSampleCellEntity, {true, true, true}), cellFields,
           [&](const Table& t) {
             EXPECT_EQ(t.Row(t.Find("Field_Id", std::to_string(dropRate)),
                             {"Name", "Field_Group_Short", "FontColor"}),
                       "Drop_Rate|UDC|255");
           }},
          {"entity fields of a reportless entity", EntityFields(kSamplePagingAreaEntity, {}), 2},
          {"fields by id", FieldsById(ids, {}, {}), 2},
          {"fields by id with every option and extra column",
           FieldsById(ids, {true, true, true}, {{"A", 11}, {"S", 21}}), 2,
           [&](const Table& t) {
             const size_t r = t.Find("Field_Id", std::to_string(dropRate));
             EXPECT_EQ(
                 t.Row(r, {"Name", "Entity_ID", "DataSource_ID", "Field_Aggregator", "Tech_Mask", "Status"}),
                 "Drop_Rate|12|2|AVG|7|T");
             EXPECT_EQ(t.Text(r, "UDC_Source"),
                       "100 * Dropped_Calls / NULLIF(Call_Attempts - Blocked_Calls, 0)");
             EXPECT_NE(t.Text(r, "Calc_Source"), "");
           }},
          {"one field by id", FieldsById(std::to_string(attempts), {}, {}), 1},
      });
}

TEST_F(StatementsTest, FunctionsAndEnumeratedValues) {
  RunCases(*this,
           {
               {"function categories", "SELECT * FROM TQE_Function_Type", 4,
                [](const Table& t) {
                  EXPECT_EQ(t.Text(t.Find("Function_Type_Id", "2"), "Function_Type_Name"), "Null Handling");
                }},
               {"functions", "SELECT * FROM TQE_Function", 16,
                [](const Table& t) {
                  EXPECT_EQ(
                      t.Row(t.Find("Function_Name", "NULLIF"), {"Function_Signature", "Function_Type_Id"}),
                      "NULLIF(x, y)|2");
                }},
               {"enumerated fields", "SELECT DISTINCT field_id FROM TQD_ENUM_VALUES", 2},
           });
  // The loader filters the full row set per field.
  const int32_t status = FieldId(kSampleCellEntity, "Cell_Status");
  const int32_t band = FieldId(kSampleCarrierEntity, "Band_Class");
  IDBRecordsetPtr all = db_->OpenRecordset("SELECT * FROM TQD_ENUM_VALUES", 60);
  ASSERT_FALSE(all->Bof());
  for (auto [field, keys] : {std::pair{status, 4}, std::pair{band, 3}}) {
    all->SetFilter("FIELD_ID = " + std::to_string(field));
    all->MoveFirst();
    int n = 0;
    for (; !all->Eof(); all->MoveNext()) {
      ++n;
      if (all->Fields().Value("Enum_Key").ToString() == "10") {
        EXPECT_EQ(all->Fields().Value("Enum_Desc").ToString(), "Secondary 800 MHz");
      }
    }
    EXPECT_EQ(n, keys);
  }
  all->Close();
}

TEST_F(StatementsTest, BusyHourReads) {
  const std::string cellCalls = std::to_string(FieldId(kSampleCellEntity, "Call_Attempts"));
  const std::string cellErlangs = std::to_string(FieldId(kSampleCellEntity, "Traffic_Erlangs"));
  const std::string allBusyHours = Cat({"Select b.* ", "FROM PM_BusyHour b, tqd_dict_name d ",
                                        "WHERE (b.Field_Id  IS NOT NULL AND d.Field_Id = b.Field_Id) "});
  RunCases(
      *this,
      {
          {"one by id", Cat({"SELECT * FROM PM_BusyHour ", "WHERE Id = ", "2"}), 1,
           [](const Table& t) {
             EXPECT_EQ(
                 t.Row(0, {"Name", "Span", "MinRank", "MaxRank", "Weekly_Retention", "Daily_Retention"}),
                 "Sector Weekly Traffic BH|W|1|3|26|");
             EXPECT_TRUE(t.At(0, "FirstAvail").IsDate());
           }},
          {"missing id", Cat({"SELECT * FROM PM_BusyHour ", "WHERE Id = ", "99"}), 0},
          {"busy hours of the cell with retention", CategoryBusyHours(true, Text(Variant(12))), 2,
           [&](const Table& t) {
             const size_t evening = t.Find("Id", "1");
             EXPECT_EQ(t.Row(evening, {"Name", "Field_Id", "Field_Name", "PABH_ID", "Daily_Retention"}),
                       "Cell Evening BH|" + cellCalls + "|Call_Attempts|1|35");
             EXPECT_EQ(t.Text(evening, "PABH_FirstAvail"), "1/1/2026");
             const size_t erlang = t.Find("Id", "4");
             EXPECT_EQ(t.Row(erlang, {"Field_Id", "Field_Name", "PABH_ID"}),
                       cellErlangs + "|Traffic_Erlangs|");
           }},
          {"busy hours of the sector", CategoryBusyHours(false, Text(Variant(13))), 1},
          {"summations of the cell",
           Cat({"SELECT * FROM PM_BusyHour b WHERE ", "Field_Id IS NULL ", " AND ",
                "Cluster_Entity_Id =", Text(Variant(12))}),
           2,
           [](const Table& t) {
             EXPECT_EQ(t.Set("Name"), (std::set<std::string>{"Evening Summation", "Business Day Summation"}));
           }},
          {"all busy hours", allBusyHours, 4},
          {"busy hours of scenarios", Cat({allBusyHours, " AND b.scenario_id in ( ", "1,2", " )"}), 0},
          {"all summations", Cat({"SELECT * FROM PM_BusyHour WHERE ", "Field_Id IS NULL"}), 3},
          {"hour ranges", Cat({"SELECT * FROM PM_HourRange ", "WHERE BusyHourId = ", "2", " ORDER BY Id"}), 2,
           [](const Table& t) {
             EXPECT_EQ(t.Row(0, {"FirstHour", "LastHour"}), "9|11");
             EXPECT_EQ(t.Row(1, {"FirstHour", "LastHour", "FirstSeconds"}), "18|21|61200");
           }},
          {"used spans",
           Cat({"Select span From PM_BusyHour where Field_Id IS NULL and Cluster_Entity_Id = ", "12"}), 2,
           [](const Table& t) {
             EXPECT_EQ(t.Set("Span"), (std::set<std::string>{"D", "W"}));
           }},
          {"name taken",
           Cat({"SELECT id FROM pm_busyhour", "    WHERE cluster_entity_id = ", "12", "    AND name = '",
                "Cell Evening BH", "'"}),
           1},
          {"name free under another entity",
           Cat({"SELECT id FROM pm_busyhour", "    WHERE cluster_entity_id = ", "13", "    AND name = '",
                "Cell Evening BH", "'"}),
           0},
          {"weekly and monthly busy hours",
           "SELECT value FROM tq_system_values_v WHERE name = 'ActivateWeeklyMonthly'", 1,
           [](const Table& t) { EXPECT_EQ(t.Text(0, "Value"), "1"); }},
          {"frequencies", "SELECT frequency_id, description, tag FROM tq_frequency ORDER BY frequency_id", 5,
           [](const Table& t) {
             EXPECT_EQ(t.Column("Tag"), (std::vector<std::string>{"H", "D", "W", "M", "Q"}));
             EXPECT_EQ(t.Row(4, {"FREQUENCY_ID", "Description"}), "5|15 Minutes");
           }},
          {"PABH row present", Cat({"SELECT COUNT(*) BH_COUNT FROM PM_PABH WHERE ID= ", "1"}), 1,
           [](const Table& t) { EXPECT_EQ(t.Text(0, "BH_COUNT"), "1"); }},
          {"PABH row missing", Cat({"SELECT COUNT(*) BH_COUNT FROM PM_PABH WHERE ID= ", "4"}), 1,
           [](const Table& t) { EXPECT_EQ(t.Text(0, "BH_COUNT"), "0"); }},
      });
}

TEST_F(StatementsTest, DataFilesAvailabilityAndUdrKeys) {
  const std::vector<std::string> byType = {"CDMA_PEG_HOURLY", "EVDO_PEG_HOURLY",  "GSM_BSC_HOURLY",
                                           "LTE_ENB_15MIN",   "UDR_CALL_RECORDS", "UMTS_RNC_HOURLY"};
  const std::string cdmaAvail = std::to_string(FieldId(20, "Avail_CDMA_PEG_HOURLY"));
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
    return Cat({"SELECT ",
                "d.field_id,",
                "c.file_type_id,",
                "c.file_type,",
                "c.frequency,",
                "c.FREQUENCY_ID,",
                "c.FILE_DESCRIPTION,",
                "b.entity_label entity_name,",
                "b.entity_id,",
                "c.vendor,",
                "c.OFFSET_MINUTES ",
                "FROM ",
                "tqn_entity a,",
                "tqn_entity b,",
                "tq_file_control c,",
                "tqd_dict_name d ",
                "Where ",
                "a.entity_id = ",
                entity,
                " AND b.module_id=a.module_id ",
                "AND b.version_id=a.version_id ",
                "AND c.entity_id=b.entity_id ",
                "AND d.entity_id=b.entity_id ",
                "AND UPPER(b.can_report) = 'Y' ",
                "AND d.name=availabledatareporting.tocalcfieldname(c.file_type) ",
                "ORDER BY c.file_type"});
  };
  const std::string withPartitions =
      Cat({"SELECT d.field_id, a.file_type_id, a.file_type,",
           " a.frequency, a.FREQUENCY_ID, a.FILE_DESCRIPTION, a.entity_name,",
           " a.ENTITY_ID, a.vendor, a.OFFSET_MINUTES, b.min_partition_date first,b.max_partition_date Last",
           " FROM tq_file_control a,", " tq_min_partition b,", " tqd_dict_name d,", " tqn_entity_hier e,",
           " tqn_context c", " WHERE a.file_type_id = b.file_type_id (+)", " AND a.entity_id = d.entity_id",
           " AND d.entity_id = e.entity_id", " AND e.context_id = c.context_id",
           " AND UPPER(e.can_rpt) = 'Y'", " AND UPPER(c.context_name) = UPPER( 'Data Availability' )",
           " AND d.name = availabledatareporting.tocalcfieldname(a.file_type)", " ORDER BY a.file_type"});
  const std::string fromAvailableData =
      Cat({"SELECT d.field_id, a.file_type_id, a.file_type, a.frequency ",
           ", a.FREQUENCY_ID, a.FILE_DESCRIPTION, a.entity_name, a.ENTITY_ID ",
           ", a.vendor, a.OFFSET_MINUTES ",
           ", MIN(b.timestamp)first ",
           ", MAX(b.timestamp) last ",
           "FROM tq_file_control a ",
           ", tq_available_data b ",
           ", tqd_dict_name d ",
           ", tqn_entity_hier e ",
           ", AVA_MAP m ",
           "WHERE a.file_type_id = b.file_type_id (+) ",
           "AND a.file_type_id = m.file_type_id ",
           "AND d.entity_id = a.entity_id ",
           "AND e.entity_id = d.entity_id ",
           "AND UPPER(e.can_rpt) ='Y' ",
           "AND d.name = availabledatareporting.tocalcfieldname(a.file_type) ",
           "GROUP BY d.field_id,a.file_type_id, a.file_type, a.frequency ",
           ", a.FREQUENCY_ID ",
           ", a.FILE_DESCRIPTION ",
           ", a.entity_name ",
           ",a.ENTITY_ID ",
           ",a.vendor ",
           ",a.OFFSET_MINUTES ",
           "ORDER BY a.file_type"});
  ASSERT_TRUE(db_->ColumnExists("tq_min_partition", "max_partition_date"));
  ASSERT_TRUE(db_->TableExists("tqd_udr_keys"));
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
                  EXPECT_EQ(t.Row(0, {"entity_id", "field_seq", "name"}), "11|1|Switch_Number");
                  EXPECT_EQ(t.Column("name"), (std::vector<std::string>{"Switch_Number", "Cell_Number",
                                                                        "Call_Start_Time", "Mobile_Id"}));
                }},
               {"UDR key count", "select count (*) RowCount from tqd_udr_keys", 1,
                [&](const Table& t) { EXPECT_EQ(db_->FieldNumberOr(t.At(0, "RowCount"), 0), 4); }},
           });
  // A server whose partition table has no upper bound: availability comes from the
  // collected-data table.
  Exec("ALTER TABLE tq_min_partition DROP COLUMN max_partition_date");
  ASSERT_FALSE(db_->ColumnExists("tq_min_partition", "max_partition_date"));
  RunCases(*this, {{"data files from available data", fromAvailableData, 6,
                    availability(Date::FromParts(2026, 3, 13))}});
}

TEST_F(StatementsTest, ReferencingDocumentsAndTemplateFieldQuery) {
  const std::string cellDropRate = Text(NumberLiteral(FieldId(kSampleCellEntity, "Drop_Rate")));
  const std::string sectorErlangs = Text(NumberLiteral(FieldId(kSampleSectorEntity, "Traffic_Erlangs")));
  const std::string blockRate = Text(NumberLiteral(FieldId(kSampleCellEntity, "Block_Rate")));
  const std::string cellErlangs = Text(NumberLiteral(FieldId(kSampleCellEntity, "Traffic_Erlangs")));
  auto reports = [](const std::string& id) {
    return Cat({"SELECT PM_Report.Id FROM PM_Report, PM_ReportSpec ",
                "WHERE PM_Report.ReportSpecId = PM_ReportSpec.Id AND ", "Field_Id =", id});
  };
  auto templates = [](const std::string& id) {
    return Cat({"SELECT UNIQUE TemplateId FROM PM_TemplateField WHERE ", "Field_Id=", id});
  };
  auto busyHourReports = [](const std::string& id) {
    return Cat({"SELECT PM_Report.Id FROM PM_Report, PM_ReportSpec ",
                "WHERE PM_Report.ReportSpecId = PM_ReportSpec.Id AND ", "BusyHourId =", id});
  };
  RunCases(*this,
           {
               {"reports of a field", reports(cellDropRate), 1,
                [](const Table& t) { EXPECT_EQ(t.Text(0, "Id"), "1"); }},
               {"a field in two reports", reports(sectorErlangs), 2,
                [](const Table& t) {
                  EXPECT_EQ(t.Set("Id"), (std::set<std::string>{"2", "4"}));
                }},
               {"templates of a field", templates(cellDropRate), 1,
                [](const Table& t) { EXPECT_EQ(t.Text(0, "TemplateId"), "10"); }},
               {"express template without report", templates(blockRate), 1,
                [](const Table& t) { EXPECT_EQ(t.Text(0, "TemplateId"), "13"); }},
               {"a field in no report", reports(blockRate), 0},
               {"busy hours of a field", Cat({"SELECT Id FROM PM_BusyHour WHERE ", "Field_Id=", cellErlangs}),
                1, [](const Table& t) { EXPECT_EQ(t.Text(0, "Id"), "4"); }},
               // One row per report column that uses the busy hour; the documents collection drops
               // the duplicates.
               {"reports of a busy hour", busyHourReports("1"), 3,
                [](const Table& t) { EXPECT_EQ(t.Set("Id"), (std::set<std::string>{"1"})); }},
               {"reports of an unused busy hour", busyHourReports("3"), 0},
           });
  // The standalone host has no XML gateway: the probe's query fails, so fields are read with SQL.
  QueryText text;
  text.SetCapacity(10000);
  for (const char* piece : {"<QUERY Type='GATEWAY'><SET_VALUE Name='GATEWAY.SpecialMembers' Value='yes'/> "
                            "<SET_VALUE Name='GATEWAY.AutoDatamembers' Value='yes'/> ",
                            "<CLASS Name='TemplateField'> ", "<FILTER><![CDATA[", "Field_Id = -1",
                            "]]></FILTER> ", "</CLASS> ", "</QUERY> "}) {
    text.Append(piece);
  }
  SqliteXmlQueryService service(db_);
  EXPECT_THROW(service.RunQuery(text.Text()), AutomationError);
  EXPECT_EQ(service.ParseResult("", true), nullptr);
}

TEST_F(StatementsTest, RcvFormsWithAndWithoutTheMappingTable) {
  const std::string where =
      "WHERE fd.DataSet_ID = ( SELECT DataSet_ID FROM tqd_Field_Data_Set WHERE DataSet_Title = 'RCVFormName' "
      ") ";
  const std::string unionQuery =
      Cat({"SELECT fd.DataValue RCVFormName, dn.Report_Header2 RCVFieldName, dn.field_id,dn.Name fieldName, "
           "dn.Entity_Id, "
           "e.Entity_Name, ",
           "f.entityname HighlightUDR FROM tqd_Field_Data fd, tqd_Dict_Name dn, tqn_Entity e, "
           "pel_rcvform_entity f ",
           where,
           "AND fd.Field_ID = dn.Field_ID AND dn.NameSpace_ID = 0 AND dn.Entity_ID = e.Entity_ID AND "
           "fd.Datavalue = "
           "f.rcvformname ",
           "and  ( (dn.report_header2  != 'deter_thresh' and fd.datavalue = 'ceqface3g')  and  "
           "(dn.report_header2  != "
           "'enable_thresh' and fd.datavalue = 'ceqface3g') ) ",
           "Union ",
           "SELECT fd.DataValue RCVFormName, dn.Report_Header2 RCVFieldName, dn.field_id, ",
           "dn.Name fieldName, dn.Entity_Id, e.Entity_Name, ",
           "'CellEqFace3GCDMACarrier' HighlightUDR FROM tqd_Field_Data fd, tqd_Dict_Name dn, tqn_Entity e, "
           "pel_rcvform_entity f ",
           where,
           "AND fd.Field_ID = dn.Field_ID AND dn.NameSpace_ID = 0 AND dn.Entity_ID =e.Entity_ID AND "
           "fd.Datavalue = "
           "f.rcvformname ",
           "and (dn.report_header2   in ('deter_thresh','enable_thresh') and fd.dataValue='ceqface3g') ",
           "Union ",
           "SELECT fd.DataValue RCVFormName, dn.Report_Header2 RCVFieldName, dn.field_id, ",
           "dn.Name fieldName, dn.Entity_Id, e.Entity_Name, ",
           "f.entityname HighlightUDR FROM tqd_Field_Data fd, tqd_Dict_Name dn, tqn_Entity  e, "
           "pel_rcvform_entity f ",
           where,
           "AND fd.Field_ID = dn.Field_ID AND dn.NameSpace_ID = 0 AND dn.Entity_ID = ",
           "e.Entity_ID AND fd.Datavalue = f.rcvformname   and fd.datavalue != 'ceqface3g' ",
           "ORDER BY RCVFormName, RCVFieldName"});
  const std::string simpleQuery =
      "SELECT fd.DataValue RCVFormName, dn.Report_Header2 RCVFieldName, dn.field_id, dn.Name fieldName, "
      "dn.Entity_Id , e.Entity_Name "
      "FROM tqd_Field_Data fd, tqd_Dict_Name dn, tqn_Entity e "
      "WHERE fd.DataSet_ID = ( SELECT DataSet_ID FROM tqd_Field_Data_Set WHERE DataSet_Title = 'RCVFormName' "
      ") "
      "AND fd.Field_ID = dn.Field_ID AND dn.NameSpace_ID = 0 "
      "AND dn.Entity_ID = e.Entity_ID "
      "ORDER BY RCVFormName, RCVFieldName";
  const std::vector<std::string> forms = {"cell2",     "cell2",     "ceqface3g", "ceqface3g",
                                          "ceqface3g", "ceqface3g", "ceqface3g", "ceqface3g",
                                          "sector3g",  "sector3g",  "swparms"};
  ASSERT_TRUE(db_->TableExists("pel_rcvform_entity"));
  RunCases(
      *this,
      {{"union over the mapping table", unionQuery, 11, [&](const Table& t) {
          EXPECT_EQ(t.Column("RCVFormName"), forms);
          EXPECT_EQ(t.Row(0, {"RCVFieldName", "HighlightUDR", "Entity_Name"}), "ho_thresh|CellSite|CellSite");
          // Both thresholds of both entities are shown under the equipment face.
          for (size_t r = 2; r < 6; ++r) {
            EXPECT_EQ(t.Text(r, "HighlightUDR"), "CellEqFace3GCDMACarrier") << t.Text(r, "fieldName");
          }
          EXPECT_EQ(t.Row(6, {"RCVFieldName", "fieldName", "HighlightUDR"}),
                    "fwd_pwr_max|Fwd_Power_Max|SectorCarrier");
          EXPECT_EQ(
              t.Row(10, {"RCVFieldName", "HighlightUDR", "Field_Id"}),
              "page_retry|MobileSwitch|" + std::to_string(FieldId(kSampleSwitchEntity, "Page_Retry_Count")));
        }}});
  Exec("DROP TABLE pel_rcvform_entity");
  ASSERT_FALSE(db_->TableExists("pel_rcvform_entity"));
  RunCases(*this, {{"without the mapping table", simpleQuery, 11, [&](const Table& t) {
                      EXPECT_EQ(t.Column("RCVFormName"), forms);
                      EXPECT_EQ(std::set<std::string>({t.Row(2, {"RCVFieldName", "Entity_Name"}),
                                                       t.Row(3, {"RCVFieldName", "Entity_Name"})}),
                                (std::set<std::string>{"deter_thresh|SectorCarrier",
                                                       "deter_thresh|CellEqFace3GCDMACarrier"}));
                    }}});
}

// ---- Writes: calculations, common fields, extra column values and styles ----------------

class WriteStatementsTest : public StatementsTest {
 public:
  void SetUp() override {
    StatementsTest::SetUp();
    xml_ = std::make_shared<SqliteXmlQueryService>(db_);
  }

  // A procedure call with its parameters, as text and type, in order.
  std::shared_ptr<SqliteProcedureCall> Call(
      std::string_view routine, std::initializer_list<std::pair<std::string, const char*>> parameters) {
    auto call = std::make_shared<SqliteProcedureCall>(db_);
    call->SetName(routine);
    for (const auto& [value, type] : parameters) call->AddParameter(value, type, "", 0);
    return call;
  }

  // Status and message of a calculation after the server's translation.
  std::pair<std::string, std::string> Status(int32_t id) {
    auto call = Call("tq_Dictionary.UDC_Stat",
                     {{std::to_string(id), "integer"}, {"", "string"}, {"", "string"}, {"30", "integer"}});
    call->Run();
    return {db_->FieldText(call->ParameterValue(1)), db_->FieldText(call->ParameterValue(2))};
  }

  void SaveStyle(int32_t id, int32_t mask, int32_t color) {
    const std::string sid = std::to_string(id);
    db_->Execute(Cat({"Delete from tqd_field_style ", " Where Field_ID = ", sid}));
    if (mask != 0 || color != 0) {
      db_->Execute(Cat({"Insert Into tqd_field_style ", "(Field_id,FontStyleMask,FontColor ) ", "VALUES (",
                        sid, ",", std::to_string(mask), ",", std::to_string(color), ")"}));
    }
  }

  // The value of one editable extra column: deleted, and written again unless blank.
  void SaveExtraValue(const ExtraColumn& column, int32_t entity, int32_t id, const std::string& value) {
    const std::string sid = std::to_string(id);
    const std::string cid = std::to_string(column.id);
    const bool name = column.kind == "A";
    db_->Execute(
        name ? Cat({"Delete from tqd_Dict_name ", " Where Field_ID = ", sid, " AND Namespace_Id = ", cid})
             : Cat({"Delete from tqd_Field_Data ", " Where Field_ID = ", sid, " AND DataSet_ID = ", cid}));
    if (TrimBlanks(value).empty()) return;
    db_->Execute(Cat({name ? "Insert Into tqd_Dict_name (Entity_Id, Field_Id, Namespace_id, Name) "
                           : "Insert Into tqd_Field_Data (Entity_Id, Field_Id, DataSet_ID, DataValue) ",
                      "Values ( ", std::to_string(entity), ",", sid, ",", cid, ",'", value, "')"}));
  }

  // The source sent to the server: with the extended views, entity labels become names.
  std::string CalculationSource(int32_t entity, const std::string& source) {
    const Variant version =
        db_->QueryValue("SELECT version_id From tqn_entity WHERE entity_id = " + std::to_string(entity));
    return db_->CallFunction("ea_dd.ea_replace_entity_labels", Cat({version.ToString(), ",'", source, "'"}))
        .ToString();
  }

  // Parents of the calculations that use any of the ids, as the reference check reads them.
  std::set<std::string> UsedBy(const std::string& ids) {
    return Open(Cat({"Select Unique parent_field_id, child_field_id from tqd_dict_field_depend ",
                     "Where child_field_id IN (", ids, " )"}))
        .Set("parent_field_id");
  }

  // The insert of a calculation at the cell: routine, style, the editable form column,
  // commit, then the status check.
  int32_t InsertCalculation(const std::string& name, const std::string& source, const std::string& complex,
                            int32_t weightField) {
    std::initializer_list<std::pair<std::string, const char*>> base = {
        {name, "string"},     {"CellSite", "string"}, {"2", "integer"},
        {"2", "integer"},     {"F", "string"},        {source, "string"},
        {"Answer", "string"}, {"Rate %", "string"},   {"Answered calls per hundred attempts", "string"},
        {"7", "integer"},     {"AVG", "string"}};
    auto call = Call("tq_Dictionary.New_UDC_F", base);
    call->AddParameter(complex, "string");
    if (weightField > 0) call->AddParameter(std::to_string(weightField), "integer");
    xml_->BeginTransaction();
    const int32_t id = call->Run().ToInt32();
    SaveStyle(id, 1, 255);
    SaveExtraValue({"S", 21}, kSampleCellEntity, id, "cell2");
    xml_->CommitTransaction();
    return id;
  }

  static constexpr Optional kAllOptional{true, true, true};
  const std::vector<ExtraColumn> kTrafficColumns = {{"A", 11}, {"S", 21}};
  std::shared_ptr<SqliteXmlQueryService> xml_;
};

TEST_F(WriteStatementsTest, InsertedCalculationLoadsWithStyleExtraValueAndDependency) {
  const int32_t dropRate = FieldId(kSampleCellEntity, "Drop_Rate");
  const int32_t attempts = FieldId(kSampleCellEntity, "Call_Attempts");
  const int32_t successRate = FieldId(kSampleCellEntity, "Call_Success_Rate");
  EXPECT_EQ(UsedBy(std::to_string(dropRate)), (std::set<std::string>{std::to_string(successRate)}));

  const int32_t id = InsertCalculation("Answer_Rate", "100 - Drop_Rate", "SUM(Call_Attempts)", attempts);
  ASSERT_GT(id, 0);
  EXPECT_EQ(Status(id), (std::pair<std::string, std::string>{"T", ""}));

  const Table byId = Open(FieldsById(std::to_string(id), kAllOptional, kTrafficColumns));
  ASSERT_EQ(byId.Size(), 1u);
  EXPECT_EQ(byId.Row(0, {"Name", "Entity_ID", "DataSource_ID", "Field_Group_Short", "UDC_Source",
                         "Field_Owner", "Tech_Mask", "Field_Aggregator", "Status"}),
            "Answer_Rate|12|2|UDC|100 - Drop_Rate|2|7|AVG|T");
  EXPECT_EQ(byId.Row(0, {"Complex", "weight_field_id", "FontStyleMask", "FontColor", "v1", "v2"}),
            "SUM(Call_Attempts)|" + std::to_string(attempts) + "|1|255||cell2");
  EXPECT_NE(byId.Text(0, "Calc_Source"), "");
  EXPECT_EQ(Open(DataSourceFields(false, {}, "12", 2, 2, {})).Size(), 13u);
  // The reference check before deleting Drop_Rate now finds both users.
  EXPECT_EQ(UsedBy(std::to_string(dropRate)),
            (std::set<std::string>{std::to_string(successRate), std::to_string(id)}));

  // Without a weight field the routine gets eleven values and the complex text.
  auto call = Call("tq_Dictionary.New_UDC_F", {{"Plain_Rate", "string"},
                                               {"CellSite", "string"},
                                               {"2", "integer"},
                                               {"2", "integer"},
                                               {"F", "string"},
                                               {"Block_Rate / 2", "string"},
                                               {"Plain", "string"},
                                               {"", "string"},
                                               {"", "string"},
                                               {"7", "integer"},
                                               {"AVG", "string"}});
  const int32_t plain = call->Run().ToInt32();
  EXPECT_EQ(Open(FieldsById(std::to_string(plain), kAllOptional, {}))
                .Row(0, {"Name", "Status", "Complex", "weight_field_id", "FontStyleMask"}),
            "Plain_Rate|U|||");
}

TEST_F(WriteStatementsTest, UpdateRewritesSourceStyleValuesAndDependencies) {
  const int32_t cellErlangs = FieldId(kSampleCellEntity, "Traffic_Erlangs");
  const int32_t dropRate = FieldId(kSampleCellEntity, "Drop_Rate");
  const int32_t id = InsertCalculation("Answer_Rate", "100 - Drop_Rate", "", 0);
  const std::string sid = std::to_string(id);
  EXPECT_EQ(UsedBy(std::to_string(cellErlangs)).size(), 2u);  // BH_Traffic_Erlangs, Sector_Erlang_Share

  // With the extended views the user writes entity labels; the server gets entity names.
  const std::string source =
      CalculationSource(kSampleCellEntity, "Traffic_Erlangs * 100 / NULLIF(Switch.Switch_Erlangs, 0)");
  EXPECT_EQ(source, "Traffic_Erlangs * 100 / NULLIF(MobileSwitch.Switch_Erlangs, 0)");
  xml_->BeginTransaction();
  db_->ExecuteProcedure("tq_Dictionary.Update_UDC",
                        {Variant(id), Variant("F"), Variant(source), Variant("Cell"), Variant("Share %"),
                         Variant("Share of the switch's traffic"), Variant(7), Variant("MAX")});
  SaveExtraValue({"S", 21}, kSampleCellEntity, id, "   ");
  SaveStyle(id, 0, 0);
  xml_->CommitTransaction();
  EXPECT_EQ(Status(id).first, "T");

  Table t = Open(DataSourceFields(true, kAllOptional, "12", 2, 2, kTrafficColumns));
  const size_t r = t.Find("Field_Id", sid);
  EXPECT_EQ(t.Row(r, {"UDC_Source", "Report_Header", "Field_Aggregator", "FontStyleMask", "v2"}),
            "Traffic_Erlangs * 100 / NULLIF(Switch.Switch_Erlangs, 0)|Cell|MAX||");
  EXPECT_EQ(Open(FieldsById(sid, {}, {})).Text(0, "UDC_Source"), source);
  EXPECT_EQ(Open("SELECT * FROM tqd_Field_Data WHERE Field_Id = " + sid).Size(), 0u);
  EXPECT_EQ(UsedBy(std::to_string(cellErlangs)).count(sid), 1u);
  EXPECT_EQ(UsedBy(std::to_string(dropRate)).count(sid), 0u);

  // With DoComplex: ten values, the weight an empty text when there is none.
  db_->ExecuteProcedure(
      "tq_Dictionary.Update_UDC",
      {Variant(id), Variant("F"), Variant("Drop_Rate * 2"), Variant("Cell"), Variant("Share %"), Variant("d"),
       Variant(7), Variant("AVG"), Variant("MAX(Drop_Rate)"), Variant("")});
  EXPECT_EQ(Open(FieldsById(sid, {true, true, false}, {}))
                .Row(0, {"UDC_Source", "Complex", "weight_field_id", "Status"}),
            "Drop_Rate * 2|MAX(Drop_Rate)||U");
  EXPECT_EQ(UsedBy(std::to_string(dropRate)).count(sid), 1u);
}

TEST_F(WriteStatementsTest, RenameOwnerChangeAndDeleteShowOnTheNextLoad) {
  const int32_t id = InsertCalculation("Answer_Rate", "100 - Drop_Rate", "", 0);
  const std::string sid = std::to_string(id);
  db_->Execute(Cat({"Update Tqd_Dict_name  Set Name = '", "Answered_Pct", "' Where Field_ID = ", sid}));
  db_->ExecuteProcedure("tq_Dictionary.Update_Field_Owner", {Variant(id), Variant(4)});
  EXPECT_EQ(Open(FieldsById(sid, {}, {})).Row(0, {"Name", "Field_Owner"}), "Answered_Pct|4");
  const Table cell = Open(EntityFields(kSampleCellEntity, {}));
  EXPECT_EQ(cell.Text(cell.Find("Field_Id", sid), "Name"), "Answered_Pct");

  const int32_t dropRate = FieldId(kSampleCellEntity, "Drop_Rate");
  ASSERT_EQ(UsedBy(std::to_string(dropRate)).count(sid), 1u);
  xml_->BeginTransaction();
  db_->Execute(Cat({"Delete from tqd_Field_Data where Field_Id = ", sid}));
  db_->Execute(Cat({"Delete from tqd_field_style ", " Where Field_ID = ", sid}));
  db_->ExecuteProcedure("tq_Dictionary.Delete_UDC", {Variant(id)});
  xml_->CommitTransaction();
  EXPECT_EQ(Open(FieldsById(sid, kAllOptional, kTrafficColumns)).Size(), 0u);
  EXPECT_EQ(Open(DataSourceFields(false, {}, "12", 2, 2, {})).Size(), 12u);
  EXPECT_EQ(UsedBy(std::to_string(dropRate)).count(sid), 0u);
  EXPECT_EQ(Open("SELECT * FROM tqd_field_style WHERE Field_Id = " + sid).Size(), 0u);
}

TEST_F(WriteStatementsTest, TranslationStatusesThroughTheProcedureCall) {
  const int32_t legacy = FieldId(kSampleCellEntity, "Legacy_Retry_Rate");
  const auto [status, message] = Status(legacy);
  EXPECT_EQ(status, "S");
  EXPECT_NE(message.find("Retry_Attempts"), std::string::npos) << message;
  EXPECT_EQ(Status(FieldId(kSampleCellEntity, "Call_Attempts")).first, "I");
  EXPECT_EQ(Status(FieldId(kSampleCellEntity, "Call_Success_Rate")).first, "T");
  // A calculation that uses itself through another one cannot be translated; the second
  // one links the first, which named it before it existed.
  const int32_t id = InsertCalculation("Loop_A", "Loop_B + 1", "", 0);
  const int32_t other = InsertCalculation("Loop_B", "Loop_A + 1", "", 0);
  EXPECT_EQ(UsedBy(std::to_string(other)), (std::set<std::string>{std::to_string(id)}));
  EXPECT_EQ(Status(id), (std::pair<std::string, std::string>{
                            "S", "The calculation uses itself through other calculations."}));
}

TEST_F(WriteStatementsTest, FailedSaveIsRolledBack) {
  const size_t before = Open(DataSourceFields(false, {}, "12", 2, 2, {})).Size();
  auto call = Call("tq_Dictionary.New_UDC_F", {{"Half_Saved", "string"},
                                               {"CellSite", "string"},
                                               {"2", "integer"},
                                               {"2", "integer"},
                                               {"F", "string"},
                                               {"Drop_Rate / 2", "string"},
                                               {"", "string"},
                                               {"", "string"},
                                               {"", "string"},
                                               {"7", "integer"},
                                               {"AVG", "string"}});
  xml_->BeginTransaction();
  const int32_t id = call->Run().ToInt32();
  SaveStyle(id, 1, 255);
  EXPECT_THROW(db_->Execute(Cat({"Insert Into tqd_field_style ", "(Field_id,FontStyleMask,FontColor ) ",
                                 "VALUES (", std::to_string(id), ",", "1", ",", "255", ")"})),
               AutomationError);
  xml_->RollbackTransaction();
  EXPECT_EQ(Open(DataSourceFields(false, {}, "12", 2, 2, {})).Size(), before);
  EXPECT_EQ(Open("SELECT * FROM tqd_field_style WHERE Field_Id = " + std::to_string(id)).Size(), 0u);
}

TEST_F(WriteStatementsTest, CommonFieldAddUpdateRemove) {
  auto add = Call("ea_client.add_common_field", {{"", "integer"},
                                                 {"12", "integer"},
                                                 {"Probe_Count", "string"},
                                                 {"Probes sent", "string"},
                                                 {"Probe", "string"},
                                                 {"Count", "string"},
                                                 {"", "string"},
                                                 {"SUM", "string"},
                                                 {"I", "string"},
                                                 {"", "integer"},
                                                 {"3", "integer"},
                                                 {"", "integer"},
                                                 {"7", "integer"}});
  add->Run();
  const int32_t id = add->ParameterValue(1).ToInt32();
  ASSERT_GT(id, 0);
  const std::string sid = std::to_string(id);
  Table cell = Open(EntityFields(kSampleCellEntity, {}));
  EXPECT_EQ(
      cell.Row(cell.Find("Field_Id", sid), {"Name", "Field_Desc", "Report_Header", "Field_Group_Short",
                                            "Field_Aggregator", "DataType", "Field_Owner", "Tech_Mask"}),
      "Probe_Count|Probes sent|Probe|Common|SUM|I|3|7");
  EXPECT_EQ(Open(FieldsById(sid, {}, {})).Text(0, "DataSource_ID"), "2");

  db_->ExecuteProcedure("ea_client.update_common_field",
                        {Variant(id), Variant("Probe messages sent"), Variant("Probes"), Variant("Sent"),
                         Variant("MAX"), Variant(""), Variant(4), Variant(""), Variant(3), Variant("F")});
  EXPECT_EQ(Open(FieldsById(sid, {}, {}))
                .Row(0, {"Name", "Field_Desc", "Report_Header", "Report_Header2", "Field_Aggregator",
                         "Field_Owner", "Tech_Mask", "DataType"}),
            "Probe_Count|Probe messages sent|Probes|Sent|MAX|4|3|F");

  db_->ExecuteProcedure("ea_client.remove_common_field", {Variant(id)});
  EXPECT_EQ(Open(FieldsById(sid, {}, {})).Size(), 0u);
}

TEST_F(WriteStatementsTest, ExtraColumnValuesOfBothKinds) {
  const int32_t attempts = FieldId(kSampleCellEntity, "Call_Attempts");
  const int32_t drops = FieldId(kSampleCellEntity, "Dropped_Calls");
  const std::string ids = std::to_string(attempts) + "," + std::to_string(drops);
  SaveExtraValue({"A", 11}, kSampleCellEntity, attempts, "CALL_ATT");
  SaveExtraValue({"A", 11}, kSampleCellEntity, drops, " ");
  SaveExtraValue({"S", 21}, kSampleCellEntity, drops, "cell2 ");
  Table t = Open(FieldsById(ids, {}, kTrafficColumns));
  ASSERT_EQ(t.Size(), 2u);
  EXPECT_EQ(t.Row(t.Find("Field_Id", std::to_string(attempts)), {"Name", "v1", "v2"}),
            "Call_Attempts|CALL_ATT|");
  EXPECT_EQ(t.Row(t.Find("Field_Id", std::to_string(drops)), {"Name", "v1", "v2"}), "Dropped_Calls||cell2 ");
  db_->Execute(Cat({"Delete from tqd_Field_Data where Field_Id = ", std::to_string(drops)}));
  EXPECT_EQ(Open(FieldsById(std::to_string(drops), {}, kTrafficColumns)).Row(0, {"Name", "v2"}),
            "Dropped_Calls|");
}

// ---- Writes: busy hours ------------------------------------------------------------------

class BusyHourWriteTest : public WriteStatementsTest {
 public:
  std::string InsertText(bool retention, const std::vector<Variant>& values) {
    return retention ? Cat({"INSERT INTO PM_BusyHour (", "Id, UserId, Name, Changed,",
                            "Cluster_Entity_Id, Field_Id, Description,",
                            "FirstNeeded, Span,MinRank, MaxRank, DTPeriod, Scenario_Id, ",
                            "Daily_Retention, Weekly_Retention, Monthly_Retention ", " ) Values ( ",
                            db_->ValueListText(values), ")"})
                     : Cat({"INSERT INTO PM_BusyHour (", "Id, UserId, Name, Changed,",
                            "Cluster_Entity_Id, Field_Id, Description,",
                            "FirstNeeded, Span,MinRank, MaxRank, DTPeriod, Scenario_Id ", " ) Values ( ",
                            db_->ValueListText(values), ")"});
  }

  std::vector<Variant> Values(int32_t id, const char* name, int32_t field, bool retention) {
    std::vector<Variant> v = {Variant(id),
                              Variant(2),
                              Variant(name),
                              Lit(db_->NowLiteral()),
                              Lit(db_->IdLiteral(kSampleCellEntity)),
                              Lit(db_->IdLiteral(field)),
                              Variant("Late evening peak"),
                              Lit(db_->DateLiteral(Date::FromParts(2026, 3, 1))),
                              Variant("D"),
                              Variant(1),
                              Variant(3),
                              Variant(24),
                              Lit(db_->IdLiteral(0))};
    if (retention) v.insert(v.end(), {Variant(35), Variant::Null(), Variant(13)});
    return v;
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

  bool PabhNeeded(int32_t id) {
    const Table t = Open(Cat({"SELECT COUNT(*) BH_COUNT FROM PM_PABH WHERE ID= ", std::to_string(id)}));
    return t.Size() == 1 && t.Text(0, "BH_COUNT") == "0";
  }
  void InsertPabh(int32_t id) {
    db_->Execute(Cat({"INSERT INTO PM_PABH (", "Id ", " ) Values ( ", std::to_string(id), ")"}));
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
  const int32_t drops = FieldId(kSampleCellEntity, "Call_Success_Rate");
  HourSelection evening;
  evening.Resize(24);
  for (int32_t slot : {8, 9, 17, 18, 19}) evening.SetSelected(slot, true);

  xml_->BeginTransaction();
  const int32_t id = db_->NextSequenceNumber("SQ_BusyHour");
  db_->Execute(InsertText(true, Values(id, "Late Success BH", drops, true)));
  if (PabhNeeded(id)) InsertPabh(id);
  SaveHourRanges(id, evening);
  const int32_t summation = db_->NextSequenceNumber("SQ_BusyHour");
  db_->Execute(InsertText(true, Values(summation, "Late Summation", 0, true)));
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

  const Table cell = Open(CategoryBusyHours(true, Text(Variant(kSampleCellEntity))));
  EXPECT_EQ(cell.Size(), 3u);
  EXPECT_EQ(cell.Row(cell.Find("Id", std::to_string(id)), {"PABH_ID", "Field_Name"}),
            std::to_string(id) + "|Call_Success_Rate");
  EXPECT_EQ(Open(Cat({"SELECT * FROM PM_BusyHour b WHERE ", "Field_Id IS NULL ", " AND ",
                      "Cluster_Entity_Id =", Text(Variant(kSampleCellEntity))}))
                .Set("Name"),
            (std::set<std::string>{"Evening Summation", "Business Day Summation", "Late Summation"}));
  EXPECT_EQ(Open(Cat({"SELECT Id FROM PM_BusyHour WHERE ", "Field_Id=", Text(NumberLiteral(drops))})).Size(),
            1u);
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
  if (PabhNeeded(2)) InsertPabh(2);
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
  EXPECT_EQ(Hours(2).Size(), 1u);
  EXPECT_EQ(Hours(2).Row(0, {"FirstHour", "LastHour"}), "23|24");
  EXPECT_EQ(Open(CategoryBusyHours(true, Text(Variant(kSampleSectorEntity)))).Text(0, "PABH_ID"), "2");
  const std::string scenarios = Cat({"Select b.* ", "FROM PM_BusyHour b, tqd_dict_name d ",
                                     "WHERE (b.Field_Id  IS NOT NULL AND d.Field_Id = b.Field_Id) ",
                                     " AND b.scenario_id in ( ", "5,6", " )"});
  EXPECT_EQ(Open(scenarios).Column("Id"), (std::vector<std::string>{"1"}));

  db_->Execute(Cat({"UPDATE PM_BusyHour SET ", db_->AssignmentListText({Variant("UserId"), Variant(4)}),
                    " WHERE Id = ", "3"}));
  EXPECT_EQ(ById(3).Text(0, "UserId"), "4");
  db_->Execute(Cat({"DELETE FROM PM_BusyHour WHERE Id = ", "3"}));
  EXPECT_EQ(ById(3).Size(), 0u);
  EXPECT_EQ(Open(CategoryBusyHours(true, Text(Variant(kSampleSwitchEntity)))).Size(), 0u);
}

TEST_F(BusyHourWriteTest, DatabaseWithoutRetentionColumns) {
  for (const char* column : {"Daily_Retention", "Weekly_Retention", "Monthly_Retention"}) {
    Exec(std::string("ALTER TABLE PM_BusyHour DROP COLUMN ") + column);
  }
  ASSERT_FALSE(db_->ColumnExists("PM_BUSYHOUR", "DAILY_RETENTION"));
  const int32_t id = db_->NextSequenceNumber("SQ_BusyHour");
  const std::vector<Variant> values = Values(id, "Plain BH", FieldId(kSampleCellEntity, "Drop_Rate"), false);
  ASSERT_EQ(values.size(), 13u);
  db_->Execute(InsertText(false, values));
  const Table cell = Open(CategoryBusyHours(false, Text(Variant(kSampleCellEntity))));
  EXPECT_EQ(cell.Size(), 3u);
  EXPECT_EQ(cell.Text(cell.Find("Id", std::to_string(id)), "Field_Name"), "Drop_Rate");
}

}  // namespace
}  // namespace ridirodev::standalone
