#include "ridirodev/store/dictionary_statements.h"

#include <charconv>
#include <limits>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/host/services.h"

namespace ridirodev::sql {
namespace {

constexpr bool IsBlank(char c) noexcept { return c == ' ' || c == '\t'; }

std::string_view StripBlanks(std::string_view s) noexcept {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

[[noreturn]] void BadIdList(size_t position, std::string_view item, std::string_view why) {
  throw AutomationError(ErrorNumber::kInvalidArgument, "MRidirodev",
                        "Invalid id list: item " + std::to_string(position) + " (\"" + std::string(item) +
                            "\") " + std::string(why) + "; ids must be integers separated by commas.");
}

// A field statement in the four parts that the optional columns and the extra column joins
// extend independently.
struct FieldStatement {
  std::string select;
  std::string from;
  std::string where;
  std::string order;

  std::string Text() const { return select + from + where + order; }

  void AddOptionalColumns(const FieldColumnOptions& options) {
    if (options.doComplex) select += ", d.Complex ";
    if (options.doWeighted) select += ",d.weight_field_id ";
    if (options.styleFieldsAvailable) {
      select += ",c.FontStyleMask, c.FontColor ";
      from += ", tqd_field_style c ";
      where += " AND d.Field_Id = c.Field_Id (+) ";
    }
  }

  // Result column "v" and k carries the k-th extra column's value; the row mapping reads it by
  // that name, so the numbering must follow the template's collection order.
  void AddExtraColumnJoins(const std::vector<ExtraColumnJoin>& extraColumns) {
    int k = 0;
    for (const ExtraColumnJoin& column : extraColumns) {
      const std::string alias = "a" + std::to_string(++k);
      const std::string n = std::to_string(k);
      const bool dictionaryName = column.colType == "A";
      select += "," + alias + (dictionaryName ? ".Name v" : ".DataValue v") + n + " ";
      from += (dictionaryName ? ",tqd_Dict_Name " : ",tqd_Field_Data ") + alias + " ";
      where += " AND d.Field_Id = " + alias + ".Field_Id (+) " + "AND " + alias +
               (dictionaryName ? ".Namespace_Id (+) = " : ".DataSet_ID (+) = ") + std::to_string(column.id) +
               " ";
    }
  }
};

}  // namespace

std::string DoubleQuotes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out;
}

std::string ValidIdList(std::string_view idList) {
  std::string out;
  size_t position = 0;
  size_t start = 0;
  while (true) {
    const size_t comma = idList.find(',', start);
    const std::string_view raw =
        idList.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
    const std::string_view item = StripBlanks(raw);
    ++position;
    if (item.empty()) BadIdList(position, raw, "is empty");
    // from_chars takes a minus sign but no plus sign and no inner blanks, which is the form we
    // accept; a negative id is harmless in a statement and -1 is our own "no such field".
    int32_t id = 0;
    const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), id);
    if (error == std::errc::result_out_of_range) BadIdList(position, item, "is out of range");
    if (error != std::errc() || end != item.data() + item.size())
      BadIdList(position, item, "is not an integer");
    if (!out.empty()) out += ',';
    out += std::to_string(id);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return out;
}

std::string EntityIdByNameStatement(std::string_view entityName) {
  return "SELECT entity_id FROM TQN_ENTITY WHERE entity_name = '" + DoubleQuotes(entityName) + "'";
}

std::vector<std::string> DataSourceNames(const IAppFeatures& features) {
  std::vector<std::string> names{"Client", "Traffic"};
  if (features.IsEnabled("UDR_Group")) names.emplace_back("UDR");
  if (features.IsEnabled("CPFail_Group"))
    names.insert(names.end(), {"CPFail Count", "CPFail Message", "CPFail Handoff"});
  if (features.IsEnabled("EVDO_PCMD_Group")) names.emplace_back("EVDO PCMD Message");
  if (features.IsEnabled("DOCPFail_Group")) names.insert(names.end(), {"DOCPFail Count", "DOCPFail Message"});
  if (features.IsEnabled("PCMD_Group")) names.insert(names.end(), {"PCMD Count", "PCMD Message"});
  return names;
}

