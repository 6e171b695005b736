// RegistryApi over advapi32 and kernel32 through the UTF-16 (W) functions.
// Key paths, value names and the data of string values are converted between
// the program's 8-bit text and UTF-16 here, with the lossless conversion of
// common/utf16_text.h: whatever UTF-16 units another program stored (lone
// surrogates included) come back unit for unit when the program writes the
// text it read. The A functions would turn such units into U+FFFD.
//
// Units stay those of the A functions: sizes of string data and rooms for
// names count bytes of the 8-bit text. A last odd byte of string data is no
// UTF-16 unit and is not part of the text, as with the A functions.
#include <windows.h>

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "common/utf16_text.h"
#include "common/wide_text.h"
#include "registry/registry_api.h"
#include "registry/registry_constants.h"

namespace pendrix {
namespace {

static_assert(sizeof(SecurityAttributes) == sizeof(SECURITY_ATTRIBUTES));
static_assert(offsetof(SecurityAttributes, lpSecurityDescriptor) ==
              offsetof(SECURITY_ATTRIBUTES, lpSecurityDescriptor));
static_assert(offsetof(SecurityAttributes, bInheritHandle) == offsetof(SECURITY_ATTRIBUTES, bInheritHandle));
static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' WCHAR is one UTF-16 unit");

// The longest key or value name, in UTF-16 units, with its NUL.
constexpr DWORD kNameUnits = kMaxValueNameChars + 1;
// How often a value that changes between a size query and a read is asked
// again before its growth is reported.
constexpr int kReadAttempts = 3;

HKEY ToHkey(RegHandle handle) { return reinterpret_cast<HKEY>(handle); }
RegHandle FromHkey(HKEY key) { return reinterpret_cast<RegHandle>(key); }


// UTF-16 string data read as raw bytes: its whole units.
std::u16string_view DataUnits(const std::uint8_t* bytes, DWORD byteCount) {
    return std::u16string_view(reinterpret_cast<const char16_t*>(bytes), byteCount / sizeof(char16_t));
}

// A 8-bit name into a caller's room of room bytes, NUL-terminated; false
// when it does not fit. length: the bytes stored without the NUL.
bool PutName(const std::string& name, char* buffer, std::uint32_t room, std::uint32_t& length) {
    if (name.size() >= room) return false;
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    length = static_cast<std::uint32_t>(name.size());
    return true;
}

// The data of a value as the caller gets it: string data converted to 8-bit
// text, other data as stored. MORE_DATA with the size needed when it does
// not fit in size bytes.
std::int32_t DeliverData(DWORD type, const std::uint8_t* stored, DWORD storedSize, std::uint8_t* data,
                         std::uint32_t& size) {
    if (!IsStringType(type)) {
        const std::uint32_t room = size;
        size = storedSize;
        if (data == nullptr) return ERROR_SUCCESS;
        if (storedSize > room) return ERROR_MORE_DATA;
        if (storedSize != 0) std::memcpy(data, stored, storedSize);
        return ERROR_SUCCESS;
    }
    const std::u16string_view units = DataUnits(stored, storedSize);
    const std::uint32_t room = size;
    // A room of three bytes a unit surely holds the text: convert at once.
    if (data != nullptr && units.size() * kMaxTextBytesPerUnit <= room) {
        size = static_cast<std::uint32_t>(WriteTextFromUtf16(units, reinterpret_cast<char*>(data)));
        return ERROR_SUCCESS;
    }
    const std::size_t length = TextLengthOfUtf16(units);
    if (length > MAXDWORD) return ERROR_NOT_ENOUGH_MEMORY;
    size = static_cast<std::uint32_t>(length);
    if (data == nullptr) return ERROR_SUCCESS;
    if (length > room) return ERROR_MORE_DATA;
    WriteTextFromUtf16(units, reinterpret_cast<char*>(data));
    return ERROR_SUCCESS;
}

// A room for the 8-bit text of string data of storedSize bytes that is
// certainly large enough: three bytes for every unit.
std::uint32_t SureTextRoom(DWORD storedSize) {
    const std::uint64_t room = std::uint64_t{storedSize} / sizeof(char16_t) * kMaxTextBytesPerUnit;
    return room > MAXDWORD ? MAXDWORD : static_cast<std::uint32_t>(room);
}

// RegSetValueExW wants a readable buffer even for zero bytes.
const BYTE kNoData[2] = {0, 0};
// A unit that is not NUL. RegSetValueExW counts one more unit when the last
// unit given is not NUL and the unit after it is (it takes the terminator
// to have been forgotten); this unit after the data keeps the count exactly
// as given.
constexpr char16_t kNotNul = u'\xFFFF';

class Win32RegistryApi final : public RegistryApi {
public:
    std::int32_t OpenKey(RegHandle root, const std::string& path, std::uint32_t access,
                         RegHandle& key) override {
        HKEY opened = nullptr;
        const LONG status = RegOpenKeyExW(ToHkey(root), WideText(path).c_str(), 0, access, &opened);
        key = status == ERROR_SUCCESS ? FromHkey(opened) : 0;
        return status;
    }

