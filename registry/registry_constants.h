// Windows registry values used by the registry class, by name; the status
// codes are in common/windows_codes.h.
#pragma once

#include <cstdint>

#include "common/windows_codes.h"

namespace pendrix {

inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegDwordBigEndian = 5;
inline constexpr std::uint32_t kRegLink = 6;
inline constexpr std::uint32_t kRegMultiSz = 7;

// The types whose data is text: strings, expandable strings, lists of strings.
inline constexpr bool IsStringType(std::uint32_t type) {
    return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

// The longest value name Windows allows, in UTF-16 units (key names are
// shorter), and the most bytes one unit takes in the A functions' UTF-8.
inline constexpr std::uint32_t kMaxValueNameChars = 16383;
inline constexpr std::uint32_t kMaxUtf8BytesPerUnit = 3;

inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyWrite = 0x20006;
inline constexpr std::uint32_t kKeySetValue = 0x0002;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;

// Predefined root keys as the signed 32-bit numbers the class holds.
inline constexpr std::int32_t kHkeyClassesRoot = static_cast<std::int32_t>(0x80000000u);
inline constexpr std::int32_t kHkeyCurrentUser = static_cast<std::int32_t>(0x80000001u);
inline constexpr std::int32_t kHkeyLocalMachine = static_cast<std::int32_t>(0x80000002u);
inline constexpr std::int32_t kHkeyUsers = static_cast<std::int32_t>(0x80000003u);

}  // namespace pendrix
