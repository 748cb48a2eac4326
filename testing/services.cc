#include "testing/services.h"

namespace ridirodev::testing {

int32_t TestMessages::MessageBox(std::string_view text, int32_t style, std::string_view caption) {
  boxes_.push_back({std::string(text), style, std::string(caption)});
  switch (style & 0x0F) {
    case 2:  // Abort, Retry, Ignore
      return 3;
    case 3:  // Yes, No, Cancel
    case MessageBoxStyle::kYesNo:
      return MessageBoxResult::kYes;
    case 5:  // Retry, Cancel
      return 4;
    default:  // Ok, or Ok and Cancel
      return MessageBoxResult::kOk;
  }
}

namespace {

class TestDocumentHandler final : public IDocumentHandler {
 public:
  TestDocumentHandler(std::string kind, std::shared_ptr<const std::vector<IFolderDocumentPtr>> documents)
      : kind_(std::move(kind)), documents_(std::move(documents)) {}
  std::string Name() const override { return kind_ + "Handler"; }
  IFolderDocumentPtr Document(int32_t id) override {
    for (const auto& document : *documents_) {
      if (document->Kind() == kind_ && document->Id() == id) return document;
    }
    return nullptr;
  }

 private:
  std::string kind_;
  std::shared_ptr<const std::vector<IFolderDocumentPtr>> documents_;
};

}  // namespace

IDocumentHandlerPtr TestFolderServices::DocumentHandler(std::string_view name) {
  for (std::string kind : {"Report", "Template"}) {
    if (EqualsNoCase(name, kind + "Handler")) return std::make_shared<TestDocumentHandler>(kind, documents_);
  }
  return nullptr;
}

IAppUserPtr TestFolderServices::UserByName(std::string_view name) {
  for (const auto& user : users_) {
    if (EqualsNoCase(user->Name(), name)) return user;
  }
  return nullptr;
}

IAppUserPtr TestFolderServices::UserById(int32_t id) {
  ++userByIdCalls_;
  for (const auto& user : users_) {
    if (user->Id() == id) return user;
  }
  return nullptr;
}

}  // namespace ridirodev::testing
