// The editing operations of categories and the facade on the sample dictionary: what they
// write, what the caches show afterwards and what they announce.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <type_traits>
#include <vector>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/model/app_group_template.h"
#include "ridirodev/model/busyhour/busy_hours.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/field_categories.h"
#include "ridirodev/model/field_category.h"
#include "ridirodev/model/field_updates.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/store/referencing_documents.h"
#include "standalone/folders.h"
#include "standalone/host.h"
#include "standalone/sample.h"
#include "standalone/sqlite_database.h"
#include "testing/errors.h"
#include "testing/sample.h"
#include "testing/temp_dir.h"

namespace ridirodev::standalone {
namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

constexpr int32_t kCell = kSampleCellEntity;
constexpr int32_t kSector = kSampleSectorEntity;

// The names joined by ","; "-" for no collection. Fields come sorted, busy hours in their order.
template <class Items>
std::string Names(const std::shared_ptr<Items>& items) {
  if (!items) return "-";
  std::vector<std::string> names;
  for (const auto& item : *items) names.emplace_back(item->Name());
  if constexpr (std::is_same_v<Items, CFields>) std::sort(names.begin(), names.end());
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ",") + name;
  return text;
}

class DictionaryEditsTest : public testing::SampleHostTest {
 protected:
  explicit DictionaryEditsTest(std::string answer = "") : SampleHostTest(std::move(answer)) {
    connection_ = GRidirodev::FieldUpdates()->FieldsChange.Connect(
        [this](int32_t entity, const CFieldsPtr& flds, EAction action) {
          notices_.push_back(std::to_string(entity) + " " + std::to_string(action) + " " + Names(flds));
        });
    busyHourConnection_ = GRidirodev::FieldUpdates()->BusyHourChange.Connect(
        [this](bool summation, int32_t entity, const CBusyHoursPtr& bhs, EAction action) {
          busyHourNotices_.push_back(std::to_string(summation) + " " + std::to_string(entity) + " " +
                                     std::to_string(action) + " " + Names(bhs));
        });
  }
  CFieldCategoryPtr Category(int32_t entity) {
    return GRidirodev::AppGroupTemplate("Traffic")->FieldCategories()->Item(GRidirodev::EntityKey(entity));
  }
  CFieldPtr Find(int32_t entity, std::string_view name) {
    const CFieldsPtr fields = Category(entity)->Fields();
    for (const CFieldPtr& f : *fields) {
      if (f->Name() == name) return f;
    }
    return nullptr;
  }
  CFieldsPtr Set(const std::vector<std::pair<int32_t, std::string_view>>& members) {
    auto flds = std::make_shared<CFields>();
    for (const auto& [entity, name] : members) flds->Add(Find(entity, name));
    return flds;
  }

  std::vector<std::string> notices_, busyHourNotices_;
  decltype(CFieldUpdates::FieldsChange)::Connection connection_;
  decltype(CFieldUpdates::BusyHourChange)::Connection busyHourConnection_;
};

TEST_F(DictionaryEditsTest, DeleteExpressionsDeletesUsersFirstAcrossEntitiesAndKeepsWhatOthersUse) {
  const testing::TempDir dir;
  host_->TraceStatements((dir / "trace.sql").string());
  // The Sector's Erlang share uses the Cell's Erlangs, which the Cell's busy-hour figure also
  // uses; the Cell's drop rate is used by its success rate, which stays.
  CFieldsPtr set = Set({{kCell, "Site_Heat_Alarm"},
                        {kCell, "Traffic_Erlangs"},
                        {kCell, "Drop_Rate"},
                        {kCell, "BH_Traffic_Erlangs"},
                        {kSector, "Sector_Erlang_Share"}});
  ASSERT_EQ(set->Count(), 5);
  std::map<std::string, std::string> deletes;  // the routine call of each, by name@category
  for (const CFieldPtr& f : *set)
    deletes[std::string(f->Name()) + "@" + f->Category()] = "Delete_UDC(" + std::to_string(f->Id()) + ")";
  CFieldsPtr exceptions;
  GRidirodev::DeleteExpressions(set, exceptions);
  EXPECT_EQ(Names(exceptions), "Drop_Rate");

  const std::string trace = testing::ReadFile(dir / "trace.sql");
  auto at = [&](const std::string& name) { return trace.find(deletes[name]); };
  size_t deleted = 0;
  for (const auto& [name, call] : deletes) deleted += testing::Occurrences(trace, call);
  ASSERT_EQ(deleted, 4u) << trace;
  EXPECT_EQ(at("Drop_Rate@CellSite"), std::string::npos);
  EXPECT_LT(at("Sector_Erlang_Share@CellSector"), at("Traffic_Erlangs@CellSite"));
  EXPECT_LT(at("BH_Traffic_Erlangs@CellSite"), at("Traffic_Erlangs@CellSite"));

  // Each entity reloads, then announces its own deletions.
  ASSERT_EQ(notices_.size(), 4u);
  EXPECT_THAT(notices_,
              UnorderedElementsAre("12 5 -", "12 3 BH_Traffic_Erlangs,Site_Heat_Alarm,Traffic_Erlangs",
                                   "13 5 -", "13 3 Sector_Erlang_Share"));
  for (size_t i = 0; i < notices_.size(); i += 2)
    EXPECT_EQ(notices_[i], notices_[i + 1].substr(0, 2) + " 5 -");
  EXPECT_EQ(Find(kCell, "Traffic_Erlangs"), nullptr);
  EXPECT_EQ(Find(kSector, "Sector_Erlang_Share"), nullptr);
  EXPECT_NE(Find(kCell, "Drop_Rate"), nullptr);
}

