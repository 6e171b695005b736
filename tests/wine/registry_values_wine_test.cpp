// RegistryRoutines against Wine's real registry.
#include <gtest/gtest.h>

#include "common/pendrix_error.h"
#include "tests/common/literal_text.h"
#include "tests/wine/real_registry_test.h"

namespace pendrix::wine {
namespace {

TEST_F(RealRegistryTest, TheProcessSpeaksUtf8) { EXPECT_EQ(GetACP(), 65001u); }

TEST_F(RealRegistryTest, DecodesStoredData) {
    struct Row { const char* name; DWORD type; std::wstring stored; RegistryData expected; };
    const RegistryData def("default");
    const Row stringRows[] = {
        {"sz", REG_SZ, W(L"abc\0"), RegistryData("abc")},
        {"sz_unterminated", REG_SZ, W(L"abc"), RegistryData("abc")},
        {"sz_nul", REG_SZ, W(L"\0"), RegistryData("")},
        {"sz_empty", REG_SZ, W(L""), def},
        {"sz_inner_nul", REG_SZ, W(L"a\0b\0"), RegistryData(S("a\0b"))},
        {"expand_plain", REG_EXPAND_SZ, W(L"plain\0"), RegistryData("plain")},
        {"expand_empty", REG_EXPAND_SZ, W(L""), def},
        {"multi", REG_MULTI_SZ, W(L"a\0b\0\0"), RegistryData(S("a\0b"))},
        {"multi_deletion_last", REG_MULTI_SZ, W(L"a\0\0\0"), RegistryData(S("a\0"))},
        {"multi_empty_list", REG_MULTI_SZ, W(L"\0\0"), def},
        {"multi_empty_first", REG_MULTI_SZ, W(L"\0x\0\0"), def},
        {"multi_zero", REG_MULTI_SZ, W(L""), def},
        {"multi_one_closing", REG_MULTI_SZ, W(L"a\0bc\0"), RegistryData(S("a\0bc"))},
        {"multi_no_closing", REG_MULTI_SZ, W(L"a\0bc"), RegistryData(S("a\0bc"))},
    };
    for (const Row& row : stringRows) {
        ASSERT_EQ(WriteRawW(scratch.Get(), Widen(row.name), row.type, row.stored), ERROR_SUCCESS) << row.name;
        EXPECT_EQ(registry.GetRegistryValue(row.name, def), row.expected) << row.name;
    }

    struct ByteRow { const char* name; DWORD type; ByteList stored; RegistryData expected; };
    const ByteRow byteRows[] = {
        {"binary", REG_BINARY, {0x0A, 0xFF, 0x00}, RegistryData(ByteList{0x0A, 0xFF, 0x00})},
        {"binary_empty", REG_BINARY, {}, def},
        {"dword", REG_DWORD, {0x2A, 0, 0, 0}, RegistryData(42)},
        {"dword_minus_one", REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}, RegistryData(-1)},
        {"big_endian", REG_DWORD_BIG_ENDIAN, {0, 0, 0, 1}, def},
        {"link", REG_LINK, {'x', 0}, def},
        {"none", REG_NONE, {1, 2}, def},
        {"qword", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}, def},
    };
    for (const ByteRow& row : byteRows) {
        ASSERT_EQ(WriteRawBytes(scratch.Get(), row.name, row.type, row.stored), ERROR_SUCCESS) << row.name;
        EXPECT_EQ(registry.GetRegistryValue(row.name, def), row.expected) << row.name;
    }
}

TEST_F(RealRegistryTest, ExpandsEnvironmentVariablesOfAnyLength) {
    SetEnvironmentVariableA("PENDRIX_SHORT", "s");
    SetEnvironmentVariableA("PENDRIX_LONG", std::string(3000, 'L').c_str());
    ASSERT_EQ(WriteRawW(scratch.Get(), L"short", REG_EXPAND_SZ, W(L"%PENDRIX_SHORT%\\x\0")), ERROR_SUCCESS);
    ASSERT_EQ(WriteRawW(scratch.Get(), L"long", REG_EXPAND_SZ, W(L"<%PENDRIX_LONG%>\0")), ERROR_SUCCESS);
    EXPECT_EQ(registry.GetRegistryValue("short"), RegistryData("s\\x"));
    EXPECT_EQ(registry.GetRegistryValue("long"), RegistryData("<" + std::string(3000, 'L') + ">"));
}

