#pragma once

// A fresh folder under the temporary folder, used as its path and removed with everything in
// it when the object goes.

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace ridirodev::testing {

class TempDir : public std::filesystem::path {
 public:
  TempDir() : path(Make()) {}
  ~TempDir() { std::filesystem::remove_all(*this, ec_); }  // best effort
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

 private:
  static std::filesystem::path Make() {
    std::string pattern = (std::filesystem::temp_directory_path() / "ridirodev_XXXXXX").string();
    return mkdtemp(pattern.data());
  }
  std::error_code ec_;
};

}  // namespace ridirodev::testing
