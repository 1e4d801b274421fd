#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// A few threads that take work off the calling thread. They live as long as the pool,
// so handing out many small pieces of work costs no thread start each.
class WorkerPool
{
public:
    // Helpers for every core but the caller's, at most `maxHelpers`.
    explicit WorkerPool(int maxHelpers);
    // Finishes the queued work first.
    ~WorkerPool();
    WorkerPool(const WorkerPool &) = delete;
    WorkerPool &operator=(const WorkerPool &) = delete;

    // Queues a task for the helpers; without helpers it runs at once.
    void post(std::function<void()> task);
    // Returns when every task posted so far has run; meanwhile the calling thread takes
    // queued tasks too. Rethrows the first exception that escaped a task.
    void wait();
    // Returns when `done` is true, asked after each task ends; meanwhile the calling
    // thread takes queued tasks too.
    void waitUntil(const std::function<bool()> &done);
    // Calls work(i) once for every i below count, on the calling thread and the helpers,
    // and returns when all calls (and all earlier tasks) have returned. Calls for
    // different i may run at once.
    void run(std::size_t count, const std::function<void(std::size_t)> &work);

    int helperCount() const { return int(m_threads.size()); }

private:
    void helperLoop();
    bool runOne(std::unique_lock<std::mutex> &lock);

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<std::function<void()>> m_queue;
    std::exception_ptr m_failure;
    int m_running = 0;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};
