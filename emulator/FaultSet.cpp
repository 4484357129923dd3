#include "emulator/FaultSet.h"

namespace emulator {

std::optional<Fault> FaultSet::Fire(FaultKind kind, const Trigger& trigger)
{
    for (Fault& fault : faults_) {
        if (fault.kind != kind || !fault.Matches(trigger) || (fault.times && *fault.times == 0))
            continue;
        if (fault.skip > 0) {
            --fault.skip;
            continue;
        }
        if (fault.times)
            --*fault.times;
        return fault;
    }
    return std::nullopt;
}

bool Fault::Matches(const Trigger& trigger) const
{
    if (board >= 0 && trigger.board >= 0 && board != trigger.board)
        return false;
    if (where != trigger.where)
        return false;
    switch (where) {
    case Where::Call:
        return true;
    case Where::Command:
        return (command < 0 || command == trigger.command) && at == trigger.at;
    case Where::Stream:
        return stream == trigger.stream && (!part || *part == trigger.part) &&
               (!block || *block == trigger.block);
    }
    return false;
}

} // namespace emulator
