// A D2XX library that stops after FT_Close: it lacks FT_ResetDevice and the entry points
// looked up after it, as an old or foreign driver might. The six it has are trivial.
#include "link/D2xxTypes.h"

#if defined(_WIN32)
#define PARTIAL_EXPORT __declspec(dllexport)
#else
#define PARTIAL_EXPORT __attribute__((visibility("default")))
#endif

namespace {
// Any non-null value serves as the handle of the one pretend device.
FT_HANDLE const kPretendHandle = reinterpret_cast<FT_HANDLE>(0x1);
} // namespace

extern "C" {

PARTIAL_EXPORT FT_STATUS FTD2XX_CALL FT_Write(FT_HANDLE, void*, DWORD count, DWORD* written)
{
    *written = count;
    return FT_OK;
}

PARTIAL_EXPORT FT_STATUS FTD2XX_CALL FT_Read(FT_HANDLE, void*, DWORD, DWORD* received)
{
    *received = 0;
    return FT_OK;
}

PARTIAL_EXPORT FT_STATUS FTD2XX_CALL FT_Open(int, FT_HANDLE* handle)
{
    *handle = kPretendHandle;
    return FT_OK;
}

PARTIAL_EXPORT FT_STATUS FTD2XX_CALL FT_OpenEx(void*, DWORD, FT_HANDLE* handle)
{
    *handle = kPretendHandle;
    return FT_OK;
}

PARTIAL_EXPORT FT_STATUS FTD2XX_CALL FT_ListDevices(void* count, void*, DWORD)
{
    *static_cast<DWORD*>(count) = 0;
    return FT_OK;
}

PARTIAL_EXPORT FT_STATUS FTD2XX_CALL FT_Close(FT_HANDLE)
{
    return FT_OK;
}
}
