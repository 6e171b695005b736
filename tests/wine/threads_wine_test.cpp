// The thread tools on Windows' own threads, locks and condition variables:
// a joined thread has run on another thread when it is joined, and a call
// that does not return within its limit is left behind while the others
// answer (the same table runs natively over the standard library's).
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

#include "common/threads.h"
#include "common/time_limited_calls.h"

namespace pendrix {
namespace {

TEST(WindowsThreads, AJoinedThreadHasRunOnAnotherThreadWhenJoined) {
    DWORD ranOn = 0;
    {
        const JoinedThread thread([&ranOn] {
            Sleep(50);  // the join waits for it
            ranOn = GetCurrentThreadId();
        });
    }
    EXPECT_NE(ranOn, 0u);
    EXPECT_NE(ranOn, GetCurrentThreadId());
}

// A call that waits on an event until released.
struct LateCall {
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> returned{false};
    ~LateCall() { CloseHandle(release); }
    void Wait() {
        WaitForSingleObject(release, INFINITE);
        returned.store(true);
    }
    // Releases it and waits, with a deadline, until it has returned.
    bool ReleaseAndJoin() {
        SetEvent(release);
        const ULONGLONG deadline = GetTickCount64() + 30000;
        while (!returned.load() && GetTickCount64() < deadline) Sleep(1);
        return returned.load();
    }
};

TEST(WindowsThreads, ALateCallIsLeftBehindAndTheRestAnswer) {
    const auto late = std::make_shared<LateCall>();
    const std::vector<std::optional<int>> results =
        CallEachWithinLimit<int>(5, std::chrono::milliseconds(200), [late](std::size_t i) {
            if (i == 1) late->Wait();
            return static_cast<int>(i * 10);
        });
    EXPECT_EQ(results, (std::vector<std::optional<int>>{0, std::nullopt, 20, 30, 40}));
    EXPECT_TRUE(late->ReleaseAndJoin());
}

}  // namespace
}  // namespace pendrix
