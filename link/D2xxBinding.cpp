#include "link/D2xxBinding.h"

#include <utility>
#include <vector>

#include "link/DriverLocations.h"
#include "link/MessageSink.h"

D2xxBinding::D2xxBinding(MessageSink& messages)
    : D2xxBinding(messages, DefaultLibraryName(), OpenDriverLocations())
{
}

D2xxBinding::D2xxBinding(MessageSink& messages, std::string libraryName, std::vector<std::string> fallbacks)
    : messages_(messages), libraryName_(std::move(libraryName)), fallbacks_(std::move(fallbacks))
{
}

std::string D2xxBinding::DefaultLibraryName()
{
#if defined(_WIN32)
    return "Ftd2xx.dll";
#else
    return "libftd2xx.so";
#endif
}

int D2xxBinding::LoadDriver()
{
    if (!OpenLibrary()) {
        messages_.ShowMessage(
            "Error: Can't Load ftd2xx.dll driver software -- The Search and Connect functions will not work.");
        return 1;
    }
    return BindEntries();
}

bool D2xxBinding::OpenLibrary()
{
    if (library_.IsLoaded())
        return true;
    // The vendor's library, where installed, wins; the open library is the fallback. When
    // neither loads, the reason given is the vendor library's, which the user can act on.
    if (library_.Load(libraryName_))
        return true;
    loadError_ = library_.Error();
    for (const std::string& fallback : fallbacks_)
        if (library_.Load(fallback))
            return true;
    return false;
}

int D2xxBinding::BindEntries()
{
    // The order is fixed: the lookup stops at the first missing name (&& short-circuits), and
    // the entries after it stay empty while those before it stay usable.
    const bool allFound = Bind("FT_Write", write_) && Bind("FT_Read", read_) &&
                          Bind("FT_Open", open_) && Bind("FT_OpenEx", openEx_) &&
                          Bind("FT_ListDevices", listDevices_) && Bind("FT_Close", close_) &&
                          Bind("FT_ResetDevice", resetDevice_) && Bind("FT_Purge", purge_) &&
                          Bind("FT_SetTimeouts", setTimeouts_) &&
                          Bind("FT_GetQueueStatus", getQueueStatus_);
    setChars_ = reinterpret_cast<PtrToSetChars>(library_.FindSymbol("FT_SetChars"));
    return allFound ? 0 : 1;
}

template <typename Entry>
bool D2xxBinding::Bind(const char* name, Entry& entry)
{
    entry = reinterpret_cast<Entry>(library_.FindSymbol(name));
    if (entry)
        return true;
    messages_.ShowMessage(std::string("Error: Can't Find ") + name);
    return false;
}

bool D2xxBinding::RequireEntry(const void* entry, const char* name)
{
    if (entry)
        return true;
    messages_.ShowMessage(std::string(name) + " is not valid!");
    return false;
}

FT_STATUS D2xxBinding::Read(void* buffer, DWORD count, DWORD* received)
{
    if (!RequireEntry(reinterpret_cast<const void*>(read_), "FT_Read"))
        return FT_INVALID_HANDLE;
    if (!deviceOpen_)
        return FT_INVALID_HANDLE;
    return read_(device_, buffer, count, received);
}

FT_STATUS D2xxBinding::Write(const void* buffer, DWORD count, DWORD* written)
{
    if (!RequireEntry(reinterpret_cast<const void*>(write_), "FT_Write"))
        return FT_INVALID_HANDLE;
    if (!deviceOpen_)
        return FT_INVALID_HANDLE;
    // The driver's prototype takes a non-const buffer but only reads it.
    return write_(device_, const_cast<void*>(buffer), count, written);
}

FT_STATUS D2xxBinding::Open(int deviceNumber)
{
    if (!RequireEntry(reinterpret_cast<const void*>(open_), "FT_Open"))
        return FT_INVALID_HANDLE;
    const FT_STATUS status = open_(deviceNumber, &device_);
    Opened(status);
    return status;
}

void D2xxBinding::Opened(FT_STATUS status)
{
    lastOpenStatus_ = status;
    deviceOpen_ = status == FT_OK;
    if (deviceOpen_ && setChars_)
        setChars_(device_, EVENT_CHARACTER, 1, 0, 0);
}

FT_STATUS D2xxBinding::OpenEx(const std::string& text, DWORD flags)
{
    if (!RequireEntry(reinterpret_cast<const void*>(openEx_), "FT_OpenEx"))
        return FT_INVALID_HANDLE;
    std::vector<char> argument(text.begin(), text.end());
    argument.push_back('\0');
    const FT_STATUS status = openEx_(argument.data(), flags, &device_);
    Opened(status);
    return status;
}

FT_STATUS D2xxBinding::ListDevices(void* argument1, void* argument2, DWORD flags)
{
    if (!RequireEntry(reinterpret_cast<const void*>(listDevices_), "FT_ListDevices"))
        return FT_INVALID_HANDLE;
    return listDevices_(argument1, argument2, flags);
}

FT_STATUS D2xxBinding::Close()
{
    // Callers close whenever they want the device closed, open or not; only a handle that is
    // really open is passed to the driver, and only once.
    if (!deviceOpen_)
        return FT_OK;
    if (!RequireEntry(reinterpret_cast<const void*>(close_), "FT_Close"))
        return FT_INVALID_HANDLE;
    deviceOpen_ = false;
    return close_(device_);
}

FT_STATUS D2xxBinding::Purge(ULONG mask)
{
    if (!RequireEntry(reinterpret_cast<const void*>(purge_), "FT_Purge"))
        return FT_INVALID_HANDLE;
    if (!deviceOpen_)
        return FT_INVALID_HANDLE;
    return purge_(device_, mask);
}

FT_STATUS D2xxBinding::SetTimeouts(ULONG readMilliseconds, ULONG writeMilliseconds)
{
    if (!RequireEntry(reinterpret_cast<const void*>(setTimeouts_), "FT_SetTimeouts"))
        return FT_INVALID_HANDLE;
    if (!deviceOpen_)
        return FT_INVALID_HANDLE;
    return setTimeouts_(device_, readMilliseconds, writeMilliseconds);
}

FT_STATUS D2xxBinding::GetQueueStatus(DWORD* count)
{
    if (!RequireEntry(reinterpret_cast<const void*>(getQueueStatus_), "FT_GetQueueStatus"))
        return FT_INVALID_HANDLE;
    if (!deviceOpen_)
        return FT_INVALID_HANDLE;
    return getQueueStatus_(device_, count);
}
