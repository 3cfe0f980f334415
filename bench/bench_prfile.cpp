// A 64 MiB job sent with PRFILE to the reference server on 127.0.0.1 (package,
// packing, transfer, the server's work, the answer and the CONFIRM that
// follows), against packing the same job alone as the exchange must anyway;
// and to a sink that only takes the bytes, which shows the client's own share.
// The server runs twice: with its spool in memory (/dev/shm, else the
// temporary directory) and on the temporary directory's disk, as it must make
// every accepted job durable before it answers. The ratios to packing alone
// are printed at the end, from the mean, the median and the best iteration.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
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
using Clock = std::chrono::steady_clock;

constexpr std::size_t kJobBytes = std::size_t(64) << 20;

// A memory-backed directory when the machine has one.
fs::path memoryDirectory() {
    std::error_code ec;
    if (fs::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0) return "/dev/shm";
    return platform::tempDirectory();
}

// One zentserver process with its spool in a directory of its own.
class ServerProcess {
public:
    ServerProcess(const fs::path& dir, const std::string& config) : dir_(dir) {
        fs::create_directories(dir_ / "spool");
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
        for (int i = 0; i < 500 && port_ == 0; ++i) {
            std::ifstream in(out);
            std::string line;
            if (std::getline(in, line) && line.rfind(prefix, 0) == 0 && !in.eof())
                port_ = std::stoi(line.substr(prefix.size()));
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (port_ == 0) throw std::runtime_error("zentserver did not start");

        encdec::TCommResult result;
        auto thread = encdec::Communicate("NEWSESSION", "", address(), 0, result, encdec::ttEncrypt, 0, 0, "");
        session_ = result.ReturnValue;
        if (session_ == 0) throw std::runtime_error("no session from the server");
    }
    ~ServerProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status;
            waitpid(pid_, &status, 0);
        }
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
    std::int32_t session() const { return session_; }
    std::string spool() const { return (dir_ / "spool").string(); }
    void clearSpool() const {
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(dir_ / "spool", ec)) fs::remove_all(e.path(), ec);
    }

private:
    fs::path dir_;
    pid_t pid_ = -1;
    int port_ = 0;
    std::int32_t session_ = 0;
};

enum class SpoolKind { Memory, Disk };

// The job and the two servers, made once for every benchmark.
class Fixture {
public:
    static Fixture& get() {
        static Fixture fixture;
        return fixture;
    }

    const std::string& job() const { return job_; }
    std::string data() const { return "bench\x04" + job_ + "\x04" "1\x04" "1\x04" "9\x04" "0\x04" "0\x04" "Benchmark"; }
    std::string scratch(const std::string& name) const { return (dir_ / name).string(); }
    ServerProcess& server(SpoolKind kind) { return kind == SpoolKind::Memory ? *memory_ : *disk_; }

    ~Fixture() {
        memory_.reset();
        disk_.reset();
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

private:
    Fixture() {
        const std::string name = "bench-prfile-" + std::to_string(getpid());
        dir_ = fs::path(platform::tempDirectory()) / name;
        fs::create_directories(dir_);
        // Compressed print data does not compress further: random bytes are
        // the honest stand-in.
        job_ = (dir_ / "job.gz").string();
        {
            std::vector<std::uint32_t> words(kJobBytes / 4);
            std::mt19937 random(7);
            for (auto& w : words) w = random();
            std::ofstream(job_, std::ios::binary).write(reinterpret_cast<const char*>(words.data()), kJobBytes);
        }
        const std::string config = (dir_ / "server.json").string();
        std::ofstream(config) << R"({"first_session": 9000, "max_request_bytes": 268435456,
            "max_unpacked_bytes": 536870912, "printers": [{"name": "bench", "description": {"PRMODEL": "Bench"}}]})";
        memory_ = std::make_unique<ServerProcess>(memoryDirectory() / (name + "-memory"), config);
        disk_ = std::make_unique<ServerProcess>(dir_ / "disk", config);
    }

    fs::path dir_;
    std::string job_;
    std::unique_ptr<ServerProcess> memory_, disk_;
};

