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

// The option of the command's row named name; null when it has none.
const OptionRow* FindOption(const CommandRow& command, std::string_view name) {
    for (const OptionRow& option : command.options)
        if (name == option.name) return &option;
    return nullptr;
}

}  // namespace

const std::string* CliArguments::Value(std::string_view name) const {
    for (const GivenOption& option : options)
        if (option.name == name) return &option.value;
    return nullptr;
}

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
        } else {
            const OptionRow* option = FindOption(*command, argument);
            if (option == nullptr)
                return Failure("unknown option \"" + argument + "\" for " + command->name + UsageOf(*command));
            if (result.Has(argument))
                return Failure("option \"" + argument + "\" given twice for " + command->name + UsageOf(*command));
            GivenOption given{argument, std::string()};
            if (option->value != nullptr) {
                if (i + 1 >= arguments.size() || arguments[i + 1].empty())
                    return Failure(argument + " needs " + option->value);
                given.value = arguments[++i];
            }
            result.options.push_back(std::move(given));
        }
    }
    if (result.operands.size() != command->operands)
        return Failure(std::string("wrong number of arguments for ") + command->name + UsageOf(*command));
    for (const std::string& operand : result.operands)
        if (operand.empty()) return Failure(std::string("an empty argument for ") + command->name + UsageOf(*command));

    if (command->check != nullptr) {
        std::string error = command->check(result);
        if (!error.empty()) return Failure(std::move(error));
    }
    parsed.ok = true;
    return parsed;
}

}  // namespace pendrix::cli
