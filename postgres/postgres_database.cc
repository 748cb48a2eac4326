#include "postgres/postgres_database.h"

#include <libpq-fe.h>

#include <cstdlib>
#include <string>
#include <utility>

#include "dialect/dialect.h"
#include "postgres/pg_recordset.h"
#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"

namespace ridirodev::postgres {
namespace {

const std::string kSourceText(kSource);

// The key of the advisory lock every write transaction of the dictionary takes first.
constexpr const char* kWriterLock = "SELECT pg_advisory_xact_lock(5262694931)";

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// The first column of the first row, if any.
std::optional<std::string> FirstValue(const PgResult& result) {
  if (PQntuples(result.get()) == 0 || PQnfields(result.get()) == 0 || PQgetisnull(result.get(), 0, 0)) {
    return std::nullopt;
  }
  return std::string(PQgetvalue(result.get(), 0, 0));
}

// Host-side statements write parameters as ?1, ?2...; the server's are $1, $2...
std::string ServerParameters(std::string_view sql) {
  std::string out;
  out.reserve(sql.size());
  bool quoted = false;
  for (size_t i = 0; i < sql.size(); ++i) {
    const char c = sql[i];
    if (c == '\'') quoted = !quoted;
    out += (!quoted && c == '?' && i + 1 < sql.size() && sql[i + 1] >= '0' && sql[i + 1] <= '9') ? '$' : c;
  }
  return out;
}

class PgHostStatement final : public engine::HostStatement {
 public:
  PgHostStatement(std::shared_ptr<const PgConnection> conn, std::string_view sql)
      : conn_(std::move(conn)), sql_(ServerParameters(sql)) {}
  void BindInt(int index, int64_t value) override { Param(index) = std::to_string(value); }
  void BindText(int index, std::string_view value) override { Param(index) = std::string(value); }
  void BindNull(int index) override { Param(index).reset(); }
  bool Step() override {
    if (!result_) {
      result_ = conn_->Run(sql_, params_);
      row_ = -1;
    }
    return ++row_ < PQntuples(result_.get());
  }
  void Reset() override {
    result_.reset();
    params_.clear();
  }
  int ColumnCount() const override { return result_ ? PQnfields(result_.get()) : 0; }
  bool IsNull(int column) const override { return PQgetisnull(result_.get(), row_, column) != 0; }
  int64_t Int(int column) const override {
    return IsNull(column) ? 0 : std::strtoll(PQgetvalue(result_.get(), row_, column), nullptr, 10);
  }
  std::string Text(int column) const override { return PQgetvalue(result_.get(), row_, column); }

 private:
  std::optional<std::string>& Param(int index) {
    if (index < 1)
      throw AutomationError(ErrorNumber::kInvalidArgument, kSourceText, "Parameters count from 1.");
    if (params_.size() < static_cast<size_t>(index)) params_.resize(static_cast<size_t>(index));
    return params_[static_cast<size_t>(index - 1)];
  }
  std::shared_ptr<const PgConnection> conn_;
  std::string sql_;
  std::vector<std::optional<std::string>> params_;
  PgResult result_;
  int row_ = -1;
};

// Rows gathered in COPY's text format and sent in one COPY at each Flush.
class PgBulkInsert final : public engine::CountedBulkInsert {
 public:
  PgBulkInsert(std::shared_ptr<const PgConnection> conn, std::string_view table,
               const std::vector<std::string_view>& columns)
      : CountedBulkInsert(kSourceText, table, columns), conn_(std::move(conn)) {}
  BulkInsert& Int(int64_t value) override {
    Separate();
    rows_ += std::to_string(value);
    return *this;
  }
  BulkInsert& Text(std::string_view value) override {
    Separate();
    for (char c : value) {
      switch (c) {
        case '\\':
          rows_ += "\\\\";
          break;
        case '\t':
          rows_ += "\\t";
          break;
        case '\n':
          rows_ += "\\n";
          break;
        case '\r':
          rows_ += "\\r";
          break;
        default:
          rows_ += c;
      }
    }
    return *this;
  }
  BulkInsert& Null() override {
    Separate();
    rows_ += "\\N";
    return *this;
  }
  void EndRow() override {
    CloseRow();
    rows_ += '\n';
  }
  void Flush() override {
    if (rows_.empty()) return;
    std::string rows;
    rows.swap(rows_);  // a failed copy leaves nothing to send again
    conn_->CopyIn(Target(), rows);
  }

