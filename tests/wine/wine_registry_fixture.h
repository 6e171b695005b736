// Helpers for tests against Wine's real registry: scratch keys that tests
// own, raw reads and writes that bypass RegistryRoutines, and a pass-through
// RegistryApi that counts calls and open handles.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "registry/registry_api.h"

namespace pendrix::wine {

// The program's 8-bit text and UTF-16, converted losslessly.
std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);

// HKCU\Software\PendrixTests\<name>, deleted before and after use.
class ScratchKey {
public:
    explicit ScratchKey(const std::string& name);
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    HKEY Get() const { return key_; }
    static std::string KeyRoot() { return "Software\\PendrixTests"; }
    const std::string& Name() const { return name_; }

private:
    std::string name_;
    HKEY key_ = nullptr;
};

// Moves the real Session Manager key aside for a test and puts it back.
class SessionManagerSetAside {
public:
    SessionManagerSetAside();
    ~SessionManagerSetAside();
    SessionManagerSetAside(const SessionManagerSetAside&) = delete;
    SessionManagerSetAside& operator=(const SessionManagerSetAside&) = delete;
};

// The real Session Manager key, opened for a test (with the rights to change
// its DACL), without PendingFileRenameOperations before and after the test:
// a list left behind would be carried out by the next Wine session.
class ClearedPendingValue {
public:
    ClearedPendingValue();
    ~ClearedPendingValue();
    ClearedPendingValue(const ClearedPendingValue&) = delete;
    ClearedPendingValue& operator=(const ClearedPendingValue&) = delete;

    // Closes the key (for a test that takes it away) and opens it again.
    void Close();
    void Reopen();

    static constexpr const wchar_t* kName = L"PendingFileRenameOperations";
    HKEY key = nullptr;
};

struct RawValue {
    LONG status = 0;
    DWORD type = 0;
    std::vector<std::uint8_t> bytes;  // as the A or W function gives them
};

RawValue ReadRawA(HKEY key, const std::string& name);
RawValue ReadRawW(HKEY key, const std::wstring& name);
LONG WriteRawW(HKEY key, const std::wstring& name, DWORD type, const std::wstring& text);
// text's units exactly, also when the last is not NUL: RegSetValueExW (on
// Windows as under Wine) counts one unit more when the unit after the data
// is NUL and the last is not, so a unit that is not NUL follows the data.
LONG WriteExactW(HKEY key, const std::wstring& name, DWORD type, const std::wstring& text);
LONG WriteRawBytes(HKEY key, const std::string& name, DWORD type, const std::vector<std::uint8_t>& bytes);

// The UTF-16 text of a RawValue read with the W function.
std::wstring WideText(const RawValue& raw);

// Forwards every call to the system registry, counting queries and the
// handles it opened and closed.
class CountingRegistryApi : public RegistryApi {
public:
    int queries = 0;
    int opened = 0;
    int closed = 0;

    std::int32_t OpenKey(RegHandle root, const std::string& path, std::uint32_t access, RegHandle& key) override;
    std::int32_t CreateKey(RegHandle root, const std::string& path, std::uint32_t access,
                           const SecurityAttributes& security, RegHandle& key) override;
    std::int32_t CloseKey(RegHandle key) override;
    std::int32_t ConnectRegistry(const std::string& computer, RegHandle root, RegHandle& key) override;
    std::int32_t QueryValue(RegHandle key, const std::string& name, std::uint32_t& type, std::uint8_t* data,
                            std::uint32_t& size) override;
    std::int32_t SetValue(RegHandle key, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                          std::uint32_t size) override;
    std::int32_t QueryStoredSize(RegHandle key, const std::string& name, std::uint32_t& type,
                                 std::uint32_t& storedSize) override;
    std::int32_t DeleteKey(RegHandle root, const std::string& path) override;
    std::int32_t DeleteValue(RegHandle key, const std::string& name) override;
    std::int32_t EnumKey(RegHandle key, std::uint32_t index, char* name, std::uint32_t& nameRoom, char* className,
                         std::uint32_t& classRoom) override;
    std::int32_t EnumValue(RegHandle key, std::uint32_t index, char* name, std::uint32_t& nameRoom,
                           std::uint32_t& type, std::uint8_t* data, std::uint32_t& size) override;
    std::uint32_t ExpandVariables(const std::string& source, char* destination,
                                           std::uint32_t room) override;

private:
    RegistryApi& system_ = SystemRegistryApi();
};

}  // namespace pendrix::wine
