#include "registry/registry_codec.h"

#include <vector>

#include "common/text.h"
#include "registry/registry_constants.h"

namespace pendrix {
namespace {

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
    // The platform reports the room it needs; a variable may change between
    // two calls, so ask a bounded number of times.
    std::uint32_t room = static_cast<std::uint32_t>(text.size()) + 1;
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::vector<char> destination(room, '\0');
        const std::uint32_t needed = api.ExpandVariables(text, destination.data(), room);
        if (needed == 0) return text;
        if (needed <= room) return CutAtNul(std::string_view(destination.data(), room));
        room = needed > room ? needed : room * 2;
    }
    return text;
}

}  // namespace pendrix
