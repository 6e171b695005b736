// Deletion, listing and remote values against Wine's real registry.
#include <gtest/gtest.h>

#include <vector>

#include "tests/wine/real_registry_test.h"

namespace pendrix::wine {
namespace {

RegHandle Handle(HKEY key) { return reinterpret_cast<RegHandle>(key); }

class RealListingTest : public RealRegistryTest {
protected:
    std::string ScratchPath() const { return ScratchKey::KeyRoot() + "\\" + scratch.Name(); }

    void CreateSubkey(const std::wstring& name, const wchar_t* className = nullptr) {
        HKEY child = nullptr;
        ASSERT_EQ(RegCreateKeyExW(scratch.Get(), name.c_str(), 0, const_cast<wchar_t*>(className), 0,
                                  KEY_ALL_ACCESS, nullptr, &child, nullptr), ERROR_SUCCESS);
        RegCloseKey(child);
    }
    std::vector<std::string> SubkeyNames() {
        const RegistryKeyList list = registry.EnumRegistryKeys(kHkeyCurrentUser, ScratchPath());
        return std::vector<std::string>(list.begin(), list.end());
    }
    std::vector<std::string> ValueNames() {
        std::vector<std::string> names;
        for (const RegistryValueEntry& entry : registry.EnumRegistryValues(kHkeyCurrentUser, ScratchPath()))
            names.push_back(entry.name);
        return names;
    }
};

TEST_F(RealListingTest, DeletesKeysAndValues) {
    registry.KeyRoot(ScratchPath());
    CreateSubkey(L"empty");
    CreateSubkey(L"parent\\child");
    EXPECT_EQ(registry.DeleteKey("empty"), kErrorSuccess);
    EXPECT_EQ(registry.DeleteKey("empty"), kErrorFileNotFound);
    EXPECT_NE(registry.DeleteKey("parent"), kErrorSuccess) << "a key with subkeys stays";
    EXPECT_EQ(SubkeyNames(), std::vector<std::string>{"parent"});

    registry.KeyRoot(ScratchKey::KeyRoot());
    ASSERT_EQ(WriteRawBytes(scratch.Get(), "Doomed", REG_DWORD, {1, 0, 0, 0}), ERROR_SUCCESS);
    EXPECT_EQ(registry.DeleteValue("doomed"), kErrorSuccess);
    EXPECT_EQ(ReadRawA(scratch.Get(), "Doomed").status, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(registry.DeleteValue("doomed"), kErrorFileNotFound);
    registry.Subkey(scratch.Name() + "\\missing");
    EXPECT_EQ(registry.DeleteValue("doomed"), kErrorFileNotFound) << "the status of the failed open";
}

TEST_F(RealListingTest, ADwordAndAnEmptyStringGiveTwoPairs) {
    ASSERT_EQ(WriteRawBytes(scratch.Get(), "a_dword", REG_DWORD, {5, 0, 0, 0}), ERROR_SUCCESS);
    ASSERT_EQ(WriteRawBytes(scratch.Get(), "b_empty", REG_SZ, {}), ERROR_SUCCESS);
    const RegistryValueList list = registry.EnumRegistryValues(kHkeyCurrentUser, ScratchPath());
    ASSERT_EQ(list.Count(), 2u);
    EXPECT_EQ(list.Item(1), (RegistryValueEntry{"a_dword", RegistryData(5)}));
    EXPECT_EQ(list.Item(2), (RegistryValueEntry{"b_empty", RegistryData("")}));
}

TEST_F(RealListingTest, ListsEachTypeInItsTextForm) {
    // Names sort in the order of writing, so the order is Wine's and
    // Windows' alike. Each row follows one that could leak into it.
    SetEnvironmentVariableA("PENDRIX_LIST", "expanded");
    const ByteList large(40000, 0xAB);
    std::string largeText = "AB";
    for (std::size_t i = 1; i < large.size(); ++i) largeText += " AB";
    const std::string longName = "m_" + std::string(5000, 'v');
    struct Row { std::string name; DWORD type; ByteList bytes; std::wstring wide; RegistryData expected; };
    const Row rows[] = {
        {"", REG_SZ, {}, W(L"default\0"), RegistryData("default")},
        {"a_binary", REG_BINARY, {0x0A, 0xFF}, {}, RegistryData("0A FF")},
        {"b_binary", REG_BINARY, {0x01}, {}, RegistryData("01")},
        {"c_big_endian", REG_DWORD_BIG_ENDIAN, {0, 0, 0, 1}, {}, RegistryData()},
        {"d_dword", REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}, {}, RegistryData(-1)},
        {"e_multi", REG_MULTI_SZ, {}, W(L"a\0\0b\0\0"), RegistryData("a,,b")},
        {"f_sz_unterminated", REG_SZ, {}, W(L"abc"), RegistryData("abc")},
        {"g_expand", REG_EXPAND_SZ, {}, W(L"<%PENDRIX_LIST%>\0"), RegistryData("<expanded>")},
        {"h_utf8", REG_SZ, {}, Widen("Привет\0"), RegistryData("Привет")},
        {"i_large_binary", REG_BINARY, large, {}, RegistryData(largeText)},
        {"j_large_sz", REG_SZ, {}, std::wstring(6000, L'x') + L'\0', RegistryData(std::string(6000, 'x'))},
        {"k_after_large", REG_DWORD, {3, 0, 0, 0}, {}, RegistryData(3)},
        {"l_" + std::string(300, 'n'), REG_DWORD, {4, 0, 0, 0}, {}, RegistryData(4)},
        {longName, REG_BINARY, {0xBE, 0xEF}, {}, RegistryData("BE EF")},
        {"z_last", REG_LINK, {}, W(L"x"), RegistryData()},
    };
    for (const Row& row : rows) {
        const LONG status = row.wide.empty() && row.type != REG_SZ
                                ? WriteRawBytes(scratch.Get(), row.name, row.type, row.bytes)
                                : WriteRawW(scratch.Get(), Widen(row.name), row.type, row.wide);
        ASSERT_EQ(status, ERROR_SUCCESS) << row.name.substr(0, 20);
    }
    const RegistryValueList list = registry.EnumRegistryValues(kHkeyCurrentUser, ScratchPath());
    ASSERT_EQ(list.Count(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(list.Item(i + 1).name, rows[i].name) << i;
        EXPECT_EQ(list.Item(i + 1).data, rows[i].expected) << rows[i].name.substr(0, 20);
    }
    ASSERT_NE(list.Find(""), nullptr) << "the default value is keyed by the empty text";
    EXPECT_EQ(list.Find("")->data, RegistryData("default"));
    ASSERT_NE(list.Find("D_DWORD"), nullptr);
    EXPECT_EQ(list.Find("D_DWORD")->data, RegistryData(-1));
}

TEST_F(RealListingTest, ListsSubkeysWithClassesAndNamesBeyondTheFirstRoom) {
    // 200 Cyrillic letters take 400 bytes in the A functions' UTF-8.
    const std::wstring cyrillic(200, L'\x0416');
    const std::string longest = "d_" + std::string(254, 'k');
    CreateSubkey(L"a_plain");
    CreateSubkey(L"b_classed", L"SomeClassName");
    CreateSubkey(L"c_" + cyrillic);
    CreateSubkey(Widen(longest));
    CreateSubkey(L"e_last");
    EXPECT_EQ(SubkeyNames(), (std::vector<std::string>{"a_plain", "b_classed", "c_" + Narrow(cyrillic), longest,
                                                       "e_last"}));
}

TEST_F(RealListingTest, AListingChangedBetweenTwoCallsShowsTheChange) {
    CreateSubkey(L"first");
    CreateSubkey(L"second");
    ASSERT_EQ(WriteRawBytes(scratch.Get(), "one", REG_DWORD, {1, 0, 0, 0}), ERROR_SUCCESS);
    EXPECT_EQ(SubkeyNames(), (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(ValueNames(), std::vector<std::string>{"one"});

    ASSERT_EQ(RegDeleteKeyA(scratch.Get(), "first"), ERROR_SUCCESS);
    CreateSubkey(L"third");
    ASSERT_EQ(WriteRawBytes(scratch.Get(), "two", REG_DWORD, {2, 0, 0, 0}), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteValueA(scratch.Get(), "one"), ERROR_SUCCESS);
    EXPECT_EQ(SubkeyNames(), (std::vector<std::string>{"second", "third"}));
    EXPECT_EQ(ValueNames(), std::vector<std::string>{"two"});
}

TEST_F(RealListingTest, ListsACallersHandleAndLeavesItOpen) {
    CreateSubkey(L"sub\\inner");
    ASSERT_EQ(WriteRawBytes(scratch.Get(), "v", REG_DWORD, {1, 0, 0, 0}), ERROR_SUCCESS);
    const RegistryKeyList subkeys = registry.EnumRegistryKeys(Handle(scratch.Get()), "");
    ASSERT_EQ(subkeys.Count(), 1u);
    EXPECT_EQ(subkeys.Item(1), "sub");
    EXPECT_EQ(registry.EnumRegistryValues(Handle(scratch.Get()), "").Count(), 1u);
    EXPECT_EQ(registry.EnumRegistryKeys(Handle(scratch.Get()), "sub").Item(1), "inner");
    EXPECT_EQ(WriteRawBytes(scratch.Get(), "still_open", REG_DWORD, {1, 0, 0, 0}), ERROR_SUCCESS)
        << "the caller's handle must stay usable";
    EXPECT_EQ(registry.EnumRegistryKeys(kHkeyCurrentUser, ScratchPath() + "\\missing").Count(), 0u);
    EXPECT_EQ(registry.EnumRegistryValues(kHkeyCurrentUser, ScratchPath() + "\\missing").Count(), 0u);
}

std::string ComputerName() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = sizeof(name);
    EXPECT_TRUE(GetComputerNameA(name, &length));
    return std::string(name, length);
}

TEST_F(RealListingTest, ConnectsByTheComputersOwnNameOrTheEmptyText) {
    const std::string self = ComputerName();
    for (const std::string& computer : {self, "\\\\" + self, std::string()}) {
        HKEY root = nullptr;
        EXPECT_EQ(RegConnectRegistryA(computer.c_str(), HKEY_CURRENT_USER, &root), ERROR_SUCCESS) << computer;
        if (root != nullptr) RegCloseKey(root);
    }
    HKEY root = nullptr;
    EXPECT_EQ(RegConnectRegistryA("\\\\PENDRIX-NO-SUCH-HOST", HKEY_CURRENT_USER, &root), kErrorBadNetPath);
}

TEST_F(RealListingTest, ReadsAndWritesRemoteValues) {
    const std::string self = ComputerName();
    ASSERT_EQ(WriteRawBytes(scratch.Get(), "number", REG_DWORD, {42, 0, 0, 0}), ERROR_SUCCESS);
    for (const std::string& computer : {self, "\\\\" + self, std::string()}) {
        EXPECT_EQ(registry.ReadRemoteRegistryValue(computer, kHkeyCurrentUser, "number"), RegistryData(42)) << computer;
        EXPECT_EQ(registry.ReadRemoteRegistryValue(computer, kHkeyCurrentUser, "number", ScratchPath()),
                  RegistryData(42));
    }
    EXPECT_EQ(registry.ReadRemoteRegistryValue(self, kHkeyCurrentUser, "missing"), RegistryData());
    EXPECT_EQ(registry.ReadRemoteRegistryValue(self, kHkeyCurrentUser, "number", "Software\\PendrixNowhere"),
              RegistryData());
    EXPECT_EQ(registry.ReadRemoteRegistryValue("\\\\PENDRIX-NO-SUCH-HOST", kHkeyCurrentUser, "number"),
              RegistryData("Error!"));

    const std::string list("a\0b\0\0", 5);
    EXPECT_TRUE(registry.WriteRemoteRegistryValue(self, kHkeyCurrentUser, "list", RegistryData(list), 7));
    const RawValue raw = ReadRawA(scratch.Get(), "list");
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_MULTI_SZ));
    EXPECT_EQ(raw.bytes, ByteList(list.begin(), list.end()));
    EXPECT_TRUE(registry.WriteRemoteRegistryValue(self, kHkeyCurrentUser, "link", RegistryData("x"), 6));
    EXPECT_EQ(ReadRawA(scratch.Get(), "link").status, ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(registry.WriteRemoteRegistryValue("\\\\PENDRIX-NO-SUCH-HOST", kHkeyCurrentUser, "x",
                                                   RegistryData(1), 4));
    EXPECT_FALSE(registry.WriteRemoteRegistryValue(self, kHkeyCurrentUser, "x", RegistryData(1), 4,
                                                   "Software\\PendrixNowhere"));

    // The empty KeyPath is the root itself.
    ASSERT_TRUE(registry.WriteRemoteRegistryValue(self, kHkeyCurrentUser, "PendrixRootProbe", RegistryData("r"), 1, ""));
    EXPECT_EQ(registry.ReadRemoteRegistryValue(self, kHkeyCurrentUser, "PendrixRootProbe", ""), RegistryData("r"));
    EXPECT_EQ(RegDeleteValueA(HKEY_CURRENT_USER, "PendrixRootProbe"), ERROR_SUCCESS);
}

}  // namespace
}  // namespace pendrix::wine
