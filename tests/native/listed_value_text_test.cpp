#include <gtest/gtest.h>

#include "registry/listed_value_text.h"
#include "registry/registry_constants.h"
#include "tests/common/literal_text.h"

namespace pendrix {
namespace {

std::string NoExpansion(const std::string& text) { return text; }

RegistryData Listed(std::uint32_t type, const ByteList& data) { return ListedValueData(type, data, NoExpansion); }

TEST(ListedValueData, BinaryIsUpperCaseHexOfAnySize) {
    EXPECT_EQ(Listed(kRegBinary, {0x01, 0xAB, 0x00}), RegistryData("01 AB 00"));
    EXPECT_EQ(Listed(kRegBinary, {0x0A, 0xFF}), RegistryData("0A FF"));
    EXPECT_EQ(Listed(kRegBinary, {}), RegistryData(""));
    // 32768 bytes and more: no 16-bit counter limits the size.
    ByteList large(40000);
    for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<std::uint8_t>(i);
    const std::string text = Listed(kRegBinary, large).ToText();
    ASSERT_EQ(text.size(), 40000u * 3 - 1);
    EXPECT_EQ(text.substr(0, 12), "00 01 02 03 ");
    EXPECT_EQ(text.substr(text.size() - 5), "3E 3F");
}

TEST(ListedValueData, StringsAndLists) {
    const std::string nul(1, '\0');
    EXPECT_EQ(Listed(kRegSz, {}), RegistryData(""));
    EXPECT_EQ(Listed(kRegSz, Bytes("abc" + nul)), RegistryData("abc"));
    EXPECT_EQ(Listed(kRegSz, Bytes("abc")), RegistryData("abc")) << "stored without a terminator";
    EXPECT_EQ(Listed(kRegSz, Bytes("a" + nul + "b" + nul)), RegistryData("a" + nul + "b"));
    EXPECT_EQ(Listed(kRegMultiSz, Bytes("a" + nul + nul + "b" + nul + nul)), RegistryData("a,,b"));
    EXPECT_EQ(Listed(kRegMultiSz, Bytes("a" + nul + "bc")), RegistryData("a,bc")) << "no closing NULs";
    EXPECT_EQ(Listed(kRegMultiSz, Bytes(nul + nul)), RegistryData(""));
    EXPECT_EQ(Listed(kRegMultiSz, {}), RegistryData(""));
}

TEST(ListedValueData, ExpandableStringsAreExpandedAndCutAtNul) {
    const auto expand = [](const std::string& text) { return "<" + text + std::string(1, '\0') + "rest"; };
    EXPECT_EQ(ListedValueData(kRegExpandSz, Bytes(S("%A%\0")), expand), RegistryData("<%A%"));
    EXPECT_EQ(ListedValueData(kRegExpandSz, {}, expand), RegistryData(""));
}

TEST(ListedValueData, NumbersAndOtherTypes) {
    EXPECT_EQ(Listed(kRegDword, {5, 0, 0, 0}), RegistryData(5));
    EXPECT_EQ(Listed(kRegDword, {0xFF, 0xFF, 0xFF, 0xFF}), RegistryData(-1));
    for (std::uint32_t type : {kRegNone, kRegDwordBigEndian, kRegLink, 11u})
        EXPECT_EQ(Listed(type, {0, 0, 0, 1}), RegistryData()) << type;
}

}  // namespace
}  // namespace pendrix
