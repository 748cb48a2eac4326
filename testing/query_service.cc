#include "testing/query_service.h"

#include <algorithm>

namespace ridirodev::testing {

TestXmlNode::Attributes::const_iterator TestXmlNode::Find(std::string_view name) const {
  return std::find_if(attributes_.begin(), attributes_.end(), [&](const auto& a) { return a.first == name; });
}

TestXmlNode& TestXmlNode::SetAttribute(std::string name, std::string value) {
  if (auto found = Find(name); found != attributes_.end())
    attributes_[static_cast<size_t>(found - attributes_.begin())].second = std::move(value);
  else
    attributes_.emplace_back(std::move(name), std::move(value));
  return *this;
}

std::shared_ptr<TestXmlNode> TestXmlNode::AddChild(std::string name, std::string text) {
  return children_.emplace_back(std::make_shared<TestXmlNode>(std::move(name), std::move(text)));
}

std::string TestXmlNode::Attribute(std::string_view name) const {
  if (auto found = Find(name); found != attributes_.end()) return found->second;
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

void TestXmlQueryService::CommitTransaction() {
  if (depth_ == 0) throw AutomationError(ErrorNumber::kInvalidArgument, "TestXmlQueryService", "No transaction is open");
  journal_->Record({DbCallKind::kCommit, "", {}});
  --depth_;
}

}  // namespace ridirodev::testing