 private:
  void Separate() {
    if (NextValue() > 0) rows_ += '\t';
  }

  std::shared_ptr<const PgConnection> conn_;
  std::string rows_;
};

}  // namespace

std::unique_ptr<engine::BulkInsert> PostgresDatabase::InsertInBulk(
    std::string_view table, const std::vector<std::string_view>& columns) {
  return std::make_unique<PgBulkInsert>(conn_, table, columns);
}

std::unique_ptr<engine::HostStatement> PostgresDatabase::Prepare(std::string_view sql, bool /*cached*/) {
  return std::make_unique<PgHostStatement>(conn_, sql);
}

PostgresDatabase::PostgresDatabase(std::string_view conninfo, PostgresDatabaseOptions options)
    : EngineDatabase(kSourceText, options.daySlots),
      conn_(std::make_shared<const PgConnection>(conninfo)),
      options_(std::move(options)) {
  if (options_.schemaVersion) CheckSchemaVersion(*options_.schemaVersion);
}

void PostgresDatabase::CheckSchemaVersion(int32_t known) {
  const std::string where = "The database " + conn_->Address();
  if (!TableExists("ridirodev_meta")) {
    throw AutomationError(kDatabaseError, kSourceText,
                          where + " holds no dictionary (create one with 'ridirodev init --db ...').");
  }
  const std::optional<std::string> text =
      FirstValue(conn_->Run("SELECT Value FROM ridirodev_meta WHERE Name = 'schema_version'"));
  double number = 0;
  const bool isNumber = text && Variant::ParseNumber(*text, number);
  if (isNumber && number <= known) return;
  const std::string knownText = "version " + std::to_string(known);
  throw AutomationError(kDatabaseError, kSourceText,
                        where + (isNumber ? " has schema version " + *text + ", newer than " + knownText +
                                                " that this tool knows; use a newer ridirodev."
                                          : " has the unreadable schema version '" + text.value_or("") +
                                                "'; this tool knows " + knownText + "."));
}

const std::string& PostgresDatabase::Translate(std::string_view sql) {
  auto found = translations_.find(std::string(sql));
  if (found != translations_.end()) return found->second;
  if (translations_.size() > 4096) translations_.clear();
  return translations_.emplace(std::string(sql), dialect::TranslateDialect(sql, dialect::Engine::kPostgres))
      .first->second;
}

void PostgresDatabase::BeginTransaction() {
  if (depth_ == 0) {
    // The server would only warn and then commit the other transaction at this one's end.
    if (InAnyTransaction()) {
      throw AutomationError(kDatabaseError, kSourceText,
                            "A transaction begun outside the database object is open on the connection.");
    }
    conn_->RunScript(std::string("BEGIN; ") + kWriterLock);
  } else {
    conn_->RunScript("SAVEPOINT nested_" + std::to_string(depth_));
  }
  ++depth_;
}

void PostgresDatabase::CommitTransaction() {
  if (depth_ == 0)
    throw AutomationError(ErrorNumber::kInvalidArgument, kSourceText, "No transaction is open.");
  conn_->RunScript(depth_ == 1 ? std::string("COMMIT") : "RELEASE nested_" + std::to_string(depth_ - 1));
  --depth_;
}

void PostgresDatabase::RollbackTransaction() {
  if (depth_ == 0) return;  // nothing to undo; rolling back twice must not fail an error path
  const int32_t level = --depth_;
  if (PQtransactionStatus(conn_->Handle()) == PQTRANS_IDLE) {  // the server has ended it already
    depth_ = 0;
    return;
  }
  const std::string savepoint = "nested_" + std::to_string(level);
  conn_->RunScript(level == 0 ? "ROLLBACK" : "ROLLBACK TO " + savepoint + "; RELEASE " + savepoint);
}

bool PostgresDatabase::InAnyTransaction() const {
  return PQtransactionStatus(conn_->Handle()) != PQTRANS_IDLE;
}

PgResult PostgresDatabase::RunTranslated(std::string_view sql) {
  const std::string& translated = Translate(sql);
  if (TrimBlanks(translated).empty()) {
    throw AutomationError(kDatabaseError, kSourceText, "The statement is empty: " + std::string(sql));
  }
  PgResult result = conn_->Run(translated, {}, sql);
  // The command tag says what kind of statement ran; a query's row count is no change.
  const std::string_view tag = PQcmdStatus(result.get());
  if (tag.starts_with("INSERT") || tag.starts_with("UPDATE") || tag.starts_with("DELETE") ||
      tag.starts_with("MERGE")) {
    rowsChanged_ += std::strtoll(PQcmdTuples(result.get()), nullptr, 10);
  }
  return result;
}

IDBRecordsetPtr PostgresDatabase::OpenRecordset(std::string_view sql, int32_t /*timeoutSeconds*/) {
  return OpenPgRecordset(RunTranslated(sql));
}

void PostgresDatabase::Execute(std::string_view sql) { RunTranslated(sql); }

Variant PostgresDatabase::QueryValue(std::string_view sql, const Variant& defaultValue) {
  IDBRecordsetPtr rs = OpenRecordset(sql);
  if (rs->Eof()) return defaultValue;
  return rs->Fields().Value(0);
}

Variant PostgresDatabase::CallFunction(std::string_view name, std::string_view argumentText) {
  return QueryValue("SELECT " + std::string(name) + "(" + std::string(argumentText) + ")", Variant::Null());
}

int32_t PostgresDatabase::NextSequenceNumber(std::string_view sequence) {
  const std::optional<std::string> value = FirstValue(conn_->Run("SELECT nextval($1)", {Lower(sequence)}));
  return Variant(value.value_or("0")).ToInt32();
}

void PostgresDatabase::SetSequence(std::string_view sequence, int64_t lastValue) {
  conn_->Run("SELECT setval($1, $2, $3)", {Lower(sequence), std::to_string(lastValue > 0 ? lastValue : 1),
                                           lastValue > 0 ? "true" : "false"});
}

IDBLiteralPtr PostgresDatabase::SequenceLiteral(std::string_view sequence) {
  return std::make_shared<DBLiteral>(std::to_string(NextSequenceNumber(sequence)));
}

int32_t PostgresDatabase::ColumnWidth(std::string_view table, std::string_view column) {
  const std::optional<std::string> width = FirstValue(
      conn_->Run("SELECT character_maximum_length FROM information_schema.columns WHERE table_schema = "
                 "current_schema() AND table_name = $1 AND column_name = $2",
                 {Lower(table), Lower(column)}));
  return width ? Variant(*width).ToInt32() : 0;
}

bool PostgresDatabase::TableExists(std::string_view table) {
  return PQntuples(conn_
                       ->Run("SELECT 1 FROM information_schema.tables WHERE table_schema = current_schema() "
                             "AND table_name = $1",
                             {Lower(table)})
                       .get()) > 0;
}

bool PostgresDatabase::ColumnExists(std::string_view table, std::string_view column) {
  return PQntuples(conn_
                       ->Run("SELECT 1 FROM information_schema.columns WHERE table_schema = current_schema() "
                             "AND table_name = $1 AND column_name = $2",
                             {Lower(table), Lower(column)})
                       .get()) > 0;
}

}  // namespace ridirodev::postgres
