#pragma once

// The input data files the system collects: each file type arrives at a frequency from a vendor
// and is tied to the calculated field that reports its availability (CDataFile), and the data
// files of one entity with lookups between files and fields (CDataFiles).

#include <cstdint>
#include <memory>
#include <string>

#include "ridirodev/core/object_collection.h"

namespace ridirodev {

class CDataFile : public Object {
 public:
  void Initialize(int32_t FieldId, int32_t FileTypeId, std::string FileType, std::string Frequency,
                  int32_t FrequencyId, std::string Vendor, std::string Description);

  int32_t FieldId() const noexcept { return fieldId_; }
  int32_t FileTypeId() const noexcept { return fileTypeId_; }
  const std::string& FileType() const noexcept { return fileType_; }
  const std::string& Frequency() const noexcept { return frequency_; }
  int32_t FrequencyId() const noexcept { return frequencyId_; }
  const std::string& Vendor() const noexcept { return vendor_; }
  const std::string& Description() const noexcept { return description_; }
  const std::string& Key() const noexcept { return key_; }
  void SetKey(std::string key) { key_ = std::move(key); }
  // Times as "yyyy-mm-dd hh:mm:ss"; "" when the file has no data yet.
  const std::string& FirstAvailable() const noexcept { return firstAvailable_; }
  void SetFirstAvailable(std::string text) { firstAvailable_ = std::move(text); }
  const std::string& LastAvailable() const noexcept { return lastAvailable_; }
  void SetLastAvailable(std::string text) { lastAvailable_ = std::move(text); }
  int32_t OffsetMinutes() const noexcept { return offsetMinutes_; }
  void SetOffsetMinutes(int32_t minutes) noexcept { offsetMinutes_ = minutes; }
  int32_t EntityId() const noexcept { return entityId_; }
  void SetEntityId(int32_t id) noexcept { entityId_ = id; }
  const std::string& EntityName() const noexcept { return entityName_; }
  void SetEntityName(std::string name) { entityName_ = std::move(name); }

 private:
  int32_t fieldId_ = 0;
  int32_t fileTypeId_ = 0;
  std::string fileType_;
  std::string frequency_;
  int32_t frequencyId_ = 0;
  std::string vendor_;
  std::string description_;
  std::string key_;
  std::string firstAvailable_;
  std::string lastAvailable_;
  int32_t offsetMinutes_ = 0;
  int32_t entityId_ = 0;
  std::string entityName_;
};
using CDataFilePtr = std::shared_ptr<CDataFile>;

// Keyed by the file type id followed by "~", so that a key is never read as a position: Item
// with a number is a position, with the key text a file type.
class CDataFiles : public ObjectCollection<CDataFile> {
 public:
  // A new file under its key; 457 when a file of that file type id is held.
  CDataFilePtr Add(int32_t FieldId, int32_t FileTypeId, const std::string& FileType,
                   const std::string& Frequency, int32_t FrequencyId, const std::string& Vendor,
                   const std::string& Description);
  // A number, or a text that reads as one, is a file type id; any other text a key.
  bool Exists(const Variant& vIndex) const;
  // The first file reported on by field lField; nullptr for none or for lField <= 0.
  CDataFilePtr FieldIdToFile(int32_t lField) const;
  // The field of the file named by a file type id (as in Exists), a key (a text starting with
  // "~" or ending with it) or an exact file type name; 0 when none matches.
  int32_t FileToFieldID(const Variant& varFile) const;

  int32_t EntityId() const noexcept { return entityId_; }
  void SetEntityId(int32_t id) noexcept { entityId_ = id; }

 private:
  static std::string KeyOf(int32_t fileTypeId) { return std::to_string(fileTypeId) + "~"; }
  // The key a file type id or key text stands for; "" for a name.
  static std::string KeyFor(const Variant& v);

  int32_t entityId_ = 0;
};
using CDataFilesPtr = std::shared_ptr<CDataFiles>;

}  // namespace ridirodev
