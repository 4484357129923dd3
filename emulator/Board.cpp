#include "emulator/Board.h"

#include <cstdio>
#include <filesystem>

#include "emulator/BoardStateFile.h"

namespace emulator {

Board::Board(int index, const BoardSettings& settings, FaultSet& faults)
    : index_(index), settings_(settings), attached_(settings.attached), chip_(settings.chip),
      version_(settings.version), firmware_(*this, faults)
{
}

Board::~Board()
{
    SaveState();
}

void Board::Plug()
{
    if (attached_)
        return;
    attached_ = true;
    ++generation_;
    queue_.Clear();
    armed_ = {};
    firmware_.Reset();
}

void Board::Unplug()
{
    if (!attached_)
        return;
    attached_ = false;
    ++generation_;
    queue_.Clear();
    armed_ = {};
}

std::uint16_t Board::ProcessorAnswer() const
{
    if (settings_.processorAnswer == PROCESSOR_ANSWER_OF_CHIP)
        return chip_.Profile().deviceId;
    return static_cast<std::uint16_t>(settings_.processorAnswer);
}

std::string Board::FirmwareLine() const
{
    // An unplugged board powers up idle when it comes back.
    if (!settings_.firmwareKeepsState || !attached_ || firmware_.Idle())
        return {};
    return firmware_.Describe();
}

void Board::SaveState()
{
    const std::string firmware = FirmwareLine();
    if ((!changed_ && firmware == savedFirmware_) || settings_.statePath.empty())
        return;
    std::string error;
    if (!SaveBoardState(settings_.statePath, chip_, version_, firmware, error))
        std::fprintf(stderr, "D2XX emulator: %s\n", error.c_str());
    changed_ = false;
    savedFirmware_ = firmware;
}

bool Board::LoadState(std::string& error)
{
    if (settings_.statePath.empty() || !std::filesystem::exists(settings_.statePath))
        return true;
    TargetChip chip = chip_;
    VersionText version = version_;
    std::string firmware;
    if (!LoadBoardState(settings_.statePath, chip, version, firmware, error))
        return false;
    // A firmware that resets on open starts idle, whatever an earlier run left.
    if (settings_.firmwareKeepsState && !firmware.empty()) {
        if (!firmware_.Restore(firmware)) {
            error = settings_.statePath + ": not a firmware state: " + firmware;
            return false;
        }
        savedFirmware_ = firmware;
    }
    chip_ = chip;
    version_ = version;
    return true;
}

} // namespace emulator
