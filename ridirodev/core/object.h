#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

namespace ridirodev {

// Base of every automation object. Counts the live objects of the process so that the
// host can ask whether the component may be unloaded.
class Object {
 public:
  Object() noexcept { live_.fetch_add(1, std::memory_order_relaxed); }
  Object(const Object&) noexcept { live_.fetch_add(1, std::memory_order_relaxed); }
  Object& operator=(const Object&) noexcept = default;
  virtual ~Object() { live_.fetch_sub(1, std::memory_order_relaxed); }

  static int64_t LiveCount() noexcept { return live_.load(std::memory_order_relaxed); }

 private:
  static inline std::atomic<int64_t> live_{0};
};

using ObjectPtr = std::shared_ptr<Object>;

}  // namespace ridirodev
