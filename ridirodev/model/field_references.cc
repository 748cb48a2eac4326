#include "ridirodev/model/field_references.h"

#include <cstdint>
#include <vector>

#include "ridirodev/model/busyhour/busy_hour_records.h"
#include "ridirodev/model/busyhour/busy_hours.h"
#include "ridirodev/model/field.h"
#include "ridirodev/model/fields.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/store/referencing_documents.h"

namespace ridirodev {
namespace {

std::vector<int32_t> IdsOf(const CFields& fields) {
  std::vector<int32_t> ids;
  for (const CFieldPtr& fld : fields) ids.push_back(fld->Id());
  return ids;
}

}  // namespace

void LoadFieldReferencingDocuments(MRidirodev& state, const std::shared_ptr<CFields>& fields,
                                   IFolderDocuments& documents) {
  if (!fields) {
    sql::LoadFieldReferencingDocuments(state.Services(), nullptr, documents);
    return;
  }
  const std::vector<int32_t> ids = IdsOf(*fields);
  sql::LoadFieldReferencingDocuments(state.Services(), &ids, documents);
}

void LoadFieldReferencingBusyHours(MRidirodev& state, const CFields& fields, CBusyHours& busyHours) {
  // Each busy hour is read, with its field and hours, while the row set that names it is open.
  sql::ForEachFieldBusyHourId(state.Services(), IdsOf(fields), [&](int32_t id) {
    auto bh = std::make_shared<CBusyHour>();
    LoadBusyHourById(state, *bh, id, true);
    busyHours.Add(bh);
  });
}

}  // namespace ridirodev
