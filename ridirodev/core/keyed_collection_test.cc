#include "ridirodev/core/keyed_collection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "testing/errors.h"

namespace ridirodev {
namespace {

using testing::ErrorOf;

struct Member : Object {
  explicit Member(std::string k) : key(std::move(k)) {}
  std::string key;
};
using MemberPtr = std::shared_ptr<Member>;
using Members = KeyedCollection<MemberPtr>;

MemberPtr AddNew(Members& c, const std::string& key) {
  auto m = std::make_shared<Member>(key);
  c.Add(m, key);
  return m;
}

// Every position holds the expected member, and every member's key leads back to it.
void ExpectContents(const Members& c, const std::vector<MemberPtr>& expected) {
  ASSERT_EQ(c.Count(), static_cast<int32_t>(expected.size()));
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(c.Item(Variant(static_cast<int32_t>(i + 1))), expected[i]) << "position " << i + 1;
    EXPECT_EQ(c.Item(Variant(expected[i]->key)), expected[i]) << "key " << expected[i]->key;
  }
}

TEST(KeyedCollectionTest, NumberIsPositionTextIsKeyAndMissingMembersAreNothing) {
  Members c;
  const Variant probes[] = {Variant(1),    Variant(0),     Variant(-1), Variant(3),     Variant(1e10),
                            Variant(true), Variant("zzz"), Variant(),   Variant::Null()};
  for (const Variant& v : probes) EXPECT_FALSE(c.Exists(v) || c.Item(v));
  const auto two = AddNew(c, "2");
  const auto one = AddNew(c, "1");
  for (const Variant& v : probes) EXPECT_EQ(c.Exists(v), c.Item(v) != nullptr);
  EXPECT_EQ(c.Item(Variant(2.0)), one);
  EXPECT_EQ(c.Item(Variant("2")), two);
  c.Remove(Variant("2"));
  ExpectContents(c, {one});

  // A failed Remove removes nothing.
  EXPECT_EQ(ErrorOf([&] { c.Remove(Variant("missing")); }), ErrorNumber::kInvalidArgument);
  EXPECT_EQ(ErrorOf([&] { c.Remove(Variant(0)); }), ErrorNumber::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorOf([&] { c.Remove(Variant(2)); }), ErrorNumber::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorOf([&] { c.Remove(Variant()); }), ErrorNumber::kInvalidArgument);
  ExpectContents(c, {one});
}

// The skipping policy is exercised by the long history below.
TEST(KeyedCollectionTest, KeysIgnoreCaseWhenFailingOrReplacing) {
  Members fail(DuplicateKey::kError);
  const auto first = AddNew(fail, "abc");
  const auto other = AddNew(fail, "other");
  EXPECT_EQ(ErrorOf([&] { AddNew(fail, "ABC"); }), ErrorNumber::kDuplicateKey);
  ExpectContents(fail, {first, other});
  EXPECT_EQ(fail.Item(Variant("aBc")), first);

  Members replace(DuplicateKey::kReplace);
  AddNew(replace, "abc");
  const auto x = AddNew(replace, "x");
  const auto y = AddNew(replace, "y");
  const auto newer = AddNew(replace, "ABC");
  ExpectContents(replace, {x, y, newer});
  EXPECT_EQ(replace.Item(Variant("abc")), newer);
}

// Many adds and removes through table growth under keys differing only in case, checked against a plain list
// after every step: removals must never hide a member further along its probe run.
TEST(KeyedCollectionTest, LongMixedHistoryMatchesAPlainList) {
  Members c(DuplicateKey::kSkip);
  std::vector<MemberPtr> model;
  uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) % 1000;
  };
  for (int step = 0; step < 4000; ++step) {
    const uint32_t r = next();
    if (r < 600 || model.empty()) {
      std::string key = "Key" + std::to_string(next() % 700);
      if (r % 2) std::transform(key.begin(), key.end(), key.begin(), ::toupper);
      const bool present = std::any_of(model.begin(), model.end(),
                                       [&](const MemberPtr& m) { return EqualsNoCase(m->key, key); });
      auto m = std::make_shared<Member>(key);
      EXPECT_EQ(c.Add(m, key), !present);
      if (!present) model.push_back(m);
    } else if (r < 800) {
      const size_t at = next() % model.size();
      c.Remove(Variant(model[at]->key));
      model.erase(model.begin() + static_cast<std::ptrdiff_t>(at));
    } else {
      const size_t at = next() % model.size();
      c.Remove(Variant(static_cast<int32_t>(at + 1)));
      model.erase(model.begin() + static_cast<std::ptrdiff_t>(at));
    }
    if (step % 97 == 0 || step == 3999) ExpectContents(c, model);
  }
  for (int i = 0; i < 700; ++i) {
    const std::string key = "key" + std::to_string(i);
    const bool present = std::any_of(model.begin(), model.end(),
                                     [&](const MemberPtr& m) { return EqualsNoCase(m->key, key); });
    EXPECT_EQ(c.ContainsKey(key), present) << key;
  }
  // A copy answers on its own.
  Members copy = c;
  c.Clear();
  ExpectContents(copy, model);
  EXPECT_FALSE(c.ContainsKey(model.front()->key));
}

