// The pending rename list procedure against Wine's real Session Manager key.
// The stored bytes are checked with the registry API directly.
#include <gtest/gtest.h>

#include "registry/RegistryRoutines.h"
#include "pending_list/pending_rename_list.h"
#include "scheduler/list_update.h"
#include "tests/common/literal_text.h"
#include "tests/wine/wine_registry_fixture.h"

namespace pendrix::wine {
namespace {

class PendingListOnWine : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(api.opened, api.closed) << "a key handle was left open"; }

    RawValue StoredA() const { return ReadRawA(key, kPendingValueName); }
    std::wstring StoredW() const { return WideText(ReadRawW(key, Widen(kPendingValueName))); }

    ClearedPendingValue pending;
    HKEY& key = pending.key;
    CountingRegistryApi api;
    RegistryRoutines registry{api};
    PendingRenameList list{registry};
    PendingListUpdate update{registry, SystemListLock()};
};

bool Written(const UpdateResult& result) { return result.outcome == UpdateOutcome::Written; }

TEST_F(PendingListOnWine, WorkedExampleStoresTheExactStrings) {
    ASSERT_TRUE(Written(update.Append({ReplacementPair("C:\\new\\lib.dll", "C:\\app\\lib.dll")})));
    RawValue raw = StoredA();
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_MULTI_SZ));
    EXPECT_EQ(std::string(raw.bytes.begin(), raw.bytes.end()),
              S("\\??\\C:\\new\\lib.dll\0!\\??\\C:\\app\\lib.dll\0\0"));

    ASSERT_TRUE(Written(update.Append({DeletionPair("C:\\app\\old.log")})));
    ASSERT_TRUE(Written(update.Append({ReplacementPair("C:\\new\\x.ini", "C:\\app\\x.ini")})));
    EXPECT_EQ(StoredW(), W(L"\\??\\C:\\new\\lib.dll\0!\\??\\C:\\app\\lib.dll\0"
                           L"\\??\\C:\\app\\old.log\0\0"
                           L"\\??\\C:\\new\\x.ini\0!\\??\\C:\\app\\x.ini\0\0"));
}

TEST_F(PendingListOnWine, CreatesTheSessionManagerKeyWhenItIsGone) {
    pending.Close();
    {
        SessionManagerSetAside setAside;
        const PendingListRead read = list.Read();
        EXPECT_TRUE(read.readable);
        EXPECT_EQ(read.listText, "");
        EXPECT_TRUE(Written(update.Append({DeletionPair("C:\\gone.txt")})));
        HKEY recreated = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0,
                                KEY_READ, &recreated), ERROR_SUCCESS);
        EXPECT_EQ(WideText(ReadRawW(recreated, Widen(kPendingValueName))), W(L"\\??\\C:\\gone.txt\0\0\0"));
        RegCloseKey(recreated);
    }
    pending.Reopen();
}

TEST_F(PendingListOnWine, EntriesStoredThroughTheWideFunctionsSurviveAnApply) {
    const std::wstring theirs = W(L"\\??\\C:\\Ünïcødé\\ß.sys\0!\\??\\C:\\Windows\\系统.sys\0\\??\\D:\\Δ\0\0");
    ASSERT_EQ(WriteRawW(key, Widen(kPendingValueName), REG_MULTI_SZ, theirs + W(L"\0")), ERROR_SUCCESS);
    ASSERT_TRUE(Written(update.Append({DeletionPair("C:\\Тест.log")})));
    EXPECT_EQ(StoredW(), theirs + W(L"\\??\\C:\\Тест.log\0\0\0"));
}

TEST_F(PendingListOnWine, AnotherProgramsLoneSurrogateComesBackUnitForUnit) {
    // A lone surrogate is legal in an NTFS name.
    std::wstring theirs = W(L"\\??\\C:\\a");
    theirs += static_cast<wchar_t>(0xD800);
    theirs += W(L"b\0!\\??\\C:\\c\0\0");
    ASSERT_EQ(WriteRawW(key, Widen(kPendingValueName), REG_MULTI_SZ, theirs), ERROR_SUCCESS);
    const PendingListRead snapshot = list.Read();
    ASSERT_TRUE(Written(update.Append({DeletionPair("C:\\d")})));
    EXPECT_EQ(StoredW(), theirs.substr(0, theirs.size() - 1) + W(L"\\??\\C:\\d\0\0\0"));
    ASSERT_TRUE(Written(update.Restore(snapshot)));
    EXPECT_EQ(StoredW(), theirs);
}

