// A worker thread with the semantics the system relies on: the body runs once
// (at construction unless created suspended), a terminate flag the body polls,
// waitFor, and a destructor that asks the body to stop and waits for it.
// Nothing is ever detached.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace platform {

class Thread {
public:
    explicit Thread(bool createSuspended);
    virtual ~Thread();   // terminate(), then waitFor()
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Starts a suspended thread; no effect once started.
    void resume();
    // Asks the body to stop; the body decides when (it polls terminated()).
    void terminate() { terminated_.store(true); }
    bool terminated() const { return terminated_.load(); }
    // Blocks until the body has ended (returns at once when it never started).
    void waitFor();
    // Waits at most the given time; true when the body has ended.
    bool waitFor(int milliseconds);
    bool running() const;

protected:
    // The body. Derived classes whose members are set up in their own
    // constructor must create the thread suspended and resume() at the end of
    // that constructor, or have the body wait for a ready flag, so the body
    // never sees a half-built object. Derived destructors must call waitFor()
    // first for the same reason.
    virtual void execute() = 0;

private:
    void run();

    std::atomic<bool> terminated_{false};
    mutable std::mutex mutex_;
    std::condition_variable done_;
    bool started_ = false;
    bool ended_ = false;
    std::thread thread_;
};

}  // namespace platform
