#include "ridirodev/model/data_files.h"

#include <cmath>

namespace ridirodev {

void CDataFile::Initialize(int32_t FieldId, int32_t FileTypeId, std::string FileType, std::string Frequency,
                           int32_t FrequencyId, std::string Vendor, std::string Description) {
  fieldId_ = FieldId;
  fileTypeId_ = FileTypeId;
  fileType_ = std::move(FileType);
  frequency_ = std::move(Frequency);
  frequencyId_ = FrequencyId;
  vendor_ = std::move(Vendor);
  description_ = std::move(Description);
}

CDataFilePtr CDataFiles::Add(int32_t FieldId, int32_t FileTypeId, const std::string& FileType,
                             const std::string& Frequency, int32_t FrequencyId, const std::string& Vendor,
                             const std::string& Description) {
  auto file = std::make_shared<CDataFile>();
  file->Initialize(FieldId, FileTypeId, FileType, Frequency, FrequencyId, Vendor, Description);
  file->SetKey(KeyOf(FileTypeId));
  ObjectCollection::Add(file);
  return file;
}

std::string CDataFiles::KeyFor(const Variant& v) {
  if (v.IsNumeric()) {
    // A number beyond 32 bits names no file type; a key that cannot exist keeps Exists false.
    const double id = std::nearbyint(v.ToDouble());
    return id >= INT32_MIN && id <= INT32_MAX ? KeyOf(static_cast<int32_t>(id)) : std::string("~");
  }
  const std::string text = v.ToString();
  return !text.empty() && (text.front() == '~' || text.back() == '~') ? text : std::string();
}

bool CDataFiles::Exists(const Variant& vIndex) const {
  const std::string key = KeyFor(vIndex);
  return ObjectCollection::Exists(Variant(key.empty() ? vIndex.ToString() : key));
}

CDataFilePtr CDataFiles::FieldIdToFile(int32_t lField) const {
  if (lField <= 0) return nullptr;
  for (const CDataFilePtr& file : *this) {
    if (file->FieldId() == lField) return file;
  }
  return nullptr;
}

int32_t CDataFiles::FileToFieldID(const Variant& varFile) const {
  const std::string key = KeyFor(varFile);
  if (!key.empty()) {
    if (const CDataFilePtr file = Item(Variant(key))) return file->FieldId();
    if (varFile.IsNumeric()) return 0;
  }
  // A text that only looks like a key may still be a file type's name.
  const std::string name = varFile.ToString();
  for (const CDataFilePtr& file : *this) {
    if (file->FileType() == name) return file->FieldId();
  }
  return 0;
}

}  // namespace ridirodev
