#include "pending_list/pending_rename_list.h"

#include <utility>

#include "common/utf16_text.h"
#include "registry/registry_constants.h"
#include "pending_list/stored_list.h"

namespace pendrix {

RenamePair ReplacementPair(std::string_view source, std::string_view destination) {
    RenamePair pair;
    pair.first.append(kObjectPathPrefix).append(source);
    pair.second.append(kReplaceExistingMarker).append(kObjectPathPrefix).append(destination);
    return pair;
}

RenamePair DeletionPair(std::string_view path) {
    RenamePair pair;
    pair.first.append(kObjectPathPrefix).append(path);
    return pair;
}

bool IsStorablePair(const RenamePair& pair) {
    return !pair.first.empty() && pair.first.find('\0') == std::string::npos &&
           pair.second.find('\0') == std::string::npos;
}

namespace {

// Where the start-up walk of stored data stops, and what the part before
// that point lacks to end as a whole pair.
struct WalkEnd {
    std::size_t stop = 0;           // offset of the first byte not reached
    bool lastStringOpen = false;    // the last reached string has no NUL
    bool secondMissing = false;     // the last reached pair has no second string
};

// Offsets, not strings: a list of ten thousand pairs is walked without
// copying it.
WalkEnd FindWalkEnd(std::string_view stored) {
    const std::size_t size = stored.size();
    std::size_t position = 0;
    while (position < size && stored[position] != '\0') {
        const std::size_t firstEnd = stored.find('\0', position);
        if (firstEnd == std::string_view::npos) return {size, true, true};
        if (firstEnd + 1 >= size) return {size, false, true};
        const std::size_t secondEnd = stored.find('\0', firstEnd + 1);
        if (secondEnd == std::string_view::npos) return {size, true, false};
        position = secondEnd + 1;
    }
    return {position, false, false};
}

}  // namespace

std::string AppendPairToStored(std::string_view stored, const RenamePair& pair) {
    const WalkEnd walk = FindWalkEnd(stored);
    const std::string_view rest = stored.substr(walk.stop);
    std::string data;
    data.reserve(stored.size() + pair.first.size() + pair.second.size() + 6);
    data.append(stored.substr(0, walk.stop));
    if (walk.lastStringOpen) data.push_back('\0');  // ends the last reached string
    if (walk.secondMissing) data.push_back('\0');   // empty second string: it stays a deletion
    data.append(pair.first).push_back('\0');
    data.append(pair.second).push_back('\0');
    if (rest.empty()) {
        data.push_back('\0');  // closes the list
        return data;
    }
    // What the walk never reaches stays after the pair, as stored.
    data.append(rest);
    if (rest.back() != '\0') data.push_back('\0');
    if (!IsClosedProperly(data)) data.push_back('\0');
    return data;
}

void PendingRenameList::AimAtSessionManager() {
    registry_.hkey(kHkeyLocalMachine);
    registry_.KeyRoot(kSessionManagerKeyRoot);
    registry_.Subkey(kSessionManagerSubkey);
}

namespace {

// Bytes of another type read as the start-up processing reads the list: as
// little-endian UTF-16 units (a last odd byte is none), in 8-bit text.
std::string TextOfUtf16Bytes(std::string_view bytes) {
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        const auto low = static_cast<unsigned char>(bytes[2 * i]);
        const auto high = static_cast<unsigned char>(bytes[2 * i + 1]);
        units[i] = static_cast<char16_t>(low | high << 8);
    }
    return TextFromUtf16(units);
}

}  // namespace

PendingListRead PendingRenameList::Read() {
    AimAtSessionManager();
    RegistryValueRead read = registry_.ReadRegistryValue(valueName_, RegistryData(""));
    PendingListRead result;
    result.status = read.status;
    // A missing key or value is an empty list; any other failure leaves the
    // list unknown.
    result.readable = read.status == kErrorSuccess || read.status == kErrorFileNotFound;
    result.exists = read.status == kErrorSuccess;
    if (!result.exists) return result;
    result.shape = {read.type, read.storedSize};
    if (IsStringType(read.type)) {
        result.listText = std::move(read.value).ToText();
        result.stored = std::move(read.data);
    } else {
        result.stored = TextOfUtf16Bytes(read.data);
    }
    return result;
}

bool IsAnotherForm(const StoredShape& shape) { return shape.type != kRegMultiSz || shape.bytes % 2 != 0; }

bool HoldsAnotherForm(const PendingListRead& read) { return read.readable && read.exists && IsAnotherForm(read.shape); }

WinStatus PendingRenameList::Delete() {
    AimAtSessionManager();
    const WinStatus status = registry_.DeleteValue(valueName_);
    return status == kErrorFileNotFound ? kErrorSuccess : status;
}

WinStatus PendingRenameList::WriteAccess() {
    AimAtSessionManager();
    return registry_.WriteAccess();
}

WinStatus PendingRenameList::Store(std::string_view data) {
    AimAtSessionManager();
    const RegistryData value{std::string(data)};
    const std::int32_t status = registry_.WriteRegistryValue(valueName_, value, static_cast<std::int32_t>(kRegMultiSz));
    // The key is almost always there: it is made only when the write finds
    // it missing, which spares every write a question first.
    if (status != kErrorFileNotFound) return status;
    registry_.CreateKey();
    return registry_.WriteRegistryValue(valueName_, value, static_cast<std::int32_t>(kRegMultiSz));
}

}  // namespace pendrix
