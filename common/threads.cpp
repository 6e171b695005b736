#include "common/threads.h"

#include <memory>
#include <utility>

#if !defined(_WIN32)
#include <chrono>
#endif

namespace pendrix {

#if defined(_WIN32)

namespace {

DWORD WINAPI RunWork(void* parameter) {
    const std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(parameter));
    (*work)();
    return 0;
}

// A new thread running work, or nothing (and work run here) when none
// could be started.
HANDLE StartThread(std::function<void()> work) {
    auto owned = std::make_unique<std::function<void()>>(std::move(work));
    HANDLE thread = CreateThread(nullptr, 0, RunWork, owned.get(), 0, nullptr);
    if (thread) {
        owned.release();  // the thread's now
        return thread;
    }
    (*owned)();
    return nullptr;
}

}  // namespace

std::uint64_t SteadyMilliseconds() { return GetTickCount64(); }

void StartDetachedThread(std::function<void()> work) {
    if (HANDLE thread = StartThread(std::move(work))) CloseHandle(thread);
}

JoinedThread::JoinedThread(std::function<void()> work) : thread_(StartThread(std::move(work))) {}

JoinedThread::~JoinedThread() {
    if (!thread_) return;
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
}

Monitor::Hold::Hold(Monitor& monitor) : monitor_(monitor) { AcquireSRWLockExclusive(&monitor_.lock_); }
Monitor::Hold::~Hold() { ReleaseSRWLockExclusive(&monitor_.lock_); }
void Monitor::Hold::Release() { ReleaseSRWLockExclusive(&monitor_.lock_); }
void Monitor::Hold::Retake() { AcquireSRWLockExclusive(&monitor_.lock_); }

void Monitor::Hold::Wait(std::uint64_t milliseconds) {
    const DWORD limit = milliseconds >= INFINITE ? INFINITE - 1 : static_cast<DWORD>(milliseconds);
    SleepConditionVariableSRW(&monitor_.condition_, &monitor_.lock_, limit, 0);
}

void Monitor::NotifyAll() { WakeAllConditionVariable(&condition_); }

#else

std::uint64_t SteadyMilliseconds() {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

void StartDetachedThread(std::function<void()> work) { std::thread(std::move(work)).detach(); }

JoinedThread::JoinedThread(std::function<void()> work) : thread_(std::move(work)) {}

JoinedThread::~JoinedThread() { thread_.join(); }

Monitor::Hold::Hold(Monitor& monitor) : monitor_(monitor), lock_(monitor.mutex_) {}
Monitor::Hold::~Hold() = default;
void Monitor::Hold::Release() { lock_.unlock(); }
void Monitor::Hold::Retake() { lock_.lock(); }

void Monitor::Hold::Wait(std::uint64_t milliseconds) {
    monitor_.condition_.wait_for(lock_, std::chrono::milliseconds(milliseconds));
}

void Monitor::NotifyAll() { condition_.notify_all(); }

#endif

}  // namespace pendrix
