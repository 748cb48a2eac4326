// The global objects, the change announcer, templates and their categories, the dialogs' classes.
#include "ridirodev/facade/binding.h"
#include "ridirodev/facade/catalogue_declarations.h"

namespace ridirodev {

void DeclareFrameClasses(Catalogue::Builder& /*b*/) {}

}  // namespace ridirodev
