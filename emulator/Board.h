#pragma once
#include <string>

#include "emulator/Configuration.h"
#include "emulator/ReceiveQueue.h"

namespace emulator {

// One TVR-IO board as the bus sees it: the identity stored in its FIFO chip's EEPROM, whether
// it is plugged in, and the bytes it has sent towards the PC.
class Board {
public:
    explicit Board(const BoardSettings& settings);

    const std::string& Serial() const { return settings_.serial; }
    const std::string& Description() const { return settings_.description; }

    bool Attached() const { return attached_; }
    // Counts plug-ins: a handle opened before an unplug stays dead after the board returns.
    unsigned Generation() const { return generation_; }
    void Plug();
    void Unplug();

    ReceiveQueue& Queue() { return queue_; }

private:
    BoardSettings settings_;
    bool attached_;
    unsigned generation_ = 0;
    ReceiveQueue queue_;
};

} // namespace emulator
