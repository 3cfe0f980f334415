#include "wait.h"

#include <chrono>
#include <thread>

namespace testenv {

namespace {

std::function<void()>& waitStep() {
    static std::function<void()> step;
    return step;
}

}  // namespace

bool waitUntil(const std::function<bool()>& condition, int milliseconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        if (const auto& step = waitStep()) step();
        else std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void setWaitStep(std::function<void()> step) { waitStep() = std::move(step); }

}  // namespace testenv
