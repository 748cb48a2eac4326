#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ridirodev/host/database.h"
#include "standalone/sqlite_database.h"

namespace ridirodev::standalone {

// A call of a stored routine of the standalone database; a new one per call.
class SqliteProcedureCall final : public IDBProcedureCall {
 public:
  explicit SqliteProcedureCall(std::shared_ptr<SqliteDatabase> db) : db_(std::move(db)) {}

  void SetName(std::string_view routine) override { name_ = std::string(routine); }
  void AddParameter(std::string_view valueText, std::string_view type, std::string_view name = "",
                    int32_t flags = 0) override;
  Variant Run() override;
  Variant ParameterValue(int32_t position) const override;

 private:
  std::shared_ptr<SqliteDatabase> db_;
  std::string name_;
  std::vector<Variant> args_;
  std::vector<std::string> texts_;
  std::vector<Variant> outputs_;
};

// Transactions of the XML query service map onto the SQLite connection. The standalone host
// has no XML gateway: queries fail, so the component reads fields with SQL.
class SqliteXmlQueryService final : public IXMLQueryService {
 public:
  explicit SqliteXmlQueryService(std::shared_ptr<SqliteDatabase> db) : db_(std::move(db)) {}

  void BeginTransaction() override { db_->BeginTransaction(); }
  void CommitTransaction() override { db_->CommitTransaction(); }
  void RollbackTransaction() override { db_->RollbackTransaction(); }
  std::string RunQuery(std::string_view queryText) override;
  IXMLNodePtr ParseResult(std::string_view response, bool flag = true) override;

 private:
  std::shared_ptr<SqliteDatabase> db_;
};

class QueryText final : public IXMLQueryText {
 public:
  void SetCapacity(int32_t capacity) override {
    if (capacity > 0) text_.reserve(static_cast<size_t>(capacity));
  }
  void Append(std::string_view text) override { text_ += text; }
  std::string Text() const override { return text_; }

 private:
  std::string text_;
};

}  // namespace ridirodev::standalone
