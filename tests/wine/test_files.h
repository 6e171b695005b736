// Real files for the Windows tests: writing and reading them whole, and a
// folder's contents, named by UTF-16 paths of any length.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace pendrix::wine {

// path in the "\\?\" form when it is too long for the plain one.
std::wstring AnyLength(const std::wstring& path);

void WriteFile(const std::wstring& path, const std::string& content);
// The file's bytes, or nothing when it cannot be opened.
std::optional<std::string> ReadFile(const std::wstring& path);
// The names in folder, sorted, to find stray files.
std::vector<std::wstring> FolderContents(const std::wstring& folder);
// Deletes the files in folder (read-only ones too), its folders, and it.
void RemoveFolder(const std::wstring& folder);

}  // namespace pendrix::wine
