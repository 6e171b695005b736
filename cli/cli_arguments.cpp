#include "cli/cli_arguments.h"

#include <limits>
#include <string_view>

#include "cli/command_table.h"

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

std::string UsageOf(const CommandRow& command) { return "; usage: pendrix-cli " + CommandSyntax(command); }

std::size_t WordCount(const char* text) {
    std::size_t count = 0;
    bool inWord = false;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c != ' ' && !inWord) ++count;
        inWord = *c != ' ';
    }
    return count;
}

// Takes one option without a value; false when the command has no such option.
bool TakeOption(const CommandRow& command, const std::string& option, CliArguments& arguments) {
    const auto has = [&](CommandOption bit) { return (command.options & bit) != 0; };
    if (has(kOptionJson) && option == "--json") {
        arguments.format = OutputFormat::Json;
        return true;
    }
    if (has(kOptionAtRestart) && option == "--at-restart") {
        arguments.atRestart = true;
        return true;
    }
    if (has(kOptionMoveAside) && option == "--move-aside") {
        arguments.moveAside = true;
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

    const CommandRow* command = FindCommand(arguments[0]);
    if (command == nullptr) return Failure("unknown command \"" + arguments[0] + "\"; run pendrix-cli --help for the usage");

    ParsedArguments parsed;
    CliArguments& result = parsed.arguments;
    result.command = command;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument.compare(0, 2, "--") != 0) {
            result.operands.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if ((command->options & kOptionSource) != 0 && argument == "--source") {
            if (i + 1 >= arguments.size()) return Failure("--source needs a path");
            result.expectedSource = arguments[++i];
        } else if (!TakeOption(*command, argument, result)) {
            return Failure("unknown option \"" + argument + "\" for " + command->name + UsageOf(*command));
        }
    }
    if (result.operands.size() != WordCount(command->operands))
        return Failure(std::string("wrong number of arguments for ") + command->name + UsageOf(*command));
    for (const std::string& operand : result.operands)
        if (operand.empty()) return Failure(std::string("an empty argument for ") + command->name + UsageOf(*command));

    if (result.atRestart && result.moveAside)
        return Failure("--move-aside replaces now and --at-restart at the next start: give one of them");

    // An operand named N is an entry number, as list numbers the entries.
    if (std::string_view(command->operands) == "N") {
        const std::optional<std::size_t> number = ParseEntryNumber(result.operands[0]);
        if (!number)
            return Failure("\"" + result.operands[0] + "\" is not an entry number (1, 2, ... as list shows them)");
        result.entry = *number;
    }
    if (result.expectedSource && result.expectedSource->empty()) return Failure("--source needs a path");
    parsed.ok = true;
    return parsed;
}

}  // namespace pendrix::cli
