// Texts from string literals with every NUL they hold, such as a stored list
// "a\0b\0\0": the literal's own terminating NUL is left out.
#pragma once

#include <cstddef>
#include <string>

namespace pendrix {

template <std::size_t N>
std::string S(const char (&text)[N]) {
    return std::string(text, N - 1);
}

template <std::size_t N>
std::wstring W(const wchar_t (&text)[N]) {
    return std::wstring(text, N - 1);
}

}  // namespace pendrix
