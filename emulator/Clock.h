#pragma once
#include <chrono>
#include <cstdint>
#include <mutex>

namespace emulator {

// The emulator's notion of time, in milliseconds since the bus was last configured.
// Real time by default, so that the program waits its real time-outs as it would on a
// board. In simulated time nothing sleeps: a wait moves the clock forward at once, and
// the program's own pauses are reported through Advance.
class Clock {
public:
    Clock();

    bool Simulated() const { return simulated_; }
    // Switching keeps the current reading, so traces stay monotonic across a switch.
    void SetSimulated(bool simulated);

    void Reset();
    std::uint64_t Now() const;
    // The same reading in microseconds, for what the USB test bed times finer than that.
    std::uint64_t NowMicroseconds() const;

    // Real time only: the model runs `scale` times as slow as real time (0.1: ten times as
    // fast), so that every delay it models scales alike and stays in the same order.
    void SetScale(double scale);
    // The real moment at which the clock reads `microseconds`.
    std::chrono::steady_clock::time_point RealTime(std::uint64_t microseconds) const;

    // Simulated time only; in real time the program's pauses have already taken their time.
    void Advance(std::uint64_t milliseconds);

    // Returns when the clock reads at least `moment`: sleeps in real time, jumps in
    // simulated time. A real sleep lets go of `held` (the world's lock) for its length, so
    // that calls on other handles go on meanwhile, as on a USB bus with several boards; the
    // caller must look up again whatever that lock guards.
    void WaitUntil(std::uint64_t moment, std::unique_lock<std::mutex>& held);

private:
    bool simulated_ = false;
    std::uint64_t simulatedNow_ = 0;
    double scale_ = 1.0;
    std::chrono::steady_clock::time_point origin_;
};

} // namespace emulator
