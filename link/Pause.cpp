#include "link/Pause.h"

#include <chrono>
#include <thread>
#include <utility>

namespace {

PauseFunction& CurrentPause()
{
    static PauseFunction pause;
    return pause;
}

} // namespace

void Pause(unsigned milliseconds)
{
    if (const PauseFunction& pause = CurrentPause())
        pause(milliseconds);
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

PauseFunction SetPauseFunction(PauseFunction replacement)
{
    return std::exchange(CurrentPause(), std::move(replacement));
}
