#pragma once

// The dependencies between user-defined calculations: which calculations outside a set use
// members of it, and in which order the set can be deleted.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "ridirodev/core/keyed_collection.h"
#include "ridirodev/core/object.h"
#include "ridirodev/core/variant.h"

namespace ridirodev {

class CField;
class CFields;

// One use of a calculation by another: Parent uses Child.
class CUDCRef : public Object {
 public:
  const std::shared_ptr<CField>& Parent() const noexcept { return parent_; }
  void SetParent(std::shared_ptr<CField> fld) noexcept { parent_ = std::move(fld); }
  const std::shared_ptr<CField>& Child() const noexcept { return child_; }
  void SetChild(std::shared_ptr<CField> fld) noexcept { child_ = std::move(fld); }

 private:
  std::shared_ptr<CField> parent_;
  std::shared_ptr<CField> child_;
};
using CUDCRefPtr = std::shared_ptr<CUDCRef>;

// The dependencies whose child is in udcToDelete, appended by position (no keys).
class CUDCRefs : public Object {
 public:
  CUDCRefs();
  ~CUDCRefs() override;

  const std::shared_ptr<CFields>& udcToDelete() const noexcept { return udcToDelete_; }
  // Replaces the set; the referencing expressions are worked out again on the next read.
  void SetudcToDelete(std::shared_ptr<CFields> flds);

  // Appends the dependencies of the set's members as the database holds them (nothing without
  // a set). Dependencies already held stay.
  void LoadReferencingExpressions();
  // The parents outside the set, in dependency order, once per load or set change;
  // error 91 for a dependency without a parent.
  std::shared_ptr<CFields> ReferencingExpressions();
  // Loads again, then the members of the set that no calculation outside the deletable part
  // uses, each before every calculation it uses. Members that use each other in a cycle are
  // left out. The dependencies it resolves are removed from the collection; error 91 for a
  // dependency without parent or child that it must look at, before anything is removed.
  std::shared_ptr<CFields> DeleteableExpressions();

  // A null reference is ignored; the same reference may be added twice.
  void Add(CUDCRefPtr udcRef);
  int32_t Count() const { return items_.Count(); }
  // Positions only: a text is never found (5), a bad position gives 9.
  void Remove(const Variant& v) { items_.Remove(v); }
  void Clear() noexcept { items_.Clear(); }
  CUDCRefPtr Item(const Variant& v) const { return items_.Item(v); }
  bool Exists(const Variant& v) const { return items_.Exists(v); }
  std::shared_ptr<KeyedEnumerator<CUDCRefPtr>> NewEnum() const { return items_.NewEnum(); }
  KeyedCollection<CUDCRefPtr>::const_iterator begin() const { return items_.begin(); }
  KeyedCollection<CUDCRefPtr>::const_iterator end() const { return items_.end(); }

 private:
  KeyedCollection<CUDCRefPtr> items_;
  std::shared_ptr<CFields> udcToDelete_;
  std::shared_ptr<CFields> referencing_;
};
using CUDCRefsPtr = std::shared_ptr<CUDCRefs>;

}  // namespace ridirodev
