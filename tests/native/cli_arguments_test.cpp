// The console tool's command line: a table of accepted and refused command
// lines, and entry numbers at the edges of the number range.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "cli/cli_arguments.h"
#include "cli/command_table.h"

namespace pendrix::cli {
namespace {

struct ArgumentsCase {
    std::vector<std::string> arguments;
    // What was understood, as "command|json|when|operands|entry|expected"
    // (when: "restart" for --at-restart, "aside" for --move-aside),
    // or "error" for a refused command line.
    std::string understood;
};

std::string Understood(const ParsedArguments& parsed) {
    if (!parsed.ok) return "error";
    const CliArguments& a = parsed.arguments;
    std::string operands;
    for (const std::string& operand : a.operands) operands += (operands.empty() ? "" : ";") + operand;
    return std::string(a.command != nullptr ? a.command->name : "help") + "|" +
           (a.format == OutputFormat::Json ? "json" : "") + "|" + (a.atRestart ? "restart" : "") +
           (a.moveAside ? "aside" : "") + "|" + operands + "|" + std::to_string(a.entry) + "|" +
           (a.expectedSource ? "=" + *a.expectedSource : "");
}

TEST(CliArguments, UnderstandsEachCommandLine) {
    const ArgumentsCase cases[] = {
        {{"--help"}, "help||||0|"},
        {{"/?"}, "help||||0|"},
        {{"replace", "a", "/?"}, "help||||0|"},
        {{"list"}, "list||||0|"},
        {{"list", "--json"}, "list|json|||0|"},
        {{"replace", "C:\\a b.dll", " C:\\c.dll "}, "replace|||C:\\a b.dll; C:\\c.dll |0|"},
        {{"replace", "--at-restart", "s", "d"}, "replace||restart|s;d|0|"},
        {{"replace", "s", "d", "--move-aside"}, "replace||aside|s;d|0|"},
        {{"delete", "C:\\x\\*.log"}, "delete|||C:\\x\\*.log|0|"},
        {{"delete", "--", "--odd"}, "delete|||--odd|0|"},
        {{"delete", "--", "/?"}, "delete|||/?|0|"},
        {{"remove", "007", "--source", "C:\\s"}, "remove|||007|7|=C:\\s"},
        {{"remove", "--source", "C:\\s", "2"}, "remove|||2|2|=C:\\s"},
        {{"holders", "C:\\app\\report.dll"}, "holders|||C:\\app\\report.dll|0|"},
        {{"holders", "--json", "--", "--x"}, "holders|json||--x|0|"},
        {{}, "error"},
        {{"lst"}, "error"},
        {{"list", "extra"}, "error"},
        {{"list", "--at-restart"}, "error"},
        {{"replace", "s"}, "error"},
        {{"replace", "", "d"}, "error"},
        {{"delete", ""}, "error"},
        {{"remove", "0"}, "error"},
        {{"remove", "+1"}, "error"},
        {{"remove", "1", "--source"}, "error"},
        {{"remove", "1", "--source", ""}, "error"},
        {{"replace", "s", "d", "--source", "x"}, "error"},
        {{"verify", "--json", "C:\\before.json"}, "verify|json||C:\\before.json|0|"},
        {{"verify"}, "error"},
        {{"verify", "a", "b"}, "error"},
        {{"verify", "a", "--at-restart"}, "error"},
        {{"holders"}, "error"},
        {{"holders", "a", "b"}, "error"},
        {{"holders", "a", "--at-restart"}, "error"},
        {{"delete", "a", "--json"}, "error"},
        {{"replace", "s", "d", "--move-aside", "--at-restart"}, "error"},
        {{"delete", "a", "--move-aside"}, "error"},
    };
    for (const ArgumentsCase& c : cases) {
        std::string shown;
        for (const std::string& argument : c.arguments) shown += "[" + argument + "]";
        const ParsedArguments parsed = ParseArguments(c.arguments);
        EXPECT_EQ(Understood(parsed), c.understood) << shown;
        if (!parsed.ok) {
            EXPECT_FALSE(parsed.error.empty()) << shown;
            EXPECT_EQ(parsed.error.find('\n'), std::string::npos) << shown;
        }
    }
}

TEST(CliArguments, EntryNumbersAcrossTheWholeRange) {
    constexpr std::size_t kMax = std::numeric_limits<std::size_t>::max();
    for (const std::size_t n : {std::size_t{1}, std::size_t{9}, std::size_t{10}, std::size_t{10000}, kMax / 10,
                                kMax - 1, kMax})
        EXPECT_EQ(ParseEntryNumber(std::to_string(n)), n);
    // One past the largest number, and far past it, is not a number.
    std::string beyond = std::to_string(kMax);
    beyond.back() = static_cast<char>(beyond.back() + 1);
    for (const std::string& text : {beyond, std::to_string(kMax) + "0", std::string(""), std::string("0"),
                                    std::string("00"), std::string(" 1"), std::string("1 "), std::string("١")})
        EXPECT_FALSE(ParseEntryNumber(text).has_value()) << text;
}

TEST(CliArguments, UnderstandsShellHoldersPauseAndPrune) {
    const struct {
        std::vector<std::string> arguments;
        // "action|all" for shell, "pause" for holders, "prune|backup|dry" for prune, "documented" for
        // status --documented-only, or "error"
        const char* understood;
    } cases[] = {
        {{"shell", "install"}, "install|"},
        {{"shell", "install", "--all-users"}, "install|all"},
        {{"shell", "--all-users", "uninstall"}, "uninstall|all"},
        {{"shell", "status"}, "status|"},
        {{"holders", "C:\\x", "--pause"}, "pause"},
        {{"shell"}, "error"},
        {{"shell", "Install"}, "error"},
        {{"shell", "status", "--all-users"}, "error"},
        {{"shell", "install", "extra"}, "error"},
        {{"shell", "install", "--pause"}, "error"},
        {{"list", "--pause"}, "error"},
        {{"delete", "x", "--all-users"}, "error"},
        {{"prune", "--backup", "C:\\b.reg"}, "prune|C:\\b.reg|"},
        {{"prune", "--dry-run", "--json"}, "prune||dry"},
        {{"prune", "--backup"}, "error"},
        {{"prune", "--backup", ""}, "error"},
        {{"prune", "extra"}, "error"},
        {{"status", "--dry-run"}, "error"},
        {{"status", "--backup", "C:\\b.reg"}, "error"},
        {{"status", "--documented-only", "--json"}, "documented"},
        {{"list", "--documented-only"}, "error"},
    };
    for (const auto& c : cases) {
        const ParsedArguments parsed = ParseArguments(c.arguments);
        std::string understood = "error";
        if (parsed.ok && parsed.arguments.command->name == std::string("shell")) {
            const char* actions[] = {"install", "uninstall", "status"};
            understood = std::string(actions[static_cast<int>(parsed.arguments.shellAction)]) + "|" +
                         (parsed.arguments.allUsers ? "all" : "");
        } else if (parsed.ok && parsed.arguments.command->name == std::string("prune")) {
            understood = "prune|" + parsed.arguments.backupPath.value_or("") + "|" +
                         (parsed.arguments.dryRun ? "dry" : "");
        } else if (parsed.ok && parsed.arguments.pause) {
            understood = "pause";
        } else if (parsed.ok && parsed.arguments.documentedOnly) {
            understood = "documented";
        }
        EXPECT_EQ(understood, c.understood) << ::testing::PrintToString(c.arguments);
    }
}

}  // namespace
}  // namespace pendrix::cli
