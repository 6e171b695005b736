#include "cli/cli_arguments.h"

#include <limits>

namespace pendrix::cli {
namespace {

bool IsHelpFlag(const std::string& argument) {
    return argument == "--help" || argument == "-h" || argument == "/?";
}

ParsedArguments Failure(std::string error) {
    ParsedArguments parsed;
    parsed.error = std::move(error);
    return parsed;
}

struct CommandSyntax {
    const char* name;
    CliCommand command;
    std::size_t operands;
    const char* usage;
};

constexpr CommandSyntax kCommands[] = {
    {"list", CliCommand::List, 0, "list [--json]"},
    {"replace", CliCommand::Replace, 2, "replace SOURCE DESTINATION [--at-restart | --move-aside]"},
    {"delete", CliCommand::Delete, 1, "delete PATH [--at-restart]"},
    {"remove", CliCommand::Remove, 1, "remove N [--source PATH]"},
    {"verify", CliCommand::Verify, 1, "verify FILE [--json]"},
    {"holders", CliCommand::Holders, 1, "holders PATH [--json] [--pause]"},
    {"shell", CliCommand::Shell, 1, "shell install|uninstall [--all-users], or shell status"},
    {"status", CliCommand::Status, 0, "status [--json]"},
    {"prune", CliCommand::Prune, 0, "prune [--backup FILE] [--dry-run] [--json]"},
    {"apply", CliCommand::Apply, 1, "apply PLAN [--at-restart | --move-aside] [--json]"},
};

struct ShellActionName {
    const char* name;
    ShellAction action;
};

constexpr ShellActionName kShellActions[] = {
    {"install", ShellAction::Install},
    {"uninstall", ShellAction::Uninstall},
    {"status", ShellAction::Status},
};

// Takes one option of the command; false when the command has no such option.
bool TakeOption(const CommandSyntax& syntax, const std::string& option, CliArguments& arguments) {
    if ((syntax.command == CliCommand::List || syntax.command == CliCommand::Verify ||
         syntax.command == CliCommand::Holders || syntax.command == CliCommand::Status ||
         syntax.command == CliCommand::Prune || syntax.command == CliCommand::Apply) &&
        option == "--json") {
        arguments.json = true;
        return true;
    }
    if ((syntax.command == CliCommand::Replace || syntax.command == CliCommand::Delete ||
         syntax.command == CliCommand::Apply) &&
        option == "--at-restart") {
        arguments.atRestart = true;
        return true;
    }
    if (syntax.command == CliCommand::Prune && option == "--dry-run") {
        arguments.dryRun = true;
        return true;
    }
    if ((syntax.command == CliCommand::Replace || syntax.command == CliCommand::Apply) && option == "--move-aside") {
        arguments.moveAside = true;
        return true;
    }
    if (syntax.command == CliCommand::Holders && option == "--pause") {
        arguments.pause = true;
        return true;
    }
    if (syntax.command == CliCommand::Shell && option == "--all-users") {
        arguments.allUsers = true;
        return true;
    }
    return false;
}

}  // namespace

std::optional<std::size_t> ParseEntryNumber(const std::string& text) {
    if (text.empty()) return std::nullopt;
    std::size_t value = 0;
    constexpr std::size_t kMax = std::numeric_limits<std::size_t>::max();
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        const auto digit = static_cast<std::size_t>(c - '0');
        if (value > (kMax - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    if (value == 0) return std::nullopt;
    return value;
}

ParsedArguments ParseArguments(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        if (argument == "--") break;
        if (IsHelpFlag(argument)) {
            ParsedArguments parsed;
            parsed.ok = true;
            return parsed;
        }
    }
    if (arguments.empty()) return Failure("no command given; run pendrix-cli --help for the usage");

    const CommandSyntax* syntax = nullptr;
    for (const CommandSyntax& candidate : kCommands)
        if (arguments[0] == candidate.name) syntax = &candidate;
    if (syntax == nullptr) return Failure("unknown command \"" + arguments[0] + "\"; run pendrix-cli --help for the usage");

    ParsedArguments parsed;
    CliArguments& result = parsed.arguments;
    result.command = syntax->command;
    std::vector<std::string> operands;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument.compare(0, 2, "--") != 0) {
            operands.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (syntax->command == CliCommand::Remove && argument == "--source") {
            if (i + 1 >= arguments.size()) return Failure("--source needs a path");
            result.expectedSource = arguments[++i];
        } else if (syntax->command == CliCommand::Prune && argument == "--backup") {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) return Failure("--backup needs a file name");
            result.backupPath = arguments[++i];
        } else if (!TakeOption(*syntax, argument, result)) {
            return Failure("unknown option \"" + argument + "\" for " + syntax->name + "; usage: pendrix-cli " +
                           syntax->usage);
        }
    }
    if (operands.size() != syntax->operands)
        return Failure(std::string("wrong number of arguments for ") + syntax->name + "; usage: pendrix-cli " +
                       syntax->usage);
    for (const std::string& operand : operands)
        if (operand.empty()) return Failure(std::string("an empty argument for ") + syntax->name +
                                            "; usage: pendrix-cli " + syntax->usage);

    if (result.atRestart && result.moveAside)
        return Failure("--move-aside replaces now and --at-restart at the next start: give one of them");

