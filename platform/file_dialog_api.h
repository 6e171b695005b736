// The thin seam between cFileDialog and the common dialog library. The
// Windows build answers with comdlg32; native tests plug in a stand-in that
// plays the user.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace pendrix {

// OPENFILENAMEW up to lpTemplateName, the size of the record without its
// three trailing fields (OPENFILENAME_SIZE_VERSION_400W) in a 64-bit program.
inline constexpr std::uint32_t kOpenFileNameSize400 = 136;

// Mirrors OPENFILENAMEW field for field, without the three trailing fields.
// Texts are the program's 8-bit text (common/utf16_text.h), owned here and
// converted to and from UTF-16 unit for unit at the call; a text that holds
// no string goes to the dialog as a null pointer. lpstrFile, lpstrFileTitle
// and lpstrCustomFilter are the buffers the dialog writes into: each is
// exactly nMaxFile / nMaxFileTitle / nMaxCustFilter UTF-16 units long.
struct OpenFileNameRecord {
    std::uint32_t lStructSize = 0;
    std::intptr_t hwndOwner = 0;
    std::intptr_t hInstance = 0;
    std::optional<std::string> lpstrFilter;
    std::optional<std::string> lpstrCustomFilter;
    std::uint32_t nMaxCustFilter = 0;
    std::uint32_t nFilterIndex = 0;
    std::optional<std::string> lpstrFile;
    std::uint32_t nMaxFile = 0;
    std::optional<std::string> lpstrFileTitle;
    std::uint32_t nMaxFileTitle = 0;
    std::optional<std::string> lpstrInitialDir;
    std::optional<std::string> lpstrTitle;
    std::uint32_t Flags = 0;
    std::uint16_t nFileOffset = 0;
    std::uint16_t nFileExtension = 0;
    std::optional<std::string> lpstrDefExt;
    std::intptr_t lCustData = 0;
    std::intptr_t lpfnHook = 0;
    std::optional<std::string> lpTemplateName;
};

class FileDialogApi {
public:
    virtual ~FileDialogApi() = default;

    // GetOpenFileNameW / GetSaveFileNameW on the record: non-zero when the
    // user chose a file. The record comes back with what the dialog wrote
    // into its buffers (each whole, as 8-bit text) and numeric fields.
    virtual std::int32_t RunOpen(OpenFileNameRecord& record) = 0;
    virtual std::int32_t RunSave(OpenFileNameRecord& record) = 0;

    // The program's executable file name without directory and extension.
    virtual std::string ExecutableName() = 0;
};

// The common dialogs of this system (Windows build only).
FileDialogApi& SystemFileDialogApi();

}  // namespace pendrix
