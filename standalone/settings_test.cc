#include "standalone/settings.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ridirodev/core/automation_error.h"
#include "standalone/support.h"

namespace ridirodev::standalone {
namespace {

namespace fs = std::filesystem;

// A settings document around the given content of its settings element.
std::string Doc(std::string_view settings) {
  return "<ridirodev-settings version='1'><settings>" + std::string(settings) +
         "</settings></ridirodev-settings>";
}

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char dirTemplate[] = "/tmp/ridirodev_settings_XXXXXX";
    ASSERT_NE(mkdtemp(dirTemplate), nullptr);
    dir_ = dirTemplate;
    file_ = dir_ / "sub" / "settings.xml";  // the folder is made on first save
  }
  void TearDown() override { fs::remove_all(dir_); }

  static std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static void Write(const fs::path& p, std::string_view text) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
  }
  // Files in the folder of the settings file.
  std::vector<std::string> FolderFiles() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(file_.parent_path()))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  // The description of the error of opening the file, with its number checked.
  std::string OpenError(int32_t number) {
    try {
      SettingsStore store(file_);
    } catch (const AutomationError& e) {
      EXPECT_EQ(e.Number(), number) << e.Description();
      return e.Description();
    }
    ADD_FAILURE() << "no error";
    return {};
  }

  fs::path dir_;
  fs::path file_;
};

// Saves each definition it holds as one value of a subkey; loads the names it finds there.
class DefinitionsHandler : public IAppRegistryHandler {
 public:
  std::string Name() const override { return "CFilterDefinitions"; }
  std::string Kind() const override { return "1"; }
  void LoadRegistryData(IRegistryKey& node) override {
    auto key = node.OpenKey("FilterDefinitionsRoot");
    loaded = key ? key->ValueNames() : std::vector<std::string>{};
  }
  void SaveRegistryData(IRegistryKey& node) override {
    for (const auto& name : toSave) node.CreateKey("FilterDefinitionsRoot")->WriteValue(name, "1");
  }
  std::vector<std::string> toSave, loaded;
};

TEST_F(SettingsFileTest, ValuesKeepTheirTypesThroughTheFile) {
  const Date when = Date::FromParts(2026, 12, 6, 14, 5, 9);
  const std::string awkward = "  two\r\nlines\tand \"quotes\" & <tags> 'ü' \x01 ";
  {
    SettingsStore store(file_);
    auto root = store.Settings();
    root->SetValue("UDC Timeout", Variant(30));
    root->SetValue("Ratio", Variant(0.1 + 0.2));  // needs all 17 digits
    root->SetValue("Flag", Variant(false));
    root->SetValue("When", Variant(when));
    root->SetValue("Text", Variant(awkward));
    root->SetValue("Blank", Variant(" "));
    root->SetValue("Nothing", Variant());
    root->SetValue("Unknown", Variant::Null());
    auto tree = root->Child("SelectDocumentTypeTreeRoot");
    tree->SetValue("Width", Variant(5500.0));
    auto list = SettingsNode::CreateList("Express Selected Properties", Variant(""));
    list->SetValue("Name", Variant(true));
    root->AddChild(list);
    root->AddValueEntry(Variant());
    root->AddValueEntry(Variant("end"));
    store.Registry()->CreateKey("Windows")->CreateKey("Main")->WriteValue("Pos", "10,20");
    store.Save();
  }

  SettingsStore store(file_);
  auto root = store.Settings();
  EXPECT_EQ(root->Value("udc timeout"), Variant(30));
  EXPECT_EQ(root->Value("Ratio"), Variant(0.1 + 0.2));
  EXPECT_EQ(root->Value("Flag"), Variant(false));
  EXPECT_EQ(root->Value("When"), Variant(when));
  EXPECT_EQ(root->Value("Text"), Variant(awkward));
  EXPECT_EQ(root->Value("Blank"), Variant(" "));
  EXPECT_EQ(root->Value("Nothing", Variant(7)).Type(), VarType::Empty) << "a stored Empty is a value";
  EXPECT_TRUE(root->Value("Unknown").IsNull());
  EXPECT_EQ(root->Value("Absent", Variant(7)), Variant(7));
  auto tree = root->Child("selectdocumenttypetreeroot");
  EXPECT_EQ(tree->Value("Width").Type(), VarType::Double);
  ASSERT_EQ(root->Children().size(), 2u);
  auto list = std::dynamic_pointer_cast<SettingsNode>(root->Children()[1]);
  ASSERT_TRUE(list && list->IsPropertyList());
  EXPECT_EQ(list->Name(), "Express Selected Properties");
  EXPECT_EQ(list->Value("Name"), Variant(true));
  EXPECT_EQ(list->Value("Other"), Variant("")) << "an absent value of a list reads as its default";
  ASSERT_EQ(store.Settings()->ValueEntries().size(), 2u);
  EXPECT_EQ(store.Settings()->ValueEntries()[1], Variant("end"));
  EXPECT_EQ(store.Registry()->OpenKey("WINDOWS")->OpenKey("main")->ReadValue("pos"), "10,20");

  EXPECT_EQ(FolderFiles(), std::vector<std::string>{"settings.xml"}) << "no temporary file is left";
}

