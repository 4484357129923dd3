#pragma once
#include <optional>
#include <vector>

#include "emulator/Fault.h"

namespace emulator {

// The faults in force. Each occasion is offered to the faults of one kind in the order they
// were added: a fault still skipping counts it down, the first one ready fires and uses up
// one of its times.
class FaultSet {
public:
    void Add(const Fault& fault) { faults_.push_back(fault); }
    void Clear() { faults_.clear(); }

    std::optional<Fault> Fire(FaultKind kind, const Trigger& trigger);

private:
    std::vector<Fault> faults_;
};

} // namespace emulator
