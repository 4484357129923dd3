#pragma once
// Helpers of the HEX tests: fixtures, and well-formed records.
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>

inline std::string HexFixture(const std::string& name)
{
    return std::string(QUILLET_TEST_DATA_DIR) + "/hex/" + name;
}

inline std::string FileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// One record with a correct checksum, written out independently of the reader under test.
inline std::string Record(int byteAddress, int type, std::initializer_list<int> bytes)
{
    char text[16];
    int sum = static_cast<int>(bytes.size()) + (byteAddress >> 8) + (byteAddress & 0xFF) + type;
    std::snprintf(text, sizeof text, "%02X%04X%02X", static_cast<int>(bytes.size()), byteAddress, type);
    std::string record = std::string(":") + text;
    for (int byte : bytes) {
        std::snprintf(text, sizeof text, "%02X", byte);
        record += text;
        sum += byte;
    }
    std::snprintf(text, sizeof text, "%02X\n", (256 - sum % 256) % 256);
    return record + text;
}

// Record types and addresses the tests write.
inline constexpr int DATA = 0x00;
inline constexpr int EXTENDED_SEGMENT = 0x02;
inline constexpr int EXTENDED_LINEAR = 0x04;
inline constexpr int CONFIG_BYTE_ADDRESS = 0x400E;  // word 0x2007
inline constexpr int ID_BYTE_ADDRESS = 0x4000;      // word 0x2000
inline constexpr int EEPROM_BYTE_ADDRESS = 0x4200;  // word 0x2100
