// A worker thread with the semantics the system relies on: the body runs once
// on its own thread, a terminate flag the body polls, waitFor, and a
// destructor that asks the body to stop and waits for it. Nothing is ever
// detached.
#pragma once

#include <atomic>
#include <exception>
#include <memory>
#include <thread>

namespace platform {

namespace detail {
struct ThreadState;
}

class Thread {
public:
    // A thread created suspended starts on resume(); one created running
    // starts when the most-derived constructor calls afterConstruction().
    explicit Thread(bool createSuspended);
    // terminate(), then wait for the body. When the body itself destroys its
    // thread object (free on terminate), nothing can wait: the thread is
    // handed to a reaper that joins it once the body has returned, and the
    // body must not touch the object afterwards.
    virtual ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Starts the body; no effect once started.
    void resume();
    // Asks the body to stop; the body decides when (it polls terminated()).
    void terminate() { terminated_.store(true); }
    bool terminated() const { return terminated_.load(); }
    // Blocks until the body has ended; returns at once when it never started,
    // or when called from the body itself (it cannot wait for itself).
    void waitFor();
    // Waits at most the given time (a resume meanwhile counts); true when the
    // body has ended. False at once when called from the body itself.
    bool waitFor(int milliseconds);
    bool running() const;
    // What escaped the body (the thread then ended), or what kept the thread
    // from starting; empty otherwise.
    std::exception_ptr fatalException() const;

protected:
    // The last statement of the most-derived constructor: starts the body
    // unless the thread was created suspended. The base constructor cannot do
    // it: the body would call execute() on an object still being built.
    void afterConstruction();

    // The body. Derived classes whose body uses their own members must call
    // terminate() and waitFor() first thing in their destructor, so the body
    // never sees a half-destroyed object.
    virtual void execute() = 0;

private:
    using State = detail::ThreadState;
    static void run(Thread* self, std::shared_ptr<State> state);
    bool onOwnThread() const;

    const bool createSuspended_;
    std::atomic<bool> terminated_{false};
    std::shared_ptr<State> state_;   // shared with the body, which may outlive *this
    std::thread thread_;             // guarded by state_->mutex
};

}  // namespace platform
