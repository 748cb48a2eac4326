#include "ridirodev/facade/registration.h"

#include <string>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/facade/dispatch.h"
#include "ridirodev/host/controls.h"

namespace ridirodev {
namespace {

const std::string kLibrary(Catalogue::kLibrary);

}  // namespace

void RegisterServer(IRegistryKey& root) {
  const Catalogue& catalogue = Catalogue::Instance();
  const IRegistryKeyPtr library = root.CreateKey("TypeLib")->CreateKey(kLibrary);
  library->WriteValue("Version", Catalogue::kVersion);
  library->WriteValue("Locale", std::to_string(Catalogue::kLocale));
  library->WriteValue("Classes", std::to_string(catalogue.Classes().size()));
  library->WriteValue("DispatchInterfaces", std::to_string(catalogue.DispatchInterfaceCount()));
  library->WriteValue("Enumerations", std::to_string(catalogue.Enums().size()));
  const IRegistryKeyPtr classes = root.CreateKey("Classes");
  for (const ClassInfo& cls : catalogue.Classes()) {
    const IRegistryKeyPtr key = classes->CreateKey(kLibrary + "." + cls.name);
    key->WriteValue("Instancing", InstancingName(cls.instancing));
    key->WriteValue("Library", kLibrary);
  }
}

void UnregisterServer(IRegistryKey& root) {
  if (const IRegistryKeyPtr libraries = root.OpenKey("TypeLib")) libraries->DeleteKey(kLibrary);
  if (const IRegistryKeyPtr classes = root.OpenKey("Classes")) {
    for (const ClassInfo& cls : Catalogue::Instance().Classes())
      classes->DeleteKey(kLibrary + "." + cls.name);
  }
}

std::function<ObjectPtr()> GetClassObject(std::string_view className) {
  const ClassInfo* cls = Catalogue::Instance().FindClass(className);
  if (!cls || cls->instancing == Instancing::kNotCreatable || !cls->create) {
    CreateObject(className);  // throws 429 with the reason
  }
  return cls->create;
}

bool CanUnloadNow() { return Object::LiveCount() == 0; }

}  // namespace ridirodev
