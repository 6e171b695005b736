// FileDialogApi over comdlg32: the A functions, so texts travel in the
// process's code page (UTF-8 through the manifest).
#include <windows.h>
#include <commdlg.h>

#include <cstddef>
#include <string>

#include "platform/file_dialog_api.h"

namespace pendrix {
namespace {

static_assert(kOpenFileNameSize400 == offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR),
              "the record ends with lpTemplateName");

const char* TextOrNull(const std::optional<std::string>& text) { return text ? text->c_str() : nullptr; }
// The dialog writes into the record's own buffers, which hold exactly the
// room the record announces.
char* BufferOrNull(std::optional<std::string>& text) { return text ? text->data() : nullptr; }

// GetOpenFileNameA or GetSaveFileNameA on a real OPENFILENAMEA filled from
// the record; the numeric fields the dialog wrote are copied back.
template <typename Dialog>
std::int32_t Run(Dialog dialog, OpenFileNameRecord& record) {
    OPENFILENAMEA ofn{};
    ofn.lStructSize = record.lStructSize;
    ofn.hwndOwner = reinterpret_cast<HWND>(record.hwndOwner);
    ofn.hInstance = reinterpret_cast<HINSTANCE>(record.hInstance);
    ofn.lpstrFilter = TextOrNull(record.lpstrFilter);
    ofn.lpstrCustomFilter = BufferOrNull(record.lpstrCustomFilter);
    ofn.nMaxCustFilter = record.nMaxCustFilter;
    ofn.nFilterIndex = record.nFilterIndex;
    ofn.lpstrFile = BufferOrNull(record.lpstrFile);
    ofn.nMaxFile = record.nMaxFile;
    ofn.lpstrFileTitle = BufferOrNull(record.lpstrFileTitle);
    ofn.nMaxFileTitle = record.nMaxFileTitle;
    ofn.lpstrInitialDir = TextOrNull(record.lpstrInitialDir);
    ofn.lpstrTitle = TextOrNull(record.lpstrTitle);
    ofn.Flags = record.Flags;
    ofn.nFileOffset = record.nFileOffset;
    ofn.nFileExtension = record.nFileExtension;
    ofn.lpstrDefExt = TextOrNull(record.lpstrDefExt);
    ofn.lCustData = record.lCustData;
    ofn.lpfnHook = reinterpret_cast<LPOFNHOOKPROC>(record.lpfnHook);
    ofn.lpTemplateName = TextOrNull(record.lpTemplateName);

    const BOOL chosen = dialog(&ofn);

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
    std::int32_t RunOpen(OpenFileNameRecord& record) override { return Run(GetOpenFileNameA, record); }
    std::int32_t RunSave(OpenFileNameRecord& record) override { return Run(GetSaveFileNameA, record); }

    std::string ExecutableName() override {
        std::string path(MAX_PATH, '\0');
        for (;;) {
            const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
            if (length < path.size()) {
                path.resize(length);
                break;
            }
            path.resize(path.size() * 2);  // cut short: try a larger buffer
        }
        const std::size_t nameStart = path.find_last_of("\\/") + 1;  // npos + 1 is 0
        const std::size_t extension = path.rfind('.');
        const std::size_t nameEnd = extension != std::string::npos && extension > nameStart ? extension : path.size();
        return path.substr(nameStart, nameEnd - nameStart);
    }
};

}  // namespace

FileDialogApi& SystemFileDialogApi() {
    static Win32FileDialogApi api;
    return api;
}

}  // namespace pendrix
