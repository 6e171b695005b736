// pendrix-cli's text forms: each entry of a listing on one line, text for a
// redirected handle and for one-line messages; and list over both values.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/console_text.h"
#include "cli/list_format.h"
#include "common/utf16_text.h"
#include "pending_list/pending_entries.h"
#include "registry/registry_constants.h"
#include "tests/common/literal_text.h"
#include "tests/native/cli_test_support.h"
#include "tests/native/fake_file_system.h"
#include "tests/native/fake_list_lock.h"
#include "tests/native/fake_registry.h"

namespace pendrix::cli {
namespace {

// Names holding characters that end or hide a line: each entry stays one
// line, its control characters shown as <U+XXXX>.
TEST(ListText, EveryEntryIsOneLine) {
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\a\r\n2 delete \"C:\\Windows\\system32\\kernel32.dll\"",
         "C:\\a<U+000D><U+000A>2 delete \"C:\\Windows\\system32\\kernel32.dll\""},
        {"\x01\t\x1F\x7F", "<U+0001><U+0009><U+001F><U+007F>"},
        {"a\xC2\x85" "b\xC2\x9B" "c\xE2\x80\xA8" "d\xE2\x80\xA9" "e", "a<U+0085>b<U+009B>c<U+2028>d<U+2029>e"},
        // Other characters pass unchanged, those next to the escaped ones too:
        // no-break space, U+2027, U+202A, an emoji, a cut sequence.
        {"C:\\Привет\xC2\xA0\xE2\x80\xA7\xE2\x80\xAA中\xF0\x9F\x98\x80",
         "C:\\Привет\xC2\xA0\xE2\x80\xA7\xE2\x80\xAA中\xF0\x9F\x98\x80"},
        {"\xC2", "\xC2"},
    };
    for (const auto& [name, shown] : cases) {
        const std::string stored = "\\??\\" + name + S("\0!\\??\\C:\\d\0\\??\\") + name + S("\0\0\0");
        PendingEntries list = DescribeEntries(stored, true);
        const std::string text = FormatListText(list);
        EXPECT_EQ(text, "1 v1 replace \"" + shown + "\" -> \"C:\\d\"\r\n2 v1 delete \"" + shown + "\"\r\n") << name;
    }
}


TEST(ConsoleText, RedirectedTextIsStrictUtf8) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"C:\\Привет\\中文\\😀", u"C:\\Привет\\中文\\😀"},
        {u"a\xD800" u"b", u"a\xFFFD" u"b"},
        {u"\xDC00\xD800", u"\xFFFD\xFFFD"},
        {u"\xD83D\xDE00\xD83D", u"😀\xFFFD"},
    };
    for (const auto& [units, shown] : cases) {
        std::string storage;
        EXPECT_EQ(RedirectedText(TextFromUtf16(units), storage), TextFromUtf16(shown));
    }
    EXPECT_EQ(OneLine("Access is denied.\r\n"), "Access is denied");
    EXPECT_EQ(OneLine("Two\r\nlines. "), "Two  lines");
}

