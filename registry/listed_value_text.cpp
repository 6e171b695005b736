#include "registry/listed_value_text.h"

#include <algorithm>

#include "common/text.h"
#include "registry/registry_constants.h"

namespace pendrix {

std::string HexByteText(ByteView data) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(data.size() * 3);
    for (const std::uint8_t byte : data) {
        if (!text.empty()) text += ' ';
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

RegistryData ListedValueData(std::uint32_t type, ByteView data, const ExpandFunction& expand) {
    switch (type) {
    case kRegDword:
        return DecodeRegistryData(type, data, RegistryData(), expand);
    case kRegSz:
        return RegistryData(StringDataText(data));
    case kRegExpandSz:
        if (data.empty()) return RegistryData(std::string());
        return RegistryData(CutAtNul(expand(StringDataText(data))));
    case kRegBinary:
        return RegistryData(HexByteText(data));
    case kRegMultiSz: {
        std::string list = MultiStringListText(data);
        std::replace(list.begin(), list.end(), '\0', ',');
        return RegistryData(std::move(list));
    }
    default:
        return RegistryData();
    }
}

}  // namespace pendrix
