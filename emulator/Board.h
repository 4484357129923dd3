#pragma once
#include <algorithm>
#include <optional>
#include <string>

#include "emulator/Configuration.h"
#include "emulator/DownloadFirmware.h"
#include "emulator/ReceiveQueue.h"
#include "emulator/TargetChip.h"
#include "link/D2xxTypes.h"

namespace emulator {

class FaultSet;

// Failures that a fault has armed for a later call of the program on this board: each counts
// the program's calls down and fires when it reaches 0 (0 from the start: not armed).
struct ArmedFailures {
    unsigned readFailure = 0;
    unsigned unplug = 0; // counted in reads: the board vanishes before the read is served
    unsigned writeFailure = 0;
    FT_STATUS writeFailureStatus = FT_IO_ERROR; // what the failing write returns
    unsigned shortWrite = 0;
    std::optional<unsigned> shortWriteBytes; // what gets through; none: half of the write

    static bool CountDown(unsigned& calls) { return calls != 0 && --calls == 0; }
};

// One TVR-IO board: the identity stored in its FIFO chip's EEPROM, whether it is plugged in,
// the bytes it has sent towards the PC, its download microcontroller and the target chip.
class Board {
public:
    // `index` is the board's place in the configuration, which faults and tests name it by.
    Board(int index, const BoardSettings& settings, FaultSet& faults);
    ~Board();
    Board(const Board&) = delete;
    Board& operator=(const Board&) = delete;

    int Index() const { return index_; }
    const std::string& Serial() const { return settings_.serial; }
    const std::string& Description() const { return settings_.description; }
    bool KeepsFirmwareState() const { return settings_.firmwareKeepsState; }

    bool Attached() const { return attached_; }
    // Counts plug-ins and unplugs: a handle opened before an unplug stays dead after the
    // board returns.
    unsigned Generation() const { return generation_; }
    void Plug();
    void Unplug();

    ReceiveQueue& Queue() { return queue_; }
    DownloadFirmware& Firmware() { return firmware_; }
    TargetChip& Chip() { return chip_; }
    VersionText& Version() { return version_; }
    const RevisionText& Revision() const { return settings_.revision; }
    std::uint16_t ProcessorAnswer() const;
    ArmedFailures& Armed() { return armed_; }
    // The FIFO chip's event character, when the chip honours the request and it is enabled;
    // a reset clears it.
    std::optional<std::uint8_t>& EventCharacter() { return queue_.EventCharacter(); }
    // What the target spent writing, with the cost model on (EmuTargetWriteMilliseconds).
    unsigned long long TargetWriteMilliseconds() const { return targetWriteMs_; }
    // The target, or the board's own EEPROM, writes for `milliseconds` from `now`: the moment
    // the board can answer. Timed with the cost model on, or when the board is paced (the USB
    // test bed), where the board also reads nothing from its FIFO meanwhile (BusyUntil);
    // `now` otherwise.
    std::uint64_t TargetWrites(std::uint64_t now, unsigned milliseconds)
    {
        if (queue_.Costed())
            targetWriteMs_ += milliseconds;
        else if (!paced_)
            return now;
        busyUntil_ = std::max(busyUntil_, now + milliseconds);
        return now + milliseconds;
    }
    void Pace() { paced_ = true; }
    std::uint64_t BusyUntil() const { return busyUntil_; }

    // The chip or the version text changed; SaveState writes them when a state file is set,
    // with the firmware's place in a command or stream when the firmware keeps its state.
    void MarkChanged() { changed_ = true; }
    void SaveState();
    // Takes the memories and version text of the state file, if there is one. On an
    // unreadable file the board starts as configured and `error` says why.
    bool LoadState(std::string& error);

private:
    std::string FirmwareLine() const;

    int index_;
    BoardSettings settings_;
    bool attached_;
    unsigned generation_ = 0;
    ReceiveQueue queue_;
    unsigned long long targetWriteMs_ = 0;
    bool paced_ = false;
    std::uint64_t busyUntil_ = 0;
    TargetChip chip_;
    VersionText version_;
    DownloadFirmware firmware_;
    ArmedFailures armed_;
    bool changed_ = false;
    std::string savedFirmware_; // the firmware line of the state file as last read or written
};

} // namespace emulator
