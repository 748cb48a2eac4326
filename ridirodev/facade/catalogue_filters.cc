// Filters, template fields, property filters, filter definitions, clipboards, RCV forms.
#include "ridirodev/facade/binding.h"
#include "ridirodev/facade/catalogue_declarations.h"

namespace ridirodev {

void DeclareFilterClasses(Catalogue::Builder& /*b*/) {}

}  // namespace ridirodev
