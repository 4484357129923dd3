#pragma once
#include <string>

#include "emulator/Configuration.h"
#include "emulator/TargetChip.h"

namespace emulator {

// What a board keeps across power cycles, kept in a text file between runs of the program:
// the target chip's memories and the version text in the download microcontroller's EEPROM.
//   processor 16F84A
//   version 54565220...            (the 16 stored characters, two hex digits each)
//   cell 0000 2805                 (address and value, only cells that are not erased)
//   firmware program-stream ...    (only from a firmware that keeps its state across opens
//                                   and stopped in the middle of something; empty: none)
bool SaveBoardState(const std::string& path, const TargetChip& chip, const VersionText& version,
                    const std::string& firmware, std::string& error);
// A file for another processor is refused, so a chip never takes memories it cannot have.
// `firmware` gets the firmware line's words, or stays empty.
bool LoadBoardState(const std::string& path, TargetChip& chip, VersionText& version,
                    std::string& firmware, std::string& error);

} // namespace emulator
