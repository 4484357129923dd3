#include "cli/CliBench.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <fstream>
#include <sstream>
#include <string_view>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// The environment of a run: the test's own, less what would point the run elsewhere.
std::vector<std::string> RunEnvironment(const std::string& libraryPath, const std::string& config,
                                        const std::string& trace)
{
    std::vector<std::string> entries;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        if (text.rfind("LD_LIBRARY_PATH=", 0) != 0 && text.rfind("D2XX_EMULATOR_", 0) != 0)
            entries.push_back(text);
    }
    entries.push_back("LD_LIBRARY_PATH=" + libraryPath);
    entries.push_back("D2XX_EMULATOR_CONFIG=" + config);
    entries.push_back("D2XX_EMULATOR_TRACE=" + trace);
    return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

std::vector<BenchBoard> StandardBench()
{
    return {{"16F84A", "TVRA0001", ""}, {"16F877", "TVRB0001", ""},
            {"16F84A", "TVRA0002", ""}, {"16F877", "TVRB0002", ""}};
}

CliBench::CliBench(std::vector<BenchBoard> boards, const std::string& busLines)
{
    char pattern[] = "/tmp/quillet-cli-XXXXXX";
    folder_ = ::mkdtemp(pattern);
    config_ = folder_ / "bench.conf";
    trace_ = folder_ / "wire.trace";
    std::ofstream config(config_);
    // Simulated time: a board that never answers costs its time-out in no time at all.
    config << "time = simulated\n" << busLines << "\n";
    if (boards.empty())
        config << "boards = 0\n";
    for (std::size_t device = 0; device < boards.size(); ++device) {
        const BenchBoard& board = boards[device];
        config << "[board]\nprocessor = " << board.processor << "\nserial = " << board.serial
               << "\ndescription = " << (board.processor == "16F877" ? "TVR-IOB" : "TVR-IOA")
               << "\nstate = " << StatePath(static_cast<int>(device)).string() << "\n"
               << board.extra << "\n";
    }
}

CliBench::~CliBench()
{
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::filesystem::path CliBench::StatePath(int device) const
{
    return folder_ / ("board" + std::to_string(device) + ".state");
}

CliRun CliBench::Run(const std::vector<std::string>& arguments, const std::string& libraryPath)
{
    return Spawn(arguments, libraryPath, false);
}

CliRun CliBench::RunAtTerminal(const std::vector<std::string>& arguments)
{
    return Spawn(arguments, "", true);
}

CliRun CliBench::Spawn(const std::vector<std::string>& arguments, const std::string& libraryPath, bool terminal)
{
    std::filesystem::remove(trace_);
    std::vector<std::string> argv{QUILLET_BINARY};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<std::string> environment =
        RunEnvironment(libraryPath.empty() ? QUILLET_EMULATOR_DIR : libraryPath, config_.string(), trace_.string());
    const std::filesystem::path out = folder_ / "stdout";
    const std::filesystem::path err = folder_ / "stderr";

    // Output into files, stdin from /dev/null: the run sees no terminal, as on a build server.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int terminalSide = -1;
    int childSide = -1;
    if (terminal && ::openpty(&terminalSide, &childSide, nullptr, nullptr, nullptr) == 0)
        posix_spawn_file_actions_adddup2(&actions, childSide, STDERR_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    // The run works in the bench's folder, so relative paths land there.
    posix_spawn_file_actions_addchdir_np(&actions, folder_.c_str());
    std::vector<char*> argvPointers = Pointers(argv);
    std::vector<char*> environmentPointers = Pointers(environment);
    pid_t child = -1;
    const int spawned =
        posix_spawn(&child, argv[0].c_str(), &actions, nullptr, argvPointers.data(), environmentPointers.data());
    posix_spawn_file_actions_destroy(&actions);

    CliRun run;
    if (childSide >= 0) {
        // Read the terminal while the run writes to it: its buffer is small. The read fails
        // once the child, the last holder of the other side, has gone.
        ::close(childSide);
        char buffer[4096];
        for (ssize_t got; spawned == 0 && (got = ::read(terminalSide, buffer, sizeof buffer)) != 0;) {
            if (got < 0 && errno != EINTR)
                break;
            if (got > 0)
                run.err.append(buffer, static_cast<std::size_t>(got));
        }
        ::close(terminalSide);
    }
    if (spawned != 0) {
        run.err = std::string("spawn failed: ") + std::strerror(spawned);
        return run;
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
    }
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = ReadAll(out);
    if (childSide < 0)
        run.err = ReadAll(err);
    return run;
}

std::map<unsigned, unsigned> CliBench::ChipCells(int device) const
{
    std::map<unsigned, unsigned> cells;
    std::ifstream in(StatePath(device));
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string keyword;
        unsigned address = 0;
        unsigned value = 0;
        if (fields >> keyword && keyword == "cell" && fields >> std::hex >> address >> value)
            cells[address] = value;
    }
    return cells;
}

void CliBench::SetChipCell(int device, unsigned address, unsigned value)
{
    std::vector<std::string> kept;
    std::ifstream in(StatePath(device));
    char cell[32];
    std::snprintf(cell, sizeof cell, "cell %04X ", address);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(cell, 0) != 0)
            kept.push_back(line);
    }
    in.close();
    std::snprintf(cell, sizeof cell, "cell %04X %04X", address, value);
    kept.emplace_back(cell);
    std::ofstream outFile(StatePath(device), std::ios::trunc);
    for (const std::string& line : kept)
        outFile << line << "\n";
}

std::vector<std::string> CliBench::TraceLines() const
{
    return Lines(ReadAll(trace_));
}

std::vector<std::string> CliBench::Writes() const
{
    std::vector<std::string> writes;
    for (const std::string& line : TraceLines()) {
        const auto tx = line.find(" tx=");
        if (line.find(" FT_Write(") == std::string::npos || tx == std::string::npos)
            continue;
        // The bytes run up to the next field, " written=".
        const auto end = line.find(" written=", tx);
        writes.push_back(line.substr(tx + 4, end == std::string::npos ? std::string::npos : end - tx - 4));
    }
    return writes;
}

std::vector<std::string> CliBench::CommandWords() const
{
    // A word is four nibble bytes, its high byte last, low nibble first: a command word's
    // 0xA5 ends it in "05 0A". No program, address or EEPROM word of the streams reaches
    // 0xA500, so nothing else ends so.
    constexpr std::size_t kWordText = std::string_view("0C 0A 05 0A").size();
    constexpr std::string_view kHighByteA5 = "05 0A";
    std::vector<std::string> words;
    for (const std::string& write : Writes()) {
        if (write.size() == kWordText && write.substr(kWordText - kHighByteA5.size()) == kHighByteA5)
            words.push_back(write);
    }
    return words;
}

std::string Fixture(const std::string& name)
{
    return std::string(QUILLET_TEST_DATA_DIR) + "/hex/" + name;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}
