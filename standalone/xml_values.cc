#include "standalone/xml_values.h"

#include <charconv>
#include <cstdint>

#include "ridirodev/core/date.h"

namespace ridirodev::standalone {
namespace {

std::string DoubleText(double d) {
  char buf[64];
  const auto result = std::to_chars(buf, buf + sizeof buf, d);
  return std::string(buf, result.ptr);
}

std::string DataText(const Variant& v) {
  switch (v.Type()) {
    case VarType::Boolean:
      return v.ToBool() ? "true" : "false";
    case VarType::Integer:
      return std::to_string(v.ToInt32());
    case VarType::Double:
      return DoubleText(v.ToDouble());
    case VarType::String:
      return v.StringRef();
    case VarType::Date:
      return v.ToDate().ToIso();
    default:
      return {};
  }
}

// The whole text must be the number: from_chars alone stops at the first stray character.
template <class T>
bool ReadWhole(std::string_view data, T& value) {
  const auto r = std::from_chars(data.data(), data.data() + data.size(), value);
  return !data.empty() && r.ec == std::errc() && r.ptr == data.data() + data.size();
}

}  // namespace

const char* XmlValueTypeName(VarType type) {
  switch (type) {
    case VarType::Empty:
      return "empty";
    case VarType::Null:
      return "null";
    case VarType::Missing:
      return "missing";
    case VarType::Boolean:
      return "boolean";
    case VarType::Integer:
      return "integer";
    case VarType::Double:
      return "double";
    case VarType::String:
      return "string";
    case VarType::Date:
      return "date";
    case VarType::Object:
      break;
  }
  return "object";
}

void WriteXmlValue(pugi::xml_node element, const char* typeAttr, const char* dataAttr, const Variant& v) {
  element.append_attribute(typeAttr) = XmlValueTypeName(v.Type());
  if (v.Type() != VarType::Empty && v.Type() != VarType::Null && v.Type() != VarType::Missing) {
    element.append_attribute(dataAttr) = DataText(v).c_str();
  }
}

std::string ParseXmlValue(std::string_view type, std::string_view data, Variant& out) {
  if (type == "empty") {
    out = Variant();
  } else if (type == "null") {
    out = Variant::Null();
  } else if (type == "missing") {
    out = Variant::Missing();
  } else if (type == "boolean") {
    if (data != "true" && data != "false") return "a boolean must be true or false";
    out = Variant(data == "true");
  } else if (type == "integer") {
    int32_t n = 0;
    if (!ReadWhole(data, n)) return "not a 32-bit integer";
    out = Variant(n);
  } else if (type == "double") {
    double d = 0;
    if (!ReadWhole(data, d)) return "not a number";
    out = Variant(d);
  } else if (type == "string") {
    out = Variant(std::string(data));
  } else if (type == "date") {
    auto d = Date::FromIso(data);
    if (!d) return "not an ISO date";
    out = Variant(*d);
  } else {
    return "unknown value type";
  }
  return {};
}

}  // namespace ridirodev::standalone
