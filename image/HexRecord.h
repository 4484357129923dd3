#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

// Intel HEX records as the PIC tool chains write them, with PIC word addressing: the load
// address is a byte address, twice the word address, and each 14-bit word is two data
// bytes, low byte first. Every field sits at a fixed character position from the colon:
//   ':'  count(2)  address(4)  type(2)  data(2 x count)  checksum(2)

inline constexpr char HEX_RECORD_MARK = ':';
inline constexpr std::size_t HEX_COUNT_POSITION = 1;
inline constexpr std::size_t HEX_ADDRESS_POSITION = 3;
inline constexpr std::size_t HEX_TYPE_POSITION = 7;
inline constexpr std::size_t HEX_DATA_POSITION = 9;
inline constexpr std::size_t HEX_BYTE_DIGITS = 2;
inline constexpr std::size_t HEX_ADDRESS_DIGITS = 4;
inline constexpr std::size_t HEX_WORD_DIGITS = 4;

// Record types. Only data records carry words; the others are checksummed and read for the
// address they set, never stored.
inline constexpr int HEX_RECORD_DATA = 0x00;
inline constexpr int HEX_RECORD_END_OF_FILE = 0x01;
inline constexpr int HEX_RECORD_EXTENDED_SEGMENT = 0x02;
inline constexpr int HEX_RECORD_EXTENDED_LINEAR = 0x04;
inline constexpr int HEX_EXTENDED_ADDRESS_BYTES = 2;

// The value of a field of 1 to 4 hexadecimal digits (upper or lower case), the first digit
// most significant; 0 for any other length; -1 when a character is not a hexadecimal digit.
int ParseHexField(std::string_view text);

// One used line of a HEX file, read without ever looking past its end: a field the line
// is too short for, or that holds a character other than a hexadecimal digit, is missing.
struct HexRecord {
    std::string_view line;        // from the colon up to, not including, the line feed
    bool headerComplete = false;  // count, address and type are all there and readable
    int count = 0;                // data bytes the record announces
    int byteAddress = 0;
    int type = 0;
    // An earlier extended address record with a non-zero (or unreadable) value moved this
    // record outside the PIC16's address space.
    bool outsidePicSpace = false;

    int WordAddress() const { return byteAddress / 2; }
    // Words the data bytes make; an odd count leaves the last word without a high byte.
    int WordCount() const { return (count + 1) / 2; }
    bool IsData() const { return headerComplete && type == HEX_RECORD_DATA; }

    // Data word `index`, low byte first; 0 stands for the high byte an odd count lacks.
    // -1 when the line ends before the word or the word is not hexadecimal.
    int Word(int index) const;

    // True when all the record's characters, checksum included, are there and hexadecimal
    // and the count, address, type and data bytes add up with the checksum to 0 modulo 256.
    bool ChecksumPasses() const;
};

// Walks the used lines of a HEX file's text: lines that start with the colon and hold more
// than that colon alone (a line feed counts). Lines are taken whole, however long; a
// carriage return or anything else after the checksum is never looked at.
class HexRecordReader {
public:
    explicit HexRecordReader(std::string_view text) : rest_(text) {}

    // The next record; false when the text has no further used line.
    bool Next(HexRecord& record);

private:
    void FollowExtendedAddress(const HexRecord& record);

    std::string_view rest_;
    bool outsidePicSpace_ = false;
};
