// The busy hours and summations of a Traffic category: their caches and the operations that
// change them. Each operation writes first, then brings the cache up to date, then announces.

#include <functional>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/host/error_reports.h"
#include "ridirodev/model/busyhour/busy_hour_records.h"
#include "ridirodev/model/busyhour/busy_hours.h"
#include "ridirodev/model/enums.h"
#include "ridirodev/model/field_category.h"
#include "ridirodev/model/field_updates.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/store/busyhour_persistence.h"

namespace ridirodev {
namespace {

const CBusyHour& Require(const std::shared_ptr<CBusyHour>& bh) {
  if (!bh) {
    throw AutomationError(ErrorNumber::kObjectNotSet, "CFieldCategory",
                          "Object variable or With block variable not set");
  }
  return *bh;
}

// Only Traffic's entities have busy hours: others keep no cache.
void RequireTraffic(const CFieldCategory& category) {
  if (category.AppName() == "Traffic") return;
  throw AutomationError(
      ErrorNumber::kObjectNotSet, "CFieldCategory",
      "Only Traffic entities have busy hours; " + category.CategoryEntity() + " is of " + category.AppName());
}

}  // namespace

CBusyHours& CFieldCategory::BusyHourCache(MRidirodev& state, bool fSummation) {
  RequireTraffic(*this);
  std::shared_ptr<CBusyHours>& cache = fSummation ? summations_ : busyHours_;
  if (!cache) {
    // Kept only once read whole: a failed read is tried again on the next use.
    auto read = std::make_shared<CBusyHours>();
    if (fSummation) {
      LoadCategorySummations(state, *read, id_);
    } else {
      LoadCategoryBusyHours(state, *read, id_);
    }
    cache = std::move(read);
  }
  return *cache;
}

std::shared_ptr<CBusyHours> CFieldCategory::BusyHours() {
  return BusyHourCache(MRidirodev::Current(), false).Clone(true);
}

std::shared_ptr<CBusyHours> CFieldCategory::Summations() {
  return BusyHourCache(MRidirodev::Current(), true).Clone(true);
}

void CFieldCategory::ReloadBusyHourCache(MRidirodev& state, bool fSummation) {
  (fSummation ? summations_ : busyHours_).reset();
  BusyHourCache(state, fSummation);
  NotifyBusyHourChange(state, fSummation, id_, nullptr, eRefreshed);
}

void CFieldCategory::ReloadBusyHours() { ReloadBusyHourCache(MRidirodev::Current(), false); }
void CFieldCategory::ReloadSummations() { ReloadBusyHourCache(MRidirodev::Current(), true); }

// A cache that was never read is left so: its first read finds the stored row.
void CFieldCategory::AddToBusyHourCache(MRidirodev& state, bool fSummation, const std::shared_ptr<CBusyHour>& bh) {
  try {
    Require(bh);
    RequireTraffic(*this);                           // before anything is stored
    if (!InsertBusyHourRecord(state, *bh)) return;  // reported by the insert
    if (const auto& cache = fSummation ? summations_ : busyHours_) cache->Add(bh->Clone());
    NotifyBusyHourChange(state, fSummation, id_, bh, eAdded);
  } catch (...) {
    ReportCurrentError(state.Services());
  }
}

void CFieldCategory::UpdateInBusyHourCache(MRidirodev& state, bool fSummation,
                                           const std::shared_ptr<CBusyHour>& bh) {
  Require(bh);
  RequireTraffic(*this);
  if (!UpdateBusyHourRecord(state, *bh)) return;  // reported by the update
  if (const auto& cache = fSummation ? summations_ : busyHours_) cache->Update(bh->Clone());
  NotifyBusyHourChange(state, fSummation, id_, bh, eUpdate);
}

namespace {

// Runs act, which adds to done each definition it has stored a change of; what was done is
// announced with eChange, also when act stops part-way, before its error goes on.
void AnnounceDone(MRidirodev& state, bool fSummation, int32_t ordEntity, EAction eChange,
                  const std::function<void(CBusyHours& done)>& act) {
  auto done = std::make_shared<CBusyHours>();
  try {
    act(*done);
  } catch (...) {
    try {
      if (done->Count() > 0) NotifyBusyHourChange(state, fSummation, ordEntity, done, eChange);
    } catch (...) {
      // The error that stopped the work is the one to pass on.
    }
    throw;
  }
  if (done->Count() > 0) NotifyBusyHourChange(state, fSummation, ordEntity, done, eChange);
}

}  // namespace

void CFieldCategory::DeleteFromBusyHourCache(MRidirodev& state, bool fSummation,
                                             const std::shared_ptr<CBusyHours>& bhsA) {
  if (!bhsA) return;
  CBusyHours& cache = BusyHourCache(state, fSummation);
  AnnounceDone(state, fSummation, id_, eDeleted, [&](CBusyHours& removed) {
    for (const CBusyHourPtr& bh : *bhsA) {
      CBusyHourPtr cached = bh ? cache.Item(Variant(bh->Key())) : nullptr;
      if (!cached) {
        // A definition of this entity whose field was deleted is in neither cache (their loads
        // read the field's name with it): read by id, it is deleted by id, or it stays for good.
        if (bh && bh->Id() > 0 && bh->TypeEntityId() == id_ && !bh->FieldObject() &&
            !BusyHourCache(state, !fSummation).Exists(Variant(bh->Key()))) {
          sql::DeleteBusyHour(state.Services(), bh->Id());
          removed.Add(bh);
        }
        continue;
      }
      sql::DeleteBusyHour(state.Services(), cached->Id());
      cache.Delete(Variant(cached->Key()));
      removed.Add(cached);
    }
  });
}

void CFieldCategory::ChangeOwnerInBusyHourCache(MRidirodev& state, bool fSummation,
                                                const std::shared_ptr<CBusyHours>& bhsA, int32_t ordNewUser) {
  if (!bhsA) return;
  RequireTraffic(*this);
  const auto& cache = fSummation ? summations_ : busyHours_;
  AnnounceDone(state, fSummation, id_, eOwnerChanged, [&](CBusyHours& changed) {
    for (const CBusyHourPtr& bh : *bhsA) {
      if (!bh) continue;
      sql::UpdateBusyHourOwnerRecord(state.Database(), bh->Id(), ordNewUser);
      bh->SetUserId(ordNewUser);
      if (cache) cache->Update(bh->Clone());
      changed.Add(bh);
    }
  });
}

// The entry points: each looks the state up once and hands it down.
void CFieldCategory::AddBusyHour(const std::shared_ptr<CBusyHour>& bh) {
  AddToBusyHourCache(MRidirodev::Current(), false, bh);
}
void CFieldCategory::AddSummation(const std::shared_ptr<CBusyHour>& bh) {
  AddToBusyHourCache(MRidirodev::Current(), true, bh);
}
void CFieldCategory::UpdateBusyHour(const std::shared_ptr<CBusyHour>& bh) {
  UpdateInBusyHourCache(MRidirodev::Current(), false, bh);
}
void CFieldCategory::UpdateSummation(const std::shared_ptr<CBusyHour>& bh) {
  UpdateInBusyHourCache(MRidirodev::Current(), true, bh);
}
void CFieldCategory::DeleteBusyHours(const std::shared_ptr<CBusyHours>& bhsA) {
  DeleteFromBusyHourCache(MRidirodev::Current(), false, bhsA);
}
void CFieldCategory::DeleteSummations(const std::shared_ptr<CBusyHours>& bhsA) {
  DeleteFromBusyHourCache(MRidirodev::Current(), true, bhsA);
}
void CFieldCategory::ChangeBusyHourOwner(const std::shared_ptr<CBusyHours>& bhsA, int32_t ordNewUser) {
  ChangeOwnerInBusyHourCache(MRidirodev::Current(), false, bhsA, ordNewUser);
}
void CFieldCategory::ChangeSummationOwner(const std::shared_ptr<CBusyHours>& bhsA, int32_t ordNewUser) {
  ChangeOwnerInBusyHourCache(MRidirodev::Current(), true, bhsA, ordNewUser);
}

}  // namespace ridirodev
