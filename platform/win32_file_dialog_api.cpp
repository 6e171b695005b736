// FileDialogApi over comdlg32 through the UTF-16 (W) functions. The record's
// texts are converted with the lossless conversion of common/utf16_text.h,
// so a chosen name holding any UTF-16 units (a lone surrogate too) comes
// back unit for unit; the A functions would turn such units into U+FFFD.
#include <windows.h>
#include <commdlg.h>

#include <cstddef>
#include <optional>
#include <string>

#include "common/wide_text.h"
#include "platform/file_dialog_api.h"

namespace pendrix {
namespace {

static_assert(kOpenFileNameSize400 == offsetof(OPENFILENAMEW, lpTemplateName) + sizeof(LPCWSTR),
              "the record ends with lpTemplateName");

// A text of the record as the dialog reads it: a wide string with every
// NUL the text holds, or none.
struct WideField {
    explicit WideField(const std::optional<std::string>& text) : present(text.has_value()) {
        if (present) wide = WideText(*text);
    }
    const wchar_t* Get() const { return present ? wide.c_str() : nullptr; }

    bool present;
    std::wstring wide;
};

// A buffer the dialog writes into: exactly units long (the record's text
// already is), or none.
struct WideBuffer : WideField {
    WideBuffer(const std::optional<std::string>& text, DWORD units) : WideField(text) {
        if (present) wide.resize(units, L'\0');
    }
    wchar_t* Get() { return present ? wide.data() : nullptr; }
    // The whole buffer back into the record, as 8-bit text.
    void Return(std::optional<std::string>& text) const {
        if (present) text = TextOfWide(wide);
    }
};

// GetOpenFileNameW or GetSaveFileNameW on a real OPENFILENAMEW filled from
// the record; the buffers and numeric fields the dialog wrote are copied
// back.
template <typename Dialog>
std::int32_t Run(Dialog dialog, OpenFileNameRecord& record) {
    const WideField filter(record.lpstrFilter);
    WideBuffer customFilter(record.lpstrCustomFilter, record.nMaxCustFilter);
    WideBuffer file(record.lpstrFile, record.nMaxFile);
    WideBuffer fileTitle(record.lpstrFileTitle, record.nMaxFileTitle);
    const WideField initialDir(record.lpstrInitialDir);
    const WideField title(record.lpstrTitle);
    const WideField defaultExtension(record.lpstrDefExt);
    const WideField templateName(record.lpTemplateName);

    OPENFILENAMEW ofn{};
    ofn.lStructSize = record.lStructSize;
    ofn.hwndOwner = reinterpret_cast<HWND>(record.hwndOwner);
    ofn.hInstance = reinterpret_cast<HINSTANCE>(record.hInstance);
    ofn.lpstrFilter = filter.Get();
    ofn.lpstrCustomFilter = customFilter.Get();
    ofn.nMaxCustFilter = record.nMaxCustFilter;
    ofn.nFilterIndex = record.nFilterIndex;
    ofn.lpstrFile = file.Get();
    ofn.nMaxFile = record.nMaxFile;
    ofn.lpstrFileTitle = fileTitle.Get();
    ofn.nMaxFileTitle = record.nMaxFileTitle;
    ofn.lpstrInitialDir = initialDir.Get();
    ofn.lpstrTitle = title.Get();
    ofn.Flags = record.Flags;
    ofn.nFileOffset = record.nFileOffset;
    ofn.nFileExtension = record.nFileExtension;
    ofn.lpstrDefExt = defaultExtension.Get();
    ofn.lCustData = record.lCustData;
    ofn.lpfnHook = reinterpret_cast<LPOFNHOOKPROC>(record.lpfnHook);
    ofn.lpTemplateName = templateName.Get();

    const BOOL chosen = dialog(&ofn);

    customFilter.Return(record.lpstrCustomFilter);
    file.Return(record.lpstrFile);
    fileTitle.Return(record.lpstrFileTitle);
    record.hwndOwner = reinterpret_cast<std::intptr_t>(ofn.hwndOwner);
    record.nMaxCustFilter = ofn.nMaxCustFilter;
    record.nFilterIndex = ofn.nFilterIndex;
    record.nMaxFile = ofn.nMaxFile;
    record.nMaxFileTitle = ofn.nMaxFileTitle;
    record.Flags = ofn.Flags;
    record.nFileOffset = ofn.nFileOffset;
    record.nFileExtension = ofn.nFileExtension;
    record.lCustData = ofn.lCustData;
    return chosen;
}

class Win32FileDialogApi final : public FileDialogApi {
public:
    std::int32_t RunOpen(OpenFileNameRecord& record) override { return Run(GetOpenFileNameW, record); }
    std::int32_t RunSave(OpenFileNameRecord& record) override { return Run(GetSaveFileNameW, record); }

    std::string ExecutableName() override {
        std::wstring path(MAX_PATH, L'\0');
        for (;;) {
            const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
            if (length < path.size()) {
                path.resize(length);
                break;
            }
            path.resize(path.size() * 2);  // cut short: try a larger buffer
        }
        const std::size_t nameStart = path.find_last_of(L"\\/") + 1;  // npos + 1 is 0
        const std::size_t extension = path.rfind(L'.');
        const std::size_t nameEnd = extension != std::wstring::npos && extension > nameStart ? extension : path.size();
        return TextOfWide(std::wstring_view(path).substr(nameStart, nameEnd - nameStart));
    }
};

}  // namespace

FileDialogApi& SystemFileDialogApi() {
    static Win32FileDialogApi api;
    return api;
}

}  // namespace pendrix
