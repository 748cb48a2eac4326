#include "standalone/forwarding_database.h"

namespace ridirodev::standalone {

IDBRecordsetPtr ObservedDatabase::OpenRecordset(std::string_view sql, int32_t timeoutSeconds) {
  before_(sql);
  return ForwardingDatabase::OpenRecordset(sql, timeoutSeconds);
}

void ObservedDatabase::Execute(std::string_view sql) {
  before_(sql);
  ForwardingDatabase::Execute(sql);
}

void ObservedDatabase::ExecuteProcedure(std::string_view name, const std::vector<Variant>& values) {
  std::string line = "CALL " + std::string(name) + "(";
  for (size_t i = 0; i < values.size(); ++i) line += (i ? "," : "") + ValueText(values[i]);
  before_(line + ")");
  ForwardingDatabase::ExecuteProcedure(name, values);
}

Variant ObservedDatabase::QueryValue(std::string_view sql, const Variant& defaultValue) {
  before_(sql);
  return ForwardingDatabase::QueryValue(sql, defaultValue);
}

Variant ObservedDatabase::CallFunction(std::string_view name, std::string_view argumentText) {
  before_("SELECT " + std::string(name) + "(" + std::string(argumentText) + ")");
  return ForwardingDatabase::CallFunction(name, argumentText);
}

int32_t ObservedDatabase::NextSequenceNumber(std::string_view sequence) {
  before_(std::string(sequence) + ".NEXTVAL");
  return ForwardingDatabase::NextSequenceNumber(sequence);
}

IDBLiteralPtr ObservedDatabase::SequenceLiteral(std::string_view sequence) {
  before_(std::string(sequence) + ".NEXTVAL");
  return ForwardingDatabase::SequenceLiteral(sequence);
}

}  // namespace ridirodev::standalone
