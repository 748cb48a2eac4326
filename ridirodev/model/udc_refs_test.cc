#include "ridirodev/model/udc_refs.h"

#include <gtest/gtest.h>

#include <map>
#include <numeric>
#include <string>
#include <vector>

#include "ridirodev/model/field.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/store/dictionary_statements.h"
#include "testing/errors.h"
#include "testing/fixtures.h"

namespace ridirodev {
namespace {

using Edges = std::vector<std::pair<int32_t, int32_t>>;  // parent id, child id
using Ids = std::vector<int32_t>;

// Calculations of Traffic's entity 3; id n is named "A<n>".
CFieldsPtr Set(const Ids& ids) {
  auto flds = std::make_shared<CFields>();
  for (int32_t id : ids) {
    auto fld = std::make_shared<CField>();
    fld->Initialize(id, "A" + std::to_string(id), 3, "Traffic", "UDC", 1, "I", false, "", "", "", "", 0, "",
                    Date());
    flds->Add(fld);
  }
  return flds;
}
Ids IdsOf(const CFieldsPtr& flds) {
  Ids ids;
  for (const CFieldPtr& fld : *flds) ids.push_back(fld->Id());
  return ids;
}

// Dependencies added directly over set (the database answers no rows for them).
CUDCRefsPtr Direct(const CFieldsPtr& set, const Edges& edges) {
  auto refs = std::make_shared<CUDCRefs>();
  refs->SetudcToDelete(set);
  for (auto [parent, child] : edges) {
    auto r = std::make_shared<CUDCRef>();
    const CFieldPtr inSet = set->Item("A" + std::to_string(parent) + ":Cell");
    r->SetParent(inSet ? inSet : Set({parent})->Item(Variant(1)));
    r->SetChild(set->Item("A" + std::to_string(child) + ":Cell"));
    refs->Add(r);
  }
  return refs;
}

class UDCRefsTest : public testing::SampleDictionaryTest {
 protected:
  // Refs over set that loaded rows as its dependencies; fields 1 to 7 load as parents.
  CUDCRefsPtr Loaded(const Ids& set, const std::vector<testing::DictRow>& rows) {
    std::string ids;
    for (int32_t id : set) ids += (ids.empty() ? "" : ",") + std::to_string(id);
    db().AddRows(sql::UDCDependenciesStatement(ids), {{"parent_field_id", "child_field_id"}, rows});
    std::vector<std::map<std::string, Variant>> fields;
    for (int32_t id = 1; id <= 7; ++id)
      fields.push_back({{"Field_Id", id}, {"Entity_Id", 3}, {"Name", "A" + std::to_string(id)}});
    db().AddRows(testing::TextContains("d.Field_Id in ("), testing::FieldRows(fields));
    CUDCRefsPtr refs = Direct(Set(set), {});
    refs->LoadReferencingExpressions();
    return refs;
  }
};

TEST_F(UDCRefsTest, ReferencingAndDeleteableInTheTypicalUse) {
  const struct {
    Ids set;
    std::vector<testing::DictRow> rows;
    Ids referencing, deleteable;
    int32_t left;  // of the rows, loaded once by each read
  } cases[] = {
      {{1}, {}, {}, {1}, 0},
      {{1, 2}, {{1, 2}}, {}, {1, 2}, 0},
      {{2}, {{1, 2}}, {1}, {}, 0},
      {{1, 2, 3}, {{1, 2}, {2, 3}, {4, 2}}, {4}, {1}, 0},
      // What a kept one uses stays, and what that uses, whichever use comes first.
      {{3, 5, 6}, {{5, 6}, {4, 3}, {3, 5}}, {4}, {}, 0},
      {{5, 6, 7}, {{6, 7}, {5, 6}, {4, 5}}, {4}, {}, 0},
      {{3, 1, 2}, {{1, 2}, {2, 1}, {3, 1}}, {}, {3}, 4},  // a cycle stays, with its uses
      {{4, 5, 6, 7}, {{7, 5}}, {}, {7, 6, 5, 4}, 0},      // freed below the scan: in the same pass
      {{1, 2, 3, 4}, {{2, 4}}, {}, {3, 2, 1, 4}, 0},      // freed above it: in the next pass
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.set));
    CUDCRefsPtr refs = Loaded(c.set, c.rows);
    EXPECT_EQ(IdsOf(refs->ReferencingExpressions()), c.referencing);
    EXPECT_EQ(IdsOf(refs->DeleteableExpressions()), c.deleteable);
    EXPECT_EQ(refs->Count(), c.left);
  }
  // A new set forgets the users of the old one.
  CUDCRefsPtr refs = Loaded({7}, {{6, 7}});
  EXPECT_EQ(IdsOf(refs->ReferencingExpressions()), Ids{6});
  refs->SetudcToDelete(Set({6, 7}));
  EXPECT_EQ(IdsOf(refs->ReferencingExpressions()), Ids{});
}

TEST_F(UDCRefsTest, LoadRunsTheWholeStatementSkipsNullParentsAppendsAndStops) {
  CUDCRefsPtr refs = Loaded({2, 1}, {{Variant::Null(), 1}, {5, 1}});
  host_->Journal().Clear();
  refs->LoadReferencingExpressions();
  EXPECT_EQ(host_->Journal().Texts(testing::DbCallKind::kOpen).at(0),
            "Select Unique parent_field_id, child_field_id from tqd_dict_field_depend Where child_field_id "
            "IN (2,1 )");
  ASSERT_EQ(refs->Count(), 2);
  host_->FolderServices().stopRequested = true;
  refs->LoadReferencingExpressions();
  EXPECT_EQ(refs->Count(), 2);
  EXPECT_TRUE(db().Recordsets().back()->Closed());
}

TEST_F(UDCRefsTest, AMissingParentFailsWith91WhenReachedAndLeavesTheDependencies) {
  CUDCRefsPtr refs = Loaded({1, 2}, {{8, 1}});
  EXPECT_EQ(testing::ErrorOf([&] { refs->ReferencingExpressions(); }), 91);
  EXPECT_EQ(testing::ErrorOf([&] { refs->DeleteableExpressions(); }), 91);
  EXPECT_EQ(refs->Count(), 2);
  // Not reached: an earlier use from outside already kept its child.
  CUDCRefsPtr direct = Direct(Set({3, 4}), {{7, 3}, {3, 3}});
  direct->Item(Variant(2))->SetParent(nullptr);
  EXPECT_EQ(IdsOf(direct->DeleteableExpressions()), Ids{4});
}

TEST_F(UDCRefsTest, ChainsOfTenThousandComeOutUserFirst) {
  Ids ids(10000);
  std::iota(ids.begin(), ids.end(), 1);
  const Ids reversed(ids.rbegin(), ids.rend());
  Edges chain;
  for (int32_t i = 1; i < 10000; ++i) chain.emplace_back(i, i + 1);              // A1 uses A2 uses ...
  EXPECT_EQ(IdsOf(Direct(Set(ids), chain)->DeleteableExpressions()), ids);       // one per pass
  EXPECT_EQ(IdsOf(Direct(Set(reversed), chain)->DeleteableExpressions()), ids);  // all in one pass
  chain.emplace_back(20000, 5000);  // used from outside: A5000 and what it uses stay
  EXPECT_EQ(IdsOf(Direct(Set(reversed), chain)->DeleteableExpressions()),
            Ids(ids.begin(), ids.begin() + 4999));
}

}  // namespace
}  // namespace ridirodev
