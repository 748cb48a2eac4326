#pragma once

// The vocabulary of the expression editor and the row filters: calculation functions grouped
// in categories, and the comparison operators.

#include <cstdint>
#include <memory>
#include <string>

#include "ridirodev/core/object_collection.h"

namespace ridirodev {

class CFunction : public Object {
 public:
  const std::string& Name() const noexcept { return name_; }
  // The call template shown to the user.
  const std::string& Signature() const noexcept { return signature_; }
  int32_t CategoryId() const noexcept { return categoryId_; }
  const std::string& Description() const noexcept { return description_; }

  void Initialize(std::string sNameA, std::string sSignatureA, int32_t iCategoryIdA,
                  std::string sDescriptionA);

 private:
  std::string name_;
  std::string signature_;
  int32_t categoryId_ = 0;
  std::string description_;
};
using CFunctionPtr = std::shared_ptr<CFunction>;

// Keyed by Name.
class CFunctions : public ObjectCollection<CFunction> {
 public:
  void Add(CFunctionPtr fn);
};
using CFunctionsPtr = std::shared_ptr<CFunctions>;

class CFunctionCategory : public Object {
 public:
  int32_t Id() const noexcept { return id_; }
  const std::string& Name() const noexcept { return name_; }
  const std::string& Description() const noexcept { return description_; }

  void Initialize(int32_t ordA, std::string sNameA, std::string sDescriptionA);

 private:
  int32_t id_ = 0;
  std::string name_;
  std::string description_;
};
using CFunctionCategoryPtr = std::shared_ptr<CFunctionCategory>;

// Keyed by Name.
class CFunctionCategories : public ObjectCollection<CFunctionCategory> {
 public:
  void Add(CFunctionCategoryPtr category);
};
using CFunctionCategoriesPtr = std::shared_ptr<CFunctionCategories>;

class COperator : public Object {
 public:
  const std::string& Name() const noexcept { return name_; }
  const std::string& Signature() const noexcept { return signature_; }

  void Initialize(std::string sNameA, std::string sSignatureA);

 private:
  std::string name_;
  std::string signature_;
};
using COperatorPtr = std::shared_ptr<COperator>;

// Keyed by Name.
class COperators : public ObjectCollection<COperator> {
 public:
  void Add(COperatorPtr op);
};
using COperatorsPtr = std::shared_ptr<COperators>;

// A new list of the comparison operators a row filter accepts, in the order the editor offers
// them: "=", "==", "!=", "<", "<=", ">", ">=", "<>", "in", "not in".
COperatorsPtr StandardOperators();

}  // namespace ridirodev
