// A .reg file as the registry editor exports one, so that `reg import` (or a
// double click) puts the values back byte for byte: UTF-16 LE with its
// byte-order mark, the "Windows Registry Editor Version 5.00" header, the
// key in brackets, and each value as hex(N): with its exact bytes, lines
// wrapped where the registry editor wraps them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pendrix {

struct RegFileValue {
    std::string name;                // the value's name ("" is the key's default value)
    std::uint32_t type = 0;          // REG_MULTI_SZ and the like
    std::vector<std::uint8_t> data;  // exactly as stored
};

// The file's text (the program's 8-bit text, lines ended by CR LF): keyPath
// is the full path from the root's long name ("HKEY_LOCAL_MACHINE\...").
std::string RegFileText(std::string_view keyPath, const std::vector<RegFileValue>& values);

// The file's bytes: RegFileText in UTF-16 LE after its byte-order mark.
std::string RegFileBytes(std::string_view keyPath, const std::vector<RegFileValue>& values);

// The bytes Windows stores for string data given as the program's text
// (UTF-16 LE units, the text's NULs included).
std::vector<std::uint8_t> StoredBytesOfText(std::string_view text);

}  // namespace pendrix
