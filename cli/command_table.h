// The commands of pendrix-cli, one row each: its name, its operands and
// options, how it is called, its lines in the usage and the function that
// runs it. The usage text, the parsing of options and the dispatch all come
// from the table; adding a command is one row and one file, and an option
// one line of its row and its use in that file.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace pendrix::cli {

struct CliArguments;
struct CliContext;

// An option a command takes: its name and, for one that takes a value,
// what the value must be, as the refusal of a missing one says ("--backup
// needs a file name"); null for one that takes none. What it means, and
// its default, is in the command's file.
struct OptionRow {
    const char* name;
    const char* value = nullptr;
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
    std::span<const OptionRow> options;
    // How it is called, as a usage error quotes it:
    // "replace SOURCE DESTINATION [--at-restart | --move-aside]".
    const char* syntax;
    // Its line in the usage: the syntax and this summary; or, when it has
    // several, usage (usageLines of them).
    const char* summary;
    const UsageLine* usage;
    std::size_t usageLines;
    // Whether its operands and options mean something together: an error
    // line when not; nothing to check when null.
    std::string (*check)(const CliArguments& arguments);
    int (*run)(const CliArguments& arguments, CliContext& context);
};

// The row of the command named name; nothing when there is none.
const CommandRow* FindCommand(std::string_view name);

// The usage, as --help prints it.
std::string UsageText();

}  // namespace pendrix::cli
