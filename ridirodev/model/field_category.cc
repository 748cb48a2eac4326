#include "ridirodev/model/field_category.h"

#include <string_view>
#include <unordered_set>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "ridirodev/host/database.h"
#include "ridirodev/host/services.h"
#include "ridirodev/model/app_group_template.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/field_loads.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/model/keys.h"
#include "ridirodev/model/m_ridirodev.h"

namespace ridirodev {
namespace {

constexpr std::string_view kClassName = "CFieldCategory";

bool ExtendedViews(MRidirodev& state) { return state.Support().ExtendedEntityViews(); }

[[noreturn]] void ThrowObjectNotSet() {
  throw AutomationError(ErrorNumber::kObjectNotSet, std::string(kClassName),
                        "Object variable or With block variable not set");
}

// Reads a column that older schemas lack; a missing or unreadable column leaves the default.
template <class Read>
void ReadOptional(const IDBFields& fields, std::string_view column, Read read) {
  try {
    read(fields.Value(column));
  } catch (const AutomationError&) {
  }
}

}  // namespace

CFieldCategory::CFieldCategory() = default;
CFieldCategory::~CFieldCategory() = default;

void CFieldCategory::Initialize(int32_t iEntityId, const std::string& sEntityA, const std::string& sAppName,
                                int32_t iParentId, const std::string& sDescriptionA, bool fCanSumA, bool fCanRptA,
                                bool fAllowReparentingA, std::shared_ptr<CFields> fldsA, const std::string& sLabelA,
                                const std::string& sContextEntityLabelA) {
  Initialize(MRidirodev::Current(), iEntityId, sEntityA, sAppName, iParentId, sDescriptionA, fCanSumA, fCanRptA,
             fAllowReparentingA, std::move(fldsA), sLabelA, sContextEntityLabelA);
}

void CFieldCategory::Initialize(MRidirodev& state, int32_t iEntityId, const std::string& sEntityA,
                                const std::string& sAppName, int32_t iParentId, const std::string& sDescriptionA,
                                bool fCanSumA, bool fCanRptA, bool fAllowReparentingA,
                                std::shared_ptr<CFields> fldsA, const std::string& sLabelA,
                                const std::string& sContextEntityLabelA) {
  id_ = iEntityId;
  key_ = EntityKey(iEntityId);
  parentId_ = iParentId;
  parentKey_ = EntityKey(iParentId);
  entity_ = sEntityA;
  appName_ = sAppName;
  description_ = sDescriptionA;
  canSum_ = fCanSumA;
  canRpt_ = fCanRptA;
  allowReparenting_ = fAllowReparentingA;
  commonFields_ = std::move(fldsA);
  label_ = sLabelA;
  contextEntityLabel_ = sContextEntityLabelA;
  template_ = state.AppGroupTemplate(sAppName);
}

void CFieldCategory::InitializeFromRS(const std::string& sAppNameA, const IDBRecordset& rst) {
  InitializeFromRS(MRidirodev::Current(), sAppNameA, rst);
}

void CFieldCategory::InitializeFromRS(MRidirodev& state, const std::string& sAppNameA, const IDBRecordset& rst) {
  IDBObject& db = state.Database();
  const IDBFields& f = rst.Fields();
  std::string label;
  std::string contextLabel;
  bool allowReparenting = false;
  ReadOptional(f, "Entity_Label", [&](const Variant& v) { label = db.FieldText(v); });
  ReadOptional(f, "Context_Entity_Label", [&](const Variant& v) { contextLabel = db.FieldText(v); });
  // The column holds a "Y"/"N" flag in the dictionary schema; a true Boolean or number is
  // taken as it is.
  ReadOptional(f, "AllowReparenting", [&](const Variant& v) {
    allowReparenting = v.IsString() ? db.FieldFlag(Variant(ToUpper(v.StringRef()))) : v.ToBool();
  });
  const int32_t id = db.FieldNumberOr(f.Value("Entity_Id"), 0);
  const std::string entity = db.FieldText(f.Value("Entity_Name"));
  const int32_t parentId = db.FieldNumber(f.Value("Parent_Entity_Id"));
  const std::string description = db.FieldText(f.Value("Entity_Desc"));
  const bool canSum = db.FieldFlag(Variant(ToUpper(db.FieldText(f.Value("Can_Sum")))));
  const bool canRpt = db.FieldFlag(Variant(ToUpper(db.FieldText(f.Value("can_rpt")))));
  Initialize(state, id, entity, sAppNameA, parentId, description, canSum, canRpt, allowReparenting, nullptr, label,
             contextLabel);
}

std::shared_ptr<CFieldCategory> CFieldCategory::Clone() const {
  auto copy = std::make_shared<CFieldCategory>();
  copy->Initialize(id_, entity_, appName_, parentId_, description_, canSum_, canRpt_, allowReparenting_,
                   commonFields_ ? commonFields_->Clone(true) : nullptr, label_, contextEntityLabel_);
  return copy;
}

std::string CFieldCategory::CategoryName() const { return ExtendedViews(MRidirodev::Current()) ? label_ : entity_; }

std::string CFieldCategory::HierarchyLabel() const {
  std::string text = CategoryName();
  if (!contextEntityLabel_.empty()) text += " (" + contextEntityLabel_ + ")";
  return text;
}

bool CFieldCategory::IsRoot() const { return IsRoot(MRidirodev::Current()); }

bool CFieldCategory::IsRoot(MRidirodev& state) const {
  if (ExtendedViews(state)) return ToUpper(TrimBlanks(label_)) == "SYSTEM";
  return parentId_ == 0;
}

CAppGroupTemplate& CFieldCategory::RequireTemplate() const {
  CAppGroupTemplatePtr tpl = Template();
  if (!tpl) ThrowObjectNotSet();
  return *tpl;  // the global template collection keeps it alive
}

std::shared_ptr<CFields> CFieldCategory::Fields() {
  return RequireTemplate().Fields(id_);
}

std::shared_ptr<KeyedCollection<std::string>> CFieldCategory::FieldKeys() {
  return RequireTemplate().FieldKeys(id_);
}

std::shared_ptr<CFields> CFieldCategory::StaticFields() {
  return RequireTemplate().StaticFields(id_);
}

std::shared_ptr<CFields> CFieldCategory::Expressions() {
  return RequireTemplate().Expressions(id_);
}

std::shared_ptr<CFields> CFieldCategory::KeyFields() {
  if (keyFields_) return keyFields_;
  // The ancestors whose own key fields come first, nearest first. The walk is iterative and
  // stops at a category seen before, so a parent chain that loops cannot hang it; it also
  // stops at an ancestor that already built its key fields, which hold everything above it.
  std::vector<CFieldCategory*> ancestors;
  std::shared_ptr<CFields> inherited;
  std::unordered_set<const CFieldCategory*> seen{this};
  // A parent that was never linked (absent from the hierarchy, or cut out of a loop) is the
  // missing-object error, not a silent loss of the inherited keys.
  auto parentOf = [](const CFieldCategory& category) {
    if (category.ParentId() == 0) return CFieldCategoryPtr();
    CFieldCategoryPtr parent = category.Parent();
    if (!parent) ThrowObjectNotSet();
    return parent;
  };
  CFieldCategoryPtr current = parentOf(*this);
  while (current && seen.insert(current.get()).second) {
    if (current->keyFields_) {
      inherited = current->keyFields_;
      break;
    }
    ancestors.push_back(current.get());
    current = parentOf(*current);
  }
  auto result = std::make_shared<CFields>();
  if (inherited) result->AddAll(*inherited);
  auto addOwn = [&result](const CFieldCategory& category) {
    result->AddAll(*category.RequireTemplate().KeyFields(category.Id()));
  };
  for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it) addOwn(**it);
  addOwn(*this);
  keyFields_ = result;
  return keyFields_;
}

