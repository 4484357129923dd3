#pragma once
// A bench of emulated boards for runs of the real quillet binary: a temporary folder with a
// configuration in simulated time, a state file per board (so a chip keeps what one run
// wrote for the next run), and the wire trace of the last run.
#include <filesystem>
#include <map>
#include <string>
#include <vector>

// What one run of quillet left: its exit code and the two streams.
struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// One board of the bench, in device order.
struct BenchBoard {
    std::string processor; // "16F84A" or "16F877"
    std::string serial;
    std::string extra;     // further lines of its [board] section (faults, answer, ...)
};

// Device 0 and 1 as on the standard bus (TVRA0001 with a 16F84A, TVRB0001 with a 16F877),
// then a fresh chip of each kind: TVRA0002 and TVRB0002.
std::vector<BenchBoard> StandardBench();

class CliBench {
public:
    explicit CliBench(std::vector<BenchBoard> boards = StandardBench(), const std::string& busLines = "");
    ~CliBench();
    CliBench(const CliBench&) = delete;
    CliBench& operator=(const CliBench&) = delete;

    // Runs quillet with the arguments, the emulator on the library path and the bench's
    // configuration; each run gets a fresh trace. `libraryPath` replaces the emulator's folder.
    CliRun Run(const std::vector<std::string>& arguments, const std::string& libraryPath = "");
    // The same with standard error on a terminal (a pseudo-terminal), as at a desk.
    CliRun RunAtTerminal(const std::vector<std::string>& arguments);

    std::filesystem::path Folder() const { return folder_; }
    std::filesystem::path StatePath(int device) const;

    // The chip cells of a board's state file that differ from an erased chip: address to
    // value, as "cell AAAA VVVV" lines hold them. Empty before the first run wrote it.
    std::map<unsigned, unsigned> ChipCells(int device) const;
    // Rewrites one cell of a board's state file, as a chip whose memory changed on its own.
    void SetChipCell(int device, unsigned address, unsigned value);

    // The trace of the last run: every FT_ call, and the bytes of each FT_Write in order as
    // upper-case hexadecimal ("0C 0A 05 0A").
    std::vector<std::string> TraceLines() const;
    std::vector<std::string> Writes() const;
    // The command words written, in order: the 4-byte writes whose high byte is 0xA5.
    std::vector<std::string> CommandWords() const;

private:
    CliRun Spawn(const std::vector<std::string>& arguments, const std::string& libraryPath, bool terminal);

    std::filesystem::path folder_;
    std::filesystem::path config_;
    std::filesystem::path trace_;
};

// The path of a HEX fixture.
std::string Fixture(const std::string& name);

// Lines of a text, without their line feeds.
std::vector<std::string> Lines(const std::string& text);
