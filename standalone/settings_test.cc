#include "standalone/settings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/facade/dispatch.h"
#include "ridirodev/facade/registration.h"
#include "standalone/registry_key.h"
#include "standalone/support.h"
#include "testing/errors.h"
#include "testing/sample.h"
#include "testing/temp_dir.h"

namespace ridirodev::standalone {
namespace {

namespace fs = std::filesystem;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

// A settings document around the given content of its settings element.
std::string Doc(std::string_view settings) {
  return "<ridirodev-settings version='1'><settings>" + std::string(settings) +
         "</settings></ridirodev-settings>";
}

class SettingsFileTest : public ::testing::Test {
 protected:
  void Write(const fs::path& p, std::string_view text) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
  }
  std::vector<std::string> FolderFiles() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(file_.parent_path()))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  // Opening the file fails with the number and a description naming the file and the reason.
  void ExpectOpenError(int32_t number, const std::string& reason = "") {
    const auto open = [&] { SettingsStore store(file_); };
    EXPECT_EQ(testing::ErrorOf(open), number);
    EXPECT_THAT(open, ThrowsMessage<AutomationError>(AllOf(HasSubstr(file_.string()), HasSubstr(reason))));
  }

  testing::TempDir dir_;
  fs::path file_ = dir_ / "sub" / "settings.xml";  // the folder is made on first save
};

TEST_F(SettingsFileTest, ValuesKeepTheirTypesThroughTheFile) {
  const Date when = Date::FromParts(2026, 12, 6, 14, 5, 9);
  const std::string awkward = "  two\r\nlines\tand \"quotes\" & <tags> 'ü' \x01 ";
  const std::pair<const char*, Variant> values[] = {
      {"UDC Timeout", Variant(30)}, {"Ratio", Variant(0.1 + 0.2)},  // needs all 17 digits
      {"Flag", Variant(false)},     {"When", Variant(when)},
      {"Text", Variant(awkward)},   {"Unknown", Variant::Null()},
  };
  {
    SettingsStore store(file_);
    for (const auto& [name, value] : values) store.Settings()->SetValue(name, value);
    store.Settings()->SetValue("Nothing", Variant());
    auto list = SettingsNode::CreateList("Express Selected Properties", Variant(""));
    list->SetValue("Name", Variant(true));
    store.Settings()->AddChild(list);
    store.Settings()->AddValueEntry(Variant("end"));
    store.Save();
  }
  SettingsStore store(file_);
  auto root = store.Settings();
  for (const auto& [name, value] : values) EXPECT_EQ(root->Value(name), value) << name;
  EXPECT_EQ(root->Value("Nothing", Variant(7)).Type(), VarType::Empty) << "a stored Empty is a value";
  EXPECT_EQ(root->Value("Absent", Variant(7)), Variant(7));
  ASSERT_EQ(root->Children().size(), 1u);
  auto list = std::dynamic_pointer_cast<SettingsNode>(root->Children()[0]);
  ASSERT_TRUE(list && list->IsPropertyList());
  EXPECT_EQ(list->Value("Name"), Variant(true));
  EXPECT_EQ(list->Value("Other"), Variant("")) << "an absent value of a list reads as its default";
  EXPECT_EQ(root->ValueEntries(), std::vector<Variant>{Variant("end")});

  // Only changes are written; a hand-formatted file with the same content is not rewritten.
  EXPECT_FALSE(store.SaveIfChanged());
  root->SetValue("Flag", Variant(true));
  EXPECT_TRUE(store.SaveIfChanged());
  Write(file_, Doc("<value name='A' type='integer' data='2'/>"));
  EXPECT_FALSE(SettingsStore(file_).SaveIfChanged());
}

TEST_F(SettingsFileTest, ACrashOrAFailureDuringSaveNeverDamagesTheFile) {
  SettingsStore store(file_);
  store.Settings()->SetValue("A", Variant(1));
  store.Save();
  // What a crash halfway through the next save leaves behind: a partial temporary file.
  Write(file_.string() + ".tmp.Ab12Cd", "<ridirodev-settings version='1'><sett");
  store.Settings()->SetValue("A", Variant(2));
  store.Save();
  EXPECT_EQ(SettingsStore(file_).Settings()->Value("A"), Variant(2));
  EXPECT_EQ(FolderFiles(),
            (std::vector<std::string>{"settings.xml", "settings.xml.lock", "settings.xml.tmp.Ab12Cd"}))
      << "the stray file is neither read nor touched";

  fs::remove_all(file_.parent_path());
  fs::create_directories(file_);  // a folder where the file should be: the rename fails
  store.Settings()->SetValue("A", Variant(3));
  const auto save = [&] { store.Save(); };
  EXPECT_EQ(testing::ErrorOf(save), kFileAccessError);
  EXPECT_THAT(save, ThrowsMessage<AutomationError>(HasSubstr(file_.string())));
  EXPECT_EQ(FolderFiles(), (std::vector<std::string>{"settings.xml", "settings.xml.lock"}))
      << "the temporary file is removed";
  // Reading a folder as the file is a read error, not an empty store.
  ExpectOpenError(kFileAccessError);
  fs::remove(file_);
  EXPECT_TRUE(store.SaveIfChanged()) << "the change still counts as unsaved";
  EXPECT_EQ(SettingsStore(file_).Settings()->Value("A"), Variant(3));
}

