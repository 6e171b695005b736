// The forms in which EnumRegistryValues gives a value's data: numbers for
// REG_DWORD, texts for strings, lists and binary data, nothing for the rest.
#pragma once

#include <cstdint>
#include <string>

#include "registry/registry_codec.h"
#include "registry/registry_data.h"

namespace pendrix {

// Each byte as two upper-case hexadecimal digits, the pairs separated by
// single spaces: 01 AB 00. Any number of bytes; none gives the empty text.
std::string HexByteText(ByteView data);

// REG_DWORD: the number. REG_SZ: the text. REG_EXPAND_SZ: the text expanded
// and cut before its first NUL. REG_BINARY: HexByteText. REG_MULTI_SZ: the
// list's strings joined by commas. Empty string data gives the empty text;
// any other type gives nothing.
RegistryData ListedValueData(std::uint32_t type, ByteView data, const ExpandFunction& expand);

}  // namespace pendrix
