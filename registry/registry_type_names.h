// The names Windows gives registry value types, for messages.
#pragma once

#include <cstdint>
#include <iterator>
#include <string>

namespace pendrix {

// "REG_BINARY" and so on; "type N" for a number Windows gives no name.
inline std::string RegistryTypeText(std::uint32_t type) {
    static const char* const kNames[] = {
        "REG_NONE",          "REG_SZ",
        "REG_EXPAND_SZ",     "REG_BINARY",
        "REG_DWORD",         "REG_DWORD_BIG_ENDIAN",
        "REG_LINK",          "REG_MULTI_SZ",
        "REG_RESOURCE_LIST", "REG_FULL_RESOURCE_DESCRIPTOR",
        "REG_RESOURCE_REQUIREMENTS_LIST", "REG_QWORD",
    };
    if (type < std::size(kNames)) return kNames[type];
    return "type " + std::to_string(type);
}

}  // namespace pendrix
