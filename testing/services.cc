#include "testing/services.h"

namespace ridirodev::testing {

int32_t TestMessages::MessageBox(std::string_view text, int32_t style, std::string_view caption) {
  boxes_.push_back({std::string(text), style, std::string(caption)});
  // First buttons of Ok; Ok, Cancel; Abort (3), Retry, Ignore; Yes, No, Cancel; Yes, No; Retry (4), Cancel.
  constexpr int32_t kFirst[] = {MessageBoxResult::kOk, MessageBoxResult::kOk, 3, MessageBoxResult::kYes,
                                MessageBoxResult::kYes, 4};
  const int32_t buttons = style & 0x0F;
  return buttons < 6 ? kFirst[buttons] : MessageBoxResult::kOk;
}

namespace {

class TestDocumentHandler final : public IDocumentHandler {
 public:
  TestDocumentHandler(std::string kind, std::shared_ptr<const std::vector<IFolderDocumentPtr>> documents)
      : kind_(std::move(kind)), documents_(std::move(documents)) {}
  std::string Name() const override { return kind_ + "Handler"; }
  IFolderDocumentPtr Document(int32_t id) override {
    for (const auto& document : *documents_)
      if (document->Kind() == kind_ && document->Id() == id) return document;
    return nullptr;
  }

 private:
  std::string kind_;
  std::shared_ptr<const std::vector<IFolderDocumentPtr>> documents_;
};

}  // namespace

IDocumentHandlerPtr TestFolderServices::DocumentHandler(std::string_view name) {
  for (std::string kind : {"Report", "Template"})
    if (EqualsNoCase(name, kind + "Handler")) return std::make_shared<TestDocumentHandler>(kind, documents_);
  return nullptr;
}

IAppUserPtr TestFolderServices::UserByName(std::string_view name) {
  for (const auto& user : users_)
    if (EqualsNoCase(user->Name(), name)) return user;
  return nullptr;
}

IAppUserPtr TestFolderServices::UserById(int32_t id) {
  ++userByIdCalls_;
  for (const auto& user : users_)
    if (user->Id() == id) return user;
  return nullptr;
}

}  // namespace ridirodev::testing
