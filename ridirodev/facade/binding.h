#pragma once
// How the catalogue is declared: one declaration per member names the C++ member that
// implements it, and both the catalogue entry (parameter and result types) and the late-bound
// call come from it. Only the files that declare the catalogue include this.
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <type_traits>
#include <typeindex>
#include <utility>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/event.h"
#include "ridirodev/facade/dispatch.h"
#include "ridirodev/host/controls.h"

namespace ridirodev::binding {

// A parameter as the catalogue shows it: its name, and whether it may be left out, with the
// value it then takes.
struct P {
  P(const char* n) : name(n) {}  // NOLINT: a name alone is the common case
  template <class T>
  P(const char* n, T value) : name(n), optional(true), defaultValue(Variant(value)) {}
  static P Optional(const char* n) {
    P p(n);
    p.optional = true;
    return p;
  }
  // Shown by reference though the C++ member takes a value (an object reference the callee
  // never replaces, say): the caller's value comes back unchanged.
  static P ByRef(const char* n) {
    P p(n);
    p.byRef = true;
    return p;
  }
  const char* name;
  bool optional = false;
  bool byRef = false;
  std::optional<Variant> defaultValue;
};

template <class T>
struct IsSharedPtr : std::false_type {};
template <class T>
struct IsSharedPtr<std::shared_ptr<T>> : std::true_type {
  using Element = T;
};
template <class T>
struct IsOptional : std::false_type {};
template <class T>
struct IsOptional<std::optional<T>> : std::true_type {
  using Element = T;
};

// The catalogue's type of a C++ parameter or result type.
template <class T>
std::type_index TypeOf() {
  using V = std::remove_cvref_t<T>;
  if constexpr (IsSharedPtr<V>::value) {
    return typeid(typename IsSharedPtr<V>::Element);
  } else if constexpr (IsOptional<V>::value) {
    return TypeOf<typename IsOptional<V>::Element>();
  } else if constexpr (std::is_same_v<V, std::string_view>) {
    return typeid(std::string);
  } else {
    return typeid(V);
  }
}

[[noreturn]] void TypeMismatch(std::string_view what);

template <class T>
T FromVariant(const Variant& v) {
  if constexpr (std::is_same_v<T, Variant>) {
    return v;
  } else if constexpr (std::is_same_v<T, bool>) {
    return v.ToBool();
  } else if constexpr (std::is_enum_v<T>) {
    return static_cast<T>(v.ToInt32());
  } else if constexpr (std::is_same_v<T, int32_t>) {
    return v.ToInt32();
  } else if constexpr (std::is_integral_v<T>) {
    const int32_t n = v.ToInt32();
    if (n < std::numeric_limits<T>::min() || n > std::numeric_limits<T>::max()) {
      throw AutomationError(ErrorNumber::kOverflow, "Ridirodev", "Overflow");
    }
    return static_cast<T>(n);
  } else if constexpr (std::is_floating_point_v<T>) {
    return static_cast<T>(v.ToDouble());
  } else if constexpr (std::is_same_v<T, std::string>) {
    return v.ToString();
  } else if constexpr (std::is_same_v<T, Date>) {
    return v.ToDate();
  } else if constexpr (IsOptional<T>::value) {
    if (v.IsMissing()) return std::nullopt;
    return FromVariant<typename IsOptional<T>::Element>(v);
  } else if constexpr (IsSharedPtr<T>::value) {
    using E = typename IsSharedPtr<T>::Element;
    if (v.IsMissing() || v.IsEmpty()) return nullptr;
    ObjectPtr object = v.ToObject();
    if (!object) return nullptr;
    if (auto typed = std::dynamic_pointer_cast<E>(object)) return typed;
    TypeMismatch("an object of another class");
  } else {
    static_assert(sizeof(T) == 0, "no conversion from Variant for this parameter type");
  }
}

template <class T>
Variant ToVariant(T&& value) {
  using V = std::remove_cvref_t<T>;
  if constexpr (std::is_enum_v<V>) {
    return Variant(static_cast<int32_t>(value));
  } else if constexpr (std::is_same_v<V, int64_t>) {
    return Variant::FromInt64(value);
  } else if constexpr (std::is_integral_v<V> && !std::is_same_v<V, bool>) {
    return Variant(static_cast<int32_t>(value));
  } else if constexpr (std::is_same_v<V, float>) {
    return Variant(static_cast<double>(value));
  } else if constexpr (IsSharedPtr<V>::value) {
    using E = typename IsSharedPtr<V>::Element;
    if (!value) return Variant(ObjectPtr());
    if constexpr (std::is_base_of_v<Object, E>) {
      return Variant(std::static_pointer_cast<Object>(std::forward<T>(value)));
    } else {
      // A host interface: the object behind it is one of the component's or the host's.
      return Variant(std::dynamic_pointer_cast<Object>(std::forward<T>(value)));
    }
  } else if constexpr (IsOptional<V>::value) {
    return value ? ToVariant(*value) : Variant();
  } else {
    return Variant(std::forward<T>(value));
  }
}

// One argument held for the call: by value, or by reference and written back afterwards.
template <class A>
class Held {
 public:
  using Value = std::remove_cvref_t<A>;
  static constexpr bool kByRef =
      std::is_lvalue_reference_v<A> && !std::is_const_v<std::remove_reference_t<A>>;
  explicit Held(const Variant& v) : value_(Convert(v)) {}
  A Get() {
    if constexpr (std::is_rvalue_reference_v<A>) {
      return std::move(value_);
    } else {
      return value_;
    }
  }
  void WriteBack(Variant& v) {
    if constexpr (kByRef) v = ToVariant(value_);
  }

