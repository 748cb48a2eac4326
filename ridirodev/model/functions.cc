#include "ridirodev/model/functions.h"

#include <array>
#include <string_view>
#include <utility>

namespace ridirodev {

void CFunction::Initialize(std::string sNameA, std::string sSignatureA, int32_t iCategoryIdA,
                           std::string sDescriptionA) {
  name_ = std::move(sNameA);
  signature_ = std::move(sSignatureA);
  categoryId_ = iCategoryIdA;
  description_ = std::move(sDescriptionA);
}

void CFunctions::Add(CFunctionPtr fn) {
  if (!fn) return;
  const std::string key = fn->Name();
  items_.Add(std::move(fn), key);
}

void CFunctionCategory::Initialize(int32_t ordA, std::string sNameA, std::string sDescriptionA) {
  id_ = ordA;
  name_ = std::move(sNameA);
  description_ = std::move(sDescriptionA);
}

void CFunctionCategories::Add(CFunctionCategoryPtr category) {
  if (!category) return;
  const std::string key = category->Name();
  items_.Add(std::move(category), key);
}

void COperator::Initialize(std::string sNameA, std::string sSignatureA) {
  name_ = std::move(sNameA);
  signature_ = std::move(sSignatureA);
}

void COperators::Add(COperatorPtr op) {
  if (!op) return;
  const std::string key = op->Name();
  items_.Add(std::move(op), key);
}

COperatorsPtr StandardOperators() {
  static constexpr std::array<std::string_view, 10> kOperators = {
      "=", "==", "!=", "<", "<=", ">", ">=", "<>", "in", "not in"};
  auto ops = std::make_shared<COperators>();
  for (std::string_view text : kOperators) {
    auto op = std::make_shared<COperator>();
    op->Initialize(std::string(text), std::string(text));
    ops->Add(std::move(op));
  }
  return ops;
}

}  // namespace ridirodev
