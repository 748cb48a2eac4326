#pragma once

// Fields and categories made from the store's rows: the data-source statement of a template,
// fields by id, the gateway path, an entity's common fields, the entity hierarchy and the UDR key
// answer the state remembers.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "ridirodev/model/extra_column_values.h"

namespace ridirodev {
class CField;
class CFieldCategories;
class CFields;
class IDBRecordset;
class MRidirodev;
namespace sql {
struct FieldRow;
}  // namespace sql

// The text of the data-source field statement for the template of appName, as
// OpenDataSourceFields runs it under the current flags and entity views.
std::string DataSourceFieldsText(MRidirodev& state, std::string_view entityIds, int32_t dataSourceId,
                                 const std::string& appName, int32_t fieldSelection);
// The open row set of the data-source field statement for the template of appName (its extra
// columns joined); the caller walks and closes it. entityIds is "" or a checked id list.
std::shared_ptr<IDBRecordset> OpenDataSourceFields(MRidirodev& state, std::string_view entityIds,
                                                   int32_t dataSourceId, const std::string& appName,
                                                   int32_t fieldSelection);
// Walks an opened data-source or by-id statement, handing each row's field to sink, and closes
// the row set, also when a row fails. A null row set reads nothing.
void ReadFields(MRidirodev& state, std::shared_ptr<IDBRecordset> rs, const std::string& appName,
                const std::function<void(std::shared_ptr<CField>)>& sink);
// A field of appName from a row; the row's strings are moved out. extraTitles: the template's
// extra column titles, null when it has no extra columns.
std::shared_ptr<CField> FieldFromRow(MRidirodev& state, sql::FieldRow& row, const std::string& appName,
                                     const std::shared_ptr<const ExtraColumnValues::Titles>& extraTitles);

// The fields of the listed ids (error 5 for a list that is not integers and commas), through
// the gateway when it is available and useXml allows it.
std::shared_ptr<CFields> LoadFieldsByIds(MRidirodev& state, const std::string& appName, std::string_view ids,
                                         bool useXml);
// One field; nullptr for id 0 (no statement runs) or when there is none.
std::shared_ptr<CField> LoadFieldById(MRidirodev& state, const std::string& appName, int32_t id, bool useXml);
// The fields the gateway returns for a filter; empty when it returns no document.
std::shared_ptr<CFields> LoadXmlFields(MRidirodev& state, const std::string& appName, std::string_view filter);

// One category per hierarchy row of the context, then the tree. The rows may come in any
// order; a category whose parent cannot be placed is logged and left out of the tree.
void LoadFieldCategories(MRidirodev& state, const std::string& appName, int32_t contextId,
                         CFieldCategories& categories);
// The entity's fields, each initialised as a common field, added to fields.
void LoadEntityFields(MRidirodev& state, int32_t entityId, CFields& fields);

// Whether tqd_udr_keys holds rows; asked once and remembered, also when false or failed.
bool UDRKeyDataAvailable(MRidirodev& state);

}  // namespace ridirodev
