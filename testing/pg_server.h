#pragma once
// The PostgreSQL server of the tests: the one RIDIRODEV_TEST_PG names (scripts/pg-cluster run
// starts a throwaway one and sets it). Each test gets a database of its own, dropped after it.
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace ridirodev::testing {

inline const char* TestServer() {
  const char* server = std::getenv("RIDIRODEV_TEST_PG");
  return server && *server ? server : nullptr;
}

#define RIDIRODEV_NEEDS_PG_SERVER() \
  if (!::ridirodev::testing::TestServer()) GTEST_SKIP() << "RIDIRODEV_TEST_PG names no PostgreSQL server"

// Runs statements (';' between them) on the server of conninfo; throws with the server's message.
inline void RunOn(const std::string& conninfo, const std::string& sql) {
  PGconn* conn = PQconnectdb(conninfo.c_str());
  PGresult* r = PQexec(conn, sql.c_str());
  const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK;
  const std::string error = PQerrorMessage(conn);
  PQclear(r);
  PQfinish(conn);
  if (!ok) throw std::runtime_error(sql + ": " + error);
}

class ScratchDatabase {
 public:
  ScratchDatabase() {
    static std::atomic<int> counter{0};
    name_ = "scratch_" + std::to_string(getpid()) + "_" + std::to_string(counter++);
    RunOn(TestServer(), "CREATE DATABASE " + name_ + " TEMPLATE template0");
  }
  ScratchDatabase(const ScratchDatabase&) = delete;
  ScratchDatabase& operator=(const ScratchDatabase&) = delete;
  ~ScratchDatabase() {
    try {
      RunOn(TestServer(), "DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
    } catch (const std::exception& e) {
      ADD_FAILURE() << e.what();
    }
  }
  const std::string& Name() const { return name_; }
  // The server's connection text with this database.
  std::string Address() const { return std::string(TestServer()) + " dbname=" + name_; }
  void Run(const std::string& sql) const { RunOn(Address(), sql); }

 private:
  std::string name_;
};

}  // namespace ridirodev::testing
