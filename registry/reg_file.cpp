#include "registry/reg_file.h"

#include "common/utf16_text.h"

namespace pendrix {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00\r\n";
constexpr std::string_view kNewLine = "\r\n";
// The registry editor breaks a hex line once it has reached this many
// characters, ending it with a backslash and going on indented by two.
constexpr std::size_t kHexLineBreak = 77;
constexpr std::string_view kHexContinuation = "\\\r\n  ";
constexpr std::size_t kContinuationIndent = 2;

// "name"= with the name's backslashes and quotes escaped; @= for the default.
std::string ValueNameText(std::string_view name) {
    if (name.empty()) return "@=";
    std::string text = "\"";
    for (const char c : name) {
        if (c == '\\' || c == '"') text += '\\';
        text += c;
    }
    return text + "\"=";
}

std::string HexTypeText(std::uint32_t type) {
    static const char kHex[] = "0123456789abcdef";
    std::string digits;
    do {
        digits.insert(digits.begin(), kHex[type % 16]);
        type /= 16;
    } while (type != 0);
    return "hex(" + digits + "):";
}

// One value's lines, counted as the registry editor counts them: the name
// and type, then three characters for each byte but the last.
std::string ValueText(const RegFileValue& value) {
    static const char kHex[] = "0123456789abcdef";
    std::string text = ValueNameText(value.name) + HexTypeText(value.type);
    std::size_t lineLength = text.size();
    for (std::size_t i = 0; i < value.data.size(); ++i) {
        text += kHex[value.data[i] >> 4];
        text += kHex[value.data[i] & 0xF];
        if (i + 1 == value.data.size()) break;
        text += ',';
        lineLength += 3;
        if (lineLength >= kHexLineBreak) {
            text += kHexContinuation;
            lineLength = kContinuationIndent;
        }
    }
    return text.append(kNewLine);
}

}  // namespace

std::string RegFileText(std::string_view keyPath, const std::vector<RegFileValue>& values) {
    std::string text(kHeader);
    text.append(kNewLine).append("[").append(keyPath).append("]").append(kNewLine);
    for (const RegFileValue& value : values) text += ValueText(value);
    return text.append(kNewLine);
}

std::string RegFileBytes(std::string_view keyPath, const std::vector<RegFileValue>& values) {
    const std::u16string units = Utf16FromText(RegFileText(keyPath, values));
    std::string bytes = "\xFF\xFE";
    bytes.reserve(2 + units.size() * 2);
    for (const char16_t unit : units) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

std::vector<std::uint8_t> StoredBytesOfText(std::string_view text) {
    const std::u16string units = Utf16FromText(text);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(units.size() * 2);
    for (const char16_t unit : units) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return bytes;
}

}  // namespace pendrix
