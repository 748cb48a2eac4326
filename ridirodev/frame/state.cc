#include "ridirodev/frame/state.h"

#include <unordered_map>

#include "ridirodev/busyhour/m_busy_hour.h"
#include "ridirodev/host/services.h"

namespace ridirodev {
namespace {

struct ThreadSlot {
  HostPtr host;
  std::unique_ptr<MRidirodev> state;
};

ThreadSlot& Slot() {
  thread_local ThreadSlot slot;
  return slot;
}

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

MRidirodev::MRidirodev(HostPtr host) : host_(std::move(host)) {
  if (!host_) throw AutomationError(ErrorNumber::kObjectNotSet, "MRidirodev", "No host is installed.");
}

MRidirodev::~MRidirodev() = default;

struct MRidirodev::OwnerCache {
  std::unordered_map<int32_t, IAppUserPtr> users;
  FieldLookups fields;
};

MRidirodev::FieldLookups* MRidirodev::BatchFieldLookups() noexcept {
  return ownerCache_ ? &ownerCache_->fields : nullptr;
}

IAppUserPtr MRidirodev::UserById(int32_t id) {
  if (!ownerCache_) return FolderServices().UserById(id);
  auto [it, added] = ownerCache_->users.try_emplace(id);
  if (added) {
    try {
      it->second = FolderServices().UserById(id);
    } catch (...) {
      ownerCache_->users.erase(it);
      throw;
    }
  }
  return it->second;
}

void MRidirodev::BeginOwnerBatch() {
  if (ownerBatches_++ == 0) ownerCache_ = std::make_unique<OwnerCache>();
}

void MRidirodev::EndOwnerBatch() noexcept {
  if (ownerBatches_ > 0 && --ownerBatches_ == 0) ownerCache_.reset();
}

MRidirodev& MRidirodev::Current() {
  ThreadSlot& slot = Slot();
  if (!slot.state) slot.state = std::make_unique<MRidirodev>(slot.host);
  return *slot.state;
}

void MRidirodev::InstallHost(HostPtr host) {
  ThreadSlot& slot = Slot();
  slot.state.reset();
  slot.host = std::move(host);
}

HostPtr MRidirodev::InstalledHost() { return Slot().host; }

IDBObject& MRidirodev::Database() {
  return Ensure(database_, &Host::CreateDatabase, *host_, "database object");
}
IAppSupport& MRidirodev::Support() { return Ensure(support_, &Host::CreateSupport, *host_, "support services"); }
IAppGroupServices& MRidirodev::GroupServices() {
  return Ensure(groupServices_, &Host::CreateGroupServices, *host_, "application services");
}
IAppFeatures& MRidirodev::Features() {
  return Ensure(features_, &Host::CreateFeatures, *host_, "feature switches");
}
IXMLQueryService& MRidirodev::XmlQueryService() {
  return Ensure(xmlQueryService_, &Host::CreateXmlQueryService, *host_, "XML query service");
}
IFolderServices& MRidirodev::FolderServices() {
  return Ensure(folderServices_, &Host::CreateFolderServices, *host_, "folder services");
}
IAppMessages& MRidirodev::Messages() {
  return Ensure(messages_, &Host::CreateMessages, *host_, "message display");
}
IFontServices& MRidirodev::FontServices() {
  return Ensure(fontServices_, &Host::CreateFontServices, *host_, "font services");
}
IImageServices& MRidirodev::ImageServices() {
  return Ensure(imageServices_, &Host::CreateImageServices, *host_, "image services");
}

MRidirodevScope::MRidirodevScope(HostPtr host) {
  ThreadSlot& slot = Slot();
  previousHost_ = std::move(slot.host);
  previousState_ = std::move(slot.state);
  slot.host = std::move(host);
}

MRidirodevScope::~MRidirodevScope() {
  ThreadSlot& slot = Slot();
  slot.state.reset();  // releases everything the scope's state cached before the old host returns
  slot.host = std::move(previousHost_);
  slot.state = std::move(previousState_);
}

MRidirodev& MRidirodevScope::State() const { return MRidirodev::Current(); }

}  // namespace ridirodev
