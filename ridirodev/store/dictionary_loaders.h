#pragma once

// The loads of the dictionary: each runs one statement through the database object and hands
// every row, in the order the database returns them, to the object that owns it. Database
// errors propagate; what was added before a failure stays.

#include <cstdint>
#include <memory>
#include <string_view>

#include "ridirodev/core/keyed_collection.h"

namespace ridirodev {
class IDBRecordset;
class CAppGroupTemplates;
class CFieldTechTypes;
class CFieldTypes;
class CAggregators;
class CExtraColumns;
class CTemplateCategories;
class CFunctionCategories;
class CFunctions;
class CEnumValues;
class CDataFiles;
}  // namespace ridirodev

namespace ridirodev::sql {

// The entity's id, 0 when there is none.
int32_t LookupEntityId(std::string_view name);
void LoadAppGroupTemplates(CAppGroupTemplates& templates);
void LoadTechnologyTypes(CFieldTechTypes& types);
void LoadFieldTypes(int32_t dataSourceId, CFieldTypes& types);
void LoadAggregators(CAggregators& aggregators);
void LoadExtraColumns(int32_t dataSourceId, CExtraColumns& columns);
void LoadTemplateCategories(std::string_view appName, int32_t contextId, CTemplateCategories& categories);
void LoadFunctionCategories(CFunctionCategories& categories);
void LoadFunctions(CFunctions& functions);
// One CEnumValues per field, under the field id in decimal followed by "~".
void LoadEnumValues(KeyedCollection<std::shared_ptr<CEnumValues>>& values);
// The data files of the entity (under the extended views; else every data file, with its
// first and last available times), and the collection's EntityId.
void LoadDataFiles(CDataFiles& files, int32_t entityId);

}  // namespace ridirodev::sql
