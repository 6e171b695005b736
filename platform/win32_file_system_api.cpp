// FileSystemApi over kernel32's wide functions: paths are converted
// losslessly from the program's 8-bit text, so any name Windows can hold
// is reached.
#include <windows.h>

#include <string>
#include <vector>

#include "common/wide_text.h"
#include "common/unique_handle.h"
#include "platform/file_system_api.h"

namespace pendrix {
namespace {

std::uint32_t Status(BOOL succeeded) { return succeeded ? ERROR_SUCCESS : GetLastError(); }

std::uint64_t Join(DWORD high, DWORD low) { return (static_cast<std::uint64_t>(high) << 32) | low; }

FileFacts FactsOf(DWORD attributes, DWORD sizeHigh, DWORD sizeLow, const FILETIME& lastWrite) {
    return FileFacts{attributes, Join(sizeHigh, sizeLow), Join(lastWrite.dwHighDateTime, lastWrite.dwLowDateTime)};
}

// How much ReadAll asks for at a time.
constexpr DWORD kReadChunk = 1u << 16;

class Win32FileSystemApi final : public FileSystemApi {
public:
    std::uint32_t Attributes(const std::string& path, std::uint32_t& attributes) override {
        const DWORD found = GetFileAttributesW(WideText(path).c_str());
        if (found == INVALID_FILE_ATTRIBUTES) return GetLastError();
        attributes = found;
        return ERROR_SUCCESS;
    }

    std::uint32_t Facts(const std::string& path, FileFacts& facts) override {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!GetFileAttributesExW(WideText(path).c_str(), GetFileExInfoStandard, &data)) return GetLastError();
        facts = FactsOf(data.dwFileAttributes, data.nFileSizeHigh, data.nFileSizeLow, data.ftLastWriteTime);
        return ERROR_SUCCESS;
    }

    std::uint32_t SetAttributes(const std::string& path, std::uint32_t attributes) override {
        return Status(SetFileAttributesW(WideText(path).c_str(), attributes));
    }

    std::uint32_t Remove(const std::string& path) override { return Status(DeleteFileW(WideText(path).c_str())); }

    std::uint32_t Copy(const std::string& source, const std::string& target) override {
        return Status(CopyFileW(WideText(source).c_str(), WideText(target).c_str(), FALSE));
    }

    std::uint32_t MoveOver(const std::string& source, const std::string& target) override {
        return Status(MoveFileExW(WideText(source).c_str(), WideText(target).c_str(), MOVEFILE_REPLACE_EXISTING));
    }

    std::uint32_t CreateTempFile(const std::string& folder, std::string& path) override {
        wchar_t name[MAX_PATH + 1] = {};
        const std::wstring where = folder.empty() ? std::wstring(L".") : WideText(folder);
        if (GetTempFileNameW(where.c_str(), L"pdx", 0, name) == 0) return GetLastError();
        path = TextOfWide(name);
        return ERROR_SUCCESS;
    }

    std::uint32_t Identity(const std::string& path, FileIdentity& identity) override {
        // No access rights are needed to ask who a file is; the flag lets a
        // folder be opened too. Every sharing mode, so that a file in use
        // can be named.
        UniqueKernelHandle file(CreateFileW(WideText(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!file) return GetLastError();
        BY_HANDLE_FILE_INFORMATION information{};
        if (!GetFileInformationByHandle(file.Get(), &information)) return GetLastError();
        identity.volume = information.dwVolumeSerialNumber;
        identity.index = (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
        return ERROR_SUCCESS;
    }

    std::uint32_t FindFiles(const std::string& pattern, std::vector<std::string>& names) override {
        names.clear();
        WIN32_FIND_DATAW found{};
        UniqueFindHandle search(FindFirstFileW(WideText(pattern).c_str(), &found));
        if (!search) return GetLastError();
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.push_back(TextOfWide(found.cFileName));
        } while (FindNextFileW(search.Get(), &found));
        return names.empty() ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
    }

    std::uint32_t ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) override {
        entries.clear();
        WIN32_FIND_DATAW found{};
        UniqueFindHandle search(FindFirstFileW((WideText(folder) + L"\\*").c_str(), &found));
        if (!search) return GetLastError() == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : GetLastError();
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const FileFacts facts =
                FactsOf(found.dwFileAttributes, found.nFileSizeHigh, found.nFileSizeLow, found.ftLastWriteTime);
            entries.push_back(FolderEntry{TextOfWide(found.cFileName), facts});
            if (found.cAlternateFileName[0] != L'\0')
                entries.push_back(FolderEntry{TextOfWide(found.cAlternateFileName), facts});
        } while (FindNextFileW(search.Get(), &found));
        return ERROR_SUCCESS;
    }

    std::uint32_t ReadAll(const std::string& path, std::string& bytes) override {
        const UniqueKernelHandle file(CreateFileW(WideText(path).c_str(), GENERIC_READ,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return GetLastError();
        bytes.clear();
        std::vector<char> chunk(kReadChunk);
        for (;;) {
            DWORD read = 0;
            if (!ReadFile(file.Get(), chunk.data(), kReadChunk, &read, nullptr)) return GetLastError();
            if (read == 0) return ERROR_SUCCESS;
            bytes.append(chunk.data(), read);
        }
    }

    std::uint32_t FullPath(const std::string& path, std::string& full) override {
        const std::wstring wide = WideText(path);
        std::vector<wchar_t> buffer(MAX_PATH);
        for (;;) {
            const DWORD length = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
            if (length == 0) return GetLastError();
            if (length < buffer.size()) {
                full = TextOfWide({buffer.data(), length});
                return ERROR_SUCCESS;
            }
            buffer.resize(length);
        }
    }
};

}  // namespace

FileSystemApi& SystemFileSystemApi() {
    static Win32FileSystemApi api;
    return api;
}

}  // namespace pendrix
