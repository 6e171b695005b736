#include "platform/staged_copy_file.h"

#include <windows.h>
#include <aclapi.h>

#include <vector>

#include "common/unique_handle.h"
#include "common/wide_text.h"
#include "platform/extended_path.h"

namespace pendrix {
namespace {

std::wstring Wide(const std::string& path) { return WideText(ExtendedPath(path)); }

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kCopyChunk = 1u << 16;
// The attributes a staged copy may take from its destination.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE;

// A security descriptor GetNamedSecurityInfoW allocated, freed once.
struct LocalDescriptor {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ~LocalDescriptor() {
        if (descriptor != nullptr) LocalFree(descriptor);
    }
};

// The security a staged copy is created with: the administrators as owner;
// the model's DACL, with its protection, and its integrity label when that
// is at most High (a higher one needs a privilege); with no model no DACL,
// so that the new file takes what its folder passes on.
class CreationSecurity {
public:
    WinStatus Build(const std::string& model, bool withLabel) {
        DWORD size = sizeof administrators_;
        if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators_, &size) ||
            !InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) ||
            !SetSecurityDescriptorOwner(&descriptor_, administrators_, FALSE))
            return GetLastError();
        if (!model.empty()) {
            PACL rules = nullptr;
            const DWORD status = GetNamedSecurityInfoW(Wide(model).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                                       nullptr, nullptr, &rules, nullptr, &rules_.descriptor);
            if (status != ERROR_SUCCESS) return status;
            SECURITY_DESCRIPTOR_CONTROL control = 0;
            DWORD revision = 0;
            if (!GetSecurityDescriptorControl(rules_.descriptor, &control, &revision) ||
                !SetSecurityDescriptorDacl(&descriptor_, TRUE, rules, FALSE) ||
                !SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED | SE_DACL_AUTO_INHERITED,
                                              control & (SE_DACL_PROTECTED | SE_DACL_AUTO_INHERITED)))
                return GetLastError();
            if (withLabel) TakeLabel(model);
        }
        attributes_.nLength = sizeof attributes_;
        attributes_.lpSecurityDescriptor = &descriptor_;
        attributes_.bInheritHandle = FALSE;
        return ERROR_SUCCESS;
    }
    SECURITY_ATTRIBUTES* Attributes() { return &attributes_; }
    bool HasLabel() const { return !label_.empty(); }

private:
    // The model's mandatory label, when it has one at most High. A label
    // that cannot be read leaves the copy with none.
    void TakeLabel(const std::string& model) {
        PACL labels = nullptr;
        if (GetNamedSecurityInfoW(Wide(model).c_str(), SE_FILE_OBJECT, LABEL_SECURITY_INFORMATION, nullptr, nullptr,
                                  nullptr, &labels, &labels_.descriptor) != ERROR_SUCCESS ||
            labels == nullptr)
            return;
        for (DWORD index = 0; index < labels->AceCount; ++index) {
            void* entry = nullptr;
            if (!GetAce(labels, index, &entry) ||
                static_cast<ACE_HEADER*>(entry)->AceType != SYSTEM_MANDATORY_LABEL_ACE_TYPE)
                continue;
            auto* ace = static_cast<SYSTEM_MANDATORY_LABEL_ACE*>(entry);
            const PSID sid = &ace->SidStart;
            const DWORD level = *GetSidSubAuthority(sid, *GetSidSubAuthorityCount(sid) - 1);
            if (level > SECURITY_MANDATORY_HIGH_RID) return;
            label_.assign(sizeof(ACL) + ace->Header.AceSize, 0);
            auto* acl = reinterpret_cast<PACL>(label_.data());
            if (!InitializeAcl(acl, static_cast<DWORD>(label_.size()), ACL_REVISION) ||
                !AddAce(acl, ACL_REVISION, 0, ace, ace->Header.AceSize) ||
                !SetSecurityDescriptorSacl(&descriptor_, TRUE, acl, FALSE))
                label_.clear();
            return;
        }
    }

    BYTE administrators_[SECURITY_MAX_SID_SIZE]{};
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{};
    LocalDescriptor rules_;
    LocalDescriptor labels_;
    std::vector<BYTE> label_;  // an ACL holding the label alone
};

// Marks the file the handle names for deletion when the handle closes.
void DeleteOnClose(HANDLE file) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
}

// Every byte of from into to, then the final attributes and last-write time.
WinStatus Fill(HANDLE from, HANDLE to, DWORD attributes) {
    std::vector<char> chunk(kCopyChunk);
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(from, chunk.data(), kCopyChunk, &read, nullptr)) return GetLastError();
        if (read == 0) break;
        for (DWORD done = 0; done < read;) {
            DWORD written = 0;
            if (!WriteFile(to, chunk.data() + done, read - done, &written, nullptr)) return GetLastError();
            done += written;
        }
    }
    if (!FlushFileBuffers(to)) return GetLastError();
    FILE_BASIC_INFO source{};
    if (!GetFileInformationByHandleEx(from, FileBasicInfo, &source, sizeof source)) return GetLastError();
    FILE_BASIC_INFO basic{};
    basic.LastWriteTime = source.LastWriteTime;
    basic.FileAttributes = (attributes & kKeptAttributes) != 0 ? (attributes & kKeptAttributes) : FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(to, FileBasicInfo, &basic, sizeof basic) ? ERROR_SUCCESS : GetLastError();
}

}  // namespace

WinStatus CreateSecuredCopy(const std::string& source, const std::string& target, const std::string& model,
                            std::uint32_t attributes) {
    const UniqueKernelHandle from(CreateFileW(Wide(source).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!from) return GetLastError();
    CreationSecurity security;
    if (const WinStatus status = security.Build(model, true)) return status;
    const std::wstring wideTarget = Wide(target);
    // No sharing until it is whole: nobody else has it open at any time.
    // Created plain and given its attributes at the end, so that a copy
    // that fails half-way can still be deleted through the handle.
    UniqueKernelHandle to(CreateFileW(wideTarget.c_str(), GENERIC_WRITE | DELETE, 0, security.Attributes(),
                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!to && GetLastError() == ERROR_PRIVILEGE_NOT_HELD && security.HasLabel()) {
        // A label this process may not give: the copy goes without it.
        CreationSecurity unlabelled;
        if (const WinStatus status = unlabelled.Build(model, false)) return status;
        to.Reset(CreateFileW(wideTarget.c_str(), GENERIC_WRITE | DELETE, 0, unlabelled.Attributes(), CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    if (!to) return GetLastError();
    const WinStatus status = Fill(from.Get(), to.Get(), attributes);
    if (status != ERROR_SUCCESS) DeleteOnClose(to.Get());
    return status;
}

}  // namespace pendrix
