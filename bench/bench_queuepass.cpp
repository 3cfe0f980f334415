// One pass of the once-a-second timer over a full queue: 999 jobs (every
// number the hand-off can give), as a busy client holds them. Most wait for
// their time, one is in the wizard, some new ones wait for the wizard to be
// free and some have a request running. Nothing in this mix needs the
// network or the disk, and the pass leaves it as it found it, so every
// iteration does the same work. Target: under 2 ms per pass.
#include <benchmark/benchmark.h>

#include "queue_doubles.h"

#include <memory>
#include <string>

#include <zcodec/jobfiles.h>
#include <zentcore/jobqueue.h>
#include <zentcore/queuepass.h>
#include <zentcore/settings.h>

namespace {

using zentcore::TQueuedJob;

constexpr std::int64_t kNow = testenv::kSummerNow;
constexpr int kJobs = encdec::JobFiles::kMaxNumber;


void fill(zentcore::JobQueue& queue) {
    for (int n = 1; n <= kJobs; ++n) {
        auto job = std::make_unique<TQueuedJob>();
        job->BaseName = encdec::JobFiles::baseNameOf(n);
        job->DocName = "Document " + std::to_string(n);
        job->Printer = "laser";
        job->Server = "printhost:20202";
        job->Pages = n % 40 + 1;
        if (n % 20 == 0) {
            job->SessionId = 0;                  // new and due: waits for the wizard
        } else if (n % 20 == 10) {
            job->SessionId = 1000 + n;           // a request for it is running
            job->Busy = true;
        } else {
            job->SessionId = n % 3 == 0 ? 0 : 1000 + n;
            job->NextAttempt = kNow + 60 * n;    // waiting for its time
        }
        queue.append(std::move(job));
    }
}

void BM_QueuePassOver999Jobs(benchmark::State& state) {
    zentcore::JobQueue queue;
    fill(queue);
    testenv::ScriptedWizard wizard;
    wizard.visible = true;   // busy with another job the whole time
    wizard.job = &queue.at(0);
    testenv::ManualClock clock{kNow};
    zentcore::ClientSettings settings;
    settings.FirstTempDir = "/nonexistent/jobs";
    zentcore::QueuePass pass(queue, wizard, clock, settings);
    for (auto _ : state) {
        pass.run();
        benchmark::ClobberMemory();
    }
    if (queue.size() != std::size_t(kJobs) || wizard.job != &queue.at(0))
        state.SkipWithError("the pass changed the queue; the mix is not what it claims");
    state.counters["jobs"] = double(queue.size());
    state.SetItemsProcessed(std::int64_t(state.iterations()) * kJobs);
}
BENCHMARK(BM_QueuePassOver999Jobs)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