    std::int32_t CreateKey(RegHandle root, const std::string& path, std::uint32_t access,
                           const SecurityAttributes& security, RegHandle& key) override {
        HKEY created = nullptr;
        DWORD disposition = 0;
        wchar_t noClass[] = L"";
        SECURITY_ATTRIBUTES attributes{};
        attributes.nLength = security.nLength;
        attributes.lpSecurityDescriptor = security.lpSecurityDescriptor;
        attributes.bInheritHandle = security.bInheritHandle;
        const LONG status = RegCreateKeyExW(ToHkey(root), WideText(path).c_str(), 0, noClass, 0, access,
                                            &attributes, &created, &disposition);
        key = status == ERROR_SUCCESS ? FromHkey(created) : 0;
        return status;
    }

    std::int32_t CloseKey(RegHandle key) override { return RegCloseKey(ToHkey(key)); }

    std::int32_t ConnectRegistry(const std::string& computer, RegHandle root, RegHandle& key) override {
        HKEY connected = nullptr;
        const LONG status = RegConnectRegistryW(WideText(computer).c_str(), ToHkey(root), &connected);
        key = status == ERROR_SUCCESS ? FromHkey(connected) : 0;
        return status;
    }

    // The stored size is asked first (it costs nothing): string data whose
    // units alone exceed the room cannot fit, and a room that surely does is
    // reported without reading the data. Otherwise the data is read and
    // converted straight into the caller's buffer.
    std::int32_t QueryValue(RegHandle key, const std::string& name, std::uint32_t& type,
                            std::uint8_t* data, std::uint32_t& size) override {
        const std::wstring wideName = WideText(name);
        for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
            DWORD storedType = 0;
            DWORD storedSize = 0;
            LONG status = RegQueryValueExW(ToHkey(key), wideName.c_str(), nullptr, &storedType, nullptr, &storedSize);
            if (status != ERROR_SUCCESS) return status;
            type = storedType;
            if (data == nullptr || (IsStringType(storedType) && storedSize / sizeof(char16_t) > size)) {
                size = IsStringType(storedType) ? SureTextRoom(storedSize) : storedSize;
                return data == nullptr ? ERROR_SUCCESS : ERROR_MORE_DATA;
            }
            if (!IsStringType(storedType) && storedSize > size) {
                size = storedSize;
                return ERROR_MORE_DATA;
            }
            // Uninitialised: the data overwrites it.
            const std::unique_ptr<std::uint8_t[]> stored(new std::uint8_t[storedSize + 1]);
            DWORD readSize = storedSize;
            status = RegQueryValueExW(ToHkey(key), wideName.c_str(), nullptr, &storedType, stored.get(), &readSize);
            if (status == ERROR_MORE_DATA) continue;  // grew since the size was asked
            if (status != ERROR_SUCCESS) return status;
            type = storedType;
            return DeliverData(storedType, stored.get(), readSize, data, size);
        }
        return ERROR_MORE_DATA;
    }

    std::int32_t SetValue(RegHandle key, const std::string& name, std::uint32_t type,
                          const std::uint8_t* data, std::uint32_t size) override {
        const std::wstring wideName = WideText(name);
        if (!IsStringType(type)) {
            return RegSetValueExW(ToHkey(key), wideName.c_str(), 0, type, data != nullptr ? data : kNoData, size);
        }
        std::u16string units = Utf16FromText(std::string_view(reinterpret_cast<const char*>(data), size));
        const std::size_t byteCount = units.size() * sizeof(char16_t);
        if (byteCount > MAXDWORD) return ERROR_NOT_ENOUGH_MEMORY;
        units.push_back(kNotNul);  // within the spare capacity Utf16FromText leaves
        return RegSetValueExW(ToHkey(key), wideName.c_str(), 0, type, reinterpret_cast<const BYTE*>(units.data()),
                              static_cast<DWORD>(byteCount));
    }

    std::int32_t QueryStoredSize(RegHandle key, const std::string& name, std::uint32_t& type,
                                 std::uint32_t& storedSize) override {
        DWORD storedType = 0;
        DWORD size = 0;
        const LONG status = RegQueryValueExW(ToHkey(key), WideText(name).c_str(), nullptr, &storedType, nullptr, &size);
        if (status != ERROR_SUCCESS) return status;
        type = storedType;
        storedSize = size;
        return ERROR_SUCCESS;
    }

