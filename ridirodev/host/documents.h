#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ridirodev/core/object.h"

namespace ridirodev {

// A stored report or template of the host.
class IFolderDocument : public Object {
 public:
  virtual int32_t Id() const = 0;
  virtual std::string Name() const = 0;
  virtual std::string Kind() const = 0;  // "Report" or "Template"
  virtual bool IsExpressTemplate() const = 0;
};
using IFolderDocumentPtr = std::shared_ptr<IFolderDocument>;

// A collection of documents that the caller owns; it decides about duplicates.
class IFolderDocuments : public Object {
 public:
  virtual void Add(IFolderDocumentPtr document) = 0;
  virtual int32_t Count() const = 0;
  virtual IFolderDocumentPtr Item(int32_t position) const = 0;  // 1-based
};
using IFolderDocumentsPtr = std::shared_ptr<IFolderDocuments>;

// Gives the document of a kind for a numeric id.
class IDocumentHandler : public Object {
 public:
  virtual std::string Name() const = 0;
  virtual IFolderDocumentPtr Document(int32_t id) = 0;  // nullptr when there is none
};
using IDocumentHandlerPtr = std::shared_ptr<IDocumentHandler>;

class IFolderDocumentType : public Object {
 public:
  virtual std::string Name() const = 0;
  virtual std::string HandlerName() const = 0;  // "ReportHandler", "TemplateHandler", ...
};
using IFolderDocumentTypePtr = std::shared_ptr<IFolderDocumentType>;

class IFolderDocumentTypes : public Object {
 public:
  virtual int32_t Count() const = 0;
  virtual IFolderDocumentTypePtr Item(int32_t position) const = 0;  // 1-based
  virtual IFolderDocumentTypePtr Find(std::string_view name) const = 0;
};
using IFolderDocumentTypesPtr = std::shared_ptr<IFolderDocumentTypes>;

// A folder of the host: data-source folders and report folders.
class IFolder : public Object {
 public:
  virtual std::string Name() const = 0;
  virtual IFolderDocumentTypesPtr DocumentTypes() const = 0;
};
using IFolderPtr = std::shared_ptr<IFolder>;

}  // namespace ridirodev
