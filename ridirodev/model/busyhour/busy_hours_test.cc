#include "ridirodev/model/busyhour/busy_hours.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "ridirodev/facade/g_busy_hour.h"
#include "ridirodev/model/m_ridirodev.h"
#include "testing/fixtures.h"

namespace ridirodev {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

using BusyHoursTest = testing::SampleDictionaryTest;

// A definition with that id: no stored row answers, so only the id changes.
CBusyHourPtr Stored(int32_t id, const std::string& name = "") {
  auto bh = std::make_shared<CBusyHour>();
  bh->LoadBusyHourById(id);
  bh->SetName(name);
  return bh;
}

TEST_F(BusyHoursTest, ChangesAreAnnouncedInOrder) {
  auto bhs = std::make_shared<CBusyHours>();
  std::vector<std::string> events;
  auto connection = bhs->StateChange.Connect([&](EBusyHoursChange change, const CBusyHourPtr& bh) {
    events.push_back(std::to_string(change) + (bh ? bh->Key() + bh->Name() : "-"));
  });
  bhs->Add(Stored(1, "a"));
  bhs->Add(Stored(2));
  bhs->Add(Stored(1, "dup"));  // ignored silently
  bhs->Update(Stored(1, "new"));
  bhs->Update(Stored(9));
  bhs->Delete(Variant("BH9"));
  EXPECT_EQ(bhs->Table(),  // the set with the field column, the updated one last
            "Name\tCategory\tType\tField\tHours\tDescription\tModified\tFirst Needed\tFirst Avail\tLast "
            "Avail\tOwner\n\t\tSummation\t\t\t\t\t\t\t\t\nnew\t\tSummation\t\t\t\t\t\t\t\t\n");
  bhs->Delete(Variant(1));
  bhs->Clear();
  bhs->Clear();
  EXPECT_THAT(events, ElementsAre("0BH1a", "0BH2", "1BH1a", "0BH1new", "1BH2", "2-", "2-"));
}

TEST_F(BusyHoursTest, TypesRunFromTheEntityUpToTheRoot) {
  const std::pair<Variant, std::vector<std::string>> cases[] = {
      {Variant::Missing(), {"System", "Switch", "Cell"}},
      {Variant(3), {"Cell", "Switch", "System"}},
      {Variant("Switch"), {"Switch", "System"}},
      {Variant(99), {}},
      {Variant("Nowhere"), {}},
      {Variant(3.0), {}}};  // only integers are ids
  for (const auto& [entity, names] : cases) {
    std::vector<std::string> found;
    const CBusyHourTypesPtr types = GBusyHour::BusyHourTypes(entity);
    for (const CBusyHourTypePtr& type : *types)
      found.push_back(type->Name().substr(0, type->Name().find(' ')));
    EXPECT_THAT(found, ElementsAreArray(names));
  }
}

TEST_F(BusyHoursTest, PropertySetsAreBuiltOncePerKind) {
  // Count and last title: the span shows only without the field column, as first asked.
  auto shape = [](const IAppPropertySetPtr& set) {
    return std::to_string(set->Count()) + set->Item(set->Count())->Name();
  };
  const IAppPropertySetPtr withoutField = GBusyHour::BusyHourProperties(false, false);
  EXPECT_EQ(GBusyHour::BusyHourProperties(false, true), withoutField);
  EXPECT_EQ(shape(withoutField) + shape(GBusyHour::BusyHourProperties(true, true)), "9Owner11Owner");
  MRidirodevScope fresh(host_);
  EXPECT_EQ(shape(GBusyHour::BusyHourProperties(false, true)), "10Span");
}

TEST_F(BusyHoursTest, TypeComboOrder) {
  const std::tuple<bool, bool, bool, std::vector<std::string>> cases[] = {
      {false, true, false, {"All", "Switch Busy Hour", "System Busy Hour"}},
      {true, true, false, {"All", "Summation"}},
      {false, false, true, {"Summation", "Switch Busy Hour", "System Busy Hour"}}};
  for (const auto& [summation, includeAll, addSummation, items] : cases) {
    testing::TestComboBox combo;
    combo.AddItem("stale");
    GBusyHour::UpdateBusyHourTypeCB(combo, summation, includeAll, Variant(2), addSummation);
    EXPECT_THAT(combo.Items(), ElementsAreArray(items));
    EXPECT_EQ(combo.ListIndex(), 0);
  }
}

}  // namespace
}  // namespace ridirodev
