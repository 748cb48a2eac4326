// The document type tree on the sample dictionary: the basic and the extended tree, versions only,
// the rules for a missing parent and an empty tree, what OK accepts, and the window size kept in
// the settings.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/facade/initializer.h"
#include "ridirodev/model/dialogs/app_doc_type_slr_tree.h"
#include "ridirodev/model/dialogs/f_select_document_type_tree.h"
#include "ridirodev/model/m_ridirodev.h"
#include "standalone/group_services.h"
#include "testing/sample.h"
#include "testing/services.h"

namespace ridirodev::standalone {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// A node as "parent > key text [image/expandedImage] tag", with "+" for an expanded node.
std::vector<std::string> Describe(const std::vector<DocumentTypeNode>& nodes) {
  std::vector<std::string> lines;
  for (const auto& n : nodes) {
    lines.push_back((n.parentKey.empty() ? "" : n.parentKey + " > ") + n.key + " " + n.text + " [" + n.image +
                    "/" + n.expandedImage + "]" + (n.expanded ? "+" : "") + " " + n.tag);
  }
  return lines;
}

class DocumentTypeTreeTest : public testing::SampleHostTest {
 protected:
  explicit DocumentTypeTreeTest(bool extended = false) { Restart(extended); }
  void Restart(bool extended) {
    scope_.reset();
    host_ = testing::SampleHost([&](StandaloneConfig& c) { c.extendedEntityViews = extended; });
    host_->UseToolkit({front_, nullptr, nullptr});
    scope_.emplace(host_);
    CRidirodevInitializer().Initialize();
  }
  MRidirodev& State() { return MRidirodev::Current(); }
  IFolderDocumentTypesPtr ReportTypes() {
    return State().GroupServices().Folder("Traffic Reports")->DocumentTypes();
  }
  // What the tree showed when the front last loaded it, and whether it came up at all.
  std::vector<std::string> ShownTree(bool versionsOnly = false) {
    std::vector<std::string> shown;
    front_->onTree = [&](IDocumentTypeTreeForm& form) { shown = Describe(form.Nodes()); };
    IFolderDocumentTypePtr type;
    EXPECT_FALSE(GRidirodev::SelectFolderDocumentTypeTree(type, ReportTypes(), "Pick", "Type", versionsOnly));
    return shown;
  }

