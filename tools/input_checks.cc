#include "tools/input_checks.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <set>

#include "ridirodev/core/text.h"
#include "ridirodev/host/database.h"
#include "ridirodev/model/m_ridirodev.h"
#include "standalone/routines.h"
#include "tools/command_support.h"
#include "tools/printable_stream.h"

namespace ridirodev::tool {
namespace {

// Empty values that mean something: they clear the text.
const std::set<std::string, std::less<>> kClearable = {"--heading1", "--heading2", "--description",
                                                       "--complex"};

void AddValueOptionNames(const CLI::App& app, std::set<std::string>& values, std::set<std::string>& flags) {
  for (const CLI::Option* option : app.get_options()) {
    for (const std::string& name : option->get_lnames()) {
      (option->get_type_size_max() > 0 ? values : flags).insert("--" + name);
    }
  }
  for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; })) {
    AddValueOptionNames(*sub, values, flags);
  }
}

void RefuseEmpty(const CLI::App& app) {
  for (const CLI::Option* option : app.get_options()) {
    if (option->get_positional() || option->get_type_size_max() == 0) continue;
    const auto& results = option->results();
    const std::string name = option->get_name();
    if (!kClearable.contains(name) && std::find(results.begin(), results.end(), "") != results.end()) {
      Invalid(name + " was given an empty value; give it a value, or leave the option out.");
    }
  }
  for (const CLI::App* sub : app.get_subcommands()) RefuseEmpty(*sub);
}

}  // namespace

void CheckText(const std::string& what, std::string_view text, int32_t width) {
  for (size_t at = 0; at < text.size(); ++at) {
    if (IsControl(text, at)) {
      Invalid(what + " '" + Printable(text) + "' holds a control character (" +
              Printable(text.substr(at, static_cast<unsigned char>(text[at]) == 0xC2 ? 2 : 1)) + ").");
    }
  }
  const size_t length = Utf8Length(text);
  if (width > 0 && length > static_cast<size_t>(width)) {
    Invalid(what + " is " + std::to_string(length) + " characters long; the dictionary keeps " +
            std::to_string(width) + ".");
  }
}

void CheckCalculationName(const std::string& what, std::string_view name, int32_t width) {
  CheckText(what, name, width);
  const std::string quoted = what + " '" + std::string(name) + "'";
  const auto blank = [](char c) { return c == ' '; };
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  if (std::any_of(name.begin(), name.end(), blank)) {
    Invalid(quoted + " has blanks; a calculation could not refer to it.");
  }
  if (!name.empty() && std::all_of(name.begin(), name.end(), digit)) {
    Invalid(quoted + " is digits only, which reads as an id; a calculation could not refer to it.");
  }
  if (!name.empty() && digit(name.front())) {
    Invalid(quoted + " starts with a digit; a calculation could not refer to it.");
  }
  if (standalone::IsCalculationKeyword(name)) {
    Invalid(quoted + " is a word of the calculation language; a calculation could not refer to it.");
  }
  if (!standalone::IsCalculationWord(name)) {
    Invalid(quoted +
            " is not a name a calculation can refer to: a letter or _ first, then letters, digits, "
            "_, $ or #.");
  }
}

int32_t ComplexTextWidth() { return MRidirodev::Current().Database().ColumnWidth("TQD_UDC_DEF", "Complex"); }

std::string DataTypeCode(std::string_view text) {
  const std::string code = ToUpper(TrimBlanks(text));
  if (code.size() != 1 || std::string_view("IFSED").find(code[0]) == std::string_view::npos) {
    Invalid("Unknown data type '" + std::string(TrimBlanks(text)) +
            "'; known: I (integer), F (number), S (text), E (enumerated), D (date).");
  }
  return code;
}

std::optional<int32_t> IdOf(const std::string& text, NamedBy by) {
  const auto id = by == NamedBy::kName ? std::nullopt : WholeNumber(text);
  if (by == NamedBy::kId && !id) Invalid("'" + text + "' is not an id (--id).");
  return id;
}

void IdAndName(const std::string& text, const std::string& byId, const std::vector<std::string>& byName,
               const std::string& hint) {
  std::string names;
  for (const std::string& name : byName) names += (names.empty() ? "" : ", ") + name;
  Invalid("'" + text + "' is both the id of " + byId + " and the name of " + names + "; " + hint);
}

void AddNamedByFlags(CLI::App& command, NamedBy& by, const std::string& what) {
  CLI::Option* id = command.add_flag_callback(
      "--id", [&by] { by = NamedBy::kId; }, "The " + what + " are named by id only");
  command
      .add_flag_callback(
          "--name", [&by] { by = NamedBy::kName; }, "The " + what + " are named by name only, digits too")
      ->excludes(id);
}

void ParseArguments(CLI::App& app, const std::vector<std::string>& argv) {
  std::set<std::string> values, flags;
  AddValueOptionNames(app, values, flags);
  std::vector<std::string> args;
  bool options = true;
  for (size_t i = 1; i < argv.size(); ++i) {
    const std::string& arg = argv[i];
    if (arg == "--") options = false;
    const std::string name = arg.substr(0, arg.size() - 1);
    if (options && arg.size() > 3 && arg.starts_with("--") && arg.ends_with("=") && values.contains(name) &&
        !flags.contains(name)) {
      args.push_back(name);
      args.emplace_back();
    } else {
      args.push_back(arg);
    }
  }
  if (app.get_name().empty() && !argv.empty()) app.name(argv.front());
  std::reverse(args.begin(), args.end());
  app.parse(args);
  RefuseEmpty(app);
}

}  // namespace ridirodev::tool
