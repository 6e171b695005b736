#include "cli/console_text.h"

#include "common/utf16_text.h"

namespace pendrix::cli {

std::string_view RedirectedText(std::string_view text, std::string& storage) {
    // A lone surrogate's form begins with the byte ED (as do the valid
    // characters U+D000 to U+D7FF): text without it is strict UTF-8 already.
    if (text.find('\xED') == std::string_view::npos) return text;
    std::u16string units = Utf16FromText(text);
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t unit = units[i];
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
        const bool pairsWithNext = high && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF;
        if (pairsWithNext) {
            ++i;
        } else if (high || low) {
            units[i] = u'\uFFFD';
        }
    }
    storage = TextFromUtf16(units);
    return storage;
}

std::string OneLine(std::string_view text) {
    std::string line;
    for (const char c : text) line += (c == '\r' || c == '\n') ? ' ' : c;
    while (!line.empty() && (line.back() == ' ' || line.back() == '.')) line.pop_back();
    return line;
}

}  // namespace pendrix::cli
