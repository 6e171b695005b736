// RegistryData: the value exchanged with RegistryRoutines. It holds exactly
// one of nothing, a text (NULs allowed anywhere), a signed 32-bit number or a
// list of bytes, and converts between them on request.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace pendrix {

using ByteList = std::vector<std::uint8_t>;
// Bytes read from the registry, wherever they are held.
using ByteView = std::span<const std::uint8_t>;

class RegistryData {
public:
    RegistryData() = default;
    RegistryData(std::string text) : value_(std::move(text)) {}
    RegistryData(const char* text) : value_(std::string(text)) {}
    RegistryData(std::int32_t number) : value_(number) {}
    RegistryData(ByteList bytes) : value_(std::move(bytes)) {}

    bool IsNothing() const noexcept { return std::holds_alternative<std::monostate>(value_); }
    bool IsText() const noexcept { return std::holds_alternative<std::string>(value_); }
    bool IsNumber() const noexcept { return std::holds_alternative<std::int32_t>(value_); }
    bool IsBytes() const noexcept { return std::holds_alternative<ByteList>(value_); }

    // Conversions. A number becomes its decimal digits, nothing the empty
    // text; a decimal text is parsed with ties rounded to even, nothing is 0;
    // a text's bytes and a byte list's characters map one to one.
    // Failures throw PendrixError (type mismatch or overflow).
    std::string ToText() const&;
    std::string ToText() &&;  // moves a text out instead of copying it
    std::int32_t ToNumber() const;
    ByteList ToBytes() const;

    // The text held, or null when this holds no text.
    const std::string* AsText() const noexcept { return std::get_if<std::string>(&value_); }

    friend bool operator==(const RegistryData&, const RegistryData&) = default;

private:
    std::variant<std::monostate, std::string, std::int32_t, ByteList> value_;
};

// Parses a decimal number (optional sign, fraction and exponent, surrounding
// blanks) exactly, rounding a fraction to the nearest integer and a tie to the
// even one. Throws type mismatch for a text that holds no number and overflow
// for a result outside the signed 32-bit range.
std::int32_t ParseDecimalNumber(std::string_view text);

}  // namespace pendrix
