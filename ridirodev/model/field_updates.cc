#include "ridirodev/model/field_updates.h"

#include "ridirodev/model/busyhour/busy_hours.h"

#include "ridirodev/model/field.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/model/m_ridirodev.h"

namespace ridirodev {

void NotifyFieldChange(int32_t ordEntity, const std::shared_ptr<Object>& fieldsOrField, EAction action) {
  NotifyFieldChange(MRidirodev::Current(), ordEntity, fieldsOrField, action);
}

void NotifyFieldChange(MRidirodev& state, int32_t ordEntity, const std::shared_ptr<Object>& fieldsOrField,
                       EAction action) {
  std::shared_ptr<CFields> fields = std::dynamic_pointer_cast<CFields>(fieldsOrField);
  if (!fields) {
    if (auto field = std::dynamic_pointer_cast<CField>(fieldsOrField)) {
      fields = std::make_shared<CFields>();
      fields->Add(field);
    }
  }
  state.FieldUpdates()->NotityFieldChange(ordEntity, std::move(fields), action);
}

void NotifyBusyHourChange(bool fSummation, int32_t ordEntity, const std::shared_ptr<Object>& busyHoursOrBusyHour,
                          EAction action) {
  NotifyBusyHourChange(MRidirodev::Current(), fSummation, ordEntity, busyHoursOrBusyHour, action);
}

void NotifyBusyHourChange(MRidirodev& state, bool fSummation, int32_t ordEntity,
                          const std::shared_ptr<Object>& busyHoursOrBusyHour, EAction action) {
  std::shared_ptr<CBusyHours> busyHours = std::dynamic_pointer_cast<CBusyHours>(busyHoursOrBusyHour);
  if (!busyHours) {
    if (auto busyHour = std::dynamic_pointer_cast<CBusyHour>(busyHoursOrBusyHour)) {
      busyHours = std::make_shared<CBusyHours>();
      busyHours->Add(busyHour);
    }
  }
  state.FieldUpdates()->NotityBusyHourChange(fSummation, ordEntity, std::move(busyHours), action);
}

}  // namespace ridirodev