TEST(KeyedCollectionTest, UnkeyedMembersCountEveryTimeAndClearEmptiesAll) {
  Members c;
  const auto u = std::make_shared<Member>("");
  const auto k = std::make_shared<Member>("k");
  c.AddUnkeyed(u);
  c.Add(k, "k");
  c.AddUnkeyed(u);
  EXPECT_EQ(c.Count(), 3);
  EXPECT_EQ(c.Item(Variant("")), nullptr);
  c.Remove(Variant(1));  // shifts the keyed member
  EXPECT_EQ(c.Item(Variant("k")), k);
  EXPECT_EQ(c.Item(Variant(2)), u);
  c.Clear();
  c.Add(k, "K");  // the old key is free again
  ExpectContents(c, {k});
  // Members are held, not copied, and let go on removal; the key is the one given when added.
  k->key = "renamed";
  EXPECT_EQ(c.Item(Variant("renamed")), nullptr);
  c.Remove(Variant("k"));
  EXPECT_EQ(k.use_count(), 1);
}

TEST(KeyedCollectionTest, IterationAndEnumeratorFollowInsertionOrder) {
  Members c;
  const std::vector<MemberPtr> added = {AddNew(c, "c"), AddNew(c, "a"), AddNew(c, "b")};
  std::string keys;
  for (auto it = c.begin(); it != c.end(); ++it) keys += it.key() + (*it)->key;
  EXPECT_EQ(keys, "ccaabb");
  // The enumerator walks what was there when it was made, whatever happens meanwhile.
  auto e = c.NewEnum();
  c.Remove(Variant(2));
  c.Clear();
  std::vector<MemberPtr> seen;
  for (MemberPtr m; e->Next(m);) seen.push_back(m);
  EXPECT_EQ(seen, added);
  e->Reset();
  e->Skip(2);
  MemberPtr m;
  ASSERT_TRUE(e->Next(m));
  EXPECT_EQ(m, added[2]);
}

// Members keyed by their own key, appended without the check and indexed at the next read.
using OwnKey = decltype([](const MemberPtr& m) -> const std::string& { return m->key; });

TEST(KeyedCollectionTest, OwnKeysAppendedUncheckedDropLaterDuplicatesInOrder) {
  KeyedCollection<MemberPtr, OwnKey> c(DuplicateKey::kSkip);
  const auto a = std::make_shared<Member>("a");
  c.Add(a);
  c.Add(std::make_shared<Member>("b"));
  c.Add(std::make_shared<Member>("A"));  // a duplicate of a member not yet indexed
  const KeyedCollection<MemberPtr, OwnKey> copy = c;
  ASSERT_EQ(c.Count(), 2);
  EXPECT_EQ(c.Item(Variant("a")), a);
  EXPECT_EQ(copy.Count(), 2);
  c.Add(std::make_shared<Member>("B"));
  c.Add(std::make_shared<Member>("c"));
  // A collection moved away from while members await indexing is empty and usable.
  KeyedCollection<MemberPtr, OwnKey> moved = std::move(c);
  EXPECT_EQ(moved.Count(), 3);
  EXPECT_EQ(c.Count(), 0);  // NOLINT(bugprone-use-after-move): the moved-from state is defined
  c.Add(std::make_shared<Member>("d"));
  EXPECT_EQ(c.Count(), 1);

  // Appending whole collections keeps their order and drops keys held or repeated, whether the
  // target skips duplicates or refuses them.
  KeyedCollection<MemberPtr, OwnKey> pending(DuplicateKey::kSkip);
  for (const char* key : {"x", "d", "X", "y"}) pending.Add(std::make_shared<Member>(key));
  KeyedCollection<MemberPtr, OwnKey> strict(DuplicateKey::kError);
  strict.AppendAll(pending);
  c.AppendAll(pending);
  c.AppendAll(c);
  std::vector<std::string> keys;
  for (const MemberPtr& m : c) keys.push_back(m->key);
  EXPECT_EQ(keys, (std::vector<std::string>{"d", "x", "y"}));
  EXPECT_EQ(strict.Count(), 3);
}

}  // namespace
}  // namespace ridirodev
