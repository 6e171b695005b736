// FileSystemApi over kernel32's wide functions: paths are converted
// losslessly from the program's 8-bit text, so any name Windows can hold
// is reached, and a full name too long for the plain form is handed on in
// the "\\?\" form. No fixed buffer ever receives a path.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/unique_handle.h"
#include "common/wide_text.h"
#include "platform/extended_path.h"
#include "platform/file_security.h"
#include "platform/file_system_api.h"
#include "platform/staged_copy_file.h"

namespace pendrix {
namespace {

WinStatus Status(BOOL succeeded) { return succeeded ? ERROR_SUCCESS : GetLastError(); }

std::uint64_t Join(DWORD high, DWORD low) { return (static_cast<std::uint64_t>(high) << 32) | low; }

FileFacts FactsOf(DWORD attributes, DWORD sizeHigh, DWORD sizeLow, const FILETIME& lastWrite) {
    return FileFacts{attributes, Join(sizeHigh, sizeLow), Join(lastWrite.dwHighDateTime, lastWrite.dwLowDateTime)};
}

// How much ReadAll asks for at a time.
constexpr DWORD kReadChunk = 1u << 16;

// The wide form of a path for a Win32 call, at any length.
std::wstring Wide(const std::string& path) { return WideText(ExtendedPath(path)); }

// Names tried for a new temporary file before giving up: GetTempFileNameW
// tries as many.
constexpr unsigned kTemporaryNames = 0x10000;

// Four hexadecimal digits, as GetTempFileNameW numbers its files.
std::string HexNumber(unsigned number) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text(4, '0');
    for (int digit = 3; digit >= 0; --digit, number >>= 4) text[static_cast<std::size_t>(digit)] = kDigits[number & 0xF];
    return text;
}

// A wide function that fills a buffer of a given size and answers the size
// it needs when the buffer is too small (counting the NUL, or not), or 0.
template <typename Fill>
WinStatus GrowingText(Fill fill, std::string& text) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        SetLastError(ERROR_SUCCESS);
        const DWORD length = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_INVALID_NAME;
        if (length < buffer.size()) {
            text = TextOfWide({buffer.data(), length});
            return ERROR_SUCCESS;
        }
        buffer.resize(length + 1);
    }
}

class Win32FileSystemApi final : public FileSystemApi {
public:
    WinStatus Attributes(const std::string& path, std::uint32_t& attributes) override {
        const DWORD found = GetFileAttributesW(Wide(path).c_str());
        if (found == INVALID_FILE_ATTRIBUTES) return GetLastError();
        attributes = found;
        return ERROR_SUCCESS;
    }

