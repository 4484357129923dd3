#include <gtest/gtest.h>

#include "link/CommandSet.h"
#include "link/DeviceSelection.h"
#include "link/NibbleFraming.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Of(const auto& array) { return Bytes(array.begin(), array.end()); }

TEST(NibbleFraming, EncodesWordsLowNibbleFirst)
{
    EXPECT_EQ(Of(EncodeWord(CMD_CONNECT)), (Bytes{0x0C, 0x0A, 0x05, 0x0A}));
    EXPECT_EQ(Of(EncodeWord(CMD_BLANK_CHECK_84A)), (Bytes{0x08, 0x0A, 0x05, 0x0A}));
    EXPECT_EQ(Of(EncodeWord(CMD_PROGRAM_877)), (Bytes{0x0E, 0x0A, 0x05, 0x0A}));
    EXPECT_EQ(Of(EncodeWord(CMD_GET_REVISION)), (Bytes{0x01, 0x0B, 0x05, 0x0A}));
    EXPECT_EQ(Of(EncodeWord(0x2100)), (Bytes{0x00, 0x00, 0x01, 0x02})); // EEPROM address word
    EXPECT_EQ(Of(EncodeWord(0x3FFF)), (Bytes{0x0F, 0x0F, 0x0F, 0x03})); // erased program word
    EXPECT_EQ(Of(EncodeByte(REPEAT_BYTE)), (Bytes{0x03, 0x04}));
}

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

TEST(NibbleFraming, PadsAndCutsTextFields)
{
    Bytes ab{0x01, 0x04, 0x02, 0x04}; // 'A' = 0x41, 'B' = 0x42
    for (int space = 0; space < 14; ++space)
        ab.insert(ab.end(), {0x00, 0x02}); // ' ' = 0x20
    EXPECT_EQ(EncodeText(u"AB", VERSION_TEXT_LENGTH), ab);

    Bytes spaces;
    for (int space = 0; space < 16; ++space)
        spaces.insert(spaces.end(), {0x00, 0x02});
    EXPECT_EQ(EncodeText(u"", VERSION_TEXT_LENGTH), spaces);

    // U+20AC (euro sign) does not fit in 8 bits: '?' (0x3F), not its low byte 0xAC.
    // U+00E9 (e acute) does, as the byte 0xE9.
    EXPECT_EQ(EncodeText(u"\u20AC\u00E9", 2), (Bytes{0x0F, 0x03, 0x09, 0x0E}));
    // The edge: U+00FF is the byte 0xFF, U+0100 the first that does not fit.
    EXPECT_EQ(EncodeText(u"\u00FF\u0100", 2), (Bytes{0x0F, 0x0F, 0x0F, 0x03}));
    EXPECT_EQ(EncodeText(u"0123456789ABCDEFGH", VERSION_TEXT_LENGTH).size(), 32u);

    const std::uint8_t revision[] = {0x01, 0x03, 0x02, 0x03, 0x00, 0x00, 0x09, 0x03}; // "12", 0, "9"
    EXPECT_EQ(DecodeText(revision, REVISION_TEXT_LENGTH), "12");
}

TEST(DeviceNumber, ReadsOneOrTwoCharactersAsTheDriverNumber)
{
    const struct {
        const char* text;
        int number; // -1: refused
    } cases[] = {
        {"", 0},  {"0", 0},    {"64", 64}, {"65", -1}, {"007", -1},
        {"-1", -1}, {"x", 0},  {" 5", 5},  {"5x", 5},  {"+7", 7},
        {"No devices attached", -1}, {"1 device(s) attached:", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DeviceNumberOf(c.text), c.number) << '"' << c.text << '"';
}

} // namespace
