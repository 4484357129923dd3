#include "emulator/Clock.h"

#include <thread>

namespace emulator {

Clock::Clock() : origin_(std::chrono::steady_clock::now())
{
}

void Clock::SetSimulated(bool simulated)
{
    if (simulated == simulated_)
        return;
    const std::uint64_t reading = Now();
    simulated_ = simulated;
    simulatedNow_ = reading;
    origin_ = std::chrono::steady_clock::now() - std::chrono::milliseconds(reading);
}

void Clock::Reset()
{
    simulatedNow_ = 0;
    origin_ = std::chrono::steady_clock::now();
}

std::uint64_t Clock::Now() const
{
    if (simulated_)
        return simulatedNow_;
    const auto elapsed = std::chrono::steady_clock::now() - origin_;
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void Clock::Advance(std::uint64_t milliseconds)
{
    if (simulated_)
        simulatedNow_ += milliseconds;
}

void Clock::WaitUntil(std::uint64_t moment, std::unique_lock<std::mutex>& held)
{
    if (simulated_) {
        if (moment > simulatedNow_)
            simulatedNow_ = moment;
        return;
    }
    // The origin may be reset while the lock is let go; the wake-up time is taken before.
    const auto wakeUp = origin_ + std::chrono::milliseconds(moment);
    held.unlock();
    std::this_thread::sleep_until(wakeUp);
    held.lock();
}

} // namespace emulator