    std::int32_t DeleteKey(RegHandle root, const std::string& path) override {
        return RegDeleteKeyW(ToHkey(root), WideText(path).c_str());
    }

    std::int32_t DeleteValue(RegHandle key, const std::string& name) override {
        return RegDeleteValueW(ToHkey(key), WideText(name).c_str());
    }

    // A name or class that does not fit in its room (in bytes of 8-bit
    // text) gives ERROR_MORE_DATA, as RegEnumKeyExA does.
    std::int32_t EnumKey(RegHandle key, std::uint32_t index, char* name, std::uint32_t& nameRoom,
                         char* className, std::uint32_t& classRoom) override {
        std::wstring wideName(kNameUnits, L'\0');
        DWORD nameLength = kNameUnits;
        // The class: as many units as the room has bytes, so a class that
        // fits in units may still not fit in bytes (checked below).
        std::wstring wideClass(classRoom + 1, L'\0');
        DWORD classLength = classRoom;
        FILETIME lastWrite{};
        const LONG status = RegEnumKeyExW(ToHkey(key), index, wideName.data(), &nameLength, nullptr,
                                          className != nullptr ? wideClass.data() : nullptr,
                                          className != nullptr ? &classLength : nullptr, &lastWrite);
        if (status != ERROR_SUCCESS) return status;
        std::uint32_t nameBytes = 0;
        if (!PutName(TextOfWide({wideName.data(), nameLength}), name, nameRoom, nameBytes)) return ERROR_MORE_DATA;
        if (className != nullptr) {
            std::uint32_t classBytes = 0;
            if (!PutName(TextOfWide({wideClass.data(), classLength}), className, classRoom, classBytes))
                return ERROR_MORE_DATA;
            classRoom = classBytes;
        }
        nameRoom = nameBytes;
        return ERROR_SUCCESS;
    }

    // As RegEnumValueA: the data's size (in bytes of 8-bit text for string
    // data) is reported whenever something does not fit; the name is tested
    // once the data fitted.
    std::int32_t EnumValue(RegHandle key, std::uint32_t index, char* name, std::uint32_t& nameRoom,
                           std::uint32_t& type, std::uint8_t* data, std::uint32_t& size) override {
        std::wstring wideName(kNameUnits, L'\0');
        for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
            DWORD nameLength = kNameUnits;
            DWORD storedType = 0;
            DWORD storedSize = 0;
            LONG status = RegEnumValueW(ToHkey(key), index, wideName.data(), &nameLength, nullptr, &storedType,
                                        nullptr, &storedSize);
            if (status != ERROR_SUCCESS) return status;
            const std::unique_ptr<std::uint8_t[]> stored(new std::uint8_t[storedSize + 1]);
            nameLength = kNameUnits;
            DWORD readSize = storedSize;
            status = RegEnumValueW(ToHkey(key), index, wideName.data(), &nameLength, nullptr, &storedType,
                                   stored.get(), &readSize);
            if (status == ERROR_MORE_DATA) continue;  // grew since the size was asked
            if (status != ERROR_SUCCESS) return status;
            type = storedType;
            status = DeliverData(storedType, stored.get(), readSize, data, size);
            if (status != ERROR_SUCCESS) return status;
            std::uint32_t nameBytes = 0;
            if (!PutName(TextOfWide({wideName.data(), nameLength}), name, nameRoom, nameBytes)) return ERROR_MORE_DATA;
            nameRoom = nameBytes;
            return ERROR_SUCCESS;
        }
        return ERROR_MORE_DATA;
    }

    // As ExpandEnvironmentStringsA: the count is in characters (UTF-16
    // units) with the NUL, whatever the destination's room in bytes; the
    // destination gets the 8-bit text with its NUL when that fits.
    std::uint32_t ExpandVariables(const std::string& source, char* destination, std::uint32_t room) override {
        const std::wstring wideSource = WideText(source);
        DWORD units = ExpandEnvironmentStringsW(wideSource.c_str(), nullptr, 0);
        for (int attempt = 0; units != 0 && attempt < kReadAttempts; ++attempt) {
            std::wstring expanded(units, L'\0');
            const DWORD stored = ExpandEnvironmentStringsW(wideSource.c_str(), expanded.data(), units);
            if (stored == 0) return 0;
            if (stored > units) {  // a variable changed between the calls
                units = stored;
                continue;
            }
            const std::string text = TextOfWide({expanded.data(), stored - 1});
            if (text.size() < room) std::memcpy(destination, text.c_str(), text.size() + 1);
            return stored;
        }
        return units;
    }
};

}  // namespace

RegistryApi& SystemRegistryApi() {
    static Win32RegistryApi api;
    return api;
}

}  // namespace pendrix
