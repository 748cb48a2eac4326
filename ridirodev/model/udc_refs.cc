#include "ridirodev/model/udc_refs.h"

#include <set>
#include <unordered_map>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "ridirodev/host/database.h"
#include "ridirodev/host/services.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/field_loads.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/store/closing_recordset.h"
#include "ridirodev/store/dictionary_statements.h"

namespace ridirodev {

namespace {

[[noreturn]] void ObjectNotSet() {
  throw AutomationError(ErrorNumber::kObjectNotSet, "CUDCRefs",
                        "Object variable or With block variable not set");
}

// The first field of each id in collection order: what LookupById finds, without a walk of
// the collection for every dependency.
std::unordered_map<int32_t, CFieldPtr> FirstById(const CFields& flds) {
  std::unordered_map<int32_t, CFieldPtr> byId;
  byId.reserve(static_cast<size_t>(flds.Count()));
  for (const CFieldPtr& fld : flds) byId.emplace(fld->Id(), fld);
  return byId;
}

CFieldPtr FindId(const std::unordered_map<int32_t, CFieldPtr>& byId, const std::string& id) {
  auto found = byId.find(Variant(id).ToInt32());
  return found == byId.end() ? nullptr : found->second;
}

std::string Joined(const std::vector<std::string>& ids) {
  std::string text;
  for (const std::string& id : ids) {
    if (!text.empty()) text += ',';
    text += id;
  }
  return text;
}

// Keys as small numbers, compared without regard to case as the collections compare them.
class KeyNumbers {
 public:
  int32_t Of(const std::string& key) {
    return numbers_.try_emplace(key, static_cast<int32_t>(numbers_.size())).first->second;
  }
  size_t Size() const noexcept { return numbers_.size(); }

 private:
  std::unordered_map<std::string, int32_t, NoCaseHash, NoCaseEqual> numbers_;
};

// Works out the deletion of a set from its dependencies. The two passes are worked from
// indexes instead of repeated scans, so that a chain of many thousand calculations takes
// near-linear time, with the same result order and the same dependencies left over:
// - blocking: the keys removed from the candidates are the closure of "a parent that is not a
//   candidate blocks its child", which does not depend on the order the scans find them in;
// - release: each scan from the last candidate to the first releases, in falling position,
//   every candidate that no remaining dependency uses when the scan reaches it.
class DeletionPlan {
 public:
  DeletionPlan(const CFields& candidates, const std::vector<CUDCRefPtr>& deps) : deps_(deps) {
    for (const CFieldPtr& fld : candidates) {
      const int32_t key = keys_.Of(fld->KeyRef());
      candidateKeys_.push_back(key);
      Grow();
      candidateAt_[static_cast<size_t>(key)] = static_cast<int32_t>(candidateKeys_.size()) - 1;
    }
    for (const CUDCRefPtr& dep : deps_) {
      if (!dep->Child()) ObjectNotSet();  // every pass looks at every child
      parentKeys_.push_back(dep->Parent() ? keys_.Of(dep->Parent()->KeyRef()) : -1);
      childKeys_.push_back(keys_.Of(dep->Child()->KeyRef()));
    }
    Grow();
  }

  // The blocking pass. Its scans stop at the first dependency without a parent unless an
  // earlier dependency already blocked that one's child, so that one is reached in order.
  void Block() {
    std::vector<std::vector<int32_t>> usedBy(keys_.Size());  // children of present parents
    for (size_t i = 0; i < deps_.size(); ++i) {
      const int32_t parent = parentKeys_[i];
      const int32_t child = childKeys_[i];
      if (parent < 0) {
        if (!blocked_[static_cast<size_t>(child)]) ObjectNotSet();
      } else if (Present(parent)) {
        usedBy[static_cast<size_t>(parent)].push_back(child);
      } else {
        BlockFrom(child, usedBy);
      }
    }
  }

  // The release pass; the order of release is the deletion order.
  std::vector<int32_t> Release() {
    std::vector<int32_t> uses(keys_.Size(), 0);  // remaining dependencies per child
    std::vector<std::vector<int32_t>> children(keys_.Size());
    for (size_t i = 0; i < deps_.size(); ++i) {
      if (Resolved(i)) continue;
      ++uses[static_cast<size_t>(childKeys_[i])];
      children[static_cast<size_t>(parentKeys_[i])].push_back(childKeys_[i]);
    }
    std::set<int32_t> ready;  // positions of unreleased candidates that nothing uses
    for (size_t at = 0; at < candidateKeys_.size(); ++at) {
      if (Present(candidateKeys_[at]) && uses[static_cast<size_t>(candidateKeys_[at])] == 0) {
        ready.insert(static_cast<int32_t>(at));
      }
    }
    std::vector<int32_t> order;
    // A pass that releases nothing ends the work: the candidates left use each other.
    while (!ready.empty()) {
      auto next = ready.end();
      while (next != ready.begin()) {
        const int32_t at = *--next;
        ready.erase(next);
        const int32_t key = candidateKeys_[static_cast<size_t>(at)];
        order.push_back(at);
        released_[static_cast<size_t>(key)] = true;
        for (int32_t child : children[static_cast<size_t>(key)]) {
          const int32_t childAt = candidateAt_[static_cast<size_t>(child)];
          if (--uses[static_cast<size_t>(child)] == 0 && childAt >= 0 && Present(child))
            ready.insert(childAt);
        }
        // Below this position the scan goes on in this pass; above it, in the next.
        next = ready.lower_bound(at);
      }
    }
    return order;
  }

