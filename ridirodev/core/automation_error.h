#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace ridirodev {

// Error numbers of the automation platform that callers test for.
namespace ErrorNumber {
inline constexpr int32_t kInvalidArgument = 5;
inline constexpr int32_t kOverflow = 6;
inline constexpr int32_t kSubscriptOutOfRange = 9;
inline constexpr int32_t kTypeMismatch = 13;
inline constexpr int32_t kObjectNotSet = 91;
inline constexpr int32_t kInvalidUseOfNull = 94;
inline constexpr int32_t kCannotCreateObject = 429;
inline constexpr int32_t kNoSuchMember = 438;
inline constexpr int32_t kWrongArguments = 450;
inline constexpr int32_t kDuplicateKey = 457;
// Raised by a row set's Fields collection for a column it does not have.
inline constexpr int32_t kItemNotFound = 3265;
}  // namespace ErrorNumber

// An automation error: number, source and description, as the host sees it.
class AutomationError : public std::exception {
 public:
  AutomationError(int32_t number, std::string source, std::string description)
      : number_(number), source_(std::move(source)), description_(std::move(description)) {}

  int32_t Number() const noexcept { return number_; }
  const std::string& Source() const noexcept { return source_; }
  const std::string& Description() const noexcept { return description_; }
  const char* what() const noexcept override { return description_.c_str(); }

 private:
  int32_t number_;
  std::string source_;
  std::string description_;
};

}  // namespace ridirodev
