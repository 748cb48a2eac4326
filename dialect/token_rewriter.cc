#include "dialect/token_rewriter.h"

#include <unordered_map>
#include <vector>

#include "dialect/dialect.h"

namespace ridirodev::dialect {
namespace {

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

void TokenRewriter::Plan() {
  CollectTableNames();
  for (size_t i = 0; i < t_.size(); ++i) {
    if (t_[i].kind == TokenKind::kQuoted && t_.Target().lowerUnquotedLikeNames) PlanQuotedName(i);
    if (t_[i].kind != TokenKind::kWord || t_.IsPunct(t_.PrevSig(i), ".")) continue;
    if (t_.IsWord(i, "UNIQUE") && t_.IsWord(t_.PrevSig(i), "SELECT")) {
      t_.EditOf(i).replace = CasedLike(t_[i].text, "distinct");
    } else if (t_.IsWord(i, "SYSDATE")) {
      PlanSysdate(i);
    } else if (t_.IsWord(i, "DUAL") && t_.IsWord(t_.PrevSig(i), "FROM")) {
      PlanDual(i);
    } else {
      PlanPackageCall(i);
    }
  }
  if (t_.Target().qualifyOrderByNames) PlanOrderByNames(0, t_.size());
}

// Oracle stores an unquoted name in upper case, so "FIELD_ID" is the column created as
// Field_Id; PostgreSQL stores that column as field_id.
void TokenRewriter::PlanQuotedName(size_t i) {
  const std::string_view name = t_[i].text.substr(1, t_[i].text.size() - 2);
  if (name.empty() || name[0] < 'A' || name[0] > 'Z') return;
  std::string lower = "\"";
  for (char c : name) {
    const bool upper = c >= 'A' && c <= 'Z';
    if (!upper && !Lexer::IsDigit(c) && c != '_' && c != '$' && c != '#') return;
    lower += upper ? static_cast<char>(c - 'A' + 'a') : c;
  }
  t_.EditOf(i).replace = lower + '"';
}

// Every name in any FROM clause of the statement: a dotted name whose first part is one of
// them is a column, not a package.
void TokenRewriter::CollectTableNames() {
  for (size_t i = 0; i < t_.size(); ++i) {
    if (!t_.IsWord(i, "FROM")) continue;
    for (size_t k = i + 1; k < t_.size() && t_[k].kind != TokenKind::kClose && !t_.IsClauseEnd(k);
         k = t_.Step(k)) {
      if (t_.IsName(k)) tableNames_.insert(t_.Normalized(k));
    }
  }
}

// Oracle resolves a bare ORDER BY name against the select list first, so "SELECT a.x ...
// ORDER BY x" sorts by a.x even when another table of the FROM list has a column x. SQLite
// resolves it against the tables and finds it ambiguous; naming the select item's column
// in full keeps Oracle's meaning. Compound queries are left alone: their ORDER BY names the
// result columns, which SQLite resolves the same way. PostgreSQL reads a bare name as Oracle
// does and needs none of this.
void TokenRewriter::PlanOrderByNames(size_t begin, size_t end) {
  size_t select = kNoToken;
  size_t selects = 0;
  bool compound = false;
  for (size_t i = begin; i < end; i = t_.Step(i)) {
    if (t_[i].kind == TokenKind::kOpen) {
      PlanOrderByNames(i + 1, t_.Match(i));
    } else if (t_.IsWord(i, "SELECT")) {
      select = i;
      ++selects;
    } else if (t_.IsSetOperator(i) && !t_.IsPunct(i, ";")) {
      compound = true;
    }
  }
  if (selects != 1 || compound) return;
  const size_t from = t_.FindAtLevel(select + 1, end, "FROM");
  if (from == kNoToken) return;
  size_t order = kNoToken;
  for (size_t i = from + 1; i < end && order == kNoToken; i = t_.Step(i)) {
    if (t_.IsWord(i, "ORDER") && t_.IsWord(t_.NextSig(i + 1), "BY")) order = i;
  }
  if (order == kNoToken) return;

  // Output names of the select list: a qualified column without alias gives its column
  // name; any other item ending in a name is taken as aliased (or a plain column, which
  // SQLite resolves as Oracle does).
  std::unordered_map<std::string, std::string> qualified;  // name -> full column, "" if twice
  std::unordered_set<std::string> aliases;
  size_t start = select + 1;
  for (size_t i = start; i <= from; i = i < from ? t_.Step(i) : from + 1) {
    if (i < from && !t_.IsPunct(i, ",")) continue;
    std::vector<size_t> parts;
    for (size_t k = start; k < i; k = t_.Step(k)) {
      if (t_.IsSignificant(k)) parts.push_back(k);
    }
    if (start == select + 1) {
      while (!parts.empty() && (t_.IsWord(parts[0], "DISTINCT") || t_.IsWord(parts[0], "UNIQUE") ||
                                t_.IsWord(parts[0], "ALL"))) {
        parts.erase(parts.begin());
      }
    }
    start = i + 1;
    if (parts.size() == 3 && t_.IsName(parts[0]) && t_.IsPunct(parts[1], ".") && t_.IsName(parts[2])) {
      const std::string name = t_.Normalized(parts[2]);
      const std::string column = std::string(t_[parts[0]].text) + "." + std::string(t_[parts[2]].text);
      const auto [it, added] = qualified.emplace(name, column);
      if (!added) it->second.clear();
    } else if (!parts.empty() && t_.IsName(parts.back())) {
      aliases.insert(t_.Normalized(parts.back()));
    }
  }

  const size_t termsEnd = t_.FindTail(order + 1, end);  // LIMIT and the like, if any
  bool termStart = true;
  for (size_t i = t_.NextSig(t_.NextSig(order + 1) + 1); i < termsEnd; i = t_.Step(i)) {
    if (!t_.IsSignificant(i)) continue;
    if (t_.IsPunct(i, ",")) {
      termStart = true;
      continue;
    }
    const bool first = termStart;
    termStart = false;
    if (!first || t_[i].kind != TokenKind::kWord) continue;
    const size_t next = t_.NextSig(i + 1);
    if (t_.IsPunct(next, ".") || t_.IsOpen(next)) continue;
    const std::string name = t_.Normalized(i);
    const auto found = qualified.find(name);
    if (aliases.count(name) != 0 || found == qualified.end() || found->second.empty()) continue;
    t_.EditOf(i).replace = found->second;
  }
}

std::string TokenRewriter::CasedLike(std::string_view model, std::string_view lower) {
  bool anyUpper = false;
  bool anyLower = false;
  for (char c : model) {
    anyUpper = anyUpper || (c >= 'A' && c <= 'Z');
    anyLower = anyLower || (c >= 'a' && c <= 'z');
  }
  std::string word(lower);
  if (anyUpper && !anyLower) {
    for (char& c : word) c = AsciiUpper(c);
  } else if (anyUpper && !word.empty()) {
    word[0] = AsciiUpper(word[0]);
  }
  return word;
}

void TokenRewriter::PlanPackageCall(size_t i) {
  const size_t dot = t_.NextSig(i + 1);
  if (!t_.IsPunct(dot, ".")) return;
  const size_t function = t_.NextSig(dot + 1);
  if (!t_.IsName(function)) return;
  const size_t after = t_.NextSig(function + 1);
  if (t_.IsPunct(after, ".")) {
    const size_t third = t_.NextSig(after + 1);
    if (t_.IsName(third) && t_.IsOpen(t_.NextSig(third + 1))) {
      t_.Fail("a function name of more than two parts");
    }
    return;
  }
  if (!t_.IsOpen(after) || t_.Target().packagesAreSchemas) return;
  if (t_[function].kind != TokenKind::kWord || tableNames_.count(t_.Normalized(i)) != 0) return;
  t_.EditOf(i).replace = QualifiedFunctionName(t_[i].text, t_[function].text);
  for (size_t k = i + 1; k <= function; ++k) t_.EditOf(k).replace = std::string();
}

// Oracle selects a lone value from its one-row table; the other engines need no FROM clause.
// FROM dual goes when it is the whole clause, with the blank before it.
void TokenRewriter::PlanDual(size_t i) {
  const size_t from = t_.PrevSig(i);
  if (t_.IsWord(t_.PrevSig(from), "DELETE")) return;
  const size_t next = t_.NextSig(i + 1);
  if (next < t_.size() && t_[next].kind != TokenKind::kClose && !t_.IsClauseEnd(next)) return;
  size_t k = from;
  while (k > 0 && t_[k - 1].kind == TokenKind::kSpace) --k;
  for (; k <= i; ++k) {
    if (t_[k].kind != TokenKind::kComment) t_.EditOf(k).replace = std::string();
  }
}

void TokenRewriter::PlanSysdate(size_t i) {
  const size_t next = t_.NextSig(i + 1);
  if (t_.IsPunct(next, ".") || t_.IsOpen(next)) return;
  const SysdateTexts& texts = t_.Target().sysdate;
  const size_t previous = t_.PrevSig(i);
  if (t_.IsPunct(previous, "+")) t_.Fail("date arithmetic with sysdate on the right of +");
  if (t_.IsPunct(previous, "-")) {
    // Oracle: date - sysdate is a number of days. The result is a number, so whatever
    // follows sysdate applies to it, except * and /, which would bind to sysdate alone.
    const size_t first = LoneDateLeftOf(previous);
    if (t_.IsPunct(next, "*") || t_.IsPunct(next, "/")) t_.Fail("sysdate multiplied or divided");
    t_.EditOf(first).before += texts.dateMinusNowBefore;
    t_.EditOf(t_.PrevSig(previous)).after += texts.dateMinusNowAfter;
    t_.EditOf(i).replace = std::string(texts.nowAfterDate);
    return;
  }
  if (!t_.IsPunct(next, "-") && !t_.IsPunct(next, "+")) {
    t_.EditOf(i).replace = std::string(texts.now);
    return;
  }
  // Oracle: date - date is a number of days, date +/- number is a date.
  const auto [first, last, isDate] = ParseArithmeticTerm(t_.NextSig(next + 1));
  if (isDate && t_.IsPunct(next, "-")) {
    t_.EditOf(i).replace = std::string(texts.nowMinusDate);
    t_.EditOf(first).before += texts.dateBefore;
    t_.EditOf(last).after += texts.dateAfter;
  } else {
    t_.EditOf(i).replace = std::string(texts.nowMoved);
    t_.EditOf(first).before += texts.daysBefore;
    t_.EditOf(last).after += texts.daysAfter;
  }
}

// The first token of the operand left of the "-" at minus: a lone column (a, a.b, "a")
// or text literal that is no operand of another operator, so that it alone is the date.
size_t TokenRewriter::LoneDateLeftOf(size_t minus) const {
  static constexpr std::string_view kWhy =
      "date arithmetic with sysdate on the right of - whose left operand is not a lone column or text";
  size_t first = t_.PrevSig(minus);
  if (first == kNoToken) t_.Fail(kWhy);
  if (t_[first].kind == TokenKind::kWord || t_[first].kind == TokenKind::kQuoted) {
    if (t_.IsWord(first, "SYSDATE") || IsKeyword(first)) t_.Fail(kWhy);
    for (size_t dot = t_.PrevSig(first); t_.IsPunct(dot, ".") && t_.IsName(t_.PrevSig(dot));
         dot = t_.PrevSig(first)) {
      first = t_.PrevSig(dot);
    }
    if (t_.IsPunct(t_.PrevSig(first), ".")) t_.Fail(kWhy);
  } else if (t_[first].kind != TokenKind::kString) {
    t_.Fail(kWhy);
  }
  const size_t before = t_.PrevSig(first);
  if (t_.IsPunct(before, "*") || t_.IsPunct(before, "/") || t_.IsPunct(before, "+") ||
      t_.IsPunct(before, "-") || t_.IsPunct(before, "||")) {
    t_.Fail(kWhy);
  }
  return first;
}

// Words that end a clause or an operand rather than name a column: before "- sysdate"
// they make the minus a sign.
bool TokenRewriter::IsKeyword(size_t i) const {
  static constexpr std::string_view kWords[] = {
      "SELECT", "WHERE", "AND", "OR",   "NOT",  "ON",      "THEN",     "ELSE",   "WHEN", "BY",     "HAVING",
      "SET",    "IN",    "IS",  "LIKE", "CASE", "BETWEEN", "DISTINCT", "UNIQUE", "ALL",  "RETURN", "VALUES"};
  for (std::string_view word : kWords) {
    if (t_.IsWord(i, word)) return true;
  }
  return false;
}

// The operand right of sysdate +/-: factors joined by * or /, which bind more tightly.
TokenRewriter::Term TokenRewriter::ParseArithmeticTerm(size_t i) {
  Term term{i, i, false};
  bool lone = true;
  for (;;) {
    i = t_.NextSig(i);
    if (t_.IsPunct(i, "-") || t_.IsPunct(i, "+")) {
      lone = false;
      i = t_.NextSig(i + 1);
    }
    if (i >= t_.size() || t_.IsWord(i, "CASE") || t_.IsWord(i, "INTERVAL")) {
      t_.Fail("an operand of sysdate arithmetic that cannot be read");
    }
    size_t last = i;
    bool simple = false;
    switch (t_[i].kind) {
      case TokenKind::kNumber:
        break;
      case TokenKind::kString:
        simple = true;
        break;
      case TokenKind::kOpen:
        last = t_.Match(i);
        break;
      case TokenKind::kWord:
      case TokenKind::kQuoted: {
        for (size_t dot = t_.NextSig(last + 1); t_.IsPunct(dot, ".") && t_.IsName(t_.NextSig(dot + 1));
             dot = t_.NextSig(last + 1)) {
          last = t_.NextSig(dot + 1);
        }
        const size_t call = t_.NextSig(last + 1);
        if (t_.IsOpen(call)) {
          last = t_.Match(call);
        } else {
          simple = true;
        }
        break;
      }
      default:
        t_.Fail("an operand of sysdate arithmetic that cannot be read");
    }
    const size_t op = t_.NextSig(last + 1);
    if (t_.IsPunct(op, "*") || t_.IsPunct(op, "/")) {
      lone = false;
      i = op + 1;
      continue;
    }
    term.last = last;
    term.isDate = lone && simple;
    return term;
  }
}

}  // namespace ridirodev::dialect
