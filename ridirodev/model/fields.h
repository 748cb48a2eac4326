#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "ridirodev/core/object_collection.h"
#include "ridirodev/host/items.h"

namespace ridirodev {

class CField;
class IAppPropertySet;

// The keyed collection of fields passed around the component. A field already present under
// its key, or a null field, is ignored by Add.
class CFields : public ObjectCollection<CField, DuplicateKey::kSkip, MemberKeyRef>,
                public std::enable_shared_from_this<CFields> {
 public:
  // A number, or a text with ":" or that reads as a number, goes to the collection; any other
  // text is taken for a field name (with the internal-error notice to the host).
  std::shared_ptr<CField> Item(const Variant& v) const;
  // True exactly when Item(v) gives a field (without Item's notice to the host).
  bool Exists(const Variant& v) const;
  // A null field, or one whose key Exists already answers for, is ignored.
  void Add(std::shared_ptr<CField> fld);
  // Adds every field of other in order, by Add's rule.
  void AddAll(const CFields& other);
  void Remove(const Variant& index);
  void Clear() noexcept;
  std::shared_ptr<CFields> Clone(bool fCopyFields = true) const;
  std::shared_ptr<CField> LookupByName(const std::string& sName) const;
  // ord holds a number; error 13 when it does not.
  std::shared_ptr<CField> LookupById(const Variant& ord) const;
  std::shared_ptr<CFields> LookupFieldsByEntityId(const Variant& ord) const;
  // The fields as text by the property set's renderer (the default field properties when none).
  std::string Table(const std::shared_ptr<IAppPropertySet>& lvps = nullptr,
                    bool fShowColumnHeadings = true) const;

  // The host list view's view of this collection (its Item and Add clash with ours): Add
  // takes the item as a field, Create gives a new empty CFields, Delete removes.
  std::shared_ptr<ILVItemCollection> ListItems();

 private:
  // Whether a text goes to the keys rather than to the names.
  static bool IsKeyText(std::string_view text);

  // Whether a member keyed by its bare name (a common field) was ever added. Until one is, the
  // members can go into another collection without their names being looked up.
  bool bareKeys_ = false;
  // The members' names, made at the first member keyed by its bare name and kept up from then
  // on: a search of every member for each such Add would make a large load quadratic.
  struct NameIndex;
  std::shared_ptr<NameIndex> names_;
};
using CFieldsPtr = std::shared_ptr<CFields>;

// The adapter behind CFields::ListItems(): what a host list view holds for a field collection.
// It keeps the collection alive as long as the view holds it.
class CFieldsListItems final : public Object, public ILVItemCollection {
 public:
  explicit CFieldsListItems(CFieldsPtr fields) : fields_(std::move(fields)) {}

  const CFieldsPtr& Fields() const noexcept { return fields_; }

  // A new empty CFields.
  ILVItemCollectionPtr Create() const override;
  // Adds the item as a field and returns it; error 13 for an item that is not a field, and a
  // null item is ignored (and returned).
  ILVItemObjectPtr Add(ILVItemObjectPtr item) override;
  void Delete(const Variant& keyOrIndex) override;
  int32_t Count() const override;
  ILVItemObjectPtr Item(const Variant& keyOrIndex) const override;

 private:
  CFieldsPtr fields_;
};

}  // namespace ridirodev
