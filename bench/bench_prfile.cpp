// A 64 MiB job sent with PRFILE to the reference server on 127.0.0.1 (package,
// packing, transfer, the server's work, the answer and the CONFIRM that
// follows), against packing the same job alone as the exchange must anyway;
// and to a sink that only takes the bytes, which shows the client's own share.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <atomic>

#include <zcodec/clientthread.h>
#include <zcodec/pipeline.h>
#include <zcodec/streams.h>
#include <zplatform/system.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kJobBytes = std::size_t(64) << 20;

// The job, the server and a session, made once for every benchmark.
class Fixture {
public:
    static Fixture& get() {
        static Fixture fixture;
        return fixture;
    }

    const std::string& job() const { return job_; }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
    std::int32_t session() const { return session_; }
    std::string data() const { return "bench\x04" + job_ + "\x04" "1\x04" "1\x04" "9\x04" "0\x04" "0\x04" "Benchmark"; }
    void clearSpool() const {
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(dir_ / "spool", ec)) fs::remove_all(e.path(), ec);
    }
    std::string scratch(const std::string& name) const { return (dir_ / name).string(); }

    ~Fixture() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status;
            waitpid(pid_, &status, 0);
        }
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

private:
    Fixture() {
        dir_ = fs::path(platform::tempDirectory()) / ("bench-prfile-" + std::to_string(getpid()));
        fs::create_directories(dir_ / "spool");
        // Compressed print data does not compress further: random bytes are
        // the honest stand-in.
        job_ = (dir_ / "job.gz").string();
        std::vector<std::uint32_t> words(kJobBytes / 4);
        std::mt19937 random(7);
        for (auto& w : words) w = random();
        std::ofstream(job_, std::ios::binary).write(reinterpret_cast<const char*>(words.data()), kJobBytes);

        const std::string config = (dir_ / "server.json").string();
        std::ofstream(config) << R"({"first_session": 9000, "max_request_bytes": 268435456,
            "max_unpacked_bytes": 536870912, "printers": [{"name": "bench", "description": {"PRMODEL": "Bench"}}]})";
        startServer(config);

        encdec::TCommResult result;
        auto thread = encdec::Communicate("NEWSESSION", "", address(), 0, result, encdec::ttEncrypt, 0, 0, "");
        session_ = result.ReturnValue;
        if (session_ == 0) throw std::runtime_error("no session from the server");
    }

    void startServer(const std::string& config) {
        const std::string program = fs::path(platform::executablePath()).parent_path() / "zentserver";
        const std::string out = (dir_ / "server.out").string();
        const std::vector<std::string> argv = {program, "--port", "0", "--config", config,
                                               "--spool", (dir_ / "spool").string(),
                                               "--log", (dir_ / "server.log").string()};
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, args.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        if (pid_ <= 0) throw std::runtime_error("cannot start " + program);
        const std::string prefix = "listening on 127.0.0.1:";
        for (int i = 0; i < 500; ++i) {
            std::ifstream in(out);
            std::string line;
            if (std::getline(in, line) && line.rfind(prefix, 0) == 0 && !in.eof()) {
                port_ = std::stoi(line.substr(prefix.size()));
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        throw std::runtime_error("zentserver did not start");
    }

    fs::path dir_;
    std::string job_;
    pid_t pid_ = -1;
    int port_ = 0;
    std::int32_t session_ = 0;
};

// A server that does nothing but take the request and accept it: what the
// exchange costs the client alone.
class Sink {
public:
    explicit Sink(std::int32_t session) : session_(session), buffer_(kJobBytes + (1 << 20)) {
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(fd_, 4) != 0 ||
            getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
            throw std::runtime_error("sink cannot listen");
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~Sink() {
        stop_.store(true);
        thread_.join();
        close(fd_);
    }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }

private:
    void serve() {
        while (!stop_.load()) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) continue;
            int c = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (c < 0) continue;
            std::size_t got = 0, total = encdec::kCommHeaderSize;
            while (got < total) {
                ssize_t n = recv(c, buffer_.data() + got, std::min(total, buffer_.size()) - got, 0);
                if (n <= 0) break;
                got += std::size_t(n);
                if (got >= 36 && total == encdec::kCommHeaderSize)
                    total = std::size_t(encdec::TCommHeader(buffer_.data(), encdec::kCommHeaderSize).Size) +
                            encdec::kCommHeaderSize;
            }
            encdec::TCommHeader request(buffer_.data(), encdec::kCommHeaderSize);
            std::string answer = request.Command == "PRFILE"
                                     ? std::string{char(session_ >> 24), char(session_ >> 16), char(session_ >> 8),
                                                   char(session_)}
                                     : std::string("OK");
            encdec::TCommHeader header;
            header.SetCommand(request.Command);
            header.SetVersion(encdec::kProtocolVersion);
            header.SetSize(std::int32_t(answer.size()));
            std::string wire(reinterpret_cast<const char*>(header.GetData()), encdec::kCommHeaderSize);
            wire += answer;
            send(c, wire.data(), wire.size(), MSG_NOSIGNAL);
            close(c);
        }
    }

    std::int32_t session_;
    std::vector<std::uint8_t> buffer_;
    int fd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

void BM_PackJobAlone(benchmark::State& state) {
    Fixture& f = Fixture::get();
    const std::string out = f.scratch("packed.out");
    for (auto _ : state) {
        encdec::FileStream in(f.job(), encdec::FileStream::Mode::Read);
        encdec::FileStream packed(out, encdec::FileStream::Mode::Create);
        encdec::EncCmpThread packer(false, encdec::ttEncryptDecompress, &in, &packed);
        packer.WaitFor();
        if (!packer.IsSuccessful()) state.SkipWithError("packing failed");
    }
    std::remove(out.c_str());
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kJobBytes));
}

void BM_PrfileExchange(benchmark::State& state) {
    Fixture& f = Fixture::get();
    for (auto _ : state) {
        encdec::TCommResult result;
        auto thread = encdec::Communicate("PRFILE", f.data(), f.address(), 0, result, encdec::ttEncryptDecompress,
                                          f.session(), 0, "");
        if (result.ReturnValue != f.session()) state.SkipWithError("the job was not accepted");
        state.PauseTiming();
        thread.reset();
        f.clearSpool();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kJobBytes));
}

void BM_PrfileExchangeToSink(benchmark::State& state) {
    Fixture& f = Fixture::get();
    Sink sink(f.session());
    for (auto _ : state) {
        encdec::TCommResult result;
        auto thread = encdec::Communicate("PRFILE", f.data(), sink.address(), 0, result,
                                          encdec::ttEncryptDecompress, f.session(), 0, "");
        if (result.ReturnValue != f.session()) state.SkipWithError("the job was not accepted");
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kJobBytes));
}

BENCHMARK(BM_PackJobAlone)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_PrfileExchangeToSink)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_PrfileExchange)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