 private:
  static Value Convert(const Variant& v) {
    if constexpr (std::is_same_v<Value, std::string_view>) {
      static_assert(sizeof(A) == 0, "take std::string, not std::string_view, in a bound member");
    } else {
      return FromVariant<Value>(v);
    }
  }
  Value value_;
};

template <class F>
struct Signature;
template <class R, class C, class... A>
struct Signature<R (C::*)(A...)> {
  using Class = C;
  using Result = R;
  using Args = std::tuple<A...>;
};
template <class R, class C, class... A>
struct Signature<R (C::*)(A...) const> : Signature<R (C::*)(A...)> {};
template <class R, class C, class... A>
struct Signature<R (C::*)(A...) noexcept> : Signature<R (C::*)(A...)> {};
template <class R, class C, class... A>
struct Signature<R (C::*)(A...) const noexcept> : Signature<R (C::*)(A...)> {};
template <class R, class... A>
struct Signature<R (*)(A...)> {
  using Class = void;  // a static member: no object
  using Result = R;
  using Args = std::tuple<A...>;
};
template <class R, class... A>
struct Signature<R (*)(A...) noexcept> : Signature<R (*)(A...)> {};

// Helpers of the adapters, where a C++ member's form differs from the catalogue's.

// Error 91, for an object argument left Nothing.
[[noreturn]] void ObjectNotSet();

// An object argument the C++ member takes by reference, so Nothing cannot reach it.
template <class T>
T& Required(const std::shared_ptr<T>& object) {
  if (!object) ObjectNotSet();
  return *object;
}

// The host's combo box comes as a plain object that also implements IComboBox.
IComboBox& ComboBoxOf(const ObjectPtr& object);

// A parameter both optional and by reference, with a default or without one.
inline P OptionalByRef(const char* name, Variant defaultValue) {
  P p(name, std::move(defaultValue));
  p.byRef = true;
  return p;
}
inline P OptionalByRef(const char* name) {
  P p = P::Optional(name);
  p.byRef = true;
  return p;
}

// A keyed collection handed to a late-bound caller. Core's collections are not objects, so the
// collection itself (shared, never copied) travels inside one. No catalogue class describes it:
// a script can hold it and hand it back, nothing more.
template <class T>
class CollectionObject : public Object {
 public:
  explicit CollectionObject(std::shared_ptr<T> collection) : collection_(std::move(collection)) {}
  const std::shared_ptr<T>& Collection() const noexcept { return collection_; }

