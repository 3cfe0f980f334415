// One request and one answer over one connection.
#include <zcodec/pipeline.h>
#include <zcodec/utilities.h>

#include <algorithm>
#include <ctime>

#include "clientthread_code.h"
#include "clientthread_jobstream.h"

namespace encdec {

namespace {

constexpr std::size_t kChunk = 1 << 20;
// sendfile() pieces: large enough to cost nothing, small enough to show progress.
constexpr std::int64_t kFilePiece = 4 << 20;

}  // namespace

MyClientThreadCode::MyClientThreadCode(TClientThread* thread, std::unique_ptr<exchange::ClientSocket> socket,
                                       const std::string& command, const std::string& data, TransportType transport,
                                       std::int32_t session, const std::string& answerFile)
    : Thread(thread),
      Socket(std::move(socket)),
      Command(command),
      Data(data),
      AnswerFile(answerFile),
      Transport(transport),
      Session(session),
      Scale(thread->timeoutScale_),
      Limits(exchange::ScaledTimeouts(thread->timeoutScale_)) {}

MyClientThreadCode::~MyClientThreadCode() = default;

void MyClientThreadCode::Execute() {
    Finished = false;
    ReturnValue = 0;
    bool answered = false;
    std::string sentFile;
    std::unique_ptr<Stream> payload = PreProcessCommand(sentFile);
    // Deleted on every path, not only after a successful send.
    exchange::TempFileGuard packedFile(sentFile);
    if (payload) {
        if (GetTerminated()) {
            ErrorCode = kErrNoAnswer;
        } else if (!Socket->Open() || !WaitForConnection()) {
            ErrorCode = kErrNoAnswer;
            dlog(ClientThreadLogFile(), Command + ": no connection to " + Socket->host() + ":" +
                                            std::to_string(Socket->port()));
        } else if (!sendRequest(*payload)) {
            // A payload made while sending can fail after the header went out;
            // that is a request not prepared, not a server that did not answer.
            if (ErrorCode != kErrNotPrepared) ErrorCode = kErrNoAnswer;
            dlog(ClientThreadLogFile(), Command + ": the request could not be sent");
        } else {
            payload.reset();
            packedFile.remove();
            if (WaitForData(15)) {
                answered = receiveAnswer();
                Thread->Delay();
            } else {
                ErrorCode = kErrNoAnswer;
                dlog(ClientThreadLogFile(), Command + ": no answer in time");
            }
        }
    }
    if (!answered) ClearAnswer();
    dlog(ClientThreadLogFile(), Command + " finished with ReturnValue=" + std::to_string(ReturnValue));
    payload.reset();
    Socket->Close();
    Finished = true;
}

bool MyClientThreadCode::WaitForConnection() {
    for (int step = 0; step < Limits.connectSteps; ++step) {
        if (GetTerminated()) return false;
        switch (Socket->PollConnected(exchange::kStepMs)) {
        case exchange::ClientSocket::State::Connected: return true;
        case exchange::ClientSocket::State::Failed: return false;
        case exchange::ClientSocket::State::Pending: break;
        }
    }
    return false;
}

bool MyClientThreadCode::WaitForData(int minutes) {
    const int limitMs = std::max(exchange::kStepMs, int(minutes * 60000.0 * Scale));
    return Socket->WaitReadable(limitMs, stopRequested());
}

void MyClientThreadCode::Terminate() { Thread->terminate(); }

bool MyClientThreadCode::GetTerminated() const { return Thread->terminated(); }

exchange::StopRequested MyClientThreadCode::stopRequested() const {
    return [this] { return GetTerminated(); };
}

bool MyClientThreadCode::sendRequest(Stream& payload) {
    TCommHeader header;
    header.SetEnccmp(Transport);
    header.SetVersion(kProtocolVersion);
    header.SetSize(std::int32_t(payload.size()));
    header.SetUncSize(Transport == ttCompress || Transport == ttCompressEncrypt ? UncSize : 0);
    header.SetTime(std::int32_t(std::time(nullptr)));
    header.SetSession(Session);
    header.SetCommand(Command);
    auto stop = stopRequested();
    std::atomic<std::int64_t> unused{0};
    std::atomic<std::int64_t>& sent = Thread ? Thread->RequestBytesSent : unused;
    sent = 0;
    if (Thread) Thread->RequestBytes = kCommHeaderSize + payload.size();
    auto write = [&](const void* bytes, std::size_t n) {
        if (!Socket->WriteAll(bytes, n, Limits.dataMs, stop)) return false;
        sent += std::int64_t(n);
        return true;
    };
    if (!write(header.GetData(), kCommHeaderSize)) return false;

    // A packed file goes from the page cache straight to the socket, a
    // piece at a time so that its progress shows.
    if (auto* file = dynamic_cast<FileStream*>(&payload)) {
        for (std::int64_t at = 0; at < payload.size();) {
            const std::int64_t n = std::min<std::int64_t>(payload.size() - at, kFilePiece);
            if (!Socket->SendFile(file->fd(), at, n, Limits.dataMs, stop)) return false;
            at += n;
            sent += n;
        }
        return true;
    }

    // A job request is made piece by piece as the socket takes it.
    if (auto* job = dynamic_cast<exchange::JobRequestStream*>(&payload)) {
        try {
            for (auto bytes = job->next(); !bytes.empty(); bytes = job->next())
                if (!write(bytes.data(), bytes.size())) return false;
        } catch (const std::exception& e) {
            ErrorCode = kErrNotPrepared;
            dlog(ClientThreadLogFile(), Command + ": request not prepared: " + e.what());
            return false;
        }
        return true;
    }

    payload.rewind();
    std::vector<std::uint8_t> chunk(std::size_t(std::min<std::int64_t>(payload.size(), kChunk)));
    for (std::int64_t left = payload.size(); left > 0;) {
        std::size_t want = std::size_t(std::min<std::int64_t>(left, std::int64_t(chunk.size())));
        payload.readExactly(chunk.data(), want);
        if (!write(chunk.data(), want)) return false;
        left -= std::int64_t(want);
    }
    return true;
}

bool MyClientThreadCode::receiveAnswer() {
    auto stop = stopRequested();
    std::uint8_t raw[kCommHeaderSize];
    if (!Socket->ReadExactly(raw, sizeof raw, Limits.dataMs, stop)) {
        ErrorCode = kErrNoAnswer;
        dlog(ClientThreadLogFile(), Command + ": the answer header did not arrive");
        return false;
    }
    // The length field counts the header too; one no longer than the header
    // (a header built from nothing says 0) announces no payload, and the
    // server's error code and text still count. One beyond the limit is not
    // an answer we can trust: nothing is allocated for it.
    TCommHeader header(raw, kCommHeaderSize);
    if (header.Size > kMaxAnswerSize) {
        ErrorCode = kErrNoAnswer;
        dlog(ClientThreadLogFile(), Command + ": answer refused, it announces " + std::to_string(header.Size) +
                                        " bytes");
        return false;
    }
    ErrorCode = header.AckError;
    AckErrMsg = header.AckErrMsg;
    const std::size_t n = std::size_t(header.Size);
    if (n == 0) return false;

    dlog(ClientThreadLogFile(), "Command completed! Waiting for answer");
    // One allocation (the size is within the limit), room for the zero byte;
    // the buffer is filled as the bytes arrive.
    std::vector<std::uint8_t> bytes;
    bytes.reserve(n + 1);
    while (bytes.size() < n) {
        std::size_t at = bytes.size();
        bytes.resize(at + std::min(kChunk, n - at));
        if (!Socket->ReadExactly(bytes.data() + at, bytes.size() - at, Limits.dataMs, stop)) {
            ErrorCode = kErrNoAnswer;
            AckErrMsg.clear();
            dlog(ClientThreadLogFile(), Command + ": the answer ended after " + std::to_string(at) + " of " +
                                            std::to_string(n) + " bytes");
            return false;
        }
    }
    Answer = std::move(bytes);
    if (header.Enccmp != ttNone && !unpackAnswer(header.Enccmp)) {
        ErrorCode = kErrNoAnswer;
        AckErrMsg.clear();
        dlog(ClientThreadLogFile(), Command + ": the answer could not be unpacked");
        return false;
    }
    AnswerLen = std::int64_t(Answer.size());
    Answer.push_back(0);
    ReturnValue = ProcessAnswer();
    return true;
}

bool MyClientThreadCode::unpackAnswer(TransportType type) {
    MemoryStream stream(std::move(Answer));
    Answer.clear();
    {
        // A server chooses the packing: a small compressed answer must not
        // unpack into more than any answer may hold.
        DecUncmpThread unpacker(true, type, &stream, &stream);
        unpacker.SetOutputLimit(kMaxAnswerSize);
        unpacker.resume();
        if (!finishPipeline(unpacker)) return false;
        const std::int64_t size = unpacker.GetOutputSize();
        if (size < 0 || size > stream.size()) return false;
        stream.bytes().resize(std::size_t(size));
        // Room for the zero byte that follows, so appending it never copies
        // the whole answer into a buffer twice its size.
        stream.bytes().reserve(std::size_t(size) + 1);
    }
    Answer = std::move(stream.bytes());
    return true;
}

}  // namespace encdec
