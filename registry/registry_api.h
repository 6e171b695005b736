// The thin seam between RegistryRoutines and the Windows registry. The
// Windows build answers with advapi32 and kernel32; native tests plug in a
// stand-in registry. Every call returns a Windows status code.
//
// Texts (paths, names, string data) are the program's 8-bit text, which maps
// losslessly onto the UTF-16 Windows stores (common/utf16_text.h); sizes and
// rooms of texts count its bytes, as the A functions do.
#pragma once

#include <cstdint>
#include <string>

namespace pendrix {

// The value of an HKEY. Predefined roots are negative 32-bit numbers that
// Windows sign-extends to pointer width.
using RegHandle = std::intptr_t;

// Mirrors SECURITY_ATTRIBUTES field for field.
struct SecurityAttributes {
    std::uint32_t nLength = 0;
    void* lpSecurityDescriptor = nullptr;
    std::int32_t bInheritHandle = 0;
};

class RegistryApi {
public:
    virtual ~RegistryApi() = default;

    virtual std::int32_t OpenKey(RegHandle root, const std::string& path, std::uint32_t access,
                                 RegHandle& key) = 0;
    virtual std::int32_t CreateKey(RegHandle root, const std::string& path, std::uint32_t access,
                                   const SecurityAttributes& security, RegHandle& key) = 0;
    virtual std::int32_t CloseKey(RegHandle key) = 0;
    virtual std::int32_t ConnectRegistry(const std::string& computer, RegHandle root,
                                         RegHandle& key) = 0;

    // size: the buffer's room on entry, the data's size on return.
    virtual std::int32_t QueryValue(RegHandle key, const std::string& name, std::uint32_t& type,
                                    std::uint8_t* data, std::uint32_t& size) = 0;
    virtual std::int32_t SetValue(RegHandle key, const std::string& name, std::uint32_t type,
                                  const std::uint8_t* data, std::uint32_t size) = 0;
    // The type and the size in bytes of a value's data as Windows stores it
    // (string data as UTF-16, so an odd size shows a last byte that is no
    // whole unit), without the data: RegQueryValueExW asked for no data.
    virtual std::int32_t QueryStoredSize(RegHandle key, const std::string& name, std::uint32_t& type,
                                         std::uint32_t& storedSize) = 0;

    virtual std::int32_t DeleteKey(RegHandle root, const std::string& path) = 0;
    virtual std::int32_t DeleteValue(RegHandle key, const std::string& name) = 0;

    // nameRoom and classRoom: rooms in bytes of 8-bit text on entry; on
    // return the lengths stored, without the terminating NUL. className may be null:
    // the class is then not asked for.
    virtual std::int32_t EnumKey(RegHandle key, std::uint32_t index, char* name,
                                 std::uint32_t& nameRoom, char* className,
                                 std::uint32_t& classRoom) = 0;
    virtual std::int32_t EnumValue(RegHandle key, std::uint32_t index, char* name,
                                   std::uint32_t& nameRoom, std::uint32_t& type,
                                   std::uint8_t* data, std::uint32_t& size) = 0;

    // ExpandEnvironmentStringsA: the destination's room is in bytes, but
    // the count given back is in characters (UTF-16 units) including the
    // NUL: those stored, or those needed when the room is too small; 0 on
    // failure. A count within the room does not mean the text fitted: a
    // character can take up to three bytes.
    virtual std::uint32_t ExpandVariables(const std::string& source, char* destination,
                                                   std::uint32_t room) = 0;
};

// The Windows registry of this computer (Windows build only).
RegistryApi& SystemRegistryApi();

}  // namespace pendrix