std::shared_ptr<CFields> CFieldCategory::CommonFields() {
  commonFields_.reset();
  auto fields = std::make_shared<CFields>();
  LoadEntityFields(MRidirodev::Current(), id_, *fields);
  commonFields_ = fields;
  return fields;
}

ITreeNodeItemPtr CFieldCategory::TreeItem() { return std::make_shared<CFieldCategoryTreeItem>(shared_from_this()); }

std::shared_ptr<CFieldCategory> CFieldCategory::FromTreeItem(const ITreeNodeItem* item) {
  const auto* adapter = dynamic_cast<const CFieldCategoryTreeItem*>(item);
  return adapter ? adapter->Category() : nullptr;
}

ITreeNodeItemPtr CFieldCategoryTreeItem::Clone() const { return category_->Clone()->TreeItem(); }

void CFieldCategoryTreeItem::Copy(const ITreeNode& from) {
  (void)from;
  MRidirodev::Current().Support().Log(2, "Ridirodev", kClassName, "ITreeNodeItem_Copy", {"unsupported method called"});
}

void CFieldCategoryTreeItem::Clear() {
  MRidirodev::Current().Support().Log(2, "Ridirodev", kClassName, "ITreeNodeItem_Clear",
                                      {"unsupported method called"});
}

int32_t CFieldCategoryTreeItem::Compare(const ITreeNodeItem& other) const {
  return MRidirodev::Current().Support().CompareText(category_->Key(), other.Key(), 0);
}

std::string CFieldCategoryTreeItem::Key() const { return category_->Key(); }

}  // namespace ridirodev
