// ListLockApi over a kernel mutex. The handle stays open for the life of
// the process: the mutex lives while any Pendrix process has it open.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <vector>

#include "common/unique_handle.h"
#include "common/wide_text.h"
#include "platform/account_name.h"
#include "platform/list_lock.h"

namespace pendrix {
namespace {

// Owner the administrators; full access for SYSTEM and the administrators
// only, nothing inherited: no other account may wait on it, hold it or
// change its rules.
constexpr wchar_t kMutexRules[] = L"O:BAD:P(A;;GA;;;SY)(A;;GA;;;BA)";
// What a process needs of a mutex another created: wait, release, and read
// its owner.
constexpr DWORD kOpenAccess = SYNCHRONIZE | MUTEX_MODIFY_STATE | READ_CONTROL;

// Memory LocalAlloc gave (a security descriptor, a SID text), freed once.
template <typename T>
struct LocalMemory {
    T value = nullptr;
    ~LocalMemory() {
        if (value != nullptr) LocalFree(value);
    }
};

LockOwner OwnerOf(HANDLE mutex) {
    LockOwner owner;
    LocalMemory<PSECURITY_DESCRIPTOR> security;
    PSID sid = nullptr;
    if (GetSecurityInfo(mutex, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &sid, nullptr, nullptr, nullptr,
                        &security.value) != ERROR_SUCCESS ||
        sid == nullptr)
        return owner;
    LocalMemory<LPWSTR> text;
    if (ConvertSidToStringSidW(sid, &text.value)) owner.sid = TextOfWide(text.value);
    owner.account = AccountNameOf(sid);
    return owner;
}

// Whether this process has the administrators' rights (elevated).
bool RunsAsAdministrator() {
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof administrators;
    BOOL member = FALSE;
    return CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) &&
           CheckTokenMembership(nullptr, administrators, &member) && member;
}

class Win32ListLock final : public ListLockApi {
public:
    WinStatus Open(LockOwner& owner) override {
        if (!mutex_) {
            const std::wstring name = WideText(kListMutexName);
            LocalMemory<PSECURITY_DESCRIPTOR> rules;
            if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kMutexRules, SDDL_REVISION_1, &rules.value,
                                                                      nullptr))
                return static_cast<WinStatus>(GetLastError());
            SECURITY_ATTRIBUTES attributes{sizeof attributes, rules.value, FALSE};
            // Not owned on creation: the wait takes it, whoever created it.
            // One that exists is opened instead, its rules kept.
            mutex_.Reset(CreateMutexW(&attributes, FALSE, name.c_str()));
            if (!mutex_) {
                const DWORD created = GetLastError();
                // CreateMutexW asks for every right; one whose rules grant
                // less may still be opened for what a wait needs.
                mutex_.Reset(OpenMutexW(kOpenAccess, FALSE, name.c_str()));
                if (!mutex_) {
                    const DWORD opened = GetLastError();
                    // Kept out because this process is no administrator, not
                    // by another account's rules.
                    if (opened == ERROR_ACCESS_DENIED && !RunsAsAdministrator()) return ERROR_INVALID_OWNER;
                    return static_cast<WinStatus>(opened == ERROR_FILE_NOT_FOUND ? created : opened);
                }
            }
            owner_ = OwnerOf(mutex_.Get());
        }
        owner = owner_;
        return ERROR_SUCCESS;
    }

    std::uint32_t Wait(std::uint32_t milliseconds, std::uint32_t& status) override {
        LockOwner owner;
        status = static_cast<std::uint32_t>(Open(owner));
        if (status != ERROR_SUCCESS) return kWaitFailed;
        const DWORD waited = WaitForSingleObject(mutex_.Get(), milliseconds);
        if (waited == WAIT_FAILED) status = GetLastError();
        return waited;
    }

    void Release() override { ReleaseMutex(mutex_.Get()); }

private:
    UniqueKernelHandle mutex_;
    LockOwner owner_;
};

}  // namespace

ListLockApi& SystemListLock() {
    static Win32ListLock lock;
    return lock;
}

}  // namespace pendrix