// Exactly these bytes as the value, with RegSetValueExW: a unit that is not
// NUL follows them, so Wine counts no unit more than given.
LONG WriteExactW(HKEY key, DWORD type, const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> buffer(bytes);
    buffer.push_back(0xFF);
    buffer.push_back(0xFF);
    return RegSetValueExW(key, Widen(kPendingValueName).c_str(), 0, type, buffer.data(),
                          static_cast<DWORD>(bytes.size()));
}

std::vector<std::uint8_t> Utf16Bytes(const std::wstring& text) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    return std::vector<std::uint8_t>(bytes, bytes + text.size() * sizeof(wchar_t));
}

TEST_F(PendingListOnWine, RestorePutsBackTheSnapshotByteForByte) {
    // A surplus NUL with a string after it; no closing NUL; not even the
    // last string's NUL.
    for (const std::wstring& original : {W(L"\\??\\C:\\x\0!\\??\\C:\\y\0\0\0\\??\\C:\\never\0\0"),
                                         W(L"\\??\\C:\\x\0!\\??\\C:\\y\0"), W(L"\\??\\C:\\x\0!\\??\\C:\\y")}) {
        ASSERT_EQ(WriteExactW(key, REG_MULTI_SZ, Utf16Bytes(original)), ERROR_SUCCESS);
        ASSERT_EQ(ReadRawW(key, Widen(kPendingValueName)).bytes, Utf16Bytes(original));
        const PendingListRead snapshot = list.Read();
        ASSERT_TRUE(Written(update.Append({DeletionPair("C:\\z")})));
        ASSERT_TRUE(Written(update.Restore(snapshot)));
        EXPECT_EQ(ReadRawW(key, Widen(kPendingValueName)).bytes, Utf16Bytes(original)) << Narrow(original);
    }

    RegDeleteValueA(key, kPendingValueName);
    const PendingListRead absent = list.Read();
    ASSERT_TRUE(Written(update.Append({DeletionPair("C:\\z")})));
    ASSERT_TRUE(Written(update.Restore(absent)));
    EXPECT_EQ(StoredA().status, ERROR_FILE_NOT_FOUND) << "no value at launch: no value again";
    EXPECT_EQ(list.Read().listText, "");
}

// Values of another type, or of an odd number of bytes, as another program
// may store them: read as what they are, never written over.
TEST_F(PendingListOnWine, AValueOfAnotherFormIsNeverWritten) {
    const std::wstring pair = W(L"\\??\\C:\\a\0\0\0");
    std::vector<std::uint8_t> odd = Utf16Bytes(pair);
    odd.push_back('x');
    const struct {
        DWORD type;
        std::vector<std::uint8_t> bytes;
    } cases[] = {{REG_BINARY, Utf16Bytes(pair)}, {REG_MULTI_SZ, odd}, {REG_BINARY, odd}, {REG_SZ, Utf16Bytes(pair)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        ASSERT_EQ(WriteExactW(key, c.type, c.bytes), ERROR_SUCCESS);
        const PendingListRead read = list.Read();
        EXPECT_TRUE(HoldsAnotherForm(read));
        EXPECT_EQ(read.shape.type, c.type);
        EXPECT_EQ(read.shape.bytes, c.bytes.size());
        EXPECT_EQ(read.stored, Narrow(pair)) << "its whole units";
        EXPECT_FALSE(Written(update.Append({DeletionPair("C:\\x")})));
        EXPECT_FALSE(Written(update.Restore(read)));
        const RawValue raw = ReadRawW(key, Widen(kPendingValueName));
        EXPECT_EQ(raw.type, c.type);
        EXPECT_EQ(raw.bytes, c.bytes);
    }
}

}  // namespace
}  // namespace pendrix::wine
