#pragma once
#include <mutex>
#include <string>

#include "emulator/Bus.h"
#include "emulator/Clock.h"
#include "emulator/Configuration.h"
#include "emulator/FaultSet.h"
#include "emulator/Trace.h"
#include "emulator/UsbCost.h"

namespace emulator {

// Everything the emulator simulates, one instance per process. Built on first use from the
// environment: D2XX_EMULATOR_CONFIG names a configuration file (none or empty: the two
// standard boards, keeping their chips in the user's state folder), D2XX_EMULATOR_TRACE a
// trace file. Every entry point, D2XX or control, holds the mutex for its whole call.
class World {
public:
    static World& Instance();

    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // 0, or the number of the first bad line with lastError saying why; the bus is then left
    // as it was.
    int Configure(const std::string& text);
    // A fault line; `board` is the board it applies to when it names none (-1: every board).
    // 0 on success, -1 with lastError saying why.
    int InjectFault(const std::string& text, int board);
    void ClearFaults();

    std::mutex mutex;
    Clock clock;
    Trace trace;
    FaultSet faults;
    UsbCost usb;
    Bus bus{clock, faults, usb};
    std::string lastError;

private:
    World();
    int Apply(const BusSettings& settings);
    void Apply(const Fault& fault);
    void ConfigureFromEnvironment();
    void ConfigureStandardBus();
};

} // namespace emulator
