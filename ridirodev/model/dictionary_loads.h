#pragma once

// The loads of the dictionary into the model's collections: each runs one statement and adds
// a member per row, in the order the database returns them. Database errors propagate; what
// was added before a failure stays. Settings are asked at each load, as they may change.

#include <cstdint>
#include <memory>
#include <string_view>

#include "ridirodev/core/keyed_collection.h"

namespace ridirodev {

class MRidirodev;
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

void LoadAppGroupTemplates(MRidirodev& state, CAppGroupTemplates& templates);
void LoadTechnologyTypes(MRidirodev& state, CFieldTechTypes& types);
void LoadFieldTypes(MRidirodev& state, int32_t dataSourceId, CFieldTypes& types);
void LoadAggregators(MRidirodev& state, CAggregators& aggregators);
void LoadExtraColumns(MRidirodev& state, int32_t dataSourceId, CExtraColumns& columns);
void LoadTemplateCategories(MRidirodev& state, std::string_view appName, int32_t contextId,
                            CTemplateCategories& categories);
void LoadFunctionCategories(MRidirodev& state, CFunctionCategories& categories);
void LoadFunctions(MRidirodev& state, CFunctions& functions);
// One CEnumValues per field, under the field id in decimal followed by "~".
void LoadEnumValues(MRidirodev& state, KeyedCollection<std::shared_ptr<CEnumValues>>& values);
// The data files of the entity (under the extended views; else every data file, with its
// first and last available times), and the collection's EntityId.
void LoadDataFiles(MRidirodev& state, CDataFiles& files, int32_t entityId);

}  // namespace ridirodev
