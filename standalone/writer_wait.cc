#include "standalone/writer_wait.h"

#include <algorithm>
#include <chrono>
#include <iostream>
#include <iterator>
#include <thread>

namespace ridirodev::standalone {
namespace {

int64_t Now() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

WriterWaiting::WriterWaiting(WriterWait policy, std::string file)
    : policy_(std::move(policy)), file_(std::move(file)), startNanoseconds_(Now()) {}

bool WriterWaiting::Pause() {
  const int64_t waited = (Now() - startNanoseconds_) / 1'000'000;
  if (waited >= policy_.limitMilliseconds) return false;
  if (!told_ && waited >= 1000) {
    told_ = true;
    const std::string message = "waiting for another writer of " + file_ + "...";
    if (policy_.notice) {
      policy_.notice(message);
    } else {
      std::cerr << "ridirodev: " << message << std::endl;
    }
  }
  // Short at first, as most writes take milliseconds; never past the limit.
  static constexpr int64_t kSteps[] = {1, 2, 5, 10, 15, 20, 25, 25, 25, 50, 50};
  const int64_t step = pauses_ < static_cast<int>(std::size(kSteps)) ? kSteps[pauses_] : 100;
  ++pauses_;
  std::this_thread::sleep_for(std::chrono::milliseconds(std::min(step, policy_.limitMilliseconds - waited)));
  return true;
}

std::string WaitedTooLongText(const WriterWait& policy, std::string_view file) {
  const int64_t seconds = policy.limitMilliseconds / 1000;
  const std::string span = seconds >= 1 ? std::to_string(seconds) + (seconds == 1 ? " second" : " seconds")
                                        : std::to_string(policy.limitMilliseconds) + " ms";
  return "another writer kept " + std::string(file) + " busy for " + span +
         "; try again when it has finished";
}

}  // namespace ridirodev::standalone
