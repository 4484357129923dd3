#pragma once
#include "emulator/EmulatorControl.h"
#include "link/Pause.h"

// For the life of the object the emulator runs on simulated time and the program's fixed
// pauses advance its clock instead of sleeping; `paused` adds up what they asked for.
class SimulatedTime {
public:
    SimulatedTime()
    {
        EmuSetSimulatedTime(1);
        previous_ = SetPauseFunction([this](unsigned milliseconds) {
            paused += milliseconds;
            EmuAdvanceClock(milliseconds);
        });
    }
    ~SimulatedTime()
    {
        SetPauseFunction(previous_);
        EmuSetSimulatedTime(0);
    }
    SimulatedTime(const SimulatedTime&) = delete;
    SimulatedTime& operator=(const SimulatedTime&) = delete;

    unsigned long long paused = 0;

private:
    PauseFunction previous_;
};
