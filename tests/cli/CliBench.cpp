#include "cli/CliBench.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <pty.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

Words OnBoard(std::initializer_list<const char*> work)
{
    Words words{CONNECT, PING, GET_REVISION, GET_VERSION, GET_PROCESSOR};
    words.insert(words.end(), work.begin(), work.end());
    return words;
}

CliBench::CliBench(int boards, const std::string& boardLines, const std::string& busLines)
{
    char pattern[] = "/tmp/quillet-cli-XXXXXX";
    folder_ = ::mkdtemp(pattern);
    config_ = folder_ / "bench.conf";
    trace_ = folder_ / "wire.trace";
    std::ofstream config(config_);
    // Simulated time: a board that never answers costs its time-out in no time at all.
    config << "time = simulated\n" << busLines << "\n";
    for (int device = 0; device < boards; ++device) {
        // Pairs of a 16F84A board and a 16F877 board, numbered from 1, as the emulator's
        // standard boards are.
        const bool is877 = device % 2 == 1;
        char serial[16];
        std::snprintf(serial, sizeof serial, "TVR%c%04d", is877 ? 'B' : 'A', device / 2 + 1);
        config << "[board]\nprocessor = " << (is877 ? "16F877" : "16F84A") << "\nserial = " << serial
               << "\ndescription = TVR-IO" << (is877 ? 'B' : 'A') << "\nstate = " << StatePath(device).string()
               << "\n" << boardLines << "\n";
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

CliRun CliBench::Run(const std::vector<std::string>& arguments, bool atTerminal)
{
    std::filesystem::remove(trace_);
    std::vector<std::string> texts{binary};
    texts.insert(texts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);
    const std::string out = (folder_ / "stdout").string();
    const std::string err = (folder_ / "stderr").string();

    int terminal = -1;
    const pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child == 0) {
        ::dup2(::open("/dev/null", O_RDONLY), STDIN_FILENO);
        ::dup2(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDOUT_FILENO);
        if (!atTerminal)
            ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
        ::setenv("LD_LIBRARY_PATH", libraryPath.c_str(), 1);
        ::setenv("D2XX_EMULATOR_CONFIG", config_.c_str(), 1);
        ::setenv("D2XX_EMULATOR_TRACE", trace_.c_str(), 1);
        // Relative paths land in the bench's folder.
        if (::chdir(folder_.c_str()) == 0)
            ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    CliRun run;
    if (child < 0)
        return run;
    // Read the terminal while the run writes to it: its buffer is small. The read fails once
    // the child, the last holder of the other side, has gone.
    char buffer[4096];
    for (ssize_t got; (got = ::read(terminal, buffer, sizeof buffer)) != 0;) {
        if (got < 0 && errno != EINTR)
            break;
        if (got > 0)
            run.err.append(buffer, static_cast<std::size_t>(got));
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
    }
    // Only now: closing the terminal hangs up a run still going.
    ::close(terminal);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = ReadAll(out);
    if (!atTerminal)
        run.err = ReadAll(err);
    return run;
}

std::string CliBench::State(int device) const
{
    return ReadAll(StatePath(device));
}

std::optional<unsigned> CliBench::StateCell(int device, unsigned address) const
{
    std::optional<unsigned> value;
    for (const std::string& line : Lines(State(device))) {
        unsigned at = 0;
        unsigned cell = 0;
        if (std::sscanf(line.c_str(), "cell %x %x", &at, &cell) == 2 && at == address)
            value = cell;
    }
    return value;
}

void CliBench::SetChipCell(int device, unsigned address, unsigned value)
{
    // The board reads its state file line by line: a later cell line overrides an earlier one.
    char cell[32];
    std::snprintf(cell, sizeof cell, "cell %04X %04X\n", address, value);
    std::ofstream(StatePath(device), std::ios::app) << cell;
}

Words CliBench::CommandWords() const
{
    // Only FT_Write lines carry " tx=". A word is four nibble bytes, its high byte last, low
    // nibble first: a command word's 0xA5 ends it in "05 0A". No program, address or EEPROM
    // word of the streams reaches 0xA500, so nothing else ends so.
    constexpr std::size_t kWordText = 11; // "0C 0A 05 0A"
    Words words;
    for (const std::string& line : Lines(ReadAll(trace_))) {
        const auto tx = line.find(" tx=");
        if (tx == std::string::npos || line.size() < tx + 4 + kWordText + 9)
            continue;
        const std::string word = line.substr(tx + 4, kWordText);
        if (line.compare(tx + 4 + kWordText, 9, " written=") == 0 && word.ends_with("05 0A"))
            words.push_back(word);
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
