// How far a job's upload has got, in words for the status bar and the tray:
// "Sending "Big slow": 43 % of 102 MB, 3.1 MB/s".
#pragma once

#include <cstdint>
#include <string>

namespace zentcore {

// The rate of an upload from samples of the bytes sent so far, over the last
// few seconds.
class UploadMeter {
public:
    // A new upload (another job or another attempt) starts the meter again.
    void sample(const std::string& upload, std::int64_t sent, std::int64_t nowMs);
    double bytesPerSecond() const { return rate_; }

private:
    std::string upload_;
    std::int64_t lastSent_ = 0, lastMs_ = 0;
    double rate_ = 0;
    bool started_ = false;
};

std::string UploadProgressText(const std::string& document, std::int64_t sent, std::int64_t total,
                               double bytesPerSecond);

}  // namespace zentcore
