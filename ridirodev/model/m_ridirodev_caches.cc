// The cached dictionary data of the global state, each loaded on first request.
#include "ridirodev/host/services.h"
#include "ridirodev/model/app_group_template.h"
#include "ridirodev/model/busyhour/m_busy_hour.h"
#include "ridirodev/model/clipboard/clipboards.h"
#include "ridirodev/model/data_files.h"
#include "ridirodev/model/dictionary_loads.h"
#include "ridirodev/model/enum_values.h"
#include "ridirodev/model/field_updates.h"
#include "ridirodev/model/filter/filter_definitions.h"
#include "ridirodev/model/functions.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/model/qualifiers.h"

namespace ridirodev {
namespace {

// Loads into a new object and keeps it only when the load succeeded, so that a failed load
// is tried again on the next request.
template <class T, class Load>
const std::shared_ptr<T>& Cached(std::shared_ptr<T>& slot, Load&& load) {
  if (!slot) {
    auto loaded = std::make_shared<T>();
    load(*loaded);
    slot = std::move(loaded);
  }
  return slot;
}

}  // namespace

std::shared_ptr<CAppGroupTemplate> MRidirodev::AppGroupTemplate(const std::string& sAppName) {
  return AppGroupTemplates()->Item(Variant(sAppName));
}

std::shared_ptr<CFieldCategories> MRidirodev::TrafficCategories() {
  const std::shared_ptr<CAppGroupTemplate> traffic = AppGroupTemplate("Traffic");
  return traffic ? traffic->FieldCategories() : nullptr;
}

std::shared_ptr<CAppGroupTemplates> MRidirodev::AppGroupTemplates() {
  return Cached(appGroupTemplates, [this](CAppGroupTemplates& templates) {
    RunCapabilityProbe();
    LoadAppGroupTemplates(*this, templates);
  });
}

std::shared_ptr<CFieldTechTypes> MRidirodev::ValidTechTypes() {
  return Cached(validTechTypes, [this](CFieldTechTypes& types) { LoadTechnologyTypes(*this, types); });
}

std::shared_ptr<CAggregators> MRidirodev::ValidAggregators() {
  return Cached(validAggregators, [this](CAggregators& aggregators) { LoadAggregators(*this, aggregators); });
}

std::shared_ptr<KeyedCollection<std::string>> MRidirodev::BasicAggregators() {
  return Cached(basicAggregators, [this](KeyedCollection<std::string>& basic) {
    IAppStringListPtr list = Support().CreateStringList();
    for (const CAggregatorPtr& aggregator : *ValidAggregators()) list->Add(aggregator->TimeAggregator(), true, true);
    for (int32_t i = 1; i <= list->Count(); ++i) {
      const std::string value = list->Item(i);
      basic.Add(value, value);
    }
  });
}

std::shared_ptr<CFunctionCategories> MRidirodev::FunctionCategories() {
  return Cached(functionCategories, [this](CFunctionCategories& categories) { LoadFunctionCategories(*this, categories); });
}

std::shared_ptr<CFunctions> MRidirodev::Functions() {
  return Cached(functions, [this](CFunctions& all) { LoadFunctions(*this, all); });
}

std::shared_ptr<COperators> MRidirodev::Operators() {
  if (!operators) operators = StandardOperators();
  return operators;
}

std::shared_ptr<CEnumValues> MRidirodev::EnumValues(int32_t fieldId) {
  if (!enumValues) enumValues = std::make_shared<KeyedCollection<std::shared_ptr<CEnumValues>>>();
  if (enumValues->empty()) LoadEnumValues(*this, *enumValues);
  return enumValues->ItemByKey(std::to_string(fieldId) + "~");
}

std::shared_ptr<CDataFiles> MRidirodev::DataFiles(int32_t entityId) {
  if (dataFiles && (dataFiles->EntityId() == entityId || !Support().ExtendedEntityViews())) return dataFiles;
  // Loaded aside: a failed load keeps the cache as it was.
  auto files = std::make_shared<CDataFiles>();
  LoadDataFiles(*this, *files, entityId);
  dataFiles = files;
  return files;
}

std::shared_ptr<CFilterDefinitions> MRidirodev::FilterDefinitions() {
  if (!filterDefinitions) filterDefinitions = std::make_shared<CFilterDefinitions>();
  return filterDefinitions;
}

std::shared_ptr<CFieldClipboard> MRidirodev::FieldClipboard(bool fDragging) {
  auto& clipboard = fDragging ? dragFieldClipboard : copyFieldClipboard;
  if (!clipboard) clipboard = std::make_shared<CFieldClipboard>();
  return clipboard;
}

std::shared_ptr<CTemplateFieldClipboard> MRidirodev::TemplateFieldClipboard() {
  if (!templateFieldClipboard) templateFieldClipboard = std::make_shared<CTemplateFieldClipboard>();
  return templateFieldClipboard;
}

std::shared_ptr<CFieldUpdates> MRidirodev::FieldUpdates() {
  if (!fieldUpdates) fieldUpdates = std::make_shared<CFieldUpdates>();
  return fieldUpdates;
}

MBusyHour& MRidirodev::BusyHour() {
  if (!busyHour_) busyHour_ = std::make_unique<MBusyHour>();
  return *busyHour_;
}

}  // namespace ridirodev
