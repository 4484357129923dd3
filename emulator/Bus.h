#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "emulator/Board.h"
#include "emulator/Clock.h"
#include "emulator/FaultSet.h"
#include "emulator/UsbCost.h"
#include "link/D2xxTypes.h"

namespace emulator {

using HandleId = std::uintptr_t;

// The USB bus as the D2XX driver shows it: attached boards numbered in order, handles,
// listing, the receive queues and the read time-outs. Device numbers count attached boards
// only, so unplugging board 0 makes board 1 device 0, as with the vendor's driver.
class Bus {
public:
    Bus(Clock& clock, FaultSet& faults, const UsbCost& usb);

    // Replaces every board; handles of the old boards become invalid.
    void Build(const std::vector<BoardSettings>& boards);
    // Adds standard boards or removes boards from the end, with their handles.
    void SetBoardCount(int count);
    // Forgets the failures that faults had armed on the boards.
    void DisarmBoards();
    int BoardCount() const { return static_cast<int>(boards_.size()); }
    Board* BoardAt(int index);
    bool IsOpen(int index) const;

    DWORD AttachedCount() const;
    FT_STATUS Count(DWORD& count);
    // Fills one buffer of FT_LIST_BUFFER_SIZE bytes per attached board, in device order,
    // with its serial number (field FT_OPEN_BY_SERIAL_NUMBER) or description. Stops at a
    // null entry instead of writing through it. `listed` receives the texts for the trace.
    FT_STATUS ListAll(char** buffers, DWORD field, DWORD& count, std::vector<std::string>& listed);
    FT_STATUS ListByIndex(DWORD number, char* buffer, DWORD field, std::string& listed);

    FT_STATUS Open(int number, HandleId& handle);
    FT_STATUS OpenEx(const std::string& text, DWORD flags, HandleId& handle);
    FT_STATUS Close(HandleId handle);
    FT_STATUS Purge(HandleId handle, ULONG mask);
    FT_STATUS SetTimeouts(HandleId handle, ULONG readMilliseconds, ULONG writeMilliseconds);
    // `held` is the world's lock: a read that waits in real time lets go of it meanwhile.
    FT_STATUS Read(HandleId handle, std::uint8_t* buffer, DWORD count, DWORD& received,
                   std::unique_lock<std::mutex>& held);
    // `held` as for Read: a write whose transfer takes real time lets go of it meanwhile.
    FT_STATUS Write(HandleId handle, const std::uint8_t* buffer, DWORD count, DWORD& written,
                    std::unique_lock<std::mutex>& held);
    FT_STATUS QueueStatus(HandleId handle, DWORD& count);
    FT_STATUS Reset(HandleId handle);
    // FT_SetChars' event character (nullopt: disabled). A chip that refuses the request (the
    // default, see SetEventCharacterHonoured) makes it fail with FT_IO_ERROR.
    FT_STATUS SetChars(HandleId handle, std::optional<std::uint8_t> eventCharacter);
    void SetEventCharacterHonoured(bool honoured) { eventCharacterHonoured_ = honoured; }

private:
    struct Handle {
        int board;
        unsigned generation;
        ULONG readTimeout = 0; // 0: the driver's default, wait until the bytes are there
        ULONG writeTimeout = 0;
    };

    // Null for a handle never given out or already closed.
    Handle* Find(HandleId handle);
    // Null when the board was unplugged since the handle was opened.
    Board* LiveBoard(const Handle& handle);
    // The open handle and its live board: FT_INVALID_HANDLE for a handle not open,
    // FT_IO_ERROR when its board was unplugged since.
    FT_STATUS Reach(HandleId handle, Handle*& open, Board*& board);
    Board* AttachedByNumber(int number, int& index);
    // How many bytes a write of `count` moves when a write-short fault fires on it.
    // Holds the board before a write reaches it: creates the fault's marker file and waits, with
    // the world's lock let go, until a test removes it; then looks the handle up again.
    FT_STATUS Hold(const Fault& hold, HandleId handle, Handle*& open, Board*& board,
                   std::unique_lock<std::mutex>& held);
    std::optional<DWORD> ShortWrite(const std::optional<Trigger>& trigger, Board& board, DWORD count);
    FT_STATUS OpenBoard(int index, HandleId& handle);
    void AddBoard(const BoardSettings& settings);
    // A board plugged in by the board-appears fault: the one it names, else the first board
    // that is not attached, else a new standard board.
    void PlugAppearingBoard(int index);

    Clock& clock_;
    FaultSet& faults_;
    const UsbCost& usb_;
    std::vector<std::unique_ptr<Board>> boards_;
    std::map<HandleId, Handle> handles_;
    HandleId nextHandle_ = 1;
    // Counts rebuilds: handle numbers start again at 1 after one, so a read that slept
    // through a rebuild must not take a new handle of the same number for its own.
    unsigned builds_ = 0;
    bool eventCharacterHonoured_ = false;
};

} // namespace emulator
