// RegistryApi over advapi32 and kernel32: the A functions, so texts travel in
// the process's code page (UTF-8 through the manifest).
#include <windows.h>

#include <cstddef>
#include <string>

#include "registry/registry_api.h"

namespace pendrix {
namespace {

static_assert(sizeof(SecurityAttributes) == sizeof(SECURITY_ATTRIBUTES));
static_assert(offsetof(SecurityAttributes, lpSecurityDescriptor) ==
              offsetof(SECURITY_ATTRIBUTES, lpSecurityDescriptor));
static_assert(offsetof(SecurityAttributes, bInheritHandle) == offsetof(SECURITY_ATTRIBUTES, bInheritHandle));

HKEY ToHkey(RegHandle handle) { return reinterpret_cast<HKEY>(handle); }

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// The most bytes one UTF-16 unit takes in the process's code page.
std::uint64_t MaxBytesPerUnit() {
    if (GetACP() == CP_UTF8) return 3;  // four-byte characters take two units
    CPINFO info{};
    return GetCPInfo(CP_ACP, &info) && info.MaxCharSize > 0 ? info.MaxCharSize : 4;
}

// RegQueryValueExA, handed a buffer too small for string data, fetches and
// converts the whole value only to report its size: for a list of a
// megabyte that doubles the cost of a read. The stored (UTF-16) size, which
// costs nothing to ask, already tells when the buffer cannot be enough; then
// report a room that surely is (Windows documents that the size reported for
// string data may exceed what is finally stored). True when it answered.
bool ReportsRoomWithoutConverting(RegHandle key, const std::string& name, std::uint32_t& type,
                                  std::uint32_t& size) {
    const int nameLength = MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, nullptr, 0);
    if (nameLength <= 0) return false;
    std::wstring wideName(static_cast<std::size_t>(nameLength), L'\0');
    MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, wideName.data(), nameLength);

    DWORD storedType = 0;
    DWORD storedSize = 0;
    if (RegQueryValueExW(ToHkey(key), wideName.c_str(), nullptr, &storedType, nullptr, &storedSize) != ERROR_SUCCESS)
        return false;
    const bool text = IsStringType(storedType);
    const std::uint64_t least = text ? storedSize / sizeof(WCHAR) : storedSize;
    const std::uint64_t most = text ? storedSize / sizeof(WCHAR) * MaxBytesPerUnit() : storedSize;
    if (least <= size || most > MAXDWORD) return false;
    type = storedType;
    size = static_cast<std::uint32_t>(most);
    return true;
}
RegHandle FromHkey(HKEY key) { return reinterpret_cast<RegHandle>(key); }

// RegSetValueExA wants a readable buffer even for zero bytes.
const BYTE kNoData[1] = {0};

class Win32RegistryApi final : public RegistryApi {
public:
    std::int32_t OpenKey(RegHandle root, const std::string& path, std::uint32_t access,
                         RegHandle& key) override {
        HKEY opened = nullptr;
        const LONG status = RegOpenKeyExA(ToHkey(root), path.c_str(), 0, access, &opened);
        key = status == ERROR_SUCCESS ? FromHkey(opened) : 0;
        return status;
    }

    std::int32_t CreateKey(RegHandle root, const std::string& path, std::uint32_t access,
                           const SecurityAttributes& security, RegHandle& key) override {
        HKEY created = nullptr;
        DWORD disposition = 0;
        char noClass[] = "";
        SECURITY_ATTRIBUTES attributes{};
        attributes.nLength = security.nLength;
        attributes.lpSecurityDescriptor = security.lpSecurityDescriptor;
        attributes.bInheritHandle = security.bInheritHandle;
        const LONG status = RegCreateKeyExA(ToHkey(root), path.c_str(), 0, noClass, 0, access,
                                            &attributes, &created, &disposition);
        key = status == ERROR_SUCCESS ? FromHkey(created) : 0;
        return status;
    }

    std::int32_t CloseKey(RegHandle key) override { return RegCloseKey(ToHkey(key)); }

    std::int32_t ConnectRegistry(const std::string& computer, RegHandle root, RegHandle& key) override {
        HKEY connected = nullptr;
        const LONG status = RegConnectRegistryA(computer.c_str(), ToHkey(root), &connected);
        key = status == ERROR_SUCCESS ? FromHkey(connected) : 0;
        return status;
    }

    std::int32_t QueryValue(RegHandle key, const std::string& name, std::uint32_t& type,
                            std::uint8_t* data, std::uint32_t& size) override {
        if (data != nullptr && ReportsRoomWithoutConverting(key, name, type, size)) return ERROR_MORE_DATA;
        DWORD valueType = 0;
        DWORD byteCount = size;
        const LONG status = RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, &valueType, data, &byteCount);
        type = valueType;
        size = byteCount;
        return status;
    }

    std::int32_t SetValue(RegHandle key, const std::string& name, std::uint32_t type,
                          const std::uint8_t* data, std::uint32_t size) override {
        return RegSetValueExA(ToHkey(key), name.c_str(), 0, type, data != nullptr ? data : kNoData, size);
    }

    std::int32_t DeleteKey(RegHandle root, const std::string& path) override {
        return RegDeleteKeyA(ToHkey(root), path.c_str());
    }

    std::int32_t DeleteValue(RegHandle key, const std::string& name) override {
        return RegDeleteValueA(ToHkey(key), name.c_str());
    }

    std::int32_t EnumKey(RegHandle key, std::uint32_t index, char* name, std::uint32_t& nameRoom,
                         char* className, std::uint32_t& classRoom) override {
        DWORD nameLength = nameRoom;
        DWORD classLength = classRoom;
        FILETIME lastWrite{};
        // Without a class buffer the class is not asked for at all.
        const LONG status = RegEnumKeyExA(ToHkey(key), index, name, &nameLength, nullptr, className,
                                          className != nullptr ? &classLength : nullptr, &lastWrite);
        nameRoom = nameLength;
        classRoom = classLength;
        return status;
    }

    std::int32_t EnumValue(RegHandle key, std::uint32_t index, char* name, std::uint32_t& nameRoom,
                           std::uint32_t& type, std::uint8_t* data, std::uint32_t& size) override {
        DWORD nameLength = nameRoom;
        DWORD valueType = 0;
        DWORD byteCount = size;
        const LONG status = RegEnumValueA(ToHkey(key), index, name, &nameLength, nullptr, &valueType,
                                          data, &byteCount);
        nameRoom = nameLength;
        type = valueType;
        size = byteCount;
        return status;
    }

    std::uint32_t ExpandVariables(const std::string& source, char* destination,
                                           std::uint32_t room) override {
        return ExpandEnvironmentStringsA(source.c_str(), destination, room);
    }
};

}  // namespace

RegistryApi& SystemRegistryApi() {
    static Win32RegistryApi api;
    return api;
}

}  // namespace pendrix
