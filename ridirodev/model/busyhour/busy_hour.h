#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ridirodev/core/date.h"
#include "ridirodev/core/object.h"
#include "ridirodev/core/variant.h"
#include "ridirodev/host/controls.h"
#include "ridirodev/host/items.h"

namespace ridirodev {

class CField;
class CFieldCategory;
class MRidirodev;
class IAppUser;
namespace sql {
struct BusyHourRow;
}  // namespace sql

// One busy-hour definition: the day slots over which a counter field's busiest period is found
// for an entity type. Without a field it is a summation. It writes nothing itself: the
// category's operations store it.
class CBusyHour : public Object, public ILVItemObject {
 public:
  // Makes its own hour selection, sized to the host's day slots.
  CBusyHour();
  explicit CBusyHour(MRidirodev& state);
  ~CBusyHour() override;

  int32_t Id() const noexcept { return id_; }
  // For the store, once the definition's row is written.
  void SetId(int32_t id) noexcept { id_ = id; }
  int32_t BhScenarioId() const noexcept { return scenarioId_; }
  void SetBhScenarioId(int32_t id) noexcept { scenarioId_ = id; }
  // The category's id, or 0.
  int32_t TypeEntityId() const;

  // A new definition: Changed becomes now, Id stays as it is. The category is the Traffic
  // category of ordTypeEntity when that is above 0, else it is left as it was.
  void InitializeNew(int32_t ordTypeEntity, const std::shared_ptr<IAppUser>& dbuA, const std::string& sNameA,
                     const std::string& sDescriptionA, const std::shared_ptr<CField>& fldA,
                     const std::string& sSpanA, Date dateFirstNeededA, int32_t iLowRankA, int32_t iHighRankA,
                     bool fPABH_DefinedA, int32_t ordBhScenarioIdA, const Variant& vDailyRetentionA,
                     const Variant& vWeeklyRetentionA, const Variant& vMonthlyRetentionA);
  // One PM_BusyHour row. The later columns (PABH, retention) change their members only when the
  // row has them; an owner, field or category that cannot be found is left unset. The hours are
  // not read.
  void InitializeFromRow(const sql::BusyHourRow& row);
  void InitializeFromRow(MRidirodev& state, const sql::BusyHourRow& row);
  // Every member copied, the same field, category and owner, the selection copied slot by slot.
  std::shared_ptr<CBusyHour> Clone() const;

  // The field's Category text; without a field the category's entity (extended views) or name.
  std::string Category() const;
  // The field's name, or "".
  std::string Field() const;
  int32_t FieldId() const;
  // A new id looks the field up in Traffic; the same id keeps the field object.
  void SetFieldId(int32_t ord);
  const std::shared_ptr<CField>& FieldObject() const noexcept { return field_; }
  // The category is held weakly: categories own their busy hours.
  std::shared_ptr<CFieldCategory> CategoryObject() const { return category_.lock(); }

