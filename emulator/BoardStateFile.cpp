#include "emulator/BoardStateFile.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "emulator/TextFields.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace emulator {

namespace {

constexpr char HEADER[] = "# TVR-IO board emulator state: target chip and version text";

std::string VersionHex(const VersionText& version)
{
    std::string text;
    char digits[3];
    for (std::uint8_t c : version) {
        std::snprintf(digits, sizeof digits, "%02X", c);
        text += digits;
    }
    return text;
}

bool ParseVersionHex(const std::string& text, VersionText& version)
{
    if (text.size() != 2 * VERSION_TEXT_LENGTH)
        return false;
    for (std::size_t i = 0; i < VERSION_TEXT_LENGTH; ++i) {
        const std::optional<unsigned long> value = ParseNumber("0x" + text.substr(2 * i, 2));
        if (!value)
            return false;
        version[i] = static_cast<std::uint8_t>(*value);
    }
    return true;
}

// Moves the new state over the old one. POSIX rename replaces an existing file in one step;
// Windows' rename refuses to, and MoveFileEx replaces only when asked.
bool ReplaceFile(const std::string& from, const std::string& to)
{
#if defined(_WIN32)
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

} // namespace

bool SaveBoardState(const std::string& path, const TargetChip& chip, const VersionText& version,
                    const std::string& firmware, std::string& error)
{
    // Written beside the old file and renamed over it, so that a crash never leaves half a state;
    // the process number keeps two programs using the same board apart until the rename.
    const std::string temporary = path + "." + std::to_string(::getpid()) + ".new";
    {
        // Binary: line feeds alone on every system, so a state file is the same everywhere
        // (the reader takes carriage returns as blanks, so edited files load as well).
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file << HEADER << "\nprocessor " << chip.Profile().name << "\nversion " << VersionHex(version) << "\n";
        char line[32];
        for (unsigned address : chip.Addresses()) {
            const unsigned value = *chip.Cell(address);
            if (value == chip.ErasedCell(address))
                continue;
            std::snprintf(line, sizeof line, "cell %04X %04X\n", address, value);
            file << line;
        }
        if (!firmware.empty())
            file << "firmware " << firmware << "\n";
        if (!file) {
            error = "cannot write " + temporary;
            return false;
        }
    }
    if (!ReplaceFile(temporary, path)) {
        error = "cannot replace " + path;
        return false;
    }
    return true;
}

bool LoadBoardState(const std::string& path, TargetChip& chip, VersionText& version,
                    std::string& firmware, std::string& error)
{
    std::ifstream file(path);
    if (!file) {
        error = "cannot read " + path;
        return false;
    }
    TargetChip loaded(chip.Profile().kind);
    VersionText loadedVersion = version;
    std::string loadedFirmware;
    int number = 0;
    for (std::string line; std::getline(file, line);) {
        ++number;
        const std::vector<std::string> words = SplitWords(line);
        if (words.empty() || words[0][0] == '#')
            continue;
        bool good = false;
        if (words[0] == "processor" && words.size() == 2) {
            good = words[1] == chip.Profile().name;
        } else if (words[0] == "version" && words.size() == 2) {
            good = ParseVersionHex(words[1], loadedVersion);
        } else if (words[0] == "cell" && words.size() == 3) {
            const std::optional<unsigned long> address = ParseNumber("0x" + words[1]);
            const std::optional<unsigned long> value = ParseNumber("0x" + words[2]);
            good = address && value && loaded.SetCell(static_cast<unsigned>(*address), static_cast<unsigned>(*value));
        } else if (words[0] == "firmware" && words.size() > 1 && loadedFirmware.empty()) {
            for (std::size_t i = 1; i < words.size(); ++i)
                loadedFirmware += (i > 1 ? " " : "") + words[i];
            good = true;
        }
        if (!good) {
            error = path + ":" + std::to_string(number) + ": not a state line for a " +
                    chip.Profile().name + ": " + line;
            return false;
        }
    }
    chip = loaded;
    version = loadedVersion;
    firmware = loadedFirmware;
    return true;
}

} // namespace emulator
