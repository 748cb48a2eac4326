// The component's statements, from its own builders, run against the sample dictionary through
// the database object of each engine: each must translate, run and join the same rows.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/engine_database.h"
#include "ridirodev/core/text.h"
#include "ridirodev/store/dictionary_statements.h"
#include "standalone/query_service.h"
#include "standalone/sample.h"
#include "testing/sample.h"

namespace ridirodev::standalone {
namespace {

using sql::ExtraColumnJoin;

// The columns of a row set, keyed by lower-case name, as the database object's texts.
class Table {
 public:
  Table(IDBObject& db, const IDBRecordsetPtr& rs) {
    for (int32_t i = 0; rs && i < rs->Fields().Count(); ++i) columns_[ToLower(rs->Fields().Name(i))];
    for (; rs && !rs->Eof(); rs->MoveNext(), ++size_) {
      for (int32_t i = 0; i < rs->Fields().Count(); ++i)
        columns_[ToLower(rs->Fields().Name(i))].push_back(db.FieldText(rs->Fields().Value(i)));
    }
    if (rs) rs->Close();
  }
  size_t Size() const { return size_; }
  std::vector<std::string> Column(std::string_view name) const {
    const auto found = columns_.find(ToLower(name));
    if (found == columns_.end()) ADD_FAILURE() << "no column " << name;
    return found == columns_.end() ? std::vector<std::string>(size_, "<no column>") : found->second;
  }
  // The named columns of a row joined by '|'; "<no row>" past the end.
  std::string Row(size_t row, std::initializer_list<std::string_view> names) const {
    std::string text, separator;
    for (std::string_view name : names) {
      text += separator + (row < size_ ? Column(name)[row] : "<no row>");
      separator = "|";
    }
    return text;
  }
  std::string Text(size_t row, std::string_view name) const { return Row(row, {name}); }
  std::set<std::string> Set(std::string_view name) const {
    const auto values = Column(name);
    return {values.begin(), values.end()};
  }
  size_t NonEmpty(std::string_view name) const {
    const auto values = Column(name);
    return size_ - static_cast<size_t>(std::count(values.begin(), values.end(), ""));
  }
  // The first row whose column holds the text.
  size_t Find(std::string_view name, std::string_view text) const {
    const auto values = Column(name);
    const auto r = static_cast<size_t>(std::find(values.begin(), values.end(), text) - values.begin());
    if (r == size_) ADD_FAILURE() << "no row with " << name << " = " << text;
    return r;
  }

 private:
  std::map<std::string, std::vector<std::string>> columns_;
  size_t size_ = 0;
};

struct Case {
  const char* what;
  std::string sql;
  size_t rows;
  std::function<void(const Table&)> check = nullptr;
};

class StatementsTest : public ::testing::TestWithParam<testing::TestEngine> {
 protected:
  void SetUp() override {
    RIDIRODEV_SKIP_WITHOUT_SERVER(GetParam());
    db_ = testing::SampleOn(GetParam());
    xml_ = std::make_shared<SqliteXmlQueryService>(db_);
  }

  Table Open(const std::string& sql) { return Table(*db_, db_->OpenRecordset(sql, 60)); }
  void Run(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.what);
      const Table table = Open(c.sql);
      EXPECT_EQ(table.Size(), c.rows) << c.sql;
      if (c.check && table.Size() == c.rows) c.check(table);
    }
  }
  // A Traffic field of the sample, found in the base tables rather than through the statements.
  std::string Id(int32_t entity, std::string_view name) {
    const std::string sql =
        "SELECT f.Field_Id FROM tqd_Dict_Field f JOIN tqd_Dict_Name n ON n.Field_Id = f.Field_Id AND "
        "n.NameSpace_Id = 0 WHERE f.DataSource_ID = 2 AND n.Entity_Id = " +
        std::to_string(entity) + " AND n.Name = ";
    return db_->QueryValue(sql + db_->TextLiteral(name)->Text()).ToString();
  }

  std::shared_ptr<engine::EngineDatabase> db_;
  std::shared_ptr<SqliteXmlQueryService> xml_;
};

RIDIRODEV_ON_EVERY_ENGINE(StatementsTest);

constexpr sql::FieldColumnOptions kAllOptional{true, true, true};
const std::vector<ExtraColumnJoin> kTrafficColumns = {{"A", 11}, {"S", 21}};

std::string SourceFields(std::string_view entities, int32_t selection, const sql::FieldColumnOptions& o = {},
                         const std::vector<ExtraColumnJoin>& columns = {}, bool extendedViews = false) {
  return sql::DataSourceFieldsStatement(entities, kSampleTrafficDataSource, selection, extendedViews, o,
                                        columns);
}

