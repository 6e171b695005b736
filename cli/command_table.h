// The commands of pendrix-cli, one row each: its name, its operands and
// options, how it is called, its lines in the usage and the function that
// runs it. The usage text, the parsing of options and the dispatch all come
// from the table; adding a command is one row and one file.
#pragma once

#include <cstddef>
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
    kOptionPause = 1u << 4,      // --pause: wait for a key before ending
    kOptionAllUsers = 1u << 5,   // --all-users: every user's menu instead of this user's
    kOptionBackup = 1u << 6,     // --backup FILE: where the list is saved first
    kOptionDryRun = 1u << 7,     // --dry-run: say what would be done, change nothing
    kOptionDocumentedOnly = 1u << 8,  // --documented-only: judge by the signals Microsoft documents
};

// One line of the usage: how it is called, and what it does ("\n"
// continues the summary on the next line).
struct UsageLine {
    const char* syntax;
    const char* summary;
};

struct CommandRow {
    const char* name;
    std::size_t operands;  // how many it takes
    unsigned options;      // CommandOption bits
    // How it is called, as a usage error quotes it:
    // "replace SOURCE DESTINATION [--at-restart | --move-aside]".
    const char* syntax;
    // Its line in the usage: the syntax and this summary; or, when it has
    // several, usage (usageLines of them).
    const char* summary;
    const UsageLine* usage;
    std::size_t usageLines;
    // What its operands mean, taken into the arguments: an error line when
    // they mean nothing; nothing to check when null.
    std::string (*check)(CliArguments& arguments);
    int (*run)(const CliArguments& arguments, CliContext& context);
};

// The row of the command named name; nothing when there is none.
const CommandRow* FindCommand(std::string_view name);

// The usage, as --help prints it.
std::string UsageText();

}  // namespace pendrix::cli
