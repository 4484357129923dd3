#pragma once
#include <string>
#include <vector>

#include "link/D2xxTypes.h"
#include "link/DynamicLibrary.h"

class MessageSink;

// The D2XX driver library bound at run time, with one thin wrapper per entry point and the
// one device handle. A missing library or entry point does not stop the program: each
// wrapper of a missing entry point says so in a message and returns 1.
class D2xxBinding {
public:
    // The vendor's library by name, else the open library of this installation.
    explicit D2xxBinding(MessageSink& messages);
    // `libraryName`, else the first of `fallbacks` that loads.
    D2xxBinding(MessageSink& messages, std::string libraryName, std::vector<std::string> fallbacks = {});

    // "libftd2xx.so" on Linux, "Ftd2xx.dll" on Windows.
    static std::string DefaultLibraryName();

    // Loads the library and looks up the ten entry points in their fixed order, stopping at
    // the first one missing. 0 when all were found, 1 otherwise (after one message).
    // FT_SetChars is looked up besides, silently: without it the program works as before.
    int LoadDriver();
    // The two halves of LoadDriver, for a front end that words the missing library its own way:
    // OpenLibrary shows no message (LibraryError says why it failed); BindEntries is the lookup.
    bool OpenLibrary();
    int BindEntries();
    const std::string& LibraryName() const { return libraryName_; }
    // Why the library named first could not be loaded.
    const std::string& LibraryError() const { return loadError_; }
    // The open library's places, tried in this order after the named library.
    const std::vector<std::string>& Fallbacks() const { return fallbacks_; }

    // The file of the library that was loaded, or "" before a load succeeded.
    std::string LoadedPath() const { return library_.Path(); }

    FT_STATUS Read(void* buffer, DWORD count, DWORD* received);
    FT_STATUS Write(const void* buffer, DWORD count, DWORD* written);
    // Both set the event character after a successful open, when the library has FT_SetChars
    // (a refusal is ignored: the chip then sends at its latency tick, as without it).
    FT_STATUS Open(int deviceNumber);
    FT_STATUS OpenEx(const std::string& text, DWORD flags);
    FT_STATUS ListDevices(void* argument1, void* argument2, DWORD flags);
    FT_STATUS Close();
    FT_STATUS Purge(ULONG mask);
    FT_STATUS SetTimeouts(ULONG readMilliseconds, ULONG writeMilliseconds);
    FT_STATUS GetQueueStatus(DWORD* count);

    bool IsDeviceOpen() const { return deviceOpen_; }
    // What the last FT_Open or FT_OpenEx answered (FT_OK before any), for a report of which
    // step of a connect failed.
    FT_STATUS LastOpenStatus() const { return lastOpenStatus_; }

private:
    // A handle that was closed is never handed to the driver again: once closed, the
    // wrappers that need a device return FT_INVALID_HANDLE without calling it.
    bool RequireEntry(const void* entry, const char* name);
    template <typename Entry>
    bool Bind(const char* name, Entry& entry);
    void Opened(FT_STATUS status);

    MessageSink& messages_;
    std::string libraryName_;
    std::vector<std::string> fallbacks_;
    std::string loadError_;
    DynamicLibrary library_;
    FT_HANDLE device_ = nullptr;
    bool deviceOpen_ = false;
    FT_STATUS lastOpenStatus_ = FT_OK;

    PtrToWrite write_ = nullptr;
    PtrToRead read_ = nullptr;
    PtrToOpen open_ = nullptr;
    PtrToOpenEx openEx_ = nullptr;
    PtrToListDevices listDevices_ = nullptr;
    PtrToClose close_ = nullptr;
    PtrToResetDevice resetDevice_ = nullptr; // looked up, never called
    PtrToPurge purge_ = nullptr;
    PtrToSetTimeouts setTimeouts_ = nullptr;
    PtrToGetQueueStatus getQueueStatus_ = nullptr;
    PtrToSetChars setChars_ = nullptr; // optional
};
