// Two pieces of work at once.
#pragma once

#include <functional>

// Runs `there` on a second thread and `here` on this one, and returns when
// both are done. Without a second thread to be had, runs `here` and then
// `there`. An exception from either is passed on (the first, if both throw)
// once both have stopped.
void RunOnTwoThreads(const std::function<void()>& here, const std::function<void()>& there);
