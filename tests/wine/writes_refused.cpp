#include "tests/wine/writes_refused.h"

namespace pendrix::wine {

WritesRefused::WritesRefused(HKEY key) : key_(key) {
    GetSecurityInfo(key_, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, &original_, nullptr,
                    &descriptor_);
    EXPLICIT_ACCESS_W deny{};
    deny.grfAccessPermissions = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | DELETE;
    deny.grfAccessMode = DENY_ACCESS;
    deny.Trustee.TrusteeForm = TRUSTEE_IS_NAME;
    deny.Trustee.ptstrName = const_cast<wchar_t*>(L"Everyone");
    PACL denied = nullptr;
    SetEntriesInAclW(1, &deny, original_, &denied);
    active_ = SetSecurityInfo(key_, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                              nullptr, nullptr, denied, nullptr) == ERROR_SUCCESS;
    LocalFree(denied);
}

WritesRefused::~WritesRefused() {
    SetSecurityInfo(key_, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, original_, nullptr);
    LocalFree(descriptor_);
}

}  // namespace pendrix::wine
