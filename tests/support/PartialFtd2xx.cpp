// A D2XX library with only the first QUILLET_ENTRY_POINTS of the ten entry points the
// program looks up, in its order, as an old or foreign driver might be: with six it stops
// after FT_Close. Those it has are trivial.
#include "link/D2xxTypes.h"

#ifndef QUILLET_ENTRY_POINTS
#define QUILLET_ENTRY_POINTS 6
#endif

#if defined(_WIN32)
#define PARTIAL_EXPORT __declspec(dllexport)
#else
#define PARTIAL_EXPORT __attribute__((visibility("default")))
#endif

#if QUILLET_ENTRY_POINTS > 2
namespace {
// Any non-null value serves as the handle of the one pretend device.
FT_HANDLE const kPretendHandle = reinterpret_cast<FT_HANDLE>(0x1);
} // namespace
#endif

extern "C" {

#if QUILLET_ENTRY_POINTS > 0
PARTIAL_EXPORT FT_STATUS FTD2XX_CALL FT_Write(FT_HANDLE, void*, DWORD count, DWORD* written)
{
    *written = count;
    return FT_OK;
}
#endif

#if QUILLET_ENTRY_POINTS > 1
PARTIAL_EXPORT FT_STATUS FTD2XX_CALL FT_Read(FT_HANDLE, void*, DWORD, DWORD* received)
{
    *received = 0;
    return FT_OK;
}
#endif

#if QUILLET_ENTRY_POINTS > 2
PARTIAL_EXPORT FT_STATUS FTD2XX_CALL FT_Open(int, FT_HANDLE* handle)
{
    *handle = kPretendHandle;
    return FT_OK;
}
#endif

#if QUILLET_ENTRY_POINTS > 3
PARTIAL_EXPORT FT_STATUS FTD2XX_CALL FT_OpenEx(void*, DWORD, FT_HANDLE* handle)
{
    *handle = kPretendHandle;
    return FT_OK;
}
#endif

#if QUILLET_ENTRY_POINTS > 4
PARTIAL_EXPORT FT_STATUS FTD2XX_CALL FT_ListDevices(void* count, void*, DWORD)
{
    *static_cast<DWORD*>(count) = 0;
    return FT_OK;
}
#endif

#if QUILLET_ENTRY_POINTS > 5
PARTIAL_EXPORT FT_STATUS FTD2XX_CALL FT_Close(FT_HANDLE)
{
    return FT_OK;
}
#endif

#if QUILLET_ENTRY_POINTS > 6
PARTIAL_EXPORT FT_STATUS FTD2XX_CALL FT_ResetDevice(FT_HANDLE)
{
    return FT_OK;
}
#endif

#if QUILLET_ENTRY_POINTS > 7
PARTIAL_EXPORT FT_STATUS FTD2XX_CALL FT_Purge(FT_HANDLE, ULONG)
{
    return FT_OK;
}
#endif

#if QUILLET_ENTRY_POINTS > 8
PARTIAL_EXPORT FT_STATUS FTD2XX_CALL FT_SetTimeouts(FT_HANDLE, ULONG, ULONG)
{
    return FT_OK;
}
#endif
}