TEST_F(SettingsFileTest, CorruptFilesGiveAClearError) {
  std::string open, close;
  for (int i = 0; i < 100000; ++i) open += "<node name='n'>", close += "</node>";
  const std::pair<std::string, std::string> cases[] = {
      {"", "No document element"},
      {"<ridirodev-settings version='1'><settings><value name='A' type='integer' data='1'/>", "at byte"},
      {"<ridirodev-settings version='2'/>", "version '2'"},
      {Doc("<value name='A' type='integer' data='1x'/>"), "value \"A\" holds '1x' of type integer"},
      {Doc("<node name='N'><value type='string' data=''/></node>"), "node \"N\"/value has no name attribute"},
      {Doc("<value name='D' type='date' data='6/12/2026'/>"), "not an ISO date"},
      {Doc("<value name='V' type='colour' data='red'/>"), "unknown value type"},
      // Nesting deep enough to exhaust a recursive reader is refused, not followed.
      {Doc(open + close), "deeper than"},
  };
  for (const auto& [text, reason] : cases) {
    SCOPED_TRACE(text.substr(0, 80));
    Write(file_, text);
    ExpectOpenError(ErrorNumber::kInvalidArgument, reason);
  }
  // Loading is all or nothing.
  SettingsStore store;
  store.Settings()->SetValue("Kept", Variant(1));
  EXPECT_THROW(
      store.LoadXml(Doc("<value name='A' type='integer' data='1'/><value name='B' type='integer' data='x'/>"),
                    "text"),
      AutomationError);
  EXPECT_EQ(store.Settings()->Value("Kept"), Variant(1));
  EXPECT_TRUE(store.Settings()->Value("A").IsEmpty());
}

TEST(SettingsNodeTest, TheTreeStaysATree) {
  auto root = SettingsNode::Create("Settings");
  auto a = root->Child("A");
  EXPECT_EQ(root->Child("a"), a) << "found, not created again";
  auto b = SettingsNode::Create("B");
  a->AddChild(b);
  EXPECT_THROW(root->AddChild(b), AutomationError) << "already has a parent";
  auto loose = SettingsNode::Create("Loose");
  loose->AddChild(root);
  EXPECT_THROW(b->AddChild(loose), AutomationError) << "would be its own ancestor";
  EXPECT_THROW(root->SetValue("Obj", Variant(std::make_shared<TableRenderContext>())), AutomationError);
  root->SetValue("x", Variant(1));
  root->SetValue("X", Variant(2));
  ASSERT_EQ(root->NamedValues().size(), 1u) << "names are compared without regard to case";
  EXPECT_EQ(root->Value("x"), Variant(2));
}

// Writes Def[1] to Def[k] into its subkey and removes the later ones.
class DefinitionsHandler : public IAppRegistryHandler {
 public:
  std::string Name() const override { return "CFilterDefinitions"; }
  int32_t Kind() const override { return 1; }
  void LoadRegistryData(IRegistryKey&) override {}
  void SaveRegistryData(IRegistryKey& node) override {
    auto key = node.CreateKey("FilterDefinitionsRoot");
    for (size_t k = 0; k < toSave.size(); ++k)
      key->WriteValue("Def[" + std::to_string(k + 1) + "]", toSave[k]);
    for (size_t k = toSave.size() + 1; key->HasValue("Def[" + std::to_string(k) + "]"); ++k) {
      key->DeleteValue("Def[" + std::to_string(k) + "]");
    }
  }
  std::vector<std::string> toSave;
};

