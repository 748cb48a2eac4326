#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/engine_database.h"
#include "ridirodev/host/database.h"

namespace ridirodev::standalone {

// A call of a stored routine of the dictionary database; a new one per call.
class SqliteProcedureCall final : public IDBProcedureCall {
 public:
  explicit SqliteProcedureCall(std::shared_ptr<engine::EngineDatabase> db) : db_(std::move(db)) {}

  void SetName(std::string_view routine) override { name_ = std::string(routine); }
  void AddParameter(std::string_view valueText, std::string_view type, std::string_view name = "",
                    int32_t flags = 0) override;
  Variant Run() override;
  Variant ParameterValue(int32_t position) const override;

 private:
  std::shared_ptr<engine::EngineDatabase> db_;
  std::string name_;
  std::vector<Variant> args_;
  std::vector<Variant> outputs_;
};

// What the XML gateway answers, from the configuration.
struct XmlGatewayOptions {
  bool enabled = false;              // off: every query fails, so the component reads fields with SQL
  bool extendedEntityViews = false;  // calculation sources with entity labels, as the SQL load reads them
};

// The WHERE condition over tqd_Datasource_Field d for a TemplateField filter in the forms the
// component sends: "Field_Id = n", "inGroup(Field_Id, n,...)", "DatasourceId = n && Entity_Id = n"
// or "DatasourceId = n && inGroup(Entity_Id, n,...)", each optionally followed by
// "&& Field_Group_Short = 'UDC'" or "&& Field_Group_Short != 'UDC'". Only parsed integers reach
// the text; anything else raises error 5 naming what was expected.
std::string TemplateFieldCondition(std::string_view filter);

// Transactions of the XML query service map onto those of the dictionary database. With the gateway on,
// TemplateField queries are answered from the dictionary; the response is an XML document of
// one element per field whose attributes are the field's columns and extra columns.
class SqliteXmlQueryService final : public IXMLQueryService {
 public:
  // Gateway queries read through statements, the database object the host hands out (which
  // may wrap db); db itself when not given.
  explicit SqliteXmlQueryService(std::shared_ptr<engine::EngineDatabase> db, XmlGatewayOptions options = {},
                                 IDBObjectPtr statements = nullptr)
      : db_(std::move(db)), statements_(statements ? std::move(statements) : db_), options_(options) {}

  void BeginTransaction() override { db_->BeginTransaction(); }
  void CommitTransaction() override { db_->CommitTransaction(); }
  void RollbackTransaction() override { db_->RollbackTransaction(); }
  std::string RunQuery(std::string_view queryText) override;
  // The response's root element, whose children are the rows; nullptr for an empty response.
  // A response that is not XML raises error 5 when flag is set, else gives nullptr.
  IXMLNodePtr ParseResult(std::string_view response, bool flag = true) override;

 private:
  std::shared_ptr<engine::EngineDatabase> db_;
  IDBObjectPtr statements_;
  XmlGatewayOptions options_;
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
