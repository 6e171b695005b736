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
    // Only ASCII letters fold: other bytes must match exactly.
    EXPECT_TRUE(list.Add({"\xC3\x84", RegistryData()}, "\xC3\x84"));
    EXPECT_EQ(list.Find("\xC3\xA4"), nullptr);
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
