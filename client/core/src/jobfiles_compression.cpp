// Job compressions take turns: a scan that finds hundreds of jobs starts one
// thread per job (each job owns its thread and callers join it), but only a
// few may run gzip -9 at once, or they would all crawl and starve the rest of
// the machine. Turns are handed out in order of arrival, which is the order
// the queue sends in.
#include "jobfiles_compression.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <list>
#include <mutex>
#include <thread>

namespace zentcore::detail {

namespace {

// Nice value of a running packing (only this thread's; it ends with it).
constexpr int kBackgroundNice = 10;

// A counting gate whose waiters line up first come, first served.
class CompressionGate {
public:
    explicit CompressionGate(int slots) : slots_(slots) {}

    // Waits for a free slot; false (without a slot) once the thread is asked
    // to terminate while it waits.
    bool enter(const platform::Thread& thread) {
        std::unique_lock lock(mutex_);
        Waiter self{&thread, {}};
        const auto me = line_.insert(line_.end(), &self);
        for (;;) {
            if (thread.terminated()) {
                line_.erase(me);
                callNextLocked();
                return false;
            }
            if (active_ < slots_ && line_.front() == &self) {
                line_.pop_front();
                ++active_;
                callNextLocked();   // more slots may be free
                return true;
            }
            // terminate() itself cannot tell us: destroying a waiting thread
            // wakes it at once (wake()); a bare terminate() is noticed at the
            // next look.
            self.call.wait_for(lock, std::chrono::seconds(1));
        }
    }

    void leave() {
        std::lock_guard lock(mutex_);
        --active_;
        callNextLocked();
    }

    // Wakes the thread's waiter, if it waits, so it sees its terminate flag.
    void wake(const platform::Thread& thread) {
        std::lock_guard lock(mutex_);
        for (Waiter* w : line_)
            if (w->thread == &thread) w->call.notify_one();
    }

private:
    struct Waiter {
        const platform::Thread* thread;
        std::condition_variable call;
    };

    void callNextLocked() {
        if (active_ < slots_ && !line_.empty()) line_.front()->call.notify_one();
    }

    const int slots_;
    std::mutex mutex_;
    int active_ = 0;
    std::list<Waiter*> line_;
};

CompressionGate& gate() {
    static CompressionGate instance(compressionSlots());
    return instance;
}

class GatedCompression final : public encdec::EncCmpThread {
public:
    GatedCompression(const std::string& in, const std::string& out, std::int64_t inBytes)
        : EncCmpThread(true, encdec::ttCompress, in, out) {
        SetJobFileRules(inBytes);
        resume();
    }

    ~GatedCompression() override {
        terminate();
        gate().wake(*this);
        waitFor();
    }

protected:
    void execute() override {
        if (!gate().enter(*this)) {
            // Stopped before its turn: the conversion sees the flag at once,
            // records why it did not finish and writes nothing.
            EncCmpThread::execute();
            return;
        }
        struct Turn {
            ~Turn() { gate().leave(); }
        } turn;
        // Background work: the window and the scan that started it come first.
        ::setpriority(PRIO_PROCESS, ::gettid(), kBackgroundNice);
        EncCmpThread::execute();
    }
};

}  // namespace

int compressionSlots() {
    return std::max(2, int(std::thread::hardware_concurrency()));
}

std::unique_ptr<encdec::EncCmpThread> StartJobCompression(const std::string& dataFile, const std::string& packedFile,
                                                          std::int64_t dataBytes) {
    auto thread = std::make_unique<GatedCompression>(dataFile, packedFile, dataBytes);
    // A thread that could not start is recorded, not thrown.
    if (thread->fatalException()) return nullptr;
    return thread;
}

}  // namespace zentcore::detail
