// One request to a print server and its answer, on a worker thread of its own:
// TClientThread carries the exchange, Communicate runs one and waits for it
// while the user interface keeps pumping its messages.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include <zcodec/commheader.h>
#include <zcodec/utilities.h>
#include <zplatform/messaging.h>
#include <zplatform/thread.h>

namespace encdec {

constexpr int kDefaultServerPort = 20202;

// Largest answer payload accepted (64 MiB). A header announcing more counts
// as no answer (kErrNoAnswer); nothing is allocated for it.
constexpr std::int32_t kMaxAnswerSize = 64 * 1024 * 1024;

class MyClientThreadCode;

class TClientThread : public platform::Thread {
public:
    // Stores the arguments, works out host and port from the address and sets
    // Ready last. Not suspended: the exchange starts at once. owner is the
    // window told with WM_APP when the exchange has ended (0: none).
    TClientThread(bool suspended, const std::string& command, const std::string& data, const std::string& address,
                  platform::WindowHandle owner, TransportType transport, std::int32_t session, std::uint32_t delay,
                  const std::string& answerFile);
    // Asks the body to stop and waits for it before anything is released.
    ~TClientThread() override;

    // The answer's text split into lines (CR and LF; empty lines dropped).
    void GetAnswerAsStrings(StringList& list) const;
    // The answer's bytes followed by one zero byte; null without an answer.
    const std::uint8_t* GetAnswerAsPointer() const;
    // Number of answer bytes at GetAnswerAsPointer() (the zero byte not counted).
    std::int64_t GetAnswerLength() const;
    // The answer header's error text; empty without an exchange. After a
    // PRFILE whose CONFIRM failed: why the delivery was not confirmed.
    std::string GetErrorMsg() const;
    // Sleeps for DelayMs (in short steps, so a termination request ends it).
    void Delay();

    // Results: read them once Finished is set.
    std::int32_t ReturnValue = 0;
    std::int32_t ErrorCode = 0;
    std::uint32_t DelayMs = 0;
    platform::WindowHandle Handle = 0;
    std::atomic<bool> Finished{false};
    // The request's bytes handed to the socket so far and in all (0 until
    // the request is made), for a progress display on another thread.
    std::atomic<std::int64_t> RequestBytesSent{0};
    std::atomic<std::int64_t> RequestBytes{0};
    std::atomic<bool> Ready{false};
    std::unique_ptr<MyClientThreadCode> Code;
    std::string Command;
    std::string Data;
    std::string Address;
    std::string AnswerFile;
    TransportType Transport = ttNone;
    std::string Host;
    std::int32_t Port = kDefaultServerPort;
    std::int32_t Session = 0;

protected:
    void execute() override;

private:
    // The follow-up exchange of a PRFILE is built on the worker thread; it
    // inherits the time-out scale instead of reading the environment there.
    TClientThread(bool suspended, const std::string& command, const std::string& data, const std::string& address,
                  platform::WindowHandle owner, TransportType transport, std::int32_t session, std::uint32_t delay,
                  const std::string& answerFile, double timeoutScale);
    void confirmDelivery();

    double timeoutScale_ = 1.0;
    std::string confirmFailure_;

    friend class MyClientThreadCode;
};

// Runs one exchange and waits for it (at most 900000 ms), letting the user
// interface process its messages meanwhile. Returns the finished thread, which
// holds the answer, or null when it did not finish in time or could not be
// started; result receives the return value, error code and error text.
std::unique_ptr<TClientThread> Communicate(const std::string& command, const std::string& data,
                                           const std::string& address, platform::WindowHandle owner,
                                           TCommResult& result, TransportType transport, std::int32_t session,
                                           std::uint32_t delay, const std::string& answerFile);

}  // namespace encdec
