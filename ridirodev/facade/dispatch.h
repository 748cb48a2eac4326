#pragma once
// Late binding: the component's classes and their members reachable by name, for hosts and
// scripts that do not call C++. The catalogue describes every class (instancing, the host
// interfaces it also implements, its events, its members in order with their parameters) and
// each bound member carries the call that reaches the same C++ member a C++ caller uses.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <typeindex>
#include <utility>
#include <vector>

#include "ridirodev/core/object.h"
#include "ridirodev/core/variant.h"

namespace ridirodev {

enum class MemberKind { kMethod, kGet, kLet, kSet };
enum class Instancing { kGlobal, kCreatable, kNotCreatable };
// "global", "creatable", "not creatable".
std::string_view InstancingName(Instancing instancing);

struct ParamInfo {
  std::string name;
  std::type_index type = typeid(Variant);
  std::string typeName;  // for a member not bound yet, whose C++ type is not known
  bool byRef = false;
  bool optional = false;
  std::optional<Variant> defaultValue;  // of an optional parameter that has one
};

// Runs a member on its object with one value per parameter (defaults filled in, Missing for an
// optional one without a default); values of by-reference parameters are written back.
using MemberCall = std::function<Variant(Object& target, std::vector<Variant>& args)>;

struct MemberInfo {
  std::string name;
  MemberKind kind = MemberKind::kMethod;
  std::vector<ParamInfo> params;
  std::optional<std::type_index> result;  // none for a method without result and for writes
  std::string resultName;                 // for a member not bound yet
  bool isDefault = false;                 // the default member (Item)
  bool isEnumerator = false;              // the hidden enumerator (NewEnum)
  MemberCall call;                        // empty while the member is not bound
};

using EventArgs = std::vector<Variant>;
using EventHandler = std::function<void(const EventArgs&)>;
// A handler connected to an event by name; it is disconnected when the sink goes.
class EventSink {
 public:
  virtual ~EventSink() = default;
};

struct EventInfo {
  std::string name;
  std::vector<ParamInfo> params;
  std::function<std::unique_ptr<EventSink>(Object& source, EventHandler handler)> connect;
};

struct EventInterfaceInfo {
  std::string name;
  std::vector<EventInfo> events;
};

struct EnumInfo {
  std::string name;
  std::type_index type = typeid(void);
  std::vector<std::pair<std::string, int32_t>> members;
};

struct ClassInfo {
  std::string name;
  Instancing instancing = Instancing::kNotCreatable;
  std::vector<std::string> implements;  // host interfaces beside the default one
  std::string events;                   // the event interface, empty when none
  std::vector<MemberInfo> members;
  std::type_index type = typeid(void);  // the C++ class
  std::function<ObjectPtr()> create;    // a creatable class, or a global object
  std::function<bool(const Object&)> isInstance;
};

class Catalogue {
 public:
  static constexpr std::string_view kLibrary = "Ridirodev";
  static constexpr int32_t kLocale = 1033;
  static constexpr std::string_view kVersion = "396.0";

  static const Catalogue& Instance();

  const std::vector<ClassInfo>& Classes() const noexcept { return classes_; }
  const std::vector<EventInterfaceInfo>& EventInterfaces() const noexcept { return eventInterfaces_; }
  const std::vector<EnumInfo>& Enums() const noexcept { return enums_; }
  // One default interface per class, and the event interfaces.
  size_t DispatchInterfaceCount() const noexcept { return classes_.size() + eventInterfaces_.size(); }

  // By name without regard to case, with or without the library's prefix ("Ridirodev.CField").
  const ClassInfo* FindClass(std::string_view name) const;
  // The class of an object of the component; nullptr for an object the catalogue does not know.
  const ClassInfo* ClassOf(const Object& object) const;
  const EventInterfaceInfo* FindEventInterface(std::string_view name) const;
  // The name a type has in the catalogue: Long, Boolean, String, Double, Date, Variant, Object,
  // a class, a host interface or an enumeration.
  std::string TypeName(std::type_index type) const;

  // Used while the catalogue is declared.
  struct Builder;

 private:
  Catalogue();
  std::vector<ClassInfo> classes_;
  std::vector<EventInterfaceInfo> eventInterfaces_;
  std::vector<EnumInfo> enums_;
  std::vector<std::pair<std::type_index, std::string>> typeNames_;
};

// The catalogue as a type-library viewer shows it, one line per member ("get Item(ByRef v As
// Variant) As CField {default}"): a class's block, an event interface's, an enumeration's, or
// everything in catalogue order (classes, then event interfaces, then enumerations).
std::string DescribeMember(const MemberInfo& member);
std::string DescribeClass(const ClassInfo& cls);
std::string DescribeEvents(const EventInterfaceInfo& events);
std::string DescribeEnum(const EnumInfo& enumeration);
std::string DescribeCatalogue();

// obj.member(args) of a script: a method, or a property read (kind kMethod or kGet); a write
// (kLet, kSet) takes the value assigned as its last argument. An empty member name is the
// default member. Errors: 438 for an unknown member, 450 for a wrong number of arguments or a
// write of a read-only property, 13 for a type mismatch; the member's own errors pass through.
// By-reference arguments are written back into args.
Variant Invoke(const ObjectPtr& target, std::string_view member, std::vector<Variant>& args,
               MemberKind kind = MemberKind::kMethod);
// The same, with the object's class given.
Variant InvokeMember(const ClassInfo& cls, Object& target, std::string_view member,
                     std::vector<Variant>& args, MemberKind kind = MemberKind::kMethod);
// A creatable class by name, or one of the global objects (made on first use); 429 for a
// class that is not creatable or not known.
ObjectPtr CreateObject(std::string_view className);
// Connects handler to the event of source by name (438 when the object has no such event).
std::unique_ptr<EventSink> ConnectEvent(const ObjectPtr& source, std::string_view event,
                                        EventHandler handler);
// The members of a collection in order, through its enumerator (438 for an object without one).
std::vector<Variant> Enumerate(const ObjectPtr& collection);

}  // namespace ridirodev
