#include "tests/wine/test_files.h"

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "common/unique_handle.h"

namespace pendrix::wine {

std::wstring AnyLength(const std::wstring& path) {
    constexpr std::size_t kPlainFormLimit = 248;
    if (path.size() < kPlainFormLimit || path.rfind(L"\\\\?\\", 0) == 0) return path;
    return L"\\\\?\\" + path;
}

void WriteFile(const std::wstring& path, const std::string& content) {
    std::ofstream(AnyLength(path).c_str(), std::ios::binary) << content;
}

std::optional<std::string> ReadFile(const std::wstring& path) {
    std::ifstream in(AnyLength(path).c_str(), std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::wstring> FolderContents(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    UniqueFindHandle search{FindFirstFileW(AnyLength(folder + L"\\*").c_str(), &found)};
    // A folder always lists "." and "..": a failure is told, never an empty folder.
    if (!search) return {L"<not listed: error " + std::to_wstring(GetLastError()) + L">"};
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(search.Get(), &found));
    std::sort(names.begin(), names.end());
    return names;
}

void RemoveFolder(const std::wstring& folder) {
    for (const std::wstring& name : FolderContents(folder)) {
        const std::wstring path = AnyLength(folder + L"\\" + name);
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            RemoveFolder(folder + L"\\" + name);
            continue;
        }
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
    }
    RemoveDirectoryW(AnyLength(folder).c_str());
}

}  // namespace pendrix::wine
