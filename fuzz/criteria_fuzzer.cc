#include <cstddef>
#include <cstdint>

#include "fuzz/targets.h"

// A finding thrown as an exception ends in std::terminate, which the fuzzer reports as a crash.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ridirodev::fuzz::FuzzCriteria({reinterpret_cast<const char*>(data), size});
  return 0;
}
