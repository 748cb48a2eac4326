#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "ridirodev/core/keyed_collection.h"
#include "ridirodev/core/object.h"
#include "ridirodev/host/items.h"

namespace ridirodev {

class CAppGroupTemplate;
class CBusyHour;
class CBusyHours;
class MRidirodev;
class CField;
class CFields;
class IDBRecordset;

// One entity type of an application's hierarchy: the node under which its fields are held.
class CFieldCategory : public Object, public std::enable_shared_from_this<CFieldCategory> {
 public:
  CFieldCategory();
  ~CFieldCategory() override;

  void Initialize(int32_t iEntityId, const std::string& sEntityA, const std::string& sAppName, int32_t iParentId,
                  const std::string& sDescriptionA, bool fCanSumA, bool fCanRptA, bool fAllowReparentingA,
                  std::shared_ptr<CFields> fldsA, const std::string& sLabelA, const std::string& sContextEntityLabelA);
  void InitializeFromRS(const std::string& sAppNameA, const IDBRecordset& rst);
  // The same for the loads, which hold the state already.
  void Initialize(MRidirodev& state, int32_t iEntityId, const std::string& sEntityA, const std::string& sAppName,
                  int32_t iParentId, const std::string& sDescriptionA, bool fCanSumA, bool fCanRptA,
                  bool fAllowReparentingA, std::shared_ptr<CFields> fldsA, const std::string& sLabelA,
                  const std::string& sContextEntityLabelA);
  void InitializeFromRS(MRidirodev& state, const std::string& sAppNameA, const IDBRecordset& rst);
  std::shared_ptr<CFieldCategory> Clone() const;

  const std::string& Key() const noexcept { return key_; }
  int32_t Id() const noexcept { return id_; }
  int32_t ParentId() const noexcept { return parentId_; }
  const std::string& ParentKey() const noexcept { return parentKey_; }
  const std::string& CategoryEntity() const noexcept { return entity_; }
  const std::string& Label() const noexcept { return label_; }
  void SetLabel(std::string label) { label_ = std::move(label); }
  // The label under the extended entity views, else the entity name: the name in field keys.
  std::string CategoryName() const;
  const std::string& ContextEntityLabel() const noexcept { return contextEntityLabel_; }
  std::string HierarchyLabel() const;
  const std::string& Description() const noexcept { return description_; }
  bool CanSum() const noexcept { return canSum_; }
  bool CanRpt() const noexcept { return canRpt_; }
  bool AllowReparenting() const noexcept { return allowReparenting_; }
  const std::string& AppName() const noexcept { return appName_; }
  std::shared_ptr<CFieldCategory> Parent() const { return parent_.lock(); }
  void SetParent(const std::shared_ptr<CFieldCategory>& parent) { parent_ = parent; }
  std::shared_ptr<CAppGroupTemplate> Template() const { return template_.lock(); }
  // The template, or the missing-object error (91) when it is gone or was never found.
  CAppGroupTemplate& RequireTemplate() const;

  bool IsRoot() const;
  bool IsRoot(MRidirodev& state) const;

  // The template's views of this entity.
  std::shared_ptr<CFields> Fields();
  std::shared_ptr<KeyedCollection<std::string>> FieldKeys();
  std::shared_ptr<CFields> StaticFields();
  std::shared_ptr<CFields> Expressions();
  // Inherited key fields first (outermost ancestor first), then this entity's; built once.
  std::shared_ptr<CFields> KeyFields();
  // Loaded anew on every call.
  std::shared_ptr<CFields> CommonFields();

  // Editing: each writes to the database first, then brings the template's cached view up to
  // date, then announces the change with this category's id. A failing write leaves the caches
  // and the listeners untouched.
  //
  // InsertUDC and UpdateUDC report their own failures; these two answer false then.
  bool AddExpression(const std::shared_ptr<CField>& fld);
  void RenameExpression(const std::shared_ptr<CField>& fld, const std::string& sNewname);
  bool UpdateExpression(const std::shared_ptr<CField>& fld);
  // Replaces the cached copy of fld; nothing is written.
  void UpdateField(const std::shared_ptr<CField>& fld);
  void AddCommonField(const std::shared_ptr<CField>& fld);
  void UpdateCommonField(const std::shared_ptr<CField>& fld);
  // Asks the user about each field; a field that fails to delete is shown and the rest go on.
  void DeleteCommonFields(const std::shared_ptr<CFields>& fldsA);
  // All of the entity's fields read again.
  void ReSetFields();
  // The entity's expressions read again.
  void ReloadFields();