TEST_F(SettingsFileTest, SaveIfChangedWritesOnlyChanges) {
  SettingsStore store(file_);
  EXPECT_FALSE(store.SaveIfChanged());
  EXPECT_FALSE(fs::exists(file_)) << "nothing to keep yet";
  store.Settings()->SetValue("A", Variant(1));
  EXPECT_TRUE(store.SaveIfChanged());
  EXPECT_FALSE(store.SaveIfChanged());
  store.Settings()->SetValue("A", Variant(2));
  EXPECT_TRUE(store.SaveIfChanged());

  // A hand-formatted file with the same content is not rewritten.
  Write(file_, Doc("<value name='A' type='integer' data='2'/>"));
  SettingsStore reopened(file_);
  EXPECT_FALSE(reopened.SaveIfChanged());
  EXPECT_EQ(reopened.Settings()->Value("A"), Variant(2));
}

TEST_F(SettingsFileTest, ACrashDuringSaveNeverDamagesTheFile) {
  {
    SettingsStore store(file_);
    store.Settings()->SetValue("UDC Timeout", Variant(30));
    store.Save();
  }
  const std::string good = Read(file_);
  // What a crash halfway through the next save leaves behind: a partial temporary file.
  Write(file_.string() + ".tmp.Ab12Cd", good.substr(0, good.size() / 2));

  SettingsStore store(file_);
  EXPECT_EQ(store.Settings()->Value("UDC Timeout"), Variant(30));
  store.Settings()->SetValue("UDC Timeout", Variant(60));
  store.Save();
  EXPECT_EQ(SettingsStore(file_).Settings()->Value("UDC Timeout"), Variant(60));
  EXPECT_EQ(FolderFiles(), (std::vector<std::string>{"settings.xml", "settings.xml.tmp.Ab12Cd"}))
      << "the stray file is neither read nor touched";
}

TEST_F(SettingsFileTest, AFailedSaveReportsTheFileAndCleansUp) {
  SettingsStore store(file_);
  store.Settings()->SetValue("A", Variant(1));
  fs::create_directories(file_);  // a folder where the file should be: the rename fails
  try {
    store.Save();
    ADD_FAILURE() << "no error";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Number(), kFileAccessError);
    EXPECT_NE(e.Description().find(file_.string()), std::string::npos) << e.Description();
  }
  EXPECT_EQ(FolderFiles(), std::vector<std::string>{"settings.xml"}) << "the temporary file is removed";
  EXPECT_TRUE(fs::is_directory(file_));
  EXPECT_THROW(store.SaveIfChanged(), AutomationError) << "the change still counts as unsaved";

  // Reading a folder as the file is a read error, not an empty store.
  EXPECT_NE(OpenError(kFileAccessError).find(file_.string()), std::string::npos);

  fs::remove(file_);
  EXPECT_TRUE(store.SaveIfChanged());
  EXPECT_EQ(SettingsStore(file_).Settings()->Value("A"), Variant(1));

  SettingsStore memory;  // nowhere to write: saving does nothing
  memory.Settings()->SetValue("A", Variant(1));
  memory.Save();
  EXPECT_TRUE(memory.File().empty());
}

TEST_F(SettingsFileTest, CorruptFilesGiveAClearError) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", "No document element"},
      {"<ridirodev-settings version='1'><settings><value name='A' type='integer' data='1'/>", "at byte"},
      {"<other/>", "root element"},
      {"<ridirodev-settings version='2'/>", "version '2'"},
      {Doc("<value name='A' type='integer' data='1x'/>"), "value \"A\" holds '1x' of type integer"},
      {Doc("<node name='N'><value type='string' data=''/></node>"), "node \"N\"/value has no name attribute"},
      {Doc("<value name='D' type='date' data='6/12/2026'/>"), "not an ISO date"},
      {Doc("<value name='V' type='colour' data='red'/>"), "unknown value type"},
      {"<ridirodev-settings version='1'><registry><folder name='x'/></registry></ridirodev-settings>",
       "unexpected element"},
  };
  for (const auto& [text, reason] : cases) {
    SCOPED_TRACE(text);
    Write(file_, text);
    const std::string message = OpenError(ErrorNumber::kInvalidArgument);
    EXPECT_NE(message.find(file_.string()), std::string::npos) << message;
    EXPECT_NE(message.find(reason), std::string::npos) << message;
  }

  // Nesting deep enough to exhaust a recursive reader is refused, not followed.
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<node name='n'>";
  for (int i = 0; i < 100000; ++i) deep += "</node>";
  Write(file_, Doc(deep));
  EXPECT_NE(OpenError(ErrorNumber::kInvalidArgument).find("deeper than"), std::string::npos);
}

