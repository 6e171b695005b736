#include "cli/command_table.h"

#include <iterator>

#include "cli/commands.h"

namespace pendrix::cli {
namespace {

constexpr UsageLine kShellUsage[] = {
    {"shell install [--all-users]",
     "adds Pendrix to Explorer's menu of files and\nfolders (this user's, or every user's: elevated)"},
    {"shell uninstall [--all-users]", "takes those menu entries away again"},
    {"shell status", "the menu entries there, and whether the programs\nthey start still exist"},
};

constexpr OptionRow kJson{"--json"};         // the output as one JSON document
constexpr OptionRow kAtRestart{"--at-restart"};  // schedule without trying now
constexpr OptionRow kMoveAside{"--move-aside"};  // rename a file in use aside

constexpr OptionRow kListOptions[] = {kJson};
constexpr OptionRow kReplaceOptions[] = {kAtRestart, kMoveAside};
constexpr OptionRow kDeleteOptions[] = {kAtRestart};
constexpr OptionRow kRemoveOptions[] = {{"--source", "a path"}};
constexpr OptionRow kHoldersOptions[] = {kJson, {"--pause"}};
constexpr OptionRow kShellOptions[] = {{"--all-users"}};
constexpr OptionRow kVerifyOptions[] = {kJson};
constexpr OptionRow kStatusOptions[] = {kJson, {"--documented-only"}};
constexpr OptionRow kPruneOptions[] = {{"--backup", "a file name"}, {"--dry-run"}, kJson};
constexpr OptionRow kApplyOptions[] = {kAtRestart, kMoveAside, kJson};

// In the order the usage lists them.
constexpr CommandRow kCommands[] = {
    {"list", 0, kListOptions, "list [--json]", "every pending operation, numbered from 1", nullptr,
     0, nullptr, RunList},
    {"replace", 2, kReplaceOptions, "replace SOURCE DESTINATION [--at-restart | --move-aside]",
     "replace DESTINATION by SOURCE", nullptr, 0, CheckWhen, RunReplace},
    {"delete", 1, kDeleteOptions, "delete PATH [--at-restart]",
     "delete PATH (wildcards * and ? in its last part)", nullptr, 0, nullptr, RunDelete},
    {"remove", 1, kRemoveOptions, "remove N [--source PATH]", "withdraw entry N as list numbers it",
     nullptr, 0, CheckRemove, RunRemove},
    {"holders", 1, kHoldersOptions, "holders PATH [--json] [--pause]",
     "the processes that hold PATH open or loaded;\n--pause waits for a key in a console of its own", nullptr, 0,
     nullptr, RunHolders},
    {"shell", 1, kShellOptions, "shell install|uninstall [--all-users], or shell status", nullptr,
     kShellUsage, std::size(kShellUsage), CheckShell, RunShell},
    {"verify", 1, kVerifyOptions, "verify FILE [--json]",
     "after a restart: what became of each entry of a\nlist --json saved in FILE before it", nullptr, 0, nullptr,
     RunVerify},
    {"status", 0, kStatusOptions, "status [--json] [--documented-only]",
     "does this machine need a restart, and why: each\npending entry in the order Windows runs them, the\nother "
     "restart signals of the registry and the\nConfiguration Manager client; --documented-only\njudges by the "
     "signals Microsoft documents alone",
     nullptr, 0, nullptr, RunStatus},
    {"prune", 0, kPruneOptions, "prune [--backup FILE] [--dry-run] [--json]",
     "withdraw the entries that can have no effect,\nafter saving the list to a .reg file", nullptr, 0, nullptr,
     RunPrune},
    {"apply", 1, kApplyOptions, "apply PLAN [--at-restart | --move-aside] [--json]",
     "the replacements and deletions of the file PLAN\n(one a line) as one set: all now or all at the\nnext start, "
     "never some of each",
     nullptr, 0, CheckWhen, RunApply},
};

// The usage's second column: where each command's summary begins.
constexpr std::size_t kSummaryColumn = 34;

// A usage line: text, then the summary in its column (on the next line
// when text reaches it), each further line of it under the first.
std::string FormatUsageLine(const std::string& text, std::string_view summary) {
    std::string line = "  " + text;
    if (line.size() >= kSummaryColumn) line += "\r\n" + std::string(kSummaryColumn, ' ');
    else line.append(kSummaryColumn - line.size(), ' ');
    for (std::size_t start = 0;;) {
        const std::size_t end = summary.find('\n', start);
        line.append(summary.substr(start, end - start)).append("\r\n");
        if (end == std::string_view::npos) break;
        line.append(kSummaryColumn, ' ');
        start = end + 1;
    }
    return line;
}

}  // namespace

const CommandRow* FindCommand(std::string_view name) {
    for (const CommandRow& command : kCommands)
        if (name == command.name) return &command;
    return nullptr;
}

std::string UsageText() {
    std::string usage =
        "Usage: pendrix-cli COMMAND [OPTIONS]\r\n"
        "Lists and changes the file operations Windows carries out at its next start\r\n"
        "(the registry value PendingFileRenameOperations).\r\n"
        "\r\n";
    for (const CommandRow& command : kCommands) {
        if (command.usage == nullptr) usage += FormatUsageLine(command.syntax, command.summary);
        for (std::size_t i = 0; i < command.usageLines; ++i)
            usage += FormatUsageLine(command.usage[i].syntax, command.usage[i].summary);
    }
    usage += FormatUsageLine("--help, -h, /?", "this text");
    return usage +
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
           "another code) a key or the Configuration Manager client could not be read and\r\n"
           "nothing else needs a restart; prune: 0\r\n"
           "withdrawn or nothing to withdraw, 80 the backup file exists, 1168 the list changed\r\n"
           "after the backup; otherwise the Windows error code of the failure (5: access\r\n"
           "denied, run elevated).\r\n";
}

}  // namespace pendrix::cli
