#pragma once

// The catalogue and invoke commands of the ridirodev tool: the component's classes as a
// type-library viewer shows them, and chains of late-bound member calls evaluated on the
// dictionary; callable without a command line so that they can be tested.

#include <iosfwd>
#include <string>

namespace CLI {
class App;
}

namespace ridirodev::tool {

class Commands;

// Without a class: every class with its instancing, then the counts. With one: its members in
// order. With enums: the enumerations and their values.
void PrintCatalogue(const std::string& className, bool enums, std::ostream& out);

// Evaluates expression: a global object or CreateObject("CLASS"), then .Member, .Member(args)
// and (args) for the default member; arguments are numbers, "text" (a doubled quote inside),
// True, False, Nothing, or left out (f(1,,3)). A scalar prints as text, an object as its class,
// a collection as its count and then its items' keys or names (or, with each, that member of
// every item), one per line.
void RunInvoke(const std::string& expression, const std::string& each, std::ostream& out);

void SetUpCatalogueCommands(CLI::App& app, Commands& commands);

}  // namespace ridirodev::tool
