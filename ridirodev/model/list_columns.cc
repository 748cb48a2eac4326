#include "ridirodev/model/list_columns.h"

#include <utility>

#include "ridirodev/host/services.h"
#include "ridirodev/model/app_group_template.h"
#include "ridirodev/model/enums.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/model/qualifiers.h"

namespace ridirodev {

namespace {
constexpr float kWidth = 1200.0F;
}  // namespace

void AddColumnDefinition(IAppSupport& support, IAppPropertySet& set, int32_t id, std::string_view name,
                         bool available) {
  set.Add(support.CreatePropertyDefinition(id, name, kWidth, 0, available, 0));
}

IAppPropertySetPtr FieldPropertySet(MRidirodev& state, CAppGroupTemplate* tpl, bool tool, bool editableOnly) {
  IAppSupport& support = state.Support();
  IAppPropertySetPtr set = support.CreatePropertySet();
  const auto add = [&](int32_t id, std::string_view name, bool available = true) {
    AddColumnDefinition(support, *set, id, name, available);
  };
  static constexpr std::pair<int32_t, std::string_view> kLeading[] = {{fldName, "Name"},
                                                                      {fldEntity, "Entity"},
                                                                      {fldTechType, "Tech Type"},
                                                                      {fldFieldType, "Field Type"},
                                                                      {fldHeading1, "Heading_1"},
                                                                      {fldHeading2, "Heading_2"},
                                                                      {fldDescription, "Description"}};
  for (const auto& [id, name] : kLeading) add(id, name);
  if (tpl) {
    if (state.FlexibleAggregationEnabled()) {
      add(fldTimeAggregator, "Time Aggregator");
      add(fldElementAggregator, "Element Aggregator");
    } else {
      add(fldTimeAggregator, "Aggregator");
    }
  }
  add(fldDataType, "Data Type");
  add(fldStatus, "Status");
  if (!tool) {
    add(fldUDCSource, "UDC_Source");
    add(fldModified, "Modified");
  }
  add(fldOwner, "Owner");
  add(fldComplex, "Complex");
  if (tpl) {
    int32_t number = 0;
    const auto columns = tpl->ExtraColumns();
    for (const CExtraColumnPtr& column : *columns) {
      add(fldExtra + ++number, column->Name(), !editableOnly || column->Editable());
    }
  }
  return set;
}

IAppPropertySetPtr MRidirodev::DefaultFieldProperties() {
  if (!defaultFieldProperties) defaultFieldProperties = FieldPropertySet(*this, nullptr, false, false);
  return defaultFieldProperties;
}

}  // namespace ridirodev
