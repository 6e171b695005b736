#include "common/utf16_text.h"

#include <cstdint>

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

void AppendUnits(std::u16string& units, std::uint32_t point) {
    if (point < 0x10000) {
        units.push_back(static_cast<char16_t>(point));
    } else {
        point -= 0x10000;
        units.push_back(static_cast<char16_t>(0xD800 | (point >> 10)));
        units.push_back(static_cast<char16_t>(0xDC00 | (point & 0x3FF)));
    }
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
    std::u16string units;
    units.reserve(text.size());
    const std::size_t size = text.size();
    std::size_t i = 0;
    while (i < size) {
        const auto lead = static_cast<std::uint8_t>(text[i]);
        if (lead < 0x80) {
            units.push_back(static_cast<char16_t>(lead));
            ++i;
            continue;
        }
        const LeadRule rule = RuleFor(lead);
        if (rule.length == 0) {
            units.push_back(kReplacement);
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
            units.push_back(kReplacement);
            continue;
        }
        AppendUnits(units, point);
    }
    return units;
}

std::size_t WriteTextFromUtf16(std::u16string_view units, char* out) {
    char* const start = out;
    const std::size_t size = units.size();
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint32_t unit = units[i];
        if (unit < 0x80) {
            *out++ = static_cast<char>(unit);
        } else if (IsHighSurrogate(unit) && i + 1 < size && IsLowSurrogate(units[i + 1])) {
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
        const std::uint32_t unit = units[i];
        if (unit < 0x80) {
            length += 1;
        } else if (unit < 0x800) {
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
