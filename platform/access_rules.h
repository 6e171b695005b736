// What a DACL grants a token holding given SIDs, walked as Windows' access
// check walks it (AuthzAccessCheck is a stub under Wine, and a seam keeps
// the reading of the rules apart from judging them).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "platform/file_system_api.h"

namespace pendrix {

// Well-known SIDs.
inline constexpr std::string_view kSidSystem = "S-1-5-18";
inline constexpr std::string_view kSidAdministrators = "S-1-5-32-544";
inline constexpr std::string_view kSidUsers = "S-1-5-32-545";
inline constexpr std::string_view kSidEveryone = "S-1-1-0";
inline constexpr std::string_view kSidAuthenticatedUsers = "S-1-5-11";
inline constexpr std::string_view kSidInteractive = "S-1-5-4";

// File and folder rights (winnt.h).
inline constexpr std::uint32_t kFileAddFile = 0x2;          // FILE_ADD_FILE, FILE_WRITE_DATA on a file
inline constexpr std::uint32_t kFileAddSubdirectory = 0x4;  // FILE_ADD_SUBDIRECTORY, FILE_APPEND_DATA on a file
inline constexpr std::uint32_t kFileDeleteChild = 0x40;     // FILE_DELETE_CHILD
inline constexpr std::uint32_t kRightDelete = 0x10000;      // DELETE
inline constexpr std::uint32_t kRightWriteDac = 0x40000;    // WRITE_DAC
inline constexpr std::uint32_t kRightWriteOwner = 0x80000;  // WRITE_OWNER
inline constexpr std::uint32_t kGenericAll = 0x10000000;    // GENERIC_ALL
inline constexpr std::uint32_t kGenericExecute = 0x20000000;
inline constexpr std::uint32_t kGenericWrite = 0x40000000;
inline constexpr std::uint32_t kGenericRead = 0x80000000;
// What the generic rights stand for on files (FILE_ALL_ACCESS,
// FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_GENERIC_READ).
inline constexpr std::uint32_t kFileAllAccess = 0x1F01FF;
inline constexpr std::uint32_t kFileGenericWrite = 0x120116;
inline constexpr std::uint32_t kFileGenericExecute = 0x1200A0;
inline constexpr std::uint32_t kFileGenericRead = 0x120089;

// The mask with its generic rights replaced by the file rights they stand for.
std::uint32_t MapFileGenericRights(std::uint32_t mask);

// The rights the rules grant a token holding sids: entries in order, an
// inherit-only one passed over; a denying entry keeps its rights from
// being granted later, an allowing one grants those not denied before it.
// A NULL DACL grants every right.
std::uint32_t GrantedRights(const AccessRules& rules, std::initializer_list<std::string_view> sids);

}  // namespace pendrix
