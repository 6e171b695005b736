// The native queries that no Win32 function makes: the system's handle
// table and a file's index and volume from a handle that may carry no
// access right at all. They are taken from ntdll, which every process has
// loaded, by GetProcAddress.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>


namespace pendrix {

// NTSTATUS values.
inline constexpr LONG kStatusSuccess = 0;
inline constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);
inline constexpr LONG kStatusProcedureNotFound = static_cast<LONG>(0xC000007A);

// One handle of the system's handle table (SYSTEM_HANDLE_TABLE_ENTRY_INFO_EX
// of SystemExtendedHandleInformation).
struct SystemHandleEntry {
    void* object;
    ULONG_PTR processId;
    ULONG_PTR handleValue;
    ULONG grantedAccess;
    USHORT creatorBackTraceIndex;
    USHORT objectTypeIndex;
    ULONG handleAttributes;
    ULONG reserved;
};

// The handle table as NtQuerySystemInformation(SystemExtendedHandleInformation)
// gives it: a header, then the entries.
class SystemHandleTable {
public:
    // Reads the table; an NTSTATUS.
    LONG Read();
    std::size_t Count() const;
    const SystemHandleEntry& operator[](std::size_t index) const;

private:
    std::vector<unsigned char> buffer_;
};

// NtQueryInformationFile(FileInternalInformation) and
// NtQueryVolumeInformationFile(FileFsVolumeInformation): the file's index
// on its volume and the volume's serial number. Neither needs any access
// right on the handle. An NTSTATUS.
LONG QueryFileIndex(HANDLE file, std::uint64_t& index);
LONG QueryVolumeSerial(HANDLE file, std::uint32_t& serial);

// NtQueryInformationFile(FileProcessIdsUsingFileInformation): every process
// that has the file open or mapped (a loaded image too), asked of the file
// itself, so that a renamed file is found by whoever uses it. The handle
// needs FILE_READ_ATTRIBUTES. An NTSTATUS; Wine 8 does not implement the
// class and answers with a failure.
LONG QueryProcessIdsUsingFile(HANDLE file, std::vector<std::uint32_t>& processIds);

// RtlNtStatusToDosError: the Windows error code for an NTSTATUS.
std::uint32_t WindowsErrorOfStatus(LONG status);

}  // namespace pendrix
