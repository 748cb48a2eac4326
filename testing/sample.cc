#include "testing/sample.h"

#include "standalone/sample.h"
#include "standalone/schema.h"

namespace ridirodev::testing {

std::shared_ptr<standalone::StandaloneHost> SampleHost(standalone::StandaloneConfig config) {
  config.db = ":memory:";
  auto host = std::make_shared<standalone::StandaloneHost>(config);
  standalone::CreateDictionarySchema(host->Sqlite()->Connection()->Handle());
  standalone::LoadSampleDictionary(host->Sqlite()->Connection()->Handle(), {});
  return host;
}

std::shared_ptr<standalone::StandaloneHost> SampleHost(const std::function<void(standalone::StandaloneConfig&)>& set) {
  standalone::StandaloneConfig config;
  set(config);
  return SampleHost(config);
}

std::shared_ptr<standalone::SqliteDatabase> SampleDatabase(const std::string& path, bool withSample,
                                                           standalone::SqliteDatabaseOptions options) {
  options.create = true;
  auto db = std::make_shared<standalone::SqliteDatabase>(path, options);
  standalone::CreateDictionarySchema(db->Connection()->Handle());
  if (withSample) standalone::LoadSampleDictionary(db->Connection()->Handle(), {});
  return db;
}

}  // namespace ridirodev::testing
