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

void Clock::WaitUntil(std::uint64_t moment)
{
    if (simulated_) {
        if (moment > simulatedNow_)
            simulatedNow_ = moment;
        return;
    }
    std::this_thread::sleep_until(origin_ + std::chrono::milliseconds(moment));
}

} // namespace emulator
