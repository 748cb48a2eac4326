#include "ridirodev/model/extra_column_values.h"

#include <stdexcept>

namespace ridirodev {

ExtraColumnValues::ExtraColumnValues(std::shared_ptr<const Titles> titles)
    : titles_(std::move(titles)), size_(titles_ ? static_cast<uint32_t>(titles_->size()) : 0) {
  if (size_ > kInline) more_ = std::make_unique<std::vector<Variant>>(size_ - kInline);
}

Variant& ExtraColumnValues::At(size_t position) {
  if (position >= size_) throw std::out_of_range("extra column value position");
  return position < kInline ? inline_[position] : (*more_)[position - kInline];
}

ExtraColumnValues::ExtraColumnValues(std::initializer_list<std::pair<std::string, Variant>> values) {
  for (const auto& [title, value] : values) Set(title, value);
}

const Variant* ExtraColumnValues::Find(std::string_view title) const noexcept {
  // A template has a handful of extra columns: a scan beats any index.
  for (size_t i = 0; i < size_; ++i) {
    if ((*titles_)[i] == title) return &Value(i);
  }
  return nullptr;
}

void ExtraColumnValues::Set(std::string_view title, Variant value) {
  for (size_t i = 0; i < size_; ++i) {
    if ((*titles_)[i] == title) {
      At(i) = std::move(value);
      return;
    }
  }
  // The titles may be shared with other fields: a new one goes into a copy of this field's own.
  auto titles = titles_ ? std::make_shared<Titles>(*titles_) : std::make_shared<Titles>();
  titles->emplace_back(title);
  titles_ = std::move(titles);
  if (size_ >= kInline) {
    if (!more_) more_ = std::make_unique<std::vector<Variant>>();
    more_->emplace_back();
  }
  At(size_++) = std::move(value);
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
