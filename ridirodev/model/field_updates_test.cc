#include "ridirodev/model/field_updates.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/fields.h"
#include "testing/fixtures.h"

namespace ridirodev {
namespace {

using FieldUpdatesTest = testing::HostTest;

TEST_F(FieldUpdatesTest, EveryListenerHearsEveryChangeBeforeTheCallReturns) {
  CFieldUpdatesPtr updates = GRidirodev::FieldUpdates();
  ASSERT_EQ(GRidirodev::FieldUpdates(), updates);  // one notifier for every host listener

  std::vector<std::string> heard;
  auto first = updates->FieldsChange.Connect([&](int32_t entity, CFieldsPtr flds, EAction action) {
    heard.push_back("first " + std::to_string(entity) + " " + std::to_string(flds ? flds->Count() : -1) +
                    " " + std::to_string(static_cast<int>(action)));
  });
  // The second listener calls back in: it announces a refresh, which both hear at once.
  auto second = updates->FieldsChange.Connect([&](int32_t entity, CFieldsPtr, EAction action) {
    heard.push_back("second " + std::to_string(entity));
    if (action == EAction::eAdded)
      GRidirodev::FieldUpdates()->NotityFieldChange(entity, nullptr, EAction::eRefreshed);
  });
  auto bh = updates->BusyHourChange.Connect(
      [&](bool summation, int32_t entity, std::shared_ptr<CBusyHours> bhs, EAction action) {
        heard.push_back(std::string(summation ? "summation " : "busy hour ") + std::to_string(entity) +
                        (bhs ? " list " : " none ") + std::to_string(static_cast<int>(action)));
      });

  updates->NotityFieldChange(3, std::make_shared<CFields>(), EAction::eAdded);
  updates->NotityBusyHourChange(true, 9, nullptr, EAction::eDeleted);
  EXPECT_EQ(heard, (std::vector<std::string>{"first 3 0 2", "second 3", "first 3 -1 5", "second 3",
                                             "summation 9 none 3"}));
}

TEST_F(FieldUpdatesTest, AnnouncingWrapsASingleFieldAndPassesAnythingElseAsNothing) {
  std::vector<CFieldsPtr> received;
  auto listener = GRidirodev::FieldUpdates()->FieldsChange.Connect(
      [&](int32_t, CFieldsPtr flds, EAction) { received.push_back(std::move(flds)); });

  auto field = std::make_shared<CField>();
  field->Initialize(8, "calls", 3, "Traffic", "RAW", 0, "I", true, "", "", "", "", 0, "", Date());
  auto fields = std::make_shared<CFields>();
  NotifyFieldChange(3, field, EAction::eUpdate);
  NotifyFieldChange(3, fields, EAction::eUpdate);
  NotifyFieldChange(3, std::make_shared<Object>(), EAction::eUpdate);
  NotifyFieldChange(3, nullptr, EAction::eUpdate);

  ASSERT_EQ(received.size(), 4u);
  ASSERT_NE(received[0], nullptr);
  ASSERT_EQ(received[0]->Count(), 1);
  EXPECT_EQ(received[0]->Item(Variant(1)), field);
  EXPECT_EQ(received[1], fields);  // a collection goes as it is
  EXPECT_EQ(received[2], nullptr);
  EXPECT_EQ(received[3], nullptr);
}

}  // namespace
}  // namespace ridirodev
