#pragma once
// Types and constants of the FTDI D2XX driver interface, as the vendor's library exports
// them. Kept here so that neither the program nor the emulator needs the vendor's header.

#include <cstdint>

#if defined(_WIN32)
#define FTD2XX_CALL __stdcall
#else
#define FTD2XX_CALL
#endif

using FT_HANDLE = void*;
using FT_STATUS = std::uint32_t;
#if defined(_WIN32)
// As <windows.h> declares them, so that a file may include both (the window's system menu
// does); unsigned long has 32 bits on Windows.
using DWORD = unsigned long;
using ULONG = unsigned long;
#else
using DWORD = std::uint32_t;
using ULONG = std::uint32_t;
#endif
static_assert(sizeof(DWORD) == 4 && sizeof(ULONG) == 4);

inline constexpr FT_STATUS FT_OK = 0;
inline constexpr FT_STATUS FT_INVALID_HANDLE = 1;
inline constexpr FT_STATUS FT_DEVICE_NOT_FOUND = 2;
inline constexpr FT_STATUS FT_DEVICE_NOT_OPENED = 3;
inline constexpr FT_STATUS FT_IO_ERROR = 4;
inline constexpr FT_STATUS FT_INVALID_PARAMETER = 6;
inline constexpr FT_STATUS FT_FAILED_TO_WRITE_DEVICE = 10;
inline constexpr FT_STATUS FT_INVALID_ARGS = 16;
inline constexpr FT_STATUS FT_OTHER_ERROR = 18;

inline constexpr DWORD FT_OPEN_BY_SERIAL_NUMBER = 1;
inline constexpr DWORD FT_OPEN_BY_DESCRIPTION = 2;
inline constexpr DWORD FT_LIST_NUMBER_ONLY = 0x80000000u;
inline constexpr DWORD FT_LIST_BY_INDEX = 0x40000000u;
inline constexpr DWORD FT_LIST_ALL = 0x20000000u;
inline constexpr DWORD FT_PURGE_RX = 1;
inline constexpr DWORD FT_PURGE_TX = 2;

// Each serial number or description returned by FT_ListDevices fits a 64-byte buffer.
inline constexpr int FT_LIST_BUFFER_SIZE = 64;

// The event character the program asks for: the last byte of the board's acknowledge, on
// whose arrival the chip sends what it holds instead of waiting for its latency timer.
inline constexpr unsigned char EVENT_CHARACTER = 0x0A;

extern "C" {
using PtrToWrite = FT_STATUS(FTD2XX_CALL*)(FT_HANDLE, void*, DWORD, DWORD*);
using PtrToRead = FT_STATUS(FTD2XX_CALL*)(FT_HANDLE, void*, DWORD, DWORD*);
using PtrToOpen = FT_STATUS(FTD2XX_CALL*)(int, FT_HANDLE*);
using PtrToOpenEx = FT_STATUS(FTD2XX_CALL*)(void*, DWORD, FT_HANDLE*);
using PtrToListDevices = FT_STATUS(FTD2XX_CALL*)(void*, void*, DWORD);
using PtrToClose = FT_STATUS(FTD2XX_CALL*)(FT_HANDLE);
using PtrToResetDevice = FT_STATUS(FTD2XX_CALL*)(FT_HANDLE);
using PtrToPurge = FT_STATUS(FTD2XX_CALL*)(FT_HANDLE, ULONG);
using PtrToSetTimeouts = FT_STATUS(FTD2XX_CALL*)(FT_HANDLE, ULONG, ULONG);
using PtrToGetQueueStatus = FT_STATUS(FTD2XX_CALL*)(FT_HANDLE, DWORD*);
// Optional: looked up after the ten, and its absence changes nothing.
using PtrToSetChars = FT_STATUS(FTD2XX_CALL*)(FT_HANDLE, unsigned char, unsigned char, unsigned char, unsigned char);
}
