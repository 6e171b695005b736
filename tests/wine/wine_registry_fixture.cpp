#include "tests/wine/wine_registry_fixture.h"

#include <gtest/gtest.h>

#include "common/wide_text.h"

namespace pendrix::wine {
namespace {
const char kSessionManagerPath[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const char kSetAsidePath[] = "Software\\PendrixTests\\SessionManagerSetAside";
}  // namespace

std::wstring Widen(const std::string& utf8) { return pendrix::WideText(utf8); }

std::string Narrow(const std::wstring& utf16) { return TextOfWide(utf16); }

ScratchKey::ScratchKey(const std::string& name) : name_(name) {
    const std::string path = KeyRoot() + "\\" + name;
    RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
    const LONG status = RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                        &key_, nullptr);
    EXPECT_EQ(status, ERROR_SUCCESS) << "cannot create the scratch key " << path;
}

ScratchKey::~ScratchKey() {
    if (key_ != nullptr) RegCloseKey(key_);
    RegDeleteTreeA(HKEY_CURRENT_USER, (KeyRoot() + "\\" + name_).c_str());
}

SessionManagerSetAside::SessionManagerSetAside() {
    HKEY source = nullptr;
    HKEY copy = nullptr;
    RegDeleteTreeA(HKEY_CURRENT_USER, kSetAsidePath);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManagerPath, 0, KEY_READ, &source), ERROR_SUCCESS);
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSetAsidePath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &copy,
                              nullptr), ERROR_SUCCESS);
    EXPECT_EQ(RegCopyTreeA(source, nullptr, copy), ERROR_SUCCESS);
    RegCloseKey(source);
    RegCloseKey(copy);
    // With a subkey path, RegDeleteTreeA removes that key itself too.
    EXPECT_EQ(RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSessionManagerPath), ERROR_SUCCESS);
}

SessionManagerSetAside::~SessionManagerSetAside() {
    HKEY copy = nullptr;
    HKEY target = nullptr;
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSessionManagerPath);
    RegOpenKeyExA(HKEY_CURRENT_USER, kSetAsidePath, 0, KEY_READ, &copy);
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSessionManagerPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &target,
                    nullptr);
    EXPECT_EQ(RegCopyTreeA(copy, nullptr, target), ERROR_SUCCESS) << "Session Manager could not be put back";
    RegCloseKey(copy);
    RegCloseKey(target);
    RegDeleteTreeA(HKEY_CURRENT_USER, kSetAsidePath);
}

ClearedPendingValue::ClearedPendingValue() { Reopen(); }

ClearedPendingValue::~ClearedPendingValue() { Close(); }

void ClearedPendingValue::Close() {
    if (key == nullptr) return;
    RegDeleteValueW(key, kName);
    RegCloseKey(key);
    key = nullptr;
}

void ClearedPendingValue::Reopen() {
    Close();
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSessionManagerPath, 0, nullptr, 0,
                              KEY_ALL_ACCESS | WRITE_DAC | READ_CONTROL, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegDeleteValueW(key, kName);
}

namespace {

// Asks the size, then reads the data, with RegQueryValueExA or ...W.
template <typename Char, typename Query>
RawValue ReadRaw(HKEY key, const Char* name, Query query) {
    RawValue raw;
    DWORD size = 0;
    raw.status = query(key, name, nullptr, &raw.type, nullptr, &size);
    if (raw.status != ERROR_SUCCESS) return raw;
    raw.bytes.resize(size + 2);
    raw.status = query(key, name, nullptr, &raw.type, raw.bytes.data(), &size);
    raw.bytes.resize(raw.status == ERROR_SUCCESS ? size : 0);
    return raw;
}

}  // namespace

RawValue ReadRawA(HKEY key, const std::string& name) { return ReadRaw(key, name.c_str(), RegQueryValueExA); }

RawValue ReadRawW(HKEY key, const std::wstring& name) { return ReadRaw(key, name.c_str(), RegQueryValueExW); }

