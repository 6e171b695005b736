#include <gtest/gtest.h>

#include "common/pendrix_error.h"
#include "registry/registry_codec.h"
#include "registry/registry_constants.h"
#include "tests/common/literal_text.h"
#include "tests/native/fake_registry.h"

namespace pendrix {
namespace {


std::string NoExpansion(const std::string& text) { return text; }

RegistryData Decode(std::uint32_t type, const ByteList& data, const RegistryData& def = RegistryData()) {
    return DecodeRegistryData(type, data, def, NoExpansion);
}

TEST(DecodeRegistryData, ExpandableStringsAreExpanded) {
    const auto expand = [](const std::string& text) { return "[" + text + "]"; };
    EXPECT_EQ(DecodeRegistryData(kRegExpandSz, Bytes(S("%A%\0")), RegistryData(), expand),
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

std::optional<EncodedValue> Encode(std::int32_t dtype, const RegistryData& value) {
    return EncodeRegistryData(dtype, value);
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
    api.expansionFails = true;
    EXPECT_EQ(ExpandEnvironmentText(api, "%SHORT%\\x"), "%SHORT%\\x") << "a failed expansion keeps the text";
}

}  // namespace
}  // namespace pendrix
