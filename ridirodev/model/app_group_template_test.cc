#include "ridirodev/model/app_group_template.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/fields.h"
#include "testing/errors.h"
#include "testing/fixtures.h"

namespace ridirodev {
namespace {

using ::testing::ElementsAre;
using testing::FieldRows;
using ::testing::HasSubstr;

using FieldValues = std::map<std::string, Variant>;

FieldValues Field(int32_t id, int32_t entity, const std::string& name, const std::string& type = "RAW") {
  return {{"Field_Id", id}, {"Entity_Id", entity}, {"Name", name}, {"Field_Group_Short", type}};
}

CFieldPtr Made(int32_t id, const std::string& name, int32_t entity, const std::string& type,
               int32_t owner = 0) {
  auto field = std::make_shared<CField>();
  field->Initialize(id, name, entity, "Traffic", type, 0, "I", true, "", "", "", "", owner, "", Date());
  return field;
}

std::vector<std::string> Names(const CFields& fields) {
  std::vector<std::string> names;
  for (const CFieldPtr& field : fields) names.emplace_back(field->Name());
  return names;
}

class AppGroupTemplateTest : public testing::SampleDictionaryTest {
 protected:
  // Answers the field statements of a data source as the database would: the rows of the
  // entities asked for, of the kind asked for.
  void ScriptFields(int32_t dataSource, const std::vector<FieldValues>& rows) {
    const std::string source = "WHERE d.DataSource_ID = " + std::to_string(dataSource) + " ";
    const std::pair<bool, bool> kindsAsked[] = {{true, false}, {false, true}, {true, true}};
    for (const std::string list : {"1", "2", "3", "1,2", "1,2,3"}) {
      for (const std::pair<bool, bool>& kinds : kindsAsked) {
        std::vector<FieldValues> chosen;
        for (const FieldValues& row : rows) {
          const bool expression = row.at("Field_Group_Short").ToString() == "UDC";
          if (list.find(row.at("Entity_Id").ToString()) != list.npos &&
              (expression ? kinds.second : kinds.first))
            chosen.push_back(row);
        }
        const std::string ids = "d.Entity_Id in (" + list + ")";
        auto matches = [source, ids, kinds](std::string_view sql) {
          auto has = [sql](std::string_view part) { return sql.find(part) != std::string_view::npos; };
          return has(source) && has(ids) && !has("Field_Group_Short = 'UDC'") == kinds.first &&
                 !has("Field_Group_Short <> 'UDC'") == kinds.second;
        };
        db().AddRows(matches, FieldRows(chosen));
      }
    }
  }
  // The gateway answers every query with one field of entity 3; the attributes not read are empty.
  void GatewayAnswers(const std::string& name, const std::string& type = "RAW") {
    state().flags.xmlGatewayAvailable = true;
    testing::GatewayAnswersOneField(*host_, name, type);
  }
  // The field statements run since the last Clear, one text per statement.
  std::vector<std::string> FieldStatements() const {
    std::vector<std::string> out;
    for (const std::string& text : host_->Journal().Texts(testing::DbCallKind::kOpen))
      if (text.find("FROM tqd_Datasource_Field d") != std::string::npos) out.push_back(text);
    return out;
  }
  std::vector<std::string> Queries() const { return host_->Journal().Texts(testing::DbCallKind::kRunQuery); }
  // Thrown rather than handed back null: a missing template fails the test, not the binary.
  static CAppGroupTemplatePtr Template(const std::string& name) {
    if (CAppGroupTemplatePtr found = GRidirodev::AppGroupTemplate(name)) return found;
    throw std::runtime_error("no template " + name);
  }
  static CAppGroupTemplatePtr Traffic() { return Template("Traffic"); }
};

class TrafficFieldsTest : public AppGroupTemplateTest {
 protected:
  TrafficFieldsTest() {
    ScriptFields(2, {Field(31, 3, "calls"), Field(32, 3, "drop_rate", "UDC"),
                     Field(21, 2, "switch_id", "KEY"), Field(11, 1, "sys_id", "KEY")});
    ScriptFields(1, {Field(5, 3, "client_note")});
    Traffic();  // templates loaded before counting
    host_->Journal().Clear();
  }
};

TEST_F(TrafficFieldsTest, FirstRequestLoadsBothKindsOnceWithTheClientSupplement) {
  EXPECT_THAT(Names(*Traffic()->Expressions(3)), ElementsAre("drop_rate"));
  const auto statements = FieldStatements();
  ASSERT_EQ(statements.size(), 2u);  // Traffic's fields of both kinds, then Client's
  EXPECT_THAT(statements[0], HasSubstr("WHERE d.DataSource_ID = 2 AND d.Entity_Id in (3)"));
  EXPECT_THAT(statements[1], HasSubstr("WHERE d.DataSource_ID = 1 AND d.Entity_Id in (3)"));

  EXPECT_THAT(Names(*Traffic()->StaticFields(3)), ElementsAre("calls", "client_note"));
  EXPECT_THAT(Names(*Traffic()->Fields(3)), ElementsAre("calls", "client_note", "drop_rate"));
  EXPECT_EQ(FieldStatements().size(), 2u);  // both read from the cache
  // Fields hands out a new collection each time; the kinds are the cached ones.
  EXPECT_NE(Traffic()->Fields(3), Traffic()->Fields(3));
  EXPECT_EQ(Traffic()->StaticFields(3), Traffic()->StaticFields(3));
  // Another entity loads on its own; Client is never supplemented itself.
  EXPECT_THAT(Names(*Template("Client")->Fields(3)), ElementsAre("client_note"));
  EXPECT_EQ(FieldStatements().size(), 3u);
}

TEST_F(TrafficFieldsTest, ReloadsReadTheDatabaseAgainAndExpressionsAloneGetNoSupplement) {
  Traffic()->Fields(3);
  host_->Journal().Clear();
  Traffic()->ReloadExpressions(3);
  auto statements = FieldStatements();
  ASSERT_EQ(statements.size(), 1u);
  EXPECT_THAT(statements[0], HasSubstr("DataSource_ID = 2 AND d.Field_Group_Short = 'UDC'"));
  EXPECT_THAT(Names(*Traffic()->Fields(3)), ElementsAre("calls", "client_note", "drop_rate"));
  Traffic()->ReloadFields(3);
  EXPECT_EQ(FieldStatements().size(), 3u);

  db().SetAlwaysReload(true);
  Traffic()->Fields(3);
  Traffic()->Fields(3);
  EXPECT_EQ(FieldStatements().size(), 7u);  // every call fetches both kinds again
}

TEST_F(TrafficFieldsTest, OnlyTheGettersUseTheGatewayWithItsFilter) {
  GatewayAnswers("from_gateway");
  EXPECT_THAT(Names(*Traffic()->StaticFields(3)),
              ElementsAre("from_gateway"));  // Client's answer has the same key
  ASSERT_EQ(Queries().size(), 2u);
  EXPECT_THAT(Queries()[0], HasSubstr("[CDATA[DatasourceId = 2 && Entity_Id = 3]]"));
  EXPECT_THAT(Queries()[1], HasSubstr("[CDATA[DatasourceId = 1 && Entity_Id = 3]]"));
  EXPECT_TRUE(FieldStatements().empty());
  Traffic()->ReloadExpressions(3);  // the reload itself reads the database
  EXPECT_EQ(FieldStatements().size(), 1u);
  EXPECT_EQ(Queries().size(), 2u);

  // AllFields asks for a group even when only one entity is missing (here 3's expressions: the
  // gateway's rows for 1 and 2 belong to 3 and make only its static fields).
  Traffic()->ClearAll();
  Traffic()->Fields(1);
  Traffic()->Fields(2);
  Traffic()->AllFields();
  EXPECT_THAT(Queries().back(), HasSubstr("[CDATA[DatasourceId = 1 && inGroup(Entity_Id, 3)]]"));
}

TEST_F(TrafficFieldsTest, AllFieldsFetchesTheMissingEntitiesInOneRequestInHierarchyOrder) {
  Traffic()->Fields(3);
  host_->Journal().Clear();
  // Entity 3 is cached: only 1 and 2 are asked for.
  EXPECT_THAT(Names(*Traffic()->AllFields()),
              ElementsAre("sys_id", "switch_id", "calls", "client_note", "drop_rate"));
  auto statements = FieldStatements();
  ASSERT_EQ(statements.size(), 2u);
  EXPECT_THAT(statements[0], HasSubstr("DataSource_ID = 2 AND d.Entity_Id in (1,2)"));
  Traffic()->AllFields();
  EXPECT_EQ(FieldStatements().size(), 2u);
  Traffic()->AllFields(true);  // cleared first: everything again
  statements = FieldStatements();
  ASSERT_EQ(statements.size(), 4u);
  EXPECT_THAT(statements[2], HasSubstr("DataSource_ID = 2 AND d.Entity_Id in (1,2,3)"));

  db().SetAlwaysReload(true);
  Traffic()->AllFields();
  EXPECT_THAT(Names(*Traffic()->AllFields()),
              ElementsAre("sys_id", "switch_id", "calls", "client_note", "drop_rate"));
  EXPECT_EQ(FieldStatements().size(), 8u);  // each call fetches every entity again
}

TEST_F(AppGroupTemplateTest, StaticFieldsLoadedAloneGetTheClientSupplement) {
  // Entity 1's rows bring an expression of entity 3, so 3 has expressions but no static fields.
  db().AddRows(
      [](std::string_view sql) {
        return sql.find("DataSource_ID = 2 ") != sql.npos && sql.find("d.Entity_Id in (1)") != sql.npos;
      },
      FieldRows({Field(11, 1, "sys_id", "KEY"), Field(32, 3, "drop_rate", "UDC")}));
  ScriptFields(2, {Field(31, 3, "calls"), Field(32, 3, "drop_rate", "UDC")});
  ScriptFields(1, {Field(5, 3, "client_note")});
  Traffic()->Fields(1);
  host_->Journal().Clear();
  EXPECT_THAT(Names(*Traffic()->StaticFields(3)), ElementsAre("calls", "client_note"));
  const auto statements = FieldStatements();
  ASSERT_EQ(statements.size(), 2u);
  EXPECT_THAT(statements[0], HasSubstr("DataSource_ID = 2 AND d.Field_Group_Short <> 'UDC'"));
  EXPECT_THAT(statements[1], HasSubstr("DataSource_ID = 1 AND d.Field_Group_Short <> 'UDC'"));
  EXPECT_THAT(Names(*Traffic()->Expressions(3)), ElementsAre("drop_rate"));
  EXPECT_EQ(FieldStatements().size(), 2u);
}

TEST_F(TrafficFieldsTest, UpdateFieldReplacesOrAddsInTheLoadedKind) {
  Traffic()->Fields(3);
  const CFieldPtr renamed = Made(32, "drop_rate", 3, "UDC");
  Traffic()->UpdateField(renamed);
  ASSERT_EQ(Traffic()->Expressions(3)->Count(), 1);
  EXPECT_EQ(Traffic()->Expressions(3)->Item(Variant(1)), renamed);
  Traffic()->UpdateField(Made(33, "setup_rate", 3, "UDC"));
  EXPECT_THAT(Names(*Traffic()->Fields(3)), ElementsAre("calls", "client_note", "drop_rate", "setup_rate"));
  // An entity never loaded keeps no partial cache: its next load still reads all its fields.
  Traffic()->UpdateField(Made(22, "trunks", 2, "RAW"));
  EXPECT_THAT(Names(*Traffic()->StaticFields(2)), ElementsAre("switch_id"));
}

TEST_F(AppGroupTemplateTest, TheGatewayFilterNarrowsToTheMissingKind) {
  // The kind entity 1's answer brings for entity 3, whether static fields are asked, the filter.
  const std::tuple<const char*, bool, const char*> cases[] = {
      {"UDC", true, "[CDATA[DatasourceId = 2 && Entity_Id = 3  && Field_Group_Short != 'UDC']]"},
      {"RAW", false, "[CDATA[DatasourceId = 2 && Entity_Id = 3  && Field_Group_Short = 'UDC']]"},
  };
  for (const auto& [rowType, askStatics, filter] : cases) {
    SCOPED_TRACE(rowType);
    Traffic()->ClearAll();
    GatewayAnswers("x", rowType);
    Traffic()->Fields(1);
    host_->Journal().Clear();
    askStatics ? Traffic()->StaticFields(3) : Traffic()->Expressions(3);
    ASSERT_FALSE(Queries().empty());
    EXPECT_THAT(Queries()[0], HasSubstr(filter));
  }
}

// The key list, not the order in which the field rows arrive, decides the order.
TEST_F(TrafficFieldsTest, KeyFieldsFollowTheKeyListAndSkipFieldsNotLoaded) {
  db().AddTable("tqd_udr_keys");
  db().AddRows(testing::TextContains("count (*)"), {{"RowCount"}, {{3}}});
  db().AddRows(testing::TextContains("tqd_udr_keys a"),
               {{"entity_id", "field_seq", "name"},
                {{2, 1, "switch_id"}, {3, 1, "client_note"}, {3, 2, "ghost"}, {3, 3, "calls"}}});
  EXPECT_THAT(Names(*Traffic()->KeyFields(3)), ElementsAre("client_note", "calls"));
  EXPECT_THAT(*Traffic()->FieldKeys(3), ElementsAre("client_note:Cell", "ghost:Cell", "calls:Cell"));
  EXPECT_THAT(Names(*Traffic()->KeyFields(2)), ElementsAre("switch_id"));
  // An entity without a key list has no key fields, and its fields are not loaded for it.
  host_->Journal().Clear();
  EXPECT_EQ(Traffic()->KeyFields(1)->Count() + Traffic()->FieldKeys(1)->Count(), 0);
  EXPECT_TRUE(FieldStatements().empty());
}

TEST_F(AppGroupTemplateTest, EachOwnerIsAskedOfTheHostOncePerLoad) {
  auto& users = host_->FolderServices();
  users.AddUser(7, "alice");
  users.AddUser(8, "bob");
  auto owned = [](int32_t id, const std::string& name, int32_t owner) {
    FieldValues f = Field(id, 3, name);
    f["Field_Owner"] = owner;
    return f;
  };
  ScriptFields(2, {owned(1, "a", 7), owned(2, "b", 8), owned(3, "c", 7), owned(4, "d", 0), owned(5, "e", 9)});
  const CFieldsPtr fields = Traffic()->Fields(3);
  std::vector<std::string> owners;
  for (const CFieldPtr& field : *fields) owners.push_back(field->Owner());
  EXPECT_EQ(users.UserByIdCalls(), 3);  // 7, 8 and the unknown 9; 0 is no owner
  EXPECT_THAT(owners, ElementsAre("alice", "bob", "alice", "", ""));

  // The next load asks again: a user renamed meanwhile shows under the new name.
  users.AddUser(9, "carol");
  Traffic()->ReloadFields(3);
  EXPECT_EQ(users.UserByIdCalls(), 6);
  CFieldPtr fifth = Traffic()->Fields(3)->Item(Variant(5));
  ASSERT_NE(fifth, nullptr);
  EXPECT_EQ(fifth->Owner(), "carol");
  // Outside a load every field asks.
  for (int i = 0; i < 2; ++i) Made(6, "f", 3, "RAW", 7);
  EXPECT_EQ(users.UserByIdCalls(), 8);
}

TEST_F(AppGroupTemplateTest, FieldsOfNoEntityFailWithoutAStatement) {
  for (int32_t entity : {0, -4}) {
    try {
      Traffic()->Fields(entity);
      ADD_FAILURE() << entity;
    } catch (const AutomationError& e) {
      EXPECT_EQ(std::to_string(e.Number()) + "|" + e.Source() + "|" + e.Description(),
                "10|CAppGroupTemplate|Fields for non existent entity");
    }
  }
  EXPECT_TRUE(FieldStatements().empty());
  EXPECT_EQ(Traffic()->Expressions(0)->Count(), 0);  // not an error for the other getters
}

using AppGroupTemplateSupplementTest = testing::HostTest;

TEST_F(AppGroupTemplateSupplementTest, TrafficIsRecognisedTrimmedAndInAnyCase) {
  testing::ScriptTemplates(db(), {{1, "Client", 5}, {2, " traffic ", 5}});
  testing::ScriptCategories(db(), 5, {{3, 0, "Cell", "Cell"}});
  db().AddRows(testing::TextContains("DataSource_ID = 2 "), FieldRows({Field(31, 3, "calls")}));
  db().AddRows(testing::TextContains("DataSource_ID = 1 "), FieldRows({Field(5, 3, "client_note")}));
  CAppGroupTemplatePtr traffic = GRidirodev::AppGroupTemplate(" traffic ");
  ASSERT_NE(traffic, nullptr);
  EXPECT_THAT(Names(*traffic->Fields(3)), ElementsAre("calls", "client_note"));
}

TEST_F(TrafficFieldsTest, AFailedFetchPropagatesAndKeepsWhatWasRead) {
  db().FailOnText("DataSource_ID = 1", AutomationError(-2147217900, "db", "lost connection"));
  EXPECT_EQ(testing::ErrorOf([&] { Traffic()->Fields(3); }), -2147217900);
  // The entity's collections were started: what Traffic gave is kept, Client's part is missing.
  EXPECT_THAT(Names(*Traffic()->Fields(3)), ElementsAre("calls", "drop_rate"));
  Traffic()->ReloadFields(3);
  EXPECT_THAT(Names(*Traffic()->Fields(3)), ElementsAre("calls", "client_note", "drop_rate"));
}

TEST_F(AppGroupTemplateTest, ARowThatCannotBeReadEndsTheLoadAndClosesItsRowSet) {
  ScriptFields(2, {Field(91, 1, "fine"),
                   {{"Field_Id", "ninety-two"}, {"Entity_Id", 1}, {"Field_Group_Short", "RAW"}}});
  EXPECT_EQ(testing::ErrorOf([&] { Traffic()->Fields(1); }), ErrorNumber::kTypeMismatch);
  EXPECT_TRUE(db().Recordsets().back()->Closed());
}

}  // namespace
}  // namespace ridirodev
