#include "dialect/dialect.h"

#include "dialect/outer_join_rewriter.h"
#include "dialect/statement_tokens.h"
#include "dialect/token_rewriter.h"

namespace ridirodev::dialect {
namespace {

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string QualifiedFunctionName(std::string_view package, std::string_view function) {
  std::string name;
  name.reserve(package.size() + function.size() + 2);
  for (char c : package) name += AsciiLower(c);
  name += "__";
  for (char c : function) name += AsciiLower(c);
  return name;
}

std::string QualifiedFunctionName(std::string_view dottedName) {
  std::string name;
  name.reserve(dottedName.size() + 4);
  for (char c : dottedName) {
    if (c == '.') {
      name += "__";
    } else {
      name += AsciiLower(c);
    }
  }
  return name;
}

std::string TranslateDialect(std::string_view oracleSql, Engine engine) {
  StatementTokens tokens(oracleSql, BackEndOf(engine));
  TokenRewriter(tokens).Plan();
  return OuterJoinRewriter(tokens).Write();
}

}  // namespace ridirodev::dialect
