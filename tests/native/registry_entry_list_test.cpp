#include <gtest/gtest.h>

#include "common/pendrix_error.h"
#include "registry/registry_entry_list.h"

namespace pendrix {
namespace {

TEST(RegistryEntryList, CountsFromOneInTheOrderOfAdding) {
    RegistryKeyList list;
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_TRUE(list.Add("Zeta", "Zeta"));
    EXPECT_TRUE(list.Add("alpha", "alpha"));
    ASSERT_EQ(list.Count(), 2u);
    EXPECT_EQ(list.Item(1), "Zeta");
    EXPECT_EQ(list.Item(2), "alpha");
    for (std::size_t outside : {0u, 3u}) {
        try {
            list.Item(outside);
            ADD_FAILURE() << "position " << outside;
        } catch (const PendrixError& error) {
            EXPECT_EQ(error.Number(), kErrSubscriptOutOfRange);
        }
    }
}

TEST(RegistryEntryList, KeysIgnoreLetterCaseAndOccurOnce) {
    RegistryValueList list;
    EXPECT_TRUE(list.Add({"Path", RegistryData("first")}, "Path"));
    EXPECT_FALSE(list.Add({"PATH", RegistryData("second")}, "PATH")) << "a key occurs at most once";
    EXPECT_TRUE(list.Add({"", RegistryData(1)}, "")) << "the default value's key";
    ASSERT_EQ(list.Count(), 2u);
    ASSERT_NE(list.Find("pAtH"), nullptr);
    EXPECT_EQ(list.Find("pAtH")->data, RegistryData("first"));
    EXPECT_EQ(list.Find("")->data, RegistryData(1));
    EXPECT_EQ(list.Find("Pat"), nullptr);
}

// Keys fold as the registry folds names: every script, one UTF-16 unit at a
// time, nothing beyond the first plane, no two-letter forms. (A Wine test
// checks every unit against the registry itself.)
TEST(RegistryEntryList, KeysFoldAsTheRegistryFoldsNames) {
    const struct {
        std::string a;
        std::string b;
        bool same;
    } cases[] = {
        {"\u041F\u0440\u0438\u0432\u0435\u0442", "\u041F\u0420\u0418\u0412\u0415\u0422", true},  // Привет, ПРИВЕТ
        {"\u00E4", "\u00C4", true},            // ä Ä
        {"\u03C3", "\u03A3", true},            // σ Σ
        {"\u03C2", "\u03A3", false},           // final sigma keeps its case, as in the registry
        {"\u00B5", "\u039C", false},           // so does the micro sign
        {"\u0561", "\u0531", true},            // Armenian
        {"\u24D0", "\u24B6", true},            // circled letters
        {"\uFF41", "\uFF21", true},            // full-width a A
        {"\u00DF", "SS", false},                // ß has no one-letter upper case
        {"\U0001D41A", "\U0001D400", false},   // mathematical letters are no letters of a case
        {"\u6587", "\u6587", true},
        {"a\u00E4", "A\u00C4", true},
        {"\u0430", "a", false},                 // Cyrillic a is not Latin a
    };
    for (const auto& c : cases) {
        RegistryKeyList list;
        EXPECT_TRUE(list.Add(c.a, c.a));
        EXPECT_EQ(list.Find(c.b) != nullptr, c.same) << c.a << " / " << c.b;
        EXPECT_EQ(list.Add(c.b, c.b), !c.same);
    }
}

TEST(RegistryEntryList, KeysThatAreNoTextOfUtf16FoldOnlyAsciiAndMeetNoName) {
    RegistryKeyList list;
    EXPECT_TRUE(list.Add("x", std::string("a\xFF")));
    EXPECT_NE(list.Find(std::string("A\xFF")), nullptr);
    EXPECT_EQ(list.Find(std::string("a\xFE")), nullptr) << "two broken texts are not one key";
    EXPECT_EQ(list.Find("a\uFFFD"), nullptr) << "nor a broken text and its replacement";
}

TEST(RegistryEntryList, EntriesAreCopiesOfTheirOwn) {
    RegistryValueList list;
    RegistryValueEntry entry{"a", RegistryData(ByteList{1})};
    list.Add(entry, entry.name);
    entry.data = RegistryData(ByteList{2});
    list.Add(entry, "b");
    EXPECT_EQ(list.Item(1).data, RegistryData(ByteList{1}));
    EXPECT_EQ(list.Item(2).data, RegistryData(ByteList{2}));
}

}  // namespace
}  // namespace pendrix
