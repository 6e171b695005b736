#include "platform/file_security.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <vector>

#include "common/wide_text.h"
#include "platform/account_name.h"
#include "platform/extended_path.h"

namespace pendrix {
namespace {

std::wstring Wide(const std::string& path) { return WideText(ExtendedPath(path)); }

// A security descriptor GetNamedSecurityInfoW allocated, freed once.
class LocalSecurity {
public:
    ~LocalSecurity() {
        if (descriptor_ != nullptr) LocalFree(descriptor_);
    }
    PSECURITY_DESCRIPTOR* Receiver() { return &descriptor_; }
    PSECURITY_DESCRIPTOR Get() const { return descriptor_; }

private:
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
};

// The rights that let someone put files into a folder, take them out,
// rename them, or change the folder's rules.
constexpr ACCESS_MASK kChangingRights = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD | DELETE |
                                        WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

// Everyone, Authenticated Users, Users and Interactive: any ordinary user.
bool IsOrdinaryUsers(PSID sid) {
    for (const WELL_KNOWN_SID_TYPE type : {WinWorldSid, WinAuthenticatedUserSid, WinBuiltinUsersSid, WinInteractiveSid}) {
        BYTE buffer[SECURITY_MAX_SID_SIZE];
        DWORD size = sizeof buffer;
        if (CreateWellKnownSid(type, nullptr, buffer, &size) && EqualSid(sid, buffer)) return true;
    }
    return false;
}

std::string SidText(PSID sid) {
    LPWSTR text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text)) return "an unknown account";
    std::string result = TextOfWide(text);
    LocalFree(text);
    return result;
}

}  // namespace

WinStatus FileOwnerName(const std::string& path, std::string& owner) {
    LocalSecurity security;
    PSID sid = nullptr;
    const DWORD status = GetNamedSecurityInfoW(Wide(path).c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &sid,
                                               nullptr, nullptr, nullptr, security.Receiver());
    if (status != ERROR_SUCCESS) return status;
    if (sid == nullptr) return ERROR_INVALID_DATA;
    owner = AccountNameOf(sid);
    if (owner.empty()) owner = SidText(sid);
    return ERROR_SUCCESS;
}

WinStatus GiveSecurityOf(const std::string& model, const std::string& target) {
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof administrators;
    if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size)) return GetLastError();
    std::wstring wideTarget = Wide(target);
    if (model.empty())
        return SetNamedSecurityInfoW(wideTarget.data(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, administrators,
                                     nullptr, nullptr, nullptr);
    LocalSecurity security;
    PACL rules = nullptr;
    DWORD status = GetNamedSecurityInfoW(Wide(model).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                         nullptr, &rules, nullptr, security.Receiver());
    if (status != ERROR_SUCCESS) return status;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (!GetSecurityDescriptorControl(security.Get(), &control, &revision)) return GetLastError();
    // Rules the model inherits are inherited again from the same folder;
    // a model that inherits nothing makes the copy inherit nothing either.
    const SECURITY_INFORMATION what = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                      ((control & SE_DACL_PROTECTED) ? PROTECTED_DACL_SECURITY_INFORMATION
                                                                      : UNPROTECTED_DACL_SECURITY_INFORMATION);
    return SetNamedSecurityInfoW(wideTarget.data(), SE_FILE_OBJECT, what, administrators, nullptr, rules, nullptr);
}

WinStatus OrdinaryUsersMayChange(const std::string& folder, bool& may) {
    may = false;
    LocalSecurity security;
    PACL rules = nullptr;
    const DWORD status = GetNamedSecurityInfoW(Wide(folder).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                               nullptr, nullptr, &rules, nullptr, security.Receiver());
    if (status != ERROR_SUCCESS) return status;
    if (rules == nullptr) {  // a NULL DACL grants everyone everything
        may = true;
        return ERROR_SUCCESS;
    }
    for (DWORD index = 0; index < rules->AceCount && !may; ++index) {
        void* entry = nullptr;
        if (!GetAce(rules, index, &entry)) continue;
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE)) continue;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        may = (allowed->Mask & kChangingRights) != 0 && IsOrdinaryUsers(&allowed->SidStart);
    }
    return ERROR_SUCCESS;
}

WinStatus FileRules(const std::string& path, AccessRules& rules) {
    rules = AccessRules{};
    LocalSecurity security;
    PACL dacl = nullptr;
    const DWORD status = GetNamedSecurityInfoW(Wide(path).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                               nullptr, &dacl, nullptr, security.Receiver());
    if (status != ERROR_SUCCESS) return status;
    rules.present = dacl != nullptr;
    for (DWORD index = 0; dacl != nullptr && index < dacl->AceCount; ++index) {
        void* entry = nullptr;
        if (!GetAce(dacl, index, &entry)) return GetLastError();
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        // Both kinds lay out header, mask and SID alike.
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE && header->AceType != ACCESS_DENIED_ACE_TYPE) continue;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        rules.rules.push_back({header->AceType == ACCESS_ALLOWED_ACE_TYPE, (header->AceFlags & INHERIT_ONLY_ACE) != 0,
                               allowed->Mask, SidText(&allowed->SidStart)});
    }
    return ERROR_SUCCESS;
}

}  // namespace pendrix
