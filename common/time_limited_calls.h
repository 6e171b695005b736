// Calls that may never return, made one after another on a worker thread
// with a limit on the time each may take. Some Windows queries on a handle
// of another process wait for that process's own pending I/O on it, for
// ever; such a call cannot be cancelled, only left behind.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "common/threads.h"

namespace pendrix {

namespace time_limited_calls_detail {

// What the caller and its workers share. It lives as long as any of them,
// so that a worker left behind never touches freed memory.
template <typename Result>
struct SharedRun {
    std::function<Result(std::size_t)> call;
    Monitor monitor;
    std::vector<std::optional<Result>> results;
    std::size_t worker = 0;     // the number of the current worker; those before it are left behind
    std::size_t next = 0;       // the call the current worker is making, or makes next
    std::uint64_t started = 0;  // when it began that call (SteadyMilliseconds)
    bool done = false;          // the current worker has made the last call
};

template <typename Result>
void Work(const std::shared_ptr<SharedRun<Result>>& run, std::size_t worker) {
    Monitor::Hold hold(run->monitor);
    while (run->worker == worker && run->next < run->results.size()) {
        const std::size_t index = run->next;
        run->started = SteadyMilliseconds();
        hold.Release();
        Result result = run->call(index);
        hold.Retake();
        if (run->worker != worker) return;  // left behind: the result is no longer wanted
        run->results[index] = std::move(result);
        ++run->next;
    }
    if (run->worker != worker) return;
    run->done = true;
    run->monitor.NotifyAll();
}

// Called with the monitor held; lets go of it while the thread starts (when
// none can be started, the worker runs on this thread, to the end).
template <typename Result>
void StartWorker(const std::shared_ptr<SharedRun<Result>>& run, Monitor::Hold& hold) {
    run->started = SteadyMilliseconds();
    const std::size_t worker = run->worker;
    hold.Release();
    StartDetachedThread([run, worker] { Work<Result>(run, worker); });
    hold.Retake();
}

}  // namespace time_limited_calls_detail

// call(0), call(1), ... call(count - 1), in order, on a worker thread. A
// call that takes longer than limit is left behind: its result is nothing,
// its worker is never waited for, and a new worker goes on with the next
// call. call is kept alive by every worker, and one left behind may still
// run it after this function has returned: it must refer to nothing that
// ends with the caller (capture shared state by shared_ptr). It must not
// throw.
template <typename Result>
std::vector<std::optional<Result>> CallEachWithinLimit(std::size_t count, std::chrono::milliseconds limit,
                                                       std::function<Result(std::size_t)> call) {
    using namespace time_limited_calls_detail;
    if (count == 0) return {};
    const auto run = std::make_shared<SharedRun<Result>>();
    run->call = std::move(call);
    run->results.resize(count);
    const auto limitMs = static_cast<std::uint64_t>(limit.count());

    Monitor::Hold hold(run->monitor);
    StartWorker(run, hold);
    while (!run->done) {
        const std::uint64_t elapsed = SteadyMilliseconds() - run->started;
        if (elapsed < limitMs) {
            hold.Wait(limitMs - elapsed);
            continue;
        }
        // The current call is late: leave it behind and go on after it.
        ++run->worker;
        if (++run->next == count) break;
        StartWorker(run, hold);
    }
    return std::move(run->results);
}

}  // namespace pendrix
