#include <gtest/gtest.h>

#include <climits>

#include "common/pendrix_error.h"
#include "registry/registry_data.h"
#include "tests/common/literal_text.h"

namespace pendrix {
namespace {

std::int32_t ErrorNumberOf(const std::string& text) {
    try {
        ParseDecimalNumber(text);
    } catch (const PendrixError& error) {
        EXPECT_FALSE(error.Source().empty());
        EXPECT_FALSE(error.Description().empty());
        return error.Number();
    }
    return 0;
}

TEST(ParseDecimalNumber, ReadsIntegersSignsAndBlanks) {
    EXPECT_EQ(ParseDecimalNumber("12"), 12);
    EXPECT_EQ(ParseDecimalNumber("-7"), -7);
    EXPECT_EQ(ParseDecimalNumber("+7"), 7);
    EXPECT_EQ(ParseDecimalNumber("  42\t"), 42);
    EXPECT_EQ(ParseDecimalNumber("0007"), 7);
    EXPECT_EQ(ParseDecimalNumber("2147483647"), INT32_MAX);
    EXPECT_EQ(ParseDecimalNumber("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseDecimalNumber("1e3"), 1000);
    EXPECT_EQ(ParseDecimalNumber("12.5E1"), 125);
    EXPECT_EQ(ParseDecimalNumber(".75"), 1);
}

TEST(ParseDecimalNumber, RoundsHalfToEven) {
    struct Case { const char* text; std::int32_t expected; };
    const Case cases[] = {
        {"0.5", 0},   {"1.5", 2},   {"2.5", 2},   {"3.5", 4},   {"-0.5", 0},  {"-1.5", -2},
        {"-2.5", -2}, {"2.4999", 2}, {"2.5000001", 3}, {"2.50000", 2}, {"0.05", 0}, {"-0.51", -1},
        {"25e-1", 2}, {"2147483646.5", 2147483646}, {"-2147483647.5", INT32_MIN},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseDecimalNumber(c.text), c.expected) << c.text;
}

TEST(ParseDecimalNumber, RejectsWhatIsNoNumberAsTypeMismatch) {
    for (const char* text : {"", " ", "abc", "12abc", "1.2.3", "-", ".", "1e", "0x10", "1 2"})
        EXPECT_EQ(ErrorNumberOf(text), kErrTypeMismatch) << '"' << text << '"';
}

TEST(ParseDecimalNumber, RejectsOutOfRangeAsOverflow) {
    for (const char* text : {"2147483648", "-2147483649", "2147483647.5", "99999999999", "1e10", "1e999999999999"})
        EXPECT_EQ(ErrorNumberOf(text), kErrOverflow) << text;
    EXPECT_EQ(ParseDecimalNumber("1e-999999999999"), 0);
}

TEST(RegistryData, ConvertsBetweenKinds) {
    EXPECT_EQ(RegistryData().ToText(), "");
    EXPECT_EQ(RegistryData(-42).ToText(), "-42");
    EXPECT_EQ(RegistryData(S("a\0b")).ToText(), S("a\0b"));
    EXPECT_EQ(RegistryData().ToNumber(), 0);
    EXPECT_EQ(RegistryData("-3.5").ToNumber(), -4);
    EXPECT_EQ(RegistryData(ByteList{1, 2}).ToBytes(), (ByteList{1, 2}));
    EXPECT_EQ(RegistryData("ab").ToBytes(), (ByteList{'a', 'b'}));
    EXPECT_TRUE(RegistryData().IsNothing());
    EXPECT_FALSE(RegistryData("").IsNothing());
}

TEST(RegistryData, NothingAndNumbersAreNoByteList) {
    for (const RegistryData& value : {RegistryData(), RegistryData(5)}) {
        try {
            value.ToBytes();
            ADD_FAILURE() << "expected a type mismatch";
        } catch (const PendrixError& error) {
            EXPECT_EQ(error.Number(), kErrTypeMismatch);
        }
    }
    EXPECT_THROW(RegistryData(ByteList{1}).ToNumber(), PendrixError);
}

}  // namespace
}  // namespace pendrix
