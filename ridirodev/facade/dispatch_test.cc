#include "ridirodev/facade/dispatch.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/facade/binding.h"
#include "ridirodev/model/busyhour/busy_hour.h"
#include "ridirodev/model/busyhour/busy_hours.h"
#include "ridirodev/model/enums.h"
#include "ridirodev/model/filter/filter.h"
#include "testing/fixtures.h"

namespace ridirodev {
namespace {

// The checked-in listing, block by block, under each block's first line ("class CField").
std::map<std::string, std::string> ListingBlocks(std::vector<std::string>* order = nullptr) {
  std::ifstream in(RIDIRODEV_CATALOGUE_LISTING);
  std::stringstream text;
  text << in.rdbuf();
  std::map<std::string, std::string> blocks;
  std::string block, line;
  auto close = [&] {
    if (block.empty()) return;
    const std::string head = block.substr(0, block.find('\n'));
    blocks[head] = block;
    if (order) order->push_back(head);
    block.clear();
  };
  while (std::getline(text, line)) {
    if (line.empty()) {
      close();
    } else {
      block += line + "\n";
    }
  }
  close();
  return blocks;
}

TEST(CatalogueTest, PrintsTheCheckedInListing) {
  std::ifstream in(RIDIRODEV_CATALOGUE_LISTING);
  std::stringstream listing;
  listing << in.rdbuf();
  ASSERT_FALSE(listing.str().empty()) << "no listing at " << RIDIRODEV_CATALOGUE_LISTING;
  const std::string printed = DescribeCatalogue();
  if (printed == listing.str()) return;
  // Name the first block that differs, rather than two texts of 1,000 lines.
  const auto blocks = ListingBlocks();
  std::vector<std::string> order;
  const auto mine = [&] {
    std::stringstream in(printed);
    std::map<std::string, std::string> out;
    std::string block, line;
    while (std::getline(in, line)) {
      if (!line.empty()) {
        block += line + "\n";
        continue;
      }
      out[block.substr(0, block.find('\n'))] = block;
      order.push_back(block.substr(0, block.find('\n')));
      block.clear();
    }
    out[block.substr(0, block.find('\n'))] = block;
    order.push_back(block.substr(0, block.find('\n')));
    return out;
  }();
  for (const std::string& head : order) {
    const auto listed = blocks.find(head);
    ASSERT_NE(listed, blocks.end()) << head << " is not in the listing";
    ASSERT_EQ(mine.at(head), listed->second);
  }
  FAIL() << "the blocks match but not their order or number";
}

TEST(CatalogueTest, CountsBindingsAndEnumerations) {
  const Catalogue& c = Catalogue::Instance();
  EXPECT_EQ(c.Classes().size(), 55u);
  EXPECT_EQ(c.DispatchInterfaceCount(), 61u);
  EXPECT_EQ(c.Enums().size(), 9u);
  for (const EventInterfaceInfo& e : c.EventInterfaces()) EXPECT_FALSE(e.events.empty()) << e.name;
  // Every member is bound.
  std::vector<std::string> unbound, memberless;
  for (const ClassInfo& cls : c.Classes()) {
    if (cls.members.empty()) memberless.push_back(cls.name);  // used through their host interfaces
    for (const MemberInfo& m : cls.members) {
      if (!m.call) unbound.push_back(cls.name + "." + m.name);
    }
    EXPECT_EQ(cls.create != nullptr, cls.instancing != Instancing::kNotCreatable && cls.type != typeid(void))
        << cls.name;
  }
  EXPECT_EQ(unbound, std::vector<std::string>{});
  EXPECT_EQ(memberless, (std::vector<std::string>{"CRidirodevInitializer", "CStyleManager"}));
  std::vector<Variant> none;
  EXPECT_THROW(
      {
        try {
          Invoke(CreateObject("GRidirodev"), "OpenFieldStyleDialog", none);
        } catch (const AutomationError& e) {
          EXPECT_EQ(e.Number(), ErrorNumber::kWrongArguments);  // both arguments are required
          throw;
        }
      },
      AutomationError);
  // Column codes are multiples of 256 in declaration order.
  for (const EnumInfo& e : c.Enums()) {
    if (e.name != "EFieldProperty" && e.name != "EBHProperty") continue;
    for (size_t i = 0; i < e.members.size(); ++i)
      EXPECT_EQ(e.members[i].second, 256 * int32_t(i + 1)) << e.name;
  }
}

// A class of the test's own, declared as the catalogue declares the component's.
class Probe : public Object {
 public:
  int32_t Scale(int32_t n, int32_t factor) const { return n * factor; }
  void Swap(std::string& a, std::string& b) const { std::swap(a, b); }
  std::string Describe(const std::string& text, const Variant& tag) const {
    return text + (tag.IsMissing() ? "" : "/" + tag.ToString());
  }
  int32_t Level() const { return level_; }
  void SetLevel(int32_t n) { level_ = n; }
  std::shared_ptr<Probe> Self(const std::shared_ptr<Probe>& p) const { return p; }
  void Fail() const { throw AutomationError(1234, "Probe", "the probe's own failure"); }

