// Wait.h -- a bounded wait for something another thread brings about (a server starting).
#pragma once

#include <chrono>
#include <thread>

// Polls `done` every millisecond for at most `limitMs`; true as soon as it holds.
template <class Done> bool WaitFor(Done done, int limitMs = 5000) {
    for (int waited = 0; waited < limitMs; ++waited) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return done();
}
