#include "worker_pool.h"

#include <system_error>
#include <utility>

namespace zentserver {

WorkerPool::WorkerPool(int limit) : limit_(limit > 0 ? std::size_t(limit) : 1) {}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
    }
    wake_.notify_all();
    for (auto& t : threads_) t.join();
}

void WorkerPool::post(std::function<void()> task) {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
    if (idle_ >= tasks_.size() || threads_.size() >= limit_) {
        wake_.notify_one();
        return;
    }
    try {
        threads_.emplace_back([this] { work(); });
    } catch (const std::system_error&) {
        // The threads there are take it in turn; with none, nobody would.
        if (threads_.empty()) {
            tasks_.pop_back();
            throw;
        }
        wake_.notify_one();
    }
}

void WorkerPool::work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        ++idle_;
        wake_.wait(lock, [this] { return ending_ || !tasks_.empty(); });
        --idle_;
        if (tasks_.empty()) return;   // ending, and nothing left to do
        auto task = std::move(tasks_.front());
        tasks_.pop_front();
        lock.unlock();
        task();
        lock.lock();
    }
}

}  // namespace zentserver
