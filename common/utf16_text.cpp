#include "common/utf16_text.h"

#include <cstdint>
#include <cstring>

namespace pendrix {
namespace {

constexpr char16_t kReplacement = u'\uFFFD';

bool IsHighSurrogate(std::uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(std::uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Writes point's bytes at out; gives the position after them.
char* PutCodePoint(char* out, std::uint32_t point) {
    if (point < 0x80) {
        *out++ = static_cast<char>(point);
    } else if (point < 0x800) {
        *out++ = static_cast<char>(0xC0 | (point >> 6));
        *out++ = static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (point >> 12));
        *out++ = static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (point & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (point >> 18));
        *out++ = static_cast<char>(0x80 | ((point >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (point & 0x3F));
    }
    return out;
}

char16_t* PutUnits(char16_t* out, std::uint32_t point) {
    if (point < 0x10000) {
        *out++ = static_cast<char16_t>(point);
    } else {
        point -= 0x10000;
        *out++ = static_cast<char16_t>(0xD800 | (point >> 10));
        *out++ = static_cast<char16_t>(0xDC00 | (point & 0x3FF));
    }
    return out;
}

// Lists are mostly ASCII: eight bytes at a time while none has its high bit.
constexpr std::uint64_t kHighBits = 0x8080808080808080u;

// Copies the ASCII bytes from text[i] on as units; gives the index of the
// first byte that is not ASCII (or the end).
std::size_t CopyAsciiRun(std::string_view text, std::size_t i, char16_t*& out) {
    const std::size_t size = text.size();
    while (i + 8 <= size) {
        std::uint64_t chunk = 0;
        std::memcpy(&chunk, text.data() + i, 8);
        if ((chunk & kHighBits) != 0) break;
        for (int k = 0; k < 8; ++k) out[k] = static_cast<char16_t>(static_cast<std::uint8_t>(text[i + static_cast<std::size_t>(k)]));
        out += 8;
        i += 8;
    }
    while (i < size && static_cast<std::uint8_t>(text[i]) < 0x80) *out++ = static_cast<char16_t>(text[i++]);
    return i;
}

// The number of leading units below 0x80 from units[i] on.
std::size_t AsciiUnitsFrom(std::u16string_view units, std::size_t i) {
    const std::size_t start = i;
    const std::size_t size = units.size();
    while (i + 4 <= size && (units[i] | units[i + 1] | units[i + 2] | units[i + 3]) < 0x80) i += 4;
    while (i < size && units[i] < 0x80) ++i;
    return i - start;
}

// The allowed range of the second byte after a lead byte; the bytes after
// it are any continuation byte. Surrogates (ED A0..BF) are allowed.
struct LeadRule {
    int length;            // 0: not a lead byte
    std::uint8_t low;      // allowed range of the second byte
    std::uint8_t high;
};

LeadRule RuleFor(std::uint8_t lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return {2, 0x80, 0xBF};
    if (lead == 0xE0) return {3, 0xA0, 0xBF};
    if (lead >= 0xE1 && lead <= 0xEF) return {3, 0x80, 0xBF};
    if (lead == 0xF0) return {4, 0x90, 0xBF};
    if (lead >= 0xF1 && lead <= 0xF3) return {4, 0x80, 0xBF};
    if (lead == 0xF4) return {4, 0x80, 0x8F};
    return {0, 0, 0};
}

}  // namespace

std::u16string Utf16FromText(std::string_view text) {
    // Never more units than bytes; one spare unit of capacity lets a caller
    // append a unit without moving a large text.
    std::u16string units(text.size() + 1, u'\0');
    char16_t* out = units.data();
    const std::size_t size = text.size();
    std::size_t i = 0;
    while (i < size) {
        i = CopyAsciiRun(text, i, out);
        if (i >= size) break;
        const auto lead = static_cast<std::uint8_t>(text[i]);
        const LeadRule rule = RuleFor(lead);
        if (rule.length == 0) {
            *out++ = kReplacement;
            ++i;
            continue;
        }
        // Take the longest well-formed start; a sequence cut short is one
        // ill-formed part.
        std::uint32_t point = lead & (0xFFu >> (rule.length + 1));
        int taken = 1;
        while (taken < rule.length && i + static_cast<std::size_t>(taken) < size) {
            const auto next = static_cast<std::uint8_t>(text[i + static_cast<std::size_t>(taken)]);
            const bool fits = taken == 1 ? next >= rule.low && next <= rule.high : next >= 0x80 && next <= 0xBF;
            if (!fits) break;
            point = (point << 6) | (next & 0x3Fu);
            ++taken;
        }
        i += static_cast<std::size_t>(taken);
        if (taken < rule.length) {
            *out++ = kReplacement;
            continue;
        }
        out = PutUnits(out, point);
    }
    units.resize(static_cast<std::size_t>(out - units.data()));
    return units;
}

std::size_t WriteTextFromUtf16(std::u16string_view units, char* out) {
    char* const start = out;
    const std::size_t size = units.size();
    for (std::size_t i = 0; i < size; ++i) {
        const std::size_t ascii = AsciiUnitsFrom(units, i);
        for (std::size_t k = 0; k < ascii; ++k) out[k] = static_cast<char>(units[i + k]);
        out += ascii;
        i += ascii;
        if (i >= size) break;
        const std::uint32_t unit = units[i];
        if (IsHighSurrogate(unit) && i + 1 < size && IsLowSurrogate(units[i + 1])) {
            out = PutCodePoint(out, 0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00u));
            ++i;
        } else {
            out = PutCodePoint(out, unit);  // a lone surrogate takes its three-byte form
        }
    }
    return static_cast<std::size_t>(out - start);
}

std::string TextFromUtf16(std::u16string_view units) {
    std::string text(TextLengthOfUtf16(units), '\0');
    WriteTextFromUtf16(units, text.data());
    return text;
}

std::size_t TextLengthOfUtf16(std::u16string_view units) {
    std::size_t length = 0;
    const std::size_t size = units.size();
    for (std::size_t i = 0; i < size; ++i) {
        const std::size_t ascii = AsciiUnitsFrom(units, i);
        length += ascii;
        i += ascii;
        if (i >= size) break;
        const std::uint32_t unit = units[i];
        if (unit < 0x800) {
            length += 2;
        } else if (IsHighSurrogate(unit) && i + 1 < size && IsLowSurrogate(units[i + 1])) {
            length += 4;
            ++i;
        } else {
            length += 3;
        }
    }
    return length;
}

}  // namespace pendrix
