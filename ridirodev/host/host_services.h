#pragma once

#include <cstdint>
#include <memory>

#include "ridirodev/host/host.h"

namespace ridirodev {

// The host objects the component uses, each made through the host on first use and kept, and
// the host's users by id. Lower layers take this instead of the component's state, so that a
// missing host object is still reported by the call that first needs it.
class HostServices {
 public:
  // Error 91 when there is no host.
  explicit HostServices(HostPtr host);
  HostServices(const HostServices&) = delete;
  HostServices& operator=(const HostServices&) = delete;
  ~HostServices();

  Host& HostObject() const { return *host_; }

  IDBObject& Database();
  IAppSupport& Support();
  IAppGroupServices& GroupServices();
  IAppFeatures& Features();
  IXMLQueryService& XmlQueryService();
  IFolderServices& FolderServices();
  IAppMessages& Messages();
  IFontServices& FontServices();
  // For an object that releases its fonts when it goes, which may be after this object.
  const IFontServicesPtr& SharedFontServices();
  IImageServices& ImageServices();

  // The host's user of an id (nullptr for unknown). Inside an owner batch (the reading of one
  // row set of fields, whose rows share few owners) each id is asked of the host once.
  IAppUserPtr UserById(int32_t id);
  void BeginOwnerBatch();
  void EndOwnerBatch() noexcept;

 private:
  HostPtr host_;
  IDBObjectPtr database_;
  IAppSupportPtr support_;
  IAppGroupServicesPtr groupServices_;
  IAppFeaturesPtr features_;
  IXMLQueryServicePtr xmlQueryService_;
  IFolderServicesPtr folderServices_;
  IAppMessagesPtr messages_;
  IFontServicesPtr fontServices_;
  IImageServicesPtr imageServices_;
  struct Users;
  std::unique_ptr<Users> users_;  // while a batch is open
  int32_t batches_ = 0;
};

}  // namespace ridirodev
