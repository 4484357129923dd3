// LoadHexImage and LoadHexText: initial contents and markers of both modes, what a record
// stores where, and the records that store nothing.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "HexTestSupport.h"
#include "image/HexFile.h"

namespace {

using Entries = std::vector<std::pair<int, std::int32_t>>; // word address, expected entry

TEST(HexLoad, InitialContentsOfBothModes)
{
    FirmwareImage image;
    image.Fill(0x1234); // whatever an earlier operation left
    LoadHexText("", HexLoadMode::Programming, image);
    // The first and last entry of each region: program memory (erased 0x3FFF), the ID and
    // further words of the configuration block (0x3F80), the configuration word, the gap
    // before the EEPROM, the 256 EEPROM bytes (0), and the entries past them.
    const Entries programming = {{0x0000, 0x3FFF}, {0x1FFF, 0x3FFF}, {0x2000, 0x3F80}, {0x2006, 0x3F80},
                                 {0x2007, 0x3FFF}, {0x20FF, 0x3FFF}, {0x2100, 0}, {0x21FF, 0},
                                 {0x2200, 0x3FFF}, {0x2327, 0x3FFF}};
    for (auto [address, value] : programming)
        EXPECT_EQ(image.Get(address), value) << std::hex << address;

    image.Fill(0x1234);
    EXPECT_TRUE(LoadHexImage(TempFile("").Path(), HexLoadMode::Listing, image));
    EXPECT_EQ(image, FirmwareImage()); // every entry 0x3FFF, no marker
}

struct LoadCase {
    const char* name;
    std::string text;
    Entries programming; // entries after a load in programming mode
    Entries listing;     // entries after a load in listing mode
};

TEST(HexLoad, RecordsStoreTheirWords)
{
    constexpr std::int32_t MARK = 0x8000; // listing marker
    constexpr std::int32_t EE = 0x0100;   // EEPROM byte supplied by the file
    const LoadCase cases[] = {
        {"configuration record", ":02400E00F23F7F\n", {{0x2007, 0x3FF2}}, {{0x2007, MARK | 0x3FF2}}},
        {"EEPROM bytes", Record(EEPROM_BYTE_ADDRESS, DATA, {0x12, 0x00, 0x34, 0x00}),
         {{0x2100, EE | 0x12}, {0x2101, EE | 0x34}, {0x2102, 0}}, {{0x2100, MARK | 0x12}, {0x2101, MARK | 0x34}}},
        {"program and ID words, lower case", ":04000000ff3f012895\n" + Record(ID_BYTE_ADDRESS, DATA, {1, 0}),
         {{0x0000, 0x3FFF}, {0x0001, 0x2801}, {0x2000, 0x0001}, {0x2001, 0x3F80}},
         {{0x0000, MARK | 0x3FFF}, {0x0001, MARK | 0x2801}, {0x2000, MARK | 0x0001}, {0x2001, 0x3FFF}}},
        {"extended address and end records store nothing",
         Record(0, EXTENDED_LINEAR, {0, 0}) + Record(0, END_OF_FILE, {}),
         {{0x0000, 0x3FFF}}, {{0x0000, 0x3FFF}}},
        {"records after an end record",
         Record(0, END_OF_FILE, {}) + Record(0, DATA, {0x05, 0x28}), {{0x0000, 0x2805}}, {{0x0000, MARK | 0x2805}}},
        {"data after a non-zero extended address is dropped",
         Record(0, DATA, {0x05, 0x28}) + Record(0, EXTENDED_LINEAR, {0x00, 0x01}) + Record(0, DATA, {1, 2}),
         {{0x0000, 0x2805}}, {{0x0000, MARK | 0x2805}}},
        // the checksum CF would give the last word the high byte 0xCF if it were read as data
        {"odd byte count: the last word's high byte is 0", ":03000000012805CF\n",
         {{0x0000, 0x2801}, {0x0001, 0x0005}}, {{0x0001, MARK | 0x0005}}},
        {"cut short: only complete words", ":100000008A01052800\n",
         {{0x0000, 0x018A}, {0x0001, 0x2805}, {0x0002, 0x3FFF}}, {{0x0002, 0x3FFF}}},
        {"non-hexadecimal word is not stored", ":060000008A01G528050008\n",
         {{0x0000, 0x018A}, {0x0001, 0x3FFF}, {0x0002, 0x0005}}, {{0x0001, 0x3FFF}}},
        // from 0x2326: two words in the table, two beyond; everything from 0x2100 is EEPROM to the load
        {"words beyond the image are dropped", Record(0x464C, DATA, {1, 0, 2, 0, 3, 0, 4, 0}),
         {{0x2326, EE | 0x0001}, {0x2327, EE | 0x0002}}, {{0x2326, MARK | 0x0001}, {0x2327, MARK | 0x0002}}},
    };
    for (const LoadCase& c : cases) {
        FirmwareImage image;
        LoadHexText(c.text, HexLoadMode::Programming, image);
        for (auto [address, value] : c.programming)
            EXPECT_EQ(image.Get(address), value) << c.name << " programming " << std::hex << address;
        LoadHexText(c.text, HexLoadMode::Listing, image);
        for (auto [address, value] : c.listing)
            EXPECT_EQ(image.Get(address), value) << c.name << " listing " << std::hex << address;
    }
}

TEST(HexLoad, ImageRefusesAddressesOutsideTheTable)
{
    FirmwareImage image;
    const FirmwareImage before = image;
    EXPECT_FALSE(image.Set(-1, 0));
    EXPECT_FALSE(image.Set(FIRMWARE_IMAGE_ENTRIES, 0));
    EXPECT_EQ(image, before);
    EXPECT_EQ(image.Get(FIRMWARE_IMAGE_ENTRIES), 0);
    EXPECT_TRUE(image.Set(FIRMWARE_IMAGE_ENTRIES - 1, 7));
    EXPECT_EQ(image.Get(FIRMWARE_IMAGE_ENTRIES - 1), 7);
}

TEST(HexLoad, ParseHexField)
{
    const std::pair<const char*, int> cases[] = {
        {"0", 0}, {"F", 15}, {"a", 10}, {"ff", 255}, {"1a2B", 0x1A2B}, {"FFFF", 0xFFFF},
        {"", 0}, {"12345", 0},       // only 1 to 4 characters make a field
        {"G", -1}, {"1 ", -1}, {"-1", -1}, {"\r", -1},
    };
    for (auto [text, value] : cases)
        EXPECT_EQ(ParseHexField(text), value) << '"' << text << '"';
}

} // namespace
