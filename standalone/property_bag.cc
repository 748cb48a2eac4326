#include "standalone/property_bag.h"

#include <pugixml.hpp>
#include <sstream>

#include "ridirodev/core/automation_error.h"
#include "standalone/xml_values.h"

namespace ridirodev::standalone {
namespace {

constexpr const char* kSource = "XmlPropertyBag";
constexpr const char* kRoot = "properties";
constexpr const char* kVersion = "1";

[[noreturn]] void Invalid(std::string_view source, const std::string& why) {
  throw AutomationError(ErrorNumber::kInvalidArgument, kSource,
                        "The property bag " + std::string(source) + " is not valid: " + why);
}

// Comments and processing instructions carry nothing; any other node must be expected.
bool Ignorable(pugi::xml_node node) {
  return node.type() == pugi::node_comment || node.type() == pugi::node_pi ||
         node.type() == pugi::node_declaration || node.type() == pugi::node_doctype;
}

}  // namespace

Variant XmlPropertyBag::ReadProperty(std::string_view name, const Variant& defaultValue) const {
  const auto found = index_.find(name);
  return found == index_.end() ? defaultValue : properties_[found->second].value;
}

void XmlPropertyBag::WriteProperty(std::string_view name, const Variant& value, const Variant&) {
  if (value.IsObject()) {
    throw AutomationError(ErrorNumber::kTypeMismatch, kSource,
                          "Type mismatch: property '" + std::string(name) + "' cannot hold an object");
  }
  const auto [it, added] = index_.try_emplace(std::string(name), properties_.size());
  if (added) {
    properties_.push_back(Property{std::string(name), value});
  } else {
    properties_[it->second].value = value;
  }
}

std::string XmlPropertyBag::ToXml() const {
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child(kRoot);
  root.append_attribute("version") = kVersion;
  for (const Property& p : properties_) {
    pugi::xml_node element = root.append_child("property");
    element.append_attribute("name") = p.name.c_str();
    WriteXmlValue(element, "type", "data", p.value);
  }
  std::ostringstream out;
  doc.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
  return out.str();
}

XmlPropertyBag XmlPropertyBag::Parse(std::string_view xml, std::string_view source) {
  pugi::xml_document doc;
  const pugi::xml_parse_result parsed =
      doc.load_buffer(xml.data(), xml.size(), pugi::parse_default, pugi::encoding_utf8);
  if (!parsed)
    Invalid(source, std::string(parsed.description()) + " at byte " + std::to_string(parsed.offset));

  pugi::xml_node root;
  for (pugi::xml_node node : doc.children()) {
    if (Ignorable(node)) continue;
    if (node.type() != pugi::node_element || root) Invalid(source, "the document must hold one element");
    root = node;
  }
  if (!root || std::string_view(root.name()) != kRoot)
    Invalid(source, std::string("the root element is not <") + kRoot + ">");
  const std::string version = root.attribute("version").value();
  if (version != kVersion) Invalid(source, "version '" + version + "' is not " + kVersion);

  XmlPropertyBag bag;
  size_t position = 0;
  for (pugi::xml_node node : root.children()) {
    if (Ignorable(node)) continue;
    ++position;
    const std::string where = "item " + std::to_string(position);
    if (node.type() != pugi::node_element || std::string_view(node.name()) != "property")
      Invalid(source, where + " is not a <property> element");
    if (node.first_child()) Invalid(source, where + " has content; a property keeps its value in attributes");
    const pugi::xml_attribute name = node.attribute("name");
    const pugi::xml_attribute type = node.attribute("type");
    if (!name) Invalid(source, where + " has no name");
    const std::string named = where + " (\"" + name.value() + "\")";
    if (!type) Invalid(source, named + " has no type");
    Variant value;
    const std::string why = ParseXmlValue(type.value(), node.attribute("data").value(), value);
    if (!why.empty()) {
      Invalid(source,
              named + " holds '" + node.attribute("data").value() + "' of type " + type.value() + ": " + why);
    }
    if (bag.index_.count(std::string_view(name.value())) != 0) Invalid(source, named + " is given twice");
    bag.WriteProperty(name.value(), value);
  }
  return bag;
}

}  // namespace ridirodev::standalone
