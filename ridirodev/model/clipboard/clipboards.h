#pragma once

// The clipboards through which the host's windows drag, copy and paste fields, template fields
// and busy hours: the source puts objects in with Reset, the target reads SourceEntities, and
// the host keeps the id of its private clipboard format on each.

#include <cstdint>
#include <memory>

#include "ridirodev/core/event.h"
#include "ridirodev/core/object.h"
#include "ridirodev/model/enums.h"

namespace ridirodev {

class CField;
class CFields;
class CTemplateField;
class CTemplateFields;
class CBusyHour;
class CBusyHours;

// The one design of the three clipboards: Collection holds the content, Item is the single
// object Reset also takes, Op the enumeration of what is held (0 none, 1 a copy).
template <class Collection, class Item, class Op>
class Clipboard : public Object {
 public:
  Clipboard() = default;
  Clipboard(const Clipboard&) = delete;
  Clipboard& operator=(const Clipboard&) = delete;

  // Empties it, the format id included, and raises StateChange.
  void Clear();
  // Marks a copy. A single Item goes into a new Collection, a Collection is held itself (shared,
  // not copied); any other source, or none, keeps the content held. A source object replaces
  // the one held. Raises StateChange.
  void Reset(const std::shared_ptr<Object>& source, const std::shared_ptr<Object>& objSourceA = nullptr);

  const std::shared_ptr<Collection>& SourceEntities() const noexcept { return sourceEntities_; }
  const std::shared_ptr<Object>& SourceObject() const noexcept { return sourceObject_; }
  Op Operation() const noexcept { return operation_; }
  bool IsEmpty() const noexcept { return operation_ == Op{}; }
  int32_t ClipboardFormatId() const noexcept { return clipboardFormatId_; }
  void SetClipboardFormatId(int32_t id) noexcept { clipboardFormatId_ = id; }

  Event<> StateChange;

 private:
  Op operation_{};
  std::shared_ptr<Collection> sourceEntities_;
  std::shared_ptr<Object> sourceObject_;
  int32_t clipboardFormatId_ = 0;
};

extern template class Clipboard<CFields, CField, EFieldClipboardOperation>;
extern template class Clipboard<CTemplateFields, CTemplateField, ETemplateFieldClipboardOperation>;
extern template class Clipboard<CBusyHours, CBusyHour, EBusyHourClipboardOperation>;

class CFieldClipboard : public Clipboard<CFields, CField, EFieldClipboardOperation> {};
class CTemplateFieldClipboard
    : public Clipboard<CTemplateFields, CTemplateField, ETemplateFieldClipboardOperation> {};
class CBusyHourClipboard : public Clipboard<CBusyHours, CBusyHour, EBusyHourClipboardOperation> {};

using CFieldClipboardPtr = std::shared_ptr<CFieldClipboard>;
using CTemplateFieldClipboardPtr = std::shared_ptr<CTemplateFieldClipboard>;
using CBusyHourClipboardPtr = std::shared_ptr<CBusyHourClipboard>;

}  // namespace ridirodev