// Traffic fields of the cell: nine core counters, five technology sets (6+6+6+6+8), two
// external fields, the cell status, two RCV parameters, and twelve calculations. The sector:
// core and technology sets, two RCV parameters, four calculations. Every Traffic field adds
// switch 50, carrier 26, equipment face 3, paging area 2 and six availability fields.
constexpr size_t kCellTrafficCounters = 9 + 32 + 2 + 1 + 2;
constexpr size_t kCellTrafficCalcs = 12;
constexpr size_t kCellTrafficFields = kCellTrafficCounters + kCellTrafficCalcs;
constexpr size_t kSectorTrafficFields = 9 + 32 + 2 + 4;
constexpr size_t kTrafficFields = 50 + kCellTrafficFields + kSectorTrafficFields + 26 + 3 + 2 + 6;

TEST_P(StatementsTest, EveryReadStatementRunsAndJoinsTheRightRows) {
  std::vector<std::string> names;
  for (const char* name :
       {"Client", "Traffic", "UDR", "CPFail Count", "CPFail Message", "CPFail Handoff", "EVDO PCMD Message",
        "DOCPFail Count", "DOCPFail Message", "PCMD Count", "PCMD Message"})
    names.push_back(db_->TextLiteral(name)->Text());
  const std::string cellDrops = Id(kSampleCellEntity, "Dropped_Calls");
  const std::string dropRate = Id(kSampleCellEntity, "Drop_Rate");
  const std::string ids = dropRate + "," + Id(kSampleCellEntity, "Call_Attempts");
  // Every data source at the cell: Traffic; Client six counters and a calculation; UDR seven
  // fields and a calculation; the CP and DO failure groups 2+1+2+1+1+2; PCMD counts 2.
  const size_t cellFields = kCellTrafficFields + 7 + 8 + 9 + 2;
  // Every UDR key field also gets a value of the kind-"A" extra column, in its own namespace.
  db_->Execute(
      "INSERT INTO tqd_Dict_Name (Field_Id, NameSpace_Id, Entity_Id, Name) "
      "SELECT Field_id, 11, entity_id, 'VENDOR' FROM tqd_udr_keys");
  Run({
      {"entity id by name", sql::EntityIdByNameStatement("CellSite"), 1},
      {"entity names compare exactly", sql::EntityIdByNameStatement("Cellsite"), 0},
      {"templates, every optional group", sql::AppGroupTemplatesStatement(names), 11},
      {"technologies", sql::TechnologyTypesStatement(), 5},
      {"field types", sql::FieldTypesStatement(false, 2), 7},
      {"field types, extended views", sql::FieldTypesStatement(true, 2), 9},
      {"function categories", sql::FunctionCategoriesStatement(), 4},
      {"functions", sql::FunctionsStatement(), 16},
      {"enumerated fields", sql::EnumFieldIdsStatement(), 2},
      {"aggregators: element labels are optional", sql::AggregatorsStatement(), 6,
       [](const Table& t) {
         EXPECT_EQ(t.Row(t.Find("AGGR_ID", "SUMAVG"), {"AGGR_BH_OK", "label_time", "label_element"}),
                   "Y|Sum|Average");
         EXPECT_EQ(t.Text(t.Find("AGGR_ID", "MIN"), "label_element"), "");
       }},
      {"extra columns", sql::ExtraColumnsStatement(2), 2},
      {"template categories, extended views", sql::TemplateCategoriesStatement(true, 2), 7},
      {"template categories", sql::TemplateCategoriesStatement(false, 2), 7},
      {"field categories, extended views, parents first", sql::FieldCategoriesStatement(true, 2), 7,
       [](const Table& t) {
         std::set<std::string> seen = {"3"};  // the module version above the system
         for (size_t r = 0; r < t.Size(); ++r) {
           EXPECT_TRUE(seen.count(t.Text(r, "Parent_Entity_Id"))) << t.Text(r, "Entity_Name");
           seen.insert(t.Text(r, "Entity_Id"));
         }
         EXPECT_EQ(t.Text(t.Find("Entity_Id", "11"), "Context_Entity_Label"), "MSC");
       }},
      {"field categories", sql::FieldCategoriesStatement(false, 2), 7},
      // The document type tree: every level of Traffic's context with the extended views,
      // systems and entities without.
      {"entity tree, extended views", sql::EntityTreeStatement(true, true, "Traffic"), 11},
      {"entity tree", sql::EntityTreeStatement(false, true, "Traffic"), 7,
       [](const Table& t) { EXPECT_EQ(t.Text(t.Find("Entity_Id", "11"), "Context_Entity_Label"), "MSC"); }},
      {"entity tree, no context labels", sql::EntityTreeStatement(false, false, "Traffic"), 7},
      {"fields of both kinds", SourceFields("12", sql::kAllFields), kCellTrafficFields},
      {"expressions only", SourceFields("12", sql::kExpressionsOnly), kCellTrafficCalcs,
       [](const Table& t) { EXPECT_EQ(t.Set("Field_Group_Short"), (std::set<std::string>{"UDC"})); }},
      {"fields of every entity, ordered", SourceFields("", sql::kAllFields), kTrafficFields,
       [](const Table& t) {
         const auto entities = t.Column("Entity_Id");
         EXPECT_TRUE(std::is_sorted(entities.begin(), entities.end(),
                                    [](auto& a, auto& b) { return std::stoi(a) < std::stoi(b); }));
       }},
      {"outer joins of every option and extra column keep every field",
       SourceFields("12", sql::kAllFields, kAllOptional, kTrafficColumns), kCellTrafficFields,
       [&](const Table& t) {
         // Six cell counters have vendor names, two are RCV parameters, five have a list style.
         EXPECT_EQ(t.NonEmpty("v1"), 6u);
         EXPECT_EQ(t.NonEmpty("v2"), 2u);
         EXPECT_EQ(t.NonEmpty("FontStyleMask"), 5u);
         EXPECT_EQ(t.Row(t.Find("Field_Id", cellDrops), {"Name", "v1", "v2", "FontStyleMask", "FontColor"}),
                   "Dropped_Calls|CALL_DRP||2|0");
         EXPECT_EQ(t.Row(t.Find("Field_Id", dropRate), {"FontColor", "Complex", "weight_field_id"}), "255||");
       }},
      {"extra columns the other way round", SourceFields("12", sql::kAllFields, {}, {{"S", 21}, {"A", 11}}),
       kCellTrafficFields,
       [&](const Table& t) {
         EXPECT_EQ(t.Row(t.Find("Field_Id", cellDrops), {"v1", "v2"}), "|CALL_DRP");
       }},
      {"extended views name entities by label",
       SourceFields("13", sql::kExpressionsOnly, kAllOptional, kTrafficColumns, true), 4,
       [&](const Table& t) {
         EXPECT_EQ(t.Text(t.Find("Field_Id", Id(kSampleSectorEntity, "Sector_MOU_Share")), "UDC_Source"),
                   "100 * Minutes_Of_Use / NULLIF(Cell.Minutes_Of_Use, 0)");
       }},
      {"entity fields of every data source", sql::EntityFieldsStatement(kSampleCellEntity, kAllOptional),
       cellFields},
      {"fields by id", sql::FieldsByIdStatement(ids, kAllOptional, kTrafficColumns), 2,
       [&](const Table& t) {
         EXPECT_EQ(t.Row(t.Find("Field_Id", dropRate), {"Entity_ID", "DataSource_ID", "Field_Aggregator",
                                                        "Tech_Mask", "Status", "UDC_Source"}),
                   "12|2|AVG|7|T|100 * Dropped_Calls / NULLIF(Call_Attempts - Blocked_Calls, 0)");
       }},
      {"UDR keys name each key field by its own name", sql::UDRKeysStatement(), 4,
       [](const Table& t) {
         EXPECT_EQ(t.Column("name"), (std::vector<std::string>{"Switch_Number", "Cell_Number",
                                                               "Call_Start_Time", "Mobile_Id"}));
       }},
      {"data files of one entity, extended views: named by the entity label",
       sql::DataFilesStatement(true, false, 20), 6,
       [](const Table& t) { EXPECT_EQ(t.Set("entity_name"), (std::set<std::string>{"Data Availability"})); }},
      {"a package call in the WHERE, the optional table moved last",
       "SELECT d.field_id, a.file_type, a.OFFSET_MINUTES, b.min_partition_date first, "
       "b.max_partition_date Last FROM tq_file_control a, tq_min_partition b, tqd_dict_name d WHERE "
       "a.file_type_id = b.file_type_id (+) AND a.entity_id = d.entity_id AND "
       "d.name = availabledatareporting.tocalcfieldname(a.file_type) ORDER BY a.file_type",
       6,
       [&](const Table& t) {
         EXPECT_EQ(t.Row(0, {"field_id", "file_type", "First", "Last"}),
                   Id(20, "Avail_CDMA_PEG_HOURLY") + "|CDMA_PEG_HOURLY|12/1/2025|3/15/2026 11:00:00 PM");
         // The call records have not arrived: the file is there, without dates.
         EXPECT_EQ(t.Row(4, {"file_type", "First", "Last", "OFFSET_MINUTES"}), "UDR_CALL_RECORDS|||60");
       }},
  });
}

