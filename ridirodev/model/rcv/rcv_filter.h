#pragma once

// The RCV/EMS forms and their fields, by which field lists can be narrowed: a form is named
// by its fields' data in the "RCVFormName" data set, a field within it by its second column
// heading.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "ridirodev/core/object_collection.h"

namespace ridirodev {

class IComboBox;
class IDBObject;

class CRcvField : public Object {
 public:
  // The field's name within its form.
  const std::string& Name() const noexcept { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }
  int32_t Field_Id() const noexcept { return fieldId_; }
  void SetField_Id(int32_t id) noexcept { fieldId_ = id; }
  // Not filled by the load.
  const std::string& FieldName() const noexcept { return fieldName_; }
  void SetFieldName(std::string name) { fieldName_ = std::move(name); }
  int32_t Entity_Id() const noexcept { return entityId_; }
  void SetEntity_Id(int32_t id) noexcept { entityId_ = id; }
  // The entity the field is highlighted under: the mapped entity when the dictionary maps
  // forms to entities, else the field's own.
  const std::string& Entity_Name() const noexcept { return entityName_; }
  void SetEntity_Name(std::string name) { entityName_ = std::move(name); }
  const std::string& FormName() const noexcept { return formName_; }
  void SetFormName(std::string name) { formName_ = std::move(name); }

  const std::string& Key() const noexcept { return name_; }

 private:
  std::string name_;
  int32_t fieldId_ = 0;
  std::string fieldName_;
  int32_t entityId_ = 0;
  std::string entityName_;
  std::string formName_;
};
using CRcvFieldPtr = std::shared_ptr<CRcvField>;

// The fields of a form, keyed by name; the first of a name stays.
using CRcvFields = ObjectCollection<CRcvField, DuplicateKey::kSkip>;
using CRcvFieldsPtr = std::shared_ptr<CRcvFields>;

class CRcvForm : public Object {
 public:
  using const_iterator = CRcvFields::const_iterator;

  const std::string& Name() const noexcept { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }
  const std::string& Key() const noexcept { return name_; }

  // Adds the field under its name unless the form has one of that name. In form ceqface3g a
  // field of entity CellEqFace3GCDMACarrier replaces the one held (and moves to the end): its
  // thresholds exist at more than one entity, and the equipment face's are the ones it means.
  void Add(const CRcvFieldPtr& RcvField);
  bool Exists(const Variant& v) const { return fields_->Exists(v); }
  CRcvFieldPtr Item(const Variant& v) const { return fields_->Item(v); }
  int32_t Count() const noexcept { return fields_->Count(); }
  std::shared_ptr<KeyedEnumerator<CRcvFieldPtr>> NewEnum() const { return fields_->NewEnum(); }
  const_iterator begin() const { return fields_->begin(); }
  const_iterator end() const { return fields_->end(); }
  // The form's own collection, not a copy.
  const CRcvFieldsPtr& RcvFields() const noexcept { return fields_; }

 private:
  std::string name_;
  CRcvFieldsPtr fields_ = std::make_shared<CRcvFields>();
};
using CRcvFormPtr = std::shared_ptr<CRcvForm>;

class CRcvFilter : public Object {
 public:
  using const_iterator = ObjectCollection<CRcvForm, DuplicateKey::kSkip>::const_iterator;

  // Adds the form unless one of its name is held.
  void Add(const CRcvFormPtr& RcvForm) { forms_.Add(RcvForm); }
  bool Exists(const Variant& v) const { return forms_.Exists(v); }
  CRcvFormPtr Item(const Variant& v) const { return forms_.Item(v); }
  int32_t Count() const noexcept { return forms_.Count(); }
  std::shared_ptr<KeyedEnumerator<CRcvFormPtr>> NewEnum() const { return forms_.NewEnum(); }
  const_iterator begin() const { return forms_.begin(); }
  const_iterator end() const { return forms_.end(); }

  // Fills obj with "<RCV/EMS Form>" and every form's name, and selects the first entry.
  // Always false.
  bool PopulateRcvFormCB(IComboBox& obj) const;
  // Fills obj with "<RCV/EMS Field>" and, when form sKey has more than one field, their names,
  // and selects the first entry: with one field there is nothing to choose. Always false.
  bool PopulateRcvFieldCB(const std::string& sKey, IComboBox& obj) const;
  // The entity of the form's first field; "" for an unknown form or one without fields.
  std::string GetEntityFromRcvFormName(const std::string& sKey) const;
  // nullptr when the form or the field does not exist.
  CRcvFieldPtr GetRcvFieldValue(const std::string& sForm, const std::string& sField) const;

  // Adds the forms read from the dictionary, one per run of rows of the same form. An error
  // ends the load and propagates; the forms completed before it stay.
  void Load(IDBObject& db);

 private:
  ObjectCollection<CRcvForm, DuplicateKey::kSkip> forms_;
};
using CRcvFilterPtr = std::shared_ptr<CRcvFilter>;

// The calling thread's shared filter, loaded on first request and kept. A load that fails is
// logged and ends there: what it built is the shared filter, and it is not tried again.
CRcvFilterPtr SharedRcvFilter();

}  // namespace ridirodev
