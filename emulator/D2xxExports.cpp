// The ten D2XX entry points the program looks up, with the vendor's names and types. Each
// call runs under the emulator's lock and leaves one line in the trace file.
#include <cstdio>
#include <string>
#include <type_traits>
#include <vector>

#include "emulator/D2xxFunctions.h"
#include "emulator/EmulatorControl.h"
#include "emulator/World.h"
#include "link/D2xxTypes.h"

using emulator::HandleId;
using emulator::HexBytes;
using emulator::World;

namespace {

HandleId IdOf(FT_HANDLE handle)
{
    return reinterpret_cast<HandleId>(handle);
}

FT_HANDLE HandleOf(HandleId id)
{
    return reinterpret_cast<FT_HANDLE>(id);
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

// Builds one trace line; `call` is taken at the start of the call so that the moment shown
// is when the program made it, before any wait.
class TracedCall {
public:
    TracedCall(World& world, std::string call)
        : world_(world), start_(world.clock.Now()), line_(std::move(call))
    {
    }
    void Add(const std::string& field) { line_ += " " + field; }
    FT_STATUS Finish(FT_STATUS status)
    {
        if (world_.trace.Enabled())
            world_.trace.Write(start_, line_ + " -> " + std::to_string(status));
        return status;
    }

private:
    World& world_;
    std::uint64_t start_;
    std::string line_;
};

std::string HandleText(FT_HANDLE handle)
{
    return "handle=" + std::to_string(IdOf(handle));
}

} // namespace

extern "C" {

EMULATOR_EXPORT FT_STATUS FTD2XX_CALL FT_ListDevices(void* argument1, void* argument2, DWORD flags)
{
    World& world = World::Instance();
    std::lock_guard lock(world.mutex);
    char flagText[32];
    std::snprintf(flagText, sizeof flagText, "flags=0x%08X", static_cast<unsigned>(flags));
    TracedCall call(world, std::string("FT_ListDevices(") + flagText + ")");

    if (flags & FT_LIST_NUMBER_ONLY) {
        if (!argument1)
            return call.Finish(FT_INVALID_PARAMETER);
        DWORD count = 0;
        const FT_STATUS status = world.bus.Count(count);
        if (status == FT_OK) {
            *static_cast<DWORD*>(argument1) = count;
            call.Add("count=" + std::to_string(count));
        }
        return call.Finish(status);
    }
    const DWORD field = flags & (FT_OPEN_BY_SERIAL_NUMBER | FT_OPEN_BY_DESCRIPTION);
    if (flags & FT_LIST_ALL) {
        if (!argument1 || !argument2)
            return call.Finish(FT_INVALID_PARAMETER);
        DWORD count = 0;
        std::vector<std::string> listed;
        const FT_STATUS status =
            world.bus.ListAll(static_cast<char**>(argument1), field, count, listed);
        if (status == FT_OK) {
            *static_cast<DWORD*>(argument2) = count;
            std::string texts;
            for (const std::string& text : listed) {
                if (!texts.empty())
                    texts += ',';
                texts += Quoted(text);
            }
            call.Add("count=" + std::to_string(count) + " list=" + texts);
        }
        return call.Finish(status);
    }
    if (flags & FT_LIST_BY_INDEX) {
        if (!argument2)
            return call.Finish(FT_INVALID_PARAMETER);
        std::string listed;
        const FT_STATUS status = world.bus.ListByIndex(
            static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(argument1)),
            static_cast<char*>(argument2), field, listed);
        if (status == FT_OK)
            call.Add("list=" + Quoted(listed));
        return call.Finish(status);
    }
    return call.Finish(FT_INVALID_PARAMETER);
}

EMULATOR_EXPORT FT_STATUS FTD2XX_CALL FT_Open(int deviceNumber, FT_HANDLE* handle)
{
    World& world = World::Instance();
    std::lock_guard lock(world.mutex);
    TracedCall call(world, "FT_Open(device=" + std::to_string(deviceNumber) + ")");
    if (!handle)
        return call.Finish(FT_INVALID_PARAMETER);
    HandleId id = 0;
    const FT_STATUS status = world.bus.Open(deviceNumber, id);
    if (status == FT_OK) {
        *handle = HandleOf(id);
        call.Add("handle=" + std::to_string(id));
    }
    return call.Finish(status);
}

EMULATOR_EXPORT FT_STATUS FTD2XX_CALL FT_OpenEx(void* argument, DWORD flags, FT_HANDLE* handle)
{
    World& world = World::Instance();
    std::lock_guard lock(world.mutex);
    const char* text = static_cast<const char*>(argument);
    TracedCall call(world, "FT_OpenEx(text=" + (text ? Quoted(text) : std::string("null")) +
                               ", flags=" + std::to_string(flags) + ")");
    if (!text || !handle)
        return call.Finish(FT_INVALID_PARAMETER);
    HandleId id = 0;
    const FT_STATUS status = world.bus.OpenEx(text, flags, id);
    if (status == FT_OK) {
        *handle = HandleOf(id);
        call.Add("handle=" + std::to_string(id));
    }
    return call.Finish(status);
}

EMULATOR_EXPORT FT_STATUS FTD2XX_CALL FT_Close(FT_HANDLE handle)
{
    World& world = World::Instance();
    std::lock_guard lock(world.mutex);
    TracedCall call(world, "FT_Close(" + HandleText(handle) + ")");
    return call.Finish(world.bus.Close(IdOf(handle)));
}

EMULATOR_EXPORT FT_STATUS FTD2XX_CALL FT_Read(FT_HANDLE handle, void* buffer, DWORD count, DWORD* received)
{
    World& world = World::Instance();
    std::unique_lock lock(world.mutex);
    TracedCall call(world, "FT_Read(" + HandleText(handle) + ", count=" + std::to_string(count) + ")");
    if (!received)
        return call.Finish(FT_INVALID_PARAMETER);
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    const FT_STATUS status = world.bus.Read(IdOf(handle), bytes, count, *received, lock);
    if (*received > 0)
        call.Add("rx=" + HexBytes(bytes, *received));
    call.Add("received=" + std::to_string(*received));
    return call.Finish(status);
}

EMULATOR_EXPORT FT_STATUS FTD2XX_CALL FT_Write(FT_HANDLE handle, void* buffer, DWORD count, DWORD* written)
{
    World& world = World::Instance();
    std::unique_lock lock(world.mutex);
    TracedCall call(world, "FT_Write(" + HandleText(handle) + ", count=" + std::to_string(count) + ")");
    if (!written)
        return call.Finish(FT_INVALID_PARAMETER);
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    if (bytes && count > 0)
        call.Add("tx=" + HexBytes(bytes, count));
    const FT_STATUS status = world.bus.Write(IdOf(handle), bytes, count, *written, lock);
    call.Add("written=" + std::to_string(*written));
    return call.Finish(status);
}

EMULATOR_EXPORT FT_STATUS FTD2XX_CALL FT_Purge(FT_HANDLE handle, ULONG mask)
{
    World& world = World::Instance();
    std::lock_guard lock(world.mutex);
    TracedCall call(world, "FT_Purge(" + HandleText(handle) + ", mask=" + std::to_string(mask) + ")");
    return call.Finish(world.bus.Purge(IdOf(handle), mask));
}

EMULATOR_EXPORT FT_STATUS FTD2XX_CALL FT_SetTimeouts(FT_HANDLE handle, ULONG readMilliseconds,
                                         ULONG writeMilliseconds)
{
    World& world = World::Instance();
    std::lock_guard lock(world.mutex);
    TracedCall call(world, "FT_SetTimeouts(" + HandleText(handle) + ", read=" +
                               std::to_string(readMilliseconds) +
                               ", write=" + std::to_string(writeMilliseconds) + ")");
    return call.Finish(world.bus.SetTimeouts(IdOf(handle), readMilliseconds, writeMilliseconds));
}

EMULATOR_EXPORT FT_STATUS FTD2XX_CALL FT_GetQueueStatus(FT_HANDLE handle, DWORD* count)
{
    World& world = World::Instance();
    std::lock_guard lock(world.mutex);
    TracedCall call(world, "FT_GetQueueStatus(" + HandleText(handle) + ")");
    if (!count)
        return call.Finish(FT_INVALID_PARAMETER);
    const FT_STATUS status = world.bus.QueueStatus(IdOf(handle), *count);
    call.Add("queue=" + std::to_string(*count));
    return call.Finish(status);
}

EMULATOR_EXPORT FT_STATUS FTD2XX_CALL FT_ResetDevice(FT_HANDLE handle)
{
    World& world = World::Instance();
    std::lock_guard lock(world.mutex);
    TracedCall call(world, "FT_ResetDevice(" + HandleText(handle) + ")");
    return call.Finish(world.bus.Reset(IdOf(handle)));
}

EMULATOR_EXPORT FT_STATUS FTD2XX_CALL FT_SetChars(FT_HANDLE handle, unsigned char eventCharacter,
                                                  unsigned char eventEnabled, unsigned char errorCharacter,
                                                  unsigned char errorEnabled)
{
    World& world = World::Instance();
    std::lock_guard lock(world.mutex);
    TracedCall call(world, "FT_SetChars(" + HandleText(handle) + ", event=" + HexBytes(&eventCharacter, 1) +
                               ", event_enabled=" + std::to_string(eventEnabled) +
                               ", error=" + HexBytes(&errorCharacter, 1) +
                               ", error_enabled=" + std::to_string(errorEnabled) + ")");
    return call.Finish(world.bus.SetChars(IdOf(handle), eventEnabled ? std::optional<std::uint8_t>(eventCharacter)
                                                                     : std::nullopt));
}

} // extern "C"

// The program binds these by name through the pointer types of D2xxTypes.h; a signature that
// drifted from them would call with the wrong arguments, so let the compiler compare.
static_assert(std::is_same_v<decltype(&FT_Write), PtrToWrite>);
static_assert(std::is_same_v<decltype(&FT_Read), PtrToRead>);
static_assert(std::is_same_v<decltype(&FT_Open), PtrToOpen>);
static_assert(std::is_same_v<decltype(&FT_OpenEx), PtrToOpenEx>);
static_assert(std::is_same_v<decltype(&FT_ListDevices), PtrToListDevices>);
static_assert(std::is_same_v<decltype(&FT_Close), PtrToClose>);
static_assert(std::is_same_v<decltype(&FT_ResetDevice), PtrToResetDevice>);
static_assert(std::is_same_v<decltype(&FT_Purge), PtrToPurge>);
static_assert(std::is_same_v<decltype(&FT_SetTimeouts), PtrToSetTimeouts>);
static_assert(std::is_same_v<decltype(&FT_GetQueueStatus), PtrToGetQueueStatus>);
static_assert(std::is_same_v<decltype(&FT_SetChars), PtrToSetChars>);
