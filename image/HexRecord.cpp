#include "image/HexRecord.h"

namespace {

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The field of `digits` characters at `position`, or -1 when the line ends before it.
int FieldAt(std::string_view line, std::size_t position, std::size_t digits)
{
    if (position > line.size() || line.size() - position < digits)
        return -1;
    return ParseHexField(line.substr(position, digits));
}

std::size_t DataBytePosition(int index)
{
    return HEX_DATA_POSITION + static_cast<std::size_t>(index) * HEX_BYTE_DIGITS;
}

} // namespace

int ParseHexField(std::string_view text)
{
    if (text.empty() || text.size() > HEX_WORD_DIGITS)
        return 0;
    int value = 0;
    for (char c : text) {
        const int digit = HexDigitValue(c);
        if (digit < 0)
            return -1;
        value = value * 16 + digit;
    }
    return value;
}

int HexRecord::Word(int index) const
{
    if (!headerComplete || index < 0 || index >= WordCount())
        return -1;
    const int low = FieldAt(line, DataBytePosition(2 * index), HEX_BYTE_DIGITS);
    if (low < 0)
        return -1;
    // An odd count gives the last word a low byte only; the characters after it are the
    // checksum, not data.
    if (2 * index + 1 >= count)
        return low;
    const int high = FieldAt(line, DataBytePosition(2 * index + 1), HEX_BYTE_DIGITS);
    return high < 0 ? -1 : (high << 8) | low;
}

bool HexRecord::ChecksumPasses() const
{
    if (!headerComplete)
        return false;
    // count, address high, address low, type, the data bytes and the checksum itself
    const int bytes = count + 5;
    int sum = 0;
    for (int i = 0; i < bytes; ++i) {
        const int value = FieldAt(line, HEX_COUNT_POSITION + static_cast<std::size_t>(i) * HEX_BYTE_DIGITS,
                                  HEX_BYTE_DIGITS);
        if (value < 0)
            return false;
        sum += value;
    }
    return sum % 256 == 0;
}

bool HexRecordReader::Next(HexRecord& record)
{
    while (!rest_.empty()) {
        const std::size_t feed = rest_.find('\n');
        const bool hasFeed = feed != std::string_view::npos;
        const std::string_view line = rest_.substr(0, feed);
        rest_.remove_prefix(hasFeed ? feed + 1 : rest_.size());
        // A lone colon counts as a line only with its line feed.
        if (line.empty() || line[0] != HEX_RECORD_MARK || (line.size() + (hasFeed ? 1 : 0)) < 2)
            continue;

        record = HexRecord{};
        record.line = line;
        record.count = FieldAt(line, HEX_COUNT_POSITION, HEX_BYTE_DIGITS);
        record.byteAddress = FieldAt(line, HEX_ADDRESS_POSITION, HEX_ADDRESS_DIGITS);
        record.type = FieldAt(line, HEX_TYPE_POSITION, HEX_BYTE_DIGITS);
        record.headerComplete = record.count >= 0 && record.byteAddress >= 0 && record.type >= 0;
        record.outsidePicSpace = outsidePicSpace_;
        FollowExtendedAddress(record);
        return true;
    }
    return false;
}

void HexRecordReader::FollowExtendedAddress(const HexRecord& record)
{
    if (!record.headerComplete ||
        (record.type != HEX_RECORD_EXTENDED_LINEAR && record.type != HEX_RECORD_EXTENDED_SEGMENT))
        return;
    // PIC16 tool chains write these records with the value 0 only (every PIC16 address fits
    // in 16 bits). A linear value moves the records after it by 64 KiB a step, beyond the
    // PIC16's address space; a segment value moves them by 16 bytes a step, which no PIC16
    // file needs. Either non-zero value, or one that cannot be read, puts the data after it
    // outside the address space, rather than guessing a place for it.
    int value = -1;
    if (record.count == HEX_EXTENDED_ADDRESS_BYTES)
        value = FieldAt(record.line, HEX_DATA_POSITION, HEX_WORD_DIGITS);
    outsidePicSpace_ = value != 0;
}
