// pendrix-cli's text forms: each entry of a listing on one line, and text
// for a redirected handle and for one-line messages.
#include <gtest/gtest.h>

#include <string>

#include "cli/console_text.h"
#include "cli/list_format.h"
#include "common/utf16_text.h"
#include "pending_list/pending_entries.h"
#include "tests/common/literal_text.h"

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
        EXPECT_EQ(text, "1 replace \"" + shown + "\" -> \"C:\\d\"\r\n2 delete \"" + shown + "\"\r\n") << name;
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

}  // namespace
}  // namespace pendrix::cli