  // Copies of the Traffic category's busy hours and summations, read on first use and cached;
  // error 91 for a category of another application.
  std::shared_ptr<CBusyHours> BusyHours();
  std::shared_ptr<CBusyHours> Summations();
  // The cache dropped and read again.
  void ReloadBusyHours();
  void ReloadSummations();
  // The cache holds a clone of bh. Errors are reported to the host and not raised.
  void AddBusyHour(const std::shared_ptr<CBusyHour>& bh);
  void UpdateBusyHour(const std::shared_ptr<CBusyHour>& bh);
  // Only the busy hours held in the cache are deleted; the notice names those removed.
  void DeleteBusyHours(const std::shared_ptr<CBusyHours>& bhsA);
  // Every busy hour given gets the new owner, cached or not; the notice carries bhsA.
  void ChangeBusyHourOwner(const std::shared_ptr<CBusyHours>& bhsA, int32_t ordNewUser);
  void AddSummation(const std::shared_ptr<CBusyHour>& bh);
  void UpdateSummation(const std::shared_ptr<CBusyHour>& bh);
  void DeleteSummations(const std::shared_ptr<CBusyHours>& bhsA);
  void ChangeSummationOwner(const std::shared_ptr<CBusyHours>& bhsA, int32_t ordNewUser);

  // The host tree's view of this category (its Clone clashes with ours): a new adapter that
  // keeps the category alive as long as the tree holds it.
  ITreeNodeItemPtr TreeItem();
  // The category behind a tree item handed out by TreeItem(), or nullptr for any other item.
  static std::shared_ptr<CFieldCategory> FromTreeItem(const ITreeNodeItem* item);

 private:
  std::string key_;
  int32_t id_ = 0;
  int32_t parentId_ = 0;
  std::string parentKey_;
  std::string entity_;
  std::string label_;
  std::string contextEntityLabel_;
  std::string description_;
  bool canSum_ = false;
  bool canRpt_ = false;
  bool allowReparenting_ = false;
  std::string appName_;
  std::weak_ptr<CFieldCategory> parent_;
  std::weak_ptr<CAppGroupTemplate> template_;
  std::shared_ptr<CFields> commonFields_;
  std::shared_ptr<CFields> keyFields_;
  std::shared_ptr<CBusyHours> busyHours_;
  std::shared_ptr<CBusyHours> summations_;

  // The cache of one kind, made and filled on first use; error 91 outside Traffic.
  CBusyHours& BusyHourCache(MRidirodev& state, bool fSummation);
  void ReloadBusyHourCache(MRidirodev& state, bool fSummation);
  void AddToBusyHourCache(MRidirodev& state, bool fSummation, const std::shared_ptr<CBusyHour>& bh);
  void UpdateInBusyHourCache(MRidirodev& state, bool fSummation, const std::shared_ptr<CBusyHour>& bh);
  void DeleteFromBusyHourCache(MRidirodev& state, bool fSummation, const std::shared_ptr<CBusyHours>& bhsA);
  void ChangeOwnerInBusyHourCache(MRidirodev& state, bool fSummation, const std::shared_ptr<CBusyHours>& bhsA,
                                  int32_t ordNewUser);
};
using CFieldCategoryPtr = std::shared_ptr<CFieldCategory>;

// The adapter behind CFieldCategory::TreeItem(): what a host tree node holds for a category.
// Copy and Clear are not supported and only log.
class CFieldCategoryTreeItem final : public Object, public ITreeNodeItem {
 public:
  explicit CFieldCategoryTreeItem(CFieldCategoryPtr category) : category_(std::move(category)) {}

  const CFieldCategoryPtr& Category() const noexcept { return category_; }

  ITreeNodeItemPtr Clone() const override;
  void Copy(const ITreeNode& from) override;
  void Clear() override;
  // The host's text comparison of the two keys, unchanged.
  int32_t Compare(const ITreeNodeItem& other) const override;
  std::string Key() const override;

 private:
  CFieldCategoryPtr category_;
};

}  // namespace ridirodev