 private:
  int32_t level_ = 0;
};

// Binds through the same declarations; the adapter form takes the object first.
int32_t Doubled(Probe& self, int32_t n) { return self.Scale(n, 2); }

ClassInfo ProbeClass() {
  using binding::P;
  ClassInfo info;
  info.name = "Probe";
  binding::ClassDecl<Probe>(info)
      .Method<&Probe::Scale>("Scale", {"n", P("factor", 10)})
      .Method<&Probe::Swap>("Swap", {"a", "b"})
      .Method<&Probe::Describe>("Describe", {"text", P::Optional("tag")})
      .Get<&Probe::Level>("Level")
      .Let<&Probe::SetLevel>("Level")
      .Method<&Probe::Self>("Self", {"p"})
      .Method<&Probe::Fail>("Fail")
      .Method<&Doubled>("Doubled", {"n"});
  return info;
}

int32_t ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const AutomationError& e) {
    return e.Number();
  }
  return 0;
}

TEST(LateBindingTest, ArgumentsDefaultsWriteBackAndErrors) {
  const ClassInfo cls = ProbeClass();
  Probe probe;
  auto call = [&](std::string_view member, std::vector<Variant> args, MemberKind kind = MemberKind::kMethod) {
    return InvokeMember(cls, probe, member, args, kind);
  };
  EXPECT_EQ(call("scale", {3}).ToInt32(), 30);  // any case; the default filled
  EXPECT_EQ(call("Scale", {3, 4}).ToInt32(), 12);
  EXPECT_EQ(call("Scale", {3, Variant::Missing()}).ToInt32(), 30);
  EXPECT_EQ(call("Scale", {"3", 2.5}).ToInt32(), 6);  // numeric text and rounding to even
  EXPECT_EQ(call("Describe", {"x"}).ToString(), "x");
  EXPECT_EQ(call("Describe", {"x", 7}).ToString(), "x/7");
  EXPECT_EQ(call("Doubled", {21}).ToInt32(), 42);
  std::vector<Variant> swap{"left", "right"};
  InvokeMember(cls, probe, "Swap", swap);
  EXPECT_EQ(swap, (std::vector<Variant>{"right", "left"}));
  call("Level", {5}, MemberKind::kLet);
  EXPECT_EQ(probe.Level(), 5);
  EXPECT_EQ(call("Level", {}, MemberKind::kGet).ToInt32(), 5);
  const auto other = std::make_shared<Probe>();
  EXPECT_EQ(call("Self", {other}).ToObject(), other);
  EXPECT_EQ(call("Self", {Variant(ObjectPtr())}).ToObject(), nullptr);

  const std::pair<std::function<void()>, int32_t> errors[] = {
      {[&] { call("Missing", {}); }, ErrorNumber::kNoSuchMember},
      {[&] { call("Scale", {}); }, ErrorNumber::kWrongArguments},  // n is not optional
      {[&] {
         call("Scale", {1, 2, 3});
       },
       ErrorNumber::kWrongArguments},                                                 // one too many
      {[&] { call("Scale", {1}, MemberKind::kLet); }, ErrorNumber::kWrongArguments},  // not a property
      {[&] { call("Level", {}, MemberKind::kLet); }, ErrorNumber::kWrongArguments},   // no value
      {[&] { call("Scale", {"three"}); }, ErrorNumber::kTypeMismatch},
      {[&] { call("Self", {"text"}); }, ErrorNumber::kTypeMismatch},
      {[&] { call("Self", {std::make_shared<CBusyHours>()}); }, ErrorNumber::kTypeMismatch},
      {[&] { call("Fail", {}); }, 1234},
  };
  for (const auto& [f, number] : errors) EXPECT_EQ(ErrorOf(f), number);
  try {
    call("Fail", {});
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Source() + ": " + e.Description(), "Probe: the probe's own failure");
  }
}

class ComponentLateBindingTest : public testing::HostTest {};

