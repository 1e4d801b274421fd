#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// A few threads that help the calling thread through a numbered list of independent
// pieces of work. The threads live as long as the pool, so handing out many small
// lists costs no thread start each.
class WorkerPool
{
public:
    // Helpers for every core but the caller's, at most `maxHelpers`.
    explicit WorkerPool(int maxHelpers);
    ~WorkerPool();
    WorkerPool(const WorkerPool &) = delete;
    WorkerPool &operator=(const WorkerPool &) = delete;

    // Calls work(i) once for every i below count, on the calling thread and the helpers,
    // and returns when all calls have returned. Calls for different i may run at once.
    void run(std::size_t count, const std::function<void(std::size_t)> &work);

    int helperCount() const { return int(m_threads.size()); }

private:
    void helperLoop();
    void takeWork();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    const std::function<void(std::size_t)> *m_work = nullptr;
    std::size_t m_count = 0;
    std::atomic<std::size_t> m_next{0};
    unsigned m_generation = 0;
    int m_busyHelpers = 0;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};
