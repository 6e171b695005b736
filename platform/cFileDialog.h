// cFileDialog: the system's open-file and save-file dialogs behind
// properties. One dialog record lives in the object for its whole life, so
// the next dialog starts from what the last one left (the chosen name, the
// filter the user picked).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_dialog_api.h"

namespace pendrix {

// Dialog flags (OFN_ALLOWMULTISELECT, OFN_FILEMUSTEXIST, OFN_EXPLORER): the
// ones the class tests or adds, and the one the program passes.
inline constexpr std::int32_t kOfnAllowMultiSelect = 0x200;
inline constexpr std::int32_t kOfnFileMustExist = 0x1000;
inline constexpr std::int32_t kOfnExplorer = 0x80000;

// Buffer sizes, in UTF-16 units, of the file name and file title.
inline constexpr std::size_t kSingleFileBufferSize = 1024;
inline constexpr std::size_t kMultiFileBufferSize = 8192;

class cFileDialog {
public:
    cFileDialog() : cFileDialog(SystemFileDialogApi()) {}
    explicit cFileDialog(FileDialogApi& api);

    bool CancelError() const noexcept { return cancelError_; }
    void CancelError(bool vData) noexcept { cancelError_ = vData; }
    const std::string& Filename() const noexcept { return filename_; }
    void Filename(std::string vData) { filename_ = std::move(vData); }
    const std::string& FileTitle() const noexcept { return fileTitle_; }
    void FileTitle(std::string vData) { fileTitle_ = std::move(vData); }
    // Description and pattern alternate, separated by "|" or ":".
    const std::string& Filter() const noexcept { return filter_; }
    void Filter(std::string vData);
    std::int32_t FilterIndex() const noexcept { return static_cast<std::int32_t>(record_.nFilterIndex); }
    void FilterIndex(std::int32_t vData) noexcept { record_.nFilterIndex = static_cast<std::uint32_t>(vData); }
    const std::string& DefaultExt() const noexcept { return defaultExt_; }
    void DefaultExt(std::string vData);
    std::string DialogTitle() const { return record_.lpstrTitle.value_or(std::string()); }
    void DialogTitle(std::string vData) { record_.lpstrTitle = std::move(vData); }
    std::int32_t flags() const noexcept { return flags_; }
    void flags(std::int32_t vData) noexcept { flags_ = vData; }
    std::intptr_t hwnd() const noexcept { return record_.hwndOwner; }
    void hwnd(std::intptr_t vData) noexcept { record_.hwndOwner = vData; }
    const std::string& InitDir() const noexcept { return initDir_; }
    void InitDir(std::string vData);

    // Run the dialog; afterwards Filename, FileTitle and FilterIndex hold
    // the choice. A cancel raises the cancel error only under CancelError.
    void ShowOpen();
    void ShowSave();

    // Splits a multi-selection left in Filename by ShowOpen into the
    // directory and the names; the count continues from lFileCount.
    void ParseMultiFileName(std::string& sDir, std::vector<std::string>& sFiles,
                            std::int32_t& lFileCount) const;

private:
    static std::string CutAtNull(const std::string& text);
    // Fills the file name and title buffers, or raises the invalid-argument
    // error when either text does not fit.
    void PrepareBuffers(std::size_t bufferSize);
    [[noreturn]] void RaiseCancel(const char* className);

    FileDialogApi* api_;
    OpenFileNameRecord record_;
    bool cancelError_ = false;
    std::string filename_;
    std::string fileTitle_;
    std::string filter_;
    std::string defaultExt_;
    std::string initDir_;
    std::int32_t flags_ = 0;
};

}  // namespace pendrix
