#include "common/json_text.h"

#include "common/utf16_text.h"

namespace pendrix {
namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

void AppendUnitEscape(std::string& out, char16_t unit) {
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += kHexDigits[(unit >> shift) & 0xF];
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view text) {
    out += '"';
    std::size_t i = 0;
    while (i < text.size()) {
        // Printable ASCII other than the quote and the backslash goes as it is.
        std::size_t plain = i;
        while (plain < text.size() && text[plain] >= 0x20 && text[plain] < 0x7F && text[plain] != '"' &&
               text[plain] != '\\')
            ++plain;
        out.append(text.substr(i, plain - i));
        i = plain;
        if (i == text.size()) break;

        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0x80) {
            // A run of non-ASCII text: its UTF-16 units, each escaped.
            std::size_t end = i;
            while (end < text.size() && static_cast<unsigned char>(text[end]) >= 0x80) ++end;
            for (const char16_t unit : Utf16FromText(text.substr(i, end - i))) AppendUnitEscape(out, unit);
            i = end;
            continue;
        }
        switch (byte) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            AppendUnitEscape(out, byte);  // the other control characters
        }
        ++i;
    }
    out += '"';
}

}  // namespace pendrix