// list over both values: the first value's entries, then the second's,
// numbered on and each marked with its value; a flagged source is checked
// by its path; a plain rename onto a file that exists is warned of.
TEST(ListCommand, ShowsBothValuesInTheOrderWindowsCarriesThemOut) {
    using ::pendrix::testing::kSessionManager;
    const std::string kAbsent = "<absent>";
    const std::string kSourceMissing = "  warning: the source does not exist now\r\n";
    const std::string kUnreplaced =
        "  warning: the destination exists and the entry does not replace it: the rename fails at the restart\r\n";
    const struct {
        std::string first, second;
        std::string text;
        std::string jsonPart;  // a part of list --json
    } cases[] = {
        {kAbsent, kAbsent, "Nothing is pending: PendingFileRenameOperations does not exist.\r\n", "\"values\": [{\"value\": 1"},
        {kAbsent, "", "Nothing is pending: PendingFileRenameOperations and PendingFileRenameOperations2 hold no entry.\r\n",
         "{\"value\": 2, \"name\": \"HKLM\\\\SYSTEM\\\\CurrentControlSet\\\\Control\\\\Session Manager\\\\"
         "PendingFileRenameOperations2\", \"exists\": true, \"type\": \"REG_MULTI_SZ\", \"bytes\": 0"},
        {S("\\??\\C:\\here\0\0\0"), S("*1\\??\\C:\\here\0\\??\\C:\\there\0\\??\\C:\\gone\0\0\0"),
         "1 v1 delete \"C:\\here\"\r\n"
         "2 v2 rename \"C:\\here\" -> \"C:\\there\" (source flag *1)\r\n" + kUnreplaced +
         "3 v2 delete \"C:\\gone\"\r\n" + kSourceMissing,
         "{\"number\": 2, \"value\": 2, \"kind\": \"rename\", \"source\": \"C:\\\\here\", \"destination\": "
         "\"C:\\\\there\", \"first\": \"*1\\\\??\\\\C:\\\\here\", \"second\": \"\\\\??\\\\C:\\\\there\", "
         "\"sourceFlag\": \"*1\", \"sourceExists\": true"},
        // With "!" the destination is replaced: no warning.
        {S("\\??\\C:\\here\0!\\??\\C:\\there\0\0"), kAbsent, "1 v1 replace \"C:\\here\" -> \"C:\\there\"\r\n",
         "\"destinationExists\": null, \"reached\": true, \"warnings\": []"},
        {S("\\??\\C:\\here\0\\??\\C:\\new\0\0"), kAbsent, "1 v1 rename \"C:\\here\" -> \"C:\\new\"\r\n",
         "\"destinationExists\": false, \"reached\": true, \"warnings\": []"},
        {S("\\??\\C:\\here\0\0\0"), S("#\\??\\C:\\here\0"),
         "Warning: PendingFileRenameOperations2 does not end with two NULs: the start-up processing carries out "
         "none of it.\r\n1 v1 delete \"C:\\here\"\r\n2 v2 delete \"#\\??\\C:\\here\"\r\n"
         "  warning: a mark before \\??\\ that pendrix-cli does not know; the names are shown as stored\r\n"
         "  warning: never carried out: the list does not end with two NULs, so the start-up processing ignores it\r\n",
         "\"warnings\": [\"unknown-mark\", \"not-closed\"]"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(::testing::PrintToString(test.first) + " " + ::testing::PrintToString(test.second));
        ::pendrix::testing::FakeRegistry registry;
        ::pendrix::testing::FakeFileSystem files;
        files.Put("C:\\here", "x");
        files.Put("C:\\there", "y");
        if (test.first != kAbsent) registry.PutText(kSessionManager, kPendingValueName, kRegMultiSz, test.first);
        if (test.second != kAbsent) registry.PutText(kSessionManager, kPendingValue2Name, kRegMultiSz, test.second);
        RegistryRoutines routines(registry);
        ::pendrix::testing::NoHolders holders;
        testing::FakeListLock lock;
        for (const bool json : {false, true}) {
            ::pendrix::testing::RecordedOutput output;
            CliContext context{routines, files, holders, lock, output, ::pendrix::testing::ErrorTextStandIn};
            const std::vector<std::string> line =
                json ? std::vector<std::string>{"list", "--json"} : std::vector<std::string>{"list"};
            EXPECT_EQ(::pendrix::testing::RunCommandLine(line, context), 0) << output.error;
            if (json)
                EXPECT_NE(output.out.find(test.jsonPart), std::string::npos) << output.out;
            else
                EXPECT_EQ(output.out, test.text);
        }
    }
}

// remove of an entry of the second value names that value, in what it did
// and in a refusal of that value's form.
TEST(RemoveCommand, NamesTheSecondValue) {
    using ::pendrix::testing::kSessionManager;
    ::pendrix::testing::FakeRegistry registry;
    ::pendrix::testing::FakeFileSystem files;
    registry.PutText(kSessionManager, kPendingValueName, kRegMultiSz, S("\\??\\C:\\a\0\0\0"));
    registry.PutText(kSessionManager, kPendingValue2Name, kRegMultiSz, S("\\??\\C:\\b\0\0\\??\\C:\\c\0\0\0"));
    RegistryRoutines routines(registry);
    ::pendrix::testing::NoHolders holders;
    testing::FakeListLock lock;
    ::pendrix::testing::RecordedOutput output;
    CliContext context{routines, files, holders, lock, output, ::pendrix::testing::ErrorTextStandIn};
    EXPECT_EQ(::pendrix::testing::RunCommandLine({"remove", "3"}, context), 0) << output.error;
    EXPECT_EQ(output.out, "Withdrew entry 3 from PendingFileRenameOperations2: delete \"C:\\c\".\r\n");
    EXPECT_EQ(::pendrix::testing::RunCommandLine({"remove", "1", "--source", "C:\\b"}, context), 1168);
    registry.PutText(kSessionManager, kPendingValue2Name, kRegBinary, "xy");
    EXPECT_EQ(::pendrix::testing::RunCommandLine({"remove", "2"}, context), 13);
    EXPECT_NE(output.error.find("nothing was withdrawn: PendingFileRenameOperations2 is of type REG_BINARY"),
              std::string::npos)
        << output.error;
}

}  // namespace
}  // namespace pendrix::cli
