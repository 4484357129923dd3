// The Memory Window's lines, character for character: View of a HEX file in listing mode
// (a whole gpasm file in ImageWindowTest), Read of an image holding what the target returned.
#include <gtest/gtest.h>

#include "HexTestSupport.h"
#include "image/HexFile.h"
#include "image/MemoryListing.h"

namespace {

using Lines = std::vector<std::string>;

Lines View(const std::string& text)
{
    FirmwareImage image;
    LoadHexText(text, HexLoadMode::Listing, image);
    return ViewListing(image);
}

TEST(ViewListing, OnlyGroupsTheFileSupplies)
{
    const char* const P = "Program Data:";
    const char* const C = "Configuration Data:";
    const char* const E = "EEPROM Data:";
    EXPECT_EQ(View(":02400E00F23F7F\n"), (Lines{P, C, "2004:   xxxx   xxxx   xxxx   3FF2", E}));
    // ID words 1, 2 and 4; the third is not in the file
    EXPECT_EQ(View(Record(ID_BYTE_ADDRESS, DATA, {1, 0, 2, 0}) + Record(0x4006, DATA, {4, 0})),
              (Lines{P, C, "2000:   xxx1   xxx2   xxx3FFF   xxx4", E}));
    // a group with one word of the file; 16F877 memory is listed whatever the processor,
    // and EEPROM groups up to 0x22FC
    EXPECT_EQ(View(Record(0x3FFE, DATA, {0x34, 0x12}) + Record(0x45F8, DATA, {0xAB, 0}) +
                   Record(0x4600, DATA, {0xCD, 0})), // word 0x2300: past the listed EEPROM
              (Lines{P, "1FFC:   3FFF   3FFF   3FFF   1234", C, E, "22FC:   AB   xx   xx   xx"}));
}

TEST(ReadListing, LinesOfBothProcessors)
{
    // What a Read might bring: a cleared target with a few values at the edges of its memories.
    FirmwareImage target;
    target.Fill(0);
    target.Set(0x0000, 0x2805);              // goto 0x005 at the reset vector
    for (int i = 1; i < 4; ++i) {
        target.Set(i, 0x0011 * i);                     // every column of a group its own word
        target.Set(ID_WORDS_ADDRESS + i, i);
        target.Set(EEPROM_ADDRESS + i, 0x11 * i + 0x30);
    }
    target.Set(0x03FF, 0x3FFF);              // the 16F84A's last program word, erased
    target.Set(CONFIG_WORD_ADDRESS, 0x3FF2); // CP off, power-up timer on, watchdog off, HS
    target.Set(EEPROM_ADDRESS, 0x12);        // first EEPROM byte
    target.Set(EEPROM_ADDRESS + 0xFF, 0xEF); // the 16F877's last EEPROM byte

    const Lines small = ReadListing(target, TargetProcessor::PIC16F84A);
    ASSERT_EQ(small.size(), 276u); // 256 program, heading, 2, heading, 16 EEPROM
    EXPECT_EQ(small[0], "0000:   2805   0011   0022   0033");
    EXPECT_EQ(small[255], "03FC:   0000   0000   0000   3FFF");
    EXPECT_EQ(small[257], "2000:   0000   0001   0002   0003");
    EXPECT_EQ(small[258], "2004:   0000   0000   0000   3FF2");
    EXPECT_EQ(small[260], "2100:    12    41    52    63   (0..3)");
    EXPECT_EQ(small[275], "213C:    00    00    00    00   (60..63)");

    const Lines large = ReadListing(target, TargetProcessor::PIC16F877);
    ASSERT_EQ(large.size(), 2116u); // 2048 program, heading, 2, heading, 64 EEPROM
    EXPECT_EQ(large[2047], "1FFC:   0000   0000   0000   0000");
    EXPECT_EQ(large[2115], "21FC:    00    00    00    EF   (252..255)");
}

} // namespace
