// A program run as a child of its own, and the most memory it held.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace memorytest {

struct MeasuredRun {
    int exitCode = -1;
    std::int64_t peakBytes = 0;     // the child's peak resident size (wait4)
    std::int64_t parentBytes = 0;   // this process's resident size when it forked
    std::string out;
    std::string err;
};

// Runs argv (no shell) with stdout and stderr going to files in dir. The
// child is made with fork, not vfork: its peak then starts from this
// process's current size (reported as parentBytes), not from its peak.
MeasuredRun runMeasured(const std::vector<std::string>& argv, const std::string& dir);

}  // namespace memorytest