  // Whether a pass removed the dependency at i from the collection.
  bool Resolved(size_t i) const {
    return blocked_[static_cast<size_t>(childKeys_[i])] || released_[static_cast<size_t>(parentKeys_[i])];
  }

 private:
  void Grow() {
    candidateAt_.resize(keys_.Size(), -1);
    blocked_.resize(keys_.Size(), false);
    released_.resize(keys_.Size(), false);
  }
  bool Present(int32_t key) const {
    return candidateAt_[static_cast<size_t>(key)] >= 0 && !blocked_[static_cast<size_t>(key)];
  }
  // Blocks key and, through the dependencies seen so far, what the blocked keys use.
  void BlockFrom(int32_t key, const std::vector<std::vector<int32_t>>& usedBy) {
    std::vector<int32_t> todo{key};
    while (!todo.empty()) {
      const int32_t k = todo.back();
      todo.pop_back();
      if (blocked_[static_cast<size_t>(k)]) continue;
      // A key that is not a candidate only loses its dependencies; it blocks nothing new.
      const bool wasPresent = Present(k);
      blocked_[static_cast<size_t>(k)] = true;
      if (wasPresent) {
        for (int32_t child : usedBy[static_cast<size_t>(k)]) todo.push_back(child);
      }
    }
  }

  const std::vector<CUDCRefPtr>& deps_;
  KeyNumbers keys_;
  std::vector<int32_t> candidateKeys_;  // by position
  std::vector<int32_t> candidateAt_;    // by key: position among the candidates, or -1
  std::vector<int32_t> parentKeys_;     // by dependency; -1 without a parent
  std::vector<int32_t> childKeys_;
  std::vector<bool> blocked_;   // by key
  std::vector<bool> released_;  // by key
};

}  // namespace

CUDCRefs::CUDCRefs() = default;
CUDCRefs::~CUDCRefs() = default;

void CUDCRefs::SetudcToDelete(std::shared_ptr<CFields> flds) {
  udcToDelete_ = std::move(flds);
  referencing_.reset();
}

void CUDCRefs::Add(CUDCRefPtr udcRef) {
  if (udcRef) items_.AddUnkeyed(std::move(udcRef));
}

void CUDCRefs::LoadReferencingExpressions() {
  if (!udcToDelete_) return;
  referencing_.reset();
  if (udcToDelete_->Count() == 0) return;
  const std::string appName = udcToDelete_->Item(Variant(1))->AppName();
  std::string ids;
  for (const CFieldPtr& fld : *udcToDelete_) {
    if (!ids.empty()) ids += ',';
    ids += std::to_string(fld->Id());
  }

  MRidirodev& state = MRidirodev::Current();
  // Closed also on a stop: the host's row sets hold server cursors until then.
  sql::ClosingRecordset rs(state.Database().OpenRecordset(sql::UDCDependenciesStatement(ids)));
  if (state.FolderServices().StopRequested()) return;
  std::vector<std::string> parents;
  std::vector<std::string> children;
  if (rs) {
    for (; !rs->Eof(); rs->MoveNext()) {
      const Variant parent = rs->Fields().Value("parent_field_id");
      if (parent.IsNull()) continue;
      parents.push_back(parent.ToString());
      children.push_back(rs->Fields().Value("child_field_id").ToString());
    }
  }
  rs.Close();
  if (parents.empty()) return;

  const std::shared_ptr<CFields> loaded = LoadFieldsByIds(state, appName, Joined(parents), false);
  const auto parentById = FirstById(*loaded);
  const auto childById = FirstById(*udcToDelete_);
  for (size_t i = 0; i < parents.size(); ++i) {
    auto udcRef = std::make_shared<CUDCRef>();
    udcRef->SetChild(FindId(childById, children[i]));
    udcRef->SetParent(FindId(parentById, parents[i]));
    Add(std::move(udcRef));
  }
}

std::shared_ptr<CFields> CUDCRefs::ReferencingExpressions() {
  if (referencing_) return referencing_;
  auto found = std::make_shared<CFields>();
  if (udcToDelete_) {
    for (const CUDCRefPtr& udcRef : items_) {
      const CFieldPtr& parent = udcRef->Parent();
      if (!parent) ObjectNotSet();
      if (!udcToDelete_->Exists(Variant(parent->Key()))) found->Add(parent);
    }
  }
  referencing_ = found;
  return found;
}

std::shared_ptr<CFields> CUDCRefs::DeleteableExpressions() {
  LoadReferencingExpressions();
  auto result = std::make_shared<CFields>();
  if (!udcToDelete_) return result;
  const std::shared_ptr<CFields> candidates = udcToDelete_->Clone(true);
  if (items_.empty()) return candidates;

  const std::vector<CUDCRefPtr> deps = items_.Values();
  DeletionPlan plan(*candidates, deps);
  plan.Block();
  const std::vector<int32_t> order = plan.Release();
  // Nothing is removed until both passes have run: a failing one leaves the collection whole.
  items_.Clear();
  for (size_t i = 0; i < deps.size(); ++i) {
    if (!plan.Resolved(i)) items_.AddUnkeyed(deps[i]);
  }
  result->Reserve(order.size());
  for (int32_t at : order) result->Add(candidates->Item(Variant(at + 1)));
  return result;
}

}  // namespace ridirodev
