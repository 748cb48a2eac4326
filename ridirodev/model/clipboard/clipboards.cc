#include "ridirodev/model/clipboard/clipboards.h"

#include "ridirodev/model/busyhour/busy_hour.h"
#include "ridirodev/model/busyhour/busy_hours.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/model/filter/template_fields.h"

namespace ridirodev {

template <class Collection, class Item, class Op>
void Clipboard<Collection, Item, Op>::Clear() {
  operation_ = Op{};
  sourceEntities_.reset();
  sourceObject_.reset();
  clipboardFormatId_ = 0;
  StateChange.Raise();
}

template <class Collection, class Item, class Op>
void Clipboard<Collection, Item, Op>::Reset(const std::shared_ptr<Object>& source,
                                            const std::shared_ptr<Object>& objSourceA) {
  operation_ = static_cast<Op>(1);
  if (auto item = std::dynamic_pointer_cast<Item>(source)) {
    auto wrapped = std::make_shared<Collection>();
    wrapped->Add(item);
    sourceEntities_ = std::move(wrapped);
  } else if (auto collection = std::dynamic_pointer_cast<Collection>(source)) {
    sourceEntities_ = std::move(collection);
  }
  if (objSourceA) sourceObject_ = objSourceA;
  StateChange.Raise();
}

template class Clipboard<CFields, CField, EFieldClipboardOperation>;
template class Clipboard<CTemplateFields, CTemplateField, ETemplateFieldClipboardOperation>;
template class Clipboard<CBusyHours, CBusyHour, EBusyHourClipboardOperation>;

}  // namespace ridirodev
