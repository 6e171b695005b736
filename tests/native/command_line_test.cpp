// A command line split as CommandLineToArgvW splits it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/command_line.h"

namespace pendrix {
namespace {

using Arguments = std::vector<std::string>;

TEST(CommandLine, SplitsAsWindowsDoes) {
    const struct {
        const char* line;
        Arguments arguments;
    } cases[] = {
        {"", {""}},
        {"Pendrix.exe", {"Pendrix.exe"}},
        {"\"C:\\Program Files\\P\\Pendrix.exe\" /replace \"C:\\a b\\c.dll\"",
         {"C:\\Program Files\\P\\Pendrix.exe", "/replace", "C:\\a b\\c.dll"}},
        // The program's name: up to the next quotation mark, backslashes plain.
        {"\"C:\\x\\\"/delete a", {"C:\\x\\", "/delete", "a"}},
        {"C:\\x\\p.exe\t /delete\t\tC:\\t.txt  ", {"C:\\x\\p.exe", "/delete", "C:\\t.txt"}},
        {" p /x", {"", "p", "/x"}},
        // Backslashes before a quotation mark: 2n give n and a quote, 2n+1 give n and a mark.
        {"p a\\\\\"b c\"", {"p", "a\\b c"}},
        {"p a\\\"b c", {"p", "a\"b", "c"}},
        {"p a\\\\\\\"b", {"p", "a\\\"b"}},
        {"p C:\\a\\b\\ c", {"p", "C:\\a\\b\\", "c"}},
        // A folder root in quotation marks: its backslash escapes the mark.
        {"p /delete \"C:\\\" x", {"p", "/delete", "C:\" x"}},
        {"p \"\"", {"p", ""}},
        // Two marks within a quoted part: one literal mark, and the part ends.
        {"p \"a\"\"b\" c", {"p", "a\"b c"}},
        {"p \"a\"\" b", {"p", "a\"", "b"}},
        {"p a\"b c\"d", {"p", "ab cd"}},
        {"p \"unclosed name", {"p", "unclosed name"}},
        {"p \xE4\xB8\xAD\xE6\x96\x87.txt", {"p", "\xE4\xB8\xAD\xE6\x96\x87.txt"}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.line);
        EXPECT_EQ(SplitCommandLine(test.line), test.arguments);
    }
}

}  // namespace
}  // namespace pendrix
