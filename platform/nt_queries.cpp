#include "platform/nt_queries.h"

#include <cstddef>
#include <cstring>

namespace pendrix {
namespace {

constexpr ULONG kSystemExtendedHandleInformation = 64;
constexpr ULONG kFileInternalInformation = 6;
constexpr ULONG kFileFsVolumeInformation = 1;
constexpr ULONG kFileProcessIdsUsingFileInformation = 47;
constexpr LONG kStatusBufferOverflow = static_cast<LONG>(0x80000005);
constexpr std::size_t kFirstUsersBytes = 4096;
constexpr std::size_t kMostUsersBytes = 1024 * 1024;

// The table grows while it is read: each try asks for what the last one
// needed and a margin for the handles opened meanwhile.
constexpr std::size_t kFirstTableBytes = 256 * 1024;
constexpr std::size_t kTableMarginBytes = 4096 * sizeof(SystemHandleEntry);
constexpr int kTableTries = 8;

struct IoStatus {
    union {
        LONG status;
        void* pointer;
    };
    ULONG_PTR information;
};

// FILE_FS_VOLUME_INFORMATION with room for a long label.
struct VolumeInformation {
    LARGE_INTEGER creationTime;
    ULONG serialNumber;
    ULONG labelLength;
    BOOLEAN supportsObjects;
    WCHAR label[MAX_PATH];
};

struct TableHeader {
    ULONG_PTR count;
    ULONG_PTR reserved;
};

using QuerySystemInformationFunction = LONG(NTAPI*)(ULONG, void*, ULONG, ULONG*);
using QueryFileFunction = LONG(NTAPI*)(HANDLE, IoStatus*, void*, ULONG, ULONG);
using StatusToErrorFunction = ULONG(NTAPI*)(LONG);

struct NtFunctions {
    QuerySystemInformationFunction querySystemInformation = nullptr;
    QueryFileFunction queryInformationFile = nullptr;
    QueryFileFunction queryVolumeInformationFile = nullptr;
    StatusToErrorFunction statusToError = nullptr;
};

template <typename Function>
Function Procedure(HMODULE module, const char* name) {
    // Through the generic function pointer type, which converts to any other.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

const NtFunctions& Nt() {
    static const NtFunctions functions = [] {
        NtFunctions loaded;
        const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        if (ntdll == nullptr) return loaded;
        loaded.querySystemInformation = Procedure<QuerySystemInformationFunction>(ntdll, "NtQuerySystemInformation");
        loaded.queryInformationFile = Procedure<QueryFileFunction>(ntdll, "NtQueryInformationFile");
        loaded.queryVolumeInformationFile = Procedure<QueryFileFunction>(ntdll, "NtQueryVolumeInformationFile");
        loaded.statusToError = Procedure<StatusToErrorFunction>(ntdll, "RtlNtStatusToDosError");
        return loaded;
    }();
    return functions;
}

}  // namespace

LONG SystemHandleTable::Read() {
    const QuerySystemInformationFunction query = Nt().querySystemInformation;
    if (query == nullptr) return kStatusProcedureNotFound;
    std::size_t size = kFirstTableBytes;
    LONG status = kStatusInfoLengthMismatch;
    for (int attempt = 0; attempt < kTableTries && status == kStatusInfoLengthMismatch; ++attempt) {
        buffer_.assign(size, 0);
        ULONG needed = 0;
        status = query(kSystemExtendedHandleInformation, buffer_.data(), static_cast<ULONG>(buffer_.size()), &needed);
        size = (needed > size ? needed : size * 2) + kTableMarginBytes;
    }
    if (status != kStatusSuccess) buffer_.clear();
    return status;
}

std::size_t SystemHandleTable::Count() const {
    if (buffer_.size() < sizeof(TableHeader)) return 0;
    TableHeader header;
    std::memcpy(&header, buffer_.data(), sizeof(header));
    const std::size_t fits = (buffer_.size() - sizeof(TableHeader)) / sizeof(SystemHandleEntry);
    return header.count < fits ? header.count : fits;
}

const SystemHandleEntry& SystemHandleTable::operator[](std::size_t index) const {
    return reinterpret_cast<const SystemHandleEntry*>(buffer_.data() + sizeof(TableHeader))[index];
}

LONG QueryFileIndex(HANDLE file, std::uint64_t& index) {
    const QueryFileFunction query = Nt().queryInformationFile;
    if (query == nullptr) return kStatusProcedureNotFound;
    IoStatus io{};
    LARGE_INTEGER internal{};
    const LONG status = query(file, &io, &internal, sizeof(internal), kFileInternalInformation);
    if (status == kStatusSuccess) index = static_cast<std::uint64_t>(internal.QuadPart);
    return status;
}

LONG QueryVolumeSerial(HANDLE file, std::uint32_t& serial) {
    const QueryFileFunction query = Nt().queryVolumeInformationFile;
    if (query == nullptr) return kStatusProcedureNotFound;
    IoStatus io{};
    VolumeInformation volume{};
    const LONG status = query(file, &io, &volume, sizeof(volume), kFileFsVolumeInformation);
    if (status == kStatusSuccess) serial = volume.serialNumber;
    return status;
}

LONG QueryProcessIdsUsingFile(HANDLE file, std::vector<std::uint32_t>& processIds) {
    const QueryFileFunction query = Nt().queryInformationFile;
    if (query == nullptr) return kStatusProcedureNotFound;
    // FILE_PROCESS_IDS_USING_FILE_INFORMATION: a count, then ULONG_PTR ids.
    struct Header {
        ULONG count;
        ULONG_PTR first[1];
    };
    std::vector<ULONG_PTR> buffer(kFirstUsersBytes / sizeof(ULONG_PTR));
    for (;;) {
        IoStatus io{};
        const auto bytes = static_cast<ULONG>(buffer.size() * sizeof(ULONG_PTR));
        const LONG status = query(file, &io, buffer.data(), bytes, kFileProcessIdsUsingFileInformation);
        const bool tooSmall = status == kStatusInfoLengthMismatch || status == kStatusBufferOverflow;
        if (tooSmall && bytes < kMostUsersBytes) {
            buffer.resize(buffer.size() * 4);
            continue;
        }
        if (status != kStatusSuccess) return status;
        const auto* header = reinterpret_cast<const Header*>(buffer.data());
        const std::size_t room = (bytes - offsetof(Header, first)) / sizeof(ULONG_PTR);
        const std::size_t count = header->count < room ? header->count : room;
        processIds.clear();
        for (std::size_t i = 0; i < count; ++i) processIds.push_back(static_cast<std::uint32_t>(header->first[i]));
        return status;
    }
}

std::uint32_t WindowsErrorOfStatus(LONG status) {
    const StatusToErrorFunction convert = Nt().statusToError;
    return convert != nullptr ? convert(status) : ERROR_GEN_FAILURE;
}

}  // namespace pendrix