// A calculation saved the way the component saves one: the routine through a procedure call
// inside a transaction, then its style and extra column values; later renamed and given to
// another owner. Each step shows on the next load.
TEST_P(StatementsTest, SavedCalculationShowsOnTheNextLoad) {
  const std::string attempts = Id(kSampleCellEntity, "Call_Attempts");
  // Parameters go in as texts; those of digits only are typed as integers.
  auto call = [&](const char* routine, std::vector<std::string> values) {
    auto c = std::make_shared<SqliteProcedureCall>(db_);
    c->SetName(routine);
    for (const std::string& v : values)
      c->AddParameter(v, !v.empty() && v.find_first_not_of("0123456789") == v.npos ? "integer" : "string");
    return c;
  };
  auto calculation = [&](std::string name, std::vector<std::string> complex = {}) {
    std::vector<std::string> values = {
        name, "CellSite", "2", "2", "F", "100 - Drop_Rate", "Answer", "Rate %", "Per hundred attempts",
        "7",  "AVG"};
    values.insert(values.end(), complex.begin(), complex.end());
    return call("tq_Dictionary.New_UDC_F", values);
  };
  auto calculations = [&] { return Open(SourceFields("12", sql::kExpressionsOnly)).Size(); };
  auto usedByDropRate = [&] {
    return Open("Select Unique parent_field_id from tqd_dict_field_depend Where child_field_id IN (" +
                Id(kSampleCellEntity, "Drop_Rate") + " )")
        .Set("parent_field_id");
  };
  xml_->BeginTransaction();
  const std::string id = calculation("Answer_Rate", {"SUM(Call_Attempts)", attempts})->Run().ToString();
  db_->Execute("Insert Into tqd_field_style (Field_id,FontStyleMask,FontColor ) VALUES (" + id + ",1,255)");
  db_->Execute("Insert Into tqd_Field_Data (Entity_Id, Field_Id, DataSet_ID, DataValue) Values (12," + id +
               ",21,'cell2')");
  db_->Execute("Insert Into tqd_Dict_name (Entity_Id, Field_Id, Namespace_id, Name) Values (12," + id +
               ",11,'ANS_RT')");
  xml_->CommitTransaction();
  // The status check translates the calculation; its outputs come back by position.
  auto status = call("tq_Dictionary.UDC_Stat", {id, "", "", "30"});
  status->Run();
  EXPECT_EQ(db_->FieldText(status->ParameterValue(1)) + "|" + db_->FieldText(status->ParameterValue(2)),
            "T|");

  const Table byId = Open(sql::FieldsByIdStatement(id, kAllOptional, kTrafficColumns));
  EXPECT_EQ(byId.Row(0, {"Name", "Entity_ID", "Field_Group_Short", "UDC_Source", "Field_Owner", "Status",
                         "Complex", "weight_field_id", "FontStyleMask", "FontColor", "v1", "v2"}),
            "Answer_Rate|12|UDC|100 - Drop_Rate|2|T|SUM(Call_Attempts)|" + attempts + "|1|255|ANS_RT|cell2");
  EXPECT_EQ(calculations(), kCellTrafficCalcs + 1);
  // The reference check before deleting Drop_Rate finds the new user.
  EXPECT_EQ(usedByDropRate(), (std::set<std::string>{Id(kSampleCellEntity, "Call_Success_Rate"), id}));

  // A name lives at namespace 0: a rename shows on the next load, in both field statements.
  db_->Execute("Update Tqd_Dict_name  Set Name = 'Answered_Pct' Where Field_ID = " + id +
               " AND Namespace_Id = 0");
  db_->ExecuteProcedure("tq_Dictionary.Update_Field_Owner", {Variant(std::stoi(id)), Variant(4)});
  EXPECT_EQ(Open(sql::FieldsByIdStatement(id, {}, {})).Row(0, {"Name", "Field_Owner"}), "Answered_Pct|4");
  const Table cell = Open(sql::EntityFieldsStatement(kSampleCellEntity, {}));
  EXPECT_EQ(cell.Text(cell.Find("Field_Id", id), "Name"), "Answered_Pct");
}

}  // namespace
}  // namespace ridirodev::standalone
