#pragma once

// The init and sql commands of the ridirodev tool: the dictionary database itself, made and
// queried without the component, callable without a command line so that they can be tested, and
// their set-up on the tool's command line.

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <string_view>

namespace CLI {
class App;
}

namespace ridirodev::engine {
class EngineDatabase;
}
namespace ridirodev::standalone {
struct StandaloneConfig;
}  // namespace ridirodev::standalone

namespace ridirodev::tool {

class Commands;

// The most generated fields init makes: a few million keep it within minutes and a few
// gigabytes.
inline constexpr int32_t kMaxInitSize = 5'000'000;

struct InitOptions {
  std::filesystem::path db;  // a file, or a PostgreSQL server's address
  bool sample = false;
  int32_t size = 0;    // generated fields for benchmarks, 1 to kMaxInitSize (implies the sample); 0 for none
  bool force = false;  // replace an existing database file
  std::ostream* progress = nullptr;  // where to report each tenth of the generated fields; none when null
};

// The text of --size as a count of fields; error 5 unless a whole number from 1 to kMaxInitSize.
int32_t ParseSize(std::string_view text);

// Creates a dictionary database. It is built in a private temporary file beside the target
// and renamed into place, so a failure or an interrupt (SIGINT, SIGTERM) leaves no half-made
// file and an existing one untouched, and of two runs at once the last rename wins whole.
// Only a regular file is replaced: a symbolic link, device, pipe or folder is refused.
// On a server (db a postgresql:// or key=value address) the schema goes into the database named,
// in one transaction with the sample; a dictionary already there is replaced only with force,
// and a database holding objects of the dictionary's names without one is refused untouched.
void InitDatabase(const InitOptions& options, std::ostream& out);

// Runs one statement through the database object and prints its rows and how many rows it
// changed; returns the count of rows printed. Text after the statement is an error.
int32_t RunStatement(engine::EngineDatabase& db, std::string_view statement, std::ostream& out);

// `ridirodev sql`: RunStatement on the configured database (file or server), read-only unless write.
int32_t RunSql(const standalone::StandaloneConfig& config, std::string_view statement, bool write,
               std::ostream& out);

// Sets up init and sql on the tool's command line.
void SetUpDatabaseCommands(CLI::App& app, Commands& commands);

}  // namespace ridirodev::tool
