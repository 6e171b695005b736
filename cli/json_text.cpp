#include "cli/json_text.h"

#include "common/utf16_text.h"

namespace pendrix::cli {
namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

void AppendUnitEscape(std::string& out, char16_t unit) {
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += kHexDigits[(unit >> shift) & 0xF];
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view text) {
    out += '"';
    for (const char16_t unit : Utf16FromText(text)) {
        switch (unit) {
        case u'"': out += "\\\""; break;
        case u'\\': out += "\\\\"; break;
        case u'\b': out += "\\b"; break;
        case u'\f': out += "\\f"; break;
        case u'\n': out += "\\n"; break;
        case u'\r': out += "\\r"; break;
        case u'\t': out += "\\t"; break;
        default:
            if (unit >= 0x20 && unit < 0x7F)
                out += static_cast<char>(unit);
            else
                AppendUnitEscape(out, unit);
        }
    }
    out += '"';
}

}  // namespace pendrix::cli