// The column map is a dictionary: an extra column named "status" stands beside "Status".
TEST_F(DictionaryEditsTest, FieldMapKeysKeepTheirCase) {
  testing::Exec(Dictionary(),
                "INSERT INTO TQD_DataSource_Extra_Cols (DataSource_ID, e_id, Col_Title, E_Type, "
                "Editable) VALUES (2, 22, 'status', 'S', 'Y')");
  const auto map = GRidirodev::AppFieldMap("Traffic");
  EXPECT_EQ(map->Item(Variant("Status")), "Status");
  EXPECT_EQ(map->Item(Variant("status")), "status");
  EXPECT_EQ(map->Item(Variant("STATUS")), "");
}

TEST_F(DictionaryEditsTest, ChangeExpressionOwnerChangesCalculationsAndExternalFieldsAndRefusesAnUnknownUser) {
  CFieldsPtr set = Set(
      {{kCell, "Drop_Rate"}, {kCell, "Call_Attempts"}, {kSector, "Drop_Rate"}, {kCell, "Site_Temperature_Ext"}});
  ASSERT_EQ(set->Count(), 4);
  EXPECT_THROW(GRidirodev::ChangeExpressionOwner(set, "nobody"), AutomationError);
  // A calculation outside the hierarchy cannot be given, and is not passed over: nothing changes.
  auto stray = std::make_shared<CField>();
  stray->Initialize(Find(kCell, "Drop_Rate")->Id(), "Stray", 999, "Traffic", "UDC", 1, "F", true, "", "", "",
                    "AVG", 1, "1", Date());
  auto withStray = std::make_shared<CFields>();
  withStray->Add(stray);
  for (const CFieldPtr& fld : *set) withStray->Add(fld);
  const auto giveWithStray = [&] { GRidirodev::ChangeExpressionOwner(withStray, "planner"); };
  EXPECT_EQ(testing::ErrorOf(giveWithStray), 91);
  EXPECT_THAT(giveWithStray, ::testing::ThrowsMessage<AutomationError>(::testing::HasSubstr("Stray")));
  EXPECT_TRUE(notices_.empty());
  EXPECT_EQ(Find(kCell, "Drop_Rate")->Owner(), "rfeng");

  GRidirodev::ChangeExpressionOwner(set, "planner");
  EXPECT_THAT(notices_,
              ElementsAre("12 5 -", "12 4 Drop_Rate,Site_Temperature_Ext", "13 5 -", "13 4 Drop_Rate"));
  EXPECT_EQ(Find(kCell, "Drop_Rate")->Owner(), "planner");
  EXPECT_EQ(Find(kCell, "Site_Temperature_Ext")->Owner(), "planner");  // external fields have owners too
  EXPECT_EQ(Find(kSector, "Drop_Rate")->Owner(), "planner");
  EXPECT_NE(Find(kCell, "Call_Attempts")->Owner(), "planner");
}

TEST_F(DictionaryEditsTest, CalculationLifeThroughTheCategory) {
  CFieldCategoryPtr cell = Category(kCell);
  auto fld = std::make_shared<CField>();
  fld->Initialize(0, "Retry_Share", kCell, "Traffic", "UDC", 1, "F", true, "Retry", "Share %", "Retries",
                  "AVG", 1, "100 * Block_Rate / 2", Date());
  ASSERT_TRUE(cell->AddExpression(fld));
  EXPECT_EQ(Find(kCell, "Retry_Share")->ExpressionError(), "");
  cell->RenameExpression(fld, "Retry_O'Share");
  CFieldPtr renamed = Find(kCell, "Retry_O'Share");
  ASSERT_NE(renamed, nullptr);
  // A source the server cannot translate is saved, and the field tells why.
  auto broken = std::make_shared<CField>();
  broken->Initialize(renamed->Id(), "Retry_O'Share", kCell, "Traffic", "UDC", 1, "F", true, "Retry",
                     "Share %", "Retries", "AVG", 1, "Nothing_Here * 2", Date());
  ASSERT_TRUE(cell->UpdateExpression(broken));
  EXPECT_EQ(Find(kCell, "Retry_O'Share")->ExpressionError(),
            "Unknown name 'Nothing_Here' in the calculation.");
  EXPECT_EQ(Find(kCell, "Call_Attempts")->ExpressionError(), "");
  GRidirodev::UpdateExpressionField("Traffic", Variant(renamed->Id()));
  EXPECT_THAT(notices_, ElementsAre("12 2 Retry_Share", "12 1 Retry_Share", "12 1 Retry_O'Share",
                                    "12 1 Retry_O'Share"));
}

