// The Memory Window's lines, character for character: View of a HEX file in listing mode,
// Read of an image holding what the target returned.
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

TEST(ViewListing, GpasmFileOfThe16F84A)
{
    FirmwareImage image;
    ASSERT_TRUE(LoadHexImage(HexFixture("blink84a.hex"), HexLoadMode::Listing, image));
    const Lines expected = {
        "Program Data:",
        "0000:   2805   3FFF   3FFF   3FFF",   // goto main; the extended address record stores nothing
        "0004:   0009   1683   0186   1283",
        "0008:   0186   2BF7   3FFF   3FFF",
        "03F4:   3FFF   3FFF   3FFF   3001",
        "03F8:   0686   23FB   2BF7   0B8C",
        "03FC:   2BFB   0B8D   2BFB   0008",
        "Configuration Data:",
        "2000:   xxx1   xxx2   xxx3   xxx4",
        "2004:   xxxx   xxxx   xxxx   3FF2",
        "EEPROM Data:",
        "2100:   54   56   52   12",         // "TVR", 0x12
        "2104:   34   A0   A1   A2",
        "2108:   A3   xx   xx   xx",
    };
    EXPECT_EQ(ViewListing(image), expected);
}

TEST(ViewListing, OnlyGroupsTheFileSupplies)
{
    const char* const P = "Program Data:";
    const char* const C = "Configuration Data:";
    const char* const E = "EEPROM Data:";
    // words 0x2883, 0x1683, 0x0008 at 0x0010, 0x0012, 0x0013
    EXPECT_EQ(View(Record(0x0020, DATA, {0x83, 0x28}) + Record(0x0024, DATA, {0x83, 0x16, 0x08, 0x00})),
              (Lines{P, "0010:   2883   3FFF   1683   0008", C, E}));
    EXPECT_EQ(View(Record(0x0000, DATA, {1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0, 7, 0, 8, 0})),
              (Lines{P, "0000:   0001   0002   0003   0004", "0004:   0005   0006   0007   0008", C, E}));
    EXPECT_EQ(View(":02400E00F23F7F\n"), (Lines{P, C, "2004:   xxxx   xxxx   xxxx   3FF2", E}));
    // ID words 1, 2 and 4; the third is not in the file
    EXPECT_EQ(View(Record(ID_BYTE_ADDRESS, DATA, {1, 0, 2, 0}) + Record(0x4006, DATA, {4, 0})),
              (Lines{P, C, "2000:   xxx1   xxx2   xxx3FFF   xxx4", E}));
    EXPECT_EQ(View(Record(EEPROM_BYTE_ADDRESS, DATA, {0x12, 0, 0x34, 0})),
              (Lines{P, C, E, "2100:   12   34   xx   xx"}));
    // 16F877 memory is listed whatever the processor, and EEPROM groups up to 0x22FC
    EXPECT_EQ(View(Record(0x3FFE, DATA, {0x34, 0x12}) + Record(0x45F8, DATA, {0xAB, 0}) +
                   Record(0x4600, DATA, {0xCD, 0})), // word 0x2300: past the listed EEPROM
              (Lines{P, "1FFC:   3FFF   3FFF   3FFF   1234", C, E, "22FC:   AB   xx   xx   xx"}));
}

// What a Read might bring: a cleared target with a few values at the edges of its memories.
FirmwareImage TargetImage()
{
    FirmwareImage image;
    image.Fill(0);
    image.Set(0x0000, 0x2805);               // goto 0x005 at the reset vector
    image.Set(0x03FF, 0x3FFF);               // the 16F84A's last program word, erased
    image.Set(CONFIG_WORD_ADDRESS, 0x3FF2);  // CP off, power-up timer on, watchdog off, HS
    image.Set(EEPROM_ADDRESS, 0x12);         // first EEPROM byte
    image.Set(EEPROM_ADDRESS + 0xFF, 0xEF);  // the 16F877's last EEPROM byte
    return image;
}

TEST(ReadListing, LinesOfBothProcessors)
{
    const Lines small = ReadListing(TargetImage(), TargetProcessor::PIC16F84A);
    ASSERT_EQ(small.size(), 276u); // 256 program, heading, 2, heading, 16 EEPROM
    EXPECT_EQ(small[0], "0000:   2805   0000   0000   0000");
    EXPECT_EQ(small[255], "03FC:   0000   0000   0000   3FFF");
    EXPECT_EQ(small[256], "Configuration Data:");
    EXPECT_EQ(small[257], "2000:   0000   0000   0000   0000");
    EXPECT_EQ(small[258], "2004:   0000   0000   0000   3FF2");
    EXPECT_EQ(small[259], "EEPROM Data:");
    EXPECT_EQ(small[260], "2100:    12    00    00    00   (0..3)");
    EXPECT_EQ(small[275], "213C:    00    00    00    00   (60..63)");

    const Lines large = ReadListing(TargetImage(), TargetProcessor::PIC16F877);
    ASSERT_EQ(large.size(), 2116u); // 2048 program, heading, 2, heading, 64 EEPROM
    EXPECT_EQ(large[2047], "1FFC:   0000   0000   0000   0000");
    EXPECT_EQ(large[2048], "Configuration Data:");
    EXPECT_EQ(large[2051], "EEPROM Data:");
    EXPECT_EQ(large[2115], "21FC:    00    00    00    EF   (252..255)");
}

} // namespace