 private:
  std::shared_ptr<T> collection_;
};

// The collection held, or Nothing for none.
template <class Holder, class T>
std::shared_ptr<Holder> Hold(std::shared_ptr<T> collection) {
  return collection ? std::make_shared<Holder>(std::move(collection)) : nullptr;
}

// Whether F is a free function that takes the object first (an adapter where the C++ member's
// form differs from the catalogue's): its other parameters are the member's.
template <auto F, class Self>
constexpr bool TakesSelf() {
  using S = Signature<decltype(F)>;
  if constexpr (!std::is_same_v<typename S::Class, void> || std::tuple_size_v<typename S::Args> == 0) {
    return false;
  } else {
    using First = std::tuple_element_t<0, typename S::Args>;
    return std::is_lvalue_reference_v<First> && std::is_base_of_v<std::remove_cvref_t<First>, Self>;
  }
}

// The parameters the catalogue shows: F's, without the object an adapter takes first.
template <auto F, class Self>
struct ParamsTuple {
  using Args = typename Signature<decltype(F)>::Args;
  template <class T>
  struct Tail {
    using Type = std::tuple<>;
  };
  template <class H, class... T>
  struct Tail<std::tuple<H, T...>> {
    using Type = std::tuple<T...>;
  };
  using Type = std::conditional_t<TakesSelf<F, Self>(), typename Tail<Args>::Type, Args>;
};

// The late-bound call of F: the object cast to F's class, every argument converted, the
// by-reference ones written back, the result converted.
template <auto F, class Self>
Variant Call(Object& target, std::vector<Variant>& args) {
  using S = Signature<decltype(F)>;
  using Params = typename ParamsTuple<F, Self>::Type;
  constexpr size_t kArity = std::tuple_size_v<Params>;
  return [&]<size_t... I>(std::index_sequence<I...>)->Variant {
    std::tuple<Held<std::tuple_element_t<I, Params>>...> held{
        Held<std::tuple_element_t<I, Params>>(args[I])...};
    auto invoke = [&]() -> decltype(auto) {
      if constexpr (TakesSelf<F, Self>()) {
        return F(dynamic_cast<Self&>(target), std::get<I>(held).Get()...);
      } else if constexpr (std::is_same_v<typename S::Class, void>) {
        return F(std::get<I>(held).Get()...);
      } else {
        auto& self = dynamic_cast<Self&>(target);
        return (self.*F)(std::get<I>(held).Get()...);
      }
    };
    Variant result;
    if constexpr (std::is_void_v<typename S::Result>) {
      invoke();
    } else {
      result = ToVariant(invoke());
    }
    (std::get<I>(held).WriteBack(args[I]), ...);
    return result;
  }
  (std::make_index_sequence<kArity>());
}

template <auto F, class Self>
std::vector<ParamInfo> ParamsOf(std::initializer_list<P> names, const char* member) {
  using Params = typename ParamsTuple<F, Self>::Type;
  constexpr size_t kArity = std::tuple_size_v<Params>;
  if (names.size() != kArity) {
    throw AutomationError(ErrorNumber::kInvalidArgument, "Ridirodev",
                          std::string("The catalogue names ") + std::to_string(names.size()) +
                              " parameters for " + member + ", which takes " + std::to_string(kArity));
  }
  std::vector<ParamInfo> params;
  [&]<size_t... I>(std::index_sequence<I...>) {
    const P* p = names.begin();
    ((params.push_back({p[I].name,
                        TypeOf<std::tuple_element_t<I, Params>>(),
                        {},
                        p[I].byRef || Held<std::tuple_element_t<I, Params>>::kByRef,
                        p[I].optional,
                        p[I].defaultValue})),
     ...);
  }
  (std::make_index_sequence<kArity>());
  return params;
}

template <class T>
struct EventTraits;
template <class... A>
struct EventTraits<Event<A...>> {
  static constexpr size_t kArity = sizeof...(A);
  template <class F>
  static auto Adapt(F handler) {
    return [handler = std::move(handler)](A... a) {
      const EventArgs args{ToVariant(a)...};
      handler(args);
    };
  }
  static std::vector<std::type_index> Types() { return {TypeOf<A>()...}; }
};

template <class Connection>
class ConnectedSink final : public EventSink {
 public:
  explicit ConnectedSink(Connection c) : connection_(std::move(c)) {}

 private:
  Connection connection_;
};

// The declarations of one class, member by member in catalogue order.
template <class C>
class ClassDecl {
 public:
  explicit ClassDecl(ClassInfo& info) : info_(info) {}

