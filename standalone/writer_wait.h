#pragma once

// How a writer waits for another writer of the same file (the dictionary database, the
// settings file): up to a limit, and saying once, after a second, that it is waiting, so that a
// long wait is not taken for a hang.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace ridirodev::standalone {

struct WriterWait {
  int64_t limitMilliseconds = 60'000;
  // Receives "waiting for another writer of FILE..." once per wait; standard error when empty.
  std::function<void(std::string_view)> notice;
};

// One wait: Pause after each attempt that found the file taken.
class WriterWaiting {
 public:
  WriterWaiting(WriterWait policy, std::string file);
  // Sleeps a little longer each time, up to a tenth of a second; false, without sleeping, once
  // the limit has passed.
  bool Pause();

 private:
  WriterWait policy_;
  std::string file_;
  int64_t startNanoseconds_;
  int pauses_ = 0;
  bool told_ = false;
};

// The error text for a wait that ran out: who held the file and what to do.
std::string WaitedTooLongText(const WriterWait& policy, std::string_view file);

}  // namespace ridirodev::standalone
