// Feeds arbitrary files to the HEX check and load, as Open, Program, Verify and View would,
// and stops on a memory fault, undefined behaviour, or a disagreement between the passes
// that would let Program send something the check did not see.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

#include "image/HexFile.h"
#include "image/MemoryListing.h"

namespace {

std::string g_path;

void RemoveInputFile()
{
    std::remove(g_path.c_str());
}

void Require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

struct CheckRun {
    HexCheckResult result;
    std::vector<std::uint16_t> applied;
};

CheckRun Check(TargetProcessor processor)
{
    CheckRun run{};
    run.result = CheckHexFile(g_path, processor, [&](std::uint16_t word) { run.applied.push_back(word); });
    return run;
}

void CheckAgreesWithLoad(const CheckRun& small, const CheckRun& large, const FirmwareImage& programming,
                         const FirmwareImage& listing)
{
    const int words84A = GetProcessorProfile(TargetProcessor::PIC16F84A).programWords;
    // The limit is the only thing the processor changes.
    Require(small.applied == large.applied, "configuration words depend on the processor");
    Require((small.result == HEX_CHECKSUM_ERROR) == (large.result == HEX_CHECKSUM_ERROR),
            "checksum result depends on the processor");
    Require(large.result != HEX_TOO_LARGE || small.result == HEX_TOO_LARGE,
            "too large for the 16F877 but not for the 16F84A");
    if (small.result == HEX_FILE_OK)
        for (int address = words84A; address < PROGRAM_ADDRESS_LIMIT; ++address)
            Require(listing.Get(address) == ERASED_WORD, "passed 16F84A file loads a word past its memory");
    // A passed file's options are the configuration word Program starts from.
    if (large.result == HEX_FILE_OK) {
        const std::int32_t config = programming.Get(CONFIG_WORD_ADDRESS);
        Require(large.applied.empty() ? config == ERASED_WORD : config == large.applied.back(),
                "applied configuration word differs from the loaded one");
    }
}

void ImagesAgree(const FirmwareImage& programming, const FirmwareImage& listing)
{
    FirmwareImage initial;
    initial.Reset(HexLoadMode::Programming);
    for (int address = 0; address < FIRMWARE_IMAGE_ENTRIES; ++address) {
        const std::int32_t listed = listing.Get(address);
        const std::int32_t loaded = programming.Get(address);
        if (listed == ERASED_WORD) { // not supplied by the file
            Require(loaded == initial.Get(address), "entry supplied in one mode only");
            continue;
        }
        Require((listed & LISTING_MARKER) != 0 && listed <= 0xFFFF, "listing entry without its marker");
        if (address >= EEPROM_ADDRESS) {
            Require((loaded & EEPROM_SUPPLIED_MARKER) != 0, "supplied EEPROM entry without its marker");
            Require(((loaded | EEPROM_SUPPLIED_MARKER) & ~LISTING_MARKER) ==
                        ((listed | EEPROM_SUPPLIED_MARKER) & ~LISTING_MARKER),
                    "modes store different EEPROM values");
        } else {
            Require((loaded & ~LISTING_MARKER) == (listed & ~LISTING_MARKER), "modes store different words");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // tmpfs when there is one: every input is written to a file, as the passes read paths.
    const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    g_path = std::string(folder) + "/quillet-hex-fuzz-" + std::to_string(getpid()) + ".hex";
    std::atexit(RemoveInputFile);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::FILE* file = std::fopen(g_path.c_str(), "wb");
    Require(file != nullptr, "input file cannot be written");
    Require(std::fwrite(data, 1, size, file) == size && std::fclose(file) == 0, "input file cannot be written");

    const CheckRun small = Check(TargetProcessor::PIC16F84A);
    const CheckRun large = Check(TargetProcessor::PIC16F877);
    Require(small.result == HEX_FILE_OK || small.result == HEX_CHECKSUM_ERROR || small.result == HEX_TOO_LARGE,
            "a readable file gave a result other than 0, 3 or 4");

    FirmwareImage programming;
    FirmwareImage listing;
    Require(LoadHexImage(g_path, HexLoadMode::Programming, programming), "readable file not loaded");
    Require(LoadHexImage(g_path, HexLoadMode::Listing, listing), "readable file not loaded");
    CheckAgreesWithLoad(small, large, programming, listing);
    ImagesAgree(programming, listing);

    // View lists whatever image the load makes.
    Require(ViewListing(listing).size() >= 3, "View listing without its headings");
    return 0;
}