TEST_F(SettingsFileTest, ASaveChangesWhatItOwnsAndKeepsTheRestOfTheFileItsLinkAndItsMode) {
  const fs::path target = dir_ / "real.xml";
  const std::string original = R"(<?xml version="1.0"?>
<!-- the user's note on top -->
<ridirodev-settings version="1">
  <settings name="Settings">
    <!-- on widths -->
    <value name="Width" type="integer" data="10" />
    <node name="Gone" />
  </settings>
  <settings name="Second">
    <value name="X" type="string" data="x" />
  </settings>
  <registry>
    <key name="CFilterDefinitions">
      <key name="FilterDefinitionsRoot">
        <!-- on definitions -->
        <value name="Def[1]" data="A:G" />
        <value name="Def[2]" data="B:G" />
        <value name="Note" data="not a definition" />
      </key>
    </key>
  </registry>
</ridirodev-settings>
)";
  Write(target, original);
  fs::permissions(target, fs::perms(0640));
  fs::create_directories(file_.parent_path());
  fs::create_symlink("../real.xml", file_);

  SettingsStore store(file_);
  store.Settings()->SetValue("Width", Variant(20));
  store.Settings()->SetValue("Added", Variant(true));
  DefinitionsHandler handler;
  handler.toSave = {"C:U"};
  store.SaveHandler(handler);
  store.Save();

  EXPECT_TRUE(fs::is_symlink(file_)) << "written through the link";
  EXPECT_EQ(fs::status(target).permissions(), fs::perms(0640));
  const std::string saved = testing::ReadFile(target);
  std::string expected = original;
  for (const auto& [from, to] : {std::pair<std::string, std::string>{R"(data="10" />)", R"(data="20" />
    <value name="UDC Timeout" type="integer" data="30" />
    <value name="Added" type="boolean" data="true" />)"},
                                 {R"(data="A:G")", R"(data="C:U")"},
                                 {"        <value name=\"Def[2]\" data=\"B:G\" />\n", ""}}) {
    expected.replace(expected.find(from), from.size(), to);
  }
  EXPECT_EQ(saved, expected);

  // The user protects the file: a change is refused, and the file stays as it was.
  fs::permissions(target, fs::perms(0444));
  store.Settings()->SetValue("Width", Variant(30));
  EXPECT_THAT([&] { store.Save(); },
              ThrowsMessage<AutomationError>(AllOf(HasSubstr(target.string()), HasSubstr("is read-only"))));
  EXPECT_EQ(SettingsStore(file_).Settings()->Value("Width"), Variant(20));
}

TEST_F(SettingsFileTest, ChangesOfTwoStoresNeverUndoEachOther) {
  std::vector<std::string> notices;
  const WriterWait wait{1100, [&](std::string_view text) { notices.emplace_back(text); }};
  SettingsStore first(file_, wait);
  SettingsStore second(file_, wait);
  SettingsStore unlocked(file_, wait);
  first.LockForChange();
  EXPECT_THAT([&] { second.LockForChange(); },
              ThrowsMessage<AutomationError>(
                  HasSubstr("another writer kept " + file_.string() + " busy for 1 second")));
  EXPECT_EQ(notices, std::vector<std::string>{"waiting for another writer of " + file_.string() + "..."});
  first.Settings()->SetValue("A", Variant(1));
  first.Save();  // and lets go
  second.LockForChange();
  EXPECT_EQ(second.Settings()->Value("A"), Variant(1)) << "read again under the lock";
  second.Settings()->SetValue("B", Variant(2));
  second.Save();
  // A store that read before those saves would undo them: it refuses instead.
  unlocked.Settings()->SetValue("C", Variant(3));
  EXPECT_THAT([&] { unlocked.Save(); },
              ThrowsMessage<AutomationError>(HasSubstr("changed by another process")));
  SettingsStore after(file_);
  EXPECT_EQ(after.Settings()->Value("A"), Variant(1));
  EXPECT_EQ(after.Settings()->Value("B"), Variant(2));
}

// The server's registration goes into the registry area and comes out again, leaving what
// others wrote.
TEST(RegistrationTest, RegisterAndUnregisterTouchOnlyTheLibrarysKeys) {
  const auto root = std::make_shared<RegistryKey>("root");
  root->CreateKey("Classes")->CreateKey("Other.Thing")->WriteValue("Library", "Other");
  root->CreateKey("TypeLib")->WriteValue("Kept", "yes");
  RegisterServer(*root);
  RegisterServer(*root);  // the same keys again
  const auto library = root->OpenKey("TypeLib")->OpenKey("Ridirodev");
  ASSERT_NE(library, nullptr);
  const Catalogue& catalogue = Catalogue::Instance();
  EXPECT_EQ(library->ReadValue("Version") + "/" + library->ReadValue("Locale") + "/" +
                library->ReadValue("Classes"),
            "396.0/1033/" + std::to_string(catalogue.Classes().size()));
  const auto classes = std::dynamic_pointer_cast<RegistryKey>(root->OpenKey("Classes"));
  EXPECT_EQ(classes->KeyNames().size(), catalogue.Classes().size() + 1);
  EXPECT_EQ(classes->OpenKey("Ridirodev.CBusyHours")->ReadValue("Instancing"), "creatable");
  UnregisterServer(*root);
  EXPECT_EQ(classes->KeyNames(), std::vector<std::string>{"Other.Thing"});
  EXPECT_EQ(root->OpenKey("TypeLib")->OpenKey("Ridirodev"), nullptr);
  EXPECT_EQ(root->OpenKey("TypeLib")->ReadValue("Kept"), "yes");

  const auto make = GetClassObject("Ridirodev.CBusyHours");
  EXPECT_NE(make(), nullptr);
  EXPECT_THROW(GetClassObject("CNoSuchClass"), AutomationError);
  const bool idle = CanUnloadNow();
  {
    const auto alive = make();
    EXPECT_FALSE(CanUnloadNow());
  }
  EXPECT_EQ(CanUnloadNow(), idle);
}

}  // namespace
}  // namespace ridirodev::standalone
