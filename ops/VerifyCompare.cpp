#include "ops/VerifyCompare.h"

#include <cstdint>

namespace {

constexpr int kEepromByteMask = 0xFF;

} // namespace

VerifyDifference CompareWithTarget(const FirmwareImage& image, const FirmwareImage& target,
                                   TargetProcessor processor, const ConfigOptions& options)
{
    const ProcessorProfile& profile = GetProcessorProfile(processor);
    VerifyDifference difference;
    for (int address = PROGRAM_MEMORY_ADDRESS; address < profile.programWords; ++address) {
        if ((image.Get(address) & PROGRAM_WORD_MASK) != (target.Get(address) & PROGRAM_WORD_MASK)) {
            difference.kind = VerifyDifference::PROGRAM_WORD;
            difference.address = address;
            return difference;
        }
    }

    // Only the options in the window count: the file's own configuration word does not.
    difference.configuration = CompareConfigWord(
        processor, static_cast<std::uint16_t>(target.Get(CONFIG_WORD_ADDRESS)), options);
    if (!difference.configuration.empty()) {
        difference.kind = VerifyDifference::CONFIGURATION;
        return difference;
    }

    for (int address = EEPROM_ADDRESS; address < EEPROM_ADDRESS + profile.eepromBytes; ++address) {
        const std::int32_t entry = image.Get(address);
        if ((entry & EEPROM_SUPPLIED_MARKER) == 0)
            continue;
        if ((entry & kEepromByteMask) != (target.Get(address) & kEepromByteMask)) {
            difference.kind = VerifyDifference::EEPROM_BYTE;
            difference.address = address;
            return difference;
        }
    }
    return difference;
}
