#include <zplatform/thread.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <utility>
#include <vector>

namespace platform {

struct detail::ThreadState {
    std::mutex mutex;
    std::condition_variable done;
    bool started = false;
    bool ended = false;
    std::exception_ptr fatal;
};

namespace {

// The state of the body running on this thread, if any. Compared by address:
// the body keeps its state alive, so the address cannot be reused meanwhile.
thread_local const detail::ThreadState* currentBody = nullptr;

// Joins threads whose object was destroyed by their own body. Each is joined
// once its body has returned, at the next adopt() or thread start. Never
// destroyed, so exit neither waits for nor aborts on a body still running.
class Reaper {
public:
    void adopt(std::thread thread, std::shared_ptr<detail::ThreadState> state) {
        std::lock_guard lock(mutex_);
        sweepLocked();
        orphans_.push_back({std::move(thread), std::move(state)});
    }

    void sweep() {
        std::lock_guard lock(mutex_);
        sweepLocked();
    }

private:
    struct Orphan {
        std::thread thread;
        std::shared_ptr<detail::ThreadState> state;
    };

    void sweepLocked() {
        std::erase_if(orphans_, [](Orphan& o) {
            {
                std::lock_guard stateLock(o.state->mutex);
                if (!o.state->ended) return false;
            }
            o.thread.join();   // the body has returned: only the thread's exit is left
            return true;
        });
    }

    std::mutex mutex_;
    std::vector<Orphan> orphans_;
};

Reaper& reaper() {
    static Reaper* instance = new Reaper;   // deliberately never destroyed
    return *instance;
}

}  // namespace

Thread::Thread(bool createSuspended)
    : createSuspended_(createSuspended), state_(std::make_shared<State>()) {}

Thread::~Thread() {
    terminate();
    std::unique_lock lock(state_->mutex);
    if (!thread_.joinable()) return;
    if (onOwnThread()) {
        std::thread self = std::move(thread_);
        lock.unlock();
        reaper().adopt(std::move(self), state_);
        return;
    }
    lock.unlock();
    thread_.join();
}

void Thread::afterConstruction() {
    if (!createSuspended_) resume();
}

void Thread::resume() {
    reaper().sweep();
    std::lock_guard lock(state_->mutex);
    if (state_->started) return;
    state_->started = true;
    try {
        thread_ = std::thread(&Thread::run, this, state_);
    } catch (const std::system_error&) {
        // No thread to run on: report it as a body that ended at once.
        state_->ended = true;
        state_->fatal = std::current_exception();
        state_->done.notify_all();
    }
}

void Thread::run(Thread* self, std::shared_ptr<State> state) {
    currentBody = state.get();
    std::exception_ptr fatal;
    try {
        self->execute();
    } catch (...) {
        fatal = std::current_exception();
    }
    // From here on *self may be gone (the body may have destroyed it).
    std::lock_guard lock(state->mutex);
    state->ended = true;
    state->fatal = fatal;
    state->done.notify_all();
}

bool Thread::onOwnThread() const { return currentBody == state_.get(); }

void Thread::waitFor() {
    if (onOwnThread()) return;
    std::unique_lock lock(state_->mutex);
    state_->done.wait(lock, [this] { return !state_->started || state_->ended; });
}

bool Thread::waitFor(int milliseconds) {
    if (onOwnThread()) return false;
    std::unique_lock lock(state_->mutex);
    const auto timeout = std::chrono::milliseconds(milliseconds < 0 ? 0 : milliseconds);
    return state_->done.wait_for(lock, timeout, [this] { return state_->ended; });
}

bool Thread::running() const {
    std::lock_guard lock(state_->mutex);
    return state_->started && !state_->ended;
}

std::exception_ptr Thread::fatalException() const {
    std::lock_guard lock(state_->mutex);
    return state_->fatal;
}

}  // namespace platform
