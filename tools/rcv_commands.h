#pragma once

// The rcv command of the ridirodev tool: the RCV/EMS forms by which fields can be filtered,
// apart from argument parsing so that it can be tested.

#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

namespace CLI {
class App;
}

namespace ridirodev::tool {

// Starts the component first. Without a form: every form with its entity and field count.
// With one (case ignored): its fields with their dictionary field ids and entities; an unknown
// form is an error that lists the known ones.
void ShowRcvForms(const std::string& form, std::ostream& out);

// The rcv command on the tool's command line.
class RcvCommandLine {
 public:
  // db receives --db of the command.
  RcvCommandLine(CLI::App& app, std::optional<std::string>& db);
  ~RcvCommandLine();
  RcvCommandLine(const RcvCommandLine&) = delete;
  RcvCommandLine& operator=(const RcvCommandLine&) = delete;

  bool Chosen() const;
  void Run(std::ostream& out) const;

 private:
  struct Parsed;
  std::unique_ptr<Parsed> parsed_;
};

}  // namespace ridirodev::tool
