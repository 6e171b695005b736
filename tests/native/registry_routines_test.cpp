#include <gtest/gtest.h>

#include <utility>

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

TEST_F(RegistryRoutinesTest, AValueThatGrowsBetweenQueriesIsReadAgain) {
    fake.PutValue(kKeyPath, "Bin", kRegBinary, ByteList(2000, 1));
    fake.growthsLeft = 1;
    const RegistryValueRead read = registry.ReadRegistryValue("Bin");
    EXPECT_EQ(read.status, kErrorSuccess);
    EXPECT_EQ(read.value.ToBytes().size(), 2100u) << "the grown value, whole";
    EXPECT_EQ(fake.growthsLeft, 0) << "it grew after a query that found it too large";

    // String data: the room told is an upper bound, the text read is exact.
    const std::string text = std::string(1100, 'a') + "\xD0\x96\xE6\x96\x87";
    fake.PutText(kKeyPath, "Text", kRegSz, text);
    fake.growthsLeft = 1;
    EXPECT_EQ(registry.ReadRegistryValue("Text").value, RegistryData(std::string(50, 'g') + text));
}

TEST_F(RegistryRoutinesTest, AValueWhoseTypeChangesBetweenQueriesIsReadAgain) {
    fake.PutText(kKeyPath, "List", kRegMultiSz, std::string("a\0\0", 3));
    bool first = true;
    fake.beforeSizeQuery = [&] {
        if (std::exchange(first, false)) fake.PutValue(kKeyPath, "List", kRegBinary, ByteList{'x', 'y', 'z'});
    };
    const RegistryValueRead read = registry.ReadRegistryValue("List");
    EXPECT_EQ(read.status, kErrorSuccess);
    EXPECT_EQ(read.type, kRegBinary);
    EXPECT_EQ(read.data, "xyz");
    EXPECT_EQ(read.storedSize, 3u);
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

TEST_F(RegistryRoutinesTest, ExpandableStringsUseTheEnvironment) {
    fake.environment["systemroot"] = "C:\\windows";
    fake.environment["temp"] = "C:\\users\\someone\\Temp";
    ASSERT_TRUE(registry.SetRegistryValue("E", RegistryData("%SystemRoot%\\x"), 2));
    EXPECT_EQ(registry.GetRegistryValue("E"), RegistryData("C:\\windows\\x"));
    ASSERT_TRUE(registry.SetRegistryValue("E", RegistryData("%TEMP%"), 2));
    EXPECT_EQ(registry.GetRegistryValue("E"), RegistryData("C:\\users\\someone\\Temp"));
}

// The platform counts an expansion in characters; the text takes up to
// three bytes for each (four for two). Every way of reading gives it whole.
TEST_F(RegistryRoutinesTest, ExpansionsInAnyScriptComeBackWhole) {
    for (const std::string value : {"\u041F\u0440\u0438\u0432\u0435\u0442\u043C\u0438\u0440\u044B",  // 10 Cyrillic
                                    "\u6587\u4EF6\u7CFB\u7EDF", "\U0001F600\U0001F4C1\U0001F5C2", "plain"}) {
        fake.environment["v"] = value;
        ASSERT_TRUE(registry.SetRegistryValue("E", RegistryData("%V%"), 2));
        EXPECT_EQ(registry.GetRegistryValue("E"), RegistryData(value));
        EXPECT_EQ(registry.ReadRemoteRegistryValue("", kHkeyLocalMachine, "E"), RegistryData(value));
        const RegistryValueList listed = registry.EnumRegistryValues(kHkeyLocalMachine, "Software\\Test\\Leaf");
        ASSERT_NE(listed.Find("E"), nullptr);
        EXPECT_EQ(listed.Find("E")->data, RegistryData(value));
    }
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
