#include "common/name_folding.h"

#include <array>
#include <cstdint>
#include <memory>

#include "common/utf16_text.h"

namespace pendrix {
namespace {

struct UpcaseRange {
    std::uint16_t first;
    std::uint16_t last;
    std::uint16_t step;
    std::int32_t delta;
};

constexpr UpcaseRange kUpcaseRanges[] = {
#include "common/upcase_table.inc"
};

using UpcaseTable = std::array<char16_t, 0x10000>;

// Every UTF-16 unit's upper case, as Windows compares names: one unit at a
// time, so surrogates and characters beyond the first plane stay.
const UpcaseTable& Upcase() {
    static const std::unique_ptr<UpcaseTable> table = [] {
        auto built = std::make_unique<UpcaseTable>();
        for (std::size_t unit = 0; unit < built->size(); ++unit) (*built)[unit] = static_cast<char16_t>(unit);
        for (const UpcaseRange& range : kUpcaseRanges)
            for (std::uint32_t unit = range.first; unit <= range.last; unit += range.step)
                (*built)[unit] = static_cast<char16_t>(static_cast<std::int32_t>(unit) + range.delta);
        return built;
    }();
    return *table;
}

}  // namespace

char16_t UpcaseUnit(char16_t unit) { return Upcase()[unit]; }

std::string FoldName(std::string_view key) {
    std::u16string units = Utf16FromText(key);
    std::string folded;
    // Text that is not the program's 8-bit form of UTF-16 (see
    // common/utf16_text.h) would lose bytes on the way through UTF-16; such
    // text folds only its ASCII letters and so never meets a valid name.
    if (TextFromUtf16(units) != key) {
        folded.assign(key);
        for (char& c : folded)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        return folded;
    }
    for (char16_t& unit : units) unit = UpcaseUnit(unit);
    return TextFromUtf16(units);
}

}  // namespace pendrix
