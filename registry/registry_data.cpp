#include "registry/registry_data.h"

#include <string>
#include <utility>

#include "common/pendrix_error.h"

namespace pendrix {
namespace {

[[noreturn]] void ThrowTypeMismatch() {
    throw PendrixError(kErrTypeMismatch, kProgramErrorSource, "Type mismatch");
}

[[noreturn]] void ThrowOverflow() {
    throw PendrixError(kErrOverflow, kProgramErrorSource, kOverflowDescription);
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::int32_t ParseDecimalNumber(std::string_view text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && IsBlank(text[i])) ++i;

    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }

    // The mantissa's digits without the point, and how many of them come
    // before the point.
    std::string digits;
    std::int64_t pointPosition = 0;
    bool sawDigit = false;
    while (i < n && IsDigit(text[i])) {
        digits += text[i++];
        ++pointPosition;
        sawDigit = true;
    }
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && IsDigit(text[i])) {
            digits += text[i++];
            sawDigit = true;
        }
    }
    if (!sawDigit) ThrowTypeMismatch();

    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < n && (text[i] == '+' || text[i] == '-')) {
            negativeExponent = text[i] == '-';
            ++i;
        }
        if (i >= n || !IsDigit(text[i])) ThrowTypeMismatch();
        std::int64_t exponent = 0;
        while (i < n && IsDigit(text[i])) {
            // Saturate: anything this large is out of range either way.
            if (exponent < 1000000) exponent = exponent * 10 + (text[i] - '0');
            ++i;
        }
        pointPosition += negativeExponent ? -exponent : exponent;
    }
    while (i < n && IsBlank(text[i])) ++i;
    if (i != n) ThrowTypeMismatch();

    // Drop leading zeros so that the integer part's length tells its size.
    std::size_t firstNonZero = digits.find_first_not_of('0');
    if (firstNonZero == std::string::npos) return 0;
    digits.erase(0, firstNonZero);
    pointPosition -= static_cast<std::int64_t>(firstNonZero);

    // 2147483648 has ten digits: anything longer cannot fit.
    if (pointPosition > 10) ThrowOverflow();

    std::uint64_t integerPart = 0;
    const std::size_t digitCount = digits.size();
    for (std::int64_t k = 0; k < pointPosition; ++k) {
        const std::size_t index = static_cast<std::size_t>(k);
        integerPart = integerPart * 10 + (index < digitCount ? static_cast<unsigned>(digits[index] - '0') : 0u);
    }

    // Round the fraction half to even.
    if (pointPosition >= 0 && static_cast<std::size_t>(pointPosition) < digitCount) {
        const std::size_t first = static_cast<std::size_t>(pointPosition);
        const char lead = digits[first];
        const bool moreAfterLead = digits.find_first_not_of('0', first + 1) != std::string::npos;
        if (lead > '5' || (lead == '5' && (moreAfterLead || integerPart % 2 == 1))) ++integerPart;
    }
    // A negative point position means a value below 0.1, which rounds to 0.

    const std::uint64_t limit = negative ? 2147483648ULL : 2147483647ULL;
    if (integerPart > limit) ThrowOverflow();
    const std::int64_t signedValue = negative ? -static_cast<std::int64_t>(integerPart)
                                              : static_cast<std::int64_t>(integerPart);
    return static_cast<std::int32_t>(signedValue);
}

std::string RegistryData::ToText() && {
    if (auto* text = std::get_if<std::string>(&value_)) return std::move(*text);
    return std::as_const(*this).ToText();
}

std::string RegistryData::ToText() const& {
    if (const auto* text = std::get_if<std::string>(&value_)) return *text;
    if (const auto* number = std::get_if<std::int32_t>(&value_)) return std::to_string(*number);
    if (const auto* bytes = std::get_if<ByteList>(&value_)) return std::string(bytes->begin(), bytes->end());
    return std::string();
}

std::int32_t RegistryData::ToNumber() const {
    if (const auto* number = std::get_if<std::int32_t>(&value_)) return *number;
    if (const auto* text = std::get_if<std::string>(&value_)) return ParseDecimalNumber(*text);
    if (IsNothing()) return 0;
    ThrowTypeMismatch();
}

ByteList RegistryData::ToBytes() const {
    if (const auto* bytes = std::get_if<ByteList>(&value_)) return *bytes;
    if (const auto* text = std::get_if<std::string>(&value_)) return ByteList(text->begin(), text->end());
    ThrowTypeMismatch();
}

}  // namespace pendrix