  Date Changed() const noexcept { return changed_; }
  void SetChanged(Date d) noexcept { changed_ = d; }
  Date FirstNeeded() const noexcept { return firstNeeded_; }
  void SetFirstNeeded(Date d) noexcept { firstNeeded_ = d; }
  Date FirstAvail() const noexcept { return firstAvail_; }
  Date LastAvail() const noexcept { return lastAvail_; }
  bool UpdateRequired() const noexcept { return updateRequired_; }
  void SetUpdateRequired(bool f) noexcept { updateRequired_ = f; }
  bool PABH_Defined() const noexcept { return pabhDefined_; }
  void SetPABH_Defined(bool f) noexcept { pabhDefined_ = f; }
  const std::string& Description() const noexcept { return description_; }
  void SetDescription(std::string s) { description_ = std::move(s); }
  const std::string& Name() const noexcept { return name_; }
  void SetName(std::string s) { name_ = std::move(s); }
  // "<category name> Busy Hour", or "Summation" without a field.
  std::string BusyHourType() const;
  // "BH" and the id.
  std::string Key() const override;
  // The owner's id, or 0. Writing a value above 0 makes that user the owner; 0 or less is ignored.
  int32_t UserId() const;
  void SetUserId(int32_t ord);
  int32_t LowRank() const noexcept { return lowRank_; }
  void SetLowRank(int32_t n) noexcept { lowRank_ = n; }
  int32_t HighRank() const noexcept { return highRank_; }
  void SetHighRank(int32_t n) noexcept { highRank_ = n; }
  // "Daily", "Weekly", "Monthly" for D, W, M; "" for any other span.
  std::string SpanEx() const;
  // The selected slots as runs, "1-3,7-7"; "" when none.
  std::string Hours() const;
  const std::string& Span() const noexcept { return span_; }
  void SetSpan(std::string s) { span_ = std::move(s); }
  int32_t SelectedCount() const;
  // Slot Index, the first slot being 1.
  bool Selected(int32_t Index) const;
  void SetSelected(int32_t Index, bool selected);
  const IHourSelectionPtr& SelectedHours() const noexcept { return selection_; }
  // The given selection is shared, not copied.
  void SetSelectedHours(IHourSelectionPtr selection) { selection_ = std::move(selection); }
  // Notes the selection as the one the stored hour ranges stand for (after they are read or
  // written); reading the row of a definition forgets it.
  void NoteStoredHours();
  // False only while the selection is the one noted, so that an edit of other values leaves
  // ranges read at another day-slot setting as they are stored.
  bool StoredHoursChanged() const;
  std::string OwnerName() const;
  const std::shared_ptr<IAppUser>& Owner() const noexcept { return owner_; }
  // Type exact, owner exact, span within the span filter; an empty filter passes everything.
  bool IsFilterOK(const std::string& sTypeFilter = "", const std::string& sOwnerFilter = "",
                  const std::string& sSpanFilter = "") const;
  // Sets Id, then reads the stored definition with its hours.
  Variant LoadBusyHourById(int32_t ord);
  const Variant& DailyRetention() const noexcept { return dailyRetention_; }
  void SetDailyRetention(Variant v) {
    dailyRetention_ = std::move(v);
    retentionKnown_ = true;
  }
  const Variant& WeeklyRetention() const noexcept { return weeklyRetention_; }
  void SetWeeklyRetention(Variant v) {
    weeklyRetention_ = std::move(v);
    retentionKnown_ = true;
  }
  const Variant& MonthlyRetention() const noexcept { return monthlyRetention_; }
  void SetMonthlyRetention(Variant v) {
    monthlyRetention_ = std::move(v);
    retentionKnown_ = true;
  }
  // Whether the retention values are the stored ones or set since: false after a read whose
  // row set had no retention columns.
  bool RetentionKnown() const noexcept { return retentionKnown_; }

  // ILVItemObject: columns are EBHProperty codes, their low 8 bits ignored.
  Variant Value(int32_t column) const override;
  std::string ValueList(int32_t, const std::string&) const override { return ""; }
  int32_t Compare(int32_t column, const ILVItemObject& other) const override;

 private:
  // The row's members; the look-ups need the state, and without one they are left unset.
  void FillFromRow(const sql::BusyHourRow& row, MRidirodev* state);

  int32_t id_ = 0;
  int32_t scenarioId_ = 0;
  std::string name_;
  std::string description_;
  Date changed_;
  std::string span_;
  Date firstNeeded_;
  Date firstAvail_;
  Date lastAvail_;
  int32_t lowRank_ = 0;
  int32_t highRank_ = 0;
  IHourSelectionPtr selection_;
  int32_t slotCount_ = 0;  // the day slots at construction
  std::optional<std::vector<bool>> storedHours_;
  bool updateRequired_ = false;
  std::shared_ptr<IAppUser> owner_;
  std::shared_ptr<CField> field_;
  std::weak_ptr<CFieldCategory> category_;
  bool pabhDefined_ = false;
  Variant dailyRetention_;
  Variant weeklyRetention_;
  Variant monthlyRetention_;
  bool retentionKnown_ = true;
};
using CBusyHourPtr = std::shared_ptr<CBusyHour>;

}  // namespace ridirodev
