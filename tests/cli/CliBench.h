#pragma once
// A bench of four emulated boards for runs of the real quillet binary: a temporary folder
// with a configuration in simulated time, a state file per board (so a chip keeps what one
// run wrote for the next run), and the wire trace of the last run.
#include <chrono>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <sys/types.h>
#endif

// quillet's exit codes as its --help and the README promise them to scripts; written out
// here, not taken from the program, so that a changed number fails the tests.
inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitHexFile = 3;
inline constexpr int kExitNoBoard = 4;
inline constexpr int kExitNotBlank = 5;
inline constexpr int kExitEraseFailed = 6;
inline constexpr int kExitVerifyDiffers = 7;
inline constexpr int kExitProgramFailed = 8;
inline constexpr int kExitOutputFile = 9;
inline constexpr int kExitNoDriver = 10;
inline constexpr int kExitInterrupted = 130;

// The command words as they cross the wire: four nibble bytes, least significant first, in
// the trace's notation.
inline constexpr char CONNECT[] = "0C 0A 05 0A";         // 0xA5AC
inline constexpr char PING[] = "01 0A 05 0A";            // 0xA5A1
inline constexpr char GET_REVISION[] = "01 0B 05 0A";    // 0xA5B1
inline constexpr char GET_VERSION[] = "02 0A 05 0A";     // 0xA5A2
inline constexpr char GET_PROCESSOR[] = "0A 0A 05 0A";   // 0xA5AA
inline constexpr char DISCONNECT[] = "0B 0A 05 0A";      // 0xA5AB
inline constexpr char BLANK_CHECK_84A[] = "08 0A 05 0A"; // 0xA5A8
inline constexpr char BLANK_CHECK_877[] = "04 0A 05 0A"; // 0xA5A4
inline constexpr char ERASE_84A[] = "0D 0A 05 0A";       // 0xA5AD
inline constexpr char ERASE_877[] = "09 0A 05 0A";       // 0xA5A9
inline constexpr char PROGRAM_84A[] = "0F 0A 05 0A";     // 0xA5AF
inline constexpr char PROGRAM_877[] = "0E 0A 05 0A";     // 0xA5AE
inline constexpr char READ_84A[] = "07 0A 05 0A";        // 0xA5A7
inline constexpr char READ_877[] = "03 0A 05 0A";        // 0xA5A3

using Words = std::vector<std::string>;

// The window's Connect, then the work's command words.
Words OnBoard(std::initializer_list<const char*> work);

// What one run of quillet left: its exit code and the two streams.
struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class CliBench {
public:
    // Devices 0 to 3: TVRA0001 (16F84A), TVRB0001 (16F877), then a fresh chip of each kind,
    // TVRA0002 and TVRB0002. `boardLines` go into every board's section (faults, answer, ...).
    explicit CliBench(const std::string& boardLines = "") : CliBench(4, boardLines) {}
    // `boards` boards in that pattern: TVRA0001, TVRB0001, TVRA0002, TVRB0002, TVRA0003, ...
    // `busLines` set up the bus (a fault naming its board=, boards = 0, ...).
    CliBench(int boards, const std::string& boardLines, const std::string& busLines = "");
    ~CliBench();
    CliBench(const CliBench&) = delete;
    CliBench& operator=(const CliBench&) = delete;

    // Runs quillet in the bench's folder with standard input and output on no terminal,
    // standard error on a pseudo-terminal if asked, as at a desk (on POSIX systems only); each
    // run gets a fresh trace.
    CliRun Run(const std::vector<std::string>& arguments, bool atTerminal = false);
#if !defined(_WIN32)
    // The same in two steps, so that a test can signal the run on the way (kill(Pid(), ...)).
    struct Process {
        pid_t pid = -1;
        int terminal = -1;
        bool atTerminal = false;
    };
    Process Start(const std::vector<std::string>& arguments, bool atTerminal = false);
    CliRun Wait(const Process& process);
    // Waits until a file of that name is in the bench's folder (a held board's marker); false
    // when it has not come within `most`.
    bool AwaitFile(const std::string& name, std::chrono::milliseconds most = std::chrono::seconds(60)) const;
#endif

    // Where the runs look for the driver library.
    std::string libraryPath = QUILLET_EMULATOR_DIR;
    // The program that runs; in the build folder it finds the open library beside it.
    std::string binary = QUILLET_BINARY;
    std::filesystem::path Folder() const { return folder_; }
    // A board's state file: its chip as the last run left it.
    std::string State(int device) const;
    // A cell of a board's chip as its state file holds it; none for an erased cell.
    std::optional<unsigned> StateCell(int device, unsigned address) const;
    std::filesystem::path Config() const { return config_; }
    // Changes one cell of a board's chip, as a chip whose memory changed on its own.
    void SetChipCell(int device, unsigned address, unsigned value);
    // The command words the last run wrote, in order.
    Words CommandWords() const;

private:
    std::filesystem::path StatePath(int device) const;

    std::filesystem::path folder_;
    std::filesystem::path config_;
    std::filesystem::path trace_;
};

// `path` with its drive on Windows, unchanged elsewhere.
std::string AbsolutePath(const std::string& path);

// The path of a HEX fixture.
std::string Fixture(const std::string& name);

// Text as a JSON string holds it: a Windows path's backslashes doubled.
std::string JsonText(const std::string& text);

// A file's bytes as they stand.
std::string ReadFile(const std::filesystem::path& path);

// Lines of a text, without their line feeds.
std::vector<std::string> Lines(const std::string& text);
