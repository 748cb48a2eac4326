#include "dialect/outer_join_rewriter.h"

#include <utility>

namespace ridirodev::dialect {

std::string OuterJoinRewriter::Write() const {
  std::string out;
  out.reserve(t_.Sql().size() + t_.Sql().size() / 8 + 64);
  TranslateLevel(0, t_.size(), out);
  return out;
}

// Emits [begin, end) with its edits; a group holding a query is translated on its own.
void OuterJoinRewriter::Emit(size_t begin, size_t end, std::string& out, bool dropMarks) const {
  for (size_t i = begin; i < end; ++i) {
    const Token& t = t_[i];
    if (t.kind == TokenKind::kOpen && t_.IsQuery(i)) {
      t_.EmitToken(i, out);
      TranslateLevel(i + 1, t_.Match(i), out);
      t_.EmitToken(t_.Match(i), out);
      i = t_.Match(i);
    } else if (t.kind == TokenKind::kOuterMark) {
      if (!dropMarks) t_.Fail("an outer join marker (+) outside the WHERE clause of a query");
      while (!out.empty() && (out.back() == ' ' || out.back() == '\t')) out.pop_back();
    } else {
      t_.EmitToken(i, out);
    }
  }
}

// Translates the tokens of one nesting level: the query blocks found there and the text
// around them.
void OuterJoinRewriter::TranslateLevel(size_t begin, size_t end, std::string& out) const {
  size_t done = begin;
  for (size_t i = begin; i < end;) {
    if (!t_.IsWord(i, "SELECT")) {
      i = t_.Step(i);
      continue;
    }
    Emit(done, i, out);
    size_t blockEnd = i + 1;
    while (blockEnd < end && !t_.IsSetOperator(blockEnd)) blockEnd = t_.Step(blockEnd);
    if (t_.HasMark(i, blockEnd)) {
      RewriteOuterJoins(i, blockEnd, out);
    } else {
      Emit(i, blockEnd, out);
    }
    done = i = blockEnd;
  }
  Emit(done, end, out);
}

std::vector<OuterJoinRewriter::FromItem> OuterJoinRewriter::ParseFromList(size_t begin, size_t end) const {
  std::vector<FromItem> items;
  size_t start = begin;
  for (size_t i = begin; i <= end; i = i < end ? t_.Step(i) : end + 1) {
    if (i < end && !t_.IsPunct(i, ",")) continue;
    FromItem item;
    item.tokens = t_.Trimmed(start, i);
    ParseFromItem(item);
    items.push_back(std::move(item));
    start = i + 1;
  }
  return items;
}

void OuterJoinRewriter::ParseFromItem(FromItem& item) const {
  const auto [begin, end] = item.tokens;
  if (begin == end) t_.Fail("an empty item in the FROM list");
  std::vector<size_t> parts;  // significant tokens at this level, a group counted once
  for (size_t i = begin; i < end; i = t_.Step(i)) {
    if (!t_.IsSignificant(i)) continue;
    if (t_.IsWord(i, "JOIN") || t_.IsWord(i, "ON") || t_.IsWord(i, "USING")) {
      t_.Fail("an outer join marker (+) mixed with JOIN syntax");
    }
    parts.push_back(i);
  }
  if (parts.empty()) t_.Fail("an empty item in the FROM list");  // comments alone
  size_t k = 0;
  if (t_[parts[0]].kind == TokenKind::kOpen) {
    k = 1;
  } else if (t_.IsName(parts[0])) {
    item.fullName = t_.Normalized(parts[0]);
    item.key = item.fullName;
    for (k = 1; k + 1 < parts.size() && t_.IsPunct(parts[k], ".") && t_.IsName(parts[k + 1]); k += 2) {
      item.key = t_.Normalized(parts[k + 1]);
      item.fullName += "." + item.key;
    }
  } else {
    t_.Fail("a FROM item that cannot be read");
  }
  if (k < parts.size() && t_.IsWord(parts[k], "AS")) ++k;
  if (k + 1 == parts.size() && t_.IsName(parts[k])) {
    item.key = t_.Normalized(parts[k]);
    item.hasAlias = true;
  } else if (k != parts.size()) {
    t_.Fail("a FROM item that cannot be read");
  }
}

// The FROM item a column qualifier (one or two names) refers to, or kNoToken.
size_t OuterJoinRewriter::Resolve(const std::vector<FromItem>& items, const std::string& qualifier,
                                  bool dotted) const {
  size_t found = kNoToken;
  for (size_t k = 0; k < items.size(); ++k) {
    const FromItem& item = items[k];
    const bool match = dotted ? (!item.hasAlias && item.fullName == qualifier)
                              : (!item.key.empty() && item.key == qualifier);
    if (!match) continue;
    if (found != kNoToken) t_.Fail("an outer-joined column whose table is ambiguous");
    found = k;
  }
  return found;
}

// Splits a condition into its AND-ed parts. A parenthesized part that holds (+) is opened,
// so that "(p.ID (+) = b.ID)" moves as a whole and leaves no empty parentheses behind.
void OuterJoinRewriter::SplitConjuncts(size_t begin, size_t end, std::vector<TokenRange>& out) const {
  size_t start = begin;
  size_t caseDepth = 0;
  bool inBetween = false;
  for (size_t i = begin; i <= end; i = i < end ? t_.Step(i) : end + 1) {
    if (i < end) {
      if (t_.IsWord(i, "CASE")) {
        ++caseDepth;
      } else if (t_.IsWord(i, "END") && caseDepth > 0) {
        --caseDepth;
      } else if (t_.IsWord(i, "BETWEEN") && caseDepth == 0) {
        inBetween = true;
      }
      if (!t_.IsWord(i, "AND") || caseDepth > 0) continue;
      if (inBetween) {
        inBetween = false;
        continue;
      }
    }
    const TokenRange part = t_.Trimmed(start, i);
    if (part.begin == part.end) t_.Fail("an empty condition in the WHERE clause");
    const size_t open = part.begin;
    if (t_[open].kind == TokenKind::kOpen && t_.Match(open) == part.end - 1 && !t_.IsQuery(open) &&
        t_.HasMark(open + 1, part.end - 1)) {
      SplitConjuncts(open + 1, part.end - 1, out);
    } else {
      out.push_back(part);
    }
    start = i + 1;
  }
}

// Files an AND-ed part that holds (+) under the one table its marked columns belong to.
void OuterJoinRewriter::AssignOuterCondition(std::vector<FromItem>& items, TokenRange part) const {
  if (t_.HasWordOutsideQueries(part, "OR")) t_.Fail("an outer join marker (+) inside an OR condition");
  size_t owner = kNoToken;
  for (size_t i = part.begin; i < part.end; ++i) {
    if (t_[i].kind == TokenKind::kOpen && t_.IsQuery(i)) {
      i = t_.Match(i);
      continue;
    }
    if (t_[i].kind != TokenKind::kOuterMark) continue;
    const size_t column = t_.PrevSig(i);
    const size_t dot = column == kNoToken || column < part.begin ? kNoToken : t_.PrevSig(column);
    const size_t table = t_.IsName(column) && t_.IsPunct(dot, ".") ? t_.PrevSig(dot) : kNoToken;
    if (!t_.IsName(table)) {
      t_.Fail("an outer join marker (+) that does not follow a column qualified by its table");
    }
    std::string qualifier = t_.Normalized(table);
    const size_t schemaDot = t_.PrevSig(table);
    const bool dotted = t_.IsPunct(schemaDot, ".") && t_.IsName(t_.PrevSig(schemaDot));
    if (dotted) qualifier = t_.Normalized(t_.PrevSig(schemaDot)) + "." + qualifier;
    const size_t item = Resolve(items, qualifier, dotted);
    if (item == kNoToken) t_.Fail("an outer-joined column whose table is not in the FROM list");
    if (owner != kNoToken && owner != item) t_.Fail("a condition that outer-joins two tables");
    owner = item;
  }
  items[owner].optional = true;
  items[owner].conditions.push_back(part);
}

// An outer-joined table whose ON clause names another outer-joined table joins after it.
void OuterJoinRewriter::FindDependencies(std::vector<FromItem>& items) const {
  for (size_t k = 0; k < items.size(); ++k) {
    for (const TokenRange& r : items[k].conditions) {
      for (size_t i = r.begin; i < r.end; ++i) {
        if (t_[i].kind == TokenKind::kOpen && t_.IsQuery(i)) {
          i = t_.Match(i);
          continue;
        }
        if (!t_.IsName(i) || t_.IsPunct(t_.PrevSig(i), ".") || !t_.IsPunct(t_.NextSig(i + 1), ".")) continue;
        const size_t other = Resolve(items, t_.Normalized(i), false);
        if (other != kNoToken && other != k && items[other].optional) items[k].dependsOn.push_back(other);
      }
    }
  }
}

std::vector<size_t> OuterJoinRewriter::JoinOrder(const std::vector<FromItem>& items) {
  std::vector<size_t> order;
  std::vector<bool> placed(items.size(), false);
  size_t pending = 0;
  for (const FromItem& item : items) pending += item.optional ? 1 : 0;
  while (order.size() < pending) {
    size_t next = kNoToken;
    for (size_t k = 0; k < items.size() && next == kNoToken; ++k) {
      if (!items[k].optional || placed[k]) continue;
      bool ready = true;
      for (size_t d : items[k].dependsOn) ready = ready && placed[d];
      if (ready) next = k;
    }
    if (next == kNoToken) return {};
    placed[next] = true;
    order.push_back(next);
  }
  return order;
}

void OuterJoinRewriter::RewriteOuterJoins(size_t begin, size_t end, std::string& out) const {
  const size_t from = t_.FindAtLevel(begin, end, "FROM");
  const size_t where = from == kNoToken ? kNoToken : t_.FindAtLevel(from + 1, end, "WHERE");
  if (where == kNoToken) t_.Fail("an outer join marker (+) outside the WHERE clause of a query");
  const size_t tail = t_.FindTail(where + 1, end);
  if (t_.HasMark(begin, where) || t_.HasMark(tail, end)) {
    t_.Fail("an outer join marker (+) outside the WHERE clause of a query");
  }

  std::vector<FromItem> items = ParseFromList(from + 1, where);
  std::vector<TokenRange> parts;
  SplitConjuncts(where + 1, tail, parts);
  std::vector<TokenRange> remaining;
  for (const TokenRange& part : parts) {
    if (t_.HasMark(part.begin, part.end)) {
      AssignOuterCondition(items, part);
    } else {
      remaining.push_back(part);
    }
  }
  FindDependencies(items);
  const std::vector<size_t> order = JoinOrder(items);
  if (order.empty()) t_.Fail("outer-joined tables that depend on each other in a cycle");
  if (order.size() == items.size()) t_.Fail("no table of the FROM list that is not outer-joined");

  Emit(begin, from, out);
  t_.EmitToken(from, out);
  out += ' ';
  bool first = true;
  for (const FromItem& item : items) {
    if (item.optional) continue;
    if (!first) out += t_.Target().crossJoinRequired ? " CROSS JOIN " : ", ";
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
    t_.EmitToken(where, out);
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
    Emit(t_.Trimmed(where + 1, end).end, end, out);  // the blank before a following UNION
  }
}

}  // namespace ridirodev::dialect
