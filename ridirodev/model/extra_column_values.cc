#include "ridirodev/model/extra_column_values.h"

namespace ridirodev {

ExtraColumnValues::ExtraColumnValues(std::shared_ptr<const Titles> titles)
    : titles_(std::move(titles)), values_(titles_ ? titles_->size() : 0) {}

ExtraColumnValues::ExtraColumnValues(std::initializer_list<std::pair<std::string, Variant>> values) {
  for (const auto& [title, value] : values) Set(title, value);
}

const Variant* ExtraColumnValues::Find(std::string_view title) const noexcept {
  // A template has a handful of extra columns: a scan beats any index.
  for (size_t i = 0; i < values_.size(); ++i) {
    if ((*titles_)[i] == title) return &values_[i];
  }
  return nullptr;
}

void ExtraColumnValues::Set(std::string_view title, Variant value) {
  for (size_t i = 0; i < values_.size(); ++i) {
    if ((*titles_)[i] == title) {
      values_[i] = std::move(value);
      return;
    }
  }
  // The titles may be shared with other fields: a new one goes into a copy of this field's own.
  auto titles = titles_ ? std::make_shared<Titles>(*titles_) : std::make_shared<Titles>();
  titles->emplace_back(title);
  titles_ = std::move(titles);
  values_.push_back(std::move(value));
}

bool operator==(const ExtraColumnValues& a, const ExtraColumnValues& b) {
  if (a.Size() != b.Size()) return false;
  for (size_t i = 0; i < a.Size(); ++i) {
    const Variant* other = b.Find(a.Title(i));
    if (!other || !(*other == a.Value(i))) return false;
  }
  return true;
}

}  // namespace ridirodev
