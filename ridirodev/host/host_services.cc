#include "ridirodev/host/host_services.h"

#include <string>
#include <unordered_map>

#include "ridirodev/host/services.h"

namespace ridirodev {
namespace {

// Creates a host object on first use and keeps it; a host that cannot make one is an
// object that was never set.
template <class T>
T& Ensure(std::shared_ptr<T>& slot, std::shared_ptr<T> (Host::*make)(), Host& host, const char* what) {
  if (!slot) {
    slot = (host.*make)();
    if (!slot) {
      throw AutomationError(ErrorNumber::kObjectNotSet, "MRidirodev",
                            std::string("The host did not supply the ") + what + ".");
    }
  }
  return *slot;
}

}  // namespace

struct HostServices::Users {
  std::unordered_map<int32_t, IAppUserPtr> byId;
};

HostServices::HostServices(HostPtr host) : host_(std::move(host)) {
  if (!host_) throw AutomationError(ErrorNumber::kObjectNotSet, "MRidirodev", "No host is installed.");
}

HostServices::~HostServices() = default;

IAppUserPtr HostServices::UserById(int32_t id) {
  if (!users_) return FolderServices().UserById(id);
  auto [it, added] = users_->byId.try_emplace(id);
  if (added) {
    try {
      it->second = FolderServices().UserById(id);
    } catch (...) {
      users_->byId.erase(it);
      throw;
    }
  }
  return it->second;
}

void HostServices::BeginOwnerBatch() {
  if (batches_++ == 0) users_ = std::make_unique<Users>();
}

void HostServices::EndOwnerBatch() noexcept {
  if (batches_ > 0 && --batches_ == 0) users_.reset();
}

IDBObject& HostServices::Database() {
  return Ensure(database_, &Host::CreateDatabase, *host_, "database object");
}
IAppSupport& HostServices::Support() { return Ensure(support_, &Host::CreateSupport, *host_, "support services"); }
IAppGroupServices& HostServices::GroupServices() {
  return Ensure(groupServices_, &Host::CreateGroupServices, *host_, "application services");
}
IAppFeatures& HostServices::Features() {
  return Ensure(features_, &Host::CreateFeatures, *host_, "feature switches");
}
IXMLQueryService& HostServices::XmlQueryService() {
  return Ensure(xmlQueryService_, &Host::CreateXmlQueryService, *host_, "XML query service");
}
IFolderServices& HostServices::FolderServices() {
  return Ensure(folderServices_, &Host::CreateFolderServices, *host_, "folder services");
}
IAppMessages& HostServices::Messages() {
  return Ensure(messages_, &Host::CreateMessages, *host_, "message display");
}
IFontServices& HostServices::FontServices() {
  return Ensure(fontServices_, &Host::CreateFontServices, *host_, "font services");
}
const IFontServicesPtr& HostServices::SharedFontServices() {
  FontServices();
  return fontServices_;
}
IImageServices& HostServices::ImageServices() {
  return Ensure(imageServices_, &Host::CreateImageServices, *host_, "image services");
}

}  // namespace ridirodev
