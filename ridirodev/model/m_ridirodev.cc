#include "ridirodev/model/m_ridirodev.h"

#include "ridirodev/host/services.h"
#include "ridirodev/model/busyhour/m_busy_hour.h"

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

}  // namespace

MRidirodev::MRidirodev(HostPtr host) : services_(std::move(host)) {}

MRidirodev::~MRidirodev() = default;

bool MRidirodev::FlexibleAggregationEnabled() { return Features().IsEnabled("FlexibleAggregation"); }

MRidirodev::FieldLookups* MRidirodev::BatchFieldLookups() noexcept { return fieldLookups_.get(); }

void MRidirodev::BeginOwnerBatch() {
  services_.BeginOwnerBatch();
  if (ownerBatches_++ == 0) fieldLookups_ = std::make_unique<FieldLookups>();
}

void MRidirodev::EndOwnerBatch() noexcept {
  if (ownerBatches_ > 0 && --ownerBatches_ == 0) fieldLookups_.reset();
  services_.EndOwnerBatch();
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
