#include "ridirodev/model/qualifiers.h"

#include <algorithm>
#include <string_view>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "ridirodev/host/database.h"
#include "ridirodev/host/services.h"
#include "ridirodev/model/m_ridirodev.h"

namespace ridirodev {
namespace {

// Text of an optional column: "" when the row set does not have it or cannot give it.
std::string OptionalText(IDBObject& db, const IDBFields& fields, std::string_view column) {
  try {
    return db.FieldText(fields.Value(column));
  } catch (const AutomationError&) {
    return std::string();
  }
}

// Fills the value list with the codes and the label list with "code - name" entries whose
// dashes line up in a fixed-pitch list; both lists keep the collection order.
template <class Members, class CodeOf, class NameOf>
void BuildLists(const Members& members, CodeOf code, NameOf name, std::string& values, std::string& labels) {
  values.clear();
  labels.clear();
  size_t width = 0;
  for (const auto& m : members) width = std::max(width, Utf8Length(code(*m)));
  for (const auto& m : members) {
    const std::string& c = code(*m);
    values += c;
    values += ',';
    labels += c;
    labels.append(width - Utf8Length(c), ' ');
    labels += " - ";
    labels += name(*m);
    labels += ',';
  }
  if (!values.empty()) {
    values.pop_back();
    labels.pop_back();
  }
}

std::string AppTitleOrDefault(MRidirodev& state) {
  try {
    return state.Support().AppTitle();
  } catch (const AutomationError&) {
    return "Ridirodev";
  }
}

}  // namespace

void CFieldTechType::Initialize(const IDBRecordset& rst) { Initialize(MRidirodev::Current().Database(), rst); }

void CFieldTechType::Initialize(IDBObject& db, const IDBRecordset& rst) {
  const IDBFields& f = rst.Fields();
  std::string name = db.FieldText(f.Value("Tech_Name"));
  std::string shortName = db.FieldText(f.Value("Tech_Char"));
  const int32_t mask = db.FieldNumberOr(f.Value("Tech_Mask"), 0);
  std::string description = db.FieldText(f.Value("Tech_Desc"));
  name_ = std::move(name);
  shortName_ = std::move(shortName);
  techMask_ = mask;
  description_ = std::move(description);
}

void CFieldTechTypes::UpdateListValues() {
  BuildLists(
      *this, [](const CFieldTechType& t) -> const std::string& { return t.ShortName(); },
      [](const CFieldTechType& t) -> const std::string& { return t.Name(); }, valueList_, labelList_);
}

std::string CFieldTechTypes::FieldTechType(int32_t TechBits) const {
  if (tableSize_ == 0) {
    const int32_t count = Count();
    if (count > kMaxTechnologies) {
      MRidirodev& state = MRidirodev::Current();
      const std::string text = "Internal Error: Too many technologies.\r\nTechnology table has [" +
                               std::to_string(count) + "] Technologies but, \r\nSystem can only support [" +
                               std::to_string(kMaxTechnologies) +
                               "] Technologies.\r\nPlease Contact Your System Administrator.";
      state.Messages().MessageBox(text, MessageBoxStyle::kCritical, AppTitleOrDefault(state));
      return std::string();
    }
    // The technologies are taken now and kept: later changes to the collection do not show.
    tableTechs_.clear();
    for (const auto& t : *this) tableTechs_.emplace_back(t->ShortName(), t->TechMask());
    tableSize_ = int32_t{1} << count;
  }
  if (TechBits < 0) {
    throw AutomationError(ErrorNumber::kSubscriptOutOfRange, "CFieldTechTypes", "Subscript out of range");
  }
  // Entry 0 and everything from the table size upwards are empty.
  if (TechBits == 0 || TechBits >= tableSize_) return std::string();
  auto [entry, added] = tableEntries_.try_emplace(TechBits);
  if (added) {
    for (const auto& [shortName, mask] : tableTechs_) {
      if ((mask & TechBits) != 0) entry->second += shortName;
    }
  }
  return entry->second;
}

void CFieldType::Initialize(const IDBRecordset& rst) { Initialize(MRidirodev::Current().Database(), rst); }

void CFieldType::Initialize(IDBObject& db, const IDBRecordset& rst) {
  const IDBFields& f = rst.Fields();
  std::string typeName = db.FieldText(f.Value("Field_Group_Short"));
  const int32_t id = db.FieldNumberOr(f.Value("Field_Group_Id"), 0);
  std::string description = db.FieldText(f.Value("Field_Group_Name"));
  typeName_ = std::move(typeName);
  fieldTypeId_ = id;
  description_ = std::move(description);
}

void CFieldTypes::UpdateListValues() {
  BuildLists(
      *this, [](const CFieldType& t) -> const std::string& { return t.TypeName(); },
      [](const CFieldType& t) -> const std::string& { return t.Description(); }, valueList_, labelList_);
}

void CAggregator::Initialize(const IDBRecordset& rst) { Initialize(MRidirodev::Current().Database(), rst); }

void CAggregator::Initialize(IDBObject& db, const IDBRecordset& rst) {
  const IDBFields& f = rst.Fields();
  std::string name = db.FieldText(f.Value("AGGR_Name"));
  std::string key = db.FieldText(f.Value("AGGR_ID"));
  std::string labelTime = OptionalText(db, f, "label_time");
  std::string labelElement = OptionalText(db, f, "label_element");
  const bool ok = db.FieldFlag(f.Value("AGGR_BH_OK"));
  name_ = std::move(name);
  key_ = std::move(key);
  labelTime_ = std::move(labelTime);
  labelElement_ = std::move(labelElement);
  okForBusyHour_ = ok;
}

void CExtraColumn::Initialize(const IDBRecordset& rst) { Initialize(MRidirodev::Current().Database(), rst); }

void CExtraColumn::Initialize(IDBObject& db, const IDBRecordset& rst) {
  const IDBFields& f = rst.Fields();
  std::string name = db.FieldText(f.Value("Col_Title"));
  std::string colType = db.FieldText(f.Value("E_Type"));
  const int32_t id = db.FieldNumberOr(f.Value("e_id"), 0);
  bool editable = false;
  try {
    editable = db.FieldFlag(f.Value("Editable"));
  } catch (const AutomationError&) {
    // Not every dictionary has the column: its columns are then read-only.
  }
  name_ = std::move(name);
  colType_ = std::move(colType);
  id_ = id;
  editable_ = editable;
}

}  // namespace ridirodev
