#pragma once
// Helpers of the HEX tests: fixture paths, temporary files, and well-formed records.
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <string>

#include <stdlib.h>
#include <unistd.h>

inline std::string HexFixture(const std::string& name)
{
    return std::string(QUILLET_TEST_DATA_DIR) + "/hex/" + name;
}

// A file in the temporary folder, removed when the object goes.
class TempFile {
public:
    explicit TempFile(const std::string& contents = "")
    {
        char pattern[] = "/tmp/quillet-hex-XXXXXX";
        const int fd = ::mkstemp(pattern);
        if (fd >= 0)
            ::close(fd);
        path_ = pattern;
        std::ofstream(path_, std::ios::binary) << contents;
    }
    ~TempFile() { std::remove(path_.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

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
inline constexpr int END_OF_FILE = 0x01;
inline constexpr int EXTENDED_SEGMENT = 0x02;
inline constexpr int EXTENDED_LINEAR = 0x04;
inline constexpr int CONFIG_BYTE_ADDRESS = 0x400E;  // word 0x2007
inline constexpr int ID_BYTE_ADDRESS = 0x4000;      // word 0x2000
inline constexpr int EEPROM_BYTE_ADDRESS = 0x4200;  // word 0x2100
