#include "ridirodev/model/fields.h"

#include <unordered_set>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/host/controls.h"
#include "ridirodev/host/services.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/m_ridirodev.h"

namespace ridirodev {

bool CFields::IsKeyText(std::string_view text) {
  // Ordinary keys hold ":"; a text that reads as a number is taken as a key too. Any other text
  // can only be a name.
  double number = 0;
  return text.find(':') != std::string_view::npos || Variant::ParseNumber(text, number);
}

std::shared_ptr<CField> CFields::Item(const Variant& v) const {
  if (!v.IsString() || IsKeyText(v.StringRef())) return ObjectCollection::Item(v);
  try {
    MRidirodev::Current().Messages().Report("Internal error for accessing field collection.", true);
    return LookupByName(v.StringRef());
  } catch (const AutomationError&) {
    return nullptr;
  }
}

bool CFields::Exists(const Variant& v) const {
  if (!v.IsString() || IsKeyText(v.StringRef())) return ObjectCollection::Exists(v);
  return LookupByName(v.StringRef()) != nullptr;
}

struct CFields::NameIndex {
  std::unordered_set<std::string> names;
};

void CFields::Add(std::shared_ptr<CField> fld) {
  if (!fld) return;
  // A key without ":" (a common field's bare name) is answered by name, as Exists does; the
  // collection's own duplicate rule covers every other key.
  if (!IsKeyText(fld->KeyRef())) {
    if (!names_) {
      names_ = std::make_shared<NameIndex>();
      for (const CFieldPtr& field : *this) names_->names.emplace(field->Name());
    }
    if (names_->names.contains(fld->KeyRef())) return;
    bareKeys_ = true;
  }
  const int32_t before = Count();
  std::string name(names_ ? fld->Name() : std::string_view());
  ObjectCollection::Add(std::move(fld));
  if (names_ && Count() > before) names_->names.insert(std::move(name));
}

void CFields::AddAll(const CFields& other) {
  if (Count() == 0) {
    ObjectCollection::AddAll(other);  // other already obeys the rule
    bareKeys_ = other.bareKeys_;
    names_.reset();
    return;
  }
  // Only a bare-name key is looked up by name: without one, the collection's own rule is all.
  if (!other.bareKeys_) {
    items_.AppendAll(other.items_);
    names_.reset();  // made again when next needed
    return;
  }
  Reserve(static_cast<size_t>(Count() + other.Count()));
  for (const CFieldPtr& field : other) Add(field);
}

void CFields::Remove(const Variant& index) {
  ObjectCollection::Remove(index);
  names_.reset();  // made again when next needed
}

void CFields::Clear() noexcept {
  ObjectCollection::Clear();
  names_.reset();
}

std::shared_ptr<CFields> CFields::Clone(bool fCopyFields) const {
  auto copy = std::make_shared<CFields>();
  if (fCopyFields) {
    for (const CFieldPtr& field : *this) copy->Add(field->Clone());
  }
  return copy;
}

std::shared_ptr<CField> CFields::LookupByName(const std::string& sName) const {
  for (const CFieldPtr& field : *this) {
    if (field->Name() == sName) return field;
  }
  return nullptr;
}

std::shared_ptr<CField> CFields::LookupById(const Variant& ord) const {
  const int32_t id = ord.ToInt32();
  for (const CFieldPtr& field : *this) {
    if (field->Id() == id) return field;
  }
  return nullptr;
}

std::shared_ptr<CFields> CFields::LookupFieldsByEntityId(const Variant& ord) const {
  const int32_t id = ord.ToInt32();
  auto found = std::make_shared<CFields>();
  for (const CFieldPtr& field : *this) {
    if (field->EntityId() == id) found->Add(field);
  }
  return found;
}

std::string CFields::Table(const std::shared_ptr<IAppPropertySet>& lvps, bool fShowColumnHeadings) const {
  MRidirodev& state = MRidirodev::Current();
  const IAppPropertySetPtr properties = lvps ? lvps : state.DefaultFieldProperties();
  // The renderer only reads during the call: a non-owning view is enough and works for a
  // collection that is not held by a shared_ptr.
  const CFieldsListItems items(CFieldsPtr(CFieldsPtr(), const_cast<CFields*>(this)));
  return properties->RenderTable(items, fShowColumnHeadings, 0, 0, 0, state.Support().TableRendererContext());
}

std::shared_ptr<ILVItemCollection> CFields::ListItems() {
  return std::make_shared<CFieldsListItems>(shared_from_this());
}

ILVItemCollectionPtr CFieldsListItems::Create() const { return fields_->Clone(false)->ListItems(); }

ILVItemObjectPtr CFieldsListItems::Add(ILVItemObjectPtr item) {
  if (!item) return item;
  auto field = std::dynamic_pointer_cast<CField>(item);
  if (!field) throw AutomationError(ErrorNumber::kTypeMismatch, "CFields", "Type mismatch");
  fields_->Add(std::move(field));
  return item;
}

void CFieldsListItems::Delete(const Variant& keyOrIndex) { fields_->Remove(keyOrIndex); }

int32_t CFieldsListItems::Count() const { return fields_->Count(); }

ILVItemObjectPtr CFieldsListItems::Item(const Variant& keyOrIndex) const { return fields_->Item(keyOrIndex); }

}  // namespace ridirodev
