#include "tests/native/fake_registry.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>
#include <string_view>

#include "common/utf16_text.h"
#include "registry/registry_constants.h"

namespace pendrix::testing {
namespace {

constexpr std::int32_t kErrorNotEnoughMemory = 8;

// The specific rights of a key handle (winnt.h); a handle has those it was
// opened with.
constexpr std::uint32_t kKeyQueryValue = 0x0001;
constexpr std::uint32_t kKeySetValue = 0x0002;
constexpr std::uint32_t kKeyEnumerateSubKeys = 0x0008;

std::u16string_view Units(const std::vector<std::uint8_t>& data) {
    return std::u16string_view(reinterpret_cast<const char16_t*>(data.data()), data.size() / sizeof(char16_t));
}

std::vector<std::uint8_t> StoredUtf16(std::string_view text) {
    const std::u16string units = Utf16FromText(text);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(units.data());
    return std::vector<std::uint8_t>(bytes, bytes + units.size() * sizeof(char16_t));
}

// The data as the seam hands it over: string data converted to the
// program's text (its whole units; a last odd byte is none), other data as
// stored. ERROR_MORE_DATA with the size needed when it does not fit in
// size bytes. As the seam, a room of three bytes a unit is converted into
// at once; otherwise the exact length is told.
std::int32_t Deliver(const FakeRegistry::Value& value, std::uint8_t* data, std::uint32_t& size) {
    const std::uint32_t room = size;
    if (!IsStringType(value.type)) {
        size = static_cast<std::uint32_t>(value.data.size());
        if (data == nullptr) return kErrorSuccess;
        if (value.data.size() > room) return kErrorMoreData;
        if (!value.data.empty()) std::memcpy(data, value.data.data(), value.data.size());
        return kErrorSuccess;
    }
    const std::string text = value.Text();
    if (text.size() > UINT32_MAX) return kErrorNotEnoughMemory;
    size = static_cast<std::uint32_t>(text.size());
    if (data == nullptr) return kErrorSuccess;
    if (text.size() > room) return kErrorMoreData;
    if (!text.empty()) std::memcpy(data, text.data(), text.size());
    return kErrorSuccess;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

const char* RootName(RegHandle root) {
    switch (static_cast<std::int32_t>(root)) {
    case kHkeyClassesRoot: return "hkcr";
    case kHkeyCurrentUser: return "hkcu";
    case kHkeyLocalMachine: return "hklm";
    case kHkeyUsers: return "hku";
    default: return nullptr;
    }
}

bool IsRootPath(const std::string& path) { return path.find('\\') == std::string::npos; }

}  // namespace

std::string FakeRegistry::Value::Text() const { return TextFromUtf16(Units(data)); }

void FakeRegistry::AddKey(const std::string& path) {
    const std::string lower = Lower(path);
    for (std::size_t at = lower.find('\\'); ; at = lower.find('\\', at + 1)) {
        const std::string prefix = at == std::string::npos ? lower : lower.substr(0, at);
        if (!IsRootPath(prefix) && keys_.find(prefix) == keys_.end()) {
            const std::string original = at == std::string::npos ? path : path.substr(0, at);
            keys_[prefix].name = original.substr(original.rfind('\\') + 1);
        }
        if (at == std::string::npos) break;
    }
}

void FakeRegistry::PutValue(const std::string& keyPath, const std::string& name, std::uint32_t type,
                            std::vector<std::uint8_t> data) {
    AddKey(keyPath);
    if (Value* existing = FindValueMutable(keyPath, name)) {
        existing->type = type;
        existing->data = std::move(data);
        return;
    }
    keys_[Lower(keyPath)].values.push_back(Value{name, type, std::move(data)});
}

void FakeRegistry::PutText(const std::string& keyPath, const std::string& name, std::uint32_t type,
                           const std::string& text) {
    PutValue(keyPath, name, type,
             IsStringType(type) ? StoredUtf16(text) : std::vector<std::uint8_t>(text.begin(), text.end()));
}

void FakeRegistry::PutTextWithHalfUnit(const std::string& keyPath, const std::string& name, std::uint32_t type,
                                       const std::string& text) {
    PutText(keyPath, name, type, text);
    FindValueMutable(keyPath, name)->data.push_back(0);
}

void FakeRegistry::SetClassName(const std::string& path, const std::string& className) {
    AddKey(path);
    keys_[Lower(path)].className = className;
}

bool FakeRegistry::HasKey(const std::string& path) const {
    const std::string lower = Lower(path);
    return IsRootPath(lower) || keys_.count(lower) != 0;
}

const FakeRegistry::Value* FakeRegistry::FindValue(const std::string& keyPath, const std::string& name) const {
    const auto key = keys_.find(Lower(keyPath));
    if (key == keys_.end()) return nullptr;
    for (const Value& value : key->second.values)
        if (Lower(value.name) == Lower(name)) return &value;
    return nullptr;
}

FakeRegistry::Value* FakeRegistry::FindValueMutable(const std::string& keyPath, const std::string& name) {
    return const_cast<Value*>(FindValue(keyPath, name));
}

std::string FakeRegistry::Resolve(RegHandle root, const std::string& path, bool& ok) const {
    std::string base;
    if (const char* rootName = RootName(root)) {
        base = rootName;
    } else if (const auto open = handles_.find(root); open != handles_.end()) {
        base = open->second.path;
    } else {
        ok = false;
        return std::string();
    }
    ok = true;
    return path.empty() ? base : base + "\\" + Lower(path);
}

RegHandle FakeRegistry::NewHandle(const std::string& path, std::uint32_t access) {
    const RegHandle handle = nextHandle_;
    nextHandle_ += 4;
    handles_[handle] = OpenedKey{path, access};
    return handle;
}

std::optional<std::string> FakeRegistry::Granted(RegHandle handle, std::uint32_t needed,
                                                std::int32_t& status) const {
    status = kErrorSuccess;
    if (const char* rootName = RootName(handle)) return std::string(rootName);  // every right
    const auto open = handles_.find(handle);
    if (open == handles_.end()) {
        status = kErrorInvalidHandle;
        return std::nullopt;
    }
    if ((open->second.access & needed) != needed) {
        status = kErrorAccessDenied;
        return std::nullopt;
    }
    return open->second.path;
}

std::int32_t FakeRegistry::OpenKey(RegHandle root, const std::string& path, std::uint32_t access,
                                   RegHandle& key) {
    key = 0;
    bool ok = false;
    const std::string full = Resolve(root, path, ok);
    if (!ok) return kErrorInvalidHandle;
    if (deniedPaths.count(full) != 0) return kErrorAccessDenied;
    if (!HasKey(full)) return kErrorFileNotFound;
    // A key whose values may not be set does not open for setting them.
    if (refuseWrites && (access & kKeySetValue) != 0) return kErrorAccessDenied;
    key = NewHandle(full, access);
    return kErrorSuccess;
}

std::int32_t FakeRegistry::CreateKey(RegHandle root, const std::string& path, std::uint32_t access,
                                     const SecurityAttributes&, RegHandle& key) {
    key = 0;
    bool ok = false;
    const std::string full = Resolve(root, path, ok);
    if (!ok) return kErrorInvalidHandle;
    if (deniedPaths.count(full) != 0) return kErrorAccessDenied;
    AddKey(full);
    key = NewHandle(full, access);
    return kErrorSuccess;
}

std::int32_t FakeRegistry::CloseKey(RegHandle key) {
    if (RootName(key) != nullptr) return kErrorSuccess;
    return handles_.erase(key) != 0 ? kErrorSuccess : kErrorInvalidHandle;
}

std::int32_t FakeRegistry::ConnectRegistry(const std::string& computer, RegHandle root, RegHandle& key) {
    key = 0;
    if (reachableComputers.count(computer) == 0) return kErrorBadNetPath;
    const char* rootName = RootName(root);
    if (rootName == nullptr) return kErrorInvalidHandle;
    key = NewHandle(rootName, kKeyAllAccess);
    return kErrorSuccess;
}

void FakeRegistry::GrowAfterMoreData(Value& value) {
    if (growthsLeft <= 0) return;
    --growthsLeft;
    // "g" in front: bytes, or units of string data.
    const std::size_t bytes = growsFourfold ? std::max<std::size_t>(100, value.data.size() * 3) : 100;
    std::vector<std::uint8_t> growth(bytes, 'g');
    if (IsStringType(value.type))
        for (std::size_t at = 1; at < growth.size(); at += 2) growth[at] = 0;
    value.data.insert(value.data.begin(), growth.begin(), growth.end());
}

std::int32_t FakeRegistry::QueryValue(RegHandle key, const std::string& name, std::uint32_t& type,
                                      std::uint8_t* data, std::uint32_t& size) {
    if (beforeQuery) beforeQuery();
    std::int32_t status = kErrorSuccess;
    const std::optional<std::string> path = Granted(key, kKeyQueryValue, status);
    if (!path) return status;
    Value* value = FindValueMutable(*path, name);
    if (value == nullptr) return kErrorFileNotFound;
    type = value->type;
    // As the seam: the stored size is asked first, and string data whose
    // units alone exceed the room, or no room at all, is told an upper
    // bound of three bytes a unit.
    const bool text = IsStringType(value->type);
    const std::size_t units = Units(value->data).size();
    if (data == nullptr || (text && units > size)) {
        const std::uint64_t upperBound = text ? std::uint64_t{units} * kMaxTextBytesPerUnit : value->data.size();
        size = static_cast<std::uint32_t>(std::min<std::uint64_t>(upperBound, UINT32_MAX));
        if (data == nullptr) return kErrorSuccess;
        GrowAfterMoreData(*value);
        return kErrorMoreData;
    }
    status = Deliver(*value, data, size);
    if (status == kErrorMoreData) GrowAfterMoreData(*value);
    return status;
}

std::int32_t FakeRegistry::SetValue(RegHandle key, const std::string& name, std::uint32_t type,
                                    const std::uint8_t* data, std::uint32_t size) {
    ++setCalls;
    std::int32_t status = kErrorSuccess;
    const std::optional<std::string> path = Granted(key, kKeySetValue, status);
    if (!path) return status;
    if (refuseWrites) return kErrorAccessDenied;
    const std::string_view bytes(reinterpret_cast<const char*>(data), data != nullptr ? size : 0);
    std::vector<std::uint8_t> stored =
        IsStringType(type) ? StoredUtf16(bytes) : std::vector<std::uint8_t>(bytes.begin(), bytes.end());
    if (stored.size() > largestValue) return kErrorNoSystemResources;
    PutValue(*path, name, type, std::move(stored));
    return kErrorSuccess;
}

std::int32_t FakeRegistry::QueryStoredSize(RegHandle key, const std::string& name, std::uint32_t& type,
                                           std::uint32_t& storedSize) {
    if (beforeSizeQuery) beforeSizeQuery();
    std::int32_t status = kErrorSuccess;
    const std::optional<std::string> path = Granted(key, kKeyQueryValue, status);
    if (!path) return status;
    const Value* value = FindValue(*path, name);
    if (value == nullptr) return kErrorFileNotFound;
    type = value->type;
    storedSize = static_cast<std::uint32_t>(value->data.size());  // as stored: UTF-16 for string types
    return kErrorSuccess;
}

std::int32_t FakeRegistry::DeleteKey(RegHandle root, const std::string& path) {
    bool ok = false;
    const std::string full = Resolve(root, path, ok);
    if (!ok) return kErrorInvalidHandle;
    const auto found = keys_.find(full);
    if (found == keys_.end()) return kErrorFileNotFound;
    const std::string childPrefix = full + "\\";
    for (const auto& entry : keys_)
        if (entry.first.compare(0, childPrefix.size(), childPrefix) == 0) return kErrorAccessDenied;
    keys_.erase(found);
    return kErrorSuccess;
}

std::int32_t FakeRegistry::DeleteValue(RegHandle key, const std::string& name) {
    std::int32_t status = kErrorSuccess;
    const std::optional<std::string> path = Granted(key, kKeySetValue, status);
    if (!path) return status;
    if (refuseWrites) return kErrorAccessDenied;
    auto found = keys_.find(*path);
    if (found == keys_.end()) return kErrorFileNotFound;
    auto& values = found->second.values;
    const auto value = std::find_if(values.begin(), values.end(),
                                    [&](const Value& v) { return Lower(v.name) == Lower(name); });
    if (value == values.end()) return kErrorFileNotFound;
    values.erase(value);
    return kErrorSuccess;
}

std::int32_t FakeRegistry::EnumKey(RegHandle key, std::uint32_t index, char* name, std::uint32_t& nameRoom,
                                   char* className, std::uint32_t& classRoom) {
    ++enumCalls;
    std::int32_t status = kErrorSuccess;
    const std::optional<std::string> base = Granted(key, kKeyEnumerateSubKeys, status);
    if (!base) return status;
    if (const auto failure = listingFailures.find(index); failure != listingFailures.end()) return failure->second;
    const std::string childPrefix = *base + "\\";
    std::uint32_t position = 0;
    for (const auto& entry : keys_) {
        const std::string& path = entry.first;
        if (path.compare(0, childPrefix.size(), childPrefix) != 0) continue;
        if (path.find('\\', childPrefix.size()) != std::string::npos) continue;
        if (position++ != index) continue;
        // Like RegEnumKeyExA: the class counts only when it is asked for,
        // and a name or class that does not fit gives no size back.
        const Key& child = entry.second;
        const bool classFits = className == nullptr || child.className.size() < classRoom;
        if (child.name.size() >= nameRoom || !classFits) return kErrorMoreData;
        std::memcpy(name, child.name.c_str(), child.name.size() + 1);
        nameRoom = static_cast<std::uint32_t>(child.name.size());
        if (className != nullptr) {
            std::memcpy(className, child.className.c_str(), child.className.size() + 1);
            classRoom = static_cast<std::uint32_t>(child.className.size());
        }
        return kErrorSuccess;
    }
    return kErrorNoMoreItems;
}

std::int32_t FakeRegistry::EnumValue(RegHandle key, std::uint32_t index, char* name, std::uint32_t& nameRoom,
                                     std::uint32_t& type, std::uint8_t* data, std::uint32_t& size) {
    ++enumCalls;
    std::int32_t status = kErrorSuccess;
    const std::optional<std::string> base = Granted(key, kKeyQueryValue, status);
    if (!base) return status;
    if (const auto failure = listingFailures.find(index); failure != listingFailures.end()) return failure->second;
    const auto found = keys_.find(*base);
    if (found == keys_.end() || index >= found->second.values.size()) return kErrorNoMoreItems;
    Value& value = found->second.values[index];
    // As the seam: the data (its exact size in bytes of text for string
    // data) is delivered first, reported whenever it does not fit; the name
    // is tested only once the data fitted.
    type = value.type;
    status = Deliver(value, data, size);
    if (status == kErrorMoreData) GrowAfterMoreData(value);
    if (status != kErrorSuccess) return status;
    if (value.name.size() >= nameRoom) return kErrorMoreData;
    std::memcpy(name, value.name.c_str(), value.name.size() + 1);
    nameRoom = static_cast<std::uint32_t>(value.name.size());
    return kErrorSuccess;
}

std::uint32_t FakeRegistry::ExpandVariables(const std::string& source, char* destination,
                                            std::uint32_t room) {
    if (expansionFails) return 0;
    std::string result;
    for (std::size_t i = 0; i < source.size();) {
        const std::size_t close = source[i] == '%' ? source.find('%', i + 1) : std::string::npos;
        if (close != std::string::npos) {
            const auto variable = environment.find(Lower(source.substr(i + 1, close - i - 1)));
            if (variable != environment.end()) {
                result += variable->second;
                i = close + 1;
                continue;
            }
        }
        result += source[i++];
    }
    // Like ExpandEnvironmentStringsA: it expands into UTF-16 with room for
    // `room` characters and counts characters; the text is then converted
    // into the room's bytes, and what does not fit is cut off, NUL and all.
    const auto units = static_cast<std::uint32_t>(Utf16FromText(result).size() + 1);
    if (units > room) return units;
    const std::string whole = result + '\0';
    std::size_t fits = 0;
    for (std::size_t at = 0; at < whole.size();) {
        std::size_t next = at + 1;
        while (next < whole.size() && (static_cast<unsigned char>(whole[next]) & 0xC0) == 0x80) ++next;
        if (next > room) break;
        fits = next;
        at = next;
    }
    std::memcpy(destination, whole.data(), fits);
    return units;
}

}  // namespace pendrix::testing
