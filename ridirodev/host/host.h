#pragma once

#include <memory>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/host/controls.h"
#include "ridirodev/host/database.h"
#include "ridirodev/host/graphics.h"
#include "ridirodev/host/services.h"

namespace ridirodev {

// The factories of every host object the component uses. The global state asks once for
// each global object and keeps it; the per-use objects are asked for each time.
class Host {
 public:
  virtual ~Host() = default;

  // Global objects, created on first use and kept.
  virtual IDBObjectPtr CreateDatabase() = 0;
  virtual IAppSupportPtr CreateSupport() = 0;
  virtual IAppGroupServicesPtr CreateGroupServices() = 0;
  virtual IAppFeaturesPtr CreateFeatures() = 0;
  virtual IXMLQueryServicePtr CreateXmlQueryService() = 0;
  virtual IFolderServicesPtr CreateFolderServices() = 0;
  virtual IAppMessagesPtr CreateMessages() = 0;
  virtual IFontServicesPtr CreateFontServices() = 0;
  virtual IImageServicesPtr CreateImageServices() = 0;

  // A new object per use.
  virtual IDBProcedureCallPtr CreateProcedureCall() = 0;
  virtual IXMLQueryTextPtr CreateXmlQueryText() = 0;
  virtual IAppErrorReporterPtr CreateErrorReporter(const AutomationError& current) = 0;
  virtual ITreeNodePtr CreateTreeNode() = 0;
  virtual ITreeIteratorPtr CreateTreeIterator() = 0;
};
using HostPtr = std::shared_ptr<Host>;

}  // namespace ridirodev
