#include "standalone/dialect.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "ridirodev/core/automation_error.h"

namespace ridirodev::standalone {

namespace {

constexpr size_t kNone = static_cast<size_t>(-1);
// Subqueries are translated recursively; this bounds the stack a statement can take.
constexpr size_t kMaxNesting = 500;

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsWordStart(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || u >= 0x80;
}
bool IsWordChar(char c) { return IsWordStart(c) || IsDigit(c) || c == '$' || c == '#'; }

enum class Kind : uint8_t {
  kSpace,
  kComment,
  kWord,    // identifier or keyword
  kQuoted,  // "double-quoted identifier"
  kString,  // 'literal'
  kNumber,
  kOpen,
  kClose,
  kOuterMark,  // (+)
  kPunct,
};

struct Token {
  Kind kind;
  std::string_view text;
};

// A change to one token's text: what goes before it, what replaces it, what follows it.
struct Edit {
  std::string before;
  std::optional<std::string> replace;
  std::string after;
};

struct Range {
  size_t begin;
  size_t end;
};

// One item of a FROM list, with the outer-join conditions that name it.
struct FromItem {
  Range tokens;
  std::string key;       // alias, or the table name when there is none
  std::string fullName;  // dotted table name; empty for a subquery
  bool hasAlias = false;
  bool optional = false;
  std::vector<Range> conditions;
  std::vector<size_t> dependsOn;
};

class Translator {
 public:
  explicit Translator(std::string_view sql) : sql_(sql) {}

  std::string Run() {
    Lex();
    MatchGroups();
    CollectTableNames();
    PlanEdits();
    std::string out;
    out.reserve(sql_.size() + sql_.size() / 8 + 64);
    TranslateLevel(0, tokens_.size(), out);
    return out;
  }

 private:
  [[noreturn]] void Fail(std::string_view reason) const {
    std::string description = "Cannot translate the statement for SQLite: ";
    description.append(reason).append(": ").append(sql_);
    throw AutomationError(ErrorNumber::kInvalidArgument, "SqliteDatabase", std::move(description));
  }

  // ---- tokens ----

  void Lex() {
    const size_t n = sql_.size();
    size_t i = 0;
    tokens_.reserve(n / 4 + 16);  // id lists run about four characters a token
    auto push = [&](Kind kind, size_t start) { tokens_.push_back({kind, sql_.substr(start, i - start)}); };
    auto at = [&](size_t k) { return k < n ? sql_[k] : '\0'; };
    while (i < n) {
      const size_t start = i;
      const char c = sql_[i];
      if (IsSpace(c)) {
        while (i < n && IsSpace(sql_[i])) ++i;
        push(Kind::kSpace, start);
      } else if (c == '-' && at(i + 1) == '-') {
        const size_t eol = sql_.find('\n', i);
        i = eol == std::string_view::npos ? n : eol + 1;  // the line break belongs to the comment
        push(Kind::kComment, start);
      } else if (c == '/' && at(i + 1) == '*') {
        const size_t close = sql_.find("*/", i + 2);
        if (close == std::string_view::npos) Fail("unterminated comment");
        i = close + 2;
        push(Kind::kComment, start);
      } else if (c == '\'' || c == '"') {
        for (++i;; i += 2) {  // a doubled quote stands for itself
          i = sql_.find(c, i);
          if (i == std::string_view::npos) {
            Fail(c == '\'' ? "unterminated string literal" : "unterminated quoted identifier");
          }
          if (at(i + 1) != c) break;
        }
        ++i;
        push(c == '\'' ? Kind::kString : Kind::kQuoted, start);
      } else if (IsDigit(c) || (c == '.' && IsDigit(at(i + 1)))) {
        while (IsDigit(at(i))) ++i;
        if (at(i) == '.') {
          ++i;
          while (IsDigit(at(i))) ++i;
        }
        if ((at(i) == 'e' || at(i) == 'E') &&
            (IsDigit(at(i + 1)) || ((at(i + 1) == '+' || at(i + 1) == '-') && IsDigit(at(i + 2))))) {
          i += 2;
          while (IsDigit(at(i))) ++i;
        }
        push(Kind::kNumber, start);
      } else if (IsWordStart(c)) {
        while (i < n && IsWordChar(sql_[i])) ++i;
        push(Kind::kWord, start);
      } else if (c == '(') {
        size_t k = i + 1;
        while (IsSpace(at(k))) ++k;
        if (at(k) == '+') {
          ++k;
          while (IsSpace(at(k))) ++k;
          if (at(k) == ')') {
            i = k + 1;
            push(Kind::kOuterMark, start);
            continue;
          }
        }
        ++i;
        push(Kind::kOpen, start);
      } else if (c == ')') {
        ++i;
        push(Kind::kClose, start);
      } else {
        const char d = at(i + 1);
        const bool pair = (c == '|' && d == '|') || (c == '<' && (d == '=' || d == '>')) ||
                          (d == '=' && (c == '>' || c == '!' || c == '^' || c == ':')) ||
                          (c == '=' && d == '>');
        i += pair ? 2 : 1;
        push(Kind::kPunct, start);
      }
    }
  }

