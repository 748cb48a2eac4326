#include "ridirodev/model/busyhour/busy_hour.h"

#include "ridirodev/core/automation_error.h"
#include "ridirodev/host/database.h"
#include "ridirodev/host/services.h"
#include "ridirodev/model/busyhour/busy_hour_records.h"
#include "ridirodev/model/enums.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/field_categories.h"
#include "ridirodev/model/field_category.h"
#include "ridirodev/model/field_loads.h"
#include "ridirodev/model/keys.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/store/busyhour_persistence.h"

namespace ridirodev {
namespace {

constexpr int32_t kColumnIndexBits = 0xFF;

// The category of an entity in Traffic, which is where busy hours are defined.
std::shared_ptr<CFieldCategory> TrafficCategory(MRidirodev& state, int32_t ordEntity) {
  CFieldCategoriesPtr categories = state.TrafficCategories();
  return categories ? categories->Item(Variant(EntityKey(ordEntity))) : nullptr;
}

// Columns older schemas lack: each is read on its own so that one missing column does not
// keep the others from being read.
template <class Read>
void IgnoringErrors(Read read) {
  try {
    read();
  } catch (const AutomationError&) {
  }
}

bool IsDateColumn(int32_t property) {
  return property == bhModified || property == bhFirstNeeded || property == bhFirstStored ||
         property == bhLastStored;
}

std::string DateText(Date date) { return date.IsZero() ? std::string() : date.GeneralDate(); }

}  // namespace

CBusyHour::CBusyHour() : CBusyHour(MRidirodev::Current()) {}

CBusyHour::CBusyHour(MRidirodev& state) {
  IAppSupport& support = state.Support();
  selection_ = support.CreateHourSelection();
  slotCount_ = support.DaySlotCount(true);
  if (selection_) {
    selection_->Initialize(1);
    selection_->Resize(slotCount_);
  }
}

CBusyHour::~CBusyHour() = default;

int32_t CBusyHour::TypeEntityId() const {
  CFieldCategoryPtr category = category_.lock();
  return category ? category->Id() : 0;
}

void CBusyHour::InitializeNew(int32_t ordTypeEntity, const std::shared_ptr<IAppUser>& dbuA,
                              const std::string& sNameA, const std::string& sDescriptionA,
                              const std::shared_ptr<CField>& fldA, const std::string& sSpanA,
                              Date dateFirstNeededA, int32_t iLowRankA, int32_t iHighRankA,
                              bool fPABH_DefinedA, int32_t ordBhScenarioIdA, const Variant& vDailyRetentionA,
                              const Variant& vWeeklyRetentionA, const Variant& vMonthlyRetentionA) {
  name_ = sNameA;
  description_ = sDescriptionA;
  span_ = sSpanA;
  changed_ = Date::Now();
  firstNeeded_ = dateFirstNeededA;
  pabhDefined_ = fPABH_DefinedA;
  scenarioId_ = ordBhScenarioIdA;
  lowRank_ = iLowRankA;
  highRank_ = iHighRankA;
  dailyRetention_ = vDailyRetentionA;
  weeklyRetention_ = vWeeklyRetentionA;
  monthlyRetention_ = vMonthlyRetentionA;
  retentionKnown_ = true;
  owner_ = dbuA;
  field_ = fldA;
  if (ordTypeEntity > 0) category_ = TrafficCategory(MRidirodev::Current(), ordTypeEntity);
}

void CBusyHour::InitializeFromRow(const sql::BusyHourRow& row) {
  // Without a state every look-up below fails, and a failed look-up leaves its member unset.
  MRidirodev* state = nullptr;
  try {
    state = &MRidirodev::Current();
  } catch (const AutomationError&) {
  }
  FillFromRow(row, state);
}

void CBusyHour::InitializeFromRow(MRidirodev& state, const sql::BusyHourRow& row) { FillFromRow(row, &state); }

void CBusyHour::FillFromRow(const sql::BusyHourRow& row, MRidirodev* state) {
  id_ = row.id;
  name_ = row.name;
  description_ = row.description;
  span_ = row.span;
  changed_ = row.changed;
  firstNeeded_ = row.firstNeeded;
  firstAvail_ = row.firstAvail;
  lastAvail_ = row.lastAvail;
  scenarioId_ = row.scenarioId;
  lowRank_ = row.lowRank;
  highRank_ = row.highRank;
  updateRequired_ = false;
  storedHours_.reset();

  if (row.pabhDefined) pabhDefined_ = *row.pabhDefined;
  if (row.dailyRetention) dailyRetention_ = *row.dailyRetention;
  if (row.weeklyRetention) weeklyRetention_ = *row.weeklyRetention;
  if (row.monthlyRetention) monthlyRetention_ = *row.monthlyRetention;
  retentionKnown_ = row.dailyRetention && row.weeklyRetention && row.monthlyRetention;
  owner_.reset();
  field_.reset();
  category_.reset();
  // The owner, the field and the category are looked up here, while the caller's row set is
  // open; one that cannot be found is left unset.
  if (!state) return;
  IgnoringErrors([&] {
    if (row.userId && *row.userId > 0) owner_ = state->UserById(*row.userId);
  });
  IgnoringErrors([&] {
    const int32_t fieldId = row.fieldId.value_or(0);
    if (fieldId > 0) field_ = LoadFieldById(*state, "Traffic", fieldId, false);
  });
  IgnoringErrors([&] {
    const int32_t entityId = row.clusterEntityId.value_or(0);
    if (entityId > 0) category_ = TrafficCategory(*state, entityId);
  });
}

std::shared_ptr<CBusyHour> CBusyHour::Clone() const {
  auto copy = std::make_shared<CBusyHour>();
  copy->id_ = id_;
  copy->scenarioId_ = scenarioId_;
  copy->name_ = name_;
  copy->description_ = description_;
  copy->changed_ = changed_;
  copy->span_ = span_;
  copy->firstNeeded_ = firstNeeded_;
  copy->firstAvail_ = firstAvail_;
  copy->lastAvail_ = lastAvail_;
  copy->lowRank_ = lowRank_;
  copy->highRank_ = highRank_;
  copy->updateRequired_ = updateRequired_;
  copy->storedHours_ = storedHours_;
  copy->owner_ = owner_;
  copy->field_ = field_;
  copy->category_ = category_;
  copy->pabhDefined_ = pabhDefined_;
  copy->dailyRetention_ = dailyRetention_;
  copy->weeklyRetention_ = weeklyRetention_;
  copy->monthlyRetention_ = monthlyRetention_;
  copy->retentionKnown_ = retentionKnown_;
  // The copy edits its own selection: the slots are copied, never the set.
  if (selection_ && copy->selection_) {
    for (int32_t slot = 1; slot <= slotCount_; ++slot)
      copy->selection_->SetSelected(slot, selection_->Selected(slot));
  }
  return copy;
}

std::string CBusyHour::Category() const {
  if (field_) return field_->Category();
  CFieldCategoryPtr category = category_.lock();
  if (!category) return "";
  return MRidirodev::Current().Support().ExtendedEntityViews() ? category->CategoryEntity()
                                                               : category->CategoryName();
}

std::string CBusyHour::Field() const { return field_ ? std::string(field_->Name()) : std::string(); }

int32_t CBusyHour::FieldId() const { return field_ ? field_->Id() : 0; }

void CBusyHour::SetFieldId(int32_t ord) {
  if (ord == FieldId()) return;
  field_ = LoadFieldById(MRidirodev::Current(), "Traffic", ord, false);
}

std::string CBusyHour::BusyHourType() const {
  if (!field_) return "Summation";
  // A definition read without its category still has its field's.
  CFieldCategoryPtr category = category_.lock();
  if (!category) category = field_->FieldCategory();
  return BusyHourTypeName(category ? category->CategoryName() : std::string());
}

std::string CBusyHour::Key() const { return BusyHourKey(id_); }

int32_t CBusyHour::UserId() const { return owner_ ? owner_->Id() : 0; }

void CBusyHour::SetUserId(int32_t ord) {
  if (ord > 0) owner_ = MRidirodev::Current().UserById(ord);
}

std::string CBusyHour::SpanEx() const {
  if (span_ == "D") return "Daily";
  if (span_ == "W") return "Weekly";
  if (span_ == "M") return "Monthly";
  return "";
}

// Runs of slot numbers, as slots are picked (at 24 slots a day or fewer the hours themselves),
// whatever the host stores for them.
std::string CBusyHour::Hours() const {
  if (!selection_) return "";
  IDBObject& db = MRidirodev::Current().Database();
  std::string text;
  int32_t start = 1;
  for (;;) {
    const SlotRun run = sql::NextStoredHourRun(db, *selection_, start).slots;
    // A run that does not move forward would never end the walk.
    if (run.first < 1 || run.last < start) break;
    if (!text.empty()) text += ',';
    text += std::to_string(run.first) + "-" + std::to_string(run.last);
    start = run.last + 1;
  }
  return text;
}

int32_t CBusyHour::SelectedCount() const { return selection_ ? selection_->SelectedCount() : 0; }

bool CBusyHour::Selected(int32_t Index) const { return selection_ && selection_->Selected(Index); }

void CBusyHour::SetSelected(int32_t Index, bool selected) {
  if (!selection_) {
    throw AutomationError(ErrorNumber::kObjectNotSet, "CBusyHour",
                          "Object variable or With block variable not set");
  }
  selection_->SetSelected(Index, selected);
}

void CBusyHour::NoteStoredHours() {
  if (!selection_) return;
  storedHours_.emplace();
  for (int32_t i = 0; i < selection_->Count(); ++i)
    storedHours_->push_back(selection_->Selected(selection_->FirstIndex() + i));
}

bool CBusyHour::StoredHoursChanged() const {
  if (!storedHours_ || !selection_ || std::ssize(*storedHours_) != selection_->Count()) return true;
  for (int32_t i = 0; i < selection_->Count(); ++i) {
    if ((*storedHours_)[static_cast<size_t>(i)] != selection_->Selected(selection_->FirstIndex() + i))
      return true;
  }
  return false;
}

std::string CBusyHour::OwnerName() const { return owner_ ? owner_->Name() : std::string(); }

bool CBusyHour::IsFilterOK(const std::string& sTypeFilter, const std::string& sOwnerFilter,
                           const std::string& sSpanFilter) const {
  if (!sTypeFilter.empty() && BusyHourType() != sTypeFilter) return false;
  if (!sOwnerFilter.empty() && OwnerName() != sOwnerFilter) return false;
  return sSpanFilter.empty() || sSpanFilter.find(span_) != std::string::npos;
}

Variant CBusyHour::LoadBusyHourById(int32_t ord) {
  id_ = ord;
  ridirodev::LoadBusyHourById(MRidirodev::Current(), *this, ord, true);
  return Variant();
}

Variant CBusyHour::Value(int32_t column) const {
  switch (column & ~kColumnIndexBits) {
    case bhName:
      return Variant(name_);
    case bhEntity:
      return Variant(Category());
    case bhType:
      return Variant(BusyHourType());
    case bhField:
      return Variant(Field());
    case bhModified:
      return Variant(DateText(changed_));
    case bhDescription:
      return Variant(description_);
    case bhFirstNeeded:
      return Variant(DateText(firstNeeded_));
    case bhFirstStored:
      return Variant(DateText(firstAvail_));
    case bhLastStored:
      return Variant(DateText(lastAvail_));
    case bhOwner:
      return Variant(OwnerName());
    case bhHours:
      return Variant(Hours());
    case bhSpan:
      return Variant(SpanEx());
    default:
      return Variant(std::string());
  }
}

int32_t CBusyHour::Compare(int32_t column, const ILVItemObject& other) const {
  const int32_t property = column & ~kColumnIndexBits;
  const auto* bh = dynamic_cast<const CBusyHour*>(&other);
  IAppSupport& support = MRidirodev::Current().Support();
  if (IsDateColumn(property)) {
    if (!bh) return 0;
    // The stored dates, not their text: the text does not sort by time.
    auto date = [property](const CBusyHour& b) {
      switch (property) {
        case bhModified:
          return b.changed_;
        case bhFirstNeeded:
          return b.firstNeeded_;
        case bhFirstStored:
          return b.firstAvail_;
        default:
          return b.lastAvail_;
      }
    };
    return support.CompareDate(date(*this), date(*bh));
  }
  switch (property) {
    case bhName:
    case bhEntity:
    case bhType:
    case bhField:
    case bhDescription:
    case bhOwner:
    case bhHours:
    case bhSpan:
      return support.CompareText(Value(column).ToString(), other.Value(column).ToString(), 0);
    default:
      return 0;
  }
}

}  // namespace ridirodev
