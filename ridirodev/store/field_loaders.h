#pragma once

// Loads of fields: the data-source field statement, fields by id, the gateway path, and the
// UDR key list that key fields need.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace ridirodev {
class CField;
class CFields;
class IDBRecordset;
class IXMLNode;
}  // namespace ridirodev

namespace ridirodev::sql {

// The text of the data-source field statement for the template of appName, as
// OpenDataSourceFields runs it under the current flags and entity views.
std::string DataSourceFieldsText(std::string_view entityIds, int32_t dataSourceId, const std::string& appName,
                                 int32_t fieldSelection);
// The open row set of the data-source field statement for the template of appName (its extra
// columns joined); the caller walks and closes it. entityIds is "" or a checked id list.
std::shared_ptr<IDBRecordset> OpenDataSourceFields(std::string_view entityIds, int32_t dataSourceId,
                                                   const std::string& appName, int32_t fieldSelection);
// Walks an opened data-source or by-id statement, handing each row's field to sink, and closes
// the row set, also when a row fails. A null row set reads nothing.
void ReadFieldRows(std::shared_ptr<IDBRecordset> rs, const std::string& appName,
                   const std::function<void(std::shared_ptr<CField>)>& sink);

// A field from the current row of a data-source or by-id statement.
std::shared_ptr<CField> FieldFromRow(const IDBRecordset& rs, const std::string& appName);
// The fields of the listed ids (error 5 for a list that is not integers and commas), through
// the gateway when it is available and useXml allows it.
std::shared_ptr<CFields> LoadFieldsByIds(const std::string& appName, std::string_view ids, bool useXml);
// One field; nullptr for id 0 (no statement runs) or when there is none.
std::shared_ptr<CField> LoadFieldById(const std::string& appName, int32_t id, bool useXml);
// The fields the gateway returns for a filter; empty when it returns no document.
std::shared_ptr<CFields> LoadXmlFields(const std::string& appName, std::string_view filter);

// Whether tqd_udr_keys holds rows; asked once and remembered, also when false or failed.
bool UDRKeyDataAvailable();
// The UDR keys statement, ordered by entity and field sequence.
std::shared_ptr<IDBRecordset> OpenUDRKeys();

}  // namespace ridirodev::sql
