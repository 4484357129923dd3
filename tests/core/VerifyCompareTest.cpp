// What Verify compares between the HEX file's image and the target's contents, and in which
// order the first difference is found.
#include <gtest/gtest.h>

#include <functional>

#include "image/ConfigWord.h"
#include "image/FirmwareImage.h"
#include "ops/VerifyCompare.h"

namespace {

constexpr int kUncoveredWord = 0x0123;   // a program address no test file supplies
constexpr int kPaddedWord = 0xFFFF;      // what some HEX tools write for an unused word
constexpr int kFirst84AWordPast = 0x0400; // 1024: beyond a 16F84A's program memory
constexpr int kIdWord = 0x2001;
constexpr int kEepromLocation5 = EEPROM_ADDRESS + 5;
constexpr int kEepromLocation9 = EEPROM_ADDRESS + 9;
constexpr int kPwrtBit = 0x0008; // PWRTE, active low
constexpr int kWdtBit = 0x0004;

struct CompareCase {
    const char* name;
    TargetProcessor processor;
    std::function<void(FirmwareImage& image, FirmwareImage& target)> change;
    VerifyDifference::Kind kind;
    int address;                // for PROGRAM_WORD and EEPROM_BYTE
    const char* configuration;  // for CONFIGURATION
};

// The file's image as LoadHexImage leaves it for programming, with a few supplied entries,
// and a target that holds exactly what programming it would leave.
class VerifyCompareTest : public ::testing::TestWithParam<CompareCase> {
protected:
    void SetUp() override
    {
        image.Reset(HexLoadMode::Programming);
        image.Set(0, 0x2805);                                     // goto 5
        image.Set(0x1234, 0x3001);                                // movlw 1
        image.Set(kEepromLocation5, EEPROM_SUPPLIED_MARKER | 0x42); // EEPROM byte 0x42
        target = image;
        const TargetProcessor processor = GetParam().processor;
        target.Set(CONFIG_WORD_ADDRESS, BuildConfigWord(processor, options));
        // The target holds plain EEPROM bytes; an erased location reads 0xFF.
        for (int i = 0; i < GetProcessorProfile(processor).eepromBytes; ++i)
            target.Set(EEPROM_ADDRESS + i, 0xFF);
        target.Set(kEepromLocation5, 0x42);
    }

    FirmwareImage image;
    FirmwareImage target;
    ConfigOptions options;
};

TEST_P(VerifyCompareTest, FindsTheFirstDifference)
{
    const CompareCase& c = GetParam();
    c.change(image, target);
    const VerifyDifference difference = CompareWithTarget(image, target, c.processor, options);
    EXPECT_EQ(difference.kind, c.kind);
    if (c.kind == VerifyDifference::PROGRAM_WORD || c.kind == VerifyDifference::EEPROM_BYTE) {
        EXPECT_EQ(difference.address, c.address);
    }
    if (c.kind == VerifyDifference::CONFIGURATION) {
        EXPECT_EQ(difference.configuration, c.configuration);
    }
}

const auto P84A = TargetProcessor::PIC16F84A;
const auto P877 = TargetProcessor::PIC16F877;
const auto NONE = VerifyDifference::NONE;
const auto WORD = VerifyDifference::PROGRAM_WORD;
const auto CONFIG = VerifyDifference::CONFIGURATION;
const auto EEPROM = VerifyDifference::EEPROM_BYTE;
const char* const kPowerUp = "Configuration verify failed (Power Up Timer Setting)";

void Nothing(FirmwareImage&, FirmwareImage&) {}

INSTANTIATE_TEST_SUITE_P(
    Cases, VerifyCompareTest,
    ::testing::Values(
        CompareCase{"identical84A", P84A, Nothing, NONE, 0, ""},
        CompareCase{"identical877", P877, Nothing, NONE, 0, ""},
        CompareCase{"wordAt1234", P877,
                    [](FirmwareImage&, FirmwareImage& t) { t.Set(0x1234, 0x3002); }, WORD, 0x1234, ""},
        // A word the file leaves out is compared against an erased word.
        CompareCase{"uncoveredWordNotErased", P84A,
                    [](FirmwareImage&, FirmwareImage& t) { t.Set(kUncoveredWord, 0); }, WORD,
                    kUncoveredWord, ""},
        // Only the 14 bits a program word holds count: padding 0xFFFF matches an erased word.
        CompareCase{"paddedWordMatchesErased", P877,
                    [](FirmwareImage& i, FirmwareImage&) { i.Set(kUncoveredWord, kPaddedWord); }, NONE, 0, ""},
        CompareCase{"highBitsOfTargetIgnored", P84A,
                    [](FirmwareImage&, FirmwareImage& t) { t.Set(0, 0xC000 | 0x2805); }, NONE, 0, ""},
        CompareCase{"wordBeyondTheProcessor", P84A,
                    [](FirmwareImage&, FirmwareImage& t) { t.Set(kFirst84AWordPast, 0); }, NONE, 0, ""},
        // Program words are compared before the configuration.
        CompareCase{"wordBeforeConfiguration", P84A,
                    [](FirmwareImage&, FirmwareImage& t) {
                        t.Set(3, 0);
                        t.Set(CONFIG_WORD_ADDRESS, t.Get(CONFIG_WORD_ADDRESS) ^ kPwrtBit);
                    },
                    WORD, 3, ""},
        // With both timers differing only the first test in order speaks.
        CompareCase{"powerUpBeforeWatchdog", P877,
                    [](FirmwareImage&, FirmwareImage& t) {
                        t.Set(CONFIG_WORD_ADDRESS, t.Get(CONFIG_WORD_ADDRESS) ^ kPwrtBit ^ kWdtBit);
                    },
                    CONFIG, 0, kPowerUp},
        CompareCase{"configurationBeforeEeprom", P84A,
                    [](FirmwareImage&, FirmwareImage& t) {
                        t.Set(CONFIG_WORD_ADDRESS, t.Get(CONFIG_WORD_ADDRESS) ^ kPwrtBit);
                        t.Set(kEepromLocation5, 0);
                    },
                    CONFIG, 0, kPowerUp},
        // The file's own configuration word and the ID words take no part.
        CompareCase{"fileConfigurationWordIgnored", P84A,
                    [](FirmwareImage& i, FirmwareImage&) { i.Set(CONFIG_WORD_ADDRESS, 0); }, NONE, 0, ""},
        CompareCase{"idWordsIgnored", P877,
                    [](FirmwareImage&, FirmwareImage& t) { t.Set(kIdWord, 0); }, NONE, 0, ""},
        CompareCase{"suppliedEepromByte", P84A,
                    [](FirmwareImage&, FirmwareImage& t) { t.Set(kEepromLocation5, 0x43); }, EEPROM,
                    kEepromLocation5, ""},
        CompareCase{"unsuppliedEepromByte", P877,
                    [](FirmwareImage&, FirmwareImage& t) { t.Set(kEepromLocation9, 0); }, NONE, 0, ""}),
    [](const ::testing::TestParamInfo<CompareCase>& info) { return std::string(info.param.name); });

} // namespace
