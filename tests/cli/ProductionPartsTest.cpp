// The pieces of a production run that need no board: how a serial number is laid out in a
// chip and read back, the counter file under concurrent takers, and the HEX file's digest.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cli/SerialCounter.h"
#include "cli/SerialNumber.h"
#include "cli/Sha256.h"

namespace {

// Digests published with the algorithm, and those `sha256sum` gives for runs of 'a' that end
// just before, on and after the length that needs a second padding block.
TEST(Sha256, MatchesKnownDigests)
{
    const struct {
        std::string message;
        const char* digest;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        {std::string(56, 'a'), "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
        {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Sha256Hex(c.message), c.digest) << c.message.size() << " bytes";
}

TEST(SerialFormat, ParsesTheThreeLayoutsAndRefusesTheRest)
{
    const struct {
        const char* text;
        bool valid;
        const char* normal; // as Text() gives it back
        std::uint64_t largest;
    } cases[] = {
        {"dec:6", true, "dec:6", 999999},
        {"DEC:1", true, "dec:1", 9},
        {"dec:19", true, "dec:19", 9999999999999999999ULL},
        {"be:2", true, "be:2", 0xFFFF},
        {"le:8", true, "le:8", ~std::uint64_t{0}},
        {"dec:0", false, "", 0},
        {"dec:20", false, "", 0}, // 20 digits overflow 64 bits
        {"be:9", false, "", 0},
        {"be:", false, "", 0},
        {"hex:4", false, "", 0},
        {"le:-2", false, "", 0},
        {"dec6", false, "", 0},
    };
    for (const auto& c : cases) {
        SerialFormat format;
        ASSERT_EQ(SerialFormat::Parse(c.text, format), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(format.Text(), c.normal);
            EXPECT_EQ(format.Largest(), c.largest) << c.text;
        }
    }
}

// Each layout as a chip holds it, cell by cell, and read back from the same cells.
TEST(SerialPlace, WritesEachLayoutAndReadsItBack)
{
    const struct {
        const char* format;
        int address;
        std::uint64_t number;
        std::vector<std::int32_t> cells;
    } cases[] = {
        // EEPROM bytes go to the board with the supplied marker (0x100).
        {"dec:6", 0x2100, 1234, {0x130, 0x130, 0x131, 0x132, 0x133, 0x134}},
        {"be:3", 0x2110, 0x0A0B0C, {0x10A, 0x10B, 0x10C}},
        {"le:3", 0x213D, 0x0A0B0C, {0x10C, 0x10B, 0x10A}},
        // Program memory: RETLW 0x34nn, one byte a word.
        {"le:2", 0x0300, 0xBEEF, {0x34EF, 0x34BE}},
        {"dec:2", 0x03FE, 7, {0x3430, 0x3437}},
    };
    for (const auto& c : cases) {
        SerialPlace place;
        place.address = c.address;
        ASSERT_TRUE(SerialFormat::Parse(c.format, place.format));
        FirmwareImage image;
        image.Reset(HexLoadMode::Programming);
        PlaceSerial(c.number, place, image);
        std::vector<std::int32_t> cells;
        for (int i = 0; i < place.Length(); ++i)
            cells.push_back(image.Get(c.address + i));
        EXPECT_EQ(cells, c.cells) << c.format;
        // Around it nothing changed.
        EXPECT_EQ(image.Get(c.address + place.Length()), c.address >= EEPROM_ADDRESS ? EEPROM_INITIAL : ERASED_WORD);

        // A chip read back holds EEPROM bytes without the marker.
        FirmwareImage target = image;
        for (int i = 0; i < place.Length(); ++i)
            target.Set(c.address + i, image.Get(c.address + i) & (place.InEeprom() ? 0xFF : 0x3FFF));
        EXPECT_EQ(ReadSerial(target, place), c.number) << c.format;
    }
}

TEST(SerialPlace, ReadsNoNumberFromCellsThatDoNotHoldOne)
{
    SerialPlace eeprom;
    eeprom.address = 0x2100;
    SerialFormat::Parse("dec:4", eeprom.format);
    SerialPlace program;
    program.address = 0x0200;
    SerialFormat::Parse("be:2", program.format);

    FirmwareImage erased; // every entry 0x3FFF: EEPROM reads 0xFF, not a digit
    EXPECT_EQ(ReadSerial(erased, eeprom), std::nullopt);
    EXPECT_EQ(ReadSerial(erased, program), std::nullopt); // 0x3FFF is no RETLW

    FirmwareImage target;
    target.Set(0x2100, '1');
    target.Set(0x2101, '2');
    target.Set(0x2102, ' '); // a blank is no digit
    target.Set(0x2103, '4');
    EXPECT_EQ(ReadSerial(target, eeprom), std::nullopt);
    target.Set(0x0200, 0x3412);
    target.Set(0x0201, 0x3034); // a GOTO, not RETLW
    EXPECT_EQ(ReadSerial(target, program), std::nullopt);
    target.Set(0x0201, 0x3434);
    EXPECT_EQ(ReadSerial(target, program), 0x1234u);
}

TEST(SerialPlace, FitsOnlyWithinOneMemoryOfTheProcessor)
{
    const struct {
        int address;
        int width;
        TargetProcessor processor;
        bool fits;
    } cases[] = {
        {0x0000, 4, TargetProcessor::PIC16F84A, true},
        {0x03FC, 4, TargetProcessor::PIC16F84A, true},
        {0x03FD, 4, TargetProcessor::PIC16F84A, false}, // runs past 1024 words
        {0x1FFC, 4, TargetProcessor::PIC16F877, true},
        {0x1FFD, 4, TargetProcessor::PIC16F877, false}, // into the ID words
        {0x2000, 1, TargetProcessor::PIC16F877, false}, // ID words and configuration: not here
        {0x213C, 4, TargetProcessor::PIC16F84A, true},
        {0x213D, 4, TargetProcessor::PIC16F84A, false}, // past 64 EEPROM bytes
        {0x213D, 4, TargetProcessor::PIC16F877, true},
        {0x21FD, 4, TargetProcessor::PIC16F877, false}, // past 256
    };
    for (const auto& c : cases) {
        SerialPlace place;
        place.address = c.address;
        place.format = {SerialFormat::MOST_SIGNIFICANT_FIRST, c.width};
        EXPECT_EQ(place.CheckFits(c.processor).empty(), c.fits) << std::hex << c.address;
    }
}

class CounterFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A folder of its own under a random name (there is no mkdtemp on Windows).
        do {
            folder_ = std::filesystem::temp_directory_path() /
                      ("quillet-counter-" + std::to_string(std::random_device{}()));
        } while (!std::filesystem::create_directory(folder_));
        path_ = (folder_ / "counter").string();
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::string Text() const
    {
        std::ifstream in(path_);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::filesystem::path folder_;
    std::string path_;
};

// Eight takers at once, as the boards of one run: every number once, none skipped.
TEST_F(CounterFileTest, ConcurrentTakersGetEveryNumberOnce)
{
    constexpr int kTakers = 8;
    constexpr int kTakes = 25;
    constexpr std::uint64_t kStart = 1000;
    std::vector<std::vector<std::uint64_t>> taken(kTakers);
    std::vector<std::thread> takers;
    for (int t = 0; t < kTakers; ++t) {
        takers.emplace_back([&, t] {
            SerialCounter counter(path_, kStart);
            for (int i = 0; i < kTakes; ++i) {
                std::uint64_t number = 0;
                if (counter.Take(999999, number).exitCode == 0)
                    taken[static_cast<std::size_t>(t)].push_back(number);
            }
        });
    }
    for (std::thread& taker : takers)
        taker.join();
    std::set<std::uint64_t> all;
    std::size_t count = 0;
    for (const auto& numbers : taken) {
        all.insert(numbers.begin(), numbers.end());
        count += numbers.size();
    }
    EXPECT_EQ(count, std::size_t{kTakers * kTakes});
    ASSERT_EQ(all.size(), count) << "a number was given twice";
    EXPECT_EQ(*all.begin(), kStart);
    EXPECT_EQ(*all.rbegin(), kStart + kTakers * kTakes - 1);
    EXPECT_EQ(Text(), "1200\n");
}

TEST_F(CounterFileTest, RefusesWithoutChangingTheFile)
{
    std::uint64_t number = 0;
    // Missing, and no start to create it with: a usage error before the run, a file that
    // cannot be opened (9, as an output file) once it runs.
    EXPECT_NE(SerialCounter(path_, std::nullopt).Check(), "");
    EXPECT_EQ(SerialCounter(path_, std::nullopt).Take(99, number).exitCode, 9);
    EXPECT_FALSE(std::filesystem::exists(path_));

    // The numbers have run past the format: the file keeps its number.
    std::ofstream(path_) << "  100 \n";
    EXPECT_EQ(SerialCounter(path_, 5).Check(), ""); // an existing file wins over --serial-start
    EXPECT_EQ(SerialCounter(path_, std::nullopt).Take(99, number).exitCode, 2);
    EXPECT_EQ(Text(), "  100 \n");
    ASSERT_EQ(SerialCounter(path_, 5).Take(100, number).exitCode, 0);
    EXPECT_EQ(number, 100u);
    EXPECT_EQ(Text(), "101\n");

    std::ofstream(path_) << "12a\n";
    EXPECT_NE(SerialCounter(path_, std::nullopt).Check(), "");
    EXPECT_EQ(SerialCounter(path_, std::nullopt).Take(999, number).exitCode, 2);
    EXPECT_EQ(Text(), "12a\n");
}

} // namespace
