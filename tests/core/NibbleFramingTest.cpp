#include <gtest/gtest.h>

#include "link/CommandSet.h"
#include "link/DeviceSelection.h"
#include "link/NibbleFraming.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(NibbleFraming, DecodesOnlyTheLowNibbles)
{
    const std::uint8_t ack[] = {0x05, 0x0A};
    const std::uint8_t ackWithHighBits[] = {0xF5, 0xFA};
    const std::uint8_t ackWithOtherHighBits[] = {0xF5, 0x3A};
    const std::uint8_t notBlank[] = {0x0A, 0x05};
    EXPECT_EQ(DecodeByte(ack), ACK_BYTE);
    EXPECT_EQ(DecodeByte(ackWithHighBits), ACK_BYTE);
    EXPECT_EQ(DecodeByte(ackWithOtherHighBits), ACK_BYTE);
    EXPECT_EQ(DecodeByte(notBlank), NOT_BLANK_BYTE);

    // 0x2805, a PIC "goto 5", plain and with noise in the high nibbles.
    const std::uint8_t word[] = {0x05, 0x00, 0x08, 0x02};
    const std::uint8_t noisyWord[] = {0xF5, 0x30, 0x48, 0x52};
    EXPECT_EQ(DecodeWord(word), 0x2805);
    EXPECT_EQ(DecodeWord(noisyWord), 0x2805);
}

// Every command word and the padded and cut version texts are in the golden files.
TEST(NibbleFraming, CutsTextFieldsAndNarrowsWideCharacters)
{
    // U+20AC (euro sign) does not fit in 8 bits: '?' (0x3F), not its low byte 0xAC.
    // U+00E9 (e acute) does, as the byte 0xE9.
    EXPECT_EQ(EncodeText(u"\u20AC\u00E9", 2), (Bytes{0x0F, 0x03, 0x09, 0x0E}));
    // The edge: U+00FF is the byte 0xFF, U+0100 the first that does not fit.
    EXPECT_EQ(EncodeText(u"\u00FF\u0100", 2), (Bytes{0x0F, 0x0F, 0x0F, 0x03}));

    const std::uint8_t revision[] = {0x01, 0x03, 0x02, 0x03, 0x00, 0x00, 0x09, 0x03}; // "12", 0, "9"
    EXPECT_EQ(DecodeText(revision, REVISION_TEXT_LENGTH), "12");
}

TEST(DeviceNumber, ReadsOneOrTwoCharactersAsTheDriverNumber)
{
    const struct {
        const char* text;
        int number; // -1: refused
    } cases[] = {
        // The range's edges are in the golden boundaries; here what follows the digits.
        {"5x", 5}, {"No devices attached", -1}, {"1 device(s) attached:", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DeviceNumberOf(c.text), c.number) << '"' << c.text << '"';
}

} // namespace
