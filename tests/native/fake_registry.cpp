#include "tests/native/fake_registry.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "common/utf16_text.h"
#include "registry/registry_constants.h"

namespace pendrix::testing {
namespace {


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
        existing->halfUnit = false;
        return;
    }
    keys_[Lower(keyPath)].values.push_back(Value{name, type, std::move(data)});
}

void FakeRegistry::PutText(const std::string& keyPath, const std::string& name, std::uint32_t type,
                           const std::string& bytes) {
    PutValue(keyPath, name, type, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

void FakeRegistry::PutTextWithHalfUnit(const std::string& keyPath, const std::string& name, std::uint32_t type,
                                       const std::string& text) {
    PutText(keyPath, name, type, text);
    FindValueMutable(keyPath, name)->halfUnit = true;
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
        base = open->second;
    } else {
        ok = false;
        return std::string();
    }
    ok = true;
    return path.empty() ? base : base + "\\" + Lower(path);
}

RegHandle FakeRegistry::NewHandle(const std::string& path) {
    const RegHandle handle = nextHandle_;
    nextHandle_ += 4;
    handles_[handle] = path;
    return handle;
}

std::int32_t FakeRegistry::OpenKey(RegHandle root, const std::string& path, std::uint32_t,
                                   RegHandle& key) {
    key = 0;
    bool ok = false;
    const std::string full = Resolve(root, path, ok);
    if (!ok) return kErrorInvalidHandle;
    if (deniedPaths.count(full) != 0) return kErrorAccessDenied;
    if (!HasKey(full)) return kErrorFileNotFound;
    key = NewHandle(full);
    return kErrorSuccess;
}

std::int32_t FakeRegistry::CreateKey(RegHandle root, const std::string& path, std::uint32_t,
                                     const SecurityAttributes&, RegHandle& key) {
    key = 0;
    bool ok = false;
    const std::string full = Resolve(root, path, ok);
    if (!ok) return kErrorInvalidHandle;
    if (deniedPaths.count(full) != 0) return kErrorAccessDenied;
    AddKey(full);
    key = NewHandle(full);
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
    key = NewHandle(rootName);
    return kErrorSuccess;
}

void FakeRegistry::GrowAfterMoreData(Value& value) {
    if (growthsLeft <= 0) return;
    --growthsLeft;
    value.data.insert(value.data.begin(), 100, static_cast<std::uint8_t>('g'));
}

std::int32_t FakeRegistry::QueryValue(RegHandle key, const std::string& name, std::uint32_t& type,
                                      std::uint8_t* data, std::uint32_t& size) {
    ++queryCalls;
    if (beforeQuery) beforeQuery();
    const auto open = handles_.find(key);
    if (open == handles_.end()) return kErrorInvalidHandle;
    Value* value = FindValueMutable(open->second, name);
    if (value == nullptr) return kErrorFileNotFound;
    const auto length = static_cast<std::uint32_t>(value->data.size());
    type = value->type;
    if (data == nullptr || size < length) {
        size = length;
        if (data == nullptr) return kErrorSuccess;
        GrowAfterMoreData(*value);
        return kErrorMoreData;
    }
    if (length != 0) std::memcpy(data, value->data.data(), length);
    size = length;
    return kErrorSuccess;
}

std::int32_t FakeRegistry::SetValue(RegHandle key, const std::string& name, std::uint32_t type,
                                    const std::uint8_t* data, std::uint32_t size) {
    ++setCalls;
    const auto open = handles_.find(key);
    if (open == handles_.end()) return kErrorInvalidHandle;
    if (refuseWrites) return kErrorAccessDenied;
    PutValue(open->second, name, type, std::vector<std::uint8_t>(data, data + size));
    return kErrorSuccess;
}

std::int32_t FakeRegistry::QueryStoredSize(RegHandle key, const std::string& name, std::uint32_t& type,
                                           std::uint32_t& storedSize) {
    const auto open = handles_.find(key);
    if (open == handles_.end()) return kErrorInvalidHandle;
    const Value* value = FindValue(open->second, name);
    if (value == nullptr) return kErrorFileNotFound;
    type = value->type;
    if (!IsStringType(value->type)) {
        storedSize = static_cast<std::uint32_t>(value->data.size());
        return kErrorSuccess;
    }
    // Windows holds string data as UTF-16.
    const std::string text(value->data.begin(), value->data.end());
    storedSize = static_cast<std::uint32_t>(Utf16FromText(text).size() * 2 + (value->halfUnit ? 1 : 0));
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
    const auto open = handles_.find(key);
    if (open == handles_.end()) return kErrorInvalidHandle;
    if (refuseWrites) return kErrorAccessDenied;
    auto found = keys_.find(open->second);
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
    bool ok = false;
    const std::string base = Resolve(key, std::string(), ok);
    if (!ok) return kErrorInvalidHandle;
    if (const auto failure = listingFailures.find(index); failure != listingFailures.end()) return failure->second;
    const std::string childPrefix = base + "\\";
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
    bool ok = false;
    const std::string base = Resolve(key, std::string(), ok);
    if (!ok) return kErrorInvalidHandle;
    if (const auto failure = listingFailures.find(index); failure != listingFailures.end()) return failure->second;
    const auto found = keys_.find(base);
    if (found == keys_.end() || index >= found->second.values.size()) return kErrorNoMoreItems;
    Value& value = found->second.values[index];
    // Like RegEnumValueA: the data's size is reported whenever something
    // does not fit; the name is tested only once the data fitted.
    const auto length = static_cast<std::uint32_t>(value.data.size());
    type = value.type;
    if (data != nullptr && size < length) {
        size = length;
        GrowAfterMoreData(value);
        return kErrorMoreData;
    }
    size = length;
    if (value.name.size() >= nameRoom) return kErrorMoreData;
    std::memcpy(name, value.name.c_str(), value.name.size() + 1);
    nameRoom = static_cast<std::uint32_t>(value.name.size());
    if (data != nullptr && length != 0) std::memcpy(data, value.data.data(), length);
    return kErrorSuccess;
}

std::uint32_t FakeRegistry::ExpandVariables(const std::string& source, char* destination,
                                            std::uint32_t room) {
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
