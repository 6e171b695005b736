// The command line of pendrix-cli, parsed into one command of the table
// (cli/command_table.h), its operands and the options its row declares.
// Arguments arrive whole (from the wide command line) as the program's
// 8-bit text; paths are taken exactly as given. What an option means, and
// its default, is its command's own (cli/*_command.cpp).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pendrix::cli {

struct CommandRow;

// An option as given: its name ("--backup") and its value, empty for one
// that takes none.
struct GivenOption {
    std::string name;
    std::string value;
};

struct CliArguments {
    const CommandRow* command = nullptr;  // nothing: the usage was asked for
    std::vector<std::string> operands;    // as the command's row names them, none empty
    std::vector<GivenOption> options;     // each at most once, of those its row declares

    // Whether the option name was given.
    bool Has(std::string_view name) const { return Value(name) != nullptr; }
    // The value the option name was given with; null when it was not given.
    const std::string* Value(std::string_view name) const;
};

struct ParsedArguments {
    bool ok = false;
    CliArguments arguments;
    std::string error;  // when not ok: one line saying what is wrong
};

// arguments: everything after the program's name. "--help", "-h" and "/?"
// anywhere before "--" ask for the usage; "--" ends the options, so that a
// path may begin with "--". An option the command does not declare, one
// given twice, or one without its value is refused.
ParsedArguments ParseArguments(const std::vector<std::string>& arguments);

// A decimal entry number from 1 up, digits only; nothing when text is not one.
std::optional<std::size_t> ParseEntryNumber(const std::string& text);

}  // namespace pendrix::cli