std::string AppGroupTemplatesStatement(const std::vector<std::string>& nameLiterals) {
  std::string list;
  for (const std::string& literal : nameLiterals) {
    if (!list.empty()) list += ',';
    list += literal;
  }
  return "SELECT DataSource_Id, DataSource_Name, DataSource_APP_CTX FROM TQD_Data_Source WHERE "
         "DataSource_Name IN ( " +
         list + " ) ";
}

std::string TechnologyTypesStatement() {
  return "SELECT Tech_Name,Tech_Char,Tech_Mask,Tech_Desc FROM TQD_Technology_Mask";
}

std::string FieldTypesStatement(bool extendedViews, int32_t dataSourceId) {
  const std::string select = "SELECT Field_Group_Id,Field_Group_Short,Field_Group_Name ";
  // The extended views share one set of field groups among all data sources.
  if (extendedViews) return select + "FROM tqd_Field_Group ";
  return select + "FROM tqd_Application_Field_Group WHERE DataSource_ID = " + std::to_string(dataSourceId);
}

std::string AggregatorsStatement() { return "SELECT * FROM TQD_Aggregator"; }

std::string ExtraColumnsStatement(int32_t dataSourceId) {
  return "SELECT * FROM TQD_DataSource_Extra_Cols WHERE DataSource_ID = " + std::to_string(dataSourceId);
}

std::string EntityTreeStatement(bool extendedViews, bool contextEntityLabel,
                                std::string_view dataSourceName) {
  const std::string context = std::string("WHERE Context_Id IN (") + "SELECT DataSource_App_CTX " +
                              "FROM TQD_Data_Source " + "WHERE DataSource_Name = '" +
                              DoubleQuotes(dataSourceName) + "') ";
  if (extendedViews) {
    return std::string("SELECT Entity_Id,Parent_Entity_Id,Entity_Name,Entity_Label,") +
           "Context_Id,Entity_Desc,Can_Sum,Can_Rpt,Type,Depth " + "FROM EA_TQN_ENTITY_HIER " + context +
           "ORDER BY Depth";
  }
  return std::string("SELECT Entity_Id,Parent_Entity_Id,Entity_Name,") +
         "Context_Id,Entity_Desc,Can_Sum, Can_Rpt " + (contextEntityLabel ? ", Context_Entity_Label " : "") +
         "FROM TQN_Entity_Hier " + context;
}

bool TemplateCategoriesFromEntities(std::string_view appName) {
  return appName == "Traffic" || appName == "PCMD Message";
}

std::string TemplateCategoriesStatement(bool extendedViews, int32_t contextId) {
  const std::string context = std::to_string(contextId);
  if (extendedViews) {
    return "SELECT Entity_Id,Entity_Label,Entity_Name,Entity_Desc, Can_Rpt FROM ea_tqn_entity_hier WHERE "
           "Context_Id = " +
           context + " AND type in('System','Entity')";
  }
  return "SELECT Entity_Id,Entity_Name,Entity_Desc, Can_Rpt FROM TQN_Entity_Hier WHERE Context_Id = " +
         context;
}

std::string FieldCategoriesStatement(bool extendedViews, int32_t contextId) {
  const std::string context = std::to_string(contextId);
  // Only the extended views are ordered, by depth, so that parents arrive before children.
  if (extendedViews) {
    return "SELECT * FROM ea_tqn_Entity_Hier WHERE Context_Id = " + context +
           " AND Type IN('System','Entity') ORDER BY Depth";
  }
  return "SELECT * FROM TQN_Entity_Hier WHERE Context_Id = " + context;
}

