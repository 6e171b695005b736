// What the window makes of its command line's arguments: a table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/window_arguments.h"

namespace pendrix {
namespace {

using Arguments = std::vector<std::string>;

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
