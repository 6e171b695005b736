// The window's command line split as CommandLineToArgvW splits it, and what
// the window makes of its arguments: a table of each.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/window_arguments.h"
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

TEST(WindowArguments, OpensAPageOrSaysWhatWasNotUnderstood) {
    // page: "start", "replace", "delete" or "usage"; refused: the start of the
    // message, empty when understood.
    const struct {
        Arguments arguments;
        const char* page;
        const char* path;
        const char* refused;
    } cases[] = {
        {{}, "start", "", ""},
        {{"/replace", "C:\\a b\\c.dll"}, "replace", "C:\\a b\\c.dll", ""},
        {{"/delete", "C:\\t.txt"}, "delete", "C:\\t.txt", ""},
        {{"-DELETE", "C:\\t.txt"}, "delete", "C:\\t.txt", ""},
        {{"/Replace", "/delete"}, "replace", "/delete", ""},
        {{"/?"}, "usage", "", ""},
        {{"-?"}, "usage", "", ""},
        {{"/replace", "x", "/?"}, "usage", "", ""},
        {{"/open", "x"}, "start", "", "Pendrix did not understand \"/open\" on its command line."},
        {{"C:\\t.txt"}, "start", "", "Pendrix did not understand \"C:\\t.txt\" on its command line."},
        {{"replace", "x"}, "start", "", "Pendrix did not understand \"replace\" on its command line."},
        {{"/replace"}, "start", "", "\"/replace\" needs the name of a file after it."},
        {{"/delete", ""}, "start", "", "\"/delete\" is followed by an empty name."},
        {{"/delete", "C:\\a", "b.txt"}, "start", "",
         "Pendrix did not understand \"b.txt\" after \"C:\\a\" on its command line"},
        {{"/?x"}, "start", "", "Pendrix did not understand \"/?x\""},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(::testing::PrintToString(test.arguments));
        const WindowArguments parsed = ParseWindowArguments(test.arguments);
        const char* pages[] = {"start", "replace", "delete"};
        EXPECT_EQ(parsed.usage ? "usage" : pages[static_cast<int>(parsed.page)], std::string(test.page));
        EXPECT_EQ(parsed.path, test.path);
        if (*test.refused == '\0') {
            EXPECT_EQ(parsed.refusal, "");
        } else {
            EXPECT_EQ(parsed.refusal.rfind(test.refused, 0), 0u) << parsed.refusal;
            EXPECT_NE(parsed.refusal.find("Pendrix opens on its start page"), std::string::npos);
        }
    }
}

}  // namespace
}  // namespace pendrix
