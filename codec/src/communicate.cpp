#include <zcodec/clientthread.h>

#include <chrono>
#include <thread>

#include "clientthread_timeouts.h"

namespace encdec {

std::unique_ptr<TClientThread> Communicate(const std::string& command, const std::string& data,
                                           const std::string& address, platform::WindowHandle owner,
                                           TCommResult& result, TransportType transport, std::int32_t session,
                                           std::uint32_t delay, const std::string& answerFile) {
    result.Clear();
    const int limitMs = exchange::ScaledTimeouts(exchange::TimeoutScaleFromEnvironment()).communicateMs;
    std::unique_ptr<TClientThread> thread;
    try {
        thread = std::make_unique<TClientThread>(false, command, data, address, owner, transport, session, delay,
                                                 answerFile);
    } catch (...) {
        return nullptr;
    }
    // A thread the system could not start is recorded, not thrown; it would
    // never finish. Like an error while creating it: the cleared result.
    if (thread->fatalException()) return nullptr;
    for (int waited = 0; !thread->Finished.load() && waited < limitMs; waited += exchange::kStepMs) {
        platform::processPendingMessages();
        thread->waitFor(exchange::kStepMs);
    }
    if (thread->Finished.load()) {
        result.ReturnValue = thread->ReturnValue;
        result.ErrorCode = thread->ErrorCode;
        result.ErrorMsg = thread->GetErrorMsg();
        return thread;
    }
    result.ReturnValue = 0;
    result.ErrorCode = kErrNoAnswer;
    // Every wait of the exchange looks at the termination flag once per step,
    // so deleting the thread (which waits for its body) returns promptly.
    thread->terminate();
    std::this_thread::sleep_for(std::chrono::milliseconds(exchange::kStepMs));
    thread.reset();
    return nullptr;
}

}  // namespace encdec
