#include "tools/rcv_commands.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "ridirodev/facade/g_ridirodev.h"
#include "ridirodev/model/rcv/rcv_filter.h"
#include "tools/command_support.h"
#include "tools/commands.h"

namespace ridirodev::tool {

void ShowRcvForms(const std::string& form, std::ostream& out) {
  StartComponent();
  const CRcvFilterPtr filter = GRidirodev::RcvFilter();
  std::vector<std::vector<std::string>> rows;
  if (form.empty()) {
    for (const CRcvFormPtr& f : *filter) {
      rows.push_back({f->Name(), filter->GetEntityFromRcvFormName(f->Name()), std::to_string(f->Count())});
    }
    out << FormatTable({"Form", "Entity", "Fields"}, rows);
    return;
  }
  const CRcvFormPtr found = filter->Item(Variant(form));
  if (!found) {
    std::vector<std::string> known;
    for (const CRcvFormPtr& f : *filter) known.push_back(f->Name());
    Unknown("RCV form", form, known, "the forms are");
  }
  for (const CRcvFieldPtr& f : *found) {
    rows.push_back(
        {f->Name(), std::to_string(f->Field_Id()), f->Entity_Name(), std::to_string(f->Entity_Id())});
  }
  out << FormatTable({"Field", "Field id", "Entity", "Entity id"}, rows);
}

void SetUpRcvCommands(CLI::App& app, Commands& commands) {
  auto form = std::make_shared<std::string>();
  commands
      .Add(app, "rcv", "List the RCV/EMS forms, or the fields of one form",
           Printing([form](std::ostream& out) { ShowRcvForms(*form, out); }))
      ->add_option("form", *form, "Form whose fields to list");
}

}  // namespace ridirodev::tool
