// The property sets, lists and combo contents behind the host's list views and pickers.
#include <algorithm>
#include <string_view>
#include <utility>

#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/host/services.h"
#include "ridirodev/model/app_group_template.h"
#include "ridirodev/model/enums.h"
#include "ridirodev/model/filter/filter_definitions.h"
#include "ridirodev/model/list_columns.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/model/qualifiers.h"
#include "ridirodev/model/template_categories.h"

namespace ridirodev {
namespace {

MRidirodev& State() { return MRidirodev::Current(); }

void AddDefinition(IAppPropertySet& set, int32_t id, std::string_view name) {
  AddColumnDefinition(State().Support(), set, id, name);
}

// The set of sAppName from a cache of one set per template, built for every template at once.
IAppPropertySetPtr PerTemplate(std::shared_ptr<KeyedCollection<IAppPropertySetPtr>>& cache,
                               const std::string& sAppName, bool editableOnly) {
  if (!cache) {
    auto sets = std::make_shared<KeyedCollection<IAppPropertySetPtr>>();
    const auto templates = State().AppGroupTemplates();
    for (const CAppGroupTemplatePtr& tpl : *templates) {
      sets->Add(FieldPropertySet(State(), tpl.get(), false, editableOnly), tpl->AppName());
    }
    cache = std::move(sets);
  }
  return cache->Exists(Variant(sAppName)) ? cache->Item(Variant(sAppName)) : nullptr;
}

std::string WithoutLastComma(std::string list) {
  if (!list.empty() && list.back() == ',') list.pop_back();
  return list;
}

// The Traffic field types, with the Client ones it lacks when external data sources are used:
// the labels pad the type names to one width so that the descriptions line up.
void BuildTrafficClientTypeLists() {
  MRidirodev& state = State();
  const CAppGroupTemplatePtr traffic = GRidirodev::AppGroupTemplate("Traffic");
  const auto trafficTypes = traffic ? traffic->FieldTypes() : std::make_shared<CFieldTypes>();
  if (!GRidirodev::UsesExternalDataSources()) {
    state.trafClntFieldTypesValueList = trafficTypes->ValueList();
    state.trafClntFieldTypesLabelList = trafficTypes->LabelList();
    return;
  }
  const CAppGroupTemplatePtr client = GRidirodev::AppGroupTemplate("Client");
  const auto clientTypes = client ? client->FieldTypes() : std::make_shared<CFieldTypes>();
  size_t width = 0;
  for (const auto& types : {trafficTypes, clientTypes}) {
    for (const CFieldTypePtr& type : *types) width = std::max(width, type->TypeName().size());
  }
  std::string values, labels;
  auto append = [&](const CFieldType& type) {
    values += type.TypeName() + ",";
    labels +=
        type.TypeName() + std::string(width - type.TypeName().size(), ' ') + " - " + type.Description() + ",";
  };
  for (const CFieldTypePtr& type : *trafficTypes) append(*type);
  for (const CFieldTypePtr& type : *clientTypes) {
    if (!trafficTypes->Exists(Variant(type->Key()))) append(*type);
  }
  state.trafClntFieldTypesValueList = WithoutLastComma(std::move(values));
  state.trafClntFieldTypesLabelList = WithoutLastComma(std::move(labels));
}

void BuildAggregatorLists() {
  MRidirodev& state = State();
  std::string list;
  const auto basic = state.BasicAggregators();
  for (const std::string& aggregator : *basic) list += aggregator + ",";
  state.aggregatorValueList = WithoutLastComma(std::move(list));
  state.aggregatorLabelList = state.aggregatorValueList;
}

}  // namespace

IAppPropertySetPtr GRidirodev::FieldProperties(const std::string& sAppName) {
  return PerTemplate(State().fieldProperties, sAppName, false);
}

IAppPropertySetPtr GRidirodev::ExpressionProperties(const std::string& sAppName) {
  return PerTemplate(State().expressionProperties, sAppName, true);
}

IAppPropertySetPtr GRidirodev::DefaultFieldProperties() { return State().DefaultFieldProperties(); }

IAppPropertySetPtr GRidirodev::EQVToolProperties() {
  auto& set = State().eqvToolProperties;
  if (!set) set = FieldPropertySet(State(), AppGroupTemplate("Traffic").get(), true, false);
  return set;
}

IAppPropertySetPtr GRidirodev::ExpressTemplateProperties() {
  auto& set = State().expressTemplateProperties;
  if (!set) {
    set = State().Support().CreatePropertySet();
    AddDefinition(*set, fldName, "Name");
    AddDefinition(*set, fldEntity, "Entity");
    AddDefinition(*set, fldTechType, "Tech Type");
    AddDefinition(*set, fldFieldType, "Field Type");
  }
  return set;
}

IAppSettingsNodePtr GRidirodev::ExpressTemplateState() {
  auto& node = State().expressTemplateState;
  if (!node) {
    IAppGroupServices& services = State().GroupServices();
    node = services.CreateSettingsNode("ExpressTemplateRoot");
    node->AddChild(services.CreatePropertyList("Express Available Properties", ""));
    node->AddChild(services.CreatePropertyList("Express Selected Properties", ""));
    node->AddValueEntry(Variant(std::string()));
  }
  return node;
}

std::string GRidirodev::AggregatorValueList() {
  if (State().aggregatorValueList.empty()) BuildAggregatorLists();
  return State().aggregatorValueList;
}

std::string GRidirodev::AggregatorLabelList() {
  if (State().aggregatorLabelList.empty()) BuildAggregatorLists();
  return State().aggregatorLabelList;
}

Variant GRidirodev::TrafClntFieldTypesValueList() {
  if (State().trafClntFieldTypesValueList.empty()) BuildTrafficClientTypeLists();
  return Variant(State().trafClntFieldTypesValueList);
}

Variant GRidirodev::TrafClntFieldTypesLabelList() {
  if (State().trafClntFieldTypesLabelList.empty()) BuildTrafficClientTypeLists();
  return Variant(State().trafClntFieldTypesLabelList);
}

std::shared_ptr<KeyedCollection<std::string>> GRidirodev::AppFieldMap(const std::string& sAppName) {
  auto& maps = State().appFieldMaps;
  if (!maps) maps = std::make_shared<KeyedCollection<std::shared_ptr<KeyedCollection<std::string>>>>();
  if (maps->Exists(Variant(sAppName))) return maps->Item(Variant(sAppName));
  // A dictionary: column names compare exactly, so an extra column "status" is not "Status".
  auto map = std::make_shared<KeyedCollection<std::string>>(DuplicateKey::kError, KeyCase::kExact);
  static constexpr std::pair<std::string_view, std::string_view> kColumns[] = {
      {"Name", "Name"},
      {"Entity_Id", "Entity"},
      {"Tech_Mask", "Tech Type"},
      {"Field_Group_Short", "Field Type"},
      {"Report_Header", "Heading_1"},
      {"Report_Header2", "Heading_2"},
      {"Field_Desc", "Description"},
      {"Field_Owner", "Owner"},
      {"Field_Aggregator", "Aggregator"},
      {"Status", "Status"},
      {"DataType", "Data Type"},
      {"UDC_Source", "UDC_Source"},
      {"Changed", "Modified"},
      {"Complex", "Complex"}};
  for (const auto& [column, property] : kColumns) map->Add(std::string(property), column);
  if (FlexibleAggregationEnabled()) {
    map->Add("Time Aggregator", "Time_Aggregator");
    map->Add("Element Aggregator", "Element_Aggregator");
  }
  if (const CAppGroupTemplatePtr tpl = AppGroupTemplate(sAppName)) {
    const auto columns = tpl->ExtraColumns();
    for (const CExtraColumnPtr& column : *columns) map->Add(column->Name(), column->Name());
  }
  maps->Add(map, sAppName);
  return map;
}

void GRidirodev::PopulateTypeCB(IComboBox& obj, const std::string& sAppNameA, bool fAddExternalTypes) {
  IAppSupport& support = State().Support();
  obj.Clear();
  support.PrepareCombo(obj, "Field Types", "All");
  if (const CAppGroupTemplatePtr tpl = AppGroupTemplate(sAppNameA)) {
    const auto types = tpl->FieldTypes();
    for (const CFieldTypePtr& type : *types) obj.AddItem(type->Description());
  }
  if (fAddExternalTypes && sAppNameA == "Traffic") {
    if (const CAppGroupTemplatePtr client = AppGroupTemplate("Client")) {
      const auto types = client->FieldTypes();
      for (const CFieldTypePtr& type : *types) {
        if (!support.ComboHas(obj, type->Description())) obj.AddItem(type->Description());
      }
    }
  }
  support.CompleteCombo(obj);
}

void GRidirodev::PopulateTechTypeCB(IComboBox& obj) {
  obj.Clear();
  const auto definitions = FilterDefinitions();
  for (const CFilterDefinitionPtr& definition : *definitions) obj.AddItem(definition->Name());
  State().Support().CompleteCombo(obj);
}

void GRidirodev::UpdateCategoryCB(IComboBox& obj, const std::string& sAppNameA) {
  IAppSupport& support = State().Support();
  obj.Clear();
  support.PrepareCombo(obj, "Categories", "All");
  if (!sAppNameA.empty()) {
    if (const CAppGroupTemplatePtr tpl = AppGroupTemplate(sAppNameA)) {
      const auto categories = tpl->TemplateCategories();
      for (const CTemplateCategoryPtr& category : *categories) obj.AddItem(category->Name());
    }
  }
  support.CompleteCombo(obj);
}

}  // namespace ridirodev
