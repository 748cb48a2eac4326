#include "standalone/query_service.h"

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"

namespace ridirodev::standalone {

void SqliteProcedureCall::AddParameter(std::string_view valueText, std::string_view type, std::string_view /*name*/,
                                       int32_t /*flags*/) {
  texts_.emplace_back(valueText);
  if (valueText.empty()) {
    args_.emplace_back();  // a null, or an output the routine writes
  } else if (EqualsNoCase(type, "integer")) {
    double d = 0;
    if (!Variant::ParseNumber(valueText, d)) {
      throw AutomationError(ErrorNumber::kTypeMismatch, "SqliteProcedureCall",
                            "Parameter " + std::to_string(args_.size() + 1) + " of " + name_ +
                                " is not an integer: " + std::string(valueText));
    }
    args_.emplace_back(Variant::RoundToInt32(d));
  } else {
    args_.emplace_back(std::string(valueText));
  }
}

Variant SqliteProcedureCall::Run() {
  std::string trace = "CALL " + name_ + "(";
  for (size_t i = 0; i < texts_.size(); ++i) trace += (i ? "," : "") + texts_[i];
  db_->Connection()->Trace(trace + ")");
  return db_->RunRoutine(name_, args_, &outputs_);
}

Variant SqliteProcedureCall::ParameterValue(int32_t position) const {
  if (position < 0 || static_cast<size_t>(position) >= args_.size()) {
    throw AutomationError(ErrorNumber::kSubscriptOutOfRange, "SqliteProcedureCall",
                          "Parameter " + std::to_string(position) + " does not exist for " + name_);
  }
  const auto pos = static_cast<size_t>(position);
  if (pos < outputs_.size() && !outputs_[pos].IsEmpty()) return outputs_[pos];
  return args_[pos];
}

std::string SqliteXmlQueryService::RunQuery(std::string_view /*queryText*/) {
  throw AutomationError(ErrorNumber::kInvalidArgument, "SqliteXmlQueryService",
                        "The standalone host has no XML gateway.");
}

IXMLNodePtr SqliteXmlQueryService::ParseResult(std::string_view /*response*/, bool /*flag*/) { return nullptr; }

}  // namespace ridirodev::standalone
