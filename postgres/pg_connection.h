#pragma once
// One libpq connection, shared by the database object and its row sets so that a row set
// outliving the database object stays valid, and the connection text as people may see it.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/engine_database.h"
#include "ridirodev/core/automation_error.h"

struct pg_conn;
struct pg_result;

namespace ridirodev::postgres {

using engine::kDatabaseError;
inline constexpr std::string_view kSource = "PostgresDatabase";

// True for the texts libpq takes as a server address: a postgresql:// or postgres:// URI, or
// key=value pairs naming at least one connection key (host=... dbname=...). A file path is
// neither.
bool IsServerAddress(std::string_view db);

// The connection text without its password, for messages, traces and `info`: the parts that
// say where (host, port, database, user), as key=value pairs.
std::string DisplayAddress(std::string_view conninfo);

// Masks whatever looks like a password in a text that may quote the connection text
// (user:secret@ in a URI, password=secret in key=value form) and the given password itself.
std::string Redacted(std::string_view text, std::string_view password = {});

struct PgResultDeleter {
  void operator()(pg_result* r) const noexcept;
};
using PgResult = std::unique_ptr<pg_result, PgResultDeleter>;

class PgConnection {
 public:
  // Connects, or throws AutomationError whose description says what is wrong: no server, the
  // user refused, no such database, or a text libpq cannot read. No password is ever quoted.
  explicit PgConnection(std::string_view conninfo);
  PgConnection(const PgConnection&) = delete;
  PgConnection& operator=(const PgConnection&) = delete;
  ~PgConnection();

  pg_conn* Handle() const noexcept { return conn_; }
  // Where this connection goes, without the password.
  const std::string& Address() const noexcept { return address_; }
  std::string Database() const;
  std::string User() const;
  int32_t ServerVersion() const;  // e.g. 150018

  // Runs one statement with text parameters (std::nullopt for null) and returns its result;
  // more than one statement in the text is refused by the server. Throws with the server's
  // message and the statement (and its text as run, when that differs).
  PgResult Run(std::string_view sql, const std::vector<std::optional<std::string>>& params = {},
               std::string_view original = {}) const;
  // Runs host-side statements without rows, several separated by ';' allowed.
  void RunScript(std::string_view sql) const;
  // COPY target FROM STDIN with rows in COPY's text format; target is "table (column, ...)".
  void CopyIn(std::string_view target, std::string_view rows) const;
  [[noreturn]] void Fail(std::string_view what, std::string_view statement,
                         std::string_view asRun = {}) const;
  std::string ErrorText() const;

 private:
  pg_conn* conn_ = nullptr;
  std::string address_;
  std::string password_;
};

}  // namespace ridirodev::postgres
