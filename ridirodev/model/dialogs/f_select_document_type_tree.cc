#include "ridirodev/model/dialogs/f_select_document_type_tree.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <unordered_map>
#include <utility>

#include "ridirodev/core/automation_error.h"
#include "ridirodev/core/text.h"
#include "ridirodev/core/variant.h"
#include "ridirodev/host/database.h"
#include "ridirodev/host/services.h"
#include "ridirodev/model/m_ridirodev.h"
#include "ridirodev/store/closing_recordset.h"
#include "ridirodev/store/dictionary_statements.h"

namespace ridirodev {

namespace {

constexpr std::string_view kSettingsNode = "SelectDocumentTypeTreeRoot";
constexpr double kDefaultWidth = 5500;
constexpr double kDefaultHeight = 4785;
constexpr std::string_view kApplication = "Traffic";
constexpr std::string_view kRootKey = "Entities";

bool Reportable(const DocumentTypeNode& node) {
  return node.image != "XClosed" && node.image != "XOpen" && node.expandedImage != "XClosed" &&
         node.expandedImage != "XOpen";
}

void SetImages(DocumentTypeNode& node, bool canReport) {
  node.image = canReport ? "Closed" : "XClosed";
  node.expandedImage = canReport ? "Open" : "XOpen";
}

// The leading number of a text, 0 when it starts with none (the platform's Val on an id).
int32_t LeadingNumber(std::string_view text) {
  text = TrimBlanks(text);
  int32_t value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

double StoredSize(const IAppSettingsNodePtr& node, std::string_view name, double defaultValue) {
  if (!node) return defaultValue;
  const Variant value = node->Value(name, Variant(defaultValue));
  // A size the user's file garbled falls back to the default rather than losing the dialog.
  return value.IsNumeric() && !value.IsEmpty() && value.ToDouble() > 0 ? value.ToDouble() : defaultValue;
}

IAppSettingsNodePtr SizeNode(MRidirodev& state) {
  const IAppSettingsNodePtr settings = state.GroupServices().Settings();
  return settings ? settings->Child(kSettingsNode) : nullptr;
}

}  // namespace

// The nodes while the tree is built, in the order they were added.
struct FSelectDocumentTypeTree::Build {
  std::vector<DocumentTypeNode> nodes;
  std::unordered_map<std::string, size_t> index;

