#include "ridirodev/model/filter/filter.h"

#include <cstdio>
#include <optional>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/date.h"
#include "ridirodev/core/text.h"
#include "ridirodev/host/services.h"
#include "ridirodev/model/functions.h"
#include "ridirodev/model/m_ridirodev.h"

namespace ridirodev {
namespace {

constexpr std::string_view kMissingLeft =
    "Missing left parenthesis. Operator 'in' and 'not in' require that  arguments must be enclosed in ( ).";
constexpr std::string_view kMissingRight =
    "Missing right parenthesis. Operator 'in' and 'not in' require that  arguments must be enclosed in ( ).";
constexpr std::string_view kExtraCharacters = "Extra characters after the closing parenthesis.";
constexpr std::string_view kDecimalSeparator =
    "When creating a criteria only a  '.'  may be used as the decimal separator";
constexpr std::string_view kRangeOrder =
    "In range operator '...' right operand value must be greater or equal to left operand value.";
constexpr std::string_view kDateRangeOrder =
    "In range operator '...' right operand date value must be greater or equal to left operand date value.";

std::string_view TrimSpaces(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

bool IsDelimiter(char c) { return c == '(' || c == ')' || c == ','; }

struct Token {
  std::string_view text;
  size_t next;  // where the following token is searched from
};

// One token from position start: a parenthesis or comma by itself, a quoted text with its
// quotes (two quotes in a row stand for one), or a word up to the next parenthesis or comma,
// trimmed. Nothing left, or a quote never closed, gives an empty token at the end.
Token NextToken(std::string_view e, size_t start) {
  size_t i = start;
  while (i < e.size() && e[i] == ' ') ++i;
  if (i >= e.size()) return {{}, e.size()};
  if (IsDelimiter(e[i])) return {e.substr(i, 1), i + 1};
  if (e[i] == '\'') {
    for (size_t k = i + 1; k < e.size(); ++k) {
      if (e[k] != '\'') continue;
      if (k + 1 < e.size() && e[k + 1] == '\'') {
        ++k;
        continue;
      }
      return {e.substr(i, k - i + 1), k + 1};
    }
    return {{}, e.size()};
  }
  size_t end = i;
  while (end < e.size() && !IsDelimiter(e[end])) ++end;
  return {TrimSpaces(e.substr(i, end - i)), end};
}

struct Operator {
  std::string name;
  size_t operand;  // where the operand starts
};

Operator ParseOperator(MRidirodev& state, std::string_view e) {
  Operator op;
  const char c1 = e.empty() ? '\0' : e[0];
  if (c1 == '=' || c1 == '!' || c1 == '>' || c1 == '<') {
    const bool twoCharacters = e.size() < 2 || e[1] == '=' || e[1] == '>';
    op.operand = twoCharacters ? std::min<size_t>(2, e.size()) : 1;
    op.name = std::string(e.substr(0, op.operand));
  } else {
    Token word = NextToken(e, 0);
    op.name = ToLower(word.text);
    op.operand = word.next;
    if (op.name == "not") {
      const Token second = NextToken(e, word.next);
      op.name += " " + ToLower(second.text);
      op.operand = second.next;
    }
  }
  if (!state.Operators()->Exists(Variant(op.name))) return {"=", 0};
  return op;
}

std::string_view StripOneMinus(std::string_view v) { return !v.empty() && v[0] == '-' ? v.substr(1) : v; }

// A single value or a list item checked by data type; the check's message goes to error.
ValueCheck CheckValue(MRidirodev& state, std::string_view value, std::string_view dataType) {
  const IAppSupport& support = state.Support();
  if (dataType == "I") return support.CheckInteger(StripOneMinus(value));
  if (dataType == "F") {
    const std::string_view digits = StripOneMinus(value);
    for (char c : digits) {
      if ((c < '0' || c > '9') && c != '.') return {false, std::string(kDecimalSeparator), Variant()};
    }
    return support.CheckNumber(digits);
  }
  if (dataType == "S" || dataType == "E") return support.CheckText(value);
  if (dataType == "D") return support.CheckDate(value);
  return {false, "", Variant()};
}

// A list item: a value, or for "I", "F" and "D" a range low...high with low <= high.
bool CheckListItem(MRidirodev& state, std::string_view item, std::string_view dataType, std::string& error) {
  const size_t dots = item.find("...");
  if (dots == std::string_view::npos || (dataType != "I" && dataType != "F" && dataType != "D")) {
    ValueCheck check = CheckValue(state, item, dataType);
    if (!check.ok) error = std::move(check.message);
    return check.ok;
  }
  const std::string_view low = item.substr(0, dots);
  const std::string_view high = item.substr(dots + 3);
  ValueCheck lowCheck = CheckValue(state, low, dataType);
  if (!lowCheck.ok) {
    error = std::move(lowCheck.message);
    return false;
  }
  ValueCheck highCheck = CheckValue(state, high, dataType);
  if (!highCheck.ok) {
    error = std::move(highCheck.message);
    return false;
  }
  // A value the host's check accepted may still fail conversion (a host with laxer rules):
  // the criterion is then invalid, with the conversion's reason.
  try {
    if (dataType == "D") {
      if (highCheck.value.ToDate() < lowCheck.value.ToDate()) {
        error = std::string(kDateRangeOrder);
        return false;
      }
      return true;
    }
    bool ordered = false;
    if (dataType == "I") {
      ordered = Variant(low).ToInt32() <= Variant(high).ToInt32();
    } else {
      const IAppSupport& support = state.Support();
      ordered = support.ToNumber(low) <= support.ToNumber(high);
    }
    if (!ordered) error = std::string(kRangeOrder);
    return ordered;
  } catch (const AutomationError& e) {
    error = e.Description();
    return false;
  }
}

bool CheckList(MRidirodev& state, std::string_view e, size_t start, std::string_view dataType,
               std::string& error) {
  enum class Expect { kOpening, kValue, kSeparator };
  Expect expect = Expect::kOpening;
  for (size_t pos = start;;) {
    const Token token = NextToken(e, pos);
    pos = token.next;
    switch (expect) {
      case Expect::kOpening:
        if (token.text != "(") {
          error = std::string(kMissingLeft);
          return false;
        }
        expect = Expect::kValue;
        break;
      case Expect::kValue:
        if (!CheckListItem(state, token.text, dataType, error)) return false;
        expect = Expect::kSeparator;
        break;
      case Expect::kSeparator:
        if (token.text == ",") {
          expect = Expect::kValue;
        } else if (token.text == ")") {
          if (pos != e.size()) {
            error = std::string(kExtraCharacters);
            return false;
          }
          return true;
        } else {
          error = std::string(kMissingRight);
          return false;
        }
        break;
    }
  }
}

}  // namespace

void CFilter::Initialize(int32_t ordRow, std::string_view sExpressionA, std::string_view sDataTypeA) {
  row_ = ordRow;
  expression_ = std::string(TrimSpaces(sExpressionA));
  dataType_ = std::string(sDataTypeA);
  key_ = "Id:" + std::to_string(ordRow);
}

std::string CFilter::FormattedExpression() const {
  if (dataType_ != "D") return expression_;
  const std::optional<Date> date = Date::Parse(expression_);
  if (!date) return expression_;
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", date->Year(), date->Month(), date->Day(),
                date->Hour(), date->Minute());
  return text;
}

CFilterPtr CFilter::Clone() const {
  auto copy = std::make_shared<CFilter>();
  copy->Initialize(row_, expression_, dataType_);
  return copy;
}

bool CFilter::IsValid(std::string& sError) const {
  sError.clear();
  const std::string_view e = expression_;
  MRidirodev& state = MRidirodev::Current();
  const Operator op = ParseOperator(state, e);
  if (op.name.find("in") == std::string::npos) {
    const std::string_view operand =
        op.operand < e.size() ? TrimSpaces(e.substr(op.operand)) : std::string_view();
    if (operand.empty()) return false;
    ValueCheck check = CheckValue(state, operand, dataType_);
    if (!check.ok) sError = std::move(check.message);
    return check.ok;
  }
  return CheckList(state, e, op.operand, dataType_, sError);
}

std::shared_ptr<CFilters> CFilters::Clone() const {
  auto copy = std::make_shared<CFilters>();
  copy->Reserve(static_cast<size_t>(Count()));
  for (const CFilterPtr& filter : *this) copy->Add(filter->Clone());
  return copy;
}

}  // namespace ridirodev
