#pragma once

// The dialogs on the ridirodev tool's command line: the document type tree (doctype), and what
// every command that opens a dialog needs first; callable without a command line so that they
// can be tested.

#include <iosfwd>
#include <string>

namespace CLI {
class App;
}

namespace ridirodev::standalone {
class StandaloneHost;
}

namespace ridirodev::tool {

class Commands;

struct DialogOptions {
  std::string screenshot;  // draw offscreen, save this PNG file and answer Cancel
};

// Gives the host the dialogs of the tool's toolkit, before the component first asks for the
// host's services. Fails with a message when this build has no dialogs, or when there is no
// display and no screenshot was asked for.
void UseDialogs(standalone::StandaloneHost& host, const DialogOptions& options);

// Opens the document type tree on the report folder's types and prints the type chosen, or with
// versionsOnly the system id; or that nothing was chosen.
void SelectDocumentType(bool versionsOnly, std::ostream& out);

// The --screenshot option of a command that opens a dialog.
void AddScreenshotOption(CLI::App& command, DialogOptions& options);

void SetUpDialogCommands(CLI::App& app, Commands& commands);

}  // namespace ridirodev::tool
