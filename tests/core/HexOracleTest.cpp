// Every well-formed fixture, loaded in both modes, against srecord's srec_cat reading the
// same file: an Intel HEX reader that shares nothing with ours. It pins each mode's marker on
// every word a file supplies and its initial contents everywhere else.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "HexTestSupport.h"
#include "image/HexFile.h"

namespace {

constexpr std::size_t IMAGE_BYTES = 2 * FIRMWARE_IMAGE_ENTRIES; // HEX byte addresses 0x0000..0x464F

// Runs srec_cat with `arguments` and returns the binary file it writes to `output`.
std::string RunSrecCat(const std::string& arguments, const std::string& output)
{
    std::filesystem::remove(output);
#if defined(_WIN32)
    // Under wine, cmd.exe starts the build machine's srec_cat with `start /unix`, which neither
    // waits for it nor reports how it ended. A script runs it and renames its output into place
    // when it is whole; the test waits for that name.
    const std::string script = output + ".sh";
    std::ofstream(script, std::ios::binary) << "srec_cat " << arguments << " -o '" << output << ".part' -binary && mv '"
                                            << output << ".part' '" << output << "'\n";
    std::system(("start /unix /bin/sh " + script).c_str());
    for (int waited = 0; waited < 300 && !std::filesystem::exists(output); ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::filesystem::remove(script);
    const std::string bytes = FileText(output);
#else
    const std::string command = "srec_cat " + arguments + " -o '" + output + "' -binary";
    const std::string bytes = std::system(command.c_str()) == 0 ? FileText(output) : std::string();
#endif
    std::filesystem::remove(output);
    return bytes;
}

// The file's bytes over the image's range as srec_cat reads them, holes filled with `fill`.
std::string SrecCatBytes(const std::string& hexPath, int fill)
{
    return RunSrecCat("'" + hexPath + "' -intel -crop 0 " + std::to_string(IMAGE_BYTES) + " -fill " +
                          std::to_string(fill) + " 0 " + std::to_string(IMAGE_BYTES),
                      QUILLET_TEST_BINARY_DIR "/srec_cat.bin");
}

TEST(HexOracle, ImagesMatchSrecCat)
{
    int fixtures = 0;
    for (const auto& entry : std::filesystem::directory_iterator(HexFixture(""))) {
        if (entry.path().extension() != ".hex")
            continue;
        const std::string path = entry.path().string();
        ++fixtures;
        // A byte the file supplies reads the same under both fills; a hole does not.
        const std::string zeros = SrecCatBytes(path, 0x00);
        const std::string ones = SrecCatBytes(path, 0xFF);
        ASSERT_TRUE(zeros.size() == IMAGE_BYTES && ones.size() == IMAGE_BYTES) << "srec_cat failed on " << path;

        FirmwareImage programming, listing;
        programming.Fill(0x1234); // whatever an earlier operation left: the load starts afresh
        listing.Fill(0x1234);
        ASSERT_TRUE(LoadHexImage(path, HexLoadMode::Programming, programming));
        ASSERT_TRUE(LoadHexImage(path, HexLoadMode::Listing, listing));
        const int words84A = GetProcessorProfile(TargetProcessor::PIC16F84A).programWords;
        bool beyond84A = false; // a supplied program word past the 16F84A's memory
        std::uint16_t config = 0;
        for (int address = 0; address < FIRMWARE_IMAGE_ENTRIES; ++address) {
            const auto at = [&](int byte) { return static_cast<std::uint8_t>(zeros[static_cast<std::size_t>(byte)]); };
            const bool low = zeros[2 * address] == ones[2 * address];
            const bool high = zeros[2 * address + 1] == ones[2 * address + 1];
            const int word = (low ? at(2 * address) : 0) | (high ? at(2 * address + 1) << 8 : 0);
            if (!low && !high) {
                // Where the file is silent, programming leaves 0x3F80 in the configuration
                // block, EEPROM bytes of 0 without the marker, and erased words elsewhere.
                const std::int32_t silent = address >= 0x2000 && address < 0x2007   ? 0x3F80
                                            : address >= 0x2100 && address < 0x2200 ? 0
                                                                                    : 0x3FFF;
                EXPECT_EQ(programming.Get(address), silent) << path << std::hex << " @" << address;
                EXPECT_EQ(listing.Get(address), ERASED_WORD) << path << std::hex << " @" << address;
                continue;
            }
            const std::int32_t marker = address >= EEPROM_ADDRESS ? EEPROM_SUPPLIED_MARKER : 0;
            EXPECT_EQ(programming.Get(address), word | marker) << path << std::hex << " @" << address;
            EXPECT_EQ(listing.Get(address), word | LISTING_MARKER) << path << std::hex << " @" << address;
            beyond84A = beyond84A || (address >= words84A && address < PROGRAM_ADDRESS_LIMIT);
            if (address == CONFIG_WORD_ADDRESS)
                config = static_cast<std::uint16_t>(word);
        }

        // The check agrees: the configuration word reaches the options, and only the
        // 16F84A can be too small.
        std::uint16_t applied = 0;
        const auto apply = [&](std::uint16_t w) { applied = w; };
        EXPECT_EQ(CheckHexFile(path, TargetProcessor::PIC16F877, apply), HEX_FILE_OK) << path;
        EXPECT_EQ(applied, config) << path;
        EXPECT_EQ(CheckHexFile(path, TargetProcessor::PIC16F84A, apply), beyond84A ? HEX_TOO_LARGE : HEX_FILE_OK)
            << path;
    }
    EXPECT_EQ(fixtures, 6); // two programs, each in three formats
}

} // namespace
