#include "testing/query_service.h"

namespace ridirodev::testing {

TestXmlNode& TestXmlNode::SetAttribute(std::string name, std::string value) {
  for (auto& [n, v] : attributes_) {
    if (n == name) {
      v = std::move(value);
      return *this;
    }
  }
  attributes_.emplace_back(std::move(name), std::move(value));
  return *this;
}

std::shared_ptr<TestXmlNode> TestXmlNode::AddChild(std::string name, std::string text) {
  auto child = std::make_shared<TestXmlNode>(std::move(name), std::move(text));
  children_.push_back(child);
  return child;
}

bool TestXmlNode::HasAttribute(std::string_view name) const {
  for (const auto& [n, v] : attributes_) {
    if (n == name) return true;
  }
  return false;
}

std::string TestXmlNode::Attribute(std::string_view name) const {
  for (const auto& [n, v] : attributes_) {
    if (n == name) return v;
  }
  throw AutomationError(ErrorNumber::kInvalidArgument, "TestXmlNode", "No attribute " + std::string(name));
}

std::vector<IXMLNodePtr> TestXmlNode::SelectNodes(std::string_view selection) const {
  const size_t slash = selection.find('/');
  const std::string_view head = selection.substr(0, slash);
  std::vector<IXMLNodePtr> out;
  for (const auto& child : children_) {
    if (!head.empty() && head != "*" && head != child->name_) continue;
    if (slash == std::string_view::npos) {
      out.push_back(child);
    } else {
      for (auto& deeper : child->SelectNodes(selection.substr(slash + 1))) out.push_back(std::move(deeper));
    }
  }
  return out;
}

void TestXmlQueryService::Step(DbCallKind kind, bool mustBeOpen) {
  if (inTransaction_ != mustBeOpen) {
    throw AutomationError(ErrorNumber::kInvalidArgument, "TestXmlQueryService",
                          mustBeOpen ? "No transaction is open" : "A transaction is already open");
  }
  journal_->Record({kind, "", {}, {}});
  inTransaction_ = !mustBeOpen;
}

void TestXmlQueryService::BeginTransaction() { Step(DbCallKind::kBegin, false); }
void TestXmlQueryService::CommitTransaction() { Step(DbCallKind::kCommit, true); }
void TestXmlQueryService::RollbackTransaction() { Step(DbCallKind::kRollback, true); }

std::string TestXmlQueryService::RunQuery(std::string_view queryText) {
  journal_->Record({DbCallKind::kRunQuery, std::string(queryText), {}, {}});
  if (responses_.empty()) return {};
  std::string response = responses_.front();
  if (responses_.size() > 1) responses_.pop_front();
  return response;
}

IXMLNodePtr TestXmlQueryService::ParseResult(std::string_view response, bool) {
  parsed_.emplace_back(response);
  return parseResult_;
}

}  // namespace ridirodev::testing
