#pragma once

// Doubles of the query library: XML nodes, query texts, the XML query service with its
// transactions, and the error reporter.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/host/database.h"
#include "testing/scripted_database.h"

namespace ridirodev::testing {

// An element in memory: name, text, attributes in the order set, child elements.
class TestXmlNode final : public IXMLNode {
 public:
  explicit TestXmlNode(std::string name, std::string text = "") : name_(std::move(name)), text_(std::move(text)) {}

  // Builders return this node (attributes) or the new child, to build documents in place.
  TestXmlNode& SetAttribute(std::string name, std::string value);
  std::shared_ptr<TestXmlNode> AddChild(std::string name, std::string text = "");

  std::string Name() const override { return name_; }
  std::string Text() const override { return text_; }
  bool HasAttribute(std::string_view name) const override { return Find(name) != attributes_.end(); }
  std::string Attribute(std::string_view name) const override;  // error 5 when absent
  // A path of element names separated by "/", "*" standing for any name; "" gives all children.
  std::vector<IXMLNodePtr> SelectNodes(std::string_view selection) const override;

 private:
  using Attributes = std::vector<std::pair<std::string, std::string>>;
  Attributes::const_iterator Find(std::string_view name) const;

  std::string name_;
  std::string text_;
  Attributes attributes_;
  std::vector<std::shared_ptr<TestXmlNode>> children_;
};
using TestXmlNodePtr = std::shared_ptr<TestXmlNode>;

class TestXmlQueryText final : public IXMLQueryText {
 public:
  void SetCapacity(int32_t capacity) override { capacity_ = capacity; }
  void Append(std::string_view text) override { text_ += text; }
  std::string Text() const override { return text_; }
  int32_t Capacity() const noexcept { return capacity_; }

 private:
  int32_t capacity_ = 0;
  std::string text_;
};

// Transaction steps and queries go to the database journal, with its failures, so a test reads one ordered
// record. A Begin inside an open transaction nests (a savepoint of a real engine); a Commit outside one fails
// with error 5 and a Rollback outside one does nothing, neither recorded. A step that fails by script leaves
// the transaction state unchanged.
class TestXmlQueryService final : public IXMLQueryService {
 public:
  explicit TestXmlQueryService(DbJournalPtr journal) : journal_(std::move(journal)) {}

  // What ParseResult answers (nullptr by default).
  void SetParseResult(IXMLNodePtr result) { parseResult_ = std::move(result); }

  void BeginTransaction() override {
    journal_->Record({DbCallKind::kBegin, "", {}});
    ++depth_;
  }
  void CommitTransaction() override;
  void RollbackTransaction() override {
    if (depth_ == 0) return;
    journal_->Record({DbCallKind::kRollback, "", {}});
    --depth_;
  }
  std::string RunQuery(std::string_view queryText) override {  // answers ""
    journal_->Record({DbCallKind::kRunQuery, std::string(queryText), {}});
    return {};
  }
  IXMLNodePtr ParseResult(std::string_view, bool = true) override { return parseResult_; }

 private:

  DbJournalPtr journal_;
  int depth_ = 0;  // transactions open
  IXMLNodePtr parseResult_;
};
using TestXmlQueryServicePtr = std::shared_ptr<TestXmlQueryService>;

// Adds the description of each error reported to the shared list, when given one.
class TestErrorReporter final : public IAppErrorReporter {
 public:
  explicit TestErrorReporter(AutomationError current,
                             std::shared_ptr<std::vector<std::string>> reported = nullptr)
      : current_(std::move(current)), reported_(std::move(reported)) {}
  void Report(std::string_view) override {
    if (reported_) reported_->push_back(current_.Description());
  }
  std::string ErrorText() const override { return current_.Description(); }

 private:
  AutomationError current_;
  std::shared_ptr<std::vector<std::string>> reported_;
};

}  // namespace ridirodev::testing
