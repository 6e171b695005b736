#include "platform/held_targets.h"

#include "common/wide_text.h"
#include "platform/nt_queries.h"

namespace pendrix {
namespace {

constexpr DWORD kShareEverything = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr char kImageSignature[2] = {'M', 'Z'};

// No access rights, so that a file in use opens whatever its holder shares;
// the flag lets a folder open too.
UniqueKernelHandle OpenWithoutAccess(const std::wstring& path) {
    return UniqueKernelHandle(CreateFileW(path.c_str(), 0, kShareEverything, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

std::uint32_t IdentityOfHandle(HANDLE file, FileIdentity& identity) {
    LONG status = QueryFileIndex(file, identity.index);
    if (status == kStatusSuccess) status = QueryVolumeSerial(file, identity.volume);
    return status == kStatusSuccess ? ERROR_SUCCESS : WindowsErrorOfStatus(status);
}

std::wstring LastComponent(const std::wstring& path) {
    const std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

// A wide string filled by a call that gives the length it needs when the
// buffer is too small, and the length written otherwise (0 on failure).
template <typename Call>
std::wstring GrowingText(Call call) {
    std::wstring text(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD length = call(text.data(), static_cast<DWORD>(text.size()));
        if (length == 0) return {};
        if (length < text.size()) {
            text.resize(length);
            return text;
        }
        text.resize(length + 1);
    }
    return {};
}

// Only an image can be loaded as a module, and an image begins with "MZ";
// one that is loaded stays readable (the loader shares reading) but may not
// be opened for writing. Opening it for writing changes nothing in it.
bool MayBeLoaded(const std::wstring& path, HANDLE opened) {
    FILE_BASIC_INFO basic{};
    if (GetFileInformationByHandleEx(opened, FileBasicInfo, &basic, sizeof(basic)) &&
        (basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    const UniqueKernelHandle reader(
        CreateFileW(path.c_str(), GENERIC_READ, kShareEverything, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!reader) return true;
    char start[sizeof(kImageSignature)] = {};
    DWORD read = 0;
    if (!ReadFile(reader.Get(), start, sizeof(start), &read, nullptr)) return true;
    if (read != sizeof(start) || start[0] != kImageSignature[0] || start[1] != kImageSignature[1]) return false;
    const UniqueKernelHandle writer(
        CreateFileW(path.c_str(), FILE_WRITE_DATA, kShareEverything, nullptr, OPEN_EXISTING, 0, nullptr));
    return !writer;
}

}  // namespace

std::uint32_t IdentityOfPath(const std::wstring& path, FileIdentity& identity) {
    const UniqueKernelHandle file = OpenWithoutAccess(path);
    if (!file) return GetLastError();
    return IdentityOfHandle(file.Get(), identity);
}

std::vector<HeldTarget> OpenHeldTargets(const std::vector<std::string>& paths, std::uint32_t& status) {
    status = ERROR_SUCCESS;
    std::vector<HeldTarget> targets;
    for (const std::string& path : paths) {
        const std::wstring wide = WideText(path);
        HeldTarget target;
        target.handle = OpenWithoutAccess(wide);
        std::uint32_t opened = target.handle ? IdentityOfHandle(target.handle.Get(), target.identity) : GetLastError();
        if (opened != ERROR_SUCCESS) {
            if (status == ERROR_SUCCESS) status = opened;
            continue;
        }
        target.fullPath = GrowingText([&](wchar_t* buffer, DWORD size) {
            return GetFullPathNameW(wide.c_str(), size, buffer, nullptr);
        });
        const std::wstring finalPath = GrowingText([&](wchar_t* buffer, DWORD size) {
            return GetFinalPathNameByHandleW(target.handle.Get(), buffer, size, FILE_NAME_NORMALIZED);
        });
        target.longName = LastComponent(finalPath.empty() ? wide : finalPath);
        const std::wstring shortPath = GrowingText([&](wchar_t* buffer, DWORD size) {
            return GetShortPathNameW(finalPath.c_str(), buffer, size);
        });
        target.shortName = shortPath.empty() ? target.longName : LastComponent(shortPath);
        target.mayBeLoaded = MayBeLoaded(wide, target.handle.Get());
        targets.push_back(std::move(target));
    }
    if (!targets.empty()) status = ERROR_SUCCESS;
    return targets;
}

bool ProcessHasEnded(DWORD processId) {
    const UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) return GetLastError() == ERROR_INVALID_PARAMETER;  // no such process any more
    DWORD code = 0;
    return GetExitCodeProcess(process.Get(), &code) && code != STILL_ACTIVE;
}

}  // namespace pendrix
