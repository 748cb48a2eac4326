#pragma once

// Writes the translated statement: each query block whose WHERE clause holds legacy outer-join
// conditions (a column marked (+)) becomes FROM <required tables> LEFT JOIN <table> ON
// <its marked conditions>... (the required tables joined as the back end needs); every other
// token is written with its planned edit.

#include <cstddef>
#include <string>
#include <vector>

#include "dialect/statement_tokens.h"

namespace ridirodev::dialect {

class OuterJoinRewriter {
 public:
  explicit OuterJoinRewriter(const StatementTokens& tokens) : t_(tokens) {}
  std::string Write() const;

 private:
  // One item of a FROM list, with the outer-join conditions that name it.
  struct FromItem {
    TokenRange tokens;
    std::string key;       // alias, or the table name when there is none
    std::string fullName;  // dotted table name; empty for a subquery
    bool hasAlias = false;
    bool optional = false;
    std::vector<TokenRange> conditions;
    std::vector<size_t> dependsOn;
  };

  void Emit(size_t begin, size_t end, std::string& out, bool dropMarks = false) const;
  void Emit(TokenRange r, std::string& out, bool dropMarks = false) const {
    Emit(r.begin, r.end, out, dropMarks);
  }
  void TranslateLevel(size_t begin, size_t end, std::string& out) const;
  std::vector<FromItem> ParseFromList(size_t begin, size_t end) const;
  void ParseFromItem(FromItem& item) const;
  size_t Resolve(const std::vector<FromItem>& items, const std::string& qualifier, bool dotted) const;
  void SplitConjuncts(size_t begin, size_t end, std::vector<TokenRange>& out) const;
  void AssignOuterCondition(std::vector<FromItem>& items, TokenRange part) const;
  void FindDependencies(std::vector<FromItem>& items) const;
  static std::vector<size_t> JoinOrder(const std::vector<FromItem>& items);
  void RewriteOuterJoins(size_t begin, size_t end, std::string& out) const;

  const StatementTokens& t_;
};

}  // namespace ridirodev::dialect
