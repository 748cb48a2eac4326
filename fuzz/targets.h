#pragma once

// Fuzz targets of the component and its standalone host, one function each, shared by the
// libFuzzer executables and by the test that replays the seed corpora.
//
// A target takes any bytes and returns normally. It catches the AutomationError a user can
// cause with bad input; anything else is a finding: a crash, a leak, undefined behaviour, any
// other exception, or a broken round trip, which it throws as std::logic_error.

#include <span>
#include <string_view>

namespace ridirodev::fuzz {

// An Oracle-dialect statement translated for SQLite.
void FuzzDialect(std::string_view input);

// A settings file read; what the store writes back must read again to the same text.
void FuzzSettings(std::string_view input);

// A row criterion checked: the first byte picks the data type, the rest is the expression.
// IsValid must answer for any text, and a valid criterion has no message.
void FuzzCriteria(std::string_view input);

// A property bag read; what it writes must read back to the same text, and the four property
// filters must read it (keeping what does not convert) and describe themselves.
void FuzzPropertyBag(std::string_view input);

struct Target {
  std::string_view name;  // of the executable <name>_fuzzer and of the seed folder corpus/<name>
  void (*run)(std::string_view input);
};

// Every target, for the replay of the corpora.
std::span<const Target> Targets();

}  // namespace ridirodev::fuzz
