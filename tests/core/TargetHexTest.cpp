// The HEX text of a target's memories that the command line's read -o writes, read back by the
// check and the load that Program and Verify use.
#include <gtest/gtest.h>

#include <string>
#include <utility>
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
constexpr int kSomeWord = 0x0123;      // any word that is not erased

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

// Every memory the text carries comes back word for word through the load Program uses, and
// the check passes it for the processor with the target's configuration word.
TEST(TargetHexText, LoadsBackAsTheTargetHeldIt)
{
    for (const auto& [fixture, processor] : {std::pair{"blink84a.hex", P84A}, std::pair{"counter877.hex", P877}}) {
        SCOPED_TRACE(fixture);
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
}

// An erased chip but for one word: its program row, the ID words, the configuration word,
// EEPROM rows of 8 bytes, the end record. Each record is written independently of the writer.
TEST(TargetHexText, LeavesOutErasedProgramRowsOnly)
{
    FirmwareImage target;
    for (int i = 0; i < GetProcessorProfile(P84A).eepromBytes; ++i)
        target.Set(EEPROM_ADDRESS + i, kEepromErased);
    target.Set(0x0009, 0x2805); // goto 5, in the second row of 8 words: byte address 0x0010

    std::string expected = Record(0x0010, DATA, {0xFF, 0x3F, 0x05, 0x28, 0xFF, 0x3F, 0xFF, 0x3F, 0xFF, 0x3F,
                                                 0xFF, 0x3F, 0xFF, 0x3F, 0xFF, 0x3F}) +
                           Record(ID_BYTE_ADDRESS, DATA, {0xFF, 0x3F, 0xFF, 0x3F, 0xFF, 0x3F, 0xFF, 0x3F}) +
                           Record(CONFIG_BYTE_ADDRESS, DATA, {0xFF, 0x3F});
    for (int row = 0; row < GetProcessorProfile(P84A).eepromBytes / 8; ++row)
        expected += Record(EEPROM_BYTE_ADDRESS + 16 * row, DATA, {0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0});
    EXPECT_EQ(TargetHexText(target, P84A), expected + ":00000001FF\n");
}

} // namespace