  // A method; its result type, if any, comes from F.
  template <auto F>
  ClassDecl& Method(const char* name, std::initializer_list<P> params = {}) {
    return Add<F>(name, MemberKind::kMethod, params);
  }
  template <auto F>
  ClassDecl& Get(const char* name, std::initializer_list<P> params = {}) {
    return Add<F>(name, MemberKind::kGet, params);
  }
  // A property write: F takes params and then the value.
  template <auto F>
  ClassDecl& Let(const char* name, std::initializer_list<P> params = {}) {
    return Write<F>(name, MemberKind::kLet, params);
  }
  template <auto F>
  ClassDecl& Set(const char* name, std::initializer_list<P> params = {}) {
    return Write<F>(name, MemberKind::kSet, params);
  }
  // The members of a collection of the reference form, in their order: Add, Count, Remove,
  // Clear, Item (the default member), Exists, NewEnum.
  ClassDecl& StandardCollection(const char* addParam) {
    return Method<&C::Add>("Add", {P::ByRef(addParam)})
        .template Get<&C::Count>("Count")
        .template Method<&C::Remove>("Remove", {P::ByRef("v")})
        .template Method<&C::Clear>("Clear")
        .template Get<&C::Item>("Item", {P::ByRef("v")})
        .Default()
        .template Method<&C::Exists>("Exists", {"v"})
        .template Get<&C::NewEnum>("NewEnum")
        .Enumerator();
  }
  // The last member declared is the default member, or the hidden enumerator.
  ClassDecl& Default() {
    info_.members.back().isDefault = true;
    return *this;
  }
  ClassDecl& Enumerator() {
    info_.members.back().isEnumerator = true;
    return *this;
  }
  // A member listed but not implemented yet: it answers 438. Types are given by name.
  ClassDecl& Unbound(const char* name, MemberKind kind, std::vector<std::pair<P, const char*>> params,
                     const char* result = "") {
    MemberInfo m{name, kind, {}, std::nullopt, result, false, false, {}};
    for (const auto& [p, type] : params) {
      m.params.push_back({p.name, typeid(void), type, p.byRef, p.optional, p.defaultValue});
    }
    info_.members.push_back(std::move(m));
    return *this;
  }
  // An event of the class's event interface.
  template <auto E>
  ClassDecl& Event(EventInterfaceInfo& events, const char* name, std::vector<const char*> paramNames) {
    using EventType = std::remove_cvref_t<decltype(std::declval<C&>().*E)>;
    using T = EventTraits<EventType>;
    if (paramNames.size() != T::kArity) {
      throw AutomationError(ErrorNumber::kInvalidArgument, "Ridirodev",
                            std::string("The catalogue names the wrong number of parameters for ") + name);
    }
    EventInfo info{name, {}, {}};
    const auto types = T::Types();
    for (size_t i = 0; i < paramNames.size(); ++i) {
      // "&name": by reference.
      const std::string_view param = paramNames[i];
      const bool byRef = param.starts_with('&');
      info.params.push_back({std::string(param.substr(byRef ? 1 : 0)), types[i], {}, byRef, false, {}});
    }
    info.connect = [](Object& source, EventHandler handler) -> std::unique_ptr<EventSink> {
      auto& self = dynamic_cast<C&>(source);
      auto connection = (self.*E).Connect(T::Adapt(std::move(handler)));
      return std::make_unique<ConnectedSink<decltype(connection)>>(std::move(connection));
    };
    events.events.push_back(std::move(info));
    return *this;
  }

 private:
  template <auto F>
  ClassDecl& Add(const char* name, MemberKind kind, std::initializer_list<P> params) {
    using S = Signature<decltype(F)>;
    MemberInfo m{name, kind, ParamsOf<F, C>(params, name), std::nullopt, "", false, false, &Call<F, C>};
    if constexpr (!std::is_void_v<typename S::Result>) m.result = TypeOf<typename S::Result>();
    info_.members.push_back(std::move(m));
    return *this;
  }
  template <auto F>
  ClassDecl& Write(const char* name, MemberKind kind, std::initializer_list<P> params) {
    std::vector<P> all(params);
    all.emplace_back("RHS");
    static_assert(std::tuple_size_v<typename ParamsTuple<F, C>::Type> >= 1,
                  "a property write takes the value");
    MemberInfo m{name, kind, {}, std::nullopt, "", false, false, &Call<F, C>};
    m.params = ParamsOfList<F>(all, name);
    m.result = m.params.back().type;  // shown as the type written
    m.params.pop_back();
    info_.members.push_back(std::move(m));
    return *this;
  }
  template <auto F>
  static std::vector<ParamInfo> ParamsOfList(const std::vector<P>& all, const char* name) {
    switch (all.size()) {
      case 1:
        return ParamsOf<F, C>({all[0]}, name);
      case 2:
        return ParamsOf<F, C>({all[0], all[1]}, name);
      case 3:
        return ParamsOf<F, C>({all[0], all[1], all[2]}, name);
      default:
        return ParamsOf<F, C>({all[0], all[1], all[2], all[3]}, name);
    }
  }

