#pragma once

// One Oracle-dialect statement as the dialect translation reads it: its tokens, which
// parentheses pair up and hold a query of their own, and the edits planned for single tokens.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dialect/back_end.h"
#include "dialect/lexer.h"

namespace ridirodev::dialect {

inline constexpr size_t kNoToken = static_cast<size_t>(-1);

// Tokens [begin, end).
struct TokenRange {
  size_t begin;
  size_t end;
};

// A change to one token's text: what goes before it, what replaces it, what follows it.
struct TokenEdit {
  std::string before;
  std::optional<std::string> replace;
  std::string after;
};

class StatementTokens {
 public:
  // Fails (see Fail) on an unterminated text, name or comment and on unbalanced parentheses.
  StatementTokens(std::string_view sql, const BackEnd& backEnd);

  // AutomationError (invalid argument, the back end's source) naming reason and the statement.
  [[noreturn]] void Fail(std::string_view reason) const;

  const BackEnd& Target() const { return backEnd_; }

  std::string_view Sql() const { return sql_; }
  size_t size() const { return tokens_.size(); }
  const Token& operator[](size_t i) const { return tokens_[i]; }
  // The other parenthesis of a pair.
  size_t Match(size_t i) const { return match_[i]; }
  // Whether the group opened at i holds a query.
  bool IsQuery(size_t i) const { return isQuery_[i]; }

  // A word, compared with upper in upper case.
  bool IsWord(size_t i, std::string_view upper) const;
  bool IsPunct(size_t i, std::string_view text) const {
    return i < tokens_.size() && tokens_[i].kind == TokenKind::kPunct && tokens_[i].text == text;
  }
  bool IsOpen(size_t i) const { return i < tokens_.size() && tokens_[i].kind == TokenKind::kOpen; }
  bool IsName(size_t i) const {
    return i < tokens_.size() &&
           (tokens_[i].kind == TokenKind::kWord || tokens_[i].kind == TokenKind::kQuoted);
  }
  bool IsSignificant(size_t i) const {
    return tokens_[i].kind != TokenKind::kSpace && tokens_[i].kind != TokenKind::kComment;
  }
  size_t NextSig(size_t i) const {
    while (i < tokens_.size() && !IsSignificant(i)) ++i;
    return i;
  }
  size_t PrevSig(size_t i) const {
    while (i > 0) {
      if (IsSignificant(--i)) return i;
    }
    return kNoToken;
  }
  // The index after a token at the current level: a group is stepped over whole.
  size_t Step(size_t i) const { return tokens_[i].kind == TokenKind::kOpen ? match_[i] + 1 : i + 1; }

  // Names compare as Oracle compares them: unquoted in upper case, quoted exactly.
  std::string Normalized(size_t i) const;
  bool IsClauseEnd(size_t i) const;
  bool IsSetOperator(size_t i) const;
  // Whether a (+) belongs to this range's own query (subqueries have their own).
  bool HasMark(size_t begin, size_t end) const;
  bool HasWordOutsideQueries(TokenRange r, std::string_view upper) const;
  // Without the blanks at either end.
  TokenRange Trimmed(size_t begin, size_t end) const;
  // The first word at this level that is not a column's name (after a dot), or kNoToken.
  size_t FindAtLevel(size_t begin, size_t end, std::string_view word) const;
  // Where the clauses after WHERE start (GROUP BY, ORDER BY, HAVING...), or end.
  size_t FindTail(size_t begin, size_t end) const;

  TokenEdit& EditOf(size_t i);
  // The token's text with its edit.
  void EmitToken(size_t i, std::string& out) const;

 private:
  void MatchGroups();

  std::string_view sql_;
  const BackEnd& backEnd_;
  std::vector<Token> tokens_;
  std::vector<size_t> match_;
  std::vector<bool> isQuery_;
  std::vector<uint32_t> editIndex_;
  std::vector<TokenEdit> edits_;
};

}  // namespace ridirodev::dialect
