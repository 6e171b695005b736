// What the registry holds comes back whole: any UTF-16 units (lone
// surrogates included) in names, paths and string data, expansions in any
// script, string data stored exactly as given, and names compared in every
// script as the registry compares them.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "common/utf16_text.h"
#include "common/name_folding.h"
#include "registry/registry_entry_list.h"
#include "tests/wine/real_registry_test.h"

namespace pendrix::wine {
namespace {

// Texts another program may store: lone surrogates of both kinds, a pair,
// every script.
std::wstring OddUnits() {
    std::wstring text = L"a";
    text += static_cast<wchar_t>(0xD800);
    text += L"b";
    text += static_cast<wchar_t>(0xDFFF);
    text += L"\U0001F600\u0416\u6587";
    text += static_cast<wchar_t>(0xDBFF);
    return text;
}

TEST_F(RealRegistryTest, AnyUtf16UnitsInDataNamesAndPathsComeBackUnitForUnit) {
    const std::wstring odd = OddUnits();
    for (const DWORD type : {REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ}) {
        ASSERT_EQ(WriteRawW(scratch.Get(), L"v", type, odd + std::wstring(2, L'\0')), ERROR_SUCCESS);
        const RegistryValueRead read = registry.ReadRegistryValue("v");
        ASSERT_EQ(read.status, ERROR_SUCCESS);
        EXPECT_EQ(Utf16FromText(read.data), std::u16string(odd.begin(), odd.end()) + std::u16string(2, u'\0'));
        ASSERT_TRUE(registry.SetRegistryValue("v", RegistryData(read.data), static_cast<std::int32_t>(kRegMultiSz)));
        EXPECT_EQ(WideText(ReadRawW(scratch.Get(), L"v")), odd + std::wstring(2, L'\0')) << type;
    }

    // A value and a subkey named with the odd units, reached by their text.
    const std::string name = Narrow(odd);
    ASSERT_TRUE(registry.SetRegistryValue(name, RegistryData("x"), 1));
    EXPECT_EQ(ReadRawW(scratch.Get(), odd).status, ERROR_SUCCESS);
    registry.KeyRoot(ScratchKey::KeyRoot() + "\\" + scratch.Name());
    EXPECT_EQ(registry.CreateKey(RegistryData(name)), "0");
    registry.Subkey(name);
    EXPECT_TRUE(registry.KeyExists());
    const RegistryKeyList keys = registry.EnumRegistryKeys(kHkeyCurrentUser, registry.KeyRoot());
    ASSERT_EQ(keys.Count(), 1u);
    EXPECT_EQ(keys.Item(1), name);
    const RegistryValueList values = registry.EnumRegistryValues(kHkeyCurrentUser, registry.KeyRoot());
    ASSERT_NE(values.Find(name), nullptr);
    EXPECT_EQ(registry.DeleteKey(name), ERROR_SUCCESS);
}

// ExpandEnvironmentStrings counts characters, not bytes.
TEST_F(RealRegistryTest, ExpansionsInAnyScriptComeBackWhole) {
    const std::wstring values[] = {L"\u041F\u0440\u0438\u0432\u0435\u0442\u043C\u0438\u0440\u044B",
                                   L"\u6587\u4EF6\u7CFB\u7EDF\u6587\u4EF6", L"\U0001F600\U0001F4C1", OddUnits()};
    for (const std::wstring& value : values) {
        ASSERT_TRUE(SetEnvironmentVariableW(L"PENDRIX_SCRIPT", value.c_str()));
        ASSERT_EQ(WriteRawW(scratch.Get(), L"e", REG_EXPAND_SZ, W(L"<%PENDRIX_SCRIPT%>\0")), ERROR_SUCCESS);
        std::string text = "<";
        text.append(Narrow(value)).append(">");
        const RegistryData expected(text);
        EXPECT_EQ(registry.GetRegistryValue("e"), expected);
        EXPECT_EQ(registry.ReadRemoteRegistryValue("", kHkeyCurrentUser, "e"), expected);
        const RegistryValueList listed =
            registry.EnumRegistryValues(kHkeyCurrentUser, ScratchKey::KeyRoot() + "\\" + scratch.Name());
        ASSERT_NE(listed.Find("e"), nullptr);
        EXPECT_EQ(listed.Find("e")->data, expected);
    }
}

// The registry functions take a last unit that is not NUL, followed in
// memory by a NUL, for a forgotten terminator and store one unit more.
// Whatever lies after the data, exactly the given bytes are stored.
TEST_F(RealRegistryTest, ListDataIsStoredExactlyAsGiven) {
    for (int length = 1; length <= 40; ++length) {
        std::string text;
        for (int i = 0; i < length; ++i) text += i % 3 == 2 ? '\0' : static_cast<char>('a' + i % 26);
        if (text.back() == '\0') text.back() = 'z';
        ASSERT_TRUE(registry.SetRegistryValue("m", RegistryData(text), static_cast<std::int32_t>(kRegMultiSz)));
        const RawValue raw = ReadRawW(scratch.Get(), L"m");
        EXPECT_EQ(raw.bytes.size(), text.size() * sizeof(wchar_t)) << length;
        EXPECT_EQ(registry.ReadRegistryValue("m").data, text) << length;
    }
}

TEST_F(RealRegistryTest, NamesOfOneCaseInAnyScriptAreOneEntry) {
    ASSERT_TRUE(registry.SetRegistryValue("\u041F\u0440\u0438\u0432\u0435\u0442", RegistryData(1), 4));
    ASSERT_TRUE(registry.SetRegistryValue("\u041F\u0420\u0418\u0412\u0415\u0422", RegistryData(2), 4));
    const RegistryValueList listed =
        registry.EnumRegistryValues(kHkeyCurrentUser, ScratchKey::KeyRoot() + "\\" + scratch.Name());
    ASSERT_EQ(listed.Count(), 1u) << "the registry took both names for one";
    ASSERT_NE(listed.Find("\u043F\u0440\u0438\u0432\u0435\u0442"), nullptr);
    EXPECT_EQ(listed.Find("\u043F\u0440\u0438\u0432\u0435\u0442")->data, RegistryData(2));
}

// Every UTF-16 unit as a one-unit value name, in order: the registry finds
// an earlier name for a unit exactly when the entry list's keys take the
// two for one.
TEST_F(RealRegistryTest, EveryUnitFoldsAsTheRegistryFoldsIt) {
    std::map<std::string, unsigned> firstByKey;
    int disagreements = 0;
    for (unsigned unit = 1; unit <= 0xFFFF; ++unit) {
        const std::wstring name(1, static_cast<wchar_t>(unit));
        const std::string key = FoldName(Narrow(name));
        const auto ours = firstByKey.find(key);
        const RawValue found = ReadRawW(scratch.Get(), name);
        if (found.status == ERROR_SUCCESS) {
            unsigned earlier = 0;
            std::memcpy(&earlier, found.bytes.data(), sizeof(earlier));
            if (ours == firstByKey.end() || ours->second != earlier) {
                ADD_FAILURE() << std::hex << "the registry takes U+" << unit << " for U+" << earlier;
                ++disagreements;
            }
            continue;
        }
        if (ours != firstByKey.end()) {
            ADD_FAILURE() << std::hex << "the keys take U+" << unit << " for U+" << ours->second;
            ++disagreements;
        }
        const DWORD data = unit;
        ASSERT_EQ(RegSetValueExW(scratch.Get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                                 sizeof(data)),
                  ERROR_SUCCESS);
        firstByKey.emplace(key, unit);
        ASSERT_LT(disagreements, 40);
    }
}

}  // namespace
}  // namespace pendrix::wine
