#pragma once

// Texts of the statements that read the data dictionary. Each builder is pure: the global
// conditions (extended entity views, optional field columns) and the template's extra columns
// come in as plain values, so that a caller asks the host once and the texts can be compared
// whole in tests.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ridirodev {
class IAppFeatures;
}  // namespace ridirodev

namespace ridirodev::sql {

// Field selections of the data-source field statement; any other value reads both kinds.
inline constexpr int32_t kStaticFieldsOnly = 1;
inline constexpr int32_t kExpressionsOnly = 2;
inline constexpr int32_t kAllFields = 3;

// The columns a field statement adds when the schema has them.
struct FieldColumnOptions {
  bool doComplex = false;
  bool doWeighted = false;
  bool styleFieldsAvailable = false;
};

// One extra column of an application's template: its kind ("A" reads the dictionary-name
// table, anything else the field data table) and its namespace or data set id.
struct ExtraColumnJoin {
  std::string colType;
  int32_t id = 0;
};

// The text with each single quote doubled, for insertion between single quotes.
std::string DoubleQuotes(std::string_view text);

// An id list checked and normalised for insertion into a statement: integers (an optional
// minus sign, then digits, within 32 bits) separated by commas, blanks allowed around each
// item; returned as decimal numbers joined by "," with no blanks. Anything else, an empty list
// included, fails with AutomationError 5 naming the offending item.
std::string ValidIdList(std::string_view idList);

std::string EntityIdByNameStatement(std::string_view entityName);

// The data source names whose templates are loaded, in statement order, asking the feature
// switches now.
std::vector<std::string> DataSourceNames(const IAppFeatures& features);
// nameLiterals: the database object's text literals of DataSourceNames(), in that order.
std::string AppGroupTemplatesStatement(const std::vector<std::string>& nameLiterals);

// The entity hierarchy of an application's data source for the document type tree: every level
// by depth with the extended views, else systems and entities (with their context labels when
// the column exists).
std::string EntityTreeStatement(bool extendedViews, bool contextEntityLabel, std::string_view dataSourceName);

std::string TechnologyTypesStatement();
std::string FieldTypesStatement(bool extendedViews, int32_t dataSourceId);
std::string AggregatorsStatement();
std::string ExtraColumnsStatement(int32_t dataSourceId);

// Whether an application's template categories come from the entity hierarchy (the statement
// below) rather than from the application name alone.
bool TemplateCategoriesFromEntities(std::string_view appName);
std::string TemplateCategoriesStatement(bool extendedViews, int32_t contextId);
std::string FieldCategoriesStatement(bool extendedViews, int32_t contextId);

// entityIds: "" for every entity of the data source, else a list that ValidIdList accepts.
std::string DataSourceFieldsStatement(std::string_view entityIds, int32_t dataSourceId,
                                      int32_t fieldSelection, bool extendedViews,
                                      const FieldColumnOptions& options,
                                      const std::vector<ExtraColumnJoin>& extraColumns);
std::string EntityFieldsStatement(int32_t entityId, const FieldColumnOptions& options);
// idList: a list that ValidIdList accepts (one id is a list of one).
std::string FieldsByIdStatement(std::string_view idList, const FieldColumnOptions& options,
                                const std::vector<ExtraColumnJoin>& extraColumns);

std::string FunctionCategoriesStatement();
std::string FunctionsStatement();
// The enumerated values: the distinct field ids, all values, and the row-set filter that
// narrows all values to one field.
std::string EnumFieldIdsStatement();
std::string EnumValuesStatement();
std::string EnumValuesFilter(int32_t fieldId);

// The data files: under the extended views those of one entity's module and version; else all
// of them with their first and last available times, from the partition table when it has
// partitionDates ("max_partition_date"), otherwise grouped from the available-data table.
std::string DataFilesStatement(bool extendedViews, bool partitionDates, int32_t entityId);

std::string UDRKeyCountStatement();
// The calculations that use the calculations of ids (a checked id list), as dependency rows.
std::string UDCDependenciesStatement(std::string_view ids);
// The key fields of each entity in sequence, named by the field's own name only: the name table
// also holds the values of extra columns, under other namespaces.
std::string UDRKeysStatement();

}  // namespace ridirodev::sql
