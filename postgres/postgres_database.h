#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/engine_database.h"
#include "postgres/pg_connection.h"

namespace ridirodev::postgres {

struct PostgresDatabaseOptions {
  bool alwaysReload = false;  // what AlwaysReload answers
  int32_t daySlots = 24;      // slots of a day, to read stored hour ranges into
  // The newest dictionary schema version the caller knows: a database without the dictionary,
  // or with a newer version, is refused. Unset for a database about to be given the schema.
  std::optional<int32_t> schemaVersion;
};

// The database object of a shared dictionary on a PostgreSQL server. It takes the component's
// Oracle-dialect text, translates it for the server just before it runs, and keeps literals in
// the forms every engine shares (quotes doubled, id 0 as NULL, dates as 'YYYY-MM-DD HH:MM:SS').
// Every statement runs on its own unless a transaction is open.
class PostgresDatabase final : public engine::EngineDatabase {
 public:
  // conninfo: a postgresql:// URI or key=value pairs, as libpq takes them.
  explicit PostgresDatabase(std::string_view conninfo, PostgresDatabaseOptions options = {});

  const std::shared_ptr<const PgConnection>& Connection() const noexcept { return conn_; }
  // Translated text of a statement (cached).
  const std::string& Translate(std::string_view sql);

  // The outermost transaction first takes an advisory lock of the dictionary's, so that writers
  // of one server queue instead of deadlocking.
  void BeginTransaction() override;
  void CommitTransaction() override;
  void RollbackTransaction() override;
  bool InTransaction() const noexcept override { return depth_ > 0; }
  bool InAnyTransaction() const override;

  std::string_view EngineName() const override { return "PostgreSQL"; }
  std::string Location() const override { return conn_->Address(); }
  int64_t TotalRowsChanged() const override { return rowsChanged_; }
  std::unique_ptr<engine::HostStatement> Prepare(std::string_view sql, bool cached = false) override;
  void RunScript(std::string_view sql) override { conn_->RunScript(sql); }
  // Without it, tables filled inside the same transaction look empty to the planner, which then
  // scans them whole for every look-up.
  void RefreshStatistics() override { conn_->RunScript("ANALYZE"); }

  IDBRecordsetPtr OpenRecordset(std::string_view sql, int32_t timeoutSeconds = 60) override;
  void Execute(std::string_view sql) override;
  Variant QueryValue(std::string_view sql, const Variant& defaultValue = Variant(0)) override;
  Variant CallFunction(std::string_view name, std::string_view argumentText) override;
  int32_t NextSequenceNumber(std::string_view sequence) override;
  IDBLiteralPtr SequenceLiteral(std::string_view sequence) override;
  void SetSequence(std::string_view sequence, int64_t lastValue) override;
  // COPY, one per Flush.
  std::unique_ptr<engine::BulkInsert> InsertInBulk(std::string_view table,
                                                   const std::vector<std::string_view>& columns) override;
  int32_t ColumnWidth(std::string_view table, std::string_view column) override;
  bool TableExists(std::string_view table) override;
  bool ColumnExists(std::string_view table, std::string_view column) override;
  bool AlwaysReload() override { return options_.alwaysReload; }

 private:
  PgResult RunTranslated(std::string_view sql);
  void CheckSchemaVersion(int32_t known);

  std::shared_ptr<const PgConnection> conn_;
  PostgresDatabaseOptions options_;
  int32_t depth_ = 0;  // transactions open, the savepoints included
  int64_t rowsChanged_ = 0;
  std::unordered_map<std::string, std::string> translations_;
};

}  // namespace ridirodev::postgres
