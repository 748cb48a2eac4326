#include "dialect/row_filter.h"

#include <cctype>
#include <utility>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"

namespace ridirodev::dialect {

std::vector<FilterTerm> ParseRowFilter(std::string_view criteria, std::string_view source) {
  std::vector<FilterTerm> terms;
  size_t pos = 0;
  auto skip = [&] {
    while (pos < criteria.size() && (criteria[pos] == ' ' || criteria[pos] == '\t')) ++pos;
  };
  auto bad = [&](const char* why) -> void {
    throw AutomationError(ErrorNumber::kInvalidArgument, std::string(source),
                          std::string("Row set filter: ") + why + ": " + std::string(criteria));
  };
  skip();
  while (pos < criteria.size()) {
    FilterTerm term;
    const size_t start = pos;
    while (pos < criteria.size() &&
           (std::isalnum(static_cast<unsigned char>(criteria[pos])) || criteria[pos] == '_'))
      ++pos;
    term.column = std::string(criteria.substr(start, pos - start));
    if (term.column.empty()) bad("a column name is expected");
    skip();
    if (criteria.substr(pos, 2) == "<>" || criteria.substr(pos, 2) == "!=") {
      term.notEqual = true;
      pos += 2;
    } else if (pos < criteria.size() && criteria[pos] == '=') {
      ++pos;
    } else {
      bad("only = and <> are supported");
    }
    skip();
    if (pos < criteria.size() && criteria[pos] == '\'') {
      std::string text;
      ++pos;
      for (;;) {
        if (pos >= criteria.size()) bad("unterminated text");
        if (criteria[pos] == '\'') {
          if (pos + 1 < criteria.size() && criteria[pos + 1] == '\'') {
            text += '\'';
            pos += 2;
            continue;
          }
          ++pos;
          break;
        }
        text += criteria[pos++];
      }
      term.value = Variant(std::move(text));
    } else {
      const size_t vstart = pos;
      while (pos < criteria.size() && criteria[pos] != ' ') ++pos;
      double d = 0;
      if (!Variant::ParseNumber(criteria.substr(vstart, pos - vstart), d))
        bad("a number or a quoted text is expected");
      term.value = Variant(d);
    }
    terms.push_back(std::move(term));
    skip();
    if (pos < criteria.size()) {
      if (!EqualsNoCase(criteria.substr(pos, 3), "and")) bad("terms must be joined by AND");
      pos += 3;
      skip();
    }
  }
  return terms;
}

bool FilterMatches(const Variant& cell, const FilterTerm& term) {
  bool equal = false;
  if (cell.IsNull() || cell.IsEmpty()) {
    equal = false;
  } else if (term.value.IsString()) {
    equal = EqualsNoCase(cell.ToString(), term.value.StringRef());
  } else {
    double d = 0;
    equal = cell.IsNumber() ? cell.ToDouble() == term.value.ToDouble()
                            : (cell.IsString() && Variant::ParseNumber(cell.StringRef(), d) &&
                               d == term.value.ToDouble());
  }
  return term.notEqual ? !equal && !cell.IsNull() : equal;
}

}  // namespace ridirodev::dialect
