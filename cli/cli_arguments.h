// The command line of pendrix-cli, parsed into one command and its operands.
// Arguments arrive whole (from the wide command line) as the program's 8-bit
// text; paths are taken exactly as given.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace pendrix::cli {

enum class CliCommand { Help, List, Replace, Delete, Remove, Verify, Holders, Shell, Status, Prune, Apply };

// shell install, shell uninstall, shell status.
enum class ShellAction { Install, Uninstall, Status };

struct CliArguments {
    CliCommand command = CliCommand::Help;
    bool json = false;         // list, verify, holders, status, prune, apply: --json
    bool atRestart = false;    // replace, delete, apply: schedule without trying now
    bool moveAside = false;    // replace, apply: a destination in use is renamed aside and replaced now
    std::string source;        // replace
    std::string destination;   // replace
    std::string path;          // delete, holders; verify: the saved listing; apply: the plan
    std::size_t entry = 0;     // remove: the entry's number, from 1
    std::optional<std::string> expectedSource;  // remove --source
    std::optional<std::string> backupPath;      // prune --backup
    bool dryRun = false;                        // prune: say what would go, change nothing
    bool pause = false;        // holders: wait for a key before ending (the Explorer menu's console)
    ShellAction shellAction = ShellAction::Status;  // shell
    bool allUsers = false;     // shell install, uninstall: every user's menu instead of this user's
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

// The usage, as --help prints it.
const char* UsageText();

}  // namespace pendrix::cli