std::string DataSourceFieldsStatement(std::string_view entityIds, int32_t dataSourceId,
                                      int32_t fieldSelection, bool extendedViews,
                                      const FieldColumnOptions& options,
                                      const std::vector<ExtraColumnJoin>& extraColumns) {
  // Checked first, so that a bad list fails before any text is built or run.
  const std::string ids = entityIds.empty() ? std::string() : ValidIdList(entityIds);
  FieldStatement s;
  if (extendedViews) {
    // The extended views show entity labels in place of names inside calculation sources.
    s.select =
        "SELECT d.Field_Id, d.Entity_ID,d.Name, d.Report_Header, d.Report_Header2, "
        "d.Field_Desc,d.DataType, d.Field_Type, d.Field_Owner, d.Field_Aggregator,"
        "d.Field_Emits_Aggregator, d.Calc_Source,ea_dd.ea_replace_entity_names(d.UDC_Source) UDC_Source,"
        "d.Length, Precision, d.Is_Null_OK, d.Field_Group_Short, d.Tech_Mask, d.Changed, d.Status ";
  } else {
    s.select =
        "SELECT d.Field_Id, d.Entity_ID, d.Name, d.Report_Header, d.Report_Header2, "
        "d.Field_Desc,d.DataType, d.Field_Type, d.Field_Owner, d.Field_Aggregator,"
        "d.Field_Emits_Aggregator, d.Calc_Source, d.UDC_Source, d.Length, Precision, "
        "d.Is_Null_OK , d.Field_Group_Short, d.Tech_Mask, d.Changed, d.Status ";
  }
  s.from = "FROM tqd_Datasource_Field d ";
  s.where = "WHERE d.DataSource_ID = " + std::to_string(dataSourceId);
  if (fieldSelection == kStaticFieldsOnly) s.where += " AND d.Field_Group_Short <> 'UDC' ";
  if (fieldSelection == kExpressionsOnly) s.where += " AND d.Field_Group_Short = 'UDC' ";
  s.AddOptionalColumns(options);
  if (!ids.empty()) s.where += " AND d.Entity_Id in (" + ids + ") ";
  s.order = " order by d.Entity_Id";
  s.AddExtraColumnJoins(extraColumns);
  return s.Text();
}

std::string EntityFieldsStatement(int32_t entityId, const FieldColumnOptions& options) {
  FieldStatement s;
  s.select =
      "SELECT d.Field_Id, d.Name, d.Report_Header, d.Report_Header2, "
      "d.Field_Desc,d.DataType, d.Field_Owner,d.Field_Group_Short, d.Field_Aggregator,"
      "d.Length, Precision,d.Is_Null_OK ,d.Tech_Mask, d.Changed, d.Status ";
  s.from = "FROM tqd_Datasource_Field d ";
  s.where = "WHERE d.Entity_ID = " + std::to_string(entityId);
  s.AddOptionalColumns(options);
  return s.Text();
}

std::string FieldsByIdStatement(std::string_view idList, const FieldColumnOptions& options,
                                const std::vector<ExtraColumnJoin>& extraColumns) {
  const std::string ids = ValidIdList(idList);
  FieldStatement s;
  s.select =
      "SELECT d.Field_Id, d.Name, d.Entity_ID,d.DataSource_ID, d.Report_Header, d.Report_Header2, "
      "d.Field_Desc,d.DataType, d.Field_Type, d.Field_Owner, d.Field_Aggregator,"
      "d.Field_Emits_Aggregator, d.Calc_Source,d.UDC_Source, d.Length, Precision,"
      "d.Is_Null_OK , d.Field_Group_Short, d.Tech_Mask, d.Changed, d.Status ";
  s.from = "FROM tqd_Datasource_Field d ";
  s.where = "WHERE d.Field_Id in (" + ids + ") ";
  s.AddOptionalColumns(options);
  s.AddExtraColumnJoins(extraColumns);
  return s.Text();
}

std::string FunctionCategoriesStatement() { return "SELECT * FROM TQE_Function_Type"; }

std::string FunctionsStatement() { return "SELECT * FROM TQE_Function"; }

