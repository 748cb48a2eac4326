#pragma once

// Field rows: the data-source and by-id statements read into a plain row, an entity's common
// fields, the entity hierarchy rows, the gateway's field query and the UDR key list. Which
// optional columns a statement has comes in as options: the caller knows the schema.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ridirodev/core/date.h"
#include "ridirodev/store/dictionary_statements.h"

namespace ridirodev {
class HostServices;
class IDBObject;
class IDBRecordset;
class IXMLNode;
}  // namespace ridirodev

namespace ridirodev::sql {

// One row of a field statement. The optional columns hold their defaults unless the options
// asked for them.
struct FieldRow {
  int32_t id = 0;
  std::string name;
  int32_t entityId = 0;
  std::string fieldGroup;
  int32_t techMask = 0;
  std::string dataType;
  bool nullOk = false;
  std::string heading1, heading2, description, aggregator;
  int32_t owner = 0;
  std::string udcSource;
  Date changed;
  std::string status;
  std::vector<std::string> extraValues;  // "v1".."vn": the template's extra columns, in its order
  std::string complex;
  int32_t weightField = 0, fontStyle = 0, fontColor = 0;
};

// Opens a data-source or by-id field statement; the caller walks and closes it.
std::shared_ptr<IDBRecordset> OpenFieldRows(IDBObject& db, const std::string& statement);
// Walks rs from its current row to its end, handing each row to sink. The sink gets the same
// FieldRow every row and may move its strings out: a load of thousands of rows adds no
// allocation of its own. The columns are found by name once per call.
void ReadFieldRows(IDBObject& db, IDBRecordset& rs, size_t extraColumns, const FieldColumnOptions& options,
                   const std::function<void(FieldRow&)>& sink);
// The entity's common fields (entityId fills FieldRow::entityId), each handed to sink.
void ReadEntityFieldRows(IDBObject& db, int32_t entityId, const FieldColumnOptions& options,
                         const std::function<void(FieldRow&)>& sink);
// The rows of the context's entity hierarchy, each handed to sink while the row set is open.
void ReadFieldCategoryRows(IDBObject& db, bool extendedViews, int32_t contextId,
                           const std::function<void(const IDBRecordset&)>& sink);

// The gateway's answer to the template-field query for filter; null when it returns no document.
std::shared_ptr<IXMLNode> RunTemplateFieldQuery(HostServices& services, std::string_view filter);

// Whether tqd_udr_keys holds rows.
bool QueryUDRKeyData(IDBObject& db);
// The UDR keys statement, ordered by entity and field sequence.
std::shared_ptr<IDBRecordset> OpenUDRKeys(IDBObject& db);

}  // namespace ridirodev::sql
