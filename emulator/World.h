#pragma once
#include <mutex>
#include <string>

#include "emulator/Bus.h"
#include "emulator/Clock.h"
#include "emulator/Trace.h"

namespace emulator {

// Everything the emulator simulates, one instance per process. Built on first use from the
// environment: D2XX_EMULATOR_CONFIG names a configuration file (none or empty: the two
// standard boards), D2XX_EMULATOR_TRACE a trace file. Every entry point, D2XX or control,
// holds the mutex for its whole call.
class World {
public:
    static World& Instance();

    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // 0, or the number of the first bad line with lastError saying why; the bus is then left
    // as it was.
    int Configure(const std::string& text);

    std::mutex mutex;
    Clock clock;
    Trace trace;
    Bus bus{clock};
    std::string lastError;

private:
    World();
    void ConfigureFromEnvironment();
};

} // namespace emulator
