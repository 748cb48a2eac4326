#pragma once

// The edits of single words in the dialect translation: SELECT UNIQUE, sysdate and its date
// arithmetic, FROM dual, package-qualified calls, ORDER BY names that Oracle reads as the
// selected columns, and quoted names in Oracle's case.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>

#include "dialect/statement_tokens.h"

namespace ridirodev::dialect {

class TokenRewriter {
 public:
  explicit TokenRewriter(StatementTokens& tokens) : t_(tokens) {}
  // Plans every edit into the tokens.
  void Plan();

 private:
  struct Term {
    size_t first;
    size_t last;
    bool isDate;  // a lone column or text literal: taken as a date
  };

  void CollectTableNames();
  void PlanOrderByNames(size_t begin, size_t end);
  void PlanQuotedName(size_t i);
  static std::string CasedLike(std::string_view model, std::string_view lower);
  void PlanPackageCall(size_t i);
  void PlanDual(size_t i);
  void PlanSysdate(size_t i);
  size_t LoneDateLeftOf(size_t minus) const;
  bool IsKeyword(size_t i) const;
  Term ParseArithmeticTerm(size_t i);

  StatementTokens& t_;
  std::unordered_set<std::string> tableNames_;
};

}  // namespace ridirodev::dialect
