#pragma once
// Waits for a condition that another thread or process makes true. The limit is generous and only
// ends a test that would otherwise hang: the wait itself depends on the event, never on the time.
#include <chrono>
#include <thread>

inline constexpr std::chrono::seconds kGenerousWait{60};

template <typename Condition> bool WaitUntil(Condition condition, std::chrono::milliseconds limit = kGenerousWait)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}