    switch (syntax->command) {
    case CliCommand::Replace:
        result.source = operands[0];
        result.destination = operands[1];
        break;
    case CliCommand::Delete:
    case CliCommand::Verify:
    case CliCommand::Apply:
    case CliCommand::Holders:
        result.path = operands[0];
        break;
    case CliCommand::Remove: {
        const std::optional<std::size_t> number = ParseEntryNumber(operands[0]);
        if (!number) return Failure("\"" + operands[0] + "\" is not an entry number (1, 2, ... as list shows them)");
        if (result.expectedSource && result.expectedSource->empty()) return Failure("--source needs a path");
        result.entry = *number;
        break;
    }
    case CliCommand::Shell: {
        const ShellActionName* action = nullptr;
        for (const ShellActionName& candidate : kShellActions)
            if (operands[0] == candidate.name) action = &candidate;
        if (action == nullptr)
            return Failure("unknown shell action \"" + operands[0] + "\"; usage: pendrix-cli " + syntax->usage);
        // status shows this user's and every user's menu by itself.
        if (action->action == ShellAction::Status && result.allUsers)
            return Failure("shell status shows this user's and every user's menu; it takes no --all-users");
        result.shellAction = action->action;
        break;
    }
    case CliCommand::List:
    case CliCommand::Status:
    case CliCommand::Prune:
    case CliCommand::Help:
        break;
    }
    parsed.ok = true;
    return parsed;
}

const char* UsageText() {
    return "Usage: pendrix-cli COMMAND [OPTIONS]\r\n"
           "Lists and changes the file operations Windows carries out at its next start\r\n"
           "(the registry value PendingFileRenameOperations).\r\n"
           "\r\n"
           "  list [--json]                   every pending operation, numbered from 1\r\n"
           "  replace SOURCE DESTINATION [--at-restart | --move-aside]\r\n"
           "                                  replace DESTINATION by SOURCE\r\n"
           "  delete PATH [--at-restart]      delete PATH (wildcards * and ? in its last part)\r\n"
           "  remove N [--source PATH]        withdraw entry N as list numbers it\r\n"
           "  holders PATH [--json] [--pause] the processes that hold PATH open or loaded;\r\n"
           "                                  --pause waits for a key in a console of its own\r\n"
           "  shell install [--all-users]     adds Pendrix to Explorer's menu of files and\r\n"
           "                                  folders (this user's, or every user's: elevated)\r\n"
           "  shell uninstall [--all-users]   takes those menu entries away again\r\n"
           "  shell status                    the menu entries there, and whether the programs\r\n"
           "                                  they start still exist\r\n"
           "  verify FILE [--json]            after a restart: what became of each entry of a\r\n"
           "                                  list --json saved in FILE before it\r\n"
           "  status [--json]                 does this machine need a restart, and why: each\r\n"
           "                                  pending entry in the order Windows runs them, and\r\n"
           "                                  the other restart signals of the registry\r\n"
           "  prune [--backup FILE] [--dry-run] [--json]\r\n"
           "                                  withdraw the entries that can have no effect,\r\n"
           "                                  after saving the list to a .reg file\r\n"
           "  apply PLAN [--at-restart | --move-aside] [--json]\r\n"
           "                                  the replacements and deletions of the file PLAN\r\n"
           "                                  (one a line) as one set: all now or all at the\r\n"
           "                                  next start, never some of each\r\n"
           "  --help, -h, /?                  this text\r\n"
           "\r\n"
           "replace and delete act at once when they can and otherwise schedule the operation\r\n"
           "for the next restart, naming the programs that hold the file; --at-restart\r\n"
           "schedules it without trying. replace --move-aside renames a DESTINATION in use\r\n"
           "aside, puts SOURCE in its place now and deletes the old copy at the next start;\r\n"
           "running programs keep the old copy until they end. remove --source refuses\r\n"
           "unless entry N's source is exactly PATH. apply checks every operation first and\r\n"
           "does nothing when one is refused; it does all now when no file is in use, and\r\n"
           "otherwise schedules all for the restart in one write.\r\n"
           "\r\n"
           "Exit codes: 0 done (or listed); 3010 scheduled, a restart is needed; 87 bad usage;\r\n"
           "160 source and destination are one file; 1168 no such entry, or its source differs;\r\n"
           "2 or 3 (holders) the path does not exist; 2 an earlier pending entry takes the\r\n"
           "source away; 1460 another Pendrix program kept the list busy; 1237 other programs'\r\n"
           "writes undid the change each time; shell status: 1168 nothing installed, 2 a\r\n"
           "program an entry starts does not exist;\r\n"
           "verify: 0 all carried out, 1 something was not, 3010 some still pending, 13 FILE is\r\n"
           "not a saved listing; status: 0 no restart needed, 3010 a restart is needed, 5 (or\r\n"
           "another code) a key could not be read and nothing else needs a restart; prune: 0\r\n"
           "withdrawn or nothing to withdraw, 80 the backup file exists, 1168 the list changed\r\n"
           "after the backup; otherwise the Windows error code of the failure (5: access\r\n"
           "denied, run elevated).\r\n";
}

}  // namespace pendrix::cli
