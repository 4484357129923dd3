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
    const std::chrono::duration<double, std::milli> real(static_cast<double>(reading) * scale_);
    origin_ = std::chrono::steady_clock::now() - std::chrono::duration_cast<std::chrono::steady_clock::duration>(real);
}

void Clock::Reset()
{
    simulatedNow_ = 0;
    origin_ = std::chrono::steady_clock::now();
}

std::uint64_t Clock::Now() const
{
    return simulated_ ? simulatedNow_ : NowMicroseconds() / 1000;
}

std::uint64_t Clock::NowMicroseconds() const
{
    if (simulated_)
        return simulatedNow_ * 1000;
    const std::chrono::duration<double, std::micro> elapsed = std::chrono::steady_clock::now() - origin_;
    return static_cast<std::uint64_t>(elapsed.count() / scale_);
}

void Clock::SetScale(double scale)
{
    scale_ = scale;
    origin_ = std::chrono::steady_clock::now();
}

std::chrono::steady_clock::time_point Clock::RealTime(std::uint64_t microseconds) const
{
    const std::chrono::duration<double, std::micro> real(static_cast<double>(microseconds) * scale_);
    return origin_ + std::chrono::duration_cast<std::chrono::steady_clock::duration>(real);
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
    const auto wakeUp = RealTime(moment * 1000);
    held.unlock();
    std::this_thread::sleep_until(wakeUp);
    held.lock();
}

} // namespace emulator
