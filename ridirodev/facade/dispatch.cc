#include "ridirodev/facade/dispatch.h"

#include <algorithm>
#include <string>
#include <utility>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/keyed_collection.h"
#include "ridirodev/core/text.h"
#include "ridirodev/facade/binding.h"
#include "ridirodev/facade/catalogue_declarations.h"

namespace ridirodev {
namespace {

const std::string kSource(Catalogue::kLibrary);

[[noreturn]] void NoSuchMember(std::string_view className, std::string_view member) {
  throw AutomationError(ErrorNumber::kNoSuchMember, kSource,
                        "Object doesn't support this property or method: " + std::string(className) + "." +
                            std::string(member));
}

[[noreturn]] void WrongArguments(std::string_view className, std::string_view member) {
  throw AutomationError(ErrorNumber::kWrongArguments, kSource,
                        "Wrong number of arguments or invalid property assignment: " +
                            std::string(className) + "." + std::string(member));
}

bool KindServes(MemberKind have, MemberKind asked) {
  switch (asked) {
    case MemberKind::kMethod:
    case MemberKind::kGet:
      return have == MemberKind::kMethod || have == MemberKind::kGet;
    case MemberKind::kLet:
    case MemberKind::kSet:
      return have == asked;
  }
  return false;
}

}  // namespace

namespace binding {
void TypeMismatch(std::string_view what) {
  throw AutomationError(ErrorNumber::kTypeMismatch, kSource, "Type mismatch: " + std::string(what));
}

void ObjectNotSet() {
  throw AutomationError(ErrorNumber::kObjectNotSet, kSource,
                        "Object variable or With block variable not set");
}

IComboBox& ComboBoxOf(const ObjectPtr& object) {
  if (!object) ObjectNotSet();
  auto* combo = dynamic_cast<IComboBox*>(object.get());
  if (!combo) TypeMismatch("an object that is not a combo box");
  return *combo;
}
}  // namespace binding

Catalogue::Catalogue() {
  Builder builder;
  DeclareCatalogue(builder);
  builder.Finish(*this);
}

const Catalogue& Catalogue::Instance() {
  static const Catalogue catalogue;
  return catalogue;
}

const ClassInfo* Catalogue::FindClass(std::string_view name) const {
  const std::string prefix = std::string(kLibrary) + ".";
  if (name.size() > prefix.size() && EqualsNoCase(name.substr(0, prefix.size()), prefix)) {
    name.remove_prefix(prefix.size());
  }
  for (const ClassInfo& c : classes_) {
    if (EqualsNoCase(c.name, name)) return &c;
  }
  return nullptr;
}

const ClassInfo* Catalogue::ClassOf(const Object& object) const {
  for (const ClassInfo& c : classes_) {
    if (c.type == std::type_index(typeid(object))) return &c;
  }
  // A class derived from a catalogued one (a test's double, say) is served as that class.
  for (const ClassInfo& c : classes_) {
    if (c.isInstance && c.isInstance(object)) return &c;
  }
  return nullptr;
}

const EventInterfaceInfo* Catalogue::FindEventInterface(std::string_view name) const {
  for (const EventInterfaceInfo& e : eventInterfaces_) {
    if (EqualsNoCase(e.name, name)) return &e;
  }
  return nullptr;
}

std::string Catalogue::TypeName(std::type_index type) const {
  for (const auto& [known, name] : typeNames_) {
    if (known == type) return name;
  }
  return "Object";
}

namespace {

std::string TypeText(std::type_index type, const std::string& named) {
  return named.empty() ? Catalogue::Instance().TypeName(type) : named;
}

// A default as written in the listing: texts quoted (quotes doubled), True, False, Nothing.
std::string DefaultText(const Variant& v) {
  switch (v.Type()) {
    case VarType::Boolean:
      return v.ToBool() ? "True" : "False";
    case VarType::String: {
      std::string text = "\"";
      for (char c : v.StringRef()) text += c == '"' ? std::string("\"\"") : std::string(1, c);
      return text + "\"";
    }
    case VarType::Object:
    case VarType::Empty:
      return "Nothing";
    default:
      return v.ToString();
  }
}

std::string ParamsText(const std::vector<ParamInfo>& params) {
  std::string text;
  for (const ParamInfo& p : params) {
    if (!text.empty()) text += ", ";
    std::string one = (p.byRef ? "ByRef " : "") + p.name + " As " + TypeText(p.type, p.typeName);
    if (p.defaultValue) one += " = " + DefaultText(*p.defaultValue);
    text += p.optional ? "[" + one + "]" : one;
  }
  return text;
}

}  // namespace

std::string DescribeMember(const MemberInfo& m) {
  const bool hasResult = m.result || !m.resultName.empty();
  std::string text;
  switch (m.kind) {
    case MemberKind::kMethod:
      text = hasResult ? "function " : "sub ";
      break;
    case MemberKind::kGet:
      text = "get ";
      break;
    case MemberKind::kLet:
      text = "let ";
      break;
    case MemberKind::kSet:
      text = "set ";
      break;
  }
  text += m.name;
  if (m.kind == MemberKind::kMethod || !m.params.empty()) text += "(" + ParamsText(m.params) + ")";
  if (hasResult) text += " As " + TypeText(m.result.value_or(typeid(void)), m.resultName);
  if (m.isDefault) text += " {default}";
  if (m.isEnumerator) text += " {enumerator}";
  return text;
}

std::string_view InstancingName(Instancing instancing) {
  switch (instancing) {
    case Instancing::kGlobal:
      return "global";
    case Instancing::kCreatable:
      return "creatable";
    case Instancing::kNotCreatable:
      break;
  }
  return "not creatable";
}

std::string DescribeClass(const ClassInfo& cls) {
  std::string text =
      "class " + cls.name + "\n  instancing: " + std::string(InstancingName(cls.instancing)) + "\n";
  if (!cls.implements.empty()) {
    text += "  implements: ";
    for (size_t i = 0; i < cls.implements.size(); ++i) text += (i ? ", " : "") + cls.implements[i];
    text += "\n";
  }
  if (!cls.events.empty()) text += "  events: " + cls.events + "\n";
  for (const MemberInfo& m : cls.members) text += "  " + DescribeMember(m) + "\n";
  return text;
}

std::string DescribeEvents(const EventInterfaceInfo& events) {
  std::string text = "events " + events.name + "\n";
  for (const EventInfo& e : events.events) text += "  event " + e.name + "(" + ParamsText(e.params) + ")\n";
  return text;
}

std::string DescribeEnum(const EnumInfo& enumeration) {
  std::string text = "enum " + enumeration.name + "\n";
  for (const auto& [name, value] : enumeration.members)
    text += "  " + name + " = " + std::to_string(value) + "\n";
  return text;
}

std::string DescribeCatalogue() {
  const Catalogue& c = Catalogue::Instance();
  std::string text;
  auto block = [&](const std::string& one) { text += (text.empty() ? "" : "\n") + one; };
  for (const ClassInfo& cls : c.Classes()) block(DescribeClass(cls));
  for (const EventInterfaceInfo& e : c.EventInterfaces()) block(DescribeEvents(e));
  for (const EnumInfo& e : c.Enums()) block(DescribeEnum(e));
  return text;
}

Variant Invoke(const ObjectPtr& target, std::string_view member, std::vector<Variant>& args,
               MemberKind kind) {
  if (!target) {
    throw AutomationError(ErrorNumber::kObjectNotSet, kSource,
                          "Object variable or With block variable not set");
  }
  const ClassInfo* cls = Catalogue::Instance().ClassOf(*target);
  if (!cls) NoSuchMember("Object", member);
  return InvokeMember(*cls, *target, member, args, kind);
}

Variant InvokeMember(const ClassInfo& info, Object& target, std::string_view member,
                     std::vector<Variant>& args, MemberKind kind) {
  const ClassInfo* cls = &info;
  const MemberInfo* found = nullptr;
  bool otherKind = false;
  for (const MemberInfo& m : cls->members) {
    if (member.empty() ? !m.isDefault : !EqualsNoCase(m.name, member)) continue;
    if (KindServes(m.kind, kind)) {
      found = &m;
      break;
    }
    otherKind = true;
  }
  if (!found) {
    if (otherKind) WrongArguments(cls->name, member);  // a read-only property written, say
    NoSuchMember(cls->name, member);
  }
  if (!found->call) NoSuchMember(cls->name, found->name);
  const bool write = kind == MemberKind::kLet || kind == MemberKind::kSet;
  if (write && args.empty()) WrongArguments(cls->name, found->name);
  const size_t given = write ? args.size() - 1 : args.size();
  const std::vector<ParamInfo>& params = found->params;
  if (given > params.size()) WrongArguments(cls->name, found->name);
  std::vector<Variant> call;
  call.reserve(params.size() + (write ? 1 : 0));
  for (size_t i = 0; i < params.size(); ++i) {
    if (i < given && !args[i].IsMissing()) {
      call.push_back(args[i]);
    } else if (params[i].optional) {
      call.push_back(params[i].defaultValue.value_or(Variant::Missing()));
    } else {
      WrongArguments(cls->name, found->name);
    }
  }
  if (write) call.push_back(args.back());
  Variant result = found->call(target, call);
  for (size_t i = 0; i < given; ++i) {
    if (params[i].byRef) args[i] = std::move(call[i]);
  }
  return result;
}

ObjectPtr CreateObject(std::string_view className) {
  const ClassInfo* cls = Catalogue::Instance().FindClass(className);
  if (!cls) {
    throw AutomationError(ErrorNumber::kCannotCreateObject, kSource,
                          "ActiveX component can't create object: no class " + std::string(className));
  }
  if (cls->instancing == Instancing::kNotCreatable) {
    throw AutomationError(
        ErrorNumber::kCannotCreateObject, kSource,
        "ActiveX component can't create object: " + cls->name + " is reached only through another object");
  }
  if (!cls->create) {
    throw AutomationError(ErrorNumber::kCannotCreateObject, kSource,
                          "ActiveX component can't create object: " + cls->name + " is not available yet");
  }
  return cls->create();
}

std::unique_ptr<EventSink> ConnectEvent(const ObjectPtr& source, std::string_view event,
                                        EventHandler handler) {
  if (!source) {
    throw AutomationError(ErrorNumber::kObjectNotSet, kSource,
                          "Object variable or With block variable not set");
  }
  const Catalogue& catalogue = Catalogue::Instance();
  const ClassInfo* cls = catalogue.ClassOf(*source);
  const EventInterfaceInfo* events = cls ? catalogue.FindEventInterface(cls->events) : nullptr;
  if (events) {
    for (const EventInfo& e : events->events) {
      if (EqualsNoCase(e.name, event)) return e.connect(*source, std::move(handler));
    }
  }
  NoSuchMember(cls ? cls->name : "Object", event);
}

std::vector<Variant> Enumerate(const ObjectPtr& collection) {
  if (!collection) {
    throw AutomationError(ErrorNumber::kObjectNotSet, kSource,
                          "Object variable or With block variable not set");
  }
  const ClassInfo* cls = Catalogue::Instance().ClassOf(*collection);
  const auto enumerator = cls ? std::find_if(cls->members.begin(), cls->members.end(),
                                             [](const MemberInfo& m) { return m.isEnumerator; })
                              : std::vector<MemberInfo>::const_iterator();
  if (!cls || enumerator == cls->members.end()) NoSuchMember(cls ? cls->name : "Object", "NewEnum");
  std::vector<Variant> none;
  const auto walker =
      std::dynamic_pointer_cast<ValueEnumerator>(Invoke(collection, enumerator->name, none).ToObject());
  if (!walker) binding::TypeMismatch("the enumerator of " + cls->name);
  std::vector<Variant> items;
  for (Variant item; walker->NextValue(item);) items.push_back(std::move(item));
  return items;
}

}  // namespace ridirodev
