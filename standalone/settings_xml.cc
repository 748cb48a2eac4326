#include "standalone/settings_xml.h"

#include <cstring>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "standalone/xml_values.h"

namespace ridirodev::standalone {
namespace {

// Deeper nesting than any real settings tree: refusing it keeps a damaged file from
// exhausting the stack of the recursive reader.
constexpr int kMaxDepth = 200;

std::vector<pugi::xml_node> Elements(pugi::xml_node parent) {
  std::vector<pugi::xml_node> elements;
  for (pugi::xml_node child : parent.children()) {
    if (child.type() == pugi::node_element) elements.push_back(child);
  }
  return elements;
}

int Rank(pugi::xml_node element) {
  const std::string_view kind = element.name();
  return kind == "value" ? 0 : kind == "entry" ? 2 : 1;
}

pugi::xml_node AddElement(pugi::xml_node parent, const char* kind, int rank) {
  // From the end: in a new element everything is added in order, so the first look finds it.
  for (pugi::xml_node child = parent.last_child(); child; child = child.previous_sibling()) {
    if (child.type() == pugi::node_element && Rank(child) <= rank)
      return parent.insert_child_after(kind, child);
  }
  return parent.prepend_child(kind);
}

// The position of the first unmatched item named name, or items.size(); the one after the last
// match is tried first, as a file holds them in the store's order.
template <class Items, class NameOf>
size_t Match(const Items& items, const std::vector<bool>& matched, size_t& next, std::string_view name,
             NameOf nameOf) {
  size_t found = items.size();
  if (next < items.size() && !matched[next] && EqualsNoCase(nameOf(items[next]), name)) {
    found = next;
  } else {
    for (size_t i = 0; i < items.size(); ++i) {
      if (!matched[i] && EqualsNoCase(nameOf(items[i]), name)) {
        found = i;
        break;
      }
    }
  }
  if (found < items.size()) next = found + 1;
  return found;
}

void SetTypedValue(pugi::xml_node element, const char* typeAttr, const char* dataAttr, const Variant& value) {
  pugi::xml_document scratch;
  pugi::xml_node fresh = scratch.append_child("v");
  WriteXmlValue(fresh, typeAttr, dataAttr, value);
  SetXmlAttribute(element, typeAttr, fresh.attribute(typeAttr).value());
  if (pugi::xml_attribute data = fresh.attribute(dataAttr)) {
    SetXmlAttribute(element, dataAttr, data.value());
  } else {
    element.remove_attribute(dataAttr);
  }
}

void SyncChild(pugi::xml_node element, const SettingsNode& child) {
  SetXmlAttribute(element, "name", child.Name().c_str());
  if (child.IsPropertyList()) SetTypedValue(element, "default-type", "default", child.ListDefault());
  SyncSettingsNode(element, child);
}

// Where an element sits, for messages: settings/node "A"/value "B".
std::string Where(pugi::xml_node element) {
  std::string path;
  for (pugi::xml_node n = element;
       n && n.type() == pugi::node_element && std::strcmp(n.name(), kSettingsRootElement) != 0;
       n = n.parent()) {
    std::string step = n.name();
    if (auto name = n.attribute("name")) step += " \"" + std::string(name.value()) + "\"";
    path = path.empty() ? step : step + "/" + path;
  }
  return path;
}

pugi::xml_attribute Required(pugi::xml_node element, const char* attr, std::string_view source) {
  pugi::xml_attribute a = element.attribute(attr);
  if (!a) CorruptSettings(source, Where(element) + " has no " + attr + " attribute");
  return a;
}

Variant ReadTypedValue(pugi::xml_node element, const char* typeAttr, const char* dataAttr,
                       std::string_view source) {
  Variant v;
  const std::string why =
      ParseXmlValue(Required(element, typeAttr, source).value(), element.attribute(dataAttr).value(), v);
  if (!why.empty()) {
    CorruptSettings(source, Where(element) + " holds '" + element.attribute(dataAttr).value() + "' of type " +
                                element.attribute(typeAttr).value() + ": " + why);
  }
  return v;
}

}  // namespace

void CorruptSettings(std::string_view source, const std::string& why) {
  throw AutomationError(ErrorNumber::kInvalidArgument, "SettingsStore",
                        "The settings file " + std::string(source) + " is not valid: " + why +
                            ". Repair or remove it; the host keeps its settings there.");
}

void SetXmlAttribute(pugi::xml_node element, const char* name, const char* value) {
  pugi::xml_attribute attribute = element.attribute(name);
  (attribute ? attribute : element.append_attribute(name)).set_value(value);
}

void SyncSettingsNode(pugi::xml_node element, const SettingsNode& node) {
  const auto& values = node.NamedValues();
  const auto& children = node.ChildNodes();
  const auto& entries = node.ValueEntries();
  std::vector<bool> matched(values.size());
  size_t next = 0;
  size_t child = 0;
  size_t entry = 0;
  for (pugi::xml_node e : Elements(element)) {
    const std::string_view kind = e.name();
    const char* name = e.attribute("name").value();
    const size_t v = kind == "value" ? Match(values, matched, next, name,
                                             [](const auto& nv) -> const std::string& { return nv.name; })
                                     : values.size();
    if (v < values.size()) {
      matched[v] = true;
      SetXmlAttribute(e, "name", values[v].name.c_str());
      SetTypedValue(e, "type", "data", values[v].value);
    } else if ((kind == "node" || kind == "list") && child < children.size() &&
               (kind == "list") == children[child]->IsPropertyList() &&
               EqualsNoCase(children[child]->Name(), name)) {
      SyncChild(e, *children[child++]);
    } else if (kind == "entry" && entry < entries.size()) {
      SetTypedValue(e, "type", "data", entries[entry++]);
    } else {
      element.remove_child(e);
    }
  }
  for (size_t v = 0; v < values.size(); ++v) {
    if (matched[v]) continue;
    pugi::xml_node e = AddElement(element, "value", 0);
    SetXmlAttribute(e, "name", values[v].name.c_str());
    SetTypedValue(e, "type", "data", values[v].value);
  }
  for (; child < children.size(); ++child) {
    SyncChild(AddElement(element, children[child]->IsPropertyList() ? "list" : "node", 1), *children[child]);
  }
  for (; entry < entries.size(); ++entry)
    SetTypedValue(AddElement(element, "entry", 2), "type", "data", entries[entry]);
}

void SyncRegistryKey(pugi::xml_node element, const RegistryKey& key) {
  const auto& values = key.Values();
  const auto& keys = key.Keys();
  std::vector<bool> valueMatched(values.size());
  std::vector<bool> keyMatched(keys.size());
  size_t nextValue = 0;
  size_t nextKey = 0;
  for (pugi::xml_node e : Elements(element)) {
    const std::string_view kind = e.name();
    const char* name = e.attribute("name").value();
    const size_t v = kind == "value" ? Match(values, valueMatched, nextValue, name,
                                             [](const auto& nv) -> const std::string& { return nv.first; })
                                     : values.size();
    const size_t k = kind == "key" ? Match(keys, keyMatched, nextKey, name,
                                           [](const auto& key) -> const std::string& { return key->Name(); })
                                   : keys.size();
    if (v < values.size()) {
      valueMatched[v] = true;
      SetXmlAttribute(e, "name", values[v].first.c_str());
      SetXmlAttribute(e, "data", values[v].second.c_str());
    } else if (k < keys.size()) {
      keyMatched[k] = true;
      SetXmlAttribute(e, "name", keys[k]->Name().c_str());
      SyncRegistryKey(e, *keys[k]);
    } else {
      element.remove_child(e);
    }
  }
  for (size_t v = 0; v < values.size(); ++v) {
    if (valueMatched[v]) continue;
    pugi::xml_node e = AddElement(element, "value", 0);
    SetXmlAttribute(e, "name", values[v].first.c_str());
    SetXmlAttribute(e, "data", values[v].second.c_str());
  }
  for (size_t k = 0; k < keys.size(); ++k) {
    if (keyMatched[k]) continue;
    pugi::xml_node e = AddElement(element, "key", 1);
    SetXmlAttribute(e, "name", keys[k]->Name().c_str());
    SyncRegistryKey(e, *keys[k]);
  }
}

void ReadSettingsNode(pugi::xml_node element, SettingsNode& node, std::string_view source, int depth) {
  if (depth > kMaxDepth)
    CorruptSettings(source, "settings nested deeper than " + std::to_string(kMaxDepth) + " levels");
  for (pugi::xml_node child : element.children()) {
    if (child.type() != pugi::node_element) continue;
    const std::string_view kind = child.name();
    if (kind == "value") {
      node.SetValue(Required(child, "name", source).value(), ReadTypedValue(child, "type", "data", source));
    } else if (kind == "node" || kind == "list") {
      const std::string name = Required(child, "name", source).value();
      SettingsNodePtr sub =
          kind == "list"
              ? SettingsNode::CreateList(name, ReadTypedValue(child, "default-type", "default", source))
              : SettingsNode::Create(name);
      ReadSettingsNode(child, *sub, source, depth + 1);
      node.AddChild(sub);
    } else if (kind == "entry") {
      node.AddValueEntry(ReadTypedValue(child, "type", "data", source));
    } else {
      CorruptSettings(source, "unexpected element " + Where(child));
    }
  }
}

void ReadRegistryKey(pugi::xml_node element, RegistryKey& key, std::string_view source, int depth) {
  if (depth > kMaxDepth)
    CorruptSettings(source, "registry keys nested deeper than " + std::to_string(kMaxDepth) + " levels");
  for (pugi::xml_node child : element.children()) {
    if (child.type() != pugi::node_element) continue;
    const std::string_view kind = child.name();
    const std::string name = Required(child, "name", source).value();
    if (kind == "value") {
      key.WriteValue(name, child.attribute("data").value());
    } else if (kind == "key") {
      auto sub = std::static_pointer_cast<RegistryKey>(key.CreateKey(name));
      ReadRegistryKey(child, *sub, source, depth + 1);
    } else {
      CorruptSettings(source, "unexpected element " + Where(child));
    }
  }
}

}  // namespace ridirodev::standalone
