#pragma once
// The declarations of the catalogue, one function per family of classes, called in catalogue
// order.
#include "ridirodev/facade/dispatch.h"

namespace ridirodev {

void DeclareCatalogue(Catalogue::Builder& b);
// The global objects, the change announcer, templates and their categories, the dialogs' classes.
void DeclareFrameClasses(Catalogue::Builder& b);
// Fields, their collection, categories, and the qualifiers of fields.
void DeclareFieldClasses(Catalogue::Builder& b);
// Functions, operators, enumerated values, data files, calculation references, busy hours.
void DeclareQualifierClasses(Catalogue::Builder& b);
// Filters, template fields, property filters, filter definitions, clipboards, RCV forms.
void DeclareFilterClasses(Catalogue::Builder& b);

}  // namespace ridirodev
