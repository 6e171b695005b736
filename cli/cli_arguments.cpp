#include "cli/cli_arguments.h"

#include <limits>
#include <utility>

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

std::string UsageOf(const CommandRow& command) { return std::string("; usage: pendrix-cli ") + command.syntax; }

struct FlagOption {
    CommandOption bit;
    const char* name;
    bool CliArguments::*field;
};

// The options that take no value.
const FlagOption kFlagOptions[] = {
    {kOptionAtRestart, "--at-restart", &CliArguments::atRestart},
    {kOptionMoveAside, "--move-aside", &CliArguments::moveAside},
    {kOptionPause, "--pause", &CliArguments::pause},
    {kOptionAllUsers, "--all-users", &CliArguments::allUsers},
    {kOptionDryRun, "--dry-run", &CliArguments::dryRun},
    {kOptionDocumentedOnly, "--documented-only", &CliArguments::documentedOnly},
};

// Takes one option without a value; false when the command has no such option.
bool TakeOption(const CommandRow& command, const std::string& option, CliArguments& arguments) {
    if ((command.options & kOptionJson) != 0 && option == "--json") {
        arguments.format = OutputFormat::Json;
        return true;
    }
    for (const FlagOption& flag : kFlagOptions) {
        if ((command.options & flag.bit) == 0 || option != flag.name) continue;
        arguments.*flag.field = true;
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
        } else if ((command->options & kOptionBackup) != 0 && argument == "--backup") {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) return Failure("--backup needs a file name");
            result.backupPath = arguments[++i];
        } else if (!TakeOption(*command, argument, result)) {
            return Failure("unknown option \"" + argument + "\" for " + command->name + UsageOf(*command));
        }
    }
    if (result.operands.size() != command->operands)
        return Failure(std::string("wrong number of arguments for ") + command->name + UsageOf(*command));
    for (const std::string& operand : result.operands)
        if (operand.empty()) return Failure(std::string("an empty argument for ") + command->name + UsageOf(*command));

    if (result.atRestart && result.moveAside)
        return Failure("--move-aside replaces now and --at-restart at the next start: give one of them");

    if (command->check != nullptr) {
        std::string error = command->check(result);
        if (!error.empty()) return Failure(std::move(error));
    }
    parsed.ok = true;
    return parsed;
}

}  // namespace pendrix::cli
