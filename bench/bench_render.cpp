// Rendering a 50-page job into preview pages through the client's path (the
// command builder, the render thread, the completion message and the
// progress polling of the busy window) against the same processor command
// run alone, in one run. Target: at most 1.1x.
#include <zentcore/render.h>
#include <zentcore/renderthread.h>
#include <zplatform/childprocess.h>
#include <zplatform/messaging.h>
#include <zplatform/system.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>

namespace {

constexpr int kPages = 50;

// A job of kPages pages, each with text and a frame.
std::string pagedPostScript() {
    std::string ps = "%!PS-Adobe-3.0\n";
    for (int p = 1; p <= kPages; ++p)
        ps += "%%Page: " + std::to_string(p) + " " + std::to_string(p) +
              "\n/Times-Roman findfont 12 scalefont setfont 72 720 moveto (Page " + std::to_string(p) +
              ") show\nnewpath 72 72 moveto 540 72 lineto 540 720 lineto closepath stroke\nshowpage\n";
    return ps + "%%EOF\n";
}

struct Setup {
    std::string dir;
    zentcore::RenderRequest request;
    std::string line;
    Setup() {
        // A machine of its own: no stored templates, a private temporary directory.
        std::string pattern = (std::filesystem::temp_directory_path() / "render-bench-XXXXXX").string();
        dir = ::mkdtemp(pattern.data());
        ::setenv("ZENTROPE_MACHINE_REGISTRY", (dir + "/machine.reg").c_str(), 1);
        ::setenv("TMPDIR", dir.c_str(), 1);
        request.processor = "/usr/bin/gs";
        request.use = zentcore::RenderUse::Preview;
        request.input = dir + "/ztp_1.ztp";
        request.pagePrefix = *zentcore::PreparePagePrefix("ztp_1");
        platform::writeFileAtomically(request.input, pagedPostScript());
        line = zentcore::BuildRenderCommandLine(request, false);
    }
    ~Setup() { std::filesystem::remove_all(dir); }
    void clean() const { zentcore::DeletePageFiles(request.pagePrefix, ".bmp"); }
    bool complete() const { return zentcore::PagesReady(request.pagePrefix, ".bmp", kPages, true) == kPages; }
};

Setup& setup() {
    static Setup s;
    return s;
}

void BM_ProcessorAlone(benchmark::State& state) {
    Setup& s = setup();
    const auto argv = platform::splitCommandLine(s.line);
    for (auto _ : state) {
        // Output discarded as the client does, waited for on this thread.
        platform::ChildProcess gs;
        const bool ran = gs.start(argv) == 0 && gs.wait() == 0;
        state.PauseTiming();
        if (!ran || !s.complete()) state.SkipWithError("the processor did not render every page");
        s.clean();
        state.ResumeTiming();
    }
}

// The UI thread's side as the client has it: a waker that rouses the loop
// when a message is posted, the 200 ms progress poll, the pump.
void BM_ClientPath(benchmark::State& state) {
    Setup& s = setup();
    std::mutex mutex;
    std::condition_variable woken;
    bool posted = false;
    platform::setPostWaker([&] {
        std::lock_guard lock(mutex);
        posted = true;
        woken.notify_one();
    });
    for (auto _ : state) {
        bool done = false;
        const auto window = platform::registerWindow([&](const platform::Message&) { done = true; });
        const std::string line = zentcore::BuildRenderCommandLine(s.request, false);
        zentcore::RenderThread thread(line, window, zentcore::kPreviewReadyMessage);
        thread.resume();
        while (!done) {
            std::unique_lock lock(mutex);
            woken.wait_for(lock, std::chrono::milliseconds(200), [&] { return posted; });
            posted = false;
            lock.unlock();
            benchmark::DoNotOptimize(zentcore::PagesReady(s.request.pagePrefix, ".bmp", kPages, false));
            platform::pumpMessages();
        }
        platform::unregisterWindow(window);
        state.PauseTiming();
        if (!s.complete()) state.SkipWithError("the client path did not render every page");
        s.clean();
        state.ResumeTiming();
    }
    platform::setPostWaker({});
}

BENCHMARK(BM_ProcessorAlone)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(7);
BENCHMARK(BM_ClientPath)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(7);

// Prints the ratio of the two runs' real times after the usual report.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& r : runs) times_[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    int finish() const {
        const auto alone = times_.find("BM_ProcessorAlone/iterations:7/real_time");
        const auto client = times_.find("BM_ClientPath/iterations:7/real_time");
        if (alone == times_.end() || client == times_.end() || alone->second <= 0) return 1;
        const double ratio = client->second / alone->second;
        std::printf("client path / processor alone = %.3f (target at most 1.1): %s\n", ratio,
                    ratio <= 1.1 ? "met" : "NOT met");
        return ratio <= 1.1 ? 0 : 1;
    }

private:
    std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return reporter.finish();
}
