// Texts from string literals with every NUL they hold, such as a stored list
// "a\0b\0\0": the literal's own terminating NUL is left out; and their bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pendrix {

template <std::size_t N>
std::string S(const char (&text)[N]) {
    return std::string(text, N - 1);
}

template <std::size_t N>
std::wstring W(const wchar_t (&text)[N]) {
    return std::wstring(text, N - 1);
}

// The bytes of a text, such as the data of a value.
inline std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

}  // namespace pendrix