TEST_F(SettingsFileTest, LoadingXmlIsAllOrNothing) {
  SettingsStore store;
  store.Settings()->SetValue("Kept", Variant(1));
  EXPECT_THROW(store.LoadXml(Doc("<value name='A' type='integer' data='1'/><value name='B' type='integer' "
                                 "data='x'/>"),
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
  EXPECT_THROW(b->AddChild(b), AutomationError);
  EXPECT_THROW(root->SetValue("Obj", Variant(std::make_shared<TableRenderContext>())), AutomationError);

  root->SetValue("x", Variant(1));
  root->SetValue("X", Variant(2));
  ASSERT_EQ(root->NamedValues().size(), 1u) << "names are compared without regard to case";
  EXPECT_EQ(root->NamedValues()[0].name, "x");
  EXPECT_EQ(root->Value("x"), Variant(2));
  EXPECT_TRUE(root->RemoveValue("X"));
  EXPECT_FALSE(root->RemoveValue("X"));
}

TEST(RegistryServiceTest, HandlersSaveIntoAFreshKeyAndLoadBack) {
  SettingsStore store;
  DefinitionsHandler handler;
  store.LoadHandler(handler);  // never saved: an empty key
  EXPECT_TRUE(handler.loaded.empty());

  handler.toSave = {"GSM and LTE:GL", "UMTS only:U", "CDMA:C"};
  store.SaveHandler(handler);
  handler.toSave = {"GSM and LTE:GL"};  // the user deleted two definitions
  store.SaveHandler(handler);
  store.LoadHandler(handler);
  EXPECT_EQ(handler.loaded, std::vector<std::string>{"GSM and LTE:GL"}) << "no leftovers of the longer save";
  EXPECT_EQ(store.Registry()->KeyNames(), std::vector<std::string>{"CFilterDefinitions"});

  // The registry area goes through the file like the settings.
  SettingsStore copy;
  copy.LoadXml(store.ToXml(), "copy");
  DefinitionsHandler reader;
  copy.LoadHandler(reader);
  EXPECT_EQ(reader.loaded, std::vector<std::string>{"GSM and LTE:GL"});

  auto key = store.Registry()->CreateKey("K");
  key->WriteValue("A", "1");
  key->WriteValue("b", "2");
  key->WriteValue("a", "3");
  EXPECT_EQ(key->ValueNames(), (std::vector<std::string>{"A", "b"}));
  EXPECT_EQ(key->ReadValue("A"), "3");

  key->DeleteValue("B");
  EXPECT_FALSE(key->HasValue("b"));
  EXPECT_EQ(store.Registry()->CreateKey("k"), key) << "creating an existing key opens it";
}

class Form : public IModalForm {
 public:
  std::string Caption() const override { return "Select Document Type"; }
};

TEST(StandaloneGroupServicesTest, FoldersSettingsNodesAndForms) {
  StandaloneConfig config;
  config.folders = {"ASCII Data Sources"};
  std::ostringstream out;
  StandaloneGroupServices services(std::make_shared<SettingsStore>(), config, out);

  EXPECT_EQ(services.FolderNames(), (std::vector<std::string>{"ASCII Data Sources", "Traffic Reports"}));
  auto reports = services.Folder("traffic reports");
  ASSERT_NE(reports, nullptr);
  ASSERT_EQ(reports->DocumentTypes()->Count(), 2);
  EXPECT_EQ(reports->DocumentTypes()->Find("template")->HandlerName(), "TemplateHandler");
  EXPECT_EQ(reports->DocumentTypes()->Item(1)->HandlerName(), "ReportHandler");
  EXPECT_EQ(services.Folder("ASCII Data Sources")->DocumentTypes()->Count(), 0);
  EXPECT_EQ(services.Folder("ODBC Data Sources"), nullptr);

  // A node made by the services joins the file once it is in the tree.
  auto state = services.CreateSettingsNode("ExpressTemplateRoot");
  state->AddChild(services.CreatePropertyList("Express Available Properties", ""));
  state->AddValueEntry(Variant());
  services.Settings()->AddChild(state);
  EXPECT_NE(services.Store().ToXml().find(
                "<list name=\"Express Available Properties\" default-type=\"string\" default=\"\""),
            std::string::npos)
      << services.Store().ToXml();

  Form form;
  services.ShowModal(form);
  EXPECT_EQ(out.str(), "[Select Document Type] has no dialog on the command line; nothing was chosen.\n");
}

}  // namespace
}  // namespace ridirodev::standalone
