// The scan of a full working directory: 999 jobs handed off the real way,
// read into a fresh queue. Once with every job already packed (no thread
// starts: the reading alone), once with none packed (a packing thread starts
// per job; the scan must not wait for them). Target: under 200 ms each.
// Beside them, starting 999 bare threads, the floor of the second case.
#include <zcodec/handoff.h>
#include <zcodec/jobfiles.h>
#include <zentcore/jobscan.h>
#include <zplatform/registry.h>
#include <zplatform/system.h>

#include <benchmark/benchmark.h>

#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kJobs = encdec::JobFiles::kMaxNumber;

// A working directory with 999 jobs, registered in a private machine hive.
class FullWorkDir {
public:
    FullWorkDir() {
        std::string base = platform::tempDirectory() + "/zentrope-bench-scan-XXXXXX";
        if (!mkdtemp(base.data())) throw std::runtime_error("mkdtemp failed");
        root_ = base;
        work_ = root_ + "/jobs";
        fs::create_directories(work_);
        setenv("ZENTROPE_MACHINE_REGISTRY", (root_ + "/machine.reg").c_str(), 1);
        setenv("ZENTROPE_IPC", ("bench-scan-" + std::to_string(getpid())).c_str(), 1);
        auto key = platform::RegKey::openOrCreate(platform::Hive::LocalMachine, "SOFTWARE\\ORLO Vestra\\Zentrope Client");
        if (!key || !key->writeString("FirstTempDir", work_)) throw std::runtime_error("cannot set FirstTempDir");

        const std::string source = root_ + "/job.ps";
        std::ofstream(source) << "%!PS-Adobe-3.0\n" << std::string(4000, 'x') << "\nshowpage\n%%EOF\n";
        encdec::ZTP_JOBDATA job;
        job.DocName = "Quarterly report";
        job.UserName = "anna";
        job.Orientation = "Portrait";
        job.Papersize = 9;
        job.Pages = 3;
        for (int i = 0; i < kJobs; ++i) {
            std::string note;
            if (!encdec::SubmitFileToNetClient(source, &job, note)) throw std::runtime_error("hand-off failed: " + note);
        }
    }
    ~FullWorkDir() {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    const std::string& path() const { return work_; }

    // Packed files present (written after the data, so they count) or none.
    void setPacked(bool packed) const {
        for (int i = 1; i <= kJobs; ++i) {
            const std::string gz = encdec::JobFiles(work_, i).gz();
            if (packed) std::ofstream(gz) << "packed";
            else fs::remove(gz);
        }
    }

private:
    std::string root_, work_;
};

FullWorkDir& workDir() {
    static FullWorkDir dir;
    return dir;
}

void BM_ScanPacked(benchmark::State& state) {
    const FullWorkDir& dir = workDir();
    dir.setPacked(true);
    for (auto _ : state) {
        zentcore::JobQueue queue;
        zentcore::RescanWorkDir(queue, dir.path(), nullptr);
        if (queue.size() != std::size_t(kJobs)) state.SkipWithError("not every job was read");
        state.PauseTiming();   // destroying the queue is not the scan's work
        queue = {};
        state.ResumeTiming();
    }
}

void BM_ScanStartingPacking(benchmark::State& state) {
    const FullWorkDir& dir = workDir();
    for (auto _ : state) {
        state.PauseTiming();
        dir.setPacked(false);
        state.ResumeTiming();
        zentcore::JobQueue queue;
        zentcore::RescanWorkDir(queue, dir.path(), nullptr);
        if (queue.size() != std::size_t(kJobs)) state.SkipWithError("not every job was read");
        state.PauseTiming();   // stopping the packing threads is not the scan's work
        queue = {};
        state.ResumeTiming();
    }
}

// Baseline: starting 999 threads that only wait, the floor of any design that
// gives every job a thread of its own.
void BM_StartThreadsAlone(benchmark::State& state) {
    for (auto _ : state) {
        std::mutex mutex;
        std::condition_variable released;
        bool go = false;
        std::vector<std::thread> threads;
        threads.reserve(kJobs);
        for (int i = 0; i < kJobs; ++i)
            threads.emplace_back([&] {
                std::unique_lock lock(mutex);
                released.wait(lock, [&] { return go; });
            });
        state.PauseTiming();
        {
            std::lock_guard lock(mutex);
            go = true;
        }
        released.notify_all();
        for (auto& t : threads) t.join();
        state.ResumeTiming();
    }
}

BENCHMARK(BM_StartThreadsAlone)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ScanPacked)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ScanStartingPacking)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