std::wstring WideText(const RawValue& raw) {
    std::wstring text(raw.bytes.size() / sizeof(wchar_t), L'\0');
    if (!text.empty()) memcpy(text.data(), raw.bytes.data(), text.size() * sizeof(wchar_t));
    return text;
}

LONG WriteRawW(HKEY key, const std::wstring& name, DWORD type, const std::wstring& text) {
    return RegSetValueExW(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(text.data()),
                          static_cast<DWORD>(text.size() * sizeof(wchar_t)));
}

LONG WriteExactW(HKEY key, const std::wstring& name, DWORD type, const std::wstring& text) {
    const std::wstring followed = text + L'\xFFFF';
    return RegSetValueExW(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(followed.data()),
                          static_cast<DWORD>(text.size() * sizeof(wchar_t)));
}

LONG WriteRawBytes(HKEY key, const std::string& name, DWORD type, const std::vector<std::uint8_t>& bytes) {
    static const BYTE none[1] = {0};
    return RegSetValueExA(key, name.c_str(), 0, type, bytes.empty() ? none : bytes.data(),
                          static_cast<DWORD>(bytes.size()));
}

std::int32_t CountingRegistryApi::OpenKey(RegHandle root, const std::string& path, std::uint32_t access,
                                          RegHandle& key) {
    const std::int32_t status = system_.OpenKey(root, path, access, key);
    if (status == ERROR_SUCCESS) ++opened;
    return status;
}
std::int32_t CountingRegistryApi::CreateKey(RegHandle root, const std::string& path, std::uint32_t access,
                                            const SecurityAttributes& security, RegHandle& key) {
    const std::int32_t status = system_.CreateKey(root, path, access, security, key);
    if (status == ERROR_SUCCESS) ++opened;
    return status;
}
std::int32_t CountingRegistryApi::CloseKey(RegHandle key) {
    ++closed;
    return system_.CloseKey(key);
}
std::int32_t CountingRegistryApi::ConnectRegistry(const std::string& computer, RegHandle root, RegHandle& key) {
    const std::int32_t status = system_.ConnectRegistry(computer, root, key);
    if (status == ERROR_SUCCESS) ++opened;
    return status;
}
std::int32_t CountingRegistryApi::QueryValue(RegHandle key, const std::string& name, std::uint32_t& type,
                                             std::uint8_t* data, std::uint32_t& size) {
    ++queries;
    return system_.QueryValue(key, name, type, data, size);
}
std::int32_t CountingRegistryApi::SetValue(RegHandle key, const std::string& name, std::uint32_t type,
                                           const std::uint8_t* data, std::uint32_t size) {
    return system_.SetValue(key, name, type, data, size);
}
std::int32_t CountingRegistryApi::QueryStoredSize(RegHandle key, const std::string& name, std::uint32_t& type,
                                                  std::uint32_t& storedSize) {
    return system_.QueryStoredSize(key, name, type, storedSize);
}
std::int32_t CountingRegistryApi::DeleteKey(RegHandle root, const std::string& path) {
    return system_.DeleteKey(root, path);
}
std::int32_t CountingRegistryApi::DeleteValue(RegHandle key, const std::string& name) {
    return system_.DeleteValue(key, name);
}
std::int32_t CountingRegistryApi::EnumKey(RegHandle key, std::uint32_t index, char* name, std::uint32_t& nameRoom,
                                          char* className, std::uint32_t& classRoom) {
    return system_.EnumKey(key, index, name, nameRoom, className, classRoom);
}
std::int32_t CountingRegistryApi::EnumValue(RegHandle key, std::uint32_t index, char* name,
                                            std::uint32_t& nameRoom, std::uint32_t& type, std::uint8_t* data,
                                            std::uint32_t& size) {
    return system_.EnumValue(key, index, name, nameRoom, type, data, size);
}
std::uint32_t CountingRegistryApi::ExpandVariables(const std::string& source, char* destination,
                                                            std::uint32_t room) {
    return system_.ExpandVariables(source, destination, room);
}

}  // namespace pendrix::wine
