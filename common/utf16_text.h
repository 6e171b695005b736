// The lossless conversion between the program's 8-bit text and the UTF-16
// that Windows stores. Windows names are any sequence of UTF-16 units, lone
// surrogates included, so the 8-bit side is UTF-8 extended to lone
// surrogates:
// - valid Unicode is plain UTF-8;
// - a lone surrogate (a high one not followed by a low one, or a low one not
//   preceded by a high one) takes the three-byte form UTF-8 would give its
//   number (ED A0..BF xx);
// so every sequence of UTF-16 units comes back unit for unit from
// Utf16FromText(TextFromUtf16(units)).
//
// 8-bit text that is not in this form (a stray continuation byte, a cut or
// overlong sequence, a number beyond U+10FFFF) cannot have come from UTF-16.
// Each maximal ill-formed part becomes one U+FFFD, the replacement character,
// as the Unicode standard recommends; such text does not round-trip, and
// nothing in the program produces it. The three-byte forms of a high and a
// following low surrogate are read as the pair they make, which comes back
// as the four-byte form.
#pragma once

#include <string>
#include <string_view>

namespace pendrix {

std::u16string Utf16FromText(std::string_view text);
std::string TextFromUtf16(std::u16string_view units);

// How many bytes TextFromUtf16 gives for units, without converting.
std::size_t TextLengthOfUtf16(std::u16string_view units);

// TextFromUtf16 into a buffer of at least TextLengthOfUtf16(units) bytes;
// gives the number of bytes written.
std::size_t WriteTextFromUtf16(std::u16string_view units, char* out);

// The most bytes one UTF-16 unit takes in the 8-bit text.
inline constexpr std::size_t kMaxTextBytesPerUnit = 3;

}  // namespace pendrix
