// What Verify compares between the HEX file's image and the target's contents, and in which
// order the first difference is found.
#include <gtest/gtest.h>

#include "image/ConfigWord.h"
#include "image/FirmwareImage.h"
#include "ops/VerifyCompare.h"

namespace {

constexpr auto P84A = TargetProcessor::PIC16F84A;
constexpr auto P877 = TargetProcessor::PIC16F877;
constexpr int kUncoveredWord = 0x0123; // a program address the image below does not supply
constexpr int kEepromLocation5 = EEPROM_ADDRESS + 5;
constexpr int kPwrtBit = 0x0008; // PWRTE, active low
constexpr int kWdtBit = 0x0004;
const char* const kPowerUp = "Configuration verify failed (Power Up Timer Setting)";

using Change = void (*)(FirmwareImage& image, FirmwareImage& target);

TEST(VerifyCompare, FindsTheFirstDifference)
{
    using D = VerifyDifference;
    const struct {
        const char* name;
        TargetProcessor processor;
        Change change;
        D::Kind kind;
        int address; // of a PROGRAM_WORD or EEPROM_BYTE
        const char* configuration = "";
    } cases[] = {
        // What takes no part: the high bits of a word on either side (padding 0xFFFF matches
        // an erased word), the file's own configuration word, the ID words, EEPROM locations
        // the file does not supply (the memories' edges are the boundary test's).
        {"ignored", P84A,
         [](FirmwareImage& i, FirmwareImage& t) {
             i.Set(kUncoveredWord, 0xFFFF);
             t.Set(0, 0xC000 | t.Get(0));
             i.Set(CONFIG_WORD_ADDRESS, 0);
             t.Set(ID_WORDS_ADDRESS + 1, 0);
             t.Set(EEPROM_ADDRESS + 9, 0);
         },
         D::NONE, 0},
        {"word past a 16F84A's memory", P877, [](FirmwareImage&, FirmwareImage& t) { t.Set(0x1234, 0x3002); },
         D::PROGRAM_WORD, 0x1234},
        // A word the file leaves out is compared against an erased word.
        {"uncovered word not erased", P84A, [](FirmwareImage&, FirmwareImage& t) { t.Set(kUncoveredWord, 0); },
         D::PROGRAM_WORD, kUncoveredWord},
        {"supplied EEPROM byte", P84A, [](FirmwareImage&, FirmwareImage& t) { t.Set(kEepromLocation5, 0x43); },
         D::EEPROM_BYTE, kEepromLocation5},
        // The order: program words, the configuration word's tests in turn, the EEPROM.
        {"word before configuration", P84A,
         [](FirmwareImage&, FirmwareImage& t) { t.Set(3, 0); t.Set(CONFIG_WORD_ADDRESS, t.Get(CONFIG_WORD_ADDRESS) ^ kPwrtBit); },
         D::PROGRAM_WORD, 3},
        {"power-up timer before watchdog", P877,
         [](FirmwareImage&, FirmwareImage& t) { t.Set(CONFIG_WORD_ADDRESS, t.Get(CONFIG_WORD_ADDRESS) ^ kPwrtBit ^ kWdtBit); },
         D::CONFIGURATION, 0, kPowerUp},
        {"configuration before EEPROM", P84A,
         [](FirmwareImage&, FirmwareImage& t) { t.Set(CONFIG_WORD_ADDRESS, t.Get(CONFIG_WORD_ADDRESS) ^ kPwrtBit); t.Set(kEepromLocation5, 0); },
         D::CONFIGURATION, 0, kPowerUp},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // The file's image as LoadHexImage leaves it for programming, with a few supplied
        // entries, and a target that holds exactly what programming it would leave: the
        // options' configuration word, plain EEPROM bytes, 0xFF where the file is silent.
        FirmwareImage image;
        image.Reset(HexLoadMode::Programming);
        image.Set(0, 0x2805);                                        // goto 5
        image.Set(0x1234, 0x3001);                                   // movlw 1
        image.Set(kEepromLocation5, EEPROM_SUPPLIED_MARKER | 0x42); // EEPROM byte 0x42
        FirmwareImage target = image;
        const ConfigOptions options;
        target.Set(CONFIG_WORD_ADDRESS, BuildConfigWord(c.processor, options));
        for (int i = 0; i < GetProcessorProfile(c.processor).eepromBytes; ++i)
            target.Set(EEPROM_ADDRESS + i, 0xFF);
        target.Set(kEepromLocation5, 0x42);

        c.change(image, target);
        const VerifyDifference difference = CompareWithTarget(image, target, c.processor, options);
        EXPECT_EQ(difference.kind, c.kind);
        if (c.kind == D::PROGRAM_WORD || c.kind == D::EEPROM_BYTE) {
            EXPECT_EQ(difference.address, c.address);
        }
        EXPECT_EQ(difference.configuration, c.configuration);
    }
}

// The command line lists every difference; the window asks for the first only.
TEST(VerifyCompare, ListsTheDifferencesInOrderUpToTheLimit)
{
    FirmwareImage image;
    image.Reset(HexLoadMode::Programming);
    image.Set(kEepromLocation5, EEPROM_SUPPLIED_MARKER | 0x42);
    FirmwareImage target = image;
    const ConfigOptions options;
    target.Set(CONFIG_WORD_ADDRESS, BuildConfigWord(P84A, options));
    target.Set(kEepromLocation5, 0x41);
    target.Set(7, 0x0007);
    target.Set(2, 0x0002);

    std::vector<std::vector<int>> all; // kind, address, expected, found
    for (const VerifyDifference& d : ListDifferences(image, target, P84A, options))
        all.push_back({d.kind, d.address, d.expected, d.found});
    using D = VerifyDifference;
    const std::vector<std::vector<int>> expected = {
        {D::PROGRAM_WORD, 2, 0x3FFF, 0x0002}, {D::PROGRAM_WORD, 7, 0x3FFF, 0x0007}, {D::EEPROM_BYTE, kEepromLocation5, 0x42, 0x41}};
    EXPECT_EQ(all, expected);
    for (const std::size_t limit : {0u, 1u, 2u}) {
        SCOPED_TRACE(limit);
        EXPECT_EQ(ListDifferences(image, target, P84A, options, limit).size(), limit);
    }
}

} // namespace
