// ListLockApi over a kernel mutex. The handle stays open for the life of
// the process: the mutex lives while any Pendrix process has it open.
#include <windows.h>

#include "common/unique_handle.h"
#include "common/wide_text.h"
#include "platform/list_lock.h"

namespace pendrix {
namespace {

class Win32ListLock final : public ListLockApi {
public:
    std::uint32_t Wait(std::uint32_t milliseconds, std::uint32_t& status) override {
        status = ERROR_SUCCESS;
        if (!mutex_) {
            const std::wstring name = WideText(kListMutexName);
            // Not owned on creation: the wait below takes it, whoever created it.
            mutex_.Reset(CreateMutexW(nullptr, FALSE, name.c_str()));
            // Without the right to create in the global namespace, one that
            // an elevated process created may still be opened.
            if (!mutex_) mutex_.Reset(OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name.c_str()));
            if (!mutex_) {
                status = GetLastError();
                return kWaitFailed;
            }
        }
        const DWORD waited = WaitForSingleObject(mutex_.Get(), milliseconds);
        if (waited == WAIT_FAILED) status = GetLastError();
        return waited;
    }

    void Release() override { ReleaseMutex(mutex_.Get()); }

private:
    UniqueKernelHandle mutex_;
};

}  // namespace

ListLockApi& SystemListLock() {
    static Win32ListLock lock;
    return lock;
}

}  // namespace pendrix
