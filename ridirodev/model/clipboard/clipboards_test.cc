#include "ridirodev/model/clipboard/clipboards.h"

#include <gtest/gtest.h>

#include "ridirodev/facade/g_busy_hour.h"
#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/model/busyhour/busy_hour.h"
#include "ridirodev/model/busyhour/busy_hours.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/model/filter/template_fields.h"
#include "testing/fixtures.h"

namespace ridirodev {
namespace {

using ClipboardTest = testing::HostTest;

TEST_F(ClipboardTest, ResetWrapsAnItemSharesACollectionAndKeepsContentOtherwise) {
  CFieldClipboard clipboard;
  int changes = 0;
  auto connection = clipboard.StateChange.Connect([&] { ++changes; });
  EXPECT_TRUE(clipboard.IsEmpty());
  EXPECT_EQ(clipboard.SourceEntities(), nullptr);

  const auto calls = std::make_shared<CField>();
  const auto window = std::make_shared<Object>();
  clipboard.Reset(calls, window);
  ASSERT_EQ(clipboard.SourceEntities()->Count(), 1);
  EXPECT_EQ(clipboard.SourceEntities()->Item(Variant(1)), calls);
  EXPECT_EQ(clipboard.Operation(), EFieldClipboardOperation::fldcCopy);

  auto fields = std::make_shared<CFields>();
  clipboard.Reset(fields);
  EXPECT_EQ(clipboard.SourceEntities(), fields);  // that very collection
  EXPECT_EQ(clipboard.SourceObject(), window);    // none given: kept

  clipboard.SetClipboardFormatId(49161);
  clipboard.Reset(nullptr);
  clipboard.Reset(std::make_shared<CTemplateFields>());  // not of this kind: content kept
  EXPECT_EQ(clipboard.SourceEntities(), fields);
  EXPECT_FALSE(clipboard.IsEmpty());

  clipboard.Clear();
  EXPECT_TRUE(clipboard.IsEmpty());
  EXPECT_EQ(clipboard.SourceEntities(), nullptr);
  EXPECT_EQ(clipboard.SourceObject(), nullptr);
  EXPECT_EQ(clipboard.ClipboardFormatId(), 0);
  EXPECT_EQ(changes, 5);
}

TEST_F(ClipboardTest, EachKindWrapsItsOwnItemAndSharedInstancesStay) {
  CBusyHourClipboard busyHours;
  busyHours.Reset(std::make_shared<CBusyHour>());
  EXPECT_EQ(busyHours.SourceEntities()->Count(), 1);
  CTemplateFieldClipboard templateFields;
  templateFields.Reset(std::make_shared<CTemplateField>());
  EXPECT_EQ(templateFields.SourceEntities()->Count(), 1);
  EXPECT_EQ(templateFields.Operation(), ETemplateFieldClipboardOperation::tplfcCopy);

  EXPECT_NE(GRidirodev::FieldClipboard(true), GRidirodev::FieldClipboard(false));
  EXPECT_EQ(GRidirodev::FieldClipboard(), GRidirodev::FieldClipboard(true));
  EXPECT_EQ(GRidirodev::FieldClipboard(false), GRidirodev::FieldClipboard(false));
  EXPECT_EQ(GRidirodev::TemplateFieldClipboard(), GRidirodev::TemplateFieldClipboard());
  EXPECT_NE(GBusyHour::BusyHourClipboard(true), GBusyHour::BusyHourClipboard(false));
  EXPECT_EQ(GBusyHour::BusyHourClipboard(), GBusyHour::BusyHourClipboard(true));
}

}  // namespace
}  // namespace ridirodev
