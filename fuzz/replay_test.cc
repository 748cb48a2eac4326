#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "fuzz/targets.h"

namespace ridirodev::fuzz {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Every seed and every input that once broke a target, run under the sanitizers of this build.
TEST(FuzzReplayTest, EveryCorpusFileRunsCleanly) {
  for (const Target& target : Targets()) {
    const fs::path folder = fs::path(RIDIRODEV_FUZZ_CORPUS) / target.name;
    ASSERT_TRUE(fs::is_directory(folder)) << folder;
    int files = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
      SCOPED_TRACE(entry.path().string());
      EXPECT_NO_THROW(target.run(ReadFile(entry.path())));
      ++files;
    }
    EXPECT_GT(files, 0) << folder << " holds no seed";
  }
}

TEST(FuzzReplayTest, EveryCorpusFolderHasItsTarget) {
  for (const auto& entry : fs::directory_iterator(RIDIRODEV_FUZZ_CORPUS)) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(std::ranges::any_of(Targets(), [&](const Target& t) { return t.name == name; })) << name;
  }
}

}  // namespace
}  // namespace ridirodev::fuzz
