#include "tools/catalogue_commands.h"

#include <CLI/CLI.hpp>
#include <cctype>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "ridirodev/facade/dispatch.h"
#include "tools/command_support.h"
#include "tools/commands.h"

namespace ridirodev::tool {
namespace {

std::string Joined(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : ", ") + part;
  return text;
}

// One step of a chain: a member (empty for the default member), and its arguments when it
// has parentheses.
struct Step {
  std::string member;
  std::vector<Variant> args;
};

// The chain of an invoke expression, read left to right.
class ChainReader {
 public:
  explicit ChainReader(const std::string& text) : text_(text) {}

  // The first object's name (or, for CreateObject("X"), the class X) and the steps after it.
  std::pair<std::string, bool> Head() {
    const std::string name = Name();
    if (EqualsNoCase(name, "CreateObject") && Peek() == '(') {
      ++pos_;
      Skip();
      if (Peek() != '"') Fail("CreateObject takes the class name in double quotes");
      const std::string cls = Text();
      Expect(')');
      return {cls, true};
    }
    return {name, false};
  }

  std::vector<Step> Steps() {
    std::vector<Step> steps;
    while (Skip(), pos_ < text_.size()) {
      Step step;
      if (Peek() == '.') {
        ++pos_;
        step.member = Name();
      } else if (Peek() != '(') {
        Fail("expected '.' or '(' at \"" + text_.substr(pos_) + "\"");
      }
      if (Skip(), Peek() == '(') step.args = Arguments();
      steps.push_back(std::move(step));
    }
    return steps;
  }

 private:
  char Peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
  void Skip() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  }
  [[noreturn]] void Fail(const std::string& why) const {
    Invalid("The expression cannot be read: " + why + ".");
  }
  void Expect(char c) {
    Skip();
    if (Peek() != c) Fail(std::string("expected '") + c + "'");
    ++pos_;
  }
  std::string Name() {
    Skip();
    const size_t start = pos_;
    while (pos_ < text_.size() &&
           (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_')) {
      ++pos_;
    }
    if (start == pos_) Fail("expected a name at \"" + text_.substr(start) + "\"");
    return text_.substr(start, pos_ - start);
  }
  std::string Text() {
    std::string text;
    for (++pos_; pos_ < text_.size(); ++pos_) {
      if (text_[pos_] == '"') {
        if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '"') {
          text += '"';
          ++pos_;
          continue;
        }
        ++pos_;
        return text;
      }
      text += text_[pos_];
    }
    Fail("a text has no closing quote");
  }
  Variant Argument() {
    Skip();
    const char c = Peek();
    if (c == ',' || c == ')') return Variant::Missing();
    if (c == '"') return Variant(Text());
    if (std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '.') {
      const size_t start = pos_;
      ++pos_;
      while (pos_ < text_.size() &&
             (std::isdigit(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '.')) {
        ++pos_;
      }
      const std::string number = text_.substr(start, pos_ - start);
      double value = 0;
      if (!Variant::ParseNumber(number, value)) Fail("not a number: " + number);
      if (number.find('.') == std::string::npos && value >= INT32_MIN && value <= INT32_MAX) {
        return Variant(static_cast<int32_t>(value));
      }
      return Variant(value);
    }
    const std::string word = Name();
    if (EqualsNoCase(word, "True")) return Variant(true);
    if (EqualsNoCase(word, "False")) return Variant(false);
    if (EqualsNoCase(word, "Nothing")) return Variant(ObjectPtr());
    Fail("an argument is a number, \"text\", True, False or Nothing, not " + word);
  }
  std::vector<Variant> Arguments() {
    ++pos_;  // (
    std::vector<Variant> args;
    Skip();
    if (Peek() == ')') {
      ++pos_;
      return args;
    }
    for (;;) {
      args.push_back(Argument());
      Skip();
      if (Peek() == ',') {
        ++pos_;
        continue;
      }
      Expect(')');
      return args;
    }
  }

  const std::string& text_;
  size_t pos_ = 0;
};

std::string ClassName(const ObjectPtr& object) {
  if (!object) return "Nothing";
  const ClassInfo* cls = Catalogue::Instance().ClassOf(*object);
  return cls ? cls->name : "Object";
}

std::string ScalarText(const Variant& v) {
  switch (v.Type()) {
    case VarType::Boolean:
      return v.ToBool() ? "True" : "False";
    case VarType::Null:
      return "Null";
    case VarType::Object:
      return ClassName(v.ToObject());
    default:
      return v.ToString();
  }
}

bool HasMember(const ObjectPtr& object, std::string_view name) {
  const ClassInfo* cls = Catalogue::Instance().ClassOf(*object);
  if (!cls) return false;
  for (const MemberInfo& m : cls->members) {
    if (EqualsNoCase(m.name, name) && m.call && m.params.empty() &&
        (m.kind == MemberKind::kGet || m.kind == MemberKind::kMethod)) {
      return true;
    }
  }
  return false;
}

// An item of a collection as a line: the member asked for, else its key, else its name.
std::string ItemLine(const Variant& item, const std::string& each) {
  const ObjectPtr object = item.IsObject() ? item.ToObject() : nullptr;
  if (!object) return ScalarText(item);
  std::vector<Variant> none;
  if (!each.empty()) return ScalarText(Invoke(object, each, none));
  for (const char* member : {"Key", "Name"}) {
    if (HasMember(object, member)) {
      const std::string text = ScalarText(Invoke(object, member, none));
      if (!text.empty()) return text;
    }
  }
  return ClassName(object);
}

bool IsCollection(const ObjectPtr& object) {
  const ClassInfo* cls = object ? Catalogue::Instance().ClassOf(*object) : nullptr;
  if (!cls) return false;
  for (const MemberInfo& m : cls->members) {
    if (m.isEnumerator) return true;
  }
  return false;
}

}  // namespace

