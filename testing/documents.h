#pragma once

// Documents, document types and folders of the host, as plain values.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ridirodev/core/text.h"
#include "ridirodev/host/documents.h"

namespace ridirodev::testing {

class TestFolderDocument final : public IFolderDocument {
 public:
  TestFolderDocument(int32_t id, std::string name, std::string kind = "Report", bool expressTemplate = false)
      : id_(id), name_(std::move(name)), kind_(std::move(kind)), express_(expressTemplate) {}

  int32_t Id() const override { return id_; }
  std::string Name() const override { return name_; }
  std::string Kind() const override { return kind_; }
  bool IsExpressTemplate() const override { return express_; }

 private:
  int32_t id_;
  std::string name_;
  std::string kind_;
  bool express_;
};

// Keeps what it is given, duplicates included: the caller decides about them.
class TestFolderDocuments final : public IFolderDocuments {
 public:
  void Add(IFolderDocumentPtr document) override { documents_.push_back(std::move(document)); }
  int32_t Count() const override { return static_cast<int32_t>(documents_.size()); }
  IFolderDocumentPtr Item(int32_t position) const override {
    if (position < 1 || position > Count()) return nullptr;
    return documents_[static_cast<size_t>(position) - 1];
  }

 private:
  std::vector<IFolderDocumentPtr> documents_;
};

class TestDocumentHandler final : public IDocumentHandler {
 public:
  explicit TestDocumentHandler(std::string name) : name_(std::move(name)) {}

  void AddDocument(IFolderDocumentPtr document) {
    const int32_t id = document->Id();
    documents_[id] = std::move(document);
  }
  std::string Name() const override { return name_; }
  IFolderDocumentPtr Document(int32_t id) override {
    requested_.push_back(id);
    auto found = documents_.find(id);
    return found == documents_.end() ? nullptr : found->second;
  }
  // The ids asked for, in order.
  const std::vector<int32_t>& Requested() const noexcept { return requested_; }

 private:
  std::string name_;
  std::map<int32_t, IFolderDocumentPtr> documents_;
  std::vector<int32_t> requested_;
};
using TestDocumentHandlerPtr = std::shared_ptr<TestDocumentHandler>;

class TestFolderDocumentType final : public IFolderDocumentType {
 public:
  TestFolderDocumentType(std::string name, std::string handlerName = "ReportHandler")
      : name_(std::move(name)), handler_(std::move(handlerName)) {}

  std::string Name() const override { return name_; }
  std::string HandlerName() const override { return handler_; }

 private:
  std::string name_;
  std::string handler_;
};

// Find compares names without regard to case.
class TestFolderDocumentTypes final : public IFolderDocumentTypes {
 public:
  TestFolderDocumentTypes() = default;
  explicit TestFolderDocumentTypes(std::vector<IFolderDocumentTypePtr> types) : types_(std::move(types)) {}

  void Add(IFolderDocumentTypePtr type) { types_.push_back(std::move(type)); }
  int32_t Count() const override { return static_cast<int32_t>(types_.size()); }
  IFolderDocumentTypePtr Item(int32_t position) const override {
    if (position < 1 || position > Count()) return nullptr;
    return types_[static_cast<size_t>(position) - 1];
  }
  IFolderDocumentTypePtr Find(std::string_view name) const override {
    for (const auto& type : types_) {
      if (EqualsNoCase(type->Name(), name)) return type;
    }
    return nullptr;
  }

 private:
  std::vector<IFolderDocumentTypePtr> types_;
};
using TestFolderDocumentTypesPtr = std::shared_ptr<TestFolderDocumentTypes>;

class TestFolder final : public IFolder {
 public:
  explicit TestFolder(std::string name) : name_(std::move(name)) {}

  std::string Name() const override { return name_; }
  IFolderDocumentTypesPtr DocumentTypes() const override { return types_; }
  TestFolderDocumentTypes& Types() noexcept { return *types_; }

 private:
  std::string name_;
  TestFolderDocumentTypesPtr types_ = std::make_shared<TestFolderDocumentTypes>();
};
using TestFolderPtr = std::shared_ptr<TestFolder>;

}  // namespace ridirodev::testing
