#include "tools/user_commands.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/engine_database.h"
#include "ridirodev/core/text.h"
#include "standalone/host.h"
#include "tools/command_support.h"
#include "tools/commands.h"

namespace ridirodev::tool {
namespace {

// The widths of PM_User's columns.
constexpr size_t kNameWidth = 30;
constexpr size_t kFullNameWidth = 64;

// The texts of the first column of sql's rows, with one whole-number parameter.
std::vector<std::string> Texts(engine::EngineDatabase& db, std::string_view sql, int64_t param) {
  const auto statement = db.Prepare(sql);
  statement->BindInt(1, param);
  std::vector<std::string> texts;
  while (statement->Step()) texts.push_back(statement->IsNull(0) ? "" : statement->Text(0));
  return texts;
}

std::optional<int64_t> IdOf(engine::EngineDatabase& db, const std::string& name) {
  const auto statement = db.Prepare("SELECT Id FROM PM_User WHERE Name = ?1 COLLATE NOCASE");
  statement->BindText(1, name);
  if (!statement->Step()) return std::nullopt;
  return statement->Int(0);
}

std::string Checked(const std::string& given, const char* what, size_t width, bool required) {
  const std::string text(TrimBlanks(given));
  if (required && text.empty()) Invalid(std::string("The ") + what + " is missing.");
  if (Utf8Length(text) > width) {
    Invalid(std::string("The ") + what + " is " + std::to_string(Utf8Length(text)) +
            " characters long; the dictionary keeps " + std::to_string(width) + ".");
  }
  return text;
}

}  // namespace

void ListUsers(engine::EngineDatabase& db, const std::string& current, std::ostream& out) {
  const auto statement = db.Prepare("SELECT Id, Name, Full_Name FROM PM_User ORDER BY Id");
  std::vector<std::vector<std::string>> rows;
  while (statement->Step()) {
    rows.push_back({std::to_string(statement->Int(0)), statement->Text(1),
                    statement->IsNull(2) ? "" : statement->Text(2)});
  }
  out << FormatTable({"Id", "Name", "Full name"}, rows) << "You are working as '" << current << "'"
      << (!current.empty() && IdOf(db, current) ? ".\n" : ", who is not a user of this dictionary.\n");
}

void AddUser(engine::EngineDatabase& db, const std::string& name, const std::string& fullName,
             std::ostream& out) {
  const std::string user = Checked(name, "user name", kNameWidth, true);
  const std::string full = Checked(fullName, "full name", kFullNameWidth, false);
  // The writer lock first: two adds at once must not take the same id.
  engine::EngineTransaction transaction(db);
  if (IdOf(db, user)) Invalid("There is already a user named '" + user + "'.");
  auto insert = db.Prepare(
      "INSERT INTO PM_User (Id, Name, Full_Name) SELECT COALESCE(MAX(Id), 0) + 1, ?1, ?2 FROM PM_User "
      "RETURNING Id");
  insert->BindText(1, user);
  if (full.empty()) {
    insert->BindNull(2);
  } else {
    insert->BindText(2, full);
  }
  insert->Step();
  const int64_t id = insert->Int(0);
  insert.reset();
  transaction.Commit();
  out << "Added user " << user << " (id " << id << ").\n";
}

void RemoveUser(engine::EngineDatabase& db, const std::string& name, std::ostream& out) {
  engine::EngineTransaction transaction(db);
  const std::optional<int64_t> id = IdOf(db, std::string(TrimBlanks(name)));
  if (!id) Invalid("There is no user named '" + name + "'.");
  // What names the user as its owner, by kind.
  const std::pair<const char*, const char*> owned[] = {
      {"fields", "SELECT Name FROM tqd_Datasource_Field WHERE Field_Owner = ?1 ORDER BY Name"},
      {"busy hours and summations", "SELECT Name FROM PM_BusyHour WHERE UserId = ?1 ORDER BY Name"},
      {"reports and templates",
       "SELECT Kind || ' ' || Name FROM PM_Document WHERE Owner_Id = ?1 ORDER BY Kind, Name"},
  };
  std::string list;
  for (const auto& [what, sql] : owned) {
    const std::vector<std::string> names = Texts(db, sql, *id);
    if (names.empty()) continue;
    list += std::string("\n  ") + what + " (" + std::to_string(names.size()) + "): ";
    // A long list is cut: the count says how many there are.
    for (size_t i = 0; i < names.size() && i < 10; ++i) list += (i ? ", " : "") + names[i];
    if (names.size() > 10) list += ", ...";
  }
  if (!list.empty()) {
    Invalid("The user '" + name +
            "' still owns definitions; give them to another user first (udc owner, "
            "busyhours owner):" +
            list);
  }
  const auto remove = db.Prepare("DELETE FROM PM_User WHERE Id = ?1");
  remove->BindInt(1, *id);
  remove->Step();
  transaction.Commit();
  out << "Removed user " << TrimBlanks(name) << ".\n";
}

void SetUpUserCommands(CLI::App& app, Commands& commands) {
  struct Parsed {
    std::string name;
    std::string fullName;
  };
  const auto p = std::make_shared<Parsed>();
  CLI::App* family = app.add_subcommand("users", "List, add and remove the users definitions name as owners");
  family->require_subcommand(1);
  commands.Add(*family, "list", "The users, and who you are working as", [](const CommandContext& context) {
    ListUsers(*context.host->Dictionary(), context.config.UserName(), context.out);
    return 0;
  });
  CLI::App* add = commands.Add(*family, "add", "Add a user", [p](const CommandContext& context) {
    AddUser(*context.host->Dictionary(), p->name, p->fullName, context.out);
    return 0;
  });
  add->add_option("name", p->name, "The login name")->required();
  add->add_option("--full-name", p->fullName, "The person's full name");
  CLI::App* remove =
      commands.Add(*family, "remove", "Remove a user who owns nothing", [p](const CommandContext& context) {
        RemoveUser(*context.host->Dictionary(), p->name, context.out);
        return 0;
      });
  remove->add_option("name", p->name, "The user name")->required();
}

}  // namespace ridirodev::tool
