// Conversion between the program's 8-bit text (UTF-8, the code page the
// manifest sets) and the UTF-16 of the W functions.
#pragma once

#include <string>
#include <string_view>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace pendrix {

#if defined(_WIN32)

inline std::u16string Utf16FromText(std::string_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::u16string result(static_cast<std::size_t>(units), u'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, reinterpret_cast<wchar_t*>(result.data()), units);
    return result;
}

inline std::string TextFromUtf16(std::u16string_view text) {
    if (text.empty()) return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int size = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, size, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, size, result.data(), bytes, nullptr, nullptr);
    return result;
}

#else

// Portable builds: ASCII only, one unit per byte.
inline std::u16string Utf16FromText(std::string_view text) {
    return std::u16string(text.begin(), text.end());
}

inline std::string TextFromUtf16(std::u16string_view text) {
    std::string result;
    for (const char16_t unit : text) result.push_back(static_cast<char>(unit));
    return result;
}

#endif

}  // namespace pendrix
