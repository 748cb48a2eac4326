#include "ridirodev/core/event.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace ridirodev {
namespace {

using Log = std::vector<std::string>;

// A handler that logs its name and argument.
auto Logger(Log& log, std::string name) {
  return [&log, name](int v) { log.push_back(name + std::to_string(v)); };
}

TEST(EventTest, HandlersRunInConnectionOrderWhileConnected) {
  Event<int> ev;
  Log log;
  auto a = ev.Connect(Logger(log, "a"));
  {
    auto b = ev.Connect(Logger(log, "b"));
    auto c = ev.Connect(Logger(log, "c"));
    ev.Raise(1);
  }
  ev.Raise(2);
  EXPECT_EQ(ev.HandlerCount(), 1u);
  // Moving a connection keeps the handler; assigning over one drops the old handler.
  Event<int>::Connection moved = std::move(a);
  ev.Raise(3);
  moved = ev.Connect(Logger(log, "d"));
  ev.Raise(4);
  moved.Disconnect();
  EXPECT_FALSE(moved.Connected());
  ev.Raise(5);
  EXPECT_EQ(log, (Log{"a1", "b1", "c1", "a2", "a3", "d4"}));
  EXPECT_EQ(ev.HandlerCount(), 0u);
  moved = std::make_unique<Event<int>>()->Connect(Logger(log, "e"));
  EXPECT_FALSE(moved.Connected());  // a connection may outlive its event
  moved.Disconnect();
}

// A handler disconnected during a raise is not called afterwards; one connected during a
// raise is first called by the next raise.
TEST(EventTest, ChangesDuringRaise) {
  Event<> ev;
  Log log;
  Event<>::Connection self, later;
  std::vector<Event<>::Connection> added;
  self = ev.Connect([&] {
    log.push_back("first");
    self.Disconnect();
  });
  auto killer = ev.Connect([&] {
    log.push_back("killer");
    later = Event<>::Connection();  // destroying the connection disconnects
  });
  later = ev.Connect([&] { log.push_back("later"); });
  auto adder = ev.Connect([&] {
    log.push_back("adder");
    added.push_back(ev.Connect([&] { log.push_back("added"); }));
  });
  ev.Raise();
  ev.Raise();
  EXPECT_EQ(log, (Log{"first", "killer", "adder", "killer", "adder", "added"}));
}

TEST(EventTest, ReentrantRaiseRunsNestedRoundsToCompletion) {
  Event<int> ev;
  Log log;
  auto a = ev.Connect([&](int v) {
    log.push_back("a" + std::to_string(v));
    if (v > 0) ev.Raise(v - 1);
  });
  auto b = ev.Connect(Logger(log, "b"));
  ev.Raise(2);
  EXPECT_EQ(log, (Log{"a2", "a1", "a0", "b0", "b1", "b2"}));
}

TEST(EventTest, HandlerMayDestroyTheOwnerOfTheEvent) {
  struct Owner {
    Event<> Changed;
    Event<>::Connection own;  // dies with the owner
  };
  auto owner = std::make_unique<Owner>();
  Log log;
  auto destroyer = owner->Changed.Connect([&] {
    log.push_back("destroyer");
    owner.reset();
  });
  owner->own = owner->Changed.Connect([&] { log.push_back("own"); });
  auto outside = owner->Changed.Connect([&] { log.push_back("outside"); });
  owner->Changed.Raise();
  EXPECT_EQ(owner, nullptr);
  // The owner's own handler went with it; a listener that is still connected is called.
  EXPECT_EQ(log, (Log{"destroyer", "outside"}));
  EXPECT_FALSE(destroyer.Connected());
}

TEST(EventTest, ArgumentsReachEveryHandler) {
  Event<int&> byRef;
  Log log;
  auto scale = byRef.Connect([](int& v) { v *= 10; });
  auto bump = byRef.Connect([](int& v) { v += 1; });
  int x = 2;
  byRef.Raise(x);
  EXPECT_EQ(x, 21);
  // A value argument is not used up by the first handler.
  Event<std::string> byValue;
  auto h1 = byValue.Connect([&](std::string s) { log.push_back(std::move(s)); });
  auto h2 = byValue.Connect([&](std::string s) { log.push_back(std::move(s)); });
  byValue.Raise(std::string(40, 'x'));
  EXPECT_EQ(log, (Log{std::string(40, 'x'), std::string(40, 'x')}));
}

}  // namespace
}  // namespace ridirodev
