#include <gtest/gtest.h>

#include "common/pendrix_error.h"
#include "registry/registry_codec.h"
#include "registry/registry_constants.h"
#include "tests/native/fake_registry.h"

namespace pendrix {
namespace {

ByteList Bytes(const std::string& text) { return ByteList(text.begin(), text.end()); }
std::string Text(const char* text, std::size_t length) { return std::string(text, length); }

std::string NoExpansion(const std::string& text) { return text; }

RegistryData Decode(std::uint32_t type, const ByteList& data, const RegistryData& def = RegistryData()) {
    return DecodeRegistryData(type, data, def, NoExpansion);
}

TEST(DecodeRegistryData, Strings) {
    const RegistryData def("default");
    EXPECT_EQ(Decode(kRegSz, Bytes(Text("abc\0", 4)), def), RegistryData("abc"));
    EXPECT_EQ(Decode(kRegSz, Bytes("abc"), def), RegistryData("abc")) << "stored without a terminator";
    EXPECT_EQ(Decode(kRegSz, Bytes(Text("\0", 1)), def), RegistryData(""));
    EXPECT_EQ(Decode(kRegSz, ByteList(), def), def);
    EXPECT_EQ(Decode(kRegSz, Bytes(Text("a\0b\0", 4)), def), RegistryData(Text("a\0b", 3)));
    EXPECT_EQ(Decode(kRegSz, Bytes(Text(" x \0\0", 5)), def), RegistryData(Text(" x \0", 4)));
}

TEST(DecodeRegistryData, ExpandableStringsAreExpanded) {
    const auto expand = [](const std::string& text) { return "[" + text + "]"; };
    EXPECT_EQ(DecodeRegistryData(kRegExpandSz, Bytes(Text("%A%\0", 4)), RegistryData(), expand),
              RegistryData("[%A%]"));
    EXPECT_EQ(DecodeRegistryData(kRegExpandSz, ByteList(), RegistryData(7), expand), RegistryData(7));
}

TEST(DecodeRegistryData, BinaryAndNumbers) {
    EXPECT_EQ(Decode(kRegBinary, ByteList{0x0A, 0xFF, 0x00}), RegistryData(ByteList{0x0A, 0xFF, 0x00}));
    EXPECT_EQ(Decode(kRegBinary, ByteList(), RegistryData("d")), RegistryData("d"));
    EXPECT_EQ(Decode(kRegDword, ByteList{0x2A, 0, 0, 0}), RegistryData(42));
    EXPECT_EQ(Decode(kRegDword, ByteList{0xFF, 0xFF, 0xFF, 0xFF}), RegistryData(-1));
    EXPECT_EQ(Decode(kRegDword, ByteList{0x01, 0x02}), RegistryData(0x0201)) << "missing bytes count as 0";
    EXPECT_EQ(Decode(kRegDword, ByteList{1, 0, 0, 0, 9}), RegistryData(1));
}

TEST(DecodeRegistryData, MultiStringListText) {
    const RegistryData def("");
    EXPECT_EQ(Decode(kRegMultiSz, Bytes(Text("a\0b\0\0", 5)), def), RegistryData(Text("a\0b", 3)));
    EXPECT_EQ(Decode(kRegMultiSz, Bytes(Text("a\0\0\0", 4)), def), RegistryData(Text("a\0", 2)))
        << "a deletion pair at the end keeps its empty second string";
    EXPECT_EQ(Decode(kRegMultiSz, Bytes(Text("\0\0", 2)), def), def);
    EXPECT_EQ(Decode(kRegMultiSz, Bytes(Text("\0x\0\0", 4)), def), def) << "empty first string";
    EXPECT_EQ(Decode(kRegMultiSz, ByteList(), def), def);
    EXPECT_EQ(Decode(kRegMultiSz, Bytes(Text("\0", 1)), def), def);
}

TEST(DecodeRegistryData, MultiStringWithoutClosingNulsKeepsItsLastString) {
    const RegistryData def("");
    EXPECT_EQ(Decode(kRegMultiSz, Bytes(Text("a\0bc\0", 5)), def), RegistryData(Text("a\0bc", 4)));
    EXPECT_EQ(Decode(kRegMultiSz, Bytes(Text("a\0bc", 4)), def), RegistryData(Text("a\0bc", 4)));
    EXPECT_EQ(Decode(kRegMultiSz, Bytes("x"), def), RegistryData("x"));
}

TEST(DecodeRegistryData, UndecodedTypesGiveTheDefault) {
    for (std::uint32_t type : {kRegNone, kRegDwordBigEndian, kRegLink, 8u, 11u})
        EXPECT_EQ(Decode(type, ByteList{1, 2, 3, 4}, RegistryData("d")), RegistryData("d")) << type;
}

std::optional<EncodedValue> Encode(std::int32_t dtype, const RegistryData& value) {
    return EncodeRegistryData(dtype, value);
}

TEST(EncodeRegistryData, StringsCarryTheirTerminator) {
    EXPECT_EQ(Encode(1, RegistryData("abc"))->data, Bytes(Text("abc\0", 4)));
    EXPECT_EQ(Encode(1, RegistryData("abc"))->type, kRegSz);
    EXPECT_EQ(Encode(2, RegistryData("%X%"))->type, kRegExpandSz);
    EXPECT_EQ(Encode(1, RegistryData(12))->data, Bytes(Text("12\0", 3)));
    EXPECT_EQ(Encode(1, RegistryData())->data, Bytes(Text("\0", 1)));
}

TEST(EncodeRegistryData, MultiStringIsWrittenAsGiven) {
    EXPECT_EQ(Encode(7, RegistryData(Text("a\0b\0\0", 5)))->data, Bytes(Text("a\0b\0\0", 5)));
    EXPECT_TRUE(Encode(7, RegistryData(""))->data.empty());
}

TEST(EncodeRegistryData, NumbersAndBytes) {
    EXPECT_EQ(Encode(4, RegistryData("12"))->data, (ByteList{0x0C, 0, 0, 0}));
    EXPECT_EQ(Encode(4, RegistryData(-1))->data, (ByteList{0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(Encode(4, RegistryData())->data, (ByteList{0, 0, 0, 0}));
    EXPECT_EQ(Encode(3, RegistryData(ByteList{9, 8}))->data, (ByteList{9, 8}));
    EXPECT_TRUE(Encode(3, RegistryData(ByteList{}))->data.empty());
}

TEST(EncodeRegistryData, ConversionFailuresThrow) {
    const auto numberOf = [](std::int32_t dtype, const RegistryData& value) {
        try {
            Encode(dtype, value);
        } catch (const PendrixError& error) {
            return error.Number();
        }
        return 0;
    };
    EXPECT_EQ(numberOf(4, RegistryData("letters")), kErrTypeMismatch);
    EXPECT_EQ(numberOf(4, RegistryData("4294967296")), kErrOverflow);
    EXPECT_EQ(numberOf(3, RegistryData()), kErrTypeMismatch);
    EXPECT_EQ(numberOf(3, RegistryData(1)), kErrTypeMismatch);
}

TEST(EncodeRegistryData, UnwrittenTypesAskForNothing) {
    for (std::int32_t dtype : {0, 5, 6, 8, -1})
        EXPECT_FALSE(Encode(dtype, RegistryData("x")).has_value()) << dtype;
}

TEST(ExpandEnvironmentText, ExpandsToAnyLength) {
    testing::FakeRegistry api;
    api.environment["short"] = "s";
    api.environment["long"] = std::string(5000, 'L');
    EXPECT_EQ(ExpandEnvironmentText(api, "%SHORT%\\x"), "s\\x");
    EXPECT_EQ(ExpandEnvironmentText(api, "a%LONG%b"), "a" + std::string(5000, 'L') + "b");
    EXPECT_EQ(ExpandEnvironmentText(api, "%UNSET%"), "%UNSET%");
    EXPECT_EQ(ExpandEnvironmentText(api, ""), "");
}

}  // namespace
}  // namespace pendrix
