#include <zentcore/uploadprogress.h>

#include <cstdio>

namespace zentcore {

namespace {

std::string megabytes(double bytes, const char* unit) {
    char text[32];
    const double mb = bytes / 1e6;
    std::snprintf(text, sizeof text, mb < 10 ? "%.1f %s" : "%.0f %s", mb, unit);
    return text;
}

}  // namespace

void UploadMeter::sample(const std::string& upload, std::int64_t sent, std::int64_t nowMs) {
    if (!started_ || upload != upload_ || sent < lastSent_) {
        upload_ = upload;
        started_ = true;
        rate_ = 0;
    } else if (nowMs > lastMs_) {
        const double now = double(sent - lastSent_) * 1000.0 / double(nowMs - lastMs_);
        // Smoothed, so one slow second does not make the figure jump.
        rate_ = rate_ == 0 ? now : 0.6 * rate_ + 0.4 * now;
    }
    lastSent_ = sent;
    lastMs_ = nowMs;
}

std::string UploadProgressText(const std::string& document, std::int64_t sent, std::int64_t total,
                               double bytesPerSecond) {
    const int percent = total > 0 ? int(sent * 100 / total) : 0;
    std::string text = "Sending \"" + document + "\": " + std::to_string(percent) + " % of " +
                       megabytes(double(total), "MB");
    if (bytesPerSecond > 0) text += ", " + megabytes(bytesPerSecond, "MB/s");
    return text;
}

}  // namespace zentcore
