#include "common/quoted.h"

#include <cstdint>

namespace pendrix {
namespace {

// The length of the character starting at text[i] that is shown escaped,
// with its code point; 0 for any other character. Lone surrogates are
// stored as ED A0..BF xx (common/utf16_text.h).
std::size_t EscapedAt(std::string_view text, std::size_t i, std::uint32_t& codePoint) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    if (byte(i) < 0x20 || byte(i) == 0x7F) {
        codePoint = byte(i);
        return 1;
    }
    if (byte(i) == 0xC2 && i + 1 < text.size() && byte(i + 1) >= 0x80 && byte(i + 1) <= 0x9F) {
        codePoint = byte(i + 1);
        return 2;
    }
    if (byte(i) == 0xE2 && i + 2 < text.size() && byte(i + 1) == 0x80 && (byte(i + 2) == 0xA8 || byte(i + 2) == 0xA9)) {
        codePoint = 0x2000u + byte(i + 2) - 0x80u;
        return 3;
    }
    if (byte(i) == 0xED && i + 2 < text.size() && byte(i + 1) >= 0xA0 && byte(i + 1) <= 0xBF) {
        codePoint = 0xD000u | (byte(i + 1) & 0x3Fu) << 6 | (byte(i + 2) & 0x3Fu);
        return 3;
    }
    return 0;
}

}  // namespace

std::string Quoted(std::string_view name) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(name.size() + 2);
    out += '"';
    for (std::size_t i = 0; i < name.size();) {
        std::uint32_t codePoint = 0;
        const std::size_t length = EscapedAt(name, i, codePoint);
        if (length == 0) {
            out += name[i++];
            continue;
        }
        out += "<U+";
        for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(codePoint >> shift) & 0xF];
        out += '>';
        i += length;
    }
    out += '"';
    return out;
}

}  // namespace pendrix
