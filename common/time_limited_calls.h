// Calls that may never return, made one after another on a worker thread
// with a limit on the time each may take. Some Windows queries on a handle
// of another process wait for that process's own pending I/O on it, for
// ever; such a call cannot be cancelled, only left behind.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace pendrix {

namespace time_limited_calls_detail {

using Clock = std::chrono::steady_clock;

// What the caller and its workers share. It lives as long as any of them,
// so that a worker left behind never touches freed memory.
template <typename Result>
struct SharedRun {
    std::function<Result(std::size_t)> call;
    std::mutex mutex;
    std::condition_variable finished;
    std::vector<std::optional<Result>> results;
    std::size_t worker = 0;     // the number of the current worker; those before it are left behind
    std::size_t next = 0;       // the call the current worker is making, or makes next
    Clock::time_point started;  // when it began that call
    bool done = false;          // the current worker has made the last call
};

template <typename Result>
void Work(std::shared_ptr<SharedRun<Result>> run, std::size_t worker) {
    std::unique_lock<std::mutex> lock(run->mutex);
    while (run->worker == worker && run->next < run->results.size()) {
        const std::size_t index = run->next;
        run->started = Clock::now();
        lock.unlock();
        Result result = run->call(index);
        lock.lock();
        if (run->worker != worker) return;  // left behind: the result is no longer wanted
        run->results[index] = std::move(result);
        ++run->next;
    }
    if (run->worker != worker) return;
    run->done = true;
    run->finished.notify_all();
}

template <typename Result>
void StartWorker(const std::shared_ptr<SharedRun<Result>>& run) {
    run->started = Clock::now();
    std::thread(Work<Result>, run, run->worker).detach();
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

    std::unique_lock<std::mutex> lock(run->mutex);
    StartWorker(run);
    while (!run->done) {
        run->finished.wait_until(lock, run->started + limit);
        if (run->done || Clock::now() - run->started < limit) continue;
        // The current call is late: leave it behind and go on after it.
        ++run->worker;
        if (++run->next == count) break;
        StartWorker(run);
    }
    return std::move(run->results);
}

}  // namespace pendrix
