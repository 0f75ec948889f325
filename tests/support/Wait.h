// Waiting in tests: for a condition, with a deadline; never a bare sleep.
#pragma once

#include <chrono>
#include <thread>

namespace testing_support {

template <typename Predicate>
bool WaitUntil(Predicate done, std::chrono::milliseconds deadline = std::chrono::seconds(5)) {
    const auto until = std::chrono::steady_clock::now() + deadline;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= until) return done();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace testing_support
