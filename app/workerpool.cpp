#include "app/workerpool.h"

#include <algorithm>
#include <atomic>
#include <utility>

WorkerPool::WorkerPool(int maxHelpers)
{
    const int cores = int(std::thread::hardware_concurrency());
    const int helpers = std::clamp(cores - 1, 0, std::max(maxHelpers, 0));
    m_threads.reserve(std::size_t(helpers));
    for (int i = 0; i < helpers; ++i)
        m_threads.emplace_back([this] { helperLoop(); });
}

WorkerPool::~WorkerPool()
{
    try {
        wait();
    } catch (...) {
        // Whoever cared has asked wait() already.
    }
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    for (std::thread &thread : m_threads)
        thread.join();
}

void WorkerPool::post(std::function<void()> task)
{
    if (m_threads.empty()) {
        task();
        return;
    }
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.push_back(std::move(task));
    }
    m_wake.notify_one();
}

// Runs the next queued task, if any, with the lock released meanwhile.
bool WorkerPool::runOne(std::unique_lock<std::mutex> &lock)
{
    if (m_queue.empty())
        return false;
    std::function<void()> task = std::move(m_queue.front());
    m_queue.pop_front();
    ++m_running;
    lock.unlock();
    std::exception_ptr failure;
    try {
        task();
    } catch (...) {
        failure = std::current_exception();
    }
    lock.lock();
    if (failure && !m_failure)
        m_failure = failure;
    --m_running;
    m_idle.notify_all();   // for wait() and waitUntil()
    return true;
}

void WorkerPool::wait()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (runOne(lock)) {
    }
    m_idle.wait(lock, [this] { return m_queue.empty() && m_running == 0; });
    if (m_failure)
        std::rethrow_exception(std::exchange(m_failure, nullptr));
}

void WorkerPool::waitUntil(const std::function<bool()> &done)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!done()) {
        if (!runOne(lock))
            m_idle.wait(lock, [&] { return done() || !m_queue.empty(); });
    }
}

void WorkerPool::run(std::size_t count, const std::function<void(std::size_t)> &work)
{
    std::atomic<std::size_t> next{0};
    const auto share = [&] {
        for (std::size_t i = next.fetch_add(1); i < count; i = next.fetch_add(1))
            work(i);
    };
    const std::size_t helpers = std::min(m_threads.size(), count > 0 ? count - 1 : 0);
    for (std::size_t i = 0; i < helpers; ++i)
        post(share);
    share();
    wait();
}

void WorkerPool::helperLoop()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
        if (m_queue.empty())
            return;   // stopping, and nothing left
        runOne(lock);
    }
}
