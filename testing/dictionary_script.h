#pragma once

// Scripts of the dictionary tables behind templates, qualifiers, categories and fields, for
// tests that need real CField objects. ScriptSampleDictionary lays out a small dictionary;
// the Script* pieces build others. Rows are given in the column order named on each piece.

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "ridirodev/core/variant.h"
#include "ridirodev/store/dictionary_statements.h"
#include "testing/scripted_database.h"

namespace ridirodev::testing {

using DictRow = std::vector<Variant>;

// DataSource_Id, DataSource_Name, DataSource_APP_CTX.
inline void ScriptTemplates(ScriptedDatabase& db, std::vector<DictRow> rows) {
  db.AddRows(TextContains("FROM TQD_Data_Source"),
             {{"DataSource_Id", "DataSource_Name", "DataSource_APP_CTX"}, std::move(rows)});
}

// Field_Group_Id, Field_Group_Short, Field_Group_Name; for the plain entity views only (the
// extended views share one list among all data sources).
inline void ScriptFieldTypes(ScriptedDatabase& db, int32_t dataSourceId, std::vector<DictRow> rows) {
  db.AddRows(sql::FieldTypesStatement(false, dataSourceId),
             {{"Field_Group_Id", "Field_Group_Short", "Field_Group_Name"}, std::move(rows)});
}

// AGGR_Name, AGGR_ID, AGGR_BH_OK, label_element, label_time.
inline void ScriptAggregators(ScriptedDatabase& db, std::vector<DictRow> rows) {
  db.AddRows(sql::AggregatorsStatement(),
             {{"AGGR_Name", "AGGR_ID", "AGGR_BH_OK", "label_element", "label_time"}, std::move(rows)});
}

// Entity_Id, Parent_Entity_Id (0 for none, scripted as Null), Entity_Name, Entity_Label; the
// other columns are filled in. Answers the category statement of both entity views.
inline void ScriptCategories(ScriptedDatabase& db, int32_t contextId, const std::vector<DictRow>& rows) {
  ScriptedRows out{{"Entity_Id", "Parent_Entity_Id", "Entity_Name", "Entity_Label", "Context_Entity_Label",
                    "Entity_Desc", "Can_Sum", "Can_Rpt", "AllowReparenting"}, {}};
  for (const DictRow& r : rows) {
    const Variant parent = r.at(1).ToInt32() == 0 ? Variant::Null() : r.at(1);
    out.rows.push_back({r.at(0), parent, r.at(2), r.at(3), "", r.at(2), "Y", "Y", "N"});
  }
  db.AddRows(sql::FieldCategoriesStatement(false, contextId), out);
  db.AddRows(sql::FieldCategoriesStatement(true, contextId), std::move(out));
}

// Field rows with every column the field statements read (v1 and v2 carry the values of a
// template's first two extra columns); the columns not given are Null.
inline ScriptedRows FieldRows(const std::vector<std::map<std::string, Variant>>& rows) {
  ScriptedRows out{{"Field_Id", "Entity_Id", "Name", "Report_Header", "Report_Header2", "Field_Desc",
                    "DataType", "Field_Owner", "Field_Aggregator", "UDC_Source", "Is_Null_OK",
                    "Field_Group_Short", "Tech_Mask", "Changed", "Status", "v1", "v2"}, {}};
  for (const auto& values : rows) {
    DictRow& row = out.rows.emplace_back();
    for (const auto& column : out.columns)
      row.push_back(values.contains(column) ? values.at(column) : Variant::Null());
  }
  return out;
}

// The sample:
// - templates Client (data source 1) and Traffic (2) over context 5, UDR (3) over context 6;
// - field types RAW (id 11), UDC (12), KEY (13), EXT (14) in each template;
// - Traffic's extra columns RCVFormName (text, editable) and Vendor (number);
// - aggregators SUM (1, busy-hour OK, labels Total/Sum), AVG (2, OK, no labels), MAX (3, not OK);
// - technologies G (1), C (2), U (4), L (8);
// - context 5: System (1) > Switch (2, label MSC) > Cell (3, label Cell Site);
//   context 6: Call (7, label Call Record).
inline void ScriptSampleDictionary(ScriptedDatabase& db) {
  ScriptTemplates(db, {{1, "Client", 5}, {2, "Traffic", 5}, {3, "UDR", 6}});
  for (int32_t dataSource : {1, 2, 3}) {
    ScriptFieldTypes(db, dataSource, {{11, "RAW", "Raw counter"}, {12, "UDC", "Calculation"}, {13, "KEY", "Key"}, {14, "EXT", "External"}});
  }
  db.AddRows(sql::ExtraColumnsStatement(2),
             {{"Col_Title", "E_Type", "e_id", "Editable"}, {{"RCVFormName", "A", 1, "Y"}, {"Vendor", "N", 2, "N"}}});
  ScriptAggregators(db, {{"Sum", 1, "Y", "Sum", "Total"},
                         {"Average", 2, "Y", Variant::Null(), Variant::Null()},
                         {"Max", 3, "N", "Max", "Peak"}});
  db.AddRows(sql::TechnologyTypesStatement(),
             {{"Tech_Name", "Tech_Char", "Tech_Mask", "Tech_Desc"},
              {{"GSM", "G", 1, "GSM"}, {"CDMA", "C", 2, "CDMA"}, {"UMTS", "U", 4, "UMTS"}, {"LTE", "L", 8, "LTE"}}});
  ScriptCategories(db, 5, {{1, 0, "System", "System"}, {2, 1, "Switch", "MSC"}, {3, 2, "Cell", "Cell Site"}});
  ScriptCategories(db, 6, {{7, 0, "Call", "Call Record"}});
}

}  // namespace ridirodev::testing
