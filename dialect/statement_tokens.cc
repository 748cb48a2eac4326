#include "dialect/statement_tokens.h"

#include <utility>

#include "ridirodev/core/automation_error.h"

namespace ridirodev::dialect {
namespace {

// Subqueries are translated recursively; this bounds the stack a statement can take.
constexpr size_t kMaxNesting = 500;

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

StatementTokens::StatementTokens(std::string_view sql, const BackEnd& backEnd)
    : sql_(sql), backEnd_(backEnd), tokens_(Lexer::Tokens(sql, kOracleSyntax)) {
  if (!tokens_.empty() && tokens_.back().kind == TokenKind::kUnterminated) {
    const char first = tokens_.back().text[0];
    Fail(first == '\''  ? "unterminated string literal"
         : first == '"' ? "unterminated quoted identifier"
                        : "unterminated comment");
  }
  MatchGroups();
}

void StatementTokens::Fail(std::string_view reason) const {
  std::string description = "Cannot translate the statement for ";
  description.append(backEnd_.engineName).append(": ").append(reason).append(": ").append(sql_);
  throw AutomationError(ErrorNumber::kInvalidArgument, std::string(backEnd_.errorSource),
                        std::move(description));
}

// Pairs the parentheses and marks the groups that hold a query of their own.
void StatementTokens::MatchGroups() {
  match_.assign(tokens_.size(), kNoToken);
  isQuery_.assign(tokens_.size(), false);
  std::vector<size_t> open;
  for (size_t i = 0; i < tokens_.size(); ++i) {
    const Token& t = tokens_[i];
    if (t.kind == TokenKind::kOpen) {
      if (open.size() >= kMaxNesting) Fail("parentheses nested too deeply");
      open.push_back(i);
    } else if (t.kind == TokenKind::kClose) {
      if (open.empty()) Fail("unbalanced parentheses");
      match_[open.back()] = i;
      match_[i] = open.back();
      open.pop_back();
    } else if (!open.empty() && IsWord(i, "SELECT")) {
      isQuery_[open.back()] = true;
    }
  }
  if (!open.empty()) Fail("unbalanced parentheses");
}

bool StatementTokens::IsWord(size_t i, std::string_view upper) const {
  if (i >= tokens_.size() || tokens_[i].kind != TokenKind::kWord) return false;
  const std::string_view text = tokens_[i].text;
  if (text.size() != upper.size()) return false;
  for (size_t k = 0; k < text.size(); ++k) {
    if (AsciiUpper(text[k]) != upper[k]) return false;
  }
  return true;
}

std::string StatementTokens::Normalized(size_t i) const {
  const std::string_view text = tokens_[i].text;
  std::string name;
  if (tokens_[i].kind == TokenKind::kQuoted) {
    for (size_t k = 1; k + 1 < text.size(); ++k) {
      name += text[k];
      if (text[k] == '"') ++k;
    }
  } else {
    for (char c : text) name += AsciiUpper(c);
  }
  return name;
}

bool StatementTokens::IsClauseEnd(size_t i) const {
  static constexpr std::string_view kEnds[] = {"WHERE", "GROUP", "ORDER",     "HAVING", "CONNECT",
                                               "START", "UNION", "INTERSECT", "MINUS",  "EXCEPT",
                                               "FOR",   "LIMIT", "WINDOW"};
  if (IsPunct(i, ";")) return true;
  for (std::string_view end : kEnds) {
    if (IsWord(i, end)) return true;
  }
  return false;
}

bool StatementTokens::IsSetOperator(size_t i) const {
  return IsWord(i, "UNION") || IsWord(i, "INTERSECT") || IsWord(i, "MINUS") || IsWord(i, "EXCEPT") ||
         IsPunct(i, ";");
}

bool StatementTokens::HasMark(size_t begin, size_t end) const {
  for (size_t i = begin; i < end; ++i) {
    if (tokens_[i].kind == TokenKind::kOpen && isQuery_[i]) {
      i = match_[i];
    } else if (tokens_[i].kind == TokenKind::kOuterMark) {
      return true;
    }
  }
  return false;
}

bool StatementTokens::HasWordOutsideQueries(TokenRange r, std::string_view upper) const {
  for (size_t i = r.begin; i < r.end; ++i) {
    if (tokens_[i].kind == TokenKind::kOpen && isQuery_[i]) {
      i = match_[i];
    } else if (IsWord(i, upper)) {
      return true;
    }
  }
  return false;
}

TokenRange StatementTokens::Trimmed(size_t begin, size_t end) const {
  while (begin < end && tokens_[begin].kind == TokenKind::kSpace) ++begin;
  while (end > begin && tokens_[end - 1].kind == TokenKind::kSpace) --end;
  return {begin, end};
}

size_t StatementTokens::FindAtLevel(size_t begin, size_t end, std::string_view word) const {
  for (size_t i = begin; i < end; i = Step(i)) {
    if (IsWord(i, word) && !IsPunct(PrevSig(i), ".")) return i;
  }
  return kNoToken;
}

size_t StatementTokens::FindTail(size_t begin, size_t end) const {
  static constexpr std::pair<std::string_view, std::string_view> kTails[] = {
      {"GROUP", "BY"},   {"ORDER", "BY"}, {"CONNECT", "BY"}, {"START", "WITH"},
      {"FOR", "UPDATE"}, {"HAVING", ""},  {"LIMIT", ""},     {"WINDOW", ""}};
  for (size_t i = begin; i < end; i = Step(i)) {
    if (tokens_[i].kind != TokenKind::kWord || IsPunct(PrevSig(i), ".")) continue;
    for (const auto& [word, next] : kTails) {
      if (IsWord(i, word) && (next.empty() || IsWord(NextSig(i + 1), next))) return i;
    }
  }
  return end;
}

TokenEdit& StatementTokens::EditOf(size_t i) {
  if (editIndex_.empty()) editIndex_.assign(tokens_.size(), 0);
  if (editIndex_[i] == 0) {
    edits_.emplace_back();
    editIndex_[i] = static_cast<uint32_t>(edits_.size());
  }
  return edits_[editIndex_[i] - 1];
}

void StatementTokens::EmitToken(size_t i, std::string& out) const {
  const Token& t = tokens_[i];
  const TokenEdit* edit = editIndex_.empty() || editIndex_[i] == 0 ? nullptr : &edits_[editIndex_[i] - 1];
  if (edit != nullptr) out += edit->before;
  if (edit != nullptr && edit->replace) {
    out += *edit->replace;
  } else {
    out += t.text;
  }
  if (edit != nullptr) out += edit->after;
  // A line comment moved in front of other text must not swallow it.
  if (t.kind == TokenKind::kComment && t.text.starts_with("--") && !t.text.ends_with("\n")) out += '\n';
}
}  // namespace ridirodev::dialect
