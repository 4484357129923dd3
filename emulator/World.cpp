#include "emulator/World.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "emulator/Configuration.h"
#include "emulator/StateFolder.h"

namespace emulator {

World& World::Instance()
{
    static World world;
    return world;
}

World::World()
{
    ConfigureFromEnvironment();
}

void World::ConfigureFromEnvironment()
{
    // The program cannot be told about a bad configuration, so the emulator says it on the
    // standard error stream and shows an empty bus: the user sees "No devices attached".
    const char* configPath = std::getenv("D2XX_EMULATOR_CONFIG");
    if (!configPath || !*configPath) {
        ConfigureStandardBus();
    } else {
        std::ifstream file(configPath);
        std::ostringstream content;
        content << file.rdbuf();
        if (!file) {
            std::fprintf(stderr, "D2XX emulator: cannot read %s; no boards attached\n", configPath);
            Configure("boards = 0");
        } else if (Configure(content.str()) != 0) {
            std::fprintf(stderr, "D2XX emulator: %s: %s; no boards attached\n", configPath,
                         lastError.c_str());
            Configure("boards = 0");
        }
    }
    if (const char* tracePath = std::getenv("D2XX_EMULATOR_TRACE"); tracePath && *tracePath) {
        if (!trace.Open(tracePath))
            std::fprintf(stderr, "D2XX emulator: cannot append to trace file %s\n", tracePath);
    }
}

void World::ConfigureStandardBus()
{
    // A real chip keeps its flash between runs of the program, so the boards a user gets
    // without a configuration keep theirs too: one state file per board, named after its
    // serial number, in the user's state folder.
    BusSettings settings;
    std::string error;
    ParseConfiguration("", settings, error);
    const std::string folder = StandardStateFolder();
    if (folder.empty()) {
#if defined(_WIN32)
        std::fprintf(stderr, "D2XX emulator: LOCALAPPDATA is not set; the chips are not kept between runs\n");
#else
        std::fprintf(stderr, "D2XX emulator: neither XDG_STATE_HOME nor HOME is set; the chips are "
                             "not kept between runs\n");
#endif
    } else if (!MakeStateFolder(folder, error)) {
        std::fprintf(stderr, "D2XX emulator: %s; the chips are not kept between runs\n", error.c_str());
    } else {
        for (BoardSettings& board : settings.boards)
            board.statePath = folder + "/" + board.serial + ".state";
    }
    Apply(settings);
}

int World::Configure(const std::string& text)
{
    BusSettings settings;
    std::string error;
    if (const int line = ParseConfiguration(text, settings, error); line != 0) {
        lastError = "line " + std::to_string(line) + ": " + error;
        return line;
    }
    return Apply(settings);
}

int World::Apply(const BusSettings& settings)
{
    std::string error;
    // Every fault line is checked before anything changes, so a bad one leaves the bus as it was.
    std::vector<Fault> parsed;
    for (const FaultLine& line : settings.faults) {
        Fault fault;
        if (!ParseFault(line.text, line.board, fault, error)) {
            lastError = "line " + std::to_string(line.line) + ": " + error;
            return line.line;
        }
        parsed.push_back(fault);
    }
    if (settings.tracePath && !trace.Open(*settings.tracePath)) {
        lastError = "cannot append to trace file " + *settings.tracePath;
        return 1;
    }
    if (settings.simulatedTime)
        clock.SetSimulated(*settings.simulatedTime);
    usb.Set(settings.usbCost.value_or(usb.Enabled()), settings.usbFrame.value_or(usb.FrameMilliseconds()),
            settings.usbLatency.value_or(usb.LatencyMilliseconds()));
    faults.Clear();
    if (settings.eventCharacterHonoured)
        bus.SetEventCharacterHonoured(*settings.eventCharacterHonoured);
    bus.Build(settings.boards);
    for (const Fault& fault : parsed)
        Apply(fault);
    clock.Reset();
    lastError.clear();
    return 0;
}

int World::InjectFault(const std::string& text, int board)
{
    Fault fault;
    if (!ParseFault(text, board, fault, lastError))
        return -1;
    Apply(fault);
    lastError.clear();
    return 0;
}

void World::Apply(const Fault& fault)
{
    // "boards" changes the bus at once instead of waiting for an occasion.
    if (fault.kind == FaultKind::Boards)
        bus.SetBoardCount(static_cast<int>(*fault.count));
    else
        faults.Add(fault);
}

void World::ClearFaults()
{
    faults.Clear();
    bus.DisarmBoards();
}

} // namespace emulator
