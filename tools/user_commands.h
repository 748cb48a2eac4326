#pragma once

// The users command of the ridirodev tool: the people the dictionary knows (PM_User), whom
// definitions name as their owners, on the file as on a server; callable without a command line
// so that it can be tested, and its set-up on the command line.

#include <iosfwd>
#include <string>

namespace CLI {
class App;
}

namespace ridirodev::engine {
class EngineDatabase;
}

namespace ridirodev::tool {

class Commands;

// The users by id, then who is working (current) and whether the dictionary knows them.
void ListUsers(engine::EngineDatabase& db, const std::string& current, std::ostream& out);
// Adds a user with the next id; a name already there (case ignored) is an error.
void AddUser(engine::EngineDatabase& db, const std::string& name, const std::string& fullName,
             std::ostream& out);
// Removes a user; refused, naming them, while fields, busy hours, reports or templates are theirs.
void RemoveUser(engine::EngineDatabase& db, const std::string& name, std::ostream& out);

// Sets up users on the tool's command line.
void SetUpUserCommands(CLI::App& app, Commands& commands);

}  // namespace ridirodev::tool
