#include "app/workerpool.h"

#include <algorithm>

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
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    for (std::thread &thread : m_threads)
        thread.join();
}

void WorkerPool::run(std::size_t count, const std::function<void(std::size_t)> &work)
{
    if (m_threads.empty() || count < 2) {
        for (std::size_t i = 0; i < count; ++i)
            work(i);
        return;
    }
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_work = &work;
        m_count = count;
        m_next.store(0, std::memory_order_relaxed);
        m_busyHelpers = int(m_threads.size());
        ++m_generation;
    }
    m_wake.notify_all();
    takeWork();
    std::unique_lock<std::mutex> lock(m_mutex);
    m_done.wait(lock, [this] { return m_busyHelpers == 0; });
    m_work = nullptr;
}

void WorkerPool::takeWork()
{
    for (std::size_t i = m_next.fetch_add(1); i < m_count; i = m_next.fetch_add(1))
        (*m_work)(i);
}

void WorkerPool::helperLoop()
{
    unsigned seen = 0;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [&] { return m_stopping || m_generation != seen; });
            if (m_stopping)
                return;
            seen = m_generation;
        }
        takeWork();
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            --m_busyHelpers;
        }
        m_done.notify_one();
    }
}
