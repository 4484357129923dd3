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

void Board::SaveState()
{
    if (!changed_ || settings_.statePath.empty())
        return;
    std::string error;
    if (!SaveBoardState(settings_.statePath, chip_, version_, error))
        std::fprintf(stderr, "D2XX emulator: %s\n", error.c_str());
    changed_ = false;
}

bool Board::LoadState(std::string& error)
{
    if (settings_.statePath.empty() || !std::filesystem::exists(settings_.statePath))
        return true;
    return LoadBoardState(settings_.statePath, chip_, version_, error);
}

} // namespace emulator
