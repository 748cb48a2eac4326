#pragma once

#include <cstdint>
#include <memory>

#include "ridirodev/core/event.h"
#include "ridirodev/core/object.h"
#include "ridirodev/model/enums.h"

namespace ridirodev {

class CFields;
class CBusyHours;
class MRidirodev;

// The one change notifier of the component: every host listener hears every change. Events
// are raised synchronously; a listener may call back into the component.
class CFieldUpdates : public Object {
 public:
  Event<int32_t, std::shared_ptr<CFields>, EAction> FieldsChange;
  Event<bool, int32_t, std::shared_ptr<CBusyHours>, EAction> BusyHourChange;

  void NotityFieldChange(int32_t ordEntity, std::shared_ptr<CFields> flds, EAction action) {
    FieldsChange.Raise(ordEntity, std::move(flds), action);
  }
  void NotityBusyHourChange(bool fSummation, int32_t ordEntity, std::shared_ptr<CBusyHours> bhs, EAction action) {
    BusyHourChange.Raise(fSummation, ordEntity, std::move(bhs), action);
  }
};
using CFieldUpdatesPtr = std::shared_ptr<CFieldUpdates>;

// Announces a change of fields: a CFields goes as it is, a single CField in a new collection
// of its own, anything else (Nothing included) as Nothing.
void NotifyFieldChange(int32_t ordEntity, const std::shared_ptr<Object>& fieldsOrField, EAction action);
// The same for busy hours: a CBusyHours as it is, a single CBusyHour in a new collection.
void NotifyBusyHourChange(bool fSummation, int32_t ordEntity, const std::shared_ptr<Object>& busyHoursOrBusyHour,
                          EAction action);
// The same for callers that hold the state already.
void NotifyFieldChange(MRidirodev& state, int32_t ordEntity, const std::shared_ptr<Object>& fieldsOrField,
                       EAction action);
void NotifyBusyHourChange(MRidirodev& state, bool fSummation, int32_t ordEntity,
                          const std::shared_ptr<Object>& busyHoursOrBusyHour, EAction action);

}  // namespace ridirodev