  bool Has(const std::string& key) const { return index.contains(key); }
  // A key that is already there keeps its first node.
  void Add(DocumentTypeNode node) {
    if (!index.emplace(node.key, nodes.size()).second) return;
    nodes.push_back(std::move(node));
  }
  // Each node after its parent; the top level in the order added, children sorted by text.
  std::vector<DocumentTypeNode> DisplayOrder() const {
    std::map<std::string, std::vector<size_t>> children;
    for (size_t i = 0; i < nodes.size(); ++i) children[nodes[i].parentKey].push_back(i);
    for (auto& [parent, list] : children) {
      if (parent.empty()) continue;
      std::stable_sort(list.begin(), list.end(), [this](size_t a, size_t b) {
        const std::string& x = nodes[a].text;
        const std::string& y = nodes[b].text;
        return std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end(),
                                            [](char p, char q) { return FoldCase(p) < FoldCase(q); });
      });
    }
    std::vector<DocumentTypeNode> ordered;
    ordered.reserve(nodes.size());
    std::vector<size_t> pending;  // a stack, next node on top
    const auto push = [&](const std::string& parent) {
      const auto it = children.find(parent);
      if (it != children.end()) pending.insert(pending.end(), it->second.rbegin(), it->second.rend());
    };
    push("");
    while (!pending.empty()) {
      const size_t i = pending.back();
      pending.pop_back();
      ordered.push_back(nodes[i]);
      push(nodes[i].key);
    }
    return ordered;
  }
};

void FSelectDocumentTypeTree::Initialize(IFolderDocumentTypePtr dbfdt, IFolderDocumentTypesPtr dbfdts,
                                         std::string_view sTitle, std::string_view sLabel) {
  documentType_ = std::move(dbfdt);
  documentTypes_ = std::move(dbfdts);
  title_ = std::string(sTitle);
  label_ = std::string(sLabel);
  ok_ = false;
}

std::string FSelectDocumentTypeTree::ControlText(DocumentTypeTreeControl control) const {
  switch (control) {
    case DocumentTypeTreeControl::kOk:
      return "OK";
    case DocumentTypeTreeControl::kCancel:
      return "Cancel";
    case DocumentTypeTreeControl::kHelp:
      return "&Help";
  }
  return "";
}

std::vector<std::string> FSelectDocumentTypeTree::ImageKeys() const {
  return {"Closed", "Open", "XClosed", "XOpen", "Down", "Count", "XReport"};
}

void FSelectDocumentTypeTree::Load() {
  const IAppSettingsNodePtr sizes = SizeNode(state_);
  width_ = StoredSize(sizes, "Width", kDefaultWidth);
  height_ = StoredSize(sizes, "Height", kDefaultHeight);
  const std::string handler = documentType_ ? documentType_->HandlerName() : "";
  documentKind_ = handler == "ReportHandler" ? "Report" : handler == "TemplateHandler" ? "Template" : "";
  BuildTree();
  if (IsEmpty()) {
    state_.Messages().MessageBox(
        "Entity information has not been down loaded from remote servers.\nPlease create and run a Data "
        "Dictionary Import.",
        MessageBoxStyle::kExclamation, "REMOTE ENTITY INFORMATION MISSING");
  }
}

void FSelectDocumentTypeTree::BuildTree() {
  nodes_.clear();
  entityNodes_ = 0;
  selected_.clear();
  IDBObject& db = state_.Database();
  const bool extended = state_.Support().ExtendedEntityViews();
  const bool contextLabels = state_.flags.contextEntityLabelAvailable;
  sql::ClosingRecordset rs(db.OpenRecordset(sql::EntityTreeStatement(extended, contextLabels, kApplication)));
  Build build;
  const auto id = [&](std::string_view column) {
    return std::to_string(db.FieldNumber(rs->Fields().Value(column)));
  };
  const auto text = [&](std::string_view column) { return db.FieldText(rs->Fields().Value(column)); };
  const auto canReport = [&] { return db.FieldFlag(Variant(ToUpper(text("can_rpt")))); };

  if (!extended) {
    build.Add({std::string(kRootKey), "", std::string(kRootKey), "", "Closed", "Open", true});
    for (; !rs->Eof(); rs->MoveNext()) {
      DocumentTypeNode node;
      node.key = "Cat:" + id("Entity_Id");
      node.parentKey = rs->Fields().Value("Parent_Entity_Id").IsNull() ? std::string(kRootKey)
                                                                       : "Cat:" + id("Parent_Entity_Id");
      if (!build.Has(node.parentKey)) continue;
      node.tag = text("Entity_Name");
      node.text = node.tag;
      if (contextLabels) {
        const std::string label = text("Context_Entity_Label");
        if (!label.empty()) node.text += " (" + label + ")";
      }
      SetImages(node, canReport());
      build.Add(std::move(node));
    }
  } else {
    struct Level {
      std::string_view filter;
      std::string_view keyPrefix;
      std::string_view parentPrefix;  // "" at the top level
      std::string_view missingParent;
      bool byReportFlag;
    };
    std::vector<Level> levels = {
        {"type='Module' and entity_name <> 'Generic'", "Mod:", "", "", false},
        {"type='ModuleVer' and parent_entity_id <> 1", "Ver:", "Mod:", " Module containing version ", false},
        {"type='System' and parent_entity_id <> 1", "Cat:", "Ver:", " Version containing system ", true},
    };
    if (!versionsOnly_) levels.push_back({"type='Entity'", "Cat:", "Cat:", " Parent of entity ", true});
    for (const Level& level : levels) {
      for (rs->SetFilter(level.filter); !rs->Eof(); rs->MoveNext()) {
        DocumentTypeNode node;
        node.key = std::string(level.keyPrefix) + id("Entity_Id");
        if (!level.parentPrefix.empty()) {
          node.parentKey = std::string(level.parentPrefix) + id("Parent_Entity_Id");
          if (!build.Has(node.parentKey)) {
            const std::string name = text("Entity_Name");
            rs.Close();
            state_.Messages().MessageBox(std::string(level.missingParent) + name + " is missing",
                                         MessageBoxStyle::kCritical, " ERROR IN ENTITY DATA ");
            return;  // the tree stays empty
          }
        } else {
          node.expanded = true;
        }
        node.text = text("Entity_Label");
        node.tag = node.text;
        SetImages(node, !level.byReportFlag || canReport());
        build.Add(std::move(node));
      }
    }
  }
  rs.Close();
  nodes_ = build.DisplayOrder();
  entityNodes_ = nodes_.size() - (extended ? 0 : 1);
  if (!nodes_.empty()) selected_ = nodes_.front().key;
}

void FSelectDocumentTypeTree::Select(std::string_view key) {
  const auto it = std::find_if(nodes_.begin(), nodes_.end(), [&](const auto& n) { return n.key == key; });
  if (it == nodes_.end()) {
    throw AutomationError(ErrorNumber::kInvalidArgument, "FSelectDocumentTypeTree",
                          "The tree has no node " + std::string(key) + ".");
  }
  selected_ = it->key;
}

bool FSelectDocumentTypeTree::PressOk() {
  const auto it =
      std::find_if(nodes_.begin(), nodes_.end(), [&](const auto& n) { return n.key == selected_; });
  if (it == nodes_.end() || !Reportable(*it) || !documentTypes_) return false;
  IFolderDocumentTypePtr found = documentTypes_->Find(it->tag);
  if (!found) return false;
  documentType_ = std::move(found);
  if (versionsOnly_)
    systemId_ = LeadingNumber(std::string_view(it->key).substr(std::min<size_t>(4, it->key.size())));
  ok_ = true;
  return true;
}

void FSelectDocumentTypeTree::PressHelp() {
  state_.Messages().MessageBox(
      "Choose the entity whose document type you want and press OK. Entities shown with a grey folder "
      "cannot be reported on.",
      MessageBoxStyle::kInformation, Caption());
}

void FSelectDocumentTypeTree::Unload(double width, double height) {
  width_ = width;
  height_ = height;
  const IAppSettingsNodePtr sizes = SizeNode(state_);
  if (!sizes) return;
  // Single-precision values, as the settings keep them.
  sizes->SetValue("Width", Variant(static_cast<double>(static_cast<float>(width))));
  sizes->SetValue("Height", Variant(static_cast<double>(static_cast<float>(height))));
}

bool SelectFolderDocumentTypeTree(MRidirodev& state, IFolderDocumentTypePtr& dbfdt,
                                  const IFolderDocumentTypesPtr& dbfdts, std::string_view sTitle,
                                  std::string_view sLabel, bool fVersionOnly) {
  FSelectDocumentTypeTree form(state);
  form.Initialize(dbfdt, dbfdts, sTitle, sLabel);
  form.SetVersionsOnly(fVersionOnly);
  state.GroupServices().ShowModal(form);
  if (!form.Ok()) return false;
  dbfdt = form.DocumentType();
  return true;
}

int32_t SelectSystemId(MRidirodev& state) {
  const IFolderPtr folder = state.GroupServices().Folder("Traffic Reports");
  if (!folder) {
    throw AutomationError(ErrorNumber::kObjectNotSet, "GRidirodev",
                          "The host has no report folder \"Traffic Reports\".");
  }
  FSelectDocumentTypeTree form(state);
  form.Initialize(nullptr, folder->DocumentTypes(), "Select Confidence Report System", "");
  form.SetVersionsOnly(true);
  state.GroupServices().ShowModal(form);
  return form.Ok() ? form.SystemId() : 0;
}

}  // namespace ridirodev
