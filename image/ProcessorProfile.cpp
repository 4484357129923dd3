#include "image/ProcessorProfile.h"

namespace {

constexpr ProcessorProfile kProfile16F84A{"16F84A", 1024, 64, 64, 1, false};
constexpr ProcessorProfile kProfile16F877{"16F877", 8192, 256, 512, 4, true};

} // namespace

const ProcessorProfile& GetProcessorProfile(TargetProcessor processor)
{
    return processor == TargetProcessor::PIC16F877 ? kProfile16F877 : kProfile16F84A;
}

TargetProcessor ProcessorFromIndex(int index)
{
    return index == 1 ? TargetProcessor::PIC16F877 : TargetProcessor::PIC16F84A;
}
