// Starts the component on the standalone host over the sample dictionary in memory, loads the
// Traffic template's fields of the Cell entity and adds a calculation there.
#include <iostream>
#include <memory>
#include <string>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/date.h"
#include "ridirodev/core/variant.h"
#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/facade/initializer.h"
#include "ridirodev/host/services.h"
#include "ridirodev/model/app_group_template.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/field_category.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/model/m_ridirodev.h"
#include "standalone/host.h"
#include "standalone/sample.h"
#include "standalone/schema.h"
#include "standalone/sqlite_database.h"

using namespace ridirodev;

int main() try {
  // The host: a dictionary database in memory, filled with the sample.
  standalone::StandaloneConfig config;  // StandaloneConfig::Load() reads the user's file instead
  config.db = ":memory:";
  config.user = "admin";  // who works: a user of the sample, who owns what is added
  auto host = std::make_shared<standalone::StandaloneHost>(config);
  standalone::CreateDictionarySchema(host->Sqlite()->Connection()->Handle());
  standalone::LoadSampleDictionary(*host->Sqlite(), {});

  // The component's state for this thread, on that host, until the scope ends.
  MRidirodevScope scope(host);
  CRidirodevInitializer().Initialize();

  const auto traffic = GRidirodev::AppGroupTemplate("Traffic");
  const auto cell = GRidirodev::LookupCategoryByName("Traffic", "CellSite");
  const auto fields = traffic->Fields(cell->Id());
  std::cout << fields->Count() << " Traffic fields at " << cell->Label() << ", the first "
            << fields->Item(Variant(1))->Name() << "\n";

  // A calculation: id 0 (the database gives one), name, entity, template, field type, technology
  // bits, data type, nulls allowed, headings, description, aggregator, owner id, text, changed.
  const int32_t owner = MRidirodev::Current().FolderServices().CurrentUser()->Id();
  auto calc = std::make_shared<CField>();
  calc->Initialize(0, "Minutes_Per_Attempt", cell->Id(), "Traffic", "UDC", 0, "F", true, "MOU per", "Attempt",
                   "Minutes of use per call attempt", "AVG", owner,
                   "Minutes_Of_Use / NULLIF(Call_Attempts, 0)", Date::Now());
  if (!cell->AddExpression(calc)) return 1;  // the host's error reporter has said why
  std::string status;
  GRidirodev::GetExpressionError(Variant(calc->Id()), status);
  const auto stored = GRidirodev::GetFieldFromId("Traffic", Variant(calc->Id()));
  std::cout << "Added " << stored->Name() << " (id " << stored->Id() << ", status " << status
            << "): " << stored->CalcSource() << "\n";
  return 0;
} catch (const AutomationError& e) {
  std::cerr << "error " << e.Number() << ": " << e.Description() << "\n";
  return 1;
}
