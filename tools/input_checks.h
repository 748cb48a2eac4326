#pragma once

// Checks of what a user types, shared by the command families and made before anything is
// written. Stored dictionaries may hold texts these checks refuse: only new names and values
// given are checked.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace CLI {
class App;
}

namespace ridirodev::tool {

// Text of no control character and at most width characters (a width of 0 or less was not
// measured and limits nothing); what names the text in the error ("--heading1").
void CheckText(const std::string& what, std::string_view text, int32_t width);
// A name that a calculation can refer to, as CheckText and more: no blanks, not digits only,
// no digit first, not a word of the calculation language.
void CheckCalculationName(const std::string& what, std::string_view name, int32_t width);
// The width of a calculation's complex text in the dictionary, 0 when not known.
int32_t ComplexTextWidth();
// The data type letter in capitals; an unknown one is an error that lists the known ones.
std::string DataTypeCode(std::string_view text);

// How the fields or busy hours named on a command line are meant.
enum class NamedBy { kIdOrName, kId, kName };
// The id that text is, when it may be one; an error when it must be one (--id) and is not.
std::optional<int32_t> IdOf(const std::string& text, NamedBy by);
// The error for a text that is the id of one thing and the name of others, naming them all.
[[noreturn]] void IdAndName(const std::string& text, const std::string& byId,
                            const std::vector<std::string>& byName, const std::string& hint);
// The --id and --name flags of a command whose arguments name fields or busy hours.
void AddNamedByFlags(CLI::App& command, NamedBy& by, const std::string& what);

// Parses a command line (argv[0] the program) as the tool does: "--option=" gives the option an
// empty value instead of taking the next argument, and an empty value is an error (5) unless it
// clears a text (--heading1, --heading2, --description, --complex). CLI11's own errors propagate.
void ParseArguments(CLI::App& app, const std::vector<std::string>& argv);

}  // namespace ridirodev::tool
