// Waiting for a condition in a test, bounded in time. Tests with an event
// loop install a step that runs it, so that queued work goes on meanwhile.
#pragma once

#include <functional>

namespace testenv {

// Takes one step (by default a short sleep) until the condition holds; false
// when it does not within the time.
bool waitUntil(const std::function<bool()>& condition, int milliseconds = 10000);

// What one step of waitUntil does, for the whole test program; an empty
// function restores the short sleep.
void setWaitStep(std::function<void()> step);

}  // namespace testenv
