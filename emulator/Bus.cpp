#include "emulator/Bus.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

namespace emulator {

namespace {
constexpr unsigned HOLD_POLL_MS = 2; // how often a held board looks for its marker file
} // namespace

Bus::Bus(Clock& clock, FaultSet& faults, const UsbCost& usb) : clock_(clock), faults_(faults), usb_(usb)
{
}

void Bus::Build(const std::vector<BoardSettings>& boards)
{
    handles_.clear();
    nextHandle_ = 1;
    ++builds_;
    boards_.clear();
    for (const BoardSettings& settings : boards)
        AddBoard(settings);
}

void Bus::AddBoard(const BoardSettings& settings)
{
    boards_.push_back(std::make_unique<Board>(BoardCount(), settings, faults_));
    boards_.back()->Queue().UseLink(&usb_);
    std::string error;
    if (!boards_.back()->LoadState(error))
        std::fprintf(stderr, "D2XX emulator: %s; board %s starts as configured\n", error.c_str(),
                     settings.serial.c_str());
}

void Bus::SetBoardCount(int count)
{
    while (BoardCount() < count)
        AddBoard(StandardBoard(BoardCount()));
    if (BoardCount() <= count)
        return;
    for (auto handle = handles_.begin(); handle != handles_.end();) {
        if (handle->second.board >= count)
            handle = handles_.erase(handle);
        else
            ++handle;
    }
    boards_.resize(static_cast<std::size_t>(count));
}

void Bus::DisarmBoards()
{
    for (auto& board : boards_)
        board->Armed() = {};
}

Board* Bus::BoardAt(int index)
{
    if (index < 0 || index >= BoardCount())
        return nullptr;
    return boards_[static_cast<std::size_t>(index)].get();
}

bool Bus::IsOpen(int index) const
{
    for (const auto& [id, handle] : handles_) {
        const Board& board = *boards_[static_cast<std::size_t>(handle.board)];
        if (handle.board == index && board.Attached() && board.Generation() == handle.generation)
            return true;
    }
    return false;
}

FT_STATUS Bus::Open(int number, HandleId& handle)
{
    int index = 0;
    if (!AttachedByNumber(number, index))
        return FT_DEVICE_NOT_FOUND;
    return OpenBoard(index, handle);
}

FT_STATUS Bus::OpenEx(const std::string& text, DWORD flags, HandleId& handle)
{
    if (flags != FT_OPEN_BY_SERIAL_NUMBER && flags != FT_OPEN_BY_DESCRIPTION)
        return FT_INVALID_PARAMETER;
    // The driver compares the texts exactly: case matters, and the first board that matches
    // is the one opened.
    for (int index = 0; index < BoardCount(); ++index) {
        const Board& board = *boards_[static_cast<std::size_t>(index)];
        const std::string& identity =
            flags == FT_OPEN_BY_SERIAL_NUMBER ? board.Serial() : board.Description();
        if (board.Attached() && identity == text)
            return OpenBoard(index, handle);
    }
    return FT_DEVICE_NOT_FOUND;
}

FT_STATUS Bus::OpenBoard(int index, HandleId& handle)
{
    // A USB device can be open through one handle only.
    if (IsOpen(index))
        return FT_DEVICE_NOT_OPENED;
    Board& board = *boards_[static_cast<std::size_t>(index)];
    handle = nextHandle_++;
    handles_[handle] = Handle{index, board.Generation()};
    if (!board.KeepsFirmwareState())
        board.Firmware().Reset();
    return FT_OK;
}

Bus::Handle* Bus::Find(HandleId handle)
{
    const auto found = handles_.find(handle);
    return found == handles_.end() ? nullptr : &found->second;
}

Board* Bus::LiveBoard(const Handle& handle)
{
    Board& board = *boards_[static_cast<std::size_t>(handle.board)];
    if (!board.Attached() || board.Generation() != handle.generation)
        return nullptr;
    return &board;
}

FT_STATUS Bus::Reach(HandleId handle, Handle*& open, Board*& board)
{
    open = Find(handle);
    if (!open)
        return FT_INVALID_HANDLE;
    board = LiveBoard(*open);
    return board ? FT_OK : FT_IO_ERROR;
}

FT_STATUS Bus::Close(HandleId handle)
{
    Handle* open = Find(handle);
    if (!open)
        return FT_INVALID_HANDLE;
    boards_[static_cast<std::size_t>(open->board)]->SaveState();
    handles_.erase(handle);
    return FT_OK;
}

FT_STATUS Bus::Purge(HandleId handle, ULONG mask)
{
    Handle* open = nullptr;
    Board* board = nullptr;
    if (const FT_STATUS reached = Reach(handle, open, board); reached != FT_OK)
        return reached;
    // Bytes the PC writes go out at once, so there is never a transmit queue to purge.
    if (mask & FT_PURGE_RX)
        board->Queue().PurgeArrived(clock_.Now());
    return FT_OK;
}

FT_STATUS Bus::SetTimeouts(HandleId handle, ULONG readMilliseconds, ULONG writeMilliseconds)
{
    Handle* open = Find(handle);
    if (!open)
        return FT_INVALID_HANDLE;
    if (!LiveBoard(*open))
        return FT_IO_ERROR;
    // The time-outs stay as they were, as a driver that refused them would leave them.
    if (faults_.Fire(FaultKind::TimeoutsFail, CallTrigger(open->board)))
        return FT_IO_ERROR;
    open->readTimeout = readMilliseconds;
    open->writeTimeout = writeMilliseconds;
    return FT_OK;
}

FT_STATUS Bus::Read(HandleId handle, std::uint8_t* buffer, DWORD count, DWORD& received,
                    std::unique_lock<std::mutex>& held)
{
    received = 0;
    Handle* open = nullptr;
    Board* board = nullptr;
    if (const FT_STATUS reached = Reach(handle, open, board); reached != FT_OK)
        return reached;
    if (!buffer && count > 0)
        return FT_INVALID_PARAMETER;
    ArmedFailures& armed = board->Armed();
    if (ArmedFailures::CountDown(armed.unplug)) {
        board->Unplug();
        return FT_IO_ERROR;
    }
    const bool armedFailure = ArmedFailures::CountDown(armed.readFailure);
    if (armedFailure || faults_.Fire(FaultKind::ReadFails, CallTrigger(board->Index())))
        return FT_IO_ERROR;

    // The read returns when `count` bytes are there or when its time-out runs out, with
    // status FT_OK either way. A time-out of 0 would wait for ever on the vendor's driver;
    // here it waits only while the board still has bytes on their way.
    const bool bounded = open->readTimeout != 0;
    const std::uint64_t deadline = clock_.Now() + open->readTimeout;
    const unsigned build = builds_;
    // After a real wait the handle and its board are looked up again: another thread may
    // have closed the handle, unplugged the board or rebuilt the bus meanwhile.
    const auto waitUntil = [&](std::uint64_t moment) -> FT_STATUS {
        clock_.WaitUntil(moment, held);
        if (builds_ != build)
            return FT_INVALID_HANDLE;
        return Reach(handle, open, board);
    };
    for (;;) {
        received += static_cast<DWORD>(board->Queue().Take(clock_.Now(), buffer + received, count - received));
        if (received == count)
            break;
        const std::optional<std::uint64_t> next = board->Queue().NextArrival(clock_.Now());
        if (!next || (bounded && *next > deadline)) {
            if (bounded)
                return waitUntil(deadline);
            break;
        }
        if (const FT_STATUS reached = waitUntil(*next); reached != FT_OK)
            return reached;
    }
    return FT_OK;
}

FT_STATUS Bus::Write(HandleId handle, const std::uint8_t* buffer, DWORD count, DWORD& written,
                     std::unique_lock<std::mutex>& held)
{
    written = 0;
    Handle* open = nullptr;
    Board* board = nullptr;
    if (const FT_STATUS reached = Reach(handle, open, board); reached != FT_OK)
        return reached;
    if (!buffer && count > 0)
        return FT_INVALID_PARAMETER;
    // A failing write reaches nothing: the board never sees its bytes.
    if (ArmedFailures::CountDown(board->Armed().writeFailure))
        return board->Armed().writeFailureStatus;
    const std::optional<Trigger> trigger = board->Firmware().WriteTrigger(buffer, count);
    if (const std::optional<Fault> hold = trigger ? faults_.Fire(FaultKind::Hold, *trigger) : std::nullopt) {
        if (const FT_STATUS reached = Hold(*hold, handle, open, board, held); reached != FT_OK)
            return reached;
    }
    std::optional<Fault> failed;
    if (trigger)
        failed = faults_.Fire(FaultKind::WriteFails, *trigger);
    if (!failed)
        failed = faults_.Fire(FaultKind::WriteFails, CallTrigger(board->Index()));
    if (failed)
        return failed->value;
    // A short write moves only its first bytes and still returns FT_OK, as the vendor's driver
    // does when its write time-out runs out; the board sees only those bytes.
    const DWORD moved = ShortWrite(trigger, *board, count).value_or(count);
    // The write returns once its transfer is done, and only then has the FIFO the bytes; it
    // hands them to the download microcontroller at once, whose answers go into the receive
    // queue with the moment they reach the PC.
    if (const std::uint64_t transfer = usb_.WriteCost(moved); transfer > 0) {
        // As in Read: the handle and its board are looked up again after a real wait.
        const unsigned build = builds_;
        clock_.WaitUntil(clock_.Now() + transfer, held);
        if (builds_ != build)
            return FT_INVALID_HANDLE;
        if (const FT_STATUS reached = Reach(handle, open, board); reached != FT_OK)
            return reached;
    }
    board->Firmware().Receive(buffer, moved, clock_.Now());
    written = moved;
    return FT_OK;
}

FT_STATUS Bus::Hold(const Fault& hold, HandleId handle, Handle*& open, Board*& board,
                    std::unique_lock<std::mutex>& held)
{
    std::string marker = hold.file;
    if (const std::size_t at = marker.find("{serial}"); at != std::string::npos)
        marker.replace(at, std::string("{serial}").size(), board->Serial());
    std::ofstream(marker).put('\n');
    // Real time whatever the time model: the test that holds the board decides when it goes on.
    const unsigned build = builds_;
    held.unlock();
    std::error_code ignored;
    while (std::filesystem::exists(marker, ignored))
        std::this_thread::sleep_for(std::chrono::milliseconds(HOLD_POLL_MS));
    held.lock();
    if (builds_ != build)
        return FT_INVALID_HANDLE;
    return Reach(handle, open, board);
}

std::optional<DWORD> Bus::ShortWrite(const std::optional<Trigger>& trigger, Board& board, DWORD count)
{
    std::optional<unsigned> kept;
    ArmedFailures& armed = board.Armed();
    if (ArmedFailures::CountDown(armed.shortWrite)) {
        kept = armed.shortWriteBytes;
    } else {
        std::optional<Fault> fault;
        if (trigger)
            fault = faults_.Fire(FaultKind::WriteShort, *trigger);
        if (!fault)
            fault = faults_.Fire(FaultKind::WriteShort, CallTrigger(board.Index()));
        if (!fault)
            return std::nullopt;
        kept = fault->count;
    }
    return std::min<DWORD>(count, kept.value_or(count / 2));
}

FT_STATUS Bus::QueueStatus(HandleId handle, DWORD& count)
{
    count = 0;
    Handle* open = nullptr;
    Board* board = nullptr;
    if (const FT_STATUS reached = Reach(handle, open, board); reached != FT_OK)
        return reached;
    count = static_cast<DWORD>(board->Queue().Arrived(clock_.Now()));
    return FT_OK;
}

FT_STATUS Bus::Reset(HandleId handle)
{
    Handle* open = Find(handle);
    if (!open)
        return FT_INVALID_HANDLE;
    Board* board = LiveBoard(*open);
    if (!board)
        return FT_IO_ERROR;
    board->EventCharacter().reset();
    return FT_OK;
}

FT_STATUS Bus::SetChars(HandleId handle, std::optional<std::uint8_t> eventCharacter)
{
    Handle* open = nullptr;
    Board* board = nullptr;
    if (const FT_STATUS status = Reach(handle, open, board); status != FT_OK)
        return status;
    if (!eventCharacterHonoured_)
        return FT_IO_ERROR;
    board->EventCharacter() = eventCharacter;
    return FT_OK;
}

} // namespace emulator
