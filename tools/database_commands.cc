#include "tools/database_commands.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>

#include "postgres/postgres_database.h"
#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "standalone/config.h"
#include "standalone/host.h"
#include "standalone/routines.h"
#include "standalone/sample.h"
#include "standalone/schema.h"
#include "standalone/schema_postgres.h"
#include "standalone/sqlite_database.h"
#include "standalone/traced_database.h"
#include "tools/command_support.h"
#include "tools/commands.h"

namespace ridirodev::tool {
namespace {

std::string CellText(const Variant& value) {
  if (value.IsNull()) return "NULL";
  if (value.IsDate()) return value.ToDate().GeneralDate();
  return value.ToString();
}

std::string SizeRule() { return "--size must be a whole number from 1 to " + std::to_string(kMaxInitSize); }

// The temporary file of the init under way and its rollback journal, for the signal handler,
// which may neither allocate nor take locks: hence fixed buffers and a flag.
char gBuilding[PATH_MAX];
char gJournal[PATH_MAX + 8];
volatile std::sig_atomic_t gArmed = 0;

void RemoveBuildingAndDie(int signal) {
  if (gArmed) {
    unlink(gBuilding);
    unlink(gJournal);
  }
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

// A private temporary file beside the target (as mkstemp makes it), removed unless renamed into
// place, also on SIGINT and SIGTERM while it lives.
class BuildingFile {
 public:
  explicit BuildingFile(const std::filesystem::path& target) : previous_(gBuilding), previousArmed_(gArmed) {
    const std::string pattern =
        (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    if (pattern.size() + 8 >= sizeof gBuilding) {
      Invalid("The database path " + target.string() + " is too long.");
    }
    struct sigaction action {};
    action.sa_handler = RemoveBuildingAndDie;
    sigemptyset(&action.sa_mask);
    gArmed = 0;
    std::memcpy(gBuilding, pattern.c_str(), pattern.size() + 1);
    const int fd = mkstemp(gBuilding);
    if (fd < 0) {
      const int error = errno;
      Restore();
      Invalid("Cannot create the database " + target.string() + ": " + std::strerror(error) + ".");
    }
    path_ = gBuilding;
    std::snprintf(gJournal, sizeof gJournal, "%s-journal", gBuilding);
    gArmed = 1;
    sigaction(SIGINT, &action, &oldInt_);
    sigaction(SIGTERM, &action, &oldTerm_);
    // mkstemp makes the file private; a database gets the modes a new file would.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);
  }
  BuildingFile(const BuildingFile&) = delete;
  BuildingFile& operator=(const BuildingFile&) = delete;
  ~BuildingFile() {
    if (!renamed_) {
      std::remove(path_.c_str());
      std::remove((path_ + "-journal").c_str());
    }
    Restore();
    sigaction(SIGINT, &oldInt_, nullptr);
    sigaction(SIGTERM, &oldTerm_, nullptr);
  }
  const std::string& Path() const { return path_; }
  void RenameTo(const std::filesystem::path& target) {
    if (std::rename(path_.c_str(), target.c_str()) != 0) {
      Invalid("Cannot put the new database in place at " + target.string() + ": " + std::strerror(errno) +
              ".");
    }
    gArmed = 0;
    renamed_ = true;
  }

 private:
  // Back to the init this one runs inside, if any.
  void Restore() {
    gArmed = 0;
    std::snprintf(gBuilding, sizeof gBuilding, "%s", previous_.c_str());
    std::snprintf(gJournal, sizeof gJournal, "%s-journal", gBuilding);
    gArmed = previousArmed_;
  }

  std::string path_;
  std::string previous_;
  std::sig_atomic_t previousArmed_;
  bool renamed_ = false;
  struct sigaction oldInt_ {};
  struct sigaction oldTerm_ {};
};

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

standalone::SampleOptions SampleOptionsOf(const InitOptions& options) {
  standalone::SampleOptions sampleOptions{options.size, nullptr};
  if (options.progress && options.size > 0) {
    sampleOptions.progress = [&options](std::string_view step, int64_t done, int64_t total) {
      *options.progress << "ridirodev: " << step << ": " << done << " of " << total << '\n' << std::flush;
    };
  }
  return sampleOptions;
}

// The objects of the dictionary's schema that the current database already has ("table
// pm_user", "schema ea_dd"...), read from the statements that would drop them.
std::vector<std::string> DictionaryObjectsPresent(engine::EngineDatabase& db) {
  std::vector<std::string> present;
  const std::string drops = standalone::PostgresDropSql();
  for (size_t start = 0; start < drops.size();) {
    const size_t end = std::min(drops.find('\n', start), drops.size());
    const std::string line = drops.substr(start, end - start);  // DROP KIND IF EXISTS name...
    start = end + 1;
    constexpr std::string_view kIfExists = " IF EXISTS ";
    const size_t at = line.find(kIfExists);
    if (!line.starts_with("DROP ") || at == std::string::npos) continue;
    const std::string kind = line.substr(5, at - 5);
    const size_t nameStart = at + kIfExists.size();
    const std::string name = line.substr(nameStart, line.find_first_of(" (;", nameStart) - nameStart);
    std::string sql;
    if (kind == "SCHEMA") {
      sql = "SELECT 1 FROM pg_namespace WHERE nspname = lower(?1)";
    } else if (kind == "FUNCTION") {
      sql = "SELECT 1 WHERE to_regprocedure(?1 || '()') IS NOT NULL";
    } else if (kind == "COLLATION") {
      sql =
          "SELECT 1 FROM pg_collation WHERE collname = lower(?1) AND collnamespace = "
          "current_schema()::regnamespace";
    } else {
      sql = "SELECT 1 WHERE to_regclass(?1) IS NOT NULL";
    }
    const auto statement = db.Prepare(sql);
    statement->BindText(1, name);
    if (statement->Step()) present.push_back(ToLower(kind) + " " + name);
  }
  return present;
}

// init on a server: the schema (and the sample) in one transaction, so that a failure leaves
// the database as it was, the old dictionary included when --force replaces one.
void InitOnServer(const InitOptions& options, const std::string& address, std::ostream& out) {
  postgres::PostgresDatabase db(address);
  const std::string where = postgres::DisplayAddress(address);
  standalone::InstallRoutines(db);
  engine::EngineTransaction transaction(db);
  if (db.TableExists("ridirodev_meta")) {
    if (!options.force)
      Invalid("The database " + where + " already holds a dictionary (use --force to replace it).");
    db.RunScript(standalone::PostgresDropSql());
  } else if (const auto present = DictionaryObjectsPresent(db); !present.empty()) {
    std::string list;
    for (const std::string& object : present) list += (list.empty() ? "" : ", ") + object;
    Invalid("The database " + where + " holds no dictionary but has objects of the names it uses (" + list +
            "); nothing was changed. Give a database of its own, or remove them.");
  }
  standalone::CreateDictionarySchema(db);
  const bool sample = options.sample || options.size > 0;
  if (sample) standalone::LoadSampleDictionary(db, SampleOptionsOf(options));
  transaction.Commit();
  out << "Created " << (sample ? "the sample dictionary" : "an empty dictionary") << " in " << where << '\n';
}

}  // namespace

int32_t ParseSize(std::string_view text) {
  const bool digits = !text.empty() && text.size() <= 7 &&
                      std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
  const int32_t size = digits ? std::stoi(std::string(text)) : 0;
  if (size < 1 || size > kMaxInitSize) Invalid(SizeRule() + ", not '" + std::string(text) + "'.");
  return size;
}

void InitDatabase(const InitOptions& options, std::ostream& out) {
  const std::filesystem::path& target = options.db;
  if (target.empty()) Invalid("No database file was given.");
  if (options.size < 0 || options.size > kMaxInitSize) Invalid(SizeRule() + ".");
  if (postgres::IsServerAddress(target.string())) return InitOnServer(options, target.string(), out);
  // lstat: the last step is judged as it is, not through a link; rename would replace the link
  // itself rather than the file it names.
  struct stat st {};
  if (lstat(target.c_str(), &st) == 0) {
    if (S_ISLNK(st.st_mode)) {
      std::error_code ec;
      Invalid("The database path " + target.string() + " is a symbolic link; give the file it names (" +
              std::filesystem::read_symlink(target, ec).string() + ") instead.");
    }
    if (!S_ISREG(st.st_mode)) {
      Invalid(target.string() + " is not a regular file; init creates or replaces only a database file.");
    }
    if (!options.force) {
      Invalid("The database " + target.string() + " already exists (use --force to replace it).");
    }
  }
  std::error_code ec;
  if (target.has_parent_path()) std::filesystem::create_directories(target.parent_path(), ec);
  BuildingFile building(target);
  const bool sample = options.sample || options.size > 0;
  try {
    {
      standalone::SqliteDatabaseOptions dbOptions;
      dbOptions.create = true;
      standalone::SqliteDatabase db(building.Path(), dbOptions);
      standalone::CreateDictionarySchema(db.Connection()->Handle());
      if (sample) standalone::LoadSampleDictionary(db, SampleOptionsOf(options));
    }
    building.RenameTo(target);
  } catch (const AutomationError& e) {
    // The user knows the path they gave, not the temporary file.
    throw AutomationError(e.Number(), e.Source(),
                          Replaced(e.Description(), building.Path(), target.string()));
  }
  out << "Created " << (sample ? "the sample dictionary" : "an empty dictionary") << " in " << target.string()
      << '\n';
}

int32_t RunStatement(engine::EngineDatabase& db, std::string_view statement, std::ostream& out) {
  const int64_t before = db.TotalRowsChanged();
  const auto changed = [&] {
    const int64_t n = db.TotalRowsChanged() - before;
    return std::to_string(n) + (n == 1 ? " row changed" : " rows changed");
  };
  IDBRecordsetPtr rs = db.OpenRecordset(statement, 60);
  const IDBFields& fields = rs->Fields();
  const int32_t columns = fields.Count();
  if (columns == 0) {
    rs->Close();
    out << "Done: " << changed() << ".\n";
    return 0;
  }
  std::vector<std::string> headers;
  for (int32_t c = 0; c < columns; ++c) headers.push_back(fields.Name(c));
  std::vector<std::vector<std::string>> rows;
  while (!rs->Eof()) {
    std::vector<std::string> row;
    for (int32_t c = 0; c < columns; ++c) row.push_back(CellText(rs->Fields().Value(c)));
    rows.push_back(std::move(row));
    rs->MoveNext();
  }
  rs->Close();
  out << FormatTable(headers, rows) << '(' << rows.size() << (rows.size() == 1 ? " row" : " rows")
      << (db.TotalRowsChanged() != before ? ", " + changed() + ")\n" : ")\n");
  return static_cast<int32_t>(rows.size());
}

int32_t RunSql(const standalone::StandaloneConfig& config, std::string_view statement, bool write,
               std::ostream& out) {
  const auto trace = standalone::StatementTrace::FromEnvironment();
  const auto readOnlyHint = [](const AutomationError& e) {
    return AutomationError(e.Number(), e.Source(),
                           e.Description() + "\nThe database is opened read-only: add --write to change it.");
  };
  if (postgres::IsServerAddress(config.db)) {
    standalone::StandaloneHost host(config);
    engine::EngineDatabase& db = *host.Dictionary();
    // The server keeps the session from writing, whatever the statement calls.
    if (!write) db.RunScript("SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY");
    if (trace) trace->Write(statement);
    try {
      return RunStatement(db, statement, out);
    } catch (const AutomationError& e) {
      if (write || e.Description().find("read-only transaction") == std::string::npos) throw;
      throw readOnlyHint(e);
    }
  }
  standalone::SqliteDatabaseOptions options;
  options.readOnly = !write;
  options.alwaysReload = config.alwaysReload;
  options.daySlots = config.daySlots;
  standalone::SqliteDatabase db(config.db, options);
  if (trace) trace->Write(statement);
  try {
    return RunStatement(db, statement, out);
  } catch (const AutomationError& e) {
    if (write || sqlite3_errcode(db.Connection()->Handle()) != SQLITE_READONLY) throw;
    throw readOnlyHint(e);
  }
}

void SetUpDatabaseCommands(CLI::App& app, Commands& commands) {
  struct Init {
    InitOptions options;
    std::string size;
    CLI::App* command = nullptr;
  };
  auto init = std::make_shared<Init>();
  init->command = commands.Add(
      app, "init", "Create a dictionary database",
      [init](const CommandContext& context) {
        InitOptions options = init->options;
        options.db = context.config.db;
        if (init->command->count("--size") > 0) options.size = ParseSize(init->size);
        // A few seconds' worth needs no report.
        if (options.size >= 100'000) options.progress = &context.err;
        InitDatabase(options, context.out);
        return 0;
      },
      RunsOn::kConfig, "Database file to create, or a PostgreSQL server's database (postgresql://...)");
  init->command->add_flag("--sample", init->options.sample, "Fill it with the sample dictionary");
  init->command
      ->add_option("--size", init->size,
                   "Add this many generated fields for benchmarks, 1 to " + std::to_string(kMaxInitSize) +
                       " (implies --sample)")
      ->type_name("N");
  init->command->add_flag("--force", init->options.force,
                          "Replace an existing database file (only a regular file), or the dictionary in a "
                          "server's database");

  struct Sql {
    std::string statement;
    bool write = false;
  };
  auto sql = std::make_shared<Sql>();
  CLI::App* command = commands.Add(
      app, "sql", "Run one statement in the component's dialect and print its rows; read-only unless --write",
      [sql](const CommandContext& context) {
        RunSql(context.config, sql->statement, sql->write, context.out);
        return 0;
      },
      RunsOn::kDatabase);
  command->add_flag("--write", sql->write,
                    "Allow the statement to change the database and report the rows changed");
  command->add_option("statement", sql->statement, "The statement (only one)")->required();
}

}  // namespace ridirodev::tool
