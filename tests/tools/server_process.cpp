#include "server_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <random>
#include <stdexcept>
#include <thread>

#include <gtest/gtest.h>
#include <zcodec/pipeline.h>
#include <zcodec/streams.h>

extern char** environ;

namespace servertest {

Bytes bytes(const std::string& text) { return Bytes(text.begin(), text.end()); }
std::string text(const Bytes& data) { return std::string(data.begin(), data.end()); }

Bytes pack(encdec::TransportType transport, const Bytes& plain) {
    encdec::MemoryStream in(plain), out;
    encdec::EncCmpThread t(false, transport, &in, &out);
    t.WaitFor();
    EXPECT_TRUE(t.IsSuccessful()) << "packing with type " << int(transport);
    return out.bytes();
}

Bytes unpack(encdec::TransportType transport, const Bytes& packed, bool& ok) {
    encdec::MemoryStream in(packed), out;
    encdec::DecUncmpThread t(false, transport, &in, &out);
    t.WaitFor();
    ok = t.IsSuccessful();
    Bytes result = out.bytes();
    result.resize(std::size_t(t.GetOutputSize()));
    return result;
}

int connectLocal(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(std::uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

void sendAll(int fd, const Bytes& data) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n = send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;   // the server may close early on purpose
        sent += std::size_t(n);
    }
}

namespace {

bool readExactly(int fd, std::uint8_t* buffer, std::size_t n, int timeoutMs) {
    std::size_t got = 0;
    while (got < n) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, timeoutMs) <= 0) return false;
        const ssize_t r = recv(fd, buffer + got, n - got, 0);
        if (r <= 0) return false;
        got += std::size_t(r);
    }
    return true;
}

}  // namespace

WireAnswer readAnswer(int fd, int timeoutMs) {
    WireAnswer a;
    std::uint8_t image[encdec::kCommHeaderSize];
    if (!readExactly(fd, image, sizeof image, timeoutMs)) return a;
    a.header.SetData(image, sizeof image);
    Bytes packed(std::size_t(a.header.Size));
    if (!readExactly(fd, packed.data(), packed.size(), timeoutMs)) return a;
    a.received = true;
    if (a.header.Enccmp == encdec::ttNone) {
        a.payload = packed;
        a.unpacked = true;
    } else if (!packed.empty()) {
        a.payload = unpack(a.header.Enccmp, packed, a.unpacked);
    }
    return a;
}

bool closedByPeer(int fd, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0) return false;
    char c;
    return recv(fd, &c, 1, 0) <= 0;
}

Bytes requestHeader(const Request& r, std::int32_t packedSize) {
    encdec::TCommHeader h;
    h.SetEnccmp(r.transport);
    h.SetVersion(r.version);
    h.SetSize(packedSize);
    h.SetUncSize(r.transport == encdec::ttCompress || r.transport == encdec::ttCompressEncrypt
                     ? std::int32_t(r.payload.size())
                     : 0);
    h.SetTime(std::int32_t(std::time(nullptr)));
    h.SetSession(r.session);
    h.SetCommand(r.command);
    return Bytes(h.GetData(), h.GetData() + encdec::kCommHeaderSize);
}

WireAnswer exchange(int port, const Request& r) {
    const int fd = connectLocal(port);
    if (fd < 0) {
        ADD_FAILURE() << "cannot connect to port " << port;
        return WireAnswer();
    }
    const Bytes packed = pack(r.transport, r.payload);
    Bytes wire = requestHeader(r, std::int32_t(packed.size()));
    wire.insert(wire.end(), packed.begin(), packed.end());
    sendAll(fd, wire);
    WireAnswer a = readAnswer(fd);
    close(fd);
    return a;
}

Bytes jobPackage(const std::string& printer, const std::string& path, const std::string& document,
                 const Bytes& job, std::int32_t flags, std::int32_t width, std::int32_t height, std::int16_t pages,
                 std::int16_t copies, std::int16_t paper, std::int16_t color) {
    Bytes p;
    for (const std::string* s : {&printer, &path, &document}) {
        p.insert(p.end(), s->begin(), s->end());
        p.push_back(0);
    }
    auto put32 = [&](std::int32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8) p.push_back(std::uint8_t(std::uint32_t(v) >> shift));
    };
    auto put16 = [&](std::int16_t v) {
        p.push_back(std::uint8_t(std::uint16_t(v) >> 8));
        p.push_back(std::uint8_t(v));
    };
    put32(std::int32_t(job.size()));
    put32(flags);
    put32(width);
    put32(height);
    put16(pages);
    put16(copies);
    put16(paper);
    put16(color);
    p.insert(p.end(), job.begin(), job.end());
    return p;
}

Bytes randomBytes(std::size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    Bytes b(n);
    for (auto& x : b) x = std::uint8_t(gen());
    return b;
}

std::vector<std::filesystem::path> spooledJobs(const std::string& spool) {
    std::vector<std::filesystem::path> jobs;
    for (const auto& e : std::filesystem::directory_iterator(spool))
        if (e.path().filename().string().rfind("job-", 0) == 0) jobs.push_back(e.path());
    return jobs;
}

std::int32_t be32(const Bytes& d, std::size_t at) {
    if (d.size() < at + 4) return 0;
    return std::int32_t(std::uint32_t(d[at]) << 24 | std::uint32_t(d[at + 1]) << 16 | std::uint32_t(d[at + 2]) << 8 |
                        d[at + 3]);
}

std::vector<std::string> fields(const std::string& text, char separator) {
    std::vector<std::string> out(1);
    for (char c : text) {
        if (c == separator) out.emplace_back();
        else out.back() += c;
    }
    return out;
}

}  // namespace servertest
