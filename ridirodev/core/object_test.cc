#include "ridirodev/core/object.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace ridirodev {
namespace {

struct Counted : Object {
  int value = 0;
};

TEST(ObjectTest, LiveCountFollowsConstructionCopyAndDestruction) {
  const int64_t before = Object::LiveCount();
  {
    auto a = std::make_shared<Counted>();
    EXPECT_EQ(Object::LiveCount(), before + 1);
    std::optional<Counted> copy(*a);
    EXPECT_EQ(Object::LiveCount(), before + 2);
    Counted moved(std::move(*copy));
    EXPECT_EQ(Object::LiveCount(), before + 3);
    *copy = moved;  // assignment makes no new object
    EXPECT_EQ(Object::LiveCount(), before + 3);
    copy.reset();
    EXPECT_EQ(Object::LiveCount(), before + 2);
    ObjectPtr shared = a;  // another reference, not another object
    a.reset();
    EXPECT_EQ(Object::LiveCount(), before + 2);
  }
  EXPECT_EQ(Object::LiveCount(), before);
}

}  // namespace
}  // namespace ridirodev
