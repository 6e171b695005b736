// The command line of pendrix-cli, parsed into one command of the table
// (cli/command_table.h) and its operands and options. Arguments arrive whole
// (from the wide command line) as the program's 8-bit text; paths are taken
// exactly as given.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace pendrix::cli {

struct CommandRow;

// What a command writes on standard output: lines for a person, or one JSON
// document for a script (--json).
enum class OutputFormat { Text, Json };

// shell install, shell uninstall, shell status.
enum class ShellAction { Install, Uninstall, Status };

struct CliArguments {
    const CommandRow* command = nullptr;  // nothing: the usage was asked for
    OutputFormat format = OutputFormat::Text;
    bool atRestart = false;    // replace, delete: schedule without trying now
    bool moveAside = false;    // replace: a destination in use is renamed aside and replaced now
    std::vector<std::string> operands;  // as the command's row names them, none empty
    std::size_t entry = 0;     // remove: the entry's number, from 1
    std::optional<std::string> expectedSource;  // remove --source
    std::optional<std::string> backupPath;      // prune --backup
    bool dryRun = false;       // prune: say what would go, change nothing
    bool pause = false;        // holders: wait for a key before ending (the Explorer menu's console)
    ShellAction shellAction = ShellAction::Status;  // shell
    bool allUsers = false;     // shell install, uninstall: every user's menu instead of this user's
    bool documentedOnly = false;  // status: judge by the signals Microsoft documents alone
};

struct ParsedArguments {
    bool ok = false;
    CliArguments arguments;
    std::string error;  // when not ok: one line saying what is wrong
};

// arguments: everything after the program's name. "--help", "-h" and "/?"
// anywhere before "--" ask for the usage; "--" ends the options, so that a
// path may begin with "--".
ParsedArguments ParseArguments(const std::vector<std::string>& arguments);

// A decimal entry number from 1 up, digits only; nothing when text is not one.
std::optional<std::size_t> ParseEntryNumber(const std::string& text);

}  // namespace pendrix::cli