  std::shared_ptr<testing::ScriptedDialogFront> front_ = std::make_shared<testing::ScriptedDialogFront>();
};

TEST_F(DocumentTypeTreeTest, BasicTreeHangsTheHierarchyUnderEntitiesSortedWithContextLabels) {
  EXPECT_THAT(ShownTree(),
              ElementsAre("Entities Entities [Closed/Open]+ ",  //
                          "Entities > Cat:10 NetworkSystem [Closed/Open] NetworkSystem",
                          "Cat:10 > Cat:11 MobileSwitch (MSC) [Closed/Open] MobileSwitch",
                          "Cat:11 > Cat:12 CellSite (Site) [Closed/Open] CellSite",
                          "Cat:12 > Cat:13 CellSector [Closed/Open] CellSector",
                          "Cat:13 > Cat:14 SectorCarrier [Closed/Open] SectorCarrier",
                          "Cat:14 > Cat:15 CellEqFace3GCDMACarrier [Closed/Open] CellEqFace3GCDMACarrier",
                          "Cat:11 > Cat:16 PagingArea [XClosed/XOpen] PagingArea"));
  // Siblings sort by text without regard to case, whatever order the rows came in.
  testing::Exec(Dictionary(), "UPDATE TQN_ENTITY SET Entity_Name = 'bPaging' WHERE Entity_Id = 16");
  const auto sorted = ShownTree();
  ASSERT_EQ(sorted.size(), 8u);
  EXPECT_EQ(sorted[3], "Cat:11 > Cat:16 bPaging [XClosed/XOpen] bPaging");
  EXPECT_EQ(sorted[4], "Cat:11 > Cat:12 CellSite (Site) [Closed/Open] CellSite");
  // A row whose parent is not in the tree is left out.
  testing::Exec(Dictionary(), "UPDATE tqn_entity_context SET Parent_Entity_Id = 99 WHERE Entity_Id = 12");
  const auto shown = ShownTree();
  EXPECT_EQ(shown.size(), 4u);  // root, system, switch, paging area: the cell's subtree went with it
  EXPECT_EQ(shown.back(), "Cat:11 > Cat:16 bPaging [XClosed/XOpen] bPaging");
}

class ExtendedTreeTest : public DocumentTypeTreeTest {
 protected:
  ExtendedTreeTest() : DocumentTypeTreeTest(true) {}
};

TEST_F(ExtendedTreeTest, ModulesVersionsSystemsAndEntitiesByLabel) {
  EXPECT_THAT(
      ShownTree(),
      ElementsAre("Mod:2 Wireless Network [Closed/Open]+ Wireless Network",
                  "Mod:2 > Ver:3 Release 10 [Closed/Open] Release 10",
                  "Ver:3 > Cat:10 System [Closed/Open] System", "Cat:10 > Cat:11 Switch [Closed/Open] Switch",
                  "Cat:11 > Cat:12 Cell [Closed/Open] Cell", "Cat:12 > Cat:13 Sector [Closed/Open] Sector",
                  "Cat:13 > Cat:14 Carrier [Closed/Open] Carrier",
                  "Cat:14 > Cat:15 Carrier Equipment [Closed/Open] Carrier Equipment",
                  "Cat:11 > Cat:16 Paging Area [XClosed/XOpen] Paging Area"));
  EXPECT_THAT(ShownTree(true), ElementsAre("Mod:2 Wireless Network [Closed/Open]+ Wireless Network",
                                           "Mod:2 > Ver:3 Release 10 [Closed/Open] Release 10",
                                           "Ver:3 > Cat:10 System [Closed/Open] System"));
}

TEST_F(ExtendedTreeTest, AMissingParentEmptiesTheTreeWithItsMessage) {
  const struct {
    const char* sql;
    const char* message;
  } cases[] = {
      {"DELETE FROM tqn_entity_context WHERE Entity_Id = 2",
       " Module containing version WirelessNetworkR10 is missing"},
      {"UPDATE tqn_entity_context SET Parent_Entity_Id = 4 WHERE Entity_Id = 10",
       " Version containing system NetworkSystem is missing"},
      {"UPDATE tqn_entity_context SET Parent_Entity_Id = 98 WHERE Entity_Id = 13",
       " Parent of entity CellSector is missing"},
  };
  for (const auto& c : cases) {
    Restart(true);
    testing::Exec(Dictionary(), c.sql);
    boxes_.Clear();
    bool cameUp = false;
    front_->onTree = [&](IDocumentTypeTreeForm&) { cameUp = true; };
    IFolderDocumentTypePtr type = ReportTypes()->Item(1);
    const IFolderDocumentTypePtr before = type;
    EXPECT_FALSE(GRidirodev::SelectFolderDocumentTypeTree(type, ReportTypes()));
    EXPECT_FALSE(cameUp) << c.sql;
    EXPECT_EQ(type, before);
    const std::string text = boxes_.Text();
    EXPECT_THAT(text, HasSubstr("[ ERROR IN ENTITY DATA ]\n  " + std::string(c.message))) << c.sql;
    // The empty tree then says why it closes.
    EXPECT_LT(text.find("ERROR IN ENTITY DATA"), text.find("REMOTE ENTITY INFORMATION MISSING")) << c.sql;
  }
}

TEST_F(DocumentTypeTreeTest, NoHierarchyShowsTheImportMessageAndChoosesNothing) {
  testing::Exec(Dictionary(), "DELETE FROM tqn_entity_context");
  boxes_.Clear();
  front_->onTree = [](IDocumentTypeTreeForm& form) { form.PressOk(); };
  EXPECT_EQ(GRidirodev::SelectSystemId(), 0);
  EXPECT_THAT(boxes_.Text(),
              HasSubstr("[REMOTE ENTITY INFORMATION MISSING]\n  Entity information has not been down "
                        "loaded from remote servers.\n  Please create and run a Data Dictionary "
                        "Import."));
}

TEST_F(DocumentTypeTreeTest, OkTakesOnlyAReportableNodeWhoseTypeIsThere) {
  // Each step: select a node, press OK; whether the dialog closed.
  std::vector<std::string> steps;
  front_->onTree = [&](IDocumentTypeTreeForm& form) {
    EXPECT_EQ(form.SelectedKey(), "Entities");  // the first node
    for (const char* key : {"Entities", "Cat:16", "Cat:12"}) {
      form.Select(key);
      steps.push_back(std::string(key) + (form.PressOk() ? " closes" : " stays"));
      if (steps.back().ends_with("closes")) return;
    }
  };
  IFolderDocumentTypePtr type;
  EXPECT_TRUE(GRidirodev::SelectFolderDocumentTypeTree(type, ReportTypes()));
  EXPECT_THAT(steps, ElementsAre("Entities stays", "Cat:16 stays", "Cat:12 closes"));
  ASSERT_TRUE(type);
  EXPECT_EQ(type->Name(), "CellSite");
  EXPECT_EQ(type->HandlerName(), "ReportHandler");

  // A node whose tag names no type of the collection keeps the dialog open.
  auto onlyCell = std::make_shared<FolderDocumentTypes>();
  onlyCell->Add(std::make_shared<FolderDocumentType>("CellSite", "TemplateHandler"));
  steps.clear();
  front_->onTree = [&](IDocumentTypeTreeForm& form) {
    form.Select("Cat:11");
    steps.push_back(form.PressOk() ? "closes" : "stays");
  };
  IFolderDocumentTypePtr kept = type;
  EXPECT_FALSE(CAppDocTypeSlrTree().SelectFolderDocumentType(kept, onlyCell, "Pick", ""));
  EXPECT_THAT(steps, ElementsAre("stays"));
  EXPECT_EQ(kept, type);
}

TEST_F(ExtendedTreeTest, SelectSystemIdIsTheChosenSystemsEntityId) {
  front_->onTree = [](IDocumentTypeTreeForm& form) {
    EXPECT_EQ(form.Caption(), "Select Confidence Report System");
    EXPECT_EQ(form.LabelText(), "");
    form.Select("Cat:10");
    EXPECT_TRUE(form.PressOk());
  };
  EXPECT_EQ(GRidirodev::SelectSystemId(), 10);
  front_->onTree = [](IDocumentTypeTreeForm& form) { form.PressCancel(); };
  EXPECT_EQ(GRidirodev::SelectSystemId(), 0);
}

TEST_F(DocumentTypeTreeTest, KindComesFromTheHandlerAndTheWindowSizeFromTheSettings) {
  const struct {
    const char* handler;
    const char* kind;
  } kinds[] = {{"ReportHandler", "Report"}, {"TemplateHandler", "Template"}, {"FolderHandler", ""}};
  for (const auto& k : kinds) {
    FSelectDocumentTypeTree form(State());
    form.Initialize(std::make_shared<FolderDocumentType>("X", k.handler), ReportTypes(), "", "Type");
    form.Load();
    EXPECT_EQ(form.DocumentKind(), k.kind) << k.handler;
    EXPECT_EQ(form.Caption(), "Select Document Type");
  }
  const auto sizes = State().GroupServices().Settings()->Child("SelectDocumentTypeTreeRoot");
  FSelectDocumentTypeTree form(State());
  form.Initialize(nullptr, ReportTypes(), "", "");
  form.Load();
  EXPECT_EQ(form.Width(), 5500);
  EXPECT_EQ(form.Height(), 4785);
  form.Unload(6000.5, 4200);
  EXPECT_EQ(sizes->Value("Width").ToDouble(), 6000.5);
  EXPECT_EQ(sizes->Value("Height").ToDouble(), 4200);
  form.Load();
  EXPECT_EQ(form.Width(), 6000.5);
  // A size that is not one falls back to the default.
  sizes->SetValue("Height", Variant("tall"));
  form.Load();
  EXPECT_EQ(form.Height(), 4785);
}

}  // namespace
}  // namespace ridirodev::standalone
