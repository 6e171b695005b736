#include "platform/cFileDialog.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "common/pendrix_error.h"
#include "common/text.h"
#include "common/utf16_text.h"

namespace pendrix {
namespace {

constexpr const char* kCancelDescription = "User selected cancel.";
constexpr const char* kOpenErrorClass = ".cFileDialog";
constexpr const char* kSaveErrorClass = ".cFilenDialog";

// Two NULs close every text list the dialog reads.
const std::string kListEnd(2, '\0');

// "|" and ":" both separate a description from its pattern.
std::string ConvertFilter(const std::string& filter) {
    std::string converted;
    converted.reserve(filter.size() + kListEnd.size());
    for (const char character : filter) {
        converted.push_back(character == '|' || character == ':' ? '\0' : character);
    }
    return converted + kListEnd;
}

[[noreturn]] void RaiseInvalidArgument() {
    throw PendrixError(kErrInvalidArgument, kProgramErrorSource, kInvalidArgumentDescription);
}

[[noreturn]] void RaiseOverflow() {
    throw PendrixError(kErrOverflow, kProgramErrorSource, kOverflowDescription);
}

// How many UTF-16 units the dialog sees for text.
std::size_t Units(const std::string& text) { return Utf16FromText(text).size(); }

// text followed by NULs up to size UTF-16 units; text fits.
std::string PadWithNul(const std::string& text, std::size_t size) {
    std::string buffer(text);
    buffer.append(size - Units(text), '\0');
    return buffer;
}

}  // namespace

cFileDialog::cFileDialog(FileDialogApi& api) : api_(&api) {
    record_.lStructSize = kOpenFileNameSize400;
    record_.nFilterIndex = 1;
}

void cFileDialog::Filter(std::string vData) {
    filter_ = std::move(vData);
    record_.lpstrFilter = ConvertFilter(filter_);
}

void cFileDialog::DefaultExt(std::string vData) {
    defaultExt_ = std::move(vData);
    record_.lpstrDefExt = defaultExt_ + kListEnd;
}

void cFileDialog::InitDir(std::string vData) {
    initDir_ = std::move(vData);
    record_.lpstrInitialDir = initDir_ + kListEnd;
}

std::string cFileDialog::CutAtNull(const std::string& text) { return CutAtNul(text); }

void cFileDialog::PrepareBuffers(std::size_t bufferSize) {
    if (Units(filename_) > bufferSize || Units(fileTitle_) > bufferSize) RaiseInvalidArgument();
    record_.lpstrFile = PadWithNul(filename_, bufferSize);
    record_.nMaxFile = static_cast<std::uint32_t>(bufferSize);
    record_.lpstrFileTitle = PadWithNul(fileTitle_, bufferSize);
    record_.nMaxFileTitle = static_cast<std::uint32_t>(bufferSize);
}

void cFileDialog::RaiseCancel(const char* className) {
    throw PendrixError(kErrUserCancel, api_->ExecutableName() + className, kCancelDescription);
}

void cFileDialog::ShowOpen() {
    const bool multiSelect = (flags_ & kOfnAllowMultiSelect) != 0;
    PrepareBuffers(multiSelect ? kMultiFileBufferSize : kSingleFileBufferSize);
    // A multi-selection in the old-style dialog would come back separated by
    // spaces; the explorer style separates the names by NULs.
    record_.Flags = static_cast<std::uint32_t>(multiSelect ? flags_ | kOfnExplorer : flags_);

    if (api_->RunOpen(record_) == 0) {
        if (cancelError_) RaiseCancel(kOpenErrorClass);
        return;
    }
    const std::string chosen = record_.lpstrFile.value_or(std::string());
    // The whole buffer after a multi-selection, for ParseMultiFileName.
    filename_ = (record_.Flags & static_cast<std::uint32_t>(kOfnAllowMultiSelect)) != 0 ? chosen
                                                                                           : CutAtNull(chosen);
    fileTitle_ = CutAtNull(record_.lpstrFileTitle.value_or(std::string()));
}

void cFileDialog::ShowSave() {
    PrepareBuffers(kSingleFileBufferSize);
    record_.Flags = static_cast<std::uint32_t>(flags_);

    if (api_->RunSave(record_) == 0) {
        if (cancelError_) RaiseCancel(kSaveErrorClass);
        return;
    }
    filename_ = CutAtNull(record_.lpstrFile.value_or(std::string()));
    fileTitle_ = CutAtNull(record_.lpstrFileTitle.value_or(std::string()));
}

void cFileDialog::ParseMultiFileName(std::string& sDir, std::vector<std::string>& sFiles,
                                     std::int32_t& lFileCount) const {
    // Only the selection counts: the dialog writes it over the buffer that
    // went in, so an earlier, longer selection can still stand behind it.
    const std::size_t listEnd = filename_.find(kListEnd);
    if (listEnd == std::string::npos) RaiseInvalidArgument();
    const std::string_view list = std::string_view(filename_).substr(0, listEnd);

    const std::size_t directoryEnd = list.find('\0');
    if (directoryEnd == std::string_view::npos) {
        // One file, given with its full path.
        lFileCount = 1;
        const std::size_t lastBackslash = list.rfind('\\');
        if (lastBackslash == std::string_view::npos) {
            sDir.clear();
            sFiles.assign(1, std::string(list));
        } else {
            sDir = std::string(list.substr(0, lastBackslash + 1));
            sFiles.assign(1, std::string(list.substr(lastBackslash + 1)));
        }
        return;
    }

    // The directory, then the names separated by single NULs. A negative
    // count leaves no room to continue from; a count that would pass the
    // largest 32-bit number is an overflow. Both are refused before
    // anything changes.
    if (lFileCount < 0) RaiseInvalidArgument();
    const auto names = static_cast<std::int64_t>(std::count(list.begin(), list.end(), '\0'));
    if (lFileCount > INT32_MAX - names) RaiseOverflow();
    sDir = std::string(list.substr(0, directoryEnd));
    std::size_t nameStart = directoryEnd + 1;
    while (nameStart <= list.size()) {
        const std::size_t nameEnd = std::min(list.find('\0', nameStart), list.size());
        ++lFileCount;
        sFiles.resize(static_cast<std::size_t>(lFileCount));
        sFiles[static_cast<std::size_t>(lFileCount) - 1] = std::string(list.substr(nameStart, nameEnd - nameStart));
        nameStart = nameEnd + 1;
    }
}

}  // namespace pendrix
