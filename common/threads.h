// The few thread tools the programs need: a thread that runs one function
// and is joined, or left to end on its own; a lock with a condition to wait
// on for a limited time; a clock that only goes forward. On Windows they are
// the system's own (CreateThread, slim reader/writer locks, condition
// variables, GetTickCount64): the C++ library's thread machinery would bring
// a thread emulation and its error texts into every program. Elsewhere (the
// native tests) they are the standard library's.
#pragma once

#include <cstdint>
#include <functional>

#if defined(_WIN32)
#include <windows.h>
#else
#include <condition_variable>
#include <mutex>
#include <thread>
#endif

namespace pendrix {

// Milliseconds since some fixed moment; never goes back.
std::uint64_t SteadyMilliseconds();

// Runs work on a new thread that is never waited for. When no thread can be
// started, work runs on the caller's thread before this returns.
void StartDetachedThread(std::function<void()> work);

// Runs work on a new thread; the destructor waits for it to end. When no
// thread can be started, work runs on the caller's thread in the
// constructor.
class JoinedThread {
public:
    explicit JoinedThread(std::function<void()> work);
    ~JoinedThread();
    JoinedThread(const JoinedThread&) = delete;
    JoinedThread& operator=(const JoinedThread&) = delete;

private:
#if defined(_WIN32)
    HANDLE thread_ = nullptr;
#else
    std::thread thread_;
#endif
};

// A lock and a condition that those holding it wait on.
class Monitor {
public:
    Monitor() = default;
    Monitor(const Monitor&) = delete;
    Monitor& operator=(const Monitor&) = delete;

    // Holds the monitor's lock from construction to destruction, apart from
    // the waits.
    class Hold {
    public:
        explicit Hold(Monitor& monitor);
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
        // Lets go of the lock until Retake (the Hold must have it back
        // before it ends).
        void Release();
        void Retake();
        // Lets go of the lock until NotifyAll is called or milliseconds have
        // passed (or, rarely, for no reason: check what is waited for).
        void Wait(std::uint64_t milliseconds);

    private:
        Monitor& monitor_;
#if !defined(_WIN32)
        std::unique_lock<std::mutex> lock_;
#endif
    };

    // Wakes every waiter.
    void NotifyAll();

private:
#if defined(_WIN32)
    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE condition_ = CONDITION_VARIABLE_INIT;
#else
    std::mutex mutex_;
    std::condition_variable condition_;
#endif
};

}  // namespace pendrix
