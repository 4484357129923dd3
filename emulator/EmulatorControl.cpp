#include "emulator/EmulatorControl.h"

#include <cstdio>
#include <optional>
#include <string>

#include "emulator/Configuration.h"
#include "emulator/World.h"

using emulator::Board;
using emulator::World;

namespace {

// Every control call starts with a clean error text and reports a failure through it.
int Fail(World& world, const std::string& why)
{
    world.lastError = why;
    return -1;
}

std::string Hex(unsigned value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

Board* FindBoard(World& world, int device)
{
    Board* board = world.bus.BoardAt(device);
    if (!board)
        world.lastError = "no board " + std::to_string(device);
    return board;
}

// Runs `action(world, board)` for the board of `device` under the world's lock, with a clean
// error text; -1 for a device the configuration does not have.
template <typename Action>
int OnBoard(int device, Action action)
{
    World& world = World::Instance();
    std::lock_guard lock(world.mutex);
    world.lastError.clear();
    Board* board = FindBoard(world, device);
    return board ? action(world, *board) : -1;
}

} // namespace

extern "C" {

EMULATOR_EXPORT int EmuConfigure(const char* configurationText)
{
    World& world = World::Instance();
    std::lock_guard lock(world.mutex);
    return world.Configure(configurationText ? configurationText : "");
}

EMULATOR_EXPORT void EmuSetSimulatedTime(int enabled)
{
    World& world = World::Instance();
    std::lock_guard lock(world.mutex);
    world.clock.SetSimulated(enabled != 0);
}

EMULATOR_EXPORT void EmuAdvanceClock(unsigned milliseconds)
{
    World& world = World::Instance();
    std::lock_guard lock(world.mutex);
    world.clock.Advance(milliseconds);
}

EMULATOR_EXPORT unsigned long long EmuTargetWriteMilliseconds(void)
{
    World& world = World::Instance();
    std::lock_guard lock(world.mutex);
    unsigned long long total = 0;
    for (int i = 0; i < world.bus.BoardCount(); ++i)
        total += world.bus.BoardAt(i)->TargetWriteMilliseconds();
    return total;
}

EMULATOR_EXPORT unsigned long long EmuClockMilliseconds(void)
{
    World& world = World::Instance();
    std::lock_guard lock(world.mutex);
    return world.clock.Now();
}

EMULATOR_EXPORT int EmuSetUsbCost(int enabled, unsigned frameMilliseconds, unsigned latencyMilliseconds)
{
    World& world = World::Instance();
    std::lock_guard lock(world.mutex);
    world.lastError.clear();
    if (frameMilliseconds > emulator::USB_COST_LIMIT || latencyMilliseconds > emulator::USB_COST_LIMIT)
        return Fail(world, "frame and latency are at most " + std::to_string(emulator::USB_COST_LIMIT) + " ms");
    world.usb.Set(enabled != 0, frameMilliseconds, latencyMilliseconds);
    return 0;
}

EMULATOR_EXPORT int EmuInjectFault(const char* fault)
{
    World& world = World::Instance();
    std::lock_guard lock(world.mutex);
    return world.InjectFault(fault ? fault : "", -1);
}

EMULATOR_EXPORT void EmuClearFaults(void)
{
    World& world = World::Instance();
    std::lock_guard lock(world.mutex);
    world.ClearFaults();
}

EMULATOR_EXPORT int EmuGetChipWord(int device, unsigned address, unsigned* value)
{
    return OnBoard(device, [&](World& world, Board& board) {
        const std::optional<unsigned> cell = board.Chip().Cell(address);
        if (!cell || !value)
            return Fail(world, "no cell at " + Hex(address) + " in a " + board.Chip().Profile().name);
        *value = *cell;
        return 0;
    });
}

EMULATOR_EXPORT int EmuSetChipWord(int device, unsigned address, unsigned value)
{
    return OnBoard(device, [&](World& world, Board& board) {
        if (!board.Chip().SetCell(address, value))
            return Fail(world, "no cell at " + Hex(address) + " in a " + board.Chip().Profile().name);
        board.MarkChanged();
        board.SaveState();
        return 0;
    });
}

EMULATOR_EXPORT int EmuGetVersionText(int device, char* buffer, unsigned size)
{
    return OnBoard(device, [&](World& world, Board& board) {
        if (!buffer || size == 0)
            return Fail(world, "no buffer for the version text");
        const emulator::VersionText& version = board.Version();
        unsigned length = 0;
        while (length < version.size() && version[length] != 0 && length + 1 < size) {
            buffer[length] = static_cast<char>(version[length]);
            ++length;
        }
        buffer[length] = '\0';
        return 0;
    });
}

EMULATOR_EXPORT int EmuSetVersionText(int device, const char* text)
{
    return OnBoard(device, [&](World& world, Board& board) {
        const std::string value = text ? text : "";
        if (value.size() > emulator::VERSION_TEXT_LENGTH)
            return Fail(world, "a version text has at most 16 characters");
        board.Version() = emulator::FixedText<emulator::VERSION_TEXT_LENGTH>(value);
        board.MarkChanged();
        board.SaveState();
        return 0;
    });
}

EMULATOR_EXPORT void EmuSetTraceFile(const char* path)
{
    World& world = World::Instance();
    std::lock_guard lock(world.mutex);
    world.lastError.clear();
    if (!world.trace.Open(path ? path : ""))
        world.lastError = std::string("cannot append to trace file ") + path;
}

EMULATOR_EXPORT int EmuSetAttached(int device, int attached)
{
    return OnBoard(device, [&](World&, Board& board) {
        if (attached)
            board.Plug();
        else
            board.Unplug();
        return 0;
    });
}

EMULATOR_EXPORT int EmuIsOpen(int device)
{
    return OnBoard(device, [&](World& world, Board&) { return world.bus.IsOpen(device) ? 1 : 0; });
}

EMULATOR_EXPORT int EmuBoardCount(void)
{
    World& world = World::Instance();
    std::lock_guard lock(world.mutex);
    return world.bus.BoardCount();
}

EMULATOR_EXPORT const char* EmuLastError(void)
{
    World& world = World::Instance();
    std::lock_guard lock(world.mutex);
    return world.lastError.c_str();
}

} // extern "C"