TEST_F(RealRegistryTest, EncodesEachType) {
    struct Row { const char* name; std::int32_t dtype; RegistryData value; DWORD type; ByteList stored; };
    const Row rows[] = {
        {"sz", 1, RegistryData("abc"), REG_SZ, {'a', 'b', 'c', 0}},
        {"sz_number", 1, RegistryData(-5), REG_SZ, {'-', '5', 0}},
        {"expand", 2, RegistryData("%X%"), REG_EXPAND_SZ, {'%', 'X', '%', 0}},
        {"multi", 7, RegistryData(S("a\0b\0\0")), REG_MULTI_SZ, {'a', 0, 'b', 0, 0}},
        {"multi_empty", 7, RegistryData(""), REG_MULTI_SZ, {}},
        {"binary", 3, RegistryData(ByteList{1, 0, 0xFE}), REG_BINARY, {1, 0, 0xFE}},
        {"binary_empty", 3, RegistryData(ByteList{}), REG_BINARY, {}},
        {"dword_text", 4, RegistryData("12"), REG_DWORD, {0x0C, 0, 0, 0}},
        {"dword_rounded", 4, RegistryData("2.5"), REG_DWORD, {2, 0, 0, 0}},
        {"dword_negative", 4, RegistryData(-2), REG_DWORD, {0xFE, 0xFF, 0xFF, 0xFF}},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(registry.SetRegistryValue(row.name, row.value, row.dtype)) << row.name;
        const RawValue raw = ReadRawA(scratch.Get(), row.name);
        EXPECT_EQ(raw.status, ERROR_SUCCESS) << row.name;
        EXPECT_EQ(raw.type, row.type) << row.name;
        EXPECT_EQ(raw.bytes, row.stored) << row.name;
    }
    EXPECT_EQ(registry.GetRegistryValue("multi_empty", RegistryData("d")), RegistryData("d"));

    for (std::int32_t dtype : {0, 5, 6, 8}) {
        EXPECT_TRUE(registry.SetRegistryValue("unwritten", RegistryData("x"), dtype)) << dtype;
        EXPECT_EQ(ReadRawA(scratch.Get(), "unwritten").status, ERROR_FILE_NOT_FOUND) << dtype;
    }
}

TEST_F(RealRegistryTest, TextsRoundTripWhole) {
    for (const std::string& text : {std::string("abc"), std::string(), std::string(" padded "),
                                    std::string("Привет, 文件"), std::string(5000, 'z')}) {
        for (std::int32_t dtype : {1, 2}) {
            ASSERT_TRUE(registry.SetRegistryValue("text", RegistryData(text), dtype));
            EXPECT_EQ(registry.GetRegistryValue("text", RegistryData("default")), RegistryData(text)) << dtype;
        }
    }
}

TEST_F(RealRegistryTest, ConversionErrorsWriteNothing) {
    try {
        registry.SetRegistryValue("dword", RegistryData("letters"), 4);
        ADD_FAILURE() << "expected a type mismatch";
    } catch (const PendrixError& error) {
        EXPECT_EQ(error.Number(), kErrTypeMismatch);
    }
    EXPECT_THROW(registry.SetRegistryValue("binary", RegistryData(3), 3), PendrixError);
    EXPECT_THROW(registry.SetRegistryValue("dword", RegistryData("3000000000"), 4), PendrixError);
    EXPECT_EQ(ReadRawA(scratch.Get(), "dword").status, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ReadRawA(scratch.Get(), "binary").status, ERROR_FILE_NOT_FOUND);
}