void PrintCatalogue(const std::string& className, bool enums, std::ostream& out) {
  const Catalogue& catalogue = Catalogue::Instance();
  if (enums) {
    for (const EnumInfo& e : catalogue.Enums()) out << DescribeEnum(e) << '\n';
    return;
  }
  if (!className.empty()) {
    if (const ClassInfo* cls = catalogue.FindClass(className)) {
      out << DescribeClass(*cls);
      if (const EventInterfaceInfo* events = catalogue.FindEventInterface(cls->events)) {
        out << '\n' << DescribeEvents(*events);
      }
      return;
    }
    if (const EventInterfaceInfo* events = catalogue.FindEventInterface(className)) {
      out << DescribeEvents(*events);
      return;
    }
    Invalid("There is no class named '" + className + "'; 'ridirodev catalogue' lists them.");
  }
  std::vector<std::vector<std::string>> rows;
  for (const ClassInfo& cls : catalogue.Classes()) {
    rows.push_back({cls.name, std::string(InstancingName(cls.instancing)), Joined(cls.implements), cls.events,
                    std::to_string(cls.members.size())});
  }
  out << FormatTable({"Class", "Instancing", "Also implements", "Events", "Members"}, rows);
  out << catalogue.Classes().size() << " classes, " << catalogue.DispatchInterfaceCount()
      << " dispatch interfaces, " << catalogue.Enums().size() << " enumerations (" << Catalogue::kLibrary
      << ' ' << Catalogue::kVersion << ", locale " << Catalogue::kLocale << ")\n";
}

void RunInvoke(const std::string& expression, const std::string& each, std::ostream& out) {
  ChainReader reader(expression);
  const auto [head, created] = reader.Head();
  const std::vector<Step> steps = reader.Steps();
  ObjectPtr object;
  if (created) {
    object = CreateObject(head);
  } else {
    const ClassInfo* cls = Catalogue::Instance().FindClass(head);
    if (!cls || cls->instancing != Instancing::kGlobal) {
      Invalid(
          "An expression starts with a global object (GRidirodev, GBusyHour) or CreateObject(\"CLASS\"), "
          "not '" +
          head + "'.");
    }
    object = CreateObject(head);
  }
  Variant value(object);
  for (size_t i = 0; i < steps.size(); ++i) {
    if (!value.IsObject() || !value.ToObject()) {
      throw AutomationError(
          424, "Ridirodev",
          "Object required: " + (steps[i].member.empty() ? std::string("(...)") : steps[i].member));
    }
    std::vector<Variant> args = steps[i].args;
    value = Invoke(value.ToObject(), steps[i].member, args);
  }
  const ObjectPtr result = value.IsObject() ? value.ToObject() : nullptr;
  if (result && IsCollection(result)) {
    const std::vector<Variant> items = Enumerate(result);
    out << ClassName(result) << ": " << items.size() << (items.size() == 1 ? " item\n" : " items\n");
    for (const Variant& item : items) out << ItemLine(item, each) << '\n';
    return;
  }
  out << ScalarText(value) << '\n';
}

void SetUpCatalogueCommands(CLI::App& app, Commands& commands) {
  struct Parsed {
    std::string className;
    bool enums = false;
    std::string expression;
    std::string each;
  };
  const auto p = std::make_shared<Parsed>();
  CLI::App* catalogue = commands.Add(
      app, "catalogue", "The component's classes, a class's members, or the enumerations",
      [p](const CommandContext& context) {
        PrintCatalogue(p->className, p->enums, context.out);
        return 0;
      },
      RunsOn::kConfig, "");
  catalogue->add_option("class", p->className, "A class (or event interface) whose members to list");
  catalogue->add_flag("--enums", p->enums, "List the enumerations and their values");
  CLI::App* invoke = commands.Add(app, "invoke", "Evaluate a chain of member calls on the dictionary",
                                  [p](const CommandContext& context) {
                                    StartComponent();
                                    RunInvoke(p->expression, p->each, context.out);
                                    return 0;
                                  });
  invoke
      ->add_option("expression", p->expression,
                   "e.g. 'GRidirodev.AppGroupTemplate(\"Traffic\").Fields(12).Count'")
      ->required();
  invoke->add_option("--each", p->each, "Print this member of every item of a resulting collection");
}

}  // namespace ridirodev::tool
