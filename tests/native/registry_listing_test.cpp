// Deletion, listing and remote values through the stand-in registry: the
// faults a real registry does not show on demand, and handle counts.
#include <gtest/gtest.h>

#include "common/pendrix_error.h"
#include "registry/RegistryRoutines.h"
#include "registry/registry_constants.h"
#include "tests/native/fake_registry.h"

namespace pendrix {
namespace {

using testing::FakeRegistry;

const std::string kKeyPath = "HKCU\\Software\\Test\\Leaf";

class RegistryListingTest : public ::testing::Test {
protected:
    RegistryListingTest() {
        registry.hkey(kHkeyCurrentUser);
        registry.KeyRoot("Software\\Test");
        registry.Subkey("Leaf");
        fake.AddKey(kKeyPath);
    }
    void TearDown() override { EXPECT_EQ(fake.OpenHandles(), 0u) << "a key handle was left open"; }

    std::vector<std::string> KeyNames(RegHandle root, const std::string& keyName) {
        const RegistryKeyList list = registry.EnumRegistryKeys(root, keyName);
        return std::vector<std::string>(list.begin(), list.end());
    }
    std::vector<std::string> ValueNames(RegHandle root, const std::string& keyName) {
        std::vector<std::string> names;
        for (const RegistryValueEntry& entry : registry.EnumRegistryValues(root, keyName)) names.push_back(entry.name);
        return names;
    }

    FakeRegistry fake;
    RegistryRoutines registry{fake};
};

TEST_F(RegistryListingTest, DeleteValueGivesTheStatusOfARefusedOpen) {
    fake.PutText(kKeyPath, "v", kRegSz, "x");
    fake.deniedPaths.insert("hkcu\\software\\test\\leaf");
    EXPECT_EQ(registry.DeleteValue("v"), kErrorAccessDenied);
    EXPECT_NE(fake.FindValue(kKeyPath, "v"), nullptr);
}

TEST_F(RegistryListingTest, AValueThatGrowsBetweenCallsIsReadAgain) {
    fake.PutValue(kKeyPath, "growing", kRegBinary, ByteList(5000, 0xAB));
    fake.PutValue(kKeyPath, "last", kRegSz, ByteList{'z', 0});
    fake.growthsLeft = 1;
    const RegistryValueList list = registry.EnumRegistryValues(kHkeyCurrentUser, "Software\\Test\\Leaf");
    ASSERT_EQ(list.Count(), 2u);
    const std::string grown = list.Item(1).data.ToText();
    EXPECT_EQ(grown.size(), 5100u * 3 - 1);
    EXPECT_EQ(grown.substr(0, 3), "67 ");
    EXPECT_EQ(list.Item(2), (RegistryValueEntry{"last", RegistryData("z")}));
}

TEST_F(RegistryListingTest, AFailurePartWayKeepsWhatWasGathered) {
    fake.AddKey(kKeyPath + "\\k1");
    fake.AddKey(kKeyPath + "\\k2");
    fake.PutValue(kKeyPath, "v1", kRegDword, ByteList{1, 0, 0, 0});
    fake.PutValue(kKeyPath, "v2", kRegDword, ByteList{2, 0, 0, 0});
    fake.listingFailures[1] = kErrorAccessDenied;
    EXPECT_EQ(KeyNames(kHkeyCurrentUser, "Software\\Test\\Leaf"), std::vector<std::string>{"k1"});
    EXPECT_EQ(ValueNames(kHkeyCurrentUser, "Software\\Test\\Leaf"), std::vector<std::string>{"v1"});

    // An entry that never fits is given up after a bounded number of calls.
    fake.listingFailures = {{0, kErrorMoreData}};
    fake.enumCalls = 0;
    EXPECT_TRUE(KeyNames(kHkeyCurrentUser, "Software\\Test\\Leaf").empty());
    EXPECT_TRUE(ValueNames(kHkeyCurrentUser, "Software\\Test\\Leaf").empty());
    EXPECT_LE(fake.enumCalls, 10);
}

TEST_F(RegistryListingTest, ACallersHandleIsListedAndLeftOpen) {
    fake.PutValue(kKeyPath, "v", kRegDword, ByteList{1, 0, 0, 0});
    fake.AddKey(kKeyPath + "\\sub");
    RegHandle own = 0;
    ASSERT_EQ(fake.OpenKey(kHkeyCurrentUser, "Software\\Test\\Leaf", kKeyRead, own), kErrorSuccess);
    EXPECT_EQ(KeyNames(own, ""), std::vector<std::string>{"sub"});
    EXPECT_EQ(ValueNames(own, ""), std::vector<std::string>{"v"});
    EXPECT_EQ(KeyNames(own, "sub"), std::vector<std::string>{});
    EXPECT_EQ(fake.OpenHandles(), 1u) << "only the caller's handle is open";
    EXPECT_EQ(fake.CloseKey(own), kErrorSuccess);

    EXPECT_TRUE(KeyNames(kHkeyCurrentUser, "Software\\Missing").empty());
    fake.deniedPaths.insert("hkcu\\software\\test\\leaf");
    EXPECT_TRUE(ValueNames(kHkeyCurrentUser, "Software\\Test\\Leaf").empty());
}

TEST_F(RegistryListingTest, RemoteCallsReleaseEverythingOnEveryPath) {
    fake.PutValue(kKeyPath, "v", kRegDword, ByteList{9, 0, 0, 0});
    EXPECT_EQ(registry.ReadRemoteRegistryValue("THISPC", kHkeyCurrentUser, "v"), RegistryData(9));
    EXPECT_EQ(registry.ReadRemoteRegistryValue("THISPC", kHkeyCurrentUser, "v", "Software\\Nowhere"), RegistryData());
    EXPECT_EQ(registry.ReadRemoteRegistryValue("FARAWAY", kHkeyCurrentUser, "v"), RegistryData("Error!"));
    EXPECT_FALSE(registry.WriteRemoteRegistryValue("THISPC", kHkeyCurrentUser, "w", RegistryData(3), 4, "Nowhere"));
    EXPECT_TRUE(registry.WriteRemoteRegistryValue("THISPC", kHkeyCurrentUser, "w", RegistryData(3), 6, "Nowhere"))
        << "a type the class does not write counts as written, open or not";
    fake.refuseWrites = true;
    EXPECT_FALSE(registry.WriteRemoteRegistryValue("THISPC", kHkeyCurrentUser, "w", RegistryData(3), 4));
    EXPECT_THROW(registry.WriteRemoteRegistryValue("THISPC", kHkeyCurrentUser, "w", RegistryData("x"), 4),
                 PendrixError);
    EXPECT_EQ(fake.FindValue(kKeyPath, "w"), nullptr);
}

}  // namespace
}  // namespace pendrix
