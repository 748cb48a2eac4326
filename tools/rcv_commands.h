#pragma once

// The rcv command of the ridirodev tool: the RCV/EMS forms by which fields can be filtered,
// apart from argument parsing so that it can be tested.

#include <iosfwd>
#include <string>

namespace ridirodev::tool {

// Starts the component first. Without a form: every form with its entity and field count.
// With one (case ignored): its fields with their dictionary field ids and entities; an unknown
// form is an error that lists the known ones.
void ShowRcvForms(const std::string& form, std::ostream& out);

}  // namespace ridirodev::tool
