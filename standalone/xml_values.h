#pragma once

// Typed values in XML attributes, as the settings file and the property bag keep them: a type
// attribute names the type and a data attribute holds the text. Types: empty, null, missing,
// boolean (true/false), integer, double (shortest text that reads back exactly), string, date
// (ISO 8601, whole seconds). Empty, null and missing have no data attribute.

#include <pugixml.hpp>
#include <string>
#include <string_view>

#include "ridirodev/core/variant.h"

namespace ridirodev::standalone {

// The type attribute's text; "object" for an object, which cannot be written.
const char* XmlValueTypeName(VarType type);

// Sets the two attributes of element for v; v must not be an object.
void WriteXmlValue(pugi::xml_node element, const char* typeAttr, const char* dataAttr, const Variant& v);

// Reads data of the named type into out; the reason it cannot, or "" when it can.
std::string ParseXmlValue(std::string_view type, std::string_view data, Variant& out);

}  // namespace ridirodev::standalone
