// How long the client exchange waits, and the knob that lets tests shorten it.
#pragma once

namespace encdec::exchange {

// Every wait of the exchange advances in steps of this length, so that a
// termination request is seen within one step.
constexpr int kStepMs = 100;

struct Timeouts {
    int connectSteps;     // connection attempts: 9000 steps of kStepMs
    int dataMs;           // the answer's arrival and each single read or write
    int communicateMs;    // how long Communicate waits for the thread
};

// ZENTROPE_TEST_TIMEOUT_SCALE: a factor in (0, 1] applied to every time-out,
// so tests never wait the full quarter of an hour. Anything else: 1.
double TimeoutScaleFromEnvironment();
Timeouts ScaledTimeouts(double scale);

}  // namespace encdec::exchange
