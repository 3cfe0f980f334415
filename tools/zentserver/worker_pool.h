// The threads that handle complete requests (unpacking, the command, storing
// a job): at most a fixed number at once, started as work arrives and kept
// for the next request. Tasks beyond that wait their turn in arrival order.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace zentserver {

class WorkerPool {
public:
    explicit WorkerPool(int limit);
    ~WorkerPool();   // runs every task still queued, then joins the threads
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // Queues the task. Raises std::system_error when no thread exists and
    // none can be started (the task is then not queued).
    void post(std::function<void()> task);

private:
    void work();

    const std::size_t limit_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> tasks_;
    std::vector<std::thread> threads_;
    std::size_t idle_ = 0;
    bool ending_ = false;
};

}  // namespace zentserver
