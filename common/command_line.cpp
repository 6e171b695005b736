#include "common/command_line.h"

namespace pendrix {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
    std::vector<std::string> arguments;
    std::size_t at = 0;

    // The program's name: no escapes.
    std::string program;
    if (at < line.size() && line[at] == '"') {
        ++at;
        while (at < line.size() && line[at] != '"') program += line[at++];
        if (at < line.size()) ++at;  // the closing mark
    } else {
        while (at < line.size() && !IsBlank(line[at])) program += line[at++];
    }
    arguments.push_back(std::move(program));

    while (true) {
        while (at < line.size() && IsBlank(line[at])) ++at;
        if (at >= line.size()) break;
        std::string argument;
        bool quoted = false;
        while (at < line.size() && (quoted || !IsBlank(line[at]))) {
            if (line[at] == '\\') {
                std::size_t backslashes = 0;
                while (at < line.size() && line[at] == '\\') {
                    ++backslashes;
                    ++at;
                }
                if (at < line.size() && line[at] == '"') {
                    argument.append(backslashes / 2, '\\');
                    if (backslashes % 2 == 1) {
                        argument += '"';
                        ++at;
                    }
                    // An even count leaves the mark to the quoting below.
                } else {
                    argument.append(backslashes, '\\');
                }
                continue;
            }
            if (line[at] == '"') {
                ++at;
                if (quoted && at < line.size() && line[at] == '"') {
                    argument += '"';
                    ++at;
                    quoted = false;
                } else {
                    quoted = !quoted;
                }
                continue;
            }
            argument += line[at++];
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

}  // namespace pendrix
