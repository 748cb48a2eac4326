#pragma once

// The sample dictionary for the tests of the standalone host and the tool: a host over it in memory, a bare
// database object, readers of query results and files, and a fixture that installs the host. Its own target,
// so that the component's tests never link the standalone host.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "ridirodev/model/m_ridirodev.h"
#include "standalone/host.h"
#include "standalone/sqlite_database.h"

namespace ridirodev::testing {

// A host over the sample in a database of its own in memory (config.db is replaced), opened but with nothing
// handed out yet: failure injection and the trace may still be asked for.
std::shared_ptr<standalone::StandaloneHost> SampleHost(standalone::StandaloneConfig config = {});
// The same, with the configuration changed by set first: SampleHost([](auto& c) { c.trace = true; }).
std::shared_ptr<standalone::StandaloneHost> SampleHost(const std::function<void(standalone::StandaloneConfig&)>& set);

// A dictionary database at path, created with the schema and, unless withSample is false, the sample.
std::shared_ptr<standalone::SqliteDatabase> SampleDatabase(const std::string& path = ":memory:",
                                                           bool withSample = true,
                                                           standalone::SqliteDatabaseOptions options = {});

// The engines the suites of the shared dictionary run on.
enum class TestEngine { kSqlite, kPostgres };
// The sample dictionary (or, withSample false, only the schema) on engine: in memory, or in a
// database of its own on the test server, dropped with the object.
std::shared_ptr<engine::EngineDatabase> SampleOn(TestEngine engine, bool withSample = true);
// "Sqlite" or "Postgres", for INSTANTIATE_TEST_SUITE_P.
std::string EngineName(const ::testing::TestParamInfo<TestEngine>& info);
// Skips the test on PostgreSQL when no test server is named (first thing in SetUp).
#define RIDIRODEV_SKIP_WITHOUT_SERVER(engine)                                                            \
  if ((engine) == ::ridirodev::testing::TestEngine::kPostgres && !::ridirodev::testing::HasTestServer()) \
  GTEST_SKIP() << "RIDIRODEV_TEST_PG names no PostgreSQL server"
bool HasTestServer();
#define RIDIRODEV_ON_EVERY_ENGINE(suite)                                                   \
  INSTANTIATE_TEST_SUITE_P(Engines, suite,                                                 \
                           ::testing::Values(::ridirodev::testing::TestEngine::kSqlite,    \
                                             ::ridirodev::testing::TestEngine::kPostgres), \
                           ::ridirodev::testing::EngineName)

// The rows of sql's result as texts, columns joined by '|', nulls as null; a statement that
// fails fails the test.
std::vector<std::string> Rows(engine::EngineDatabase& db, const std::string& sql,
                              const std::string& null = "NULL");
// The first of those rows, "<no row>" when there is none.
std::string FirstRow(engine::EngineDatabase& db, const std::string& sql, const std::string& null = "NULL");
// Runs sql (one statement or several); a failure fails the test.
void Exec(engine::EngineDatabase& db, const std::string& sql);
// The id of a Traffic field of the sample, by entity and name.
int32_t SampleFieldId(engine::EngineDatabase& db, int32_t entity, const std::string& name);

// Everything in the file, byte for byte ("" when it cannot be read).
std::string ReadFile(const std::filesystem::path& file);
// How many times part stands in text.
size_t Occurrences(std::string_view text, std::string_view part);

// What is written to a stream while the object lives, instead of the stream's own target.
class Captured {
 public:
  explicit Captured(std::ostream& stream = std::cerr) : stream_(stream), old_(stream.rdbuf(text_.rdbuf())) {}
  ~Captured() { stream_.rdbuf(old_); }
  Captured(const Captured&) = delete;
  Captured& operator=(const Captured&) = delete;
  std::string Text() const { return text_.str(); }
  void Clear() { text_.str(""); }

 private:
  std::ostringstream text_;
  std::ostream& stream_;
  std::streambuf* old_;
};

// The sample host installed for the test's thread; its message boxes (standard error) are
// captured in boxes_ and answered as given.
class SampleHostTest : public ::testing::Test {
 protected:
  explicit SampleHostTest(std::string answer = "yes") { Start(std::move(answer)); }
  // As the tool starts: a new host and state, answering the message boxes as given.
  void Start(std::string answer) {
    scope_.reset();
    host_ = SampleHost([&](auto& c) { c.messageBoxAnswer = std::move(answer); });
    scope_.emplace(host_);
  }
  sqlite3* Db() const { return host_->Sqlite()->Connection()->Handle(); }
  engine::EngineDatabase& Dictionary() const { return *host_->Dictionary(); }

  Captured boxes_;
  std::shared_ptr<standalone::StandaloneHost> host_;
  std::optional<MRidirodevScope> scope_;
};

}  // namespace ridirodev::testing
