#include "tools/dialog_commands.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/host/documents.h"
#include "ridirodev/host/services.h"
#include "ridirodev/model/m_ridirodev.h"
#include "standalone/host.h"
#include "tools/command_support.h"
#include "tools/commands.h"
#ifdef RIDIRODEV_WITH_QT
#include "standalone/qt/toolkit.h"
#endif

namespace ridirodev::tool {

void UseDialogs(standalone::StandaloneHost& host, const DialogOptions& options) {
#ifdef RIDIRODEV_WITH_QT
  if (options.screenshot.empty() && !qt::HasDisplay()) {
    Invalid(
        "There is no display to show the dialog on: set DISPLAY, or use --screenshot FILE.png to draw it "
        "offscreen.");
  }
  host.UseToolkit(qt::OpenToolkit({options.screenshot}));
#else
  (void)host;
  (void)options;
  Invalid("Dialogs are unavailable: this ridirodev was built without Qt 6 Widgets.");
#endif
}

void SelectDocumentType(bool versionsOnly, std::ostream& out) {
  StartComponent();
  if (versionsOnly) {
    const int32_t id = GRidirodev::SelectSystemId();
    out << (id ? "System id: " + std::to_string(id) : std::string("No system was chosen.")) << '\n';
    return;
  }
  const IFolderPtr folder = MRidirodev::Current().GroupServices().Folder("Traffic Reports");
  if (!folder) Invalid("The host has no report folder \"Traffic Reports\".");
  IFolderDocumentTypePtr chosen;
  if (GRidirodev::SelectFolderDocumentTypeTree(chosen, folder->DocumentTypes())) {
    out << "Document type: " << chosen->Name() << " (" << chosen->HandlerName() << ")\n";
  } else {
    out << "No document type was chosen.\n";
  }
}

void SetUpDialogCommands(CLI::App& app, Commands& commands) {
  struct Parsed {
    bool versionsOnly = false;
    DialogOptions dialog;
  };
  const auto p = std::make_shared<Parsed>();
  CLI::App* doctype = commands.Add(app, "doctype", "Choose a report's document type in the entity tree",
                                   [p](const CommandContext& context) {
                                     UseDialogs(*context.host, p->dialog);
                                     SelectDocumentType(p->versionsOnly, context.out);
                                     return 0;
                                   });
  doctype->add_flag("--versions-only", p->versionsOnly,
                    "Choose a system among the module versions; prints its id");
  AddScreenshotOption(*doctype, p->dialog);
}

void AddScreenshotOption(CLI::App& command, DialogOptions& options) {
  command
      .add_option("--screenshot", options.screenshot,
                  "Draw the dialog offscreen, save it to this PNG file and answer Cancel")
      ->type_name("FILE.png");
}

}  // namespace ridirodev::tool
