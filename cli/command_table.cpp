#include "cli/command_table.h"

#include "cli/commands.h"

namespace pendrix::cli {
namespace {

// In the order the usage lists them.
constexpr CommandRow kCommands[] = {
    {"list", "", kOptionJson, "every pending operation, numbered from 1", RunList},
    {"replace", "SOURCE DESTINATION", kOptionAtRestart | kOptionMoveAside, "replace DESTINATION by SOURCE",
     RunReplace},
    {"delete", "PATH", kOptionAtRestart, "delete PATH (wildcards * and ? in its last part)", RunDelete},
    {"remove", "N", kOptionSource, "withdraw entry N as list numbers it", RunRemove},
    {"holders", "PATH", kOptionJson, "the processes that hold PATH open or loaded", RunHolders},
    {"verify", "FILE", kOptionJson,
     "after a restart: what became of each entry of a\nlist --json saved in FILE before it", RunVerify},
};

struct OptionSyntax {
    CommandOption bit;
    const char* syntax;
};

constexpr OptionSyntax kOptionSyntax[] = {
    {kOptionJson, "--json"},
    {kOptionAtRestart, "--at-restart"},
    {kOptionMoveAside, "--move-aside"},
    {kOptionSource, "--source PATH"},
};

// The usage's second column: where each command's summary begins.
constexpr std::size_t kSummaryColumn = 34;

// A usage line: text, then the summary in its column (on the next line
// when text reaches it), each further line of it under the first.
std::string UsageLine(const std::string& text, std::string_view summary) {
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

std::string CommandSyntax(const CommandRow& command) {
    std::string syntax = command.name;
    if (*command.operands != '\0') syntax.append(" ").append(command.operands);
    // The options of one command exclude each other where there are several.
    const char* separator = " [";
    for (const OptionSyntax& option : kOptionSyntax) {
        if ((command.options & option.bit) == 0) continue;
        syntax.append(separator).append(option.syntax);
        separator = " | ";
    }
    if (command.options != 0) syntax += "]";
    return syntax;
}

std::string UsageText() {
    std::string usage =
        "Usage: pendrix-cli COMMAND [OPTIONS]\r\n"
        "Lists and changes the file operations Windows carries out at its next start\r\n"
        "(the registry value PendingFileRenameOperations).\r\n"
        "\r\n";
    for (const CommandRow& command : kCommands) usage += UsageLine(CommandSyntax(command), command.summary);
    usage += UsageLine("--help, -h, /?", "this text");
    return usage +
           "\r\n"
           "replace and delete act at once when they can and otherwise schedule the operation\r\n"
           "for the next restart, naming the programs that hold the file; --at-restart\r\n"
           "schedules it without trying. replace --move-aside renames a DESTINATION in use\r\n"
           "aside, puts SOURCE in its place now and deletes the old copy at the next start;\r\n"
           "running programs keep the old copy until they end. remove --source refuses\r\n"
           "unless entry N's source is exactly PATH.\r\n"
           "\r\n"
           "Exit codes: 0 done (or listed); 3010 scheduled, a restart is needed; 87 bad usage;\r\n"
           "160 source and destination are one file; 1168 no such entry, or its source differs;\r\n"
           "2 or 3 (holders) the path does not exist; 2 an earlier pending entry takes the\r\n"
           "source away; 1460 another Pendrix program kept the list busy; 1237 other programs'\r\n"
           "writes undid the change each time;\r\n"
           "verify: 0 all carried out, 1 something was not, 3010 some still pending, 13 FILE is\r\n"
           "not a saved listing; otherwise the Windows error code of the failure (5: access\r\n"
           "denied, run elevated).\r\n";
}

}  // namespace pendrix::cli
