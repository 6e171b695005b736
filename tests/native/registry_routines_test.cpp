#include <gtest/gtest.h>

#include "common/pendrix_error.h"
#include "registry/RegistryRoutines.h"
#include "registry/registry_constants.h"
#include "tests/native/fake_registry.h"

namespace pendrix {
namespace {

using testing::FakeRegistry;

const std::string kKeyPath = "HKLM\\Software\\Test\\Leaf";

class RegistryRoutinesTest : public ::testing::Test {
protected:
    RegistryRoutinesTest() {
        registry.hkey(kHkeyLocalMachine);
        registry.KeyRoot("Software\\Test");
        registry.Subkey("Leaf");
        fake.AddKey(kKeyPath);
    }
    void TearDown() override { EXPECT_EQ(fake.OpenHandles(), 0u) << "a key handle was left open"; }

    FakeRegistry fake;
    RegistryRoutines registry{fake};
};

TEST_F(RegistryRoutinesTest, QueriesOnceUpTo1024BytesAndTwiceAbove) {
    for (std::size_t size : {1u, 1023u, 1024u, 1025u, 1500u, 1u << 20}) {
        fake.PutValue(kKeyPath, "Bin", kRegBinary, ByteList(size, 0x5A));
        fake.queryCalls = 0;
        const RegistryData value = registry.GetRegistryValue("Bin");
        EXPECT_EQ(value, RegistryData(ByteList(size, 0x5A))) << size;
        EXPECT_EQ(fake.queryCalls, size <= 1024 ? 1 : 2) << size;
    }
}

TEST_F(RegistryRoutinesTest, AValueThatGrowsBetweenQueriesIsReadAgain) {
    fake.PutValue(kKeyPath, "Bin", kRegBinary, ByteList(2000, 1));
    fake.growthsLeft = 1;
    const RegistryValueRead read = registry.ReadRegistryValue("Bin");
    EXPECT_EQ(read.status, kErrorSuccess);
    EXPECT_EQ(read.value.ToBytes().size(), 2100u);
    EXPECT_EQ(fake.queryCalls, 3);
}

TEST_F(RegistryRoutinesTest, AValueThatKeepsGrowingGivesTheDefault) {
    fake.PutValue(kKeyPath, "Bin", kRegBinary, ByteList(2000, 1));
    fake.growthsLeft = 1000;
    const RegistryValueRead read = registry.ReadRegistryValue("Bin", RegistryData("d"));
    EXPECT_EQ(read.status, kErrorMoreData);
    EXPECT_EQ(read.value, RegistryData("d"));
    EXPECT_EQ(registry.GetRegistryValue("Bin"), RegistryData());
}

TEST_F(RegistryRoutinesTest, MissingValueOrKeyGivesTheDefault) {
    EXPECT_EQ(registry.GetRegistryValue("Missing", RegistryData(3)), RegistryData(3));
    EXPECT_EQ(registry.GetRegistryValue("Missing"), RegistryData());
    EXPECT_EQ(registry.ReadRegistryValue("Missing").status, kErrorFileNotFound);
    registry.Subkey("Absent");
    EXPECT_EQ(registry.GetRegistryValue("x", RegistryData("d")), RegistryData("d"));
    EXPECT_FALSE(registry.SetRegistryValue("x", RegistryData("v"), 1));
    EXPECT_FALSE(fake.HasKey("HKLM\\Software\\Test\\Absent")) << "a write creates no key";
}

TEST_F(RegistryRoutinesTest, AnObjectNeverAimedOpensNothing) {
    RegistryRoutines unaimed(fake);
    EXPECT_EQ(unaimed.hkey(), 0);
    EXPECT_EQ(unaimed.KeyRoot(), "");
    EXPECT_EQ(unaimed.GetRegistryValue("x", RegistryData("d")), RegistryData("d"));
    EXPECT_FALSE(unaimed.SetRegistryValue("x", RegistryData("v"), 1));
    EXPECT_FALSE(unaimed.KeyExists());
    EXPECT_EQ(fake.setCalls, 0);
}

TEST_F(RegistryRoutinesTest, RefusedOpenOrWriteIsReportedAsFalse) {
    fake.refuseWrites = true;
    EXPECT_FALSE(registry.SetRegistryValue("x", RegistryData("v"), 1));
    fake.refuseWrites = false;
    fake.deniedPaths.insert("hklm\\software\\test\\leaf");
    EXPECT_FALSE(registry.SetRegistryValue("x", RegistryData("v"), 1));
    EXPECT_EQ(registry.ReadRegistryValue("x").status, kErrorAccessDenied);
    EXPECT_FALSE(registry.KeyExists());
}

TEST_F(RegistryRoutinesTest, TextsRoundTripExactly) {
    for (const std::string& text : {std::string("abc"), std::string(), std::string("a\0b", 3),
                                    std::string(" spaced "), std::string(3000, 'x')}) {
        for (std::int32_t dtype : {1, 2}) {
            // Expansion ends a text at its first NUL.
            if (dtype == 2 && text.find('\0') != std::string::npos) continue;
            ASSERT_TRUE(registry.SetRegistryValue("S", RegistryData(text), dtype));
            EXPECT_EQ(registry.GetRegistryValue("S", RegistryData("default")), RegistryData(text)) << dtype;
        }
    }
}

TEST_F(RegistryRoutinesTest, WritesEachType) {
    ASSERT_TRUE(registry.SetRegistryValue("M", RegistryData(std::string("a\0b\0\0", 5)), 7));
    EXPECT_EQ(fake.FindValue(kKeyPath, "M")->data.size(), 5u);
    ASSERT_TRUE(registry.SetRegistryValue("M", RegistryData(""), 7));
    EXPECT_EQ(fake.FindValue(kKeyPath, "M")->type, kRegMultiSz);
    EXPECT_TRUE(fake.FindValue(kKeyPath, "M")->data.empty());
    EXPECT_EQ(registry.GetRegistryValue("M", RegistryData("d")), RegistryData("d"));

    ASSERT_TRUE(registry.SetRegistryValue("D", RegistryData("12"), 4));
    EXPECT_EQ(fake.FindValue(kKeyPath, "D")->data, (ByteList{0x0C, 0, 0, 0}));
    EXPECT_EQ(registry.GetRegistryValue("D"), RegistryData(12));

    EXPECT_TRUE(registry.SetRegistryValue("None", RegistryData("x"), 5));
    EXPECT_EQ(fake.FindValue(kKeyPath, "None"), nullptr);
}

TEST_F(RegistryRoutinesTest, ConversionErrorsReachTheCallerAndWriteNothing) {
    try {
        registry.SetRegistryValue("D", RegistryData("twelve"), 4);
        ADD_FAILURE() << "expected a type mismatch";
    } catch (const PendrixError& error) {
        EXPECT_EQ(error.Number(), kErrTypeMismatch);
    }
    EXPECT_THROW(registry.SetRegistryValue("B", RegistryData(), 3), PendrixError);
    EXPECT_EQ(fake.setCalls, 0);
}

TEST_F(RegistryRoutinesTest, ExpandableStringsUseTheEnvironment) {
    fake.environment["systemroot"] = "C:\\windows";
    fake.environment["temp"] = "C:\\users\\someone\\Temp";
    ASSERT_TRUE(registry.SetRegistryValue("E", RegistryData("%SystemRoot%\\x"), 2));
    EXPECT_EQ(registry.GetRegistryValue("E"), RegistryData("C:\\windows\\x"));
    ASSERT_TRUE(registry.SetRegistryValue("E", RegistryData("%TEMP%"), 2));
    EXPECT_EQ(registry.GetRegistryValue("E"), RegistryData("C:\\users\\someone\\Temp"));
}

TEST_F(RegistryRoutinesTest, KeyExistsAndCreateKey) {
    EXPECT_TRUE(registry.KeyExists());
    registry.KeyRoot("Software\\New\\Deep");
    registry.Subkey("Leaf");
    EXPECT_FALSE(registry.KeyExists());
    EXPECT_EQ(registry.CreateKey(), "0");
    EXPECT_TRUE(fake.HasKey("HKLM\\Software\\New\\Deep\\Leaf"));
    EXPECT_EQ(registry.CreateKey(), "0") << "an existing key is only opened";
    EXPECT_EQ(registry.CreateKey(RegistryData("Named")), "0");
    EXPECT_TRUE(fake.HasKey("HKLM\\Software\\New\\Deep\\Named"));
    EXPECT_FALSE(fake.HasKey("HKLM\\Software\\New\\Deep\\Leaf\\Named"));
    EXPECT_EQ(registry.CreateKey(RegistryData(17)), "0");
    EXPECT_TRUE(fake.HasKey("HKLM\\Software\\New\\Deep\\17"));
    fake.deniedPaths.insert("hklm\\software\\new\\deep\\refused");
    EXPECT_EQ(registry.CreateKey(RegistryData("Refused")), "");
}

TEST(TrimNull, CutsAtTheFirstNulInPlace) {
    FakeRegistry fake;
    RegistryRoutines registry(fake);
    std::string item("abc\0def", 7);
    EXPECT_EQ(registry.TrimNull(item), "abc");
    EXPECT_EQ(item, "abc");
    std::string plain = "plain";
    EXPECT_EQ(registry.TrimNull(plain), "plain");
    std::string leading("\0x", 2);
    EXPECT_EQ(registry.TrimNull(leading), "");
    std::string far = std::string(40000, 'a') + '\0' + "tail";
    EXPECT_EQ(registry.TrimNull(far), std::string(40000, 'a'));
    EXPECT_EQ(far.size(), 40000u);
}

}  // namespace
}  // namespace pendrix
