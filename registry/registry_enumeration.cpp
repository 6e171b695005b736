// RegistryRoutines: listing the subkeys or the values of a key.
//
// Names are fetched into a room of 260 characters and value data into 4096
// bytes first, so that one call per entry suffices for nearly every entry.
// An entry that does not fit is fetched again at the same index, never
// skipped and never taken from a half-filled buffer:
// - a subkey with a class name (only the class's terminator fits in the
//   first call) or a longer name is asked for again without its class,
//   which is not used, and with room for the longest name;
// - a value whose data is larger is asked for again with exactly the size
//   the platform reported, as often as the value keeps growing, within a
//   bound; a value whose name is longer, with room for the longest name.
// Any other answer than success ends the listing with the entries gathered
// so far, so a failing key cannot keep the loop going for ever.
#include "registry/RegistryRoutines.h"

#include <algorithm>
#include <vector>

#include "registry/listed_value_text.h"
#include "registry/registry_constants.h"
#include "registry/registry_key.h"

namespace pendrix {
namespace {

constexpr std::uint32_t kNameRoom = 260;
constexpr std::uint32_t kClassRoom = 1;
constexpr std::uint32_t kFirstDataBytes = 4096;
constexpr std::uint32_t kLongestNameRoom = kMaxValueNameChars * kMaxUtf8BytesPerUnit + 1;
constexpr int kMaxCallsPerValue = 6;

struct ListedName {
    std::int32_t status = 0;
    std::string name;
};

struct ListedValue {
    std::int32_t status = 0;
    std::string name;
    std::uint32_t type = 0;
    ByteList data;
};

// The text of a name buffer, taking no more than the room the call had.
std::string NameText(const std::vector<char>& buffer, std::uint32_t length) {
    return std::string(buffer.data(), std::min<std::size_t>(length, buffer.size() - 1));
}

ListedName FetchSubkeyName(RegistryApi& api, RegHandle key, std::uint32_t index) {
    ListedName entry;
    std::vector<char> name(kNameRoom, '\0');
    std::uint32_t nameLength = kNameRoom;
    char className[kClassRoom] = {};
    std::uint32_t classLength = kClassRoom;
    entry.status = api.EnumKey(key, index, name.data(), nameLength, className, classLength);
    if (entry.status == kErrorMoreData) {
        name.assign(kLongestNameRoom, '\0');
        nameLength = kLongestNameRoom;
        classLength = 0;
        entry.status = api.EnumKey(key, index, name.data(), nameLength, nullptr, classLength);
    }
    if (entry.status == kErrorSuccess) entry.name = NameText(name, nameLength);
    return entry;
}

ListedValue FetchValue(RegistryApi& api, RegHandle key, std::uint32_t index) {
    ListedValue entry;
    std::uint32_t nameRoom = kNameRoom;
    std::uint32_t dataRoom = kFirstDataBytes;
    std::vector<char> name;
    for (int call = 0; call < kMaxCallsPerValue; ++call) {
        name.assign(nameRoom, '\0');
        entry.data.assign(dataRoom, 0);
        std::uint32_t nameLength = nameRoom;
        std::uint32_t size = dataRoom;
        entry.status = api.EnumValue(key, index, name.data(), nameLength, entry.type, entry.data.data(), size);
        if (entry.status == kErrorSuccess) {
            entry.name = NameText(name, nameLength);
            entry.data.resize(std::min(size, dataRoom));
            return entry;
        }
        if (entry.status != kErrorMoreData) break;
        // The platform reports the data's size; when the data fitted, it
        // was the name that did not.
        if (size > dataRoom) {
            dataRoom = size;
        } else if (nameRoom < kLongestNameRoom) {
            nameRoom = kLongestNameRoom;
        } else {
            break;
        }
    }
    entry.data.clear();
    return entry;
}

// The key to list: KeyName opened below hkey (owned by opened), or hkey
// itself when KeyName is empty. Nothing when KeyName cannot be opened.
std::optional<RegHandle> KeyToList(RegistryKey& opened, RegHandle hkey, const std::string& KeyName) {
    if (KeyName.empty()) return hkey;
    if (opened.Open(hkey, KeyName, kKeyRead) != kErrorSuccess) return std::nullopt;
    return opened.Get();
}

}  // namespace

RegistryKeyList RegistryRoutines::EnumRegistryKeys(RegHandle hkey, const std::string& KeyName) {
    RegistryKeyList list;
    RegistryKey opened(*api_);
    const std::optional<RegHandle> key = KeyToList(opened, hkey, KeyName);
    if (!key) return list;
    for (std::uint32_t index = 0;; ++index) {
        ListedName entry = FetchSubkeyName(*api_, *key, index);
        if (entry.status != kErrorSuccess) break;
        const std::string name = entry.name;
        list.Add(std::move(entry.name), name);
    }
    return list;
}

RegistryValueList RegistryRoutines::EnumRegistryValues(RegHandle hkey, const std::string& KeyName) {
    RegistryValueList list;
    RegistryKey opened(*api_);
    const std::optional<RegHandle> key = KeyToList(opened, hkey, KeyName);
    if (!key) return list;
    const ExpandFunction expand = Expander();
    for (std::uint32_t index = 0;; ++index) {
        ListedValue entry = FetchValue(*api_, *key, index);
        if (entry.status != kErrorSuccess) break;
        const std::string name = entry.name;
        list.Add(RegistryValueEntry{std::move(entry.name), ListedValueData(entry.type, entry.data, expand)}, name);
    }
    return list;
}

}  // namespace pendrix
