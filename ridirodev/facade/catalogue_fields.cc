// Fields, their collection, categories, and the qualifiers of fields.
#include "ridirodev/facade/binding.h"
#include "ridirodev/facade/catalogue_declarations.h"

namespace ridirodev {

void DeclareFieldClasses(Catalogue::Builder& /*b*/) {}

}  // namespace ridirodev
