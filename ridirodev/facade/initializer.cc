#include "ridirodev/facade/initializer.h"

#include "ridirodev/model/app_group_template.h"
#include "ridirodev/model/m_ridirodev.h"

namespace ridirodev {

bool CRidirodevInitializer::Initialize() {
  MRidirodev& state = MRidirodev::Current();
  const auto templates = state.AppGroupTemplates();
  for (const CAppGroupTemplatePtr& tpl : *templates) {
    tpl->ExtraColumns();
    tpl->FieldCategories();
    tpl->FieldTypes();
    tpl->TemplateCategories();
  }
  state.ValidTechTypes();
  state.ValidAggregators();
  state.FunctionCategories();
  state.Functions();

  using Limit = int32_t (MRidirodev::*)();
  static constexpr Limit kLimits[] = {
      &MRidirodev::BusyHourDescriptionLength, &MRidirodev::BusyHourNameLength,
      &MRidirodev::ExpressionLength,          &MRidirodev::ExpressionDescriptionLength,
      &MRidirodev::ExprColumnHeading1Length,  &MRidirodev::ExpressionNameLength,
      &MRidirodev::ExprColumnHeading2Length,  &MRidirodev::CriteriaLength,
  };
  for (Limit limit : kLimits) {
    if ((state.*limit)() == 0) {
      state.Support().Log(2, "Ridirodev", "CRidirodevInitializer", "Initialize", {"unable to initialize DB object"});
    }
  }
  return true;
}

}  // namespace ridirodev
