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
    // What was understood, as "command|options|operands" (options as
    // "--name" or "--name=value", operands, each joined by ";"), or "error"
    // for a refused command line.
    std::string understood;
};

std::string Understood(const ParsedArguments& parsed) {
    if (!parsed.ok) return "error";
    const CliArguments& a = parsed.arguments;
    std::string options, operands;
    for (const GivenOption& option : a.options)
        options += (options.empty() ? "" : ";") + option.name + (option.value.empty() ? "" : "=" + option.value);
    for (const std::string& operand : a.operands) operands += (operands.empty() ? "" : ";") + operand;
    return std::string(a.command != nullptr ? a.command->name : "help") + "|" + options + "|" + operands;
}

TEST(CliArguments, UnderstandsEachCommandLine) {
    const ArgumentsCase cases[] = {
        {{"--help"}, "help||"},
        {{"/?"}, "help||"},
        {{"replace", "a", "/?"}, "help||"},
        {{"list"}, "list||"},
        {{"list", "--json"}, "list|--json|"},
        {{"replace", "C:\\a b.dll", " C:\\c.dll "}, "replace||C:\\a b.dll; C:\\c.dll "},
        {{"replace", "--at-restart", "s", "d"}, "replace|--at-restart|s;d"},
        {{"replace", "s", "d", "--move-aside"}, "replace|--move-aside|s;d"},
        {{"delete", "C:\\x\\*.log"}, "delete||C:\\x\\*.log"},
        {{"delete", "--", "--odd"}, "delete||--odd"},
        {{"delete", "--", "/?"}, "delete||/?"},
        {{"remove", "007", "--source", "C:\\s"}, "remove|--source=C:\\s|007"},
        {{"remove", "--source", "C:\\s", "2"}, "remove|--source=C:\\s|2"},
        {{"holders", "--json", "--", "--x"}, "holders|--json|--x"},
        {{"holders", "C:\\x", "--pause"}, "holders|--pause|C:\\x"},
        {{"verify", "--json", "C:\\before.json"}, "verify|--json|C:\\before.json"},
        {{"shell", "install", "--all-users"}, "shell|--all-users|install"},
        {{"shell", "status"}, "shell||status"},
        {{"prune", "--backup", "C:\\b.reg"}, "prune|--backup=C:\\b.reg|"},
        {{"prune", "--dry-run", "--json"}, "prune|--dry-run;--json|"},
        {{"status", "--documented-only"}, "status|--documented-only|"},
        {{}, "error"},
        {{"lst"}, "error"},
        {{"list", "extra"}, "error"},
        {{"list", "--at-restart"}, "error"},
        {{"list", "--documented-only"}, "error"},
        {{"replace", "s"}, "error"},
        {{"replace", "", "d"}, "error"},
        {{"remove", "0"}, "error"},
        {{"remove", "+1"}, "error"},
        {{"remove", "1", "--source"}, "error"},
        {{"remove", "1", "--source", ""}, "error"},
        {{"replace", "s", "d", "--source", "x"}, "error"},
        {{"verify", "a", "b"}, "error"},
        {{"holders", "a", "--at-restart"}, "error"},
        {{"delete", "a", "--json"}, "error"},
        {{"replace", "s", "d", "--move-aside", "--at-restart"}, "error"},
        {{"apply", "p", "--at-restart", "--move-aside"}, "error"},
        {{"shell", "Install"}, "error"},
        {{"shell", "status", "--all-users"}, "error"},
        {{"list", "--pause"}, "error"},
        {{"prune", "--backup"}, "error"},
        {{"prune", "--backup", ""}, "error"},
        {{"status", "--dry-run"}, "error"},
        // An option given twice is refused, whatever its values.
        {{"prune", "--backup", "A", "--backup", "B"}, "error"},
        {{"list", "--json", "--json"}, "error"},
        {{"prune", "--dry-run", "--dry-run"}, "error"},
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
    EXPECT_EQ(ParseArguments({"prune", "--json", "--json"}).error,
              "option \"--json\" given twice for prune; usage: pendrix-cli prune [--backup FILE] [--dry-run] [--json]");
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

}  // namespace
}  // namespace pendrix::cli