  ClassInfo& info_;
};

}  // namespace ridirodev::binding

namespace ridirodev {

// A global object of the catalogue: an object to call the static members of G on.
template <class G>
class GlobalObject final : public Object {};

struct Catalogue::Builder {
  std::deque<ClassInfo> classes;
  std::deque<EventInterfaceInfo> events;
  std::vector<EnumInfo> enums;
  std::vector<std::pair<std::type_index, std::string>> typeNames = {
      {typeid(int32_t), "Long"},       {typeid(int16_t), "Integer"}, {typeid(bool), "Boolean"},
      {typeid(std::string), "String"}, {typeid(double), "Double"},   {typeid(float), "Single"},
      {typeid(Date), "Date"},          {typeid(Variant), "Variant"}, {typeid(Object), "Object"}};

  template <class C>
  binding::ClassDecl<C> Class(const char* name, Instancing instancing,
                              std::vector<std::string> implements = {}, const char* eventInterface = "") {
    ClassInfo& c = classes.emplace_back();
    c.name = name;
    c.instancing = instancing;
    c.implements = std::move(implements);
    c.events = eventInterface;
    c.type = typeid(C);
    c.isInstance = [](const Object& o) { return dynamic_cast<const C*>(&o) != nullptr; };
    if constexpr (std::is_default_constructible_v<C>) {
      if (instancing == Instancing::kCreatable) c.create = [] { return ObjectPtr(std::make_shared<C>()); };
    }
    typeNames.emplace_back(typeid(C), name);
    return binding::ClassDecl<C>(c);
  }
  // A global object: made on first use, one per thread, as the component's state is.
  template <class G>
  binding::ClassDecl<GlobalObject<G>> Global(const char* name) {
    auto decl = Class<GlobalObject<G>>(name, Instancing::kGlobal);
    classes.back().create = [] {
      thread_local const ObjectPtr global = std::make_shared<GlobalObject<G>>();
      return global;
    };
    return decl;
  }
  // A class listed before its C++ class exists: its members are declared Unbound.
  binding::ClassDecl<Object> Placeholder(const char* name, Instancing instancing,
                                         std::vector<std::string> implements = {}) {
    ClassInfo& c = classes.emplace_back();
    c.name = name;
    c.instancing = instancing;
    c.implements = std::move(implements);
    c.isInstance = [](const Object&) { return false; };
    return binding::ClassDecl<Object>(c);
  }
  EventInterfaceInfo& Events(const char* name) {
    for (EventInterfaceInfo& e : events) {
      if (e.name == name) return e;
    }
    return events.emplace_back(EventInterfaceInfo{name, {}});
  }
  template <class E>
  void Enum(const char* name, std::vector<std::pair<std::string, int32_t>> members) {
    enums.push_back({name, typeid(E), std::move(members)});
    typeNames.emplace_back(typeid(E), name);
  }
  // A host interface or another type the catalogue shows by name.
  template <class T>
  void Type(const char* name) {
    typeNames.emplace_back(typeid(T), name);
  }
  void Finish(Catalogue& catalogue) {
    catalogue.classes_.assign(std::make_move_iterator(classes.begin()),
                              std::make_move_iterator(classes.end()));
    catalogue.eventInterfaces_.assign(std::make_move_iterator(events.begin()),
                                      std::make_move_iterator(events.end()));
    catalogue.enums_ = std::move(enums);
    catalogue.typeNames_ = std::move(typeNames);
  }
};

}  // namespace ridirodev
