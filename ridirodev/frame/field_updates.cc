#include "ridirodev/frame/field_updates.h"

#include "ridirodev/frame/state.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/fields.h"

namespace ridirodev {

void NotifyFieldChange(int32_t ordEntity, const std::shared_ptr<Object>& fieldsOrField, EAction action) {
  std::shared_ptr<CFields> fields = std::dynamic_pointer_cast<CFields>(fieldsOrField);
  if (!fields) {
    if (auto field = std::dynamic_pointer_cast<CField>(fieldsOrField)) {
      fields = std::make_shared<CFields>();
      fields->Add(field);
    }
  }
  MRidirodev::Current().FieldUpdates()->NotityFieldChange(ordEntity, std::move(fields), action);
}

}  // namespace ridirodev