std::string EnumFieldIdsStatement() { return "SELECT DISTINCT field_id FROM TQD_ENUM_VALUES"; }

std::string EnumValuesStatement() { return "SELECT * FROM TQD_ENUM_VALUES"; }

std::string EnumValuesFilter(int32_t fieldId) { return "FIELD_ID = " + std::to_string(fieldId); }

std::string UDRKeyCountStatement() { return "select count (*) RowCount from tqd_udr_keys"; }

std::string UDCDependenciesStatement(std::string_view ids) {
  return "Select Unique parent_field_id, child_field_id from tqd_dict_field_depend Where child_field_id IN (" +
         std::string(ids) + " )";
}

std::string UDRKeysStatement() {
  return "Select a.entity_id, a.field_seq, d.name "
         "FROM tqd_udr_keys a, tqd_dict_name d "
         "Where a.Field_id = d.Field_id "
         "AND d.Namespace_Id = 0 "
         "ORDER BY entity_id, field_seq";
}

std::string DataFilesStatement(bool extendedViews, bool partitionDates, int32_t entityId) {
  if (extendedViews) {
    return "SELECT d.field_id,c.file_type_id,c.file_type,c.frequency,c.FREQUENCY_ID,c.FILE_DESCRIPTION,"
           "b.entity_label entity_name,b.entity_id,c.vendor,c.OFFSET_MINUTES FROM tqn_entity a,tqn_entity b,"
           "tq_file_control c,tqd_dict_name d Where a.entity_id = " +
           std::to_string(entityId) +
           " AND b.module_id=a.module_id AND b.version_id=a.version_id AND c.entity_id=b.entity_id "
           "AND d.entity_id=b.entity_id AND UPPER(b.can_report) = 'Y' "
           "AND d.name=availabledatareporting.tocalcfieldname(c.file_type) ORDER BY c.file_type";
  }
  if (partitionDates) {
    return "SELECT d.field_id, a.file_type_id, a.file_type, a.frequency, a.FREQUENCY_ID, a.FILE_DESCRIPTION, "
           "a.entity_name, a.ENTITY_ID, a.vendor, a.OFFSET_MINUTES, b.min_partition_date first,"
           "b.max_partition_date Last FROM tq_file_control a, tq_min_partition b, tqd_dict_name d, "
           "tqn_entity_hier e, tqn_context c WHERE a.file_type_id = b.file_type_id (+) AND a.entity_id = "
           "d.entity_id AND d.entity_id = e.entity_id AND e.context_id = c.context_id AND UPPER(e.can_rpt) = "
           "'Y' AND UPPER(c.context_name) = UPPER( 'Data Availability' ) AND d.name = "
           "availabledatareporting.tocalcfieldname(a.file_type) ORDER BY a.file_type";
  }
  return "SELECT d.field_id, a.file_type_id, a.file_type, a.frequency , a.FREQUENCY_ID, a.FILE_DESCRIPTION, "
         "a.entity_name, a.ENTITY_ID , a.vendor, a.OFFSET_MINUTES , MIN(b.timestamp)first , MAX(b.timestamp) "
         "last FROM tq_file_control a , tq_available_data b , tqd_dict_name d , tqn_entity_hier e , AVA_MAP "
         "m "
         "WHERE a.file_type_id = b.file_type_id (+) AND a.file_type_id = m.file_type_id AND d.entity_id = "
         "a.entity_id AND e.entity_id = d.entity_id AND UPPER(e.can_rpt) ='Y' AND d.name = "
         "availabledatareporting.tocalcfieldname(a.file_type) GROUP BY d.field_id,a.file_type_id, "
         "a.file_type, "
         "a.frequency , a.FREQUENCY_ID , a.FILE_DESCRIPTION , a.entity_name ,a.ENTITY_ID ,a.vendor "
         ",a.OFFSET_MINUTES ORDER BY a.file_type";
}

}  // namespace ridirodev::sql
