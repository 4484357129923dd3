#pragma once
// Prototypes of the D2XX functions that libftd2xx.so exports. The program never includes
// this: it binds the functions by name at run time. Tests that link the emulator directly
// call them through these declarations.
#include "link/D2xxTypes.h"

extern "C" {
FT_STATUS FTD2XX_CALL FT_ListDevices(void* argument1, void* argument2, DWORD flags);
FT_STATUS FTD2XX_CALL FT_Open(int deviceNumber, FT_HANDLE* handle);
FT_STATUS FTD2XX_CALL FT_OpenEx(void* argument, DWORD flags, FT_HANDLE* handle);
FT_STATUS FTD2XX_CALL FT_Close(FT_HANDLE handle);
FT_STATUS FTD2XX_CALL FT_Read(FT_HANDLE handle, void* buffer, DWORD count, DWORD* received);
FT_STATUS FTD2XX_CALL FT_Write(FT_HANDLE handle, void* buffer, DWORD count, DWORD* written);
FT_STATUS FTD2XX_CALL FT_Purge(FT_HANDLE handle, ULONG mask);
FT_STATUS FTD2XX_CALL FT_SetTimeouts(FT_HANDLE handle, ULONG readMilliseconds, ULONG writeMilliseconds);
FT_STATUS FTD2XX_CALL FT_GetQueueStatus(FT_HANDLE handle, DWORD* count);
FT_STATUS FTD2XX_CALL FT_ResetDevice(FT_HANDLE handle);
FT_STATUS FTD2XX_CALL FT_SetChars(FT_HANDLE handle, unsigned char eventCharacter, unsigned char eventEnabled,
                                  unsigned char errorCharacter, unsigned char errorEnabled);
}
