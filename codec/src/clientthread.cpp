#include <zcodec/clientthread.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "clientthread_code.h"
#include "clientthread_timeouts.h"

namespace encdec {

TClientThread::TClientThread(bool suspended, const std::string& command, const std::string& data,
                             const std::string& address, platform::WindowHandle owner, TransportType transport,
                             std::int32_t session, std::uint32_t delay, const std::string& answerFile)
    : TClientThread(suspended, command, data, address, owner, transport, session, delay, answerFile,
                    exchange::TimeoutScaleFromEnvironment()) {}

// The platform thread is always created suspended and resumed as the very last
// step, so the body can never run against a half-built object.
TClientThread::TClientThread(bool suspended, const std::string& command, const std::string& data,
                             const std::string& address, platform::WindowHandle owner, TransportType transport,
                             std::int32_t session, std::uint32_t delay, const std::string& answerFile,
                             double timeoutScale)
    : platform::Thread(true),
      DelayMs(delay),
      Handle(owner),
      Command(command),
      Data(data),
      Address(address),
      AnswerFile(answerFile),
      Transport(transport),
      Session(session),
      timeoutScale_(timeoutScale) {
    exchange::SplitServerAddress(Address, Host, Port);
    Ready.store(true);
    if (!suspended) resume();
}

TClientThread::~TClientThread() {
    dlog(ClientThreadLogFile(), "Entering ~TClientThread");
    terminate();
    waitFor();
    Code.reset();
    dlog(ClientThreadLogFile(), "Exiting ~TClientThread");
}

void TClientThread::execute() {
    while (!Ready.load()) {
        if (terminated()) {
            Finished.store(true);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ErrorCode = kErrNoAnswer;
    bool raised = false;
    try {
        Code = std::make_unique<MyClientThreadCode>(this, std::make_unique<exchange::ClientSocket>(Host, Port),
                                                    Command, Data, Transport, Session, AnswerFile);
        Code->Execute();
        ReturnValue = Code->Result();
        ErrorCode = Code->Error();
        if (Command == "PRFILE" && ReturnValue != 0) confirmDelivery();
    } catch (...) {
        raised = true;
        ReturnValue = 0;
        ErrorCode = kErrNoAnswer;
    }
    // The owner may delete this object as soon as Finished is seen; the
    // destructor waits for the body, but take what the message needs first.
    platform::WindowHandle window = Handle;
    std::int32_t value = ReturnValue;
    Finished.store(true);
    if (!raised && window != 0 && platform::isWindow(window))
        platform::postMessage(window, platform::WM_APP, reinterpret_cast<std::uintptr_t>(this), value);
}

void TClientThread::GetAnswerAsStrings(StringList& list) const {
    list.clear();
    if (!Code) return;
    try {
        split(Code->GetAnswer(), "\r\n", list);
    } catch (...) {
    }
}

const std::uint8_t* TClientThread::GetAnswerAsPointer() const {
    if (!Code || Code->AnswerLength() == 0) return nullptr;
    return Code->AnswerBuffer().data();
}

std::int64_t TClientThread::GetAnswerLength() const { return Code ? Code->AnswerLength() : 0; }

std::string TClientThread::GetErrorMsg() const {
    if (!confirmFailure_.empty()) return confirmFailure_;
    return Code ? Code->ErrorText() : std::string();
}

void TClientThread::Delay() {
    for (std::uint32_t left = DelayMs; left > 0 && !terminated();) {
        std::uint32_t step = std::min<std::uint32_t>(left, exchange::kStepMs);
        std::this_thread::sleep_for(std::chrono::milliseconds(step));
        left -= step;
    }
}

}  // namespace encdec
