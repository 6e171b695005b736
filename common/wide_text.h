// The program's 8-bit text and Windows' wide strings, converted losslessly
// (common/utf16_text.h), for the W functions. Windows only: wchar_t is one
// UTF-16 unit there.
#pragma once

#include <string>
#include <string_view>

#include "common/utf16_text.h"

namespace pendrix {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the W functions take UTF-16 units");

// A wide string for the W functions (NUL-terminated by std::wstring).
inline std::wstring WideText(std::string_view text) {
    const std::u16string units = Utf16FromText(text);
    return std::wstring(units.begin(), units.end());
}

// The 8-bit text of a wide string, every unit kept.
inline std::string TextOfWide(std::wstring_view wide) {
    return TextFromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

}  // namespace pendrix
