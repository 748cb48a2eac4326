#pragma once

// The small qualifiers of a field: technologies, field types, aggregators and extra columns,
// each with its keyed collection. Members are filled from one row of their load statement and
// read-only afterwards.

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "ridirodev/core/object_collection.h"

namespace ridirodev {

class IDBObject;
class IDBRecordset;

// One technology: its bit in a field's technology bits and its one-character code.
class CFieldTechType : public Object {
 public:
  const std::string& Name() const noexcept { return name_; }
  const std::string& Key() const noexcept { return name_; }
  const std::string& ShortName() const noexcept { return shortName_; }
  int32_t TechMask() const noexcept { return techMask_; }
  const std::string& Description() const noexcept { return description_; }

  // Reads the current row through db, the database object the row set came from (without it,
  // the state's); a missing column fails with the row set's error and leaves this object as it
  // was.
  void Initialize(IDBObject& db, const IDBRecordset& rst);
  void Initialize(const IDBRecordset& rst);

 private:
  std::string name_;
  std::string shortName_;
  int32_t techMask_ = 0;
  std::string description_;
};
using CFieldTechTypePtr = std::shared_ptr<CFieldTechType>;

class CFieldTechTypes : public ObjectCollection<CFieldTechType> {
 public:
  // The technology count beyond which no technology string can be made.
  static constexpr int32_t kMaxTechnologies = 21;

  // Comma-separated short names and their aligned labels, as of the last UpdateListValues.
  const std::string& ValueList() const noexcept { return valueList_; }
  const std::string& LabelList() const noexcept { return labelList_; }
  void UpdateListValues();

  // The short names, in collection order, of every technology that shares a bit with
  // TechBits. The technologies are fixed on the first call; bits from the technology count's
  // power of two upwards give "". More than kMaxTechnologies shows a critical message (on
  // every call) and gives "". A negative TechBits fails with 9.
  std::string FieldTechType(int32_t TechBits) const;

 private:
  std::string valueList_;
  std::string labelList_;
  // Strings are made per value on first request rather than all 2^N at once: a dictionary
  // rarely uses more than a few combinations, and 21 technologies would need 2 million.
  mutable int32_t tableSize_ = 0;                                    // 0: technologies not yet fixed
  mutable std::vector<std::pair<std::string, int32_t>> tableTechs_;  // short name, mask
  mutable std::unordered_map<int32_t, std::string> tableEntries_;
};
using CFieldTechTypesPtr = std::shared_ptr<CFieldTechTypes>;

// One field type (field group).
class CFieldType : public Object {
 public:
  const std::string& TypeName() const noexcept { return typeName_; }
  const std::string& Key() const noexcept { return typeName_; }
  int32_t FieldTypeId() const noexcept { return fieldTypeId_; }
  const std::string& Description() const noexcept { return description_; }

  void Initialize(IDBObject& db, const IDBRecordset& rst);
  void Initialize(const IDBRecordset& rst);

 private:
  std::string typeName_;
  int32_t fieldTypeId_ = 0;
  std::string description_;
};
using CFieldTypePtr = std::shared_ptr<CFieldType>;

class CFieldTypes : public ObjectCollection<CFieldType> {
 public:
  const std::string& ValueList() const noexcept { return valueList_; }
  const std::string& LabelList() const noexcept { return labelList_; }
  void UpdateListValues();

 private:
  std::string valueList_;
  std::string labelList_;
};
using CFieldTypesPtr = std::shared_ptr<CFieldTypes>;

class CAggregator : public Object {
 public:
  const std::string& Name() const noexcept { return name_; }
  const std::string& Key() const noexcept { return key_; }
  const std::string& ShortName() const noexcept { return key_; }
  // The stored labels fall back to Name so that there is always something to show.
  const std::string& TimeAggregator() const noexcept { return labelTime_.empty() ? name_ : labelTime_; }
  const std::string& ElementAggregator() const noexcept {
    return labelElement_.empty() ? name_ : labelElement_;
  }
  bool OkForBusyHour() const noexcept { return okForBusyHour_; }

  // The two label columns are optional: older dictionaries lack them.
  void Initialize(IDBObject& db, const IDBRecordset& rst);
  void Initialize(const IDBRecordset& rst);

 private:
  std::string name_;
  std::string key_;
  std::string labelTime_;
  std::string labelElement_;
  bool okForBusyHour_ = false;
};
using CAggregatorPtr = std::shared_ptr<CAggregator>;

class CAggregators : public ObjectCollection<CAggregator> {};
using CAggregatorsPtr = std::shared_ptr<CAggregators>;

// A site-defined column that an application adds to every field.
class CExtraColumn : public Object {
 public:
  const std::string& Name() const noexcept { return name_; }
  const std::string& Key() const noexcept { return name_; }
  const std::string& ColType() const noexcept { return colType_; }
  std::string Id() const { return std::to_string(id_); }
  bool Editable() const noexcept { return editable_; }

  // "Editable" is optional: a row without it gives a column users may not edit.
  void Initialize(IDBObject& db, const IDBRecordset& rst);
  void Initialize(const IDBRecordset& rst);

 private:
  std::string name_;
  std::string colType_;
  int32_t id_ = 0;
  bool editable_ = false;
};
using CExtraColumnPtr = std::shared_ptr<CExtraColumn>;

class CExtraColumns : public ObjectCollection<CExtraColumn> {};
using CExtraColumnsPtr = std::shared_ptr<CExtraColumns>;

}  // namespace ridirodev
