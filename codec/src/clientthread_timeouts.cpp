#include "clientthread_timeouts.h"

#include <algorithm>
#include <cstdlib>

namespace encdec::exchange {

namespace {
constexpr int kConnectSteps = 9000;
constexpr int kDataMs = 900000;
constexpr int kCommunicateMs = 900000;
}  // namespace

double TimeoutScaleFromEnvironment() {
    const char* text = std::getenv("ZENTROPE_TEST_TIMEOUT_SCALE");
    if (!text || !*text) return 1.0;
    char* end = nullptr;
    double scale = std::strtod(text, &end);
    if (*end != '\0' || !(scale > 0.0) || scale > 1.0) return 1.0;
    return scale;
}

Timeouts ScaledTimeouts(double scale) {
    if (!(scale > 0.0) || scale > 1.0) scale = 1.0;
    return Timeouts{
        std::max(1, int(kConnectSteps * scale)),
        std::max(kStepMs, int(kDataMs * scale)),
        std::max(kStepMs, int(kCommunicateMs * scale)),
    };
}

}  // namespace encdec::exchange
