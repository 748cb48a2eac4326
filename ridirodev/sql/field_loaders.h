#pragma once

// Loads of fields: the data-source field statement, fields by id, the gateway path, and the
// UDR key list that key fields need.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ridirodev/core/variant.h"

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
// Makes fields from the rows of a data-source or by-id statement. The columns are found by
// name once per row set, not on every row.
class FieldRowReader {
 public:
  FieldRowReader(const IDBRecordset& rs, std::string appName);
  ~FieldRowReader();
  FieldRowReader(const FieldRowReader&) = delete;
  FieldRowReader& operator=(const FieldRowReader&) = delete;

  // A field from the row set's current row.
  std::shared_ptr<CField> Read() const;

 private:
  struct Column;
  Variant Value(const Column& column) const;

  // Owners are asked of the host once per reader.
  struct OwnerBatch {
    OwnerBatch();
    ~OwnerBatch();
    OwnerBatch(const OwnerBatch&) = delete;
    OwnerBatch& operator=(const OwnerBatch&) = delete;
  };

  OwnerBatch owners_;
  const IDBRecordset& rs_;
  std::string appName_;
  std::vector<Column> columns_;                            // the fixed columns, in Read's order
  std::vector<std::pair<std::string, Column>> extra_;      // extra column key and its "v" column
  bool hasExtra_ = false;
};

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