// A value that does not change is read whole, whatever its size and however
// many bytes its characters take, in two queries at most: the second one
// sized by what the first reported.
TEST_F(RealRegistryTest, ASteadyValueOfAnySizeIsReadWholeInTwoQueriesAtMost) {
    const auto repeat = [](const std::string& unit, std::size_t times) {
        std::string text;
        for (std::size_t i = 0; i < times; ++i) text += unit;
        return text;
    };
    std::string list;
    for (int i = 0; list.size() < (1u << 20); ++i) list += "\\??\\C:\\dir\\file" + std::to_string(i) + '\0';
    // Text with one byte, two, three and four (two units) a character; a
    // list of strings of about 1 MB.
    const std::pair<std::int32_t, std::string> texts[] = {
        {1, std::string(700, 'a')}, {1, repeat("Ж", 500)}, {1, repeat("Ж", 1000)}, {1, repeat("文", 4000)},
        {1, repeat("😀", 300)},     {7, list + '\0'},
    };
    for (const auto& [type, text] : texts) {
        ASSERT_TRUE(registry.SetRegistryValue("text", RegistryData(text), type));
        api.queries = 0;
        EXPECT_EQ(registry.GetRegistryValue("text"), RegistryData(type == 7 ? text.substr(0, text.size() - 2) : text))
            << text.size();
        EXPECT_LE(api.queries, 2) << text.size();
    }
    for (std::size_t size : {1u, 1023u, 1024u, 1025u, 1500u, 1u << 20}) {
        ByteList bytes(size);
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
        ASSERT_EQ(WriteRawBytes(scratch.Get(), "big", REG_BINARY, bytes), ERROR_SUCCESS);
        api.queries = 0;
        EXPECT_EQ(registry.GetRegistryValue("big"), RegistryData(bytes)) << size;
        EXPECT_LE(api.queries, 2) << size;
    }
}

TEST_F(RealRegistryTest, MissingValuesKeysAndUnaimedObjectsGiveTheDefault) {
    EXPECT_EQ(registry.GetRegistryValue("missing", RegistryData(9)), RegistryData(9));
    EXPECT_EQ(registry.GetRegistryValue("missing"), RegistryData());
    EXPECT_EQ(registry.ReadRegistryValue("missing").status, ERROR_FILE_NOT_FOUND);

    registry.Subkey("NoSuchKey");
    EXPECT_FALSE(registry.KeyExists());
    EXPECT_EQ(registry.GetRegistryValue("x", RegistryData("d")), RegistryData("d"));
    EXPECT_FALSE(registry.SetRegistryValue("x", RegistryData("v"), 1));

    RegistryRoutines unaimed(api);
    EXPECT_EQ(unaimed.GetRegistryValue("x", RegistryData("d")), RegistryData("d"));
    EXPECT_FALSE(unaimed.SetRegistryValue("x", RegistryData("v"), 1));
    EXPECT_FALSE(unaimed.KeyExists());
    EXPECT_EQ(unaimed.CreateKey(), "");
}

TEST(SessionManagerKey, KeyExistsAndCreateKeyOnTheRealKey) {
    SessionManagerSetAside setAside;
    CountingRegistryApi api;
    RegistryRoutines registry(api);
    registry.hkey(kHkeyLocalMachine);
    registry.KeyRoot("SYSTEM\\CurrentControlSet\\Control");
    registry.Subkey("Session Manager");

    EXPECT_FALSE(registry.KeyExists());
    EXPECT_EQ(registry.CreateKey(), "0");
    EXPECT_TRUE(registry.KeyExists());
    EXPECT_EQ(registry.CreateKey(), "0") << "an existing key is opened, not refused";

    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0,
                            KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(api.opened, api.closed);
}

TEST_F(RealRegistryTest, CreateKeyWithANameAddressesKeyRoot) {
    registry.KeyRoot(ScratchKey::KeyRoot() + "\\" + scratch.Name() + "\\Deep\\Er");
    registry.Subkey("Leaf");
    EXPECT_EQ(registry.CreateKey(), "0");
    EXPECT_EQ(registry.CreateKey(RegistryData("Named")), "0");
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(scratch.Get(), "Deep\\Er\\Leaf", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(RegOpenKeyExA(scratch.Get(), "Deep\\Er\\Named", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(RegOpenKeyExA(scratch.Get(), "Deep\\Er\\Leaf\\Named", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}

}  // namespace
}  // namespace pendrix::wine