TEST_F(DictionaryEditsTest, ReferencingDocumentsGiveEachReportAndTemplateOnce) {
  // Block_Rate is only in the express template 13, which has no report; the others reach
  // report 4 through their report columns and through its express template 12.
  auto fields = std::make_shared<CFields>();
  for (int32_t entity : {kCell, kSector}) {
    for (const char* name : {"Block_Rate", "Sector_MOU_Share", "Drop_Rate", "Traffic_Erlangs"}) {
      if (CFieldPtr fld = Find(entity, name)) fields->Add(fld);
    }
  }
  StandaloneFolderDocuments documents;
  boxes_.Clear();
  GRidirodev::LoadFieldReferencingDocuments(fields, documents);
  std::vector<std::string> names;
  for (int32_t i = 1; i <= documents.Count(); ++i) {
    names.push_back(documents.Item(i)->Kind() + " " + std::to_string(documents.Item(i)->Id()));
  }
  EXPECT_THAT(names, UnorderedElementsAre("Report 1", "Report 2", "Report 4", "Template 10"));
  EXPECT_EQ(boxes_.Text(),
            "[Ridirodev]\n  " + std::string(sql::kExpressTemplateWithoutReport) + "\n  OK -> OK\n");
}

TEST_F(DictionaryEditsTest, BusyHoursWrittenCachedAndAnnounced) {
  CFieldCategoryPtr cell = Category(kCell), sector = Category(kSector);
  CBusyHoursPtr defined;
  GRidirodev::LoadFieldReferencingBusyHours(Set({{kCell, "Call_Attempts"}, {kCell, "Traffic_Erlangs"}}),
                                            defined);
  EXPECT_EQ(Names(defined), "Cell Evening BH,Cell Erlang BH");
  EXPECT_EQ(defined->Item(Variant(1))->Hours(), "18-22");
  EXPECT_EQ(Names(cell->BusyHours()), "Cell Evening BH,Cell Erlang BH");
  cell->BusyHours()->Clear();  // a copy: the cache keeps its definitions
  EXPECT_EQ(cell->BusyHours()->Count(), 2);

  auto late = std::make_shared<CBusyHour>();
  late->InitializeNew(kCell, scope_->State().FolderServices().UserByName("noc"), "Late BH", "Night",
                      Find(kCell, "Dropped_Calls"), "D", Date(), 1, 1, false, 0, Variant::Null(),
                      Variant::Null(), Variant::Null());
  for (int32_t slot : {22, 23, 24}) late->SetSelected(slot, true);
  cell->AddBusyHour(late);
  ASSERT_GT(late->Id(), 0);
  CBusyHourPtr stored = cell->BusyHours()->Item(Variant(late->Key()));
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->Hours(), "22-24");
  late->SetDescription("Night peak");
  cell->UpdateBusyHour(late);
  EXPECT_EQ(cell->BusyHours()->Item(Variant(late->Key()))->Description(), "Night peak");

  // The sector's summations were never read: the new one is stored and found on the first read.
  auto summation = std::make_shared<CBusyHour>();
  summation->InitializeNew(kSector, nullptr, "Noon Summation", "", nullptr, "W", Date(), 1, 1, false, 0,
                           Variant::Null(), Variant::Null(), Variant::Null());
  sector->AddSummation(summation);
  EXPECT_EQ(Names(sector->Summations()), "Sector Daily Summation,Noon Summation");

  // Only what the cache holds is deleted; the sector's busy hour stays.
  auto gone = std::make_shared<CBusyHours>();
  gone->Add(late);
  gone->Add(sector->BusyHours()->Item(Variant(1)));
  cell->DeleteBusyHours(gone);
  EXPECT_EQ(Names(cell->BusyHours()), "Cell Evening BH,Cell Erlang BH");
  EXPECT_EQ(sector->BusyHours()->Count(), 1);
  cell->ChangeBusyHourOwner(cell->BusyHours(), scope_->State().FolderServices().UserByName("noc")->Id());
  EXPECT_EQ(cell->BusyHours()->Item(Variant(1))->OwnerName(), "noc");
  cell->ReloadBusyHours();
  EXPECT_EQ(cell->BusyHours()->Item(Variant(2))->OwnerName(), "noc");

  // Outside Traffic nothing is stored; the add reports the error and returns.
  auto client = GRidirodev::AppGroupTemplate("Client")->FieldCategories()->Item(Variant(1));
  ASSERT_NE(client, nullptr);
  client->AddSummation(summation->Clone());
  EXPECT_THAT(busyHourNotices_, ElementsAre("0 12 2 Late BH", "0 12 1 Late BH", "1 13 2 Noon Summation",
                                           "0 12 3 Late BH", "0 12 4 Cell Evening BH,Cell Erlang BH", "0 12 5 -"));
}

