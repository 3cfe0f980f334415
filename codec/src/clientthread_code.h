// The protocol work of one exchange, done on the TClientThread's body.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <zcodec/clientthread.h>
#include <zcodec/commheader.h>
#include <zcodec/streams.h>

#include "clientsocket.h"
#include "clientthread_timeouts.h"

namespace encdec {

class BaseThread;

namespace exchange {

// Host and port of a server address "host[:port]"; the port is 20202 when it
// is missing or not a port number.
void SplitServerAddress(const std::string& address, std::string& host, std::int32_t& port);

// Deletes a temporary file when it goes out of scope, unless released.
class TempFileGuard {
public:
    explicit TempFileGuard(std::string path = {}) : path_(std::move(path)) {}
    ~TempFileGuard() { remove(); }
    TempFileGuard(const TempFileGuard&) = delete;
    TempFileGuard& operator=(const TempFileGuard&) = delete;
    void remove() {
        if (!path_.empty()) std::remove(path_.c_str());
        path_.clear();
    }
    std::string release() { return std::exchange(path_, {}); }

private:
    std::string path_;
};

}  // namespace exchange

class MyClientThreadCode {
public:
    MyClientThreadCode(TClientThread* thread, std::unique_ptr<exchange::ClientSocket> socket, const std::string& command,
                       const std::string& data, TransportType transport, std::int32_t session,
                       const std::string& answerFile);
    ~MyClientThreadCode();
    MyClientThreadCode(const MyClientThreadCode&) = delete;
    MyClientThreadCode& operator=(const MyClientThreadCode&) = delete;

    // One request and its answer; the results are left in the members below.
    void Execute();
    // The packed request payload, rewound and holding exactly what is sent;
    // null when nothing may be sent (ErrorCode says why). tempFile receives
    // the name of a file to delete once the payload has been sent.
    std::unique_ptr<Stream> PreProcessCommand(std::string& tempFile);
    // The return value of the answer now in the buffer; writes the answer file.
    std::int32_t ProcessAnswer();
    // The answer text up to its first zero byte.
    std::string GetAnswer() const;
    bool WaitForConnection();
    bool WaitForData(int minutes);
    void Terminate();
    bool GetTerminated() const;
    void ClearAnswer();

    const std::vector<std::uint8_t>& AnswerBuffer() const { return Answer; }
    std::int64_t AnswerLength() const { return AnswerLen; }
    const std::string& ErrorText() const { return AckErrMsg; }
    std::int32_t Result() const { return ReturnValue; }
    std::int32_t Error() const { return ErrorCode; }

private:
    // wireReady: the payload is already in its wire form and is not packed.
    std::unique_ptr<Stream> buildPayload(std::string& tempFile, bool& wireReady);
    std::unique_ptr<Stream> buildJobPackage(std::string& tempFile, bool& wireReady);
    std::unique_ptr<Stream> packPayload(Stream& payload, std::string& tempFile);
    bool sendRequest(Stream& payload);
    // Reads the answer header and payload; true when an answer is in the buffer.
    bool receiveAnswer();
    bool unpackAnswer(TransportType type);
    // Runs a pipeline thread to its end, passing on a termination request.
    bool finishPipeline(BaseThread& worker);
    void writeAnswerFile(std::size_t from) const;
    exchange::StopRequested stopRequested() const;

    TClientThread* Thread;
    std::unique_ptr<exchange::ClientSocket> Socket;
    std::string Command;
    std::string Data;
    std::string AnswerText;
    std::string AckErrMsg;
    std::string AnswerFile;
    TransportType Transport;
    std::int32_t UncSize = 0;
    std::int32_t ErrorCode = 0;
    bool Finished = false;
    std::int64_t AnswerLen = 0;
    std::vector<std::uint8_t> Answer;   // the answer's bytes and one zero byte
    std::int32_t Session;
    std::int32_t ReturnValue = 0;
    double Scale;
    exchange::Timeouts Limits;
};

}  // namespace encdec
