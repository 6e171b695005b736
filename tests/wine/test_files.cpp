#include "tests/wine/test_files.h"

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "common/unique_handle.h"

namespace pendrix::wine {

void WriteFile(const std::wstring& path, const std::string& content) {
    std::ofstream(path.c_str(), std::ios::binary) << content;
}

std::optional<std::string> ReadFile(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::wstring> FolderContents(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    UniqueFindHandle search{FindFirstFileW((folder + L"\\*").c_str(), &found)};
    if (!search) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(search.Get(), &found));
    std::sort(names.begin(), names.end());
    return names;
}

void RemoveFolder(const std::wstring& folder) {
    for (const std::wstring& name : FolderContents(folder)) {
        SetFileAttributesW((folder + L"\\" + name).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW((folder + L"\\" + name).c_str());
    }
    RemoveDirectoryW(folder.c_str());
}

}  // namespace pendrix::wine
