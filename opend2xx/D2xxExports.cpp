// The ten D2XX entry points the program looks up, over libftdi1 and libusb. Handles are
// numbers handed out in the order of opening, so that a closed or bogus handle is refused
// instead of followed. Each open device has a lock of its own, held for a whole call on it, so
// that calls on different boards run side by side (a run on several boards has a thread per
// board); each device has its own libftdi and libusb contexts, so nothing of libusb is
// shared between them. Scans (listing, opening) take one lock, the handle table another,
// each only for as long as it needs.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>
#include <vector>

#include <ftdi.h>

#include "emulator/D2xxFunctions.h"
#include "opend2xx/DeviceDirectory.h"
#include "opend2xx/OpenDevice.h"
#include "opend2xx/UsbConstants.h"

#define OPEN_D2XX_EXPORT __attribute__((visibility("default")))

using opend2xx::DeviceDirectory;
using opend2xx::OpenDevice;

namespace {

// One open device and the lock its calls hold. A close empties it under that lock, so a
// call that found it just before waits for the close or finds it closed.
struct Slot {
    std::mutex lock;
    std::unique_ptr<OpenDevice> device;
};

std::mutex scanLock;
std::mutex tableLock;
std::map<std::uintptr_t, std::shared_ptr<Slot>> openDevices; // under tableLock
std::uintptr_t nextHandle = 1;                                // under tableLock

std::shared_ptr<Slot> Find(FT_HANDLE handle)
{
    std::lock_guard lock(tableLock);
    const auto found = openDevices.find(reinterpret_cast<std::uintptr_t>(handle));
    return found == openDevices.end() ? nullptr : found->second;
}

// A libftdi context for one scan, and for the device opened from it.
struct ScanContext {
    ftdi_context* ftdi = ftdi_new();
    ~ScanContext()
    {
        if (ftdi)
            ftdi_free(ftdi);
    }
    ftdi_context* Release()
    {
        ftdi_context* taken = ftdi;
        ftdi = nullptr;
        return taken;
    }
};

void CopyText(const std::string& text, char* buffer)
{
    const std::size_t length = std::min<std::size_t>(text.size(), opend2xx::IDENTITY_TEXT_SIZE - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}

const std::string& Field(const opend2xx::DeviceIdentity& identity, DWORD flags)
{
    return (flags & FT_OPEN_BY_DESCRIPTION) ? identity.description : identity.serial;
}

FT_STATUS OpenFrom(ScanContext& context, const DeviceDirectory& directory, int index, FT_HANDLE* handle)
{
    if (index < 0)
        return FT_DEVICE_NOT_FOUND;
    auto slot = std::make_shared<Slot>();
    slot->device = std::make_unique<OpenDevice>();
    const FT_STATUS status = slot->device->Open(context.Release(), directory.Device(static_cast<std::size_t>(index)));
    if (status != FT_OK)
        return status;
    std::lock_guard lock(tableLock);
    const std::uintptr_t id = nextHandle++;
    openDevices[id] = std::move(slot);
    *handle = reinterpret_cast<FT_HANDLE>(id);
    return FT_OK;
}

template <typename Call>
FT_STATUS OnDevice(FT_HANDLE handle, Call call)
{
    const std::shared_ptr<Slot> slot = Find(handle);
    if (!slot)
        return FT_INVALID_HANDLE;
    std::lock_guard lock(slot->lock);
    if (!slot->device)
        return FT_INVALID_HANDLE;
    return call(*slot->device);
}

} // namespace

extern "C" {

OPEN_D2XX_EXPORT FT_STATUS FT_ListDevices(void* argument1, void* argument2, DWORD flags)
{
    std::lock_guard lock(scanLock);
    ScanContext context;
    if (!context.ftdi)
        return FT_OTHER_ERROR;
    const DeviceDirectory directory(context.ftdi, !(flags & FT_LIST_NUMBER_ONLY));
    if (!directory.Scanned())
        return FT_IO_ERROR;
    const std::vector<std::size_t> boards = directory.Boards();
    if (flags & FT_LIST_NUMBER_ONLY) {
        if (!argument1)
            return FT_INVALID_PARAMETER;
        *static_cast<DWORD*>(argument1) = static_cast<DWORD>(boards.size());
        return FT_OK;
    }
    if (flags & FT_LIST_ALL) {
        if (!argument1 || !argument2)
            return FT_INVALID_PARAMETER;
        // The caller's table ends with a null entry; a table too short for the bus shows as
        // a count larger than the texts filled in, and is never written past.
        char** buffers = static_cast<char**>(argument1);
        for (std::size_t i = 0; i < boards.size() && buffers[i]; ++i)
            CopyText(Field(directory.Identities()[boards[i]], flags), buffers[i]);
        *static_cast<DWORD*>(argument2) = static_cast<DWORD>(boards.size());
        return FT_OK;
    }
    if (flags & FT_LIST_BY_INDEX) {
        if (!argument2)
            return FT_INVALID_PARAMETER;
        const auto index = reinterpret_cast<std::uintptr_t>(argument1);
        if (index >= boards.size())
            return FT_DEVICE_NOT_FOUND;
        CopyText(Field(directory.Identities()[boards[index]], flags), static_cast<char*>(argument2));
        return FT_OK;
    }
    return FT_INVALID_PARAMETER;
}

OPEN_D2XX_EXPORT FT_STATUS FT_Open(int deviceNumber, FT_HANDLE* handle)
{
    std::lock_guard lock(scanLock);
    if (!handle)
        return FT_INVALID_PARAMETER;
    ScanContext context;
    if (!context.ftdi)
        return FT_OTHER_ERROR;
    const DeviceDirectory directory(context.ftdi, false);
    const std::vector<std::size_t> boards = directory.Boards();
    if (deviceNumber < 0 || static_cast<std::size_t>(deviceNumber) >= boards.size())
        return FT_DEVICE_NOT_FOUND;
    return OpenFrom(context, directory, static_cast<int>(boards[static_cast<std::size_t>(deviceNumber)]), handle);
}

OPEN_D2XX_EXPORT FT_STATUS FT_OpenEx(void* argument, DWORD flags, FT_HANDLE* handle)
{
    std::lock_guard lock(scanLock);
    if (!argument || !handle)
        return FT_INVALID_PARAMETER;
    ScanContext context;
    if (!context.ftdi)
        return FT_OTHER_ERROR;
    const DeviceDirectory directory(context.ftdi, true);
    const int index = opend2xx::FindByText(directory.Identities(), static_cast<const char*>(argument), flags);
    return OpenFrom(context, directory, index, handle);
}

OPEN_D2XX_EXPORT FT_STATUS FT_Close(FT_HANDLE handle)
{
    // Closing a device that has gone still frees its handle.
    std::shared_ptr<Slot> slot;
    {
        std::lock_guard lock(tableLock);
        const auto found = openDevices.find(reinterpret_cast<std::uintptr_t>(handle));
        if (found == openDevices.end())
            return FT_INVALID_HANDLE;
        slot = std::move(found->second);
        openDevices.erase(found);
    }
    std::lock_guard lock(slot->lock);
    slot->device.reset();
    return FT_OK;
}

OPEN_D2XX_EXPORT FT_STATUS FT_Read(FT_HANDLE handle, void* buffer, DWORD count, DWORD* received)
{
    if (!received)
        return FT_INVALID_PARAMETER;
    *received = 0;
    return OnDevice(handle, [&](OpenDevice& device) {
        return device.Read(static_cast<std::uint8_t*>(buffer), count, *received);
    });
}

OPEN_D2XX_EXPORT FT_STATUS FT_Write(FT_HANDLE handle, void* buffer, DWORD count, DWORD* written)
{
    if (!written)
        return FT_INVALID_PARAMETER;
    *written = 0;
    return OnDevice(handle, [&](OpenDevice& device) {
        return device.Write(static_cast<const std::uint8_t*>(buffer), count, *written);
    });
}

OPEN_D2XX_EXPORT FT_STATUS FT_Purge(FT_HANDLE handle, ULONG mask)
{
    return OnDevice(handle, [&](OpenDevice& device) { return device.Purge(mask); });
}

OPEN_D2XX_EXPORT FT_STATUS FT_SetTimeouts(FT_HANDLE handle, ULONG readMilliseconds,
                                                                ULONG writeMilliseconds)
{
    return OnDevice(handle, [&](OpenDevice& device) { return device.SetTimeouts(readMilliseconds, writeMilliseconds); });
}

OPEN_D2XX_EXPORT FT_STATUS FT_GetQueueStatus(FT_HANDLE handle, DWORD* count)
{
    if (!count)
        return FT_INVALID_PARAMETER;
    return OnDevice(handle, [&](OpenDevice& device) { return device.QueueStatus(*count); });
}

OPEN_D2XX_EXPORT FT_STATUS FT_ResetDevice(FT_HANDLE handle)
{
    return OnDevice(handle, [&](OpenDevice& device) { return device.Reset(); });
}

} // extern "C"

// The program binds these by name through the pointer types of D2xxTypes.h.
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