// The cache changes only with what the database holds: a read that fails keeps nothing, a
// reload shows rows written behind its back, and a delete that fails keeps its definition.
TEST_F(DictionaryEditsTest, BusyHourCacheFollowsTheDatabaseThroughFailures) {
  auto sql = [&](const char* text) { testing::Exec(Dictionary(), text); };
  CFieldCategoryPtr cell = Category(kCell);
  sql("UPDATE PM_HourRange SET FirstHour = 'x' WHERE BusyHourId = 4");  // read after Cell Evening BH
  EXPECT_THROW(cell->BusyHours(), AutomationError);
  sql("UPDATE PM_HourRange SET FirstHour = 17 WHERE BusyHourId = 4");
  EXPECT_EQ(Names(cell->BusyHours()), "Cell Evening BH,Cell Erlang BH");
  sql("INSERT INTO PM_BusyHour (Id, Name, Cluster_Entity_Id, Field_Id, Span) "
      "SELECT 30, 'Night BH', Cluster_Entity_Id, Field_Id, 'D' FROM PM_BusyHour WHERE Id = 1");
  EXPECT_EQ(cell->BusyHours()->Count(), 2);
  cell->ReloadBusyHours();
  EXPECT_EQ(Names(cell->BusyHours()), "Cell Evening BH,Cell Erlang BH,Night BH");
  const CBusyHourPtr twin = cell->BusyHours()->Item(Variant("BH4"));
  twin->SetName("Night BH");  // taken at the cell: refused, reported, not cached
  cell->AddBusyHour(twin);
  EXPECT_EQ(cell->BusyHours()->Count(), 3);

  sql("CREATE TRIGGER Keep4 BEFORE DELETE ON PM_BusyHour WHEN old.Id = 4 "
      "BEGIN SELECT RAISE(ABORT, 'in use'); END");
  auto gone = cell->BusyHours();
  gone->Delete(Variant("BH30"));
  EXPECT_THROW(cell->DeleteBusyHours(gone), AutomationError);
  EXPECT_EQ(Names(cell->BusyHours()), "Cell Erlang BH,Night BH");
  // Cell Evening BH went with its range; Cell Erlang BH stays whole.
  EXPECT_EQ(host_->Sqlite()
                ->QueryValue("SELECT (SELECT group_concat(Id) FROM PM_BusyHour WHERE Id IN (1, 4)) || '/' || "
                             "(SELECT group_concat(BusyHourId) FROM PM_HourRange WHERE BusyHourId IN (1, 4))")
                .ToString(),
            "4/4");
  EXPECT_THAT(busyHourNotices_, ElementsAre("0 12 5 -", "0 12 3 Cell Evening BH"));
}

class DictionaryEditsAnsweringNoTest : public DictionaryEditsTest {
 protected:
  DictionaryEditsAnsweringNoTest() : DictionaryEditsTest("no") {}
};

TEST_F(DictionaryEditsAnsweringNoTest, CommonFieldsAddedChangedAndKeptWhenTheUserSaysNo) {
  CFieldCategoryPtr cell = Category(kCell);
  auto fld = std::make_shared<CField>();
  fld->Initialize(0, "Site_Note", kCell, "Traffic", "EXT", 0, "S", true, "Site", "Note", "Free text", "", 1,
                  "", Date());
  cell->AddCommonField(fld);
  ASSERT_GT(fld->Id(), 0);
  cell->UpdateCommonField(fld);
  auto flds = std::make_shared<CFields>();
  flds->Add(fld);
  cell->DeleteCommonFields(flds);
  EXPECT_THAT(notices_, ElementsAre("12 2 Site_Note", "12 1 Site_Note"));
  EXPECT_THAT(Names(cell->CommonFields()), ::testing::HasSubstr("Site_Note"));
}

}  // namespace
}  // namespace ridirodev::standalone