    WinStatus Facts(const std::string& path, FileFacts& facts) override {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) return GetLastError();
        facts = FactsOf(data.dwFileAttributes, data.nFileSizeHigh, data.nFileSizeLow, data.ftLastWriteTime);
        return ERROR_SUCCESS;
    }

    WinStatus SetAttributes(const std::string& path, std::uint32_t attributes) override {
        return Status(SetFileAttributesW(Wide(path).c_str(), attributes));
    }

    WinStatus Remove(const std::string& path) override { return Status(DeleteFileW(Wide(path).c_str())); }

    WinStatus RemoveFolder(const std::string& path) override {
        return Status(RemoveDirectoryW(Wide(path).c_str()));
    }

    WinStatus Copy(const std::string& source, const std::string& target) override {
        return Status(CopyFileW(Wide(source).c_str(), Wide(target).c_str(), FALSE));
    }

    WinStatus MoveOver(const std::string& source, const std::string& target) override {
        return Status(MoveFileExW(Wide(source).c_str(), Wide(target).c_str(), MOVEFILE_REPLACE_EXISTING));
    }

    WinStatus Rename(const std::string& source, const std::string& target) override {
        return Status(MoveFileExW(Wide(source).c_str(), Wide(target).c_str(), 0));
    }

    WinStatus Use(const std::string& path, FileUse& use) override {
        use = FileUse::Free;
        const WinStatus status = Opens(path, DELETE);
        if (status == ERROR_SHARING_VIOLATION) {
            use = FileUse::Held;
            return ERROR_SUCCESS;
        }
        if (status != ERROR_SUCCESS) return status;
        if (Opens(path, FILE_WRITE_DATA) == ERROR_SHARING_VIOLATION) use = FileUse::Loaded;
        return ERROR_SUCCESS;
    }

    WinStatus Replace(const std::string& replaced, const std::string& replacement,
                          const std::string& backup) override {
        return Status(ReplaceFileW(Wide(replaced).c_str(), Wide(replacement).c_str(), Wide(backup).c_str(), 0,
                                   nullptr, nullptr));
    }

    // GetTempFileNameW's way (a new name, created with CREATE_NEW until one
    // is free), but with no fixed buffer: it takes a folder of any length.
    WinStatus CreateTempFile(const std::string& folder, std::string& path) override {
        const std::string where = folder.empty() || folder.back() == '\\' ? folder : folder + "\\";
        const unsigned start = static_cast<unsigned>(GetTickCount() ^ GetCurrentProcessId());
        for (unsigned tried = 0; tried < kTemporaryNames; ++tried) {
            const std::string name = where + "pdx" + HexNumber((start + tried) & 0xFFFF) + ".tmp";
            if (Utf16FromText(name).size() > kMaxNameUnits) return ERROR_FILENAME_EXCED_RANGE;
            UniqueKernelHandle file(CreateFileW(Wide(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
            if (file) {
                path = name;
                return ERROR_SUCCESS;
            }
            const DWORD error = GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return error;
        }
        return ERROR_FILE_EXISTS;
    }

    WinStatus Identity(const std::string& path, FileIdentity& identity) override {
        BY_HANDLE_FILE_INFORMATION information{};
        const WinStatus status = Information(path, information, nullptr);
        if (status != ERROR_SUCCESS) return status;
        identity.volume = information.dwVolumeSerialNumber;
        identity.index = (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
        return ERROR_SUCCESS;
    }

    WinStatus Describe(const std::string& path, FileDescription& description) override {
        BY_HANDLE_FILE_INFORMATION information{};
        const WinStatus status = Information(path, information, &description.finalPath);
        if (status != ERROR_SUCCESS) return status;
        description.attributes = information.dwFileAttributes;
        description.links = information.nNumberOfLinks;
        return ERROR_SUCCESS;
    }

    WinStatus FindFiles(const std::string& pattern, std::vector<FoundFile>& found) override {
        found.clear();
        WIN32_FIND_DATAW entry{};
        UniqueFindHandle search(FindFirstFileW(Wide(pattern).c_str(), &entry));
        if (!search) return GetLastError();
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            found.push_back({TextOfWide(name), TextOfWide(entry.cAlternateFileName), entry.dwFileAttributes});
        } while (FindNextFileW(search.Get(), &entry));
        return found.empty() ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
    }

    WinStatus ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) override {
        entries.clear();
        WIN32_FIND_DATAW found{};
        UniqueFindHandle search(FindFirstFileW(Wide(folder + "\\*").c_str(), &found));
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

    WinStatus ReadAll(const std::string& path, std::string& bytes) override {
        const UniqueKernelHandle file(CreateFileW(Wide(path).c_str(), GENERIC_READ,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            const DWORD error = GetLastError();
            const DWORD found = GetFileAttributesW(Wide(path).c_str());
            return found != INVALID_FILE_ATTRIBUTES && (found & FILE_ATTRIBUTE_DIRECTORY) ? static_cast<DWORD>(kErrorDirectoryNotSupported)
                                                                                          : error;
        }
        bytes.clear();
        std::vector<char> chunk(kReadChunk);
        for (;;) {
            DWORD read = 0;
            if (!ReadFile(file.Get(), chunk.data(), kReadChunk, &read, nullptr)) return GetLastError();
            if (read == 0) return ERROR_SUCCESS;
            bytes.append(chunk.data(), read);
        }
    }

    WinStatus CreateNewFile(const std::string& path, const std::string& bytes) override {
        const std::wstring wide = Wide(path);
        WinStatus status = ERROR_SUCCESS;
        {
            const UniqueKernelHandle file(
                CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file) return GetLastError();
            for (std::size_t done = 0; done < bytes.size() && status == ERROR_SUCCESS;) {
                const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, kReadChunk));
                DWORD written = 0;
                if (!WriteFile(file.Get(), bytes.data() + done, chunk, &written, nullptr))
                    status = GetLastError();
                done += written;
            }
            if (status == ERROR_SUCCESS && !FlushFileBuffers(file.Get())) status = GetLastError();
        }
        if (status != ERROR_SUCCESS) DeleteFileW(wide.c_str());
        return status;
    }

    WinStatus FullPath(const std::string& path, std::string& full) override {
        const std::wstring wide = WideText(path);
        return GrowingText(
            [&](wchar_t* buffer, DWORD size) { return GetFullPathNameW(wide.c_str(), size, buffer, nullptr); }, full);
    }

    std::uint32_t DriveType(const std::string& root) override { return GetDriveTypeW(WideText(root).c_str()); }

    WinStatus CreateStagedCopy(const std::string& source, const std::string& target, const std::string& model,
                               std::uint32_t attributes) override {
        return CreateSecuredCopy(source, target, model, attributes);
    }

    WinStatus OpenForReading(const std::string& path) override {
        return Opens(path, GENERIC_READ);
    }

    WinStatus OpenForDeleting(const std::string& path) override { return Opens(path, DELETE); }

    WinStatus Owner(const std::string& path, std::string& owner) override { return FileOwnerName(path, owner); }

    WinStatus SecureLike(const std::string& model, const std::string& target) override {
        return GiveSecurityOf(model, target);
    }

    WinStatus FinalName(const std::string& path, std::string& final) override {
        UniqueKernelHandle file(CreateFileW(Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!file) return GetLastError();
        // A volume without a drive letter has no DOS name: its GUID name
        // ("Volume{...}\dir\file" once plain) tells the caller so.
        std::string verbatim;
        std::uint32_t status = ERROR_SUCCESS;
        for (const DWORD volume : {VOLUME_NAME_DOS, VOLUME_NAME_GUID}) {
            status = GrowingText([&](wchar_t* buffer, DWORD size) {
                return GetFinalPathNameByHandleW(file.Get(), buffer, size, FILE_NAME_NORMALIZED | volume);
            }, verbatim);
            if (status == ERROR_SUCCESS) {
                final = PlainForm(verbatim);
                return ERROR_SUCCESS;
            }
        }
        // Wine's GetFinalPathNameByHandleW holds no name longer than
        // MAX_PATH: such a name is its folder's final name and its own name
        // as the folder lists it.
        const std::size_t separator = path.find_last_of('\\');
        if (Utf16FromText(path).size() < MAX_PATH || separator == std::string::npos || separator < 3) return status;
        std::string folder;
        if (const std::uint32_t folderStatus = FinalName(path.substr(0, separator), folder)) return folderStatus;
        WIN32_FIND_DATAW entry{};
        const UniqueFindHandle found(FindFirstFileW(Wide(path).c_str(), &entry));
        if (!found) return GetLastError();
        final = folder + (folder.back() == '\\' ? "" : "\\") + TextOfWide(entry.cFileName);
        return ERROR_SUCCESS;
    }

    WinStatus IsLink(const std::string& path, bool& link) override {
        link = false;
        const DWORD found = GetFileAttributesW(Wide(path).c_str());
        if (found == INVALID_FILE_ATTRIBUTES) return GetLastError();
        if (!(found & FILE_ATTRIBUTE_REPARSE_POINT)) return ERROR_SUCCESS;
        // Other reparse points (deduplicated or cloud files) stand for
        // themselves; a name surrogate (symbolic link, junction, mount
        // point) stands for another name.
        WIN32_FIND_DATAW entry{};
        const UniqueFindHandle search(FindFirstFileW(Wide(path).c_str(), &entry));
        link = !search || IsReparseTagNameSurrogate(entry.dwReserved0);
        return ERROR_SUCCESS;
    }

    WinStatus RemoveLink(const std::string& path) override {
        const std::wstring wide = Wide(path);
        const UniqueKernelHandle link(CreateFileW(wide.c_str(), DELETE | FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                                  OPEN_EXISTING,
                                                  FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!link) return GetLastError();
        BY_HANDLE_FILE_INFORMATION opened{};
        if (!GetFileInformationByHandle(link.Get(), &opened)) return GetLastError();
        BY_HANDLE_FILE_INFORMATION target{};
        if (Information(path, target, nullptr) == ERROR_SUCCESS && SameFile(opened, target))
            return ERROR_CANT_RESOLVE_FILENAME;  // the handle reached what the link leads to
        FILE_DISPOSITION_INFO disposition{};
        disposition.DeleteFile = TRUE;
        return Status(SetFileInformationByHandle(link.Get(), FileDispositionInfo, &disposition, sizeof disposition));
    }

    WinStatus UsersMayChange(const std::string& folder, bool& may) override {
        return OrdinaryUsersMayChange(folder, may);
    }

    WinStatus Rules(const std::string& path, AccessRules& rules) override { return FileRules(path, rules); }

private:
    static constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

    static bool SameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
        return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
               a.nFileIndexLow == b.nFileIndexLow;
    }

    // Whether the file (or folder) opens with access, shared with everyone.
    static std::uint32_t Opens(const std::string& path, DWORD access) {
        const UniqueKernelHandle file(CreateFileW(Wide(path).c_str(), access,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        return file ? ERROR_SUCCESS : GetLastError();
    }

    // "\\?\C:\dir" as "C:\dir", "\\?\UNC\server\share" as "\\server\share".
    static std::string PlainForm(const std::string& verbatim) {
        constexpr std::string_view kVerbatim = "\\\\?\\";
        constexpr std::string_view kVerbatimUnc = "\\\\?\\UNC\\";
        if (verbatim.rfind(kVerbatimUnc, 0) == 0) return "\\\\" + verbatim.substr(kVerbatimUnc.size());
        if (verbatim.rfind(kVerbatim, 0) == 0) return verbatim.substr(kVerbatim.size());
        return verbatim;
    }

    // Opens the file (or folder) as a program opens it, a symbolic link
    // followed, with no access rights (none are needed to ask about it) and
    // every sharing mode (so a file in use can be asked about); its
    // information and, when asked, its final name.
    static WinStatus Information(const std::string& path, BY_HANDLE_FILE_INFORMATION& information,
                                     std::string* finalPath) {
        UniqueKernelHandle file(CreateFileW(Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!file) return GetLastError();
        if (!GetFileInformationByHandle(file.Get(), &information)) return GetLastError();
        if (finalPath != nullptr &&
            GrowingText([&](wchar_t* buffer, DWORD size) {
                return GetFinalPathNameByHandleW(file.Get(), buffer, size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
            }, *finalPath) != ERROR_SUCCESS)
            finalPath->clear();  // the name as given serves then
        return ERROR_SUCCESS;
    }
};

}  // namespace

FileSystemApi& SystemFileSystemApi() {
    static Win32FileSystemApi api;
    return api;
}

}  // namespace pendrix
