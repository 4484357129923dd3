#include "ops/VerifyCompare.h"

#include <cstdint>
#include <utility>

namespace {

constexpr int kEepromByteMask = 0xFF;

} // namespace

std::vector<VerifyDifference> ListDifferences(const FirmwareImage& image, const FirmwareImage& target,
                                              TargetProcessor processor, const ConfigOptions& options,
                                              std::size_t limit)
{
    const ProcessorProfile& profile = GetProcessorProfile(processor);
    std::vector<VerifyDifference> differences;
    const auto add = [&](VerifyDifference::Kind kind, int address, int expected, int found,
                         std::string configuration = {}) {
        differences.push_back({kind, address, std::move(configuration), expected, found});
        return differences.size() >= limit;
    };
    if (limit == 0)
        return differences;

    for (int address = PROGRAM_MEMORY_ADDRESS; address < profile.programWords; ++address) {
        const int expected = image.Get(address) & PROGRAM_WORD_MASK;
        const int found = target.Get(address) & PROGRAM_WORD_MASK;
        if (expected != found && add(VerifyDifference::PROGRAM_WORD, address, expected, found))
            return differences;
    }

    // Only the options count: the file's own configuration word does not.
    const auto targetWord = static_cast<std::uint16_t>(target.Get(CONFIG_WORD_ADDRESS));
    const int optionsWord = BuildConfigWord(processor, options);
    for (std::string& message : ConfigWordMismatches(processor, targetWord, options)) {
        if (add(VerifyDifference::CONFIGURATION, CONFIG_WORD_ADDRESS, optionsWord, targetWord,
                std::move(message)))
            return differences;
    }

    for (int address = EEPROM_ADDRESS; address < EEPROM_ADDRESS + profile.eepromBytes; ++address) {
        const std::int32_t entry = image.Get(address);
        if ((entry & EEPROM_SUPPLIED_MARKER) == 0)
            continue;
        const int expected = entry & kEepromByteMask;
        const int found = target.Get(address) & kEepromByteMask;
        if (expected != found && add(VerifyDifference::EEPROM_BYTE, address, expected, found))
            return differences;
    }
    return differences;
}

VerifyDifference CompareWithTarget(const FirmwareImage& image, const FirmwareImage& target,
                                   TargetProcessor processor, const ConfigOptions& options)
{
    std::vector<VerifyDifference> first = ListDifferences(image, target, processor, options, 1);
    return first.empty() ? VerifyDifference{} : std::move(first.front());
}