TEST_F(ComponentLateBindingTest, ClassesByNameDefaultMemberIterationAndEvents) {
  const ObjectPtr hours = CreateObject("Ridirodev.CBusyHours");
  std::vector<EventArgs> heard;
  const auto sink = ConnectEvent(hours, "statechange", [&](const EventArgs& args) { heard.push_back(args); });
  std::vector<ObjectPtr> added;
  for (const char* name : {"Evening", "Morning"}) {
    const ObjectPtr bh = CreateObject("cbusyhour");
    std::dynamic_pointer_cast<CBusyHour>(bh)->SetId(static_cast<int32_t>(added.size()) + 1);  // keys differ
    std::vector<Variant> args{name};
    Invoke(bh, "Name", args, MemberKind::kLet);
    args = {bh};
    Invoke(hours, "Add", args);
    added.push_back(bh);
  }
  std::vector<Variant> none, first{1}, byKey{std::dynamic_pointer_cast<CBusyHour>(added[1])->Key()};
  EXPECT_EQ(Invoke(hours, "Count", none).ToInt32(), 2);
  EXPECT_EQ(Invoke(hours, "", first).ToObject(), added[0]);  // the default member
  EXPECT_EQ(Invoke(hours, "", byKey).ToObject(), added[1]);
  EXPECT_EQ(Enumerate(hours), (std::vector<Variant>{added[0], added[1]}));
  ASSERT_EQ(heard.size(), 2u);
  EXPECT_EQ(heard[1], (EventArgs{static_cast<int32_t>(bhsadd), added[1]}));
  // A default argument reaches the C++ member as its own default would.
  const auto bh = std::dynamic_pointer_cast<CBusyHour>(added[0]);
  EXPECT_EQ(Invoke(added[0], "IsFilterOK", none).ToBool(), bh->IsFilterOK());

  EXPECT_EQ(ErrorOf([] { CreateObject("CNoSuchClass"); }), ErrorNumber::kCannotCreateObject);
  EXPECT_EQ(ErrorOf([&] { ConnectEvent(added[0], "StateChange", [](const EventArgs&) {}); }),
            ErrorNumber::kNoSuchMember);
  EXPECT_EQ(ErrorOf([&] { Invoke(nullptr, "Count", none); }), ErrorNumber::kObjectNotSet);
  // Events of the other sources, raised by a late-bound call: the announcer's reach the handler
  // with every argument, a clipboard's and the filter definitions' with none.
  std::vector<Variant> global;
  const ObjectPtr updates = Invoke(CreateObject("GRidirodev"), "FieldUpdates", global).ToObject();
  const auto fieldsSink =
      ConnectEvent(updates, "FieldsChange", [&](const EventArgs& args) { heard.push_back(args); });
  std::vector<Variant> notice{12, ObjectPtr(), static_cast<int32_t>(eRefreshed)};
  Invoke(updates, "NotityFieldChange", notice);
  EXPECT_EQ(heard.back(), (EventArgs{12, Variant(ObjectPtr()), static_cast<int32_t>(eRefreshed)}));
  const std::pair<const char*, const char*> raisers[] = {{"CFieldClipboard", "Clear"},
                                                         {"CTemplateFieldClipboard", "Clear"},
                                                         {"CBusyHourClipboard", "Clear"},
                                                         {"CFilterDefinitions", "Notify"}};
  for (const auto& [source, raiser] : raisers) {
    const ObjectPtr object = CreateObject(source);
    const auto before = heard.size();
    const auto stateSink =
        ConnectEvent(object, "StateChange", [&](const EventArgs& args) { heard.push_back(args); });
    std::vector<Variant> none2;
    Invoke(object, raiser, none2);
    ASSERT_EQ(heard.size(), before + 1) << source;
    EXPECT_EQ(heard.back(), EventArgs{}) << source;
  }
  // A component member that writes an argument back.
  const ObjectPtr filter = CreateObject("CFilter");
  std::vector<Variant> init{1, "> abc", "I"}, error{"before"};
  Invoke(filter, "Initialize", init);
  std::string message;
  EXPECT_EQ(Invoke(filter, "IsValid", error).ToBool(),
            std::dynamic_pointer_cast<CFilter>(filter)->IsValid(message));
  EXPECT_EQ(error, std::vector<Variant>{message});  // "before" replaced by what the member wrote

  std::vector<Variant> gone{"nobody"};
  EXPECT_EQ(ErrorOf([&] { Invoke(hours, "Delete", gone); }), 0);  // the member's own rule: ignored
}

}  // namespace
}  // namespace ridirodev
