// A stored list's entries and their warnings over a table of layouts, entry
// removal over generated lists, the files' presence asked folder by folder,
// and the JSON text of names made of any UTF-16 units.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "common/json_text.h"
#include "pending_list/pending_entries.h"
#include "pending_list/source_existence.h"
#include "common/utf16_text.h"
#include "registry/registry_constants.h"
#include "pending_list/stored_list.h"
#include "tests/common/literal_text.h"
#include "tests/native/fake_file_system.h"
#include "tests/native/fake_registry.h"

namespace pendrix {
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
        // "@" replaces as "!" does; before a deletion's source it is skipped.
        {S("\\??\\C:\\s\0@\\??\\C:\\d\0\0"), "1:replace C:\\s>C:\\d;"},
        {S("@\\??\\C:\\s\0\0"), "1:delete C:\\s;"},
        // Marks this program does not know: shown as stored, never guessed at.
        {S("*\\??\\C:\\s\0\0"), "1:delete *\\??\\C:\\s~;"},
        {S("*1x\\??\\C:\\s\0\0"), "1:delete *1x\\??\\C:\\s~;"},
        {S("*1!\\??\\C:\\s\0\0"), "1:delete *1!\\??\\C:\\s~;"},
        {S("#\\??\\C:\\s\0\0"), "1:delete #\\??\\C:\\s~;"},
        {S("@\\??\\C:\\s\0\\??\\C:\\d\0\0"), "1:rename @\\??\\C:\\s>C:\\d~;"},
        {S("\\??\\C:\\s\0!*1\\??\\C:\\d\0\0"), "1:replace C:\\s>*1\\??\\C:\\d~;"},
        {S("\\??\\C:\\s\0!@\\??\\C:\\d\0\0"), "1:replace C:\\s>@\\??\\C:\\d~;"},
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
TEST(PathPresences, AgreeWithAQuestionPerName) {
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
        std::vector<PathPresence> expected;
        for (const std::string& path : paths) {
            // Only "not found" is missing; any other failure leaves it unknown.
            FileFacts facts;
            const std::uint32_t status = path.empty() ? kErrorInvalidName : files.Facts(path, facts);
            if (status == kErrorSuccess)
                expected.push_back({Presence::Exists, ContentStamp{facts.size, facts.lastWrite}});
            else if (status == kErrorFileNotFound || status == kErrorPathNotFound)
                expected.push_back({Presence::Missing, std::nullopt});
            else
                expected.emplace_back();
        }
        EXPECT_EQ(PathPresences(files, paths), expected) << round;
    }

    ::pendrix::testing::FakeFileSystem files;
    std::vector<std::string> paths;
    for (int i = 0; i < 100; ++i) {
        paths.push_back("c:\\big\\f" + std::to_string(i));
        if (i % 3 != 0) files.Put(paths.back(), "x");
        paths.push_back("c:\\gone\\f" + std::to_string(i));
    }
    const std::vector<PathPresence> states = PathPresences(files, paths);
    for (std::size_t i = 0; i < states.size(); ++i)
        EXPECT_EQ(states[i].state, i % 2 == 0 && i / 2 % 3 != 0 ? Presence::Exists : Presence::Missing) << i;
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

}  // namespace
}  // namespace pendrix