// A server that does nothing but take the request and accept it: what the
// exchange costs the client alone.
class Sink {
public:
    explicit Sink(std::int32_t session) : session_(session), buffer_(1 << 20) {
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
    bool take(int c, std::uint8_t* into, std::size_t n) {
        for (std::size_t got = 0; got < n;) {
            const ssize_t r = recv(c, into ? into + got : buffer_.data(),
                                   into ? n - got : std::min(n - got, buffer_.size()), 0);
            if (r <= 0) return false;
            got += std::size_t(r);
        }
        return true;
    }

    void serve() {
        while (!stop_.load()) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) continue;
            int c = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (c < 0) continue;
            std::uint8_t raw[encdec::kCommHeaderSize];
            encdec::TCommHeader request;
            if (take(c, raw, sizeof raw)) {
                request.SetData(raw, sizeof raw);
                take(c, nullptr, std::size_t(request.Size));
            }
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

// Each iteration's time, for the median and the fastest beside the
// framework's mean: on a busy machine one slow iteration moves the mean a lot.
class IterationTimes {
public:
    void start() { begin_ = Clock::now(); }
    void stop() { times_.push_back(std::chrono::duration<double, std::milli>(Clock::now() - begin_).count()); }
    void report(benchmark::State& state) {
        if (times_.empty()) return;
        std::sort(times_.begin(), times_.end());
        state.counters["median_ms"] = times_[times_.size() / 2];
        state.counters["best_ms"] = times_.front();
    }

private:
    Clock::time_point begin_;
    std::vector<double> times_;
};

// Dirty pages left by the benchmark before are written out first, so that
// their writing does not land in this one's time.
void settleDisk() { ::sync(); }

bool packJob(const std::string& job, const std::string& out) {
    encdec::FileStream in(job, encdec::FileStream::Mode::Read);
    encdec::FileStream packed(out, encdec::FileStream::Mode::Create);
    encdec::EncCmpThread packer(false, encdec::ttEncryptDecompress, &in, &packed);
    packer.WaitFor();
    return packer.IsSuccessful();
}

void BM_PackJobAlone(benchmark::State& state) {
    Fixture& f = Fixture::get();
    const std::string out = f.scratch("packed.out");
    packJob(f.job(), out);   // not timed: the first run sets up memory and caches
    settleDisk();
    IterationTimes times;
    for (auto _ : state) {
        times.start();
        if (!packJob(f.job(), out)) state.SkipWithError("packing failed");
        times.stop();
        state.PauseTiming();
        settleDisk();
        state.ResumeTiming();
    }
    std::remove(out.c_str());
    times.report(state);
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kJobBytes));
}

bool sendJob(const Fixture& f, const std::string& address, std::int32_t session) {
    encdec::TCommResult result;
    auto thread = encdec::Communicate("PRFILE", f.data(), address, 0, result, encdec::ttEncryptDecompress, session,
                                      0, "");
    return result.ReturnValue == session;
}

void BM_PrfileExchange(benchmark::State& state, SpoolKind kind) {
    Fixture& f = Fixture::get();
    ServerProcess& server = f.server(kind);
    state.SetLabel("spool in " + server.spool());
    // Not timed: the first job sets up the server's memory.
    sendJob(f, server.address(), server.session());
    server.clearSpool();
    settleDisk();
    IterationTimes times;
    for (auto _ : state) {
        times.start();
        if (!sendJob(f, server.address(), server.session())) state.SkipWithError("the job was not accepted");
        times.stop();
        state.PauseTiming();
        server.clearSpool();
        settleDisk();
        state.ResumeTiming();
    }
    times.report(state);
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kJobBytes));
}

void BM_PrfileExchangeToSink(benchmark::State& state) {
    Fixture& f = Fixture::get();
    const std::int32_t session = f.server(SpoolKind::Memory).session();
    Sink sink(session);
    sendJob(f, sink.address(), session);   // not timed, as for the server
    settleDisk();
    IterationTimes times;
    for (auto _ : state) {
        times.start();
        if (!sendJob(f, sink.address(), session)) state.SkipWithError("the job was not accepted");
        times.stop();
    }
    times.report(state);
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(kJobBytes));
}

BENCHMARK(BM_PackJobAlone)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(9);
BENCHMARK(BM_PrfileExchangeToSink)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(9);
BENCHMARK_CAPTURE(BM_PrfileExchange, memory_spool, SpoolKind::Memory)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(9);
BENCHMARK_CAPTURE(BM_PrfileExchange, disk_spool, SpoolKind::Disk)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(9);

// The console table, then each run's times against packing alone.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& run : runs) {
            if (run.error_occurred) continue;
            const std::string name = run.benchmark_name();
            Times t{run.GetAdjustedRealTime(), counter(run, "median_ms"), counter(run, "best_ms")};
            times_.emplace_back(name.substr(0, name.find("/iterations")), t);
        }
    }

    void printRatios() const {
        const auto base = std::find_if(times_.begin(), times_.end(),
                                       [](const auto& t) { return t.first == "BM_PackJobAlone"; });
        if (base == times_.end()) return;
        const Times& b = base->second;
        std::printf("\nagainst packing alone (mean %.1f ms, median %.1f ms, best %.1f ms):\n", b.mean, b.median,
                    b.best);
        for (const auto& [name, t] : times_) {
            if (name == base->first) continue;
            std::printf("  %-32s mean %6.1f ms = %.2fx   median %6.1f ms = %.2fx   best %6.1f ms = %.2fx\n",
                        name.c_str(), t.mean, t.mean / b.mean, t.median, t.median / b.median, t.best,
                        t.best / b.best);
        }
    }

private:
    struct Times {
        double mean, median, best;
    };
    static double counter(const Run& run, const char* name) {
        const auto it = run.counters.find(name);
        return it == run.counters.end() ? 0.0 : double(it->second);
    }

    std::vector<std::pair<std::string, Times>> times_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
