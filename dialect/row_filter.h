#pragma once
// The criteria a host's row set filters its rows by, as the component writes them:
// "COLUMN = value" and "COLUMN <> value" terms joined by AND, a value being a number or a text
// in single quotes (quotes doubled). Every engine's row set reads them alike.
#include <string>
#include <string_view>
#include <vector>

#include "ridirodev/core/variant.h"

namespace ridirodev::dialect {

struct FilterTerm {
  std::string column;
  bool notEqual = false;
  Variant value;
};

// Throws AutomationError (invalid argument, the given source) saying what is wrong.
std::vector<FilterTerm> ParseRowFilter(std::string_view criteria, std::string_view source);

// Texts compare without regard to case, numbers as numbers; a null cell matches no term.
bool FilterMatches(const Variant& cell, const FilterTerm& term);

}  // namespace ridirodev::dialect
