#pragma once

// Interfaces the component implements for the host's list views, trees, registry area,
// property bags and dialogs. They do not derive from Object: the implementing class does.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "ridirodev/core/variant.h"
#include "ridirodev/host/controls.h"
#include "ridirodev/host/documents.h"
#include "ridirodev/host/graphics.h"

namespace ridirodev {

class IDBObjectInitializer {
 public:
  virtual ~IDBObjectInitializer() = default;
  virtual bool Initialize() = 0;
};

class ILVItemObject {
 public:
  virtual ~ILVItemObject() = default;
  virtual std::string Key() const = 0;
  virtual Variant Value(int32_t column) const = 0;
  // The values a cell offers for in-place editing, given the cell's current text.
  virtual std::string ValueList(int32_t column, const std::string& text) const = 0;
  virtual int32_t Compare(int32_t column, const ILVItemObject& other) const = 0;
};
using ILVItemObjectPtr = std::shared_ptr<ILVItemObject>;

class ILVItemCollection {
 public:
  virtual ~ILVItemCollection() = default;
  virtual std::shared_ptr<ILVItemCollection> Create() const = 0;
  // Adds the item and hands it back as the view's item.
  virtual ILVItemObjectPtr Add(ILVItemObjectPtr item) = 0;
  virtual void Delete(const Variant& keyOrIndex) = 0;
  virtual int32_t Count() const = 0;
  virtual ILVItemObjectPtr Item(const Variant& keyOrIndex) const = 0;
};
using ILVItemCollectionPtr = std::shared_ptr<ILVItemCollection>;

class ITreeNode;

class ITreeNodeItem {
 public:
  virtual ~ITreeNodeItem() = default;
  virtual std::shared_ptr<ITreeNodeItem> Clone() const = 0;
  virtual void Copy(const ITreeNode& from) = 0;
  virtual void Clear() = 0;
  virtual int32_t Compare(const ITreeNodeItem& other) const = 0;
  virtual std::string Key() const = 0;
};
using ITreeNodeItemPtr = std::shared_ptr<ITreeNodeItem>;

class IAppRegistryHandler {
 public:
  virtual ~IAppRegistryHandler() = default;
  virtual std::string Name() const = 0;
  virtual int32_t Kind() const = 0;
  virtual void LoadRegistryData(IRegistryKey& node) = 0;
  virtual void SaveRegistryData(IRegistryKey& node) = 0;
};

// The host's XML property bag: named values read and written by a persistable object.
class IPropertyBag {
 public:
  virtual ~IPropertyBag() = default;
  virtual Variant ReadProperty(std::string_view name, const Variant& defaultValue = Variant()) const = 0;
  virtual void WriteProperty(std::string_view name, const Variant& value,
                             const Variant& defaultValue = Variant()) = 0;
};

class IXMLPropertyBag {
 public:
  virtual ~IXMLPropertyBag() = default;
  virtual void WriteProperties(IPropertyBag& bag) const = 0;
  virtual void ReadProperties(const IPropertyBag& bag) = 0;
};

class ILVItemColorManager {
 public:
  virtual ~ILVItemColorManager() = default;
  virtual int32_t ItemColor(const ILVItemObject& item) const = 0;
};

class ILVItemFontManager {
 public:
  virtual ~ILVItemFontManager() = default;
  virtual FontRef FontHandle(const ILVItemObject& item) const = 0;
  virtual void InitializeFonts(const IListControl& list) = 0;
};

class ILVItemImageManager {
 public:
  virtual ~ILVItemImageManager() = default;
  virtual std::string ImageKey(const ILVItemObject& item) const = 0;
  virtual int32_t OverlayIndex(const ILVItemObject& item) const = 0;
  virtual void InitializeImageLists(IImageList* smallList, IImageList* largeList) = 0;
};

class IAppDocTypeSelector {
 public:
  virtual ~IAppDocTypeSelector() = default;
  virtual bool SelectFolderDocumentType(IFolderDocumentTypePtr& dbfdt, IFolderDocumentTypesPtr dbfdts,
                                        std::string_view sTitle, std::string_view sLabel) = 0;
};

}  // namespace ridirodev
