#pragma once

// The host's XML property bag: the named values a persistable object writes, kept in order
// and saved as one small document:
//
//   <?xml version="1.0"?>
//   <properties version="1">
//     <property name="Technology" type="integer" data="3" />
//     <property name="Changed" type="date" data="2026-12-06T14:05:09" />
//     <property name="Filter" type="null" />
//   </properties>
//
// Values are typed as in the settings file (standalone/xml_values.h), so a value reads back
// with the type it was written with.

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ridirodev/core/text.h"
#include "ridirodev/core/variant.h"
#include "ridirodev/host/items.h"

namespace ridirodev::standalone {

class XmlPropertyBag : public IPropertyBag {
 public:
  struct Property {
    std::string name;
    Variant value;
  };

  // Names are compared without regard to case; an absent property gives defaultValue.
  Variant ReadProperty(std::string_view name, const Variant& defaultValue = Variant()) const override;
  // Always writes, even a value equal to the default: a reader may use another default.
  // A second write of a name replaces the value in its place. Error 13 for an object.
  void WriteProperty(std::string_view name, const Variant& value,
                     const Variant& defaultValue = Variant()) override;

  const std::vector<Property>& Properties() const { return properties_; }

  std::string ToXml() const;
  // Reads a document written by ToXml. Anything else (not XML, another root or version,
  // an element that is no property, a property without name or type, a value that does
  // not read as its type, a name given twice) fails with error 5 naming source and the fault.
  static XmlPropertyBag Parse(std::string_view xml, std::string_view source);

 private:
  std::vector<Property> properties_;
  std::unordered_map<std::string, size_t, NoCaseHash, NoCaseEqual> index_;  // name -> position
};

}  // namespace ridirodev::standalone
