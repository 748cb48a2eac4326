#include "tools/input_checks.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <set>

#include "ridirodev/core/text.h"
#include "ridirodev/frame/state.h"
#include "ridirodev/host/database.h"
#include "standalone/routines.h"
#include "tools/command_support.h"

namespace ridirodev::tool {
namespace {

// Appends c, escaped when it is a control character. held keeps a 0xC2 byte until the next
// one says whether the two are a control character of the second range (U+0080 to U+009F).
void AppendEscaped(std::string& out, char ch, bool keepLines, bool& held) {
  const auto c = static_cast<unsigned char>(ch);
  char code[8];
  if (held) {
    held = false;
    if (c >= 0x80 && c <= 0x9F) {
      std::snprintf(code, sizeof code, "\\u%04X", c);
      out += code;
      return;
    }
    out += '\xC2';
  }
  if (c == 0xC2) {
    held = true;
  } else if (keepLines && (c == '\n' || c == '\t')) {
    out += ch;
  } else if (c == '\n' || c == '\t' || c == '\r') {
    out += c == '\n' ? "\\n" : c == '\t' ? "\\t" : "\\r";
  } else if (c < 0x20 || c == 0x7F) {
    std::snprintf(code, sizeof code, "\\x%02X", c);
    out += code;
  } else {
    out += ch;
  }
}

bool IsControl(std::string_view text, size_t at) {
  const auto c = static_cast<unsigned char>(text[at]);
  return c < 0x20 || c == 0x7F ||
         (c == 0xC2 && at + 1 < text.size() && static_cast<unsigned char>(text[at + 1]) <= 0x9F &&
          static_cast<unsigned char>(text[at + 1]) >= 0x80);
}

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

std::string Printable(std::string_view text) {
  size_t at = 0;
  while (at < text.size() && !IsControl(text, at)) ++at;
  if (at == text.size()) return std::string(text);
  std::string out(text.substr(0, at));
  bool held = false;
  for (; at < text.size(); ++at) AppendEscaped(out, text[at], false, held);
  if (held) out += '\xC2';
  return out;
}

PrintableStream::PrintableStream(std::ostream& stream) : stream_(stream), target_(stream.rdbuf(this)) {}

PrintableStream::~PrintableStream() {
  if (held_) target_->sputc('\xC2');
  stream_.rdbuf(target_);
}

PrintableStream::int_type PrintableStream::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  const char ch = traits_type::to_char_type(c);
  return xsputn(&ch, 1) == 1 ? c : traits_type::eof();
}

std::streamsize PrintableStream::xsputn(const char* s, std::streamsize n) {
  std::string out;
  out.reserve(static_cast<size_t>(n));
  for (std::streamsize i = 0; i < n; ++i) AppendEscaped(out, s[i], true, held_);
  const auto size = static_cast<std::streamsize>(out.size());
  return target_->sputn(out.data(), size) == size ? n : 0;
}

int PrintableStream::sync() { return target_->pubsync(); }

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
