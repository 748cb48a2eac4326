#pragma once

// The rcv command of the ridirodev tool: the RCV/EMS forms by which fields can be filtered,
// callable without a command line so that it can be tested, and its set-up on the command line.

#include <iosfwd>
#include <string>

namespace CLI {
class App;
}

namespace ridirodev::tool {

class Commands;

// Starts the component first. Without a form: every form with its entity and field count.
// With one (case ignored): its fields with their dictionary field ids and entities; an unknown
// form is an error that lists the known ones.
void ShowRcvForms(const std::string& form, std::ostream& out);

// Sets up rcv on the tool's command line.
void SetUpRcvCommands(CLI::App& app, Commands& commands);

}  // namespace ridirodev::tool
