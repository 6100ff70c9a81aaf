#pragma once
// How quickly a stop request ends a check: the check runs on this thread while another thread
// requests the stop once `reached` holds (the wait to interrupt is under way).
#include "monitors/CRunState.h"
#include "support/WaitUntil.h"

#include <chrono>
#include <thread>

// Far below every time-out in play: the stop, not a time-out, ended the check.
inline constexpr std::chrono::seconds kStopLatency{8};

// The time from the stop request to the end of check().
template <typename Reached, typename Check>
std::chrono::steady_clock::duration StopLatency(CRunState& run, Reached reached, Check check)
{
    std::chrono::steady_clock::time_point stopAt;
    std::thread stopper([&] {
        WaitUntil(reached);
        stopAt = std::chrono::steady_clock::now();
        run.RequestStop();
    });
    check();
    const auto ended = std::chrono::steady_clock::now();
    stopper.join();
    return ended - stopAt;
}
