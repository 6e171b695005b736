#include "registry/registry_codec.h"

#include <algorithm>
#include <vector>

#include "common/text.h"
#include "common/utf16_text.h"
#include "registry/registry_constants.h"

namespace pendrix {
namespace {

// The first destination for an expansion, in bytes: most expansions fit.
constexpr std::uint64_t kFirstExpansionRoom = 1024;

// The bytes of value as a text; a held text is copied once, not converted
// first.
ByteList TextBytes(const RegistryData& value) {
    if (const std::string* held = value.AsText()) return ByteList(held->begin(), held->end());
    const std::string text = value.ToText();
    return ByteList(text.begin(), text.end());
}

// The text of data less at most `most` NULs at its end, only those there.
std::string TextWithoutClosingNuls(ByteView data, int most) {
    std::size_t length = data.size();
    for (int removed = 0; removed < most && length > 0 && data[length - 1] == 0; ++removed) --length;
    return std::string(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(length));
}

}  // namespace

std::string StringDataText(ByteView data) { return TextWithoutClosingNuls(data, 1); }

std::string MultiStringListText(ByteView data) { return TextWithoutClosingNuls(data, 2); }

RegistryData DecodeRegistryData(std::uint32_t type, ByteView data,
                                const RegistryData& defaultValue, const ExpandFunction& expand) {
    switch (type) {
    case kRegSz:
        if (data.empty()) return defaultValue;
        return RegistryData(StringDataText(data));
    case kRegExpandSz:
        if (data.empty()) return defaultValue;
        return RegistryData(expand(StringDataText(data)));
    case kRegBinary:
        if (data.empty()) return defaultValue;
        return RegistryData(ByteList(data.begin(), data.end()));
    case kRegDword: {
        std::uint32_t number = 0;
        for (std::size_t i = 0; i < 4 && i < data.size(); ++i) number |= std::uint32_t{data[i]} << (8 * i);
        return RegistryData(static_cast<std::int32_t>(number));
    }
    case kRegMultiSz: {
        std::string list = MultiStringListText(data);
        // An empty list, or one whose first string is empty, holds nothing
        // that the start-up processing would carry out.
        if (list.empty() || list.front() == '\0') return defaultValue;
        return RegistryData(std::move(list));
    }
    default:
        return defaultValue;
    }
}

std::optional<EncodedValue> EncodeRegistryData(std::int32_t dtype, const RegistryData& value) {
    EncodedValue encoded;
    switch (dtype) {
    case static_cast<std::int32_t>(kRegSz):
    case static_cast<std::int32_t>(kRegExpandSz):
        // Windows expects string data to carry its terminating NUL.
        encoded.data = TextBytes(value);
        encoded.data.push_back(0);
        break;
    case static_cast<std::int32_t>(kRegMultiSz):
        // The caller's text already holds the list's NULs.
        encoded.data = TextBytes(value);
        break;
    case static_cast<std::int32_t>(kRegBinary):
        encoded.data = value.ToBytes();
        break;
    case static_cast<std::int32_t>(kRegDword): {
        const auto number = static_cast<std::uint32_t>(value.ToNumber());
        for (int i = 0; i < 4; ++i) encoded.data.push_back(static_cast<std::uint8_t>(number >> (8 * i)));
        break;
    }
    default:
        return std::nullopt;
    }
    encoded.type = static_cast<std::uint32_t>(dtype);
    return encoded;
}

std::string ExpandEnvironmentText(RegistryApi& api, const std::string& text) {
    // ExpandEnvironmentStrings counts characters (UTF-16 units), while the
    // destination holds bytes of 8-bit text, up to three for one unit: the
    // result is whole only when the room has three bytes for every character
    // the call reports. A variable may change between two calls, so ask a
    // bounded number of times.
    std::uint64_t room = std::max<std::uint64_t>(kFirstExpansionRoom, (text.size() + 1) * kMaxTextBytesPerUnit);
    for (int attempt = 0; attempt < 4 && room <= UINT32_MAX; ++attempt) {
        std::vector<char> destination(static_cast<std::size_t>(room), '\0');
        const std::uint32_t needed = api.ExpandVariables(text, destination.data(), static_cast<std::uint32_t>(room));
        if (needed == 0) return text;
        const std::uint64_t sureRoom = std::uint64_t{needed} * kMaxTextBytesPerUnit;
        if (sureRoom <= room) return CutAtNul(std::string_view(destination.data(), destination.size()));
        room = sureRoom;
    }
    return text;
}

}  // namespace pendrix
