// The commands of pendrix-cli, one row each: its name, its operands and
// options, its line in the usage and the function that runs it. The usage
// text and the dispatch both come from the table; adding a command is one
// row and one file.
#pragma once

#include <string>
#include <string_view>

namespace pendrix::cli {

struct CliArguments;
struct CliContext;

// The options a command may take, as bits of CommandRow::options.
enum CommandOption : unsigned {
    kOptionJson = 1u << 0,       // --json: the output as one JSON document
    kOptionAtRestart = 1u << 1,  // --at-restart: schedule without trying now
    kOptionMoveAside = 1u << 2,  // --move-aside: rename a file in use aside
    kOptionSource = 1u << 3,     // --source PATH: the entry's source must be PATH
};

struct CommandRow {
    const char* name;
    const char* operands;  // as the usage names them, separated by blanks: "SOURCE DESTINATION"
    unsigned options;      // CommandOption bits
    const char* summary;   // its line in the usage; "\n" continues it on the next line
    int (*run)(const CliArguments& arguments, CliContext& context);
};

// The row of the command named name; nothing when there is none.
const CommandRow* FindCommand(std::string_view name);

// How the command is called: "replace SOURCE DESTINATION [--at-restart | --move-aside]".
std::string CommandSyntax(const CommandRow& command);

// The usage, as --help prints it.
std::string UsageText();

}  // namespace pendrix::cli
