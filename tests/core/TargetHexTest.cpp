// The HEX text of a target's memories, read back by the check and the load that Program and
// Verify use; and the complete list of differences a command-line Verify reports.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "HexTestSupport.h"
#include "image/ConfigWord.h"
#include "image/FirmwareImage.h"
#include "image/HexFile.h"
#include "image/HexFileWriter.h"
#include "ops/VerifyCompare.h"

namespace {

constexpr auto P84A = TargetProcessor::PIC16F84A;
constexpr auto P877 = TargetProcessor::PIC16F877;
constexpr int kEepromErased = 0xFF;    // an erased EEPROM byte as the board reads it
constexpr int kDeviceId877 = 0x09A0;   // what a 16F877 holds at 0x2006; never part of a file
constexpr int kSomeWord = 0x0123;       // any word that is not erased
constexpr int kPwrtBit = 0x0008;       // PWRTE, active low
constexpr int kWdtBit = 0x0004;

// A target as Read leaves it after the fixture was programmed: the file's words, erased
// words elsewhere, plain EEPROM bytes (0xFF where the file is silent), the device ID.
FirmwareImage TargetOf(const std::string& fixture, TargetProcessor processor)
{
    FirmwareImage target;
    EXPECT_TRUE(LoadHexImage(HexFixture(fixture), HexLoadMode::Programming, target));
    for (int i = 0; i < GetProcessorProfile(processor).eepromBytes; ++i) {
        const std::int32_t entry = target.Get(EEPROM_ADDRESS + i);
        target.Set(EEPROM_ADDRESS + i, (entry & EEPROM_SUPPLIED_MARKER) ? entry & 0xFF : kEepromErased);
    }
    target.Set(CONFIG_WORD_ADDRESS - 1, kDeviceId877);
    return target;
}

std::vector<std::string> LinesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

struct RoundTripCase {
    const char* fixture;
    TargetProcessor processor;
};

class TargetHexRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

// Every memory the text carries comes back word for word through the load Program uses, and
// the check passes it for the processor with the target's configuration word.
TEST_P(TargetHexRoundTrip, LoadsBackAsTheTargetHeldIt)
{
    const auto [fixture, processor] = GetParam();
    FirmwareImage target = TargetOf(fixture, processor);
    // The last program word: the text must reach the end of the processor's memory.
    target.Set(GetProcessorProfile(processor).programWords - 1, kSomeWord);
    const std::string text = TargetHexText(target, processor);

    std::vector<std::uint16_t> applied;
    EXPECT_EQ(HEX_FILE_OK, CheckHexText(text, processor, [&](std::uint16_t w) { applied.push_back(w); }));
    EXPECT_EQ(applied, std::vector<std::uint16_t>{static_cast<std::uint16_t>(target.Get(CONFIG_WORD_ADDRESS))});

    FirmwareImage loaded;
    LoadHexText(text, HexLoadMode::Programming, loaded);
    const ProcessorProfile& profile = GetProcessorProfile(processor);
    for (int a = 0; a < profile.programWords; ++a)
        ASSERT_EQ(loaded.Get(a), target.Get(a)) << "program word " << a;
    for (int a = ID_WORDS_ADDRESS; a < ID_WORDS_ADDRESS + ID_WORD_COUNT; ++a)
        EXPECT_EQ(loaded.Get(a), target.Get(a)) << "ID word " << a;
    EXPECT_EQ(loaded.Get(CONFIG_WORD_ADDRESS), target.Get(CONFIG_WORD_ADDRESS));
    // The device ID stays out: the load leaves its programming default there.
    EXPECT_EQ(loaded.Get(CONFIG_WORD_ADDRESS - 1), CONFIG_BLOCK_INITIAL);
    for (int i = 0; i < profile.eepromBytes; ++i)
        ASSERT_EQ(loaded.Get(EEPROM_ADDRESS + i), EEPROM_SUPPLIED_MARKER | target.Get(EEPROM_ADDRESS + i))
            << "EEPROM location " << i;
    // With the same options, Verify finds the loaded file and the target alike.
    ConfigOptions options;
    ApplyConfigWord(processor, static_cast<std::uint16_t>(target.Get(CONFIG_WORD_ADDRESS)), options);
    EXPECT_TRUE(ListDifferences(loaded, target, processor, options).empty());
}

INSTANTIATE_TEST_SUITE_P(Fixtures, TargetHexRoundTrip,
                         ::testing::Values(RoundTripCase{"blink84a.hex", P84A},
                                           RoundTripCase{"counter877.hex", P877}));

// An erased chip: no program row, the ID words, the configuration word, EEPROM rows of 8
// bytes, the end record. Each record is checked against one written independently.
TEST(TargetHexText, LeavesOutErasedProgramRowsOnly)
{
    FirmwareImage target;
    for (int i = 0; i < GetProcessorProfile(P84A).eepromBytes; ++i)
        target.Set(EEPROM_ADDRESS + i, kEepromErased);
    target.Set(0x0009, 0x2805); // goto 5, in the second row of 8 words
    const std::vector<std::string> lines = LinesOf(TargetHexText(target, P84A));

    const int eepromRows = GetProcessorProfile(P84A).eepromBytes / 8;
    ASSERT_EQ(lines.size(), 1u + 1u + 1u + eepromRows + 1u);
    EXPECT_EQ(lines[0] + "\n", Record(0x0010, 0, {0xFF, 0x3F, 0x05, 0x28, 0xFF, 0x3F, 0xFF, 0x3F, 0xFF, 0x3F,
                                                  0xFF, 0x3F, 0xFF, 0x3F, 0xFF, 0x3F}));
    EXPECT_EQ(lines[1] + "\n", Record(0x4000, 0, {0xFF, 0x3F, 0xFF, 0x3F, 0xFF, 0x3F, 0xFF, 0x3F}));
    EXPECT_EQ(lines[2] + "\n", Record(0x400E, 0, {0xFF, 0x3F}));
    EXPECT_EQ(lines[3] + "\n", Record(0x4200, 0, {0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0}));
    EXPECT_EQ(lines.back(), ":00000001FF");
}

// Verify on the command line names every difference, in the window's order, with what was
// expected and what was found; the first of them is the window's one message.
TEST(ListDifferences, NamesEveryDifferenceInOrder)
{
    FirmwareImage image;
    image.Reset(HexLoadMode::Programming);
    image.Set(0x0000, 0x2805);                                   // goto 5
    image.Set(EEPROM_ADDRESS + 5, EEPROM_SUPPLIED_MARKER | 0x42); // file's EEPROM bytes
    image.Set(EEPROM_ADDRESS + 6, EEPROM_SUPPLIED_MARKER | 0x43);
    ConfigOptions options;
    const std::uint16_t optionsWord = BuildConfigWord(P877, options);

    FirmwareImage target = image;
    target.Set(0x0000, 0x2806);            // goto 6
    target.Set(0x1234, 0x0000);            // not supplied: expected erased
    const int targetWord = optionsWord ^ kPwrtBit ^ kWdtBit;
    target.Set(CONFIG_WORD_ADDRESS, targetWord);
    target.Set(EEPROM_ADDRESS + 5, 0x42);  // matches
    target.Set(EEPROM_ADDRESS + 6, 0x44);
    target.Set(EEPROM_ADDRESS + 7, 0x99);  // not supplied: not compared

    const std::vector<VerifyDifference> all = ListDifferences(image, target, P877, options);
    using D = VerifyDifference;
    ASSERT_EQ(all.size(), 5u);
    EXPECT_EQ((std::vector<int>{all[0].kind, all[0].address, all[0].expected, all[0].found}),
              (std::vector<int>{D::PROGRAM_WORD, 0x0000, 0x2805, 0x2806}));
    EXPECT_EQ((std::vector<int>{all[1].kind, all[1].address, all[1].expected, all[1].found}),
              (std::vector<int>{D::PROGRAM_WORD, 0x1234, ERASED_WORD, 0x0000}));
    EXPECT_EQ(all[2].configuration, "Configuration verify failed (Power Up Timer Setting)");
    EXPECT_EQ(all[3].configuration, "Configuration verify failed (Watchdog Timer Setting)");
    for (int i : {2, 3})
        EXPECT_EQ((std::vector<int>{all[i].kind, all[i].address, all[i].expected, all[i].found}),
                  (std::vector<int>{D::CONFIGURATION, CONFIG_WORD_ADDRESS, optionsWord, targetWord}));
    EXPECT_EQ((std::vector<int>{all[4].kind, all[4].address, all[4].expected, all[4].found}),
              (std::vector<int>{D::EEPROM_BYTE, EEPROM_ADDRESS + 6, 0x43, 0x44}));

    const VerifyDifference first = CompareWithTarget(image, target, P877, options);
    EXPECT_EQ(first.kind, D::PROGRAM_WORD);
    EXPECT_EQ(first.address, 0x0000);
    EXPECT_EQ(ListDifferences(image, target, P877, options, 3).size(), 3u);
}

} // namespace