  // Pairs the parentheses and marks the groups that hold a query of their own.
  void MatchGroups() {
    match_.assign(tokens_.size(), kNone);
    isQuery_.assign(tokens_.size(), false);
    std::vector<size_t> open;
    for (size_t i = 0; i < tokens_.size(); ++i) {
      const Token& t = tokens_[i];
      if (t.kind == Kind::kOpen) {
        if (open.size() >= kMaxNesting) Fail("parentheses nested too deeply");
        open.push_back(i);
      } else if (t.kind == Kind::kClose) {
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

  bool IsWord(size_t i, std::string_view upper) const {
    if (i >= tokens_.size() || tokens_[i].kind != Kind::kWord) return false;
    const std::string_view text = tokens_[i].text;
    if (text.size() != upper.size()) return false;
    for (size_t k = 0; k < text.size(); ++k) {
      if (AsciiUpper(text[k]) != upper[k]) return false;
    }
    return true;
  }
  bool IsPunct(size_t i, std::string_view text) const {
    return i < tokens_.size() && tokens_[i].kind == Kind::kPunct && tokens_[i].text == text;
  }
  bool IsOpen(size_t i) const { return i < tokens_.size() && tokens_[i].kind == Kind::kOpen; }
  bool IsName(size_t i) const {
    return i < tokens_.size() && (tokens_[i].kind == Kind::kWord || tokens_[i].kind == Kind::kQuoted);
  }
  bool IsSignificant(size_t i) const {
    return tokens_[i].kind != Kind::kSpace && tokens_[i].kind != Kind::kComment;
  }
  size_t NextSig(size_t i) const {
    while (i < tokens_.size() && !IsSignificant(i)) ++i;
    return i;
  }
  size_t PrevSig(size_t i) const {
    while (i > 0) {
      if (IsSignificant(--i)) return i;
    }
    return kNone;
  }
  // The index after a token at the current level: a group is stepped over whole.
  size_t Step(size_t i) const { return tokens_[i].kind == Kind::kOpen ? match_[i] + 1 : i + 1; }

  // Names compare as Oracle compares them: unquoted in upper case, quoted exactly.
  std::string Normalized(size_t i) const {
    const std::string_view text = tokens_[i].text;
    std::string name;
    if (tokens_[i].kind == Kind::kQuoted) {
      for (size_t k = 1; k + 1 < text.size(); ++k) {
        name += text[k];
        if (text[k] == '"') ++k;
      }
    } else {
      for (char c : text) name += AsciiUpper(c);
    }
    return name;
  }

  bool IsClauseEnd(size_t i) const {
    static constexpr std::string_view kEnds[] = {"WHERE", "GROUP", "ORDER",     "HAVING", "CONNECT",
                                                 "START", "UNION", "INTERSECT", "MINUS",  "EXCEPT",
                                                 "FOR",   "LIMIT", "WINDOW"};
    if (IsPunct(i, ";")) return true;
    for (std::string_view end : kEnds) {
      if (IsWord(i, end)) return true;
    }
    return false;
  }
  bool IsSetOperator(size_t i) const {
    return IsWord(i, "UNION") || IsWord(i, "INTERSECT") || IsWord(i, "MINUS") || IsWord(i, "EXCEPT") ||
           IsPunct(i, ";");
  }

  // Every name in any FROM clause of the statement: a dotted name whose first part is one of
  // them is a column, not a package.
  void CollectTableNames() {
    for (size_t i = 0; i < tokens_.size(); ++i) {
      if (!IsWord(i, "FROM")) continue;
      for (size_t k = i + 1; k < tokens_.size() && tokens_[k].kind != Kind::kClose && !IsClauseEnd(k);
           k = Step(k)) {
        if (IsName(k)) tableNames_.insert(Normalized(k));
      }
    }
  }

  // ---- token edits: UNIQUE, package calls, sysdate ----

  Edit& EditOf(size_t i) {
    if (editIndex_.empty()) editIndex_.assign(tokens_.size(), 0);
    if (editIndex_[i] == 0) {
      edits_.emplace_back();
      editIndex_[i] = static_cast<uint32_t>(edits_.size());
    }
    return edits_[editIndex_[i] - 1];
  }

  void PlanEdits() {
    for (size_t i = 0; i < tokens_.size(); ++i) {
      if (tokens_[i].kind != Kind::kWord || IsPunct(PrevSig(i), ".")) continue;
      if (IsWord(i, "UNIQUE") && IsWord(PrevSig(i), "SELECT")) {
        EditOf(i).replace = CasedLike(tokens_[i].text, "distinct");
      } else if (IsWord(i, "SYSDATE")) {
        PlanSysdate(i);
      } else if (IsWord(i, "DUAL") && IsWord(PrevSig(i), "FROM")) {
        PlanDual(i);
      } else {
        PlanPackageCall(i);
      }
    }
    PlanOrderByNames(0, tokens_.size());
  }

  // Oracle resolves a bare ORDER BY name against the select list first, so "SELECT a.x ...
  // ORDER BY x" sorts by a.x even when another table of the FROM list has a column x. SQLite
  // resolves it against the tables and finds it ambiguous; naming the select item's column
  // in full keeps Oracle's meaning. Compound queries are left alone: their ORDER BY names the
  // result columns, which SQLite resolves the same way.
  void PlanOrderByNames(size_t begin, size_t end) {
    size_t select = kNone;
    size_t selects = 0;
    bool compound = false;
    for (size_t i = begin; i < end; i = Step(i)) {
      if (tokens_[i].kind == Kind::kOpen) {
        PlanOrderByNames(i + 1, match_[i]);
      } else if (IsWord(i, "SELECT")) {
        select = i;
        ++selects;
      } else if (IsSetOperator(i) && !IsPunct(i, ";")) {
        compound = true;
      }
    }
    if (selects != 1 || compound) return;
    const size_t from = FindAtLevel(select + 1, end, "FROM");
    if (from == kNone) return;
    size_t order = kNone;
    for (size_t i = from + 1; i < end && order == kNone; i = Step(i)) {
      if (IsWord(i, "ORDER") && IsWord(NextSig(i + 1), "BY")) order = i;
    }
    if (order == kNone) return;

    // Output names of the select list: a qualified column without alias gives its column
    // name; any other item ending in a name is taken as aliased (or a plain column, which
    // SQLite resolves as Oracle does).
    std::unordered_map<std::string, std::string> qualified;  // name -> full column, "" if twice
    std::unordered_set<std::string> aliases;
    size_t start = select + 1;
    for (size_t i = start; i <= from; i = i < from ? Step(i) : from + 1) {
      if (i < from && !IsPunct(i, ",")) continue;
      std::vector<size_t> parts;
      for (size_t k = start; k < i; k = Step(k)) {
        if (IsSignificant(k)) parts.push_back(k);
      }
      if (start == select + 1) {
        while (!parts.empty() &&
               (IsWord(parts[0], "DISTINCT") || IsWord(parts[0], "UNIQUE") || IsWord(parts[0], "ALL"))) {
          parts.erase(parts.begin());
        }
      }
      start = i + 1;
      if (parts.size() == 3 && IsName(parts[0]) && IsPunct(parts[1], ".") && IsName(parts[2])) {
        const std::string name = Normalized(parts[2]);
        const std::string column =
            std::string(tokens_[parts[0]].text) + "." + std::string(tokens_[parts[2]].text);
        const auto [it, added] = qualified.emplace(name, column);
        if (!added) it->second.clear();
      } else if (!parts.empty() && IsName(parts.back())) {
        aliases.insert(Normalized(parts.back()));
      }
    }

    const size_t termsEnd = FindTail(order + 1, end);  // LIMIT and the like, if any
    bool termStart = true;
    for (size_t i = NextSig(NextSig(order + 1) + 1); i < termsEnd; i = Step(i)) {
      if (!IsSignificant(i)) continue;
      if (IsPunct(i, ",")) {
        termStart = true;
        continue;
      }
      const bool first = termStart;
      termStart = false;
      if (!first || tokens_[i].kind != Kind::kWord) continue;
      const size_t next = NextSig(i + 1);
      if (IsPunct(next, ".") || IsOpen(next)) continue;
      const std::string name = Normalized(i);
      const auto found = qualified.find(name);
      if (aliases.count(name) != 0 || found == qualified.end() || found->second.empty()) continue;
      EditOf(i).replace = found->second;
    }
  }

  static std::string CasedLike(std::string_view model, std::string_view lower) {
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

  void PlanPackageCall(size_t i) {
    const size_t dot = NextSig(i + 1);
    if (!IsPunct(dot, ".")) return;
    const size_t function = NextSig(dot + 1);
    if (!IsName(function)) return;
    const size_t after = NextSig(function + 1);
    if (IsPunct(after, ".")) {
      const size_t third = NextSig(after + 1);
      if (IsName(third) && IsOpen(NextSig(third + 1))) {
        Fail("a function name of more than two parts");
      }
      return;
    }
    if (!IsOpen(after)) return;
    if (tokens_[function].kind != Kind::kWord || tableNames_.count(Normalized(i)) != 0) return;
    EditOf(i).replace = QualifiedFunctionName(tokens_[i].text, tokens_[function].text);
    for (size_t k = i + 1; k <= function; ++k) EditOf(k).replace = std::string();
  }

  // Oracle selects a lone value from its one-row table; SQLite needs no FROM clause for it.
  // FROM dual goes when it is the whole clause, with the blank before it.
  void PlanDual(size_t i) {
    const size_t from = PrevSig(i);
    if (IsWord(PrevSig(from), "DELETE")) return;
    const size_t next = NextSig(i + 1);
    if (next < tokens_.size() && tokens_[next].kind != Kind::kClose && !IsClauseEnd(next)) return;
    size_t k = from;
    while (k > 0 && tokens_[k - 1].kind == Kind::kSpace) --k;
    for (; k <= i; ++k) {
      if (tokens_[k].kind != Kind::kComment) EditOf(k).replace = std::string();
    }
  }

  void PlanSysdate(size_t i) {
    const size_t next = NextSig(i + 1);
    if (IsPunct(next, ".") || IsOpen(next)) return;
    static const std::string kNowDays = "julianday('now','localtime')";
    const size_t previous = PrevSig(i);
    if (IsPunct(previous, "+")) Fail("date arithmetic with sysdate on the right of +");
    if (IsPunct(previous, "-")) {
      // Oracle: date - sysdate is a number of days. The result is a number, so whatever
      // follows sysdate applies to it, except * and /, which would bind to sysdate alone.
      const size_t first = LoneDateLeftOf(previous);
      if (IsPunct(next, "*") || IsPunct(next, "/")) Fail("sysdate multiplied or divided");
      EditOf(first).before += "(julianday(";
      EditOf(PrevSig(previous)).after += ")";
      EditOf(i).replace = kNowDays + ")";
      return;
    }
    if (!IsPunct(next, "-") && !IsPunct(next, "+")) {
      EditOf(i).replace = std::string(kSqliteNow);
      return;
    }
    // Oracle: date - date is a number of days, date +/- number is a date.
    const auto [first, last, isDate] = ParseArithmeticTerm(NextSig(next + 1));
    if (isDate && IsPunct(next, "-")) {
      EditOf(i).replace = "(" + kNowDays;
      EditOf(first).before += "julianday(";
    } else {
      EditOf(i).replace = "datetime(" + kNowDays;
      EditOf(first).before += "(";
    }
    EditOf(last).after += "))";
  }

  // The first token of the operand left of the "-" at minus: a lone column (a, a.b, "a")
  // or text literal that is no operand of another operator, so that it alone is the date.
  size_t LoneDateLeftOf(size_t minus) const {
    static constexpr std::string_view kWhy =
        "date arithmetic with sysdate on the right of - whose left operand is not a lone column or text";
    size_t first = PrevSig(minus);
    if (first == kNone) Fail(kWhy);
    if (tokens_[first].kind == Kind::kWord || tokens_[first].kind == Kind::kQuoted) {
      if (IsWord(first, "SYSDATE") || IsKeyword(first)) Fail(kWhy);
      for (size_t dot = PrevSig(first); IsPunct(dot, ".") && IsName(PrevSig(dot)); dot = PrevSig(first)) {
        first = PrevSig(dot);
      }
      if (IsPunct(PrevSig(first), ".")) Fail(kWhy);
    } else if (tokens_[first].kind != Kind::kString) {
      Fail(kWhy);
    }
    const size_t before = PrevSig(first);
    if (IsPunct(before, "*") || IsPunct(before, "/") || IsPunct(before, "+") || IsPunct(before, "-") ||
        IsPunct(before, "||")) {
      Fail(kWhy);
    }
    return first;
  }

  // Words that end a clause or an operand rather than name a column: before "- sysdate"
  // they make the minus a sign.
  bool IsKeyword(size_t i) const {
    static constexpr std::string_view kWords[] = {"SELECT", "WHERE", "AND",    "OR",    "NOT",     "ON",
                                                  "THEN",   "ELSE",  "WHEN",   "BY",    "HAVING",  "SET",
                                                  "IN",     "IS",    "LIKE",   "CASE",  "BETWEEN", "DISTINCT",
                                                  "UNIQUE", "ALL",   "RETURN", "VALUES"};
    for (std::string_view word : kWords) {
      if (IsWord(i, word)) return true;
    }
    return false;
  }

  struct Term {
    size_t first;
    size_t last;
    bool isDate;  // a lone column or text literal: taken as a date
  };

  // The operand right of sysdate +/-: factors joined by * or /, which bind more tightly.
  Term ParseArithmeticTerm(size_t i) {
    Term term{i, i, false};
    bool lone = true;
    for (;;) {
      i = NextSig(i);
      if (IsPunct(i, "-") || IsPunct(i, "+")) {
        lone = false;
        i = NextSig(i + 1);
      }
      if (i >= tokens_.size() || IsWord(i, "CASE") || IsWord(i, "INTERVAL")) {
        Fail("an operand of sysdate arithmetic that cannot be read");
      }
      size_t last = i;
      bool simple = false;
      switch (tokens_[i].kind) {
        case Kind::kNumber:
          break;
        case Kind::kString:
          simple = true;
          break;
        case Kind::kOpen:
          last = match_[i];
          break;
        case Kind::kWord:
        case Kind::kQuoted: {
          for (size_t dot = NextSig(last + 1); IsPunct(dot, ".") && IsName(NextSig(dot + 1));
               dot = NextSig(last + 1)) {
            last = NextSig(dot + 1);
          }
          const size_t call = NextSig(last + 1);
          if (IsOpen(call)) {
            last = match_[call];
          } else {
            simple = true;
          }
          break;
        }
        default:
          Fail("an operand of sysdate arithmetic that cannot be read");
      }
      const size_t op = NextSig(last + 1);
      if (IsPunct(op, "*") || IsPunct(op, "/")) {
        lone = false;
        i = op + 1;
        continue;
      }
      term.last = last;
      term.isDate = lone && simple;
      return term;
    }
  }

  // ---- output ----

  void EmitToken(size_t i, std::string& out) const {
    const Token& t = tokens_[i];
    const Edit* edit = editIndex_.empty() || editIndex_[i] == 0 ? nullptr : &edits_[editIndex_[i] - 1];
    if (edit != nullptr) out += edit->before;
    if (edit != nullptr && edit->replace) {
      out += *edit->replace;
    } else {
      out += t.text;
    }
    if (edit != nullptr) out += edit->after;
    // A line comment moved in front of other text must not swallow it.
    if (t.kind == Kind::kComment && t.text.starts_with("--") && !t.text.ends_with("\n")) out += '\n';
  }

  // Emits [begin, end) with its edits; a group holding a query is translated on its own.
  void Emit(size_t begin, size_t end, std::string& out, bool dropMarks = false) const {
    for (size_t i = begin; i < end; ++i) {
      const Token& t = tokens_[i];
      if (t.kind == Kind::kOpen && isQuery_[i]) {
        EmitToken(i, out);
        TranslateLevel(i + 1, match_[i], out);
        EmitToken(match_[i], out);
        i = match_[i];
      } else if (t.kind == Kind::kOuterMark) {
        if (!dropMarks) Fail("an outer join marker (+) outside the WHERE clause of a query");
        while (!out.empty() && (out.back() == ' ' || out.back() == '\t')) out.pop_back();
      } else {
        EmitToken(i, out);
      }
    }
  }
  void Emit(Range r, std::string& out, bool dropMarks = false) const { Emit(r.begin, r.end, out, dropMarks); }

  // Translates the tokens of one nesting level: the query blocks found there and the text
  // around them.
  void TranslateLevel(size_t begin, size_t end, std::string& out) const {
    size_t done = begin;
    for (size_t i = begin; i < end;) {
      if (!IsWord(i, "SELECT")) {
        i = Step(i);
        continue;
      }
      Emit(done, i, out);
      size_t blockEnd = i + 1;
      while (blockEnd < end && !IsSetOperator(blockEnd)) blockEnd = Step(blockEnd);
      if (HasMark(i, blockEnd)) {
        RewriteOuterJoins(i, blockEnd, out);
      } else {
        Emit(i, blockEnd, out);
      }
      done = i = blockEnd;
    }
    Emit(done, end, out);
  }

  // Whether a (+) belongs to this range's own query (subqueries have their own).
  bool HasMark(size_t begin, size_t end) const {
    for (size_t i = begin; i < end; ++i) {
      if (tokens_[i].kind == Kind::kOpen && isQuery_[i]) {
        i = match_[i];
      } else if (tokens_[i].kind == Kind::kOuterMark) {
        return true;
      }
    }
    return false;
  }
  bool HasWordOutsideQueries(Range r, std::string_view upper) const {
    for (size_t i = r.begin; i < r.end; ++i) {
      if (tokens_[i].kind == Kind::kOpen && isQuery_[i]) {
        i = match_[i];
      } else if (IsWord(i, upper)) {
        return true;
      }
    }
    return false;
  }

  Range Trimmed(size_t begin, size_t end) const {
    while (begin < end && tokens_[begin].kind == Kind::kSpace) ++begin;
    while (end > begin && tokens_[end - 1].kind == Kind::kSpace) --end;
    return {begin, end};
  }

  size_t FindAtLevel(size_t begin, size_t end, std::string_view word) const {
    for (size_t i = begin; i < end; i = Step(i)) {
      if (IsWord(i, word) && !IsPunct(PrevSig(i), ".")) return i;
    }
    return kNone;
  }

  // Where the clauses after WHERE start (GROUP BY, ORDER BY, HAVING...), or end.
  size_t FindTail(size_t begin, size_t end) const {
    static constexpr std::pair<std::string_view, std::string_view> kTails[] = {
        {"GROUP", "BY"},   {"ORDER", "BY"}, {"CONNECT", "BY"}, {"START", "WITH"},
        {"FOR", "UPDATE"}, {"HAVING", ""},  {"LIMIT", ""},     {"WINDOW", ""}};
    for (size_t i = begin; i < end; i = Step(i)) {
      if (tokens_[i].kind != Kind::kWord || IsPunct(PrevSig(i), ".")) continue;
      for (const auto& [word, next] : kTails) {
        if (IsWord(i, word) && (next.empty() || IsWord(NextSig(i + 1), next))) return i;
      }
    }
    return end;
  }

  std::vector<FromItem> ParseFromList(size_t begin, size_t end) const {
    std::vector<FromItem> items;
    size_t start = begin;
    for (size_t i = begin; i <= end; i = i < end ? Step(i) : end + 1) {
      if (i < end && !IsPunct(i, ",")) continue;
      FromItem item;
      item.tokens = Trimmed(start, i);
      ParseFromItem(item);
      items.push_back(std::move(item));
      start = i + 1;
    }
    return items;
  }

  void ParseFromItem(FromItem& item) const {
    const auto [begin, end] = item.tokens;
    if (begin == end) Fail("an empty item in the FROM list");
    std::vector<size_t> parts;  // significant tokens at this level, a group counted once
    for (size_t i = begin; i < end; i = Step(i)) {
      if (!IsSignificant(i)) continue;
      if (IsWord(i, "JOIN") || IsWord(i, "ON") || IsWord(i, "USING")) {
        Fail("an outer join marker (+) mixed with JOIN syntax");
      }
      parts.push_back(i);
    }
    size_t k = 0;
    if (tokens_[parts[0]].kind == Kind::kOpen) {
      k = 1;
    } else if (IsName(parts[0])) {
      item.fullName = Normalized(parts[0]);
      item.key = item.fullName;
      for (k = 1; k + 1 < parts.size() && IsPunct(parts[k], ".") && IsName(parts[k + 1]); k += 2) {
        item.key = Normalized(parts[k + 1]);
        item.fullName += "." + item.key;
      }
    } else {
      Fail("a FROM item that cannot be read");
    }
    if (k < parts.size() && IsWord(parts[k], "AS")) ++k;
    if (k + 1 == parts.size() && IsName(parts[k])) {
      item.key = Normalized(parts[k]);
      item.hasAlias = true;
    } else if (k != parts.size()) {
      Fail("a FROM item that cannot be read");
    }
  }

  // The FROM item a column qualifier (one or two names) refers to, or kNone.
  size_t Resolve(const std::vector<FromItem>& items, const std::string& qualifier, bool dotted) const {
    size_t found = kNone;
    for (size_t k = 0; k < items.size(); ++k) {
      const FromItem& item = items[k];
      const bool match = dotted ? (!item.hasAlias && item.fullName == qualifier)
                                : (!item.key.empty() && item.key == qualifier);
      if (!match) continue;
      if (found != kNone) Fail("an outer-joined column whose table is ambiguous");
      found = k;
    }
    return found;
  }

  // Splits a condition into its AND-ed parts. A parenthesized part that holds (+) is opened,
  // so that "(p.ID (+) = b.ID)" moves as a whole and leaves no empty parentheses behind.
  void SplitConjuncts(size_t begin, size_t end, std::vector<Range>& out) const {
    size_t start = begin;
    size_t caseDepth = 0;
    bool inBetween = false;
    for (size_t i = begin; i <= end; i = i < end ? Step(i) : end + 1) {
      if (i < end) {
        if (IsWord(i, "CASE")) {
          ++caseDepth;
        } else if (IsWord(i, "END") && caseDepth > 0) {
          --caseDepth;
        } else if (IsWord(i, "BETWEEN") && caseDepth == 0) {
          inBetween = true;
        }
        if (!IsWord(i, "AND") || caseDepth > 0) continue;
        if (inBetween) {
          inBetween = false;
          continue;
        }
      }
      const Range part = Trimmed(start, i);
      if (part.begin == part.end) Fail("an empty condition in the WHERE clause");
      const size_t open = part.begin;
      if (tokens_[open].kind == Kind::kOpen && match_[open] == part.end - 1 && !isQuery_[open] &&
          HasMark(open + 1, part.end - 1)) {
        SplitConjuncts(open + 1, part.end - 1, out);
      } else {
        out.push_back(part);
      }
      start = i + 1;
    }
  }

  // Files an AND-ed part that holds (+) under the one table its marked columns belong to.
  void AssignOuterCondition(std::vector<FromItem>& items, Range part) const {
    if (HasWordOutsideQueries(part, "OR")) Fail("an outer join marker (+) inside an OR condition");
    size_t owner = kNone;
    for (size_t i = part.begin; i < part.end; ++i) {
      if (tokens_[i].kind == Kind::kOpen && isQuery_[i]) {
        i = match_[i];
        continue;
      }
      if (tokens_[i].kind != Kind::kOuterMark) continue;
      const size_t column = PrevSig(i);
      const size_t dot = column == kNone || column < part.begin ? kNone : PrevSig(column);
      const size_t table = IsName(column) && IsPunct(dot, ".") ? PrevSig(dot) : kNone;
      if (!IsName(table)) {
        Fail("an outer join marker (+) that does not follow a column qualified by its table");
      }
      std::string qualifier = Normalized(table);
      const size_t schemaDot = PrevSig(table);
      const bool dotted = IsPunct(schemaDot, ".") && IsName(PrevSig(schemaDot));
      if (dotted) qualifier = Normalized(PrevSig(schemaDot)) + "." + qualifier;
      const size_t item = Resolve(items, qualifier, dotted);
      if (item == kNone) Fail("an outer-joined column whose table is not in the FROM list");
      if (owner != kNone && owner != item) Fail("a condition that outer-joins two tables");
      owner = item;
    }
    items[owner].optional = true;
    items[owner].conditions.push_back(part);
  }

  // An outer-joined table whose ON clause names another outer-joined table joins after it.
  void FindDependencies(std::vector<FromItem>& items) const {
    for (size_t k = 0; k < items.size(); ++k) {
      for (const Range& r : items[k].conditions) {
        for (size_t i = r.begin; i < r.end; ++i) {
          if (tokens_[i].kind == Kind::kOpen && isQuery_[i]) {
            i = match_[i];
            continue;
          }
          if (!IsName(i) || IsPunct(PrevSig(i), ".") || !IsPunct(NextSig(i + 1), ".")) continue;
          const size_t other = Resolve(items, Normalized(i), false);
          if (other != kNone && other != k && items[other].optional) items[k].dependsOn.push_back(other);
        }
      }
    }
  }

  static std::vector<size_t> JoinOrder(const std::vector<FromItem>& items) {
    std::vector<size_t> order;
    std::vector<bool> placed(items.size(), false);
    size_t pending = 0;
    for (const FromItem& item : items) pending += item.optional ? 1 : 0;
    while (order.size() < pending) {
      size_t next = kNone;
      for (size_t k = 0; k < items.size() && next == kNone; ++k) {
        if (!items[k].optional || placed[k]) continue;
        bool ready = true;
        for (size_t d : items[k].dependsOn) ready = ready && placed[d];
        if (ready) next = k;
      }
      if (next == kNone) return {};
      placed[next] = true;
      order.push_back(next);
    }
    return order;
  }

  void RewriteOuterJoins(size_t begin, size_t end, std::string& out) const {
    const size_t from = FindAtLevel(begin, end, "FROM");
    const size_t where = from == kNone ? kNone : FindAtLevel(from + 1, end, "WHERE");
    if (where == kNone) Fail("an outer join marker (+) outside the WHERE clause of a query");
    const size_t tail = FindTail(where + 1, end);
    if (HasMark(begin, where) || HasMark(tail, end)) {
      Fail("an outer join marker (+) outside the WHERE clause of a query");
    }

    std::vector<FromItem> items = ParseFromList(from + 1, where);
    std::vector<Range> parts;
    SplitConjuncts(where + 1, tail, parts);
    std::vector<Range> remaining;
    for (const Range& part : parts) {
      if (HasMark(part.begin, part.end)) {
        AssignOuterCondition(items, part);
      } else {
        remaining.push_back(part);
      }
    }
    FindDependencies(items);
    const std::vector<size_t> order = JoinOrder(items);
    if (order.empty()) Fail("outer-joined tables that depend on each other in a cycle");
    if (order.size() == items.size()) Fail("no table of the FROM list that is not outer-joined");

    Emit(begin, from, out);
    EmitToken(from, out);
    out += ' ';
    bool first = true;
    for (const FromItem& item : items) {
      if (item.optional) continue;
      if (!first) out += ", ";
      first = false;
      Emit(item.tokens, out);
    }
    for (size_t k : order) {
      out += " LEFT JOIN ";
      Emit(items[k].tokens, out);
      out += " ON ";
      for (size_t c = 0; c < items[k].conditions.size(); ++c) {
        if (c > 0) out += " AND ";
        Emit(items[k].conditions[c], out, true);
      }
    }
    if (!remaining.empty()) {
      out += ' ';
      EmitToken(where, out);
      out += ' ';
      for (size_t c = 0; c < remaining.size(); ++c) {
        if (c > 0) out += " AND ";
        Emit(remaining[c], out);
      }
    }
    if (tail < end) {
      out += ' ';
      Emit(tail, end, out);
    } else {
      Emit(Trimmed(where + 1, end).end, end, out);  // the blank before a following UNION
    }
  }

  std::string_view sql_;
  std::vector<Token> tokens_;
  std::vector<size_t> match_;
  std::vector<bool> isQuery_;
  std::unordered_set<std::string> tableNames_;
  std::vector<uint32_t> editIndex_;
  std::vector<Edit> edits_;
};

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

std::string TranslateDialect(std::string_view oracleSql) { return Translator(oracleSql).Run(); }

}  // namespace ridirodev::standalone
