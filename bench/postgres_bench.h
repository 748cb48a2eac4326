#pragma once
#include <cstdint>
#include <string>

namespace ridirodev::bench {

// The server of the PostgreSQL cases with a dictionary whose large entity holds the given number
// of fields, for the life of the object (main makes it when those cases run).
class PostgresBench {
 public:
  explicit PostgresBench(int32_t fields);
  ~PostgresBench();
  PostgresBench(const PostgresBench&) = delete;
  PostgresBench& operator=(const PostgresBench&) = delete;
  // Why the cases are skipped, or "".
  std::string Unavailable() const;
};

}  // namespace ridirodev::bench
