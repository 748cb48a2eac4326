#pragma once

// What stored documents and busy hours use fields, asked before calculations are deleted.

#include <memory>

namespace ridirodev {

class CBusyHours;
class CFields;
class IFolderDocuments;
class MRidirodev;

// Adds to documents the reports that use each field, then the templates (see
// sql::LoadFieldReferencingDocuments); no fields is shown as the error it is.
void LoadFieldReferencingDocuments(MRidirodev& state, const std::shared_ptr<CFields>& fields,
                                   IFolderDocuments& documents);

// Adds to busyHours every stored busy hour defined on one of the fields, with its hours. A stop
// asked by the folder services ends the walk; errors reach the caller.
void LoadFieldReferencingBusyHours(MRidirodev& state, const CFields& fields, CBusyHours& busyHours);

}  // namespace ridirodev
