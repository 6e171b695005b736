// The console tool's view of a stored list: entries and their warnings over
// a table of layouts, entry removal over generated lists, and the JSON and
// console texts of names made of any UTF-16 units.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/console_text.h"
#include "cli/json_text.h"
#include "cli/list_format.h"
#include "cli/pending_entries.h"
#include "cli/source_existence.h"
#include "common/utf16_text.h"
#include "registry/registry_constants.h"
#include "scheduler/stored_list.h"
#include "tests/common/literal_text.h"
#include "tests/native/fake_file_system.h"
#include "tests/native/fake_list_lock.h"
#include "tests/native/fake_registry.h"

namespace pendrix::cli {
namespace {

// Each entry as "kind source>destination" with "!" when unreached after an
// empty string, "?" when the value is not closed, the source's flag in
// brackets and "~" for a mark this program does not know.
std::string Summary(const PendingEntries& list) {
    std::string out;
    for (const PendingEntry& e : list.entries) {
        const char* kinds[] = {"replace", "rename", "delete"};
        out += std::to_string(e.number) + ":" + kinds[static_cast<int>(e.kind)] + " " + std::string(e.source);
        if (e.kind != EntryKind::Delete) out += ">" + std::string(e.destination);
        if (!e.sourceFlag.empty()) out += "[" + std::string(e.sourceFlag) + "]";
        if (e.unknownMark) out += "~";
        if (e.unreached == Unreached::AfterEmptyString) out += "!";
        if (e.unreached == Unreached::NotClosed) out += "?";
        out += ";";
    }
    return out;
}

TEST(PendingEntries, DescribesEachLayout) {
    const struct {
        std::string stored;
        std::string entries;
    } cases[] = {
        {"", ""},
        {S("\0"), ""},
        {S("\\??\\C:\\s\0!\\??\\C:\\d\0\0"), "1:replace C:\\s>C:\\d;"},
        {S("\\??\\C:\\a\0\\??\\C:\\b\0\0"), "1:rename C:\\a>C:\\b;"},
        {S("C:\\raw\0!D:\\raw\0\0"), "1:replace C:\\raw>D:\\raw;"},
        // An odd count: the last first string pairs with the closing NUL.
        {S("A\0B\0C\0\0"), "1:rename A>B;2:delete C;"},
        {S("A\0\0"), "1:delete A;"},
        // Not closed: nothing is carried out.
        {S("A\0B\0"), "1:rename A>B?;"},
        {S("A\0B\0C"), "1:rename A>B?;2:delete C?;"},
        // A surplus NUL, and empty strings in the middle: the walk stops.
        {S("A\0B\0\0\0"), "1:rename A>B;"},
        {S("A\0B\0\0C\0D\0\0"), "1:rename A>B;2:rename C>D!;"},
        {S("A\0B\0\0\0\0C\0\0\0"), "1:rename A>B;2:delete C!;"},
        // Sources as Windows 10 and 11 write them: the flag is kept apart.
        {S("*1\\??\\C:\\s\0!\\??\\C:\\d\0\0"), "1:replace C:\\s>C:\\d[*1];"},
        {S("*23\\??\\C:\\s\0\0"), "1:delete C:\\s[*23];"},
        // Marks this program does not know: shown as stored, never guessed at.
        {S("*\\??\\C:\\s\0\0"), "1:delete *\\??\\C:\\s~;"},
        {S("*1x\\??\\C:\\s\0\0"), "1:delete *1x\\??\\C:\\s~;"},
        {S("#\\??\\C:\\s\0\0"), "1:delete #\\??\\C:\\s~;"},
        {S("\\??\\C:\\s\0@\\??\\C:\\d\0\0"), "1:rename C:\\s>@\\??\\C:\\d~;"},
        {S("\\??\\C:\\s\0!*1\\??\\C:\\d\0\0"), "1:replace C:\\s>*1\\??\\C:\\d~;"},
        {S("\\??\\C:\\s\0@C:\\d\0\0"), "1:rename C:\\s>@C:\\d~;"},
    };
    for (const auto& c : cases) {
        const PendingEntries list = DescribeEntries(c.stored, true);
        EXPECT_EQ(Summary(list), c.entries) << ::testing::PrintToString(c.stored);
        EXPECT_EQ(list.closed, IsClosedProperly(c.stored));
    }
}

// A generated stored list: strings of letters, some empty, closed properly
// or not, the last string with or without its NUL.
std::string GeneratedList(std::mt19937& random) {
    std::string stored;
    const int strings = static_cast<int>(random() % 9);
    for (int i = 0; i < strings; ++i) {
        const int length = random() % 4 == 0 ? 0 : static_cast<int>(1 + random() % 3);
        for (int k = 0; k < length; ++k) stored += static_cast<char>('a' + random() % 3);
        stored += '\0';
    }
    switch (random() % 4) {
    case 0: stored += '\0'; break;                  // closed
    case 1: break;                                  // one NUL short
    case 2: stored += "\0\0"; break;                // a surplus NUL
    default: stored += "tail"; break;               // no NUL after the last string
    }
    return stored;
}

TEST(PendingEntries, RemovingAnEntryKeepsEveryOtherStringAndTheClosing) {
    std::mt19937 random(20261207);
    for (int round = 0; round < 3000; ++round) {
        const std::string stored = GeneratedList(random);
        const PendingEntries before = DescribeEntries(stored, true);
        for (const PendingEntry& removed : before.entries) {
            std::string after = stored;
            ASSERT_TRUE(RemoveEntry(after, removed));

            // The other entries, in order and unchanged; what the start-up
            // walk reached before, it still reaches.
            const PendingEntries left = DescribeEntries(after, true);
            std::vector<const PendingEntry*> kept;
            for (const PendingEntry& e : before.entries)
                if (e.number != removed.number) kept.push_back(&e);
            ASSERT_EQ(left.entries.size(), kept.size()) << ::testing::PrintToString(stored);
            for (std::size_t i = 0; i < kept.size(); ++i) {
                EXPECT_EQ(left.entries[i].first, kept[i]->first);
                EXPECT_EQ(left.entries[i].second, kept[i]->second);
                if (kept[i]->unreached == Unreached::No) {
                    EXPECT_EQ(left.entries[i].unreached, Unreached::No);
                }
            }

            // Byte for byte: the stored strings with the entry's taken out.
            std::vector<std::string> strings = SplitStoredStrings(stored);
            strings.erase(strings.begin() + static_cast<std::ptrdiff_t>(removed.stringIndex),
                          strings.begin() + static_cast<std::ptrdiff_t>(removed.stringIndex + removed.stringCount));
            if (after.empty()) {
                EXPECT_TRUE(strings.empty() || (strings.size() == 1 && strings[0].empty()))
                    << ::testing::PrintToString(stored);
            } else {
                EXPECT_EQ(SplitStoredStrings(after), strings) << ::testing::PrintToString(stored);
                if (IsClosedProperly(stored)) {
                    EXPECT_TRUE(IsClosedProperly(after)) << ::testing::PrintToString(stored);
                }
            }
        }
    }
}

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

struct RecordedOutput : CliOutput {
    std::string out;
    std::string error;
    void Out(std::string_view text) override { out += text; }
    void Error(std::string_view text) override { error += text; }
};

// remove N reads the lists twice: to find entry N, and again just before its
// write. Another program's change in between is kept; entry N goes only when
// it is still the same strings in the same value. Each row: the first list
// at the first read, the list another program leaves before the second, N,
// the exit code and the first value afterwards ("<absent>" for none); then,
// for rows with a second value, that value before and after, and the source
// given with --source.
TEST(RemoveCommand, AppliesToTheListAsItIsJustBeforeTheWrite) {
    using ::pendrix::testing::kSessionManager;
    const std::string kAbsent = "<absent>";
    const std::string a = S("\\??\\C:\\a\0!\\??\\C:\\b\0");
    const std::string c = S("\\??\\C:\\c\0\0");
    const std::string setup = S("\\??\\C:\\setup\0\0");
    const std::string flagged = S("*1\\??\\C:\\p\0\0");
    const struct {
        std::string first;
        std::string meanwhile;  // empty: no change
        std::size_t entry;
        int code;
        std::string after;
        std::string second = "<absent>";
        std::string secondAfter = "<absent>";
        std::string source = "";  // empty: no --source
        std::uint32_t meanwhileType = kRegMultiSz;
    } cases[] = {
        {a + c + '\0', "", 2, 0, a + '\0'},
        {a + c + '\0', a + c + setup + '\0', 2, 0, a + setup + '\0'},
        {a + c + '\0', setup + a + c + '\0', 2, 1168, setup + a + c + '\0'},  // entry 2 is now a
        {a + c + '\0', a + '\0', 2, 1168, a + '\0'},                        // entry 2 is gone
        // The last entry of a list: the value goes with it.
        {a + '\0', "", 1, 0, "<absent>"},
        {c, "", 1, 0, "<absent>"},
        {S("\\??\\C:\\unclosed"), "", 1, 0, "<absent>"},
        // --source as list shows it, or as stored; another source refuses.
        {a + c + '\0', "", 1, 0, c + '\0', kAbsent, kAbsent, "C:\\a"},
        {a + c + '\0', "", 1, 0, c + '\0', kAbsent, kAbsent, "\\??\\C:\\a"},
        {a + c + '\0', "", 1, 1168, a + c + '\0', kAbsent, kAbsent, "C:\\b"},
        // Another program made the value binary between the two reads.
        {a + c + '\0', a + c + '\0', 1, 13, a + c + '\0', kAbsent, kAbsent, "", kRegBinary},
        // Taking out the unclosed last entry would close the list.
        {c + S("\\??\\C:\\d"), "", 2, 13, c + S("\\??\\C:\\d")},
        // Numbered on across both values: each withdrawal changes only the
        // value that holds the entry, and keeps a source's flag.
        {a + '\0', "", 2, 0, a + '\0', c + setup + '\0', setup + '\0'},
        {a + '\0', "", 3, 0, a + '\0', c + flagged + '\0', c + '\0', "C:\\p"},
        {a + '\0', "", 3, 0, a + '\0', c + flagged + '\0', c + '\0', "*1\\??\\C:\\p"},
        {a + '\0', "", 3, 1168, a + '\0', c + flagged + '\0', c + flagged + '\0', "C:\\q"},
        {a + '\0', "", 1, 0, kAbsent, c, c},
        {a + '\0', "", 2, 0, a + '\0', c, kAbsent},
        {a + '\0', "", 3, 1168, a + '\0', c, c},
        // Entry 2 of the second value became entry 2 of the first meanwhile.
        {a + '\0', a + c + '\0', 2, 1168, a + c + '\0', c + setup + '\0', c + setup + '\0'},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(::testing::PrintToString(test.meanwhile) + " entry " + std::to_string(test.entry) + " " +
                     ::testing::PrintToString(test.second));
        ::pendrix::testing::FakeRegistry registry;
        ::pendrix::testing::FakeFileSystem files;
        registry.PutText(kSessionManager, kPendingValueName, kRegMultiSz, test.first);
        if (test.second != kAbsent) registry.PutText(kSessionManager, kPendingValue2Name, kRegMultiSz, test.second);
        int queries = 0;
        registry.beforeQuery = [&] {
            if (++queries == 2 && !test.meanwhile.empty())
                registry.PutText(kSessionManager, kPendingValueName, test.meanwhileType, test.meanwhile);
        };
        RegistryRoutines routines(registry);
        RecordedOutput output;
        // remove never asks who holds a file; a finder that finds nobody.
        struct NoHolders : HolderFinder {
            std::uint32_t Find(const std::vector<std::string>&, HolderScan&) override { return kErrorSuccess; }
        } holders;
        testing::FakeListLock lock;
        CliContext context{routines, files, holders, lock, output, [](std::int32_t) { return std::string("text"); }};
        CliArguments arguments;
        arguments.command = CliCommand::Remove;
        arguments.entry = test.entry;
        if (!test.source.empty()) arguments.expectedSource = test.source;
        EXPECT_EQ(RunCommand(arguments, context), test.code) << output.error;
        EXPECT_EQ(output.error.empty(), test.code == 0) << output.error;
        const auto* value = registry.FindValue(kSessionManager, kPendingValueName);
        if (value != nullptr && value->type == kRegBinary) {
            EXPECT_EQ(std::string(value->data.begin(), value->data.end()), test.after);
        } else {
            EXPECT_EQ(value == nullptr ? "<absent>" : value->Text(), test.after);
        }
        const auto* value2 = registry.FindValue(kSessionManager, kPendingValue2Name);
        EXPECT_EQ(value2 == nullptr ? "<absent>" : value2->Text(), test.secondAfter);
        EXPECT_EQ(registry.OpenHandles(), 0u);
    }
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
        struct NoHolders : HolderFinder {
            std::uint32_t Find(const std::vector<std::string>&, HolderScan&) override { return kErrorSuccess; }
        } holders;
        testing::FakeListLock lock;
        for (const bool json : {false, true}) {
            RecordedOutput output;
            CliContext context{routines, files, holders, lock, output, [](std::int32_t) { return std::string("text"); }};
            CliArguments arguments;
            arguments.command = CliCommand::List;
            arguments.json = json;
            EXPECT_EQ(RunCommand(arguments, context), 0) << output.error;
            if (json)
                EXPECT_NE(output.out.find(test.jsonPart), std::string::npos) << output.out;
            else
                EXPECT_EQ(output.out, test.text);
        }
    }
}

TEST(PendingEntries, Win32PathOfEachKindOfName) {
    const std::pair<std::string, std::string> cases[] = {
        {"\\??\\C:\\x\\y.dll", "\\\\?\\C:\\x\\y.dll"},
        {"\\??\\UNC\\server\\share\\f", "\\\\?\\UNC\\server\\share\\f"},
        {"C:\\x", ""},
        {"\\SystemRoot\\x", ""},
        {"\\??\\relative", ""},
    };
    for (const auto& [name, path] : cases) EXPECT_EQ(Win32PathOf(name), path) << name;
}

// The UTF-16 units of a JSON string literal, read back by the rules of JSON.
std::u16string JsonUnits(const std::string& literal) {
    std::u16string units;
    EXPECT_TRUE(literal.size() >= 2 && literal.front() == '"' && literal.back() == '"');
    for (std::size_t i = 1; i + 1 < literal.size(); ++i) {
        const char c = literal[i];
        EXPECT_TRUE(c >= 0x20 && c < 0x7F) << "not plain printable ASCII: " << int(c);
        EXPECT_NE(c, '"');
        if (c != '\\') {
            units += static_cast<char16_t>(c);
            continue;
        }
        const char escape = literal[++i];
        const std::string simple = "\"\\/bfnrt";
        const std::u16string meaning = u"\"\\/\b\f\n\r\t";
        if (escape == 'u') {
            units += static_cast<char16_t>(std::stoul(literal.substr(i + 1, 4), nullptr, 16));
            i += 4;
        } else {
            EXPECT_NE(simple.find(escape), std::string::npos) << escape;
            units += meaning[simple.find(escape)];
        }
    }
    return units;
}

// Whatever the folders hold and however the names are spelt, the states,
// sizes and times are those the file system gives name by name; a missing folder holding many
// of the names costs one question, and an existing one one listing, not one
// question per name.
TEST(FileStates, AgreeWithAQuestionPerName) {
    std::mt19937 random(99);
    const char* const folders[] = {"C:\\a\\", "C:\\b\\", "C:\\a\\deep\\", "C:\\none\\", "C:\\"};
    for (int round = 0; round < 120; ++round) {
        ::pendrix::testing::FakeFileSystem files;
        files.PutFolder("C:\\b");  // empty
        std::vector<std::string> paths;
        const int count = static_cast<int>(random() % 200);
        for (int i = 0; i < count; ++i) {
            const std::size_t folder = random() % std::size(folders);
            std::string path = folders[folder];
            path += random() % 2 ? "f" : "F";
            // A name no file can have, in a folder that exists.
            const bool nameless = (folder == 1 || folder == 4) && random() % 4 == 0;
            path += std::string(nameless ? "<" : "") + std::to_string(random() % 6) + ".dll";
            // Sizes differ; each file's time is its own.
            if (random() % 2 && !nameless && path.find("none") == std::string::npos)
                files.Put(path, std::string(random() % 3, 'x'));
            paths.push_back(random() % 10 == 0 ? std::string() : path);
        }
        std::vector<FileState> expected;
        for (const std::string& path : paths) {
            // Only "not found" is missing; any other failure leaves it unknown.
            FileFacts facts;
            const std::uint32_t status = path.empty() ? kErrorInvalidName : files.Facts(path, facts);
            if (status == kErrorSuccess)
                expected.push_back({SourceState::Exists, FileStamp{facts.size, facts.lastWrite}});
            else if (status == kErrorFileNotFound || status == kErrorPathNotFound)
                expected.push_back({SourceState::Missing, std::nullopt});
            else
                expected.emplace_back();
        }
        EXPECT_EQ(FileStates(files, paths), expected) << round;
    }

    ::pendrix::testing::FakeFileSystem files;
    std::vector<std::string> paths;
    for (int i = 0; i < 100; ++i) {
        paths.push_back("c:\\big\\f" + std::to_string(i));
        if (i % 3 != 0) files.Put(paths.back(), "x");
        paths.push_back("c:\\gone\\f" + std::to_string(i));
    }
    const std::vector<FileState> states = FileStates(files, paths);
    for (std::size_t i = 0; i < states.size(); ++i)
        EXPECT_EQ(states[i].state, i % 2 == 0 && i / 2 % 3 != 0 ? SourceState::Exists : SourceState::Missing) << i;
    EXPECT_EQ(files.attributeCalls.value, 3);  // big, its first (missing) name, then one listing; gone
}

// The UTF-8 of the first and last character of each length, both ways.
TEST(Utf16Text, EachLengthsFirstAndLastCharacter) {
    const std::pair<std::u16string, std::string> cases[] = {
        {u"\u007F", "\x7F"},         {u"\u0080", "\xC2\x80"},         {u"\u07FF", "\xDF\xBF"},
        {u"\u0800", "\xE0\xA0\x80"}, {u"\uFFFF", "\xEF\xBF\xBF"},     {u"\U00010000", "\xF0\x90\x80\x80"},
        {u"\U0010FFFF", "\xF4\x8F\xBF\xBF"},
    };
    for (const auto& [units, text] : cases) {
        EXPECT_EQ(TextFromUtf16(units), text) << text;
        EXPECT_EQ(Utf16FromText(text), units) << text;
    }
}

TEST(JsonText, EveryUtf16SequenceComesBackUnitForUnit) {
    std::mt19937 random(7);
    const char16_t interesting[] = {0,      u'"',   u'\\',  u'/',   0x1F,   0x7F,   0xE9,   0x416,  0x4E2D,
                                    0xD800, 0xDBFF, 0xDC00, 0xDFFF, 0xFFFD, 0xFFFF, u'a',   u' ',   0x9};
    for (int round = 0; round < 5000; ++round) {
        std::u16string units;
        const int length = static_cast<int>(random() % 12);
        for (int i = 0; i < length; ++i)
            units += random() % 2 ? interesting[random() % std::size(interesting)] : static_cast<char16_t>(random());
        std::string literal;
        AppendJsonString(literal, TextFromUtf16(units));
        EXPECT_EQ(JsonUnits(literal), units) << literal;
    }
    std::string loneSurrogate;
    AppendJsonString(loneSurrogate, TextFromUtf16(u"a\xD800z"));
    EXPECT_EQ(loneSurrogate, "\"a\\ud800z\"");
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

}  // namespace
}  // namespace pendrix::cli
