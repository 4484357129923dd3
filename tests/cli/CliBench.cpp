#include "cli/CliBench.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#if defined(_WIN32)
#include <windows.h>
#else
#include <csignal>
#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A new folder of its own in the system's temporary folder.
std::filesystem::path MakeTemporaryFolder()
{
    std::random_device random;
    for (;;) {
        const std::filesystem::path folder =
            std::filesystem::temp_directory_path() / ("quillet-cli-" + std::to_string(random()));
        if (std::filesystem::create_directory(folder))
            return folder;
    }
}

#if defined(_WIN32)
// One argument as the C runtime's command-line parser splits it back out: quoted when it
// holds a blank or a quote, its quotes and the backslashes before them escaped.
std::string QuotedArgument(const std::string& argument)
{
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos)
        return argument;
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, '\\');
    return quoted + "\"";
}

HANDLE InheritedFile(const std::string& path, DWORD access, DWORD disposition)
{
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Standard output and error in text mode end their lines in CR LF; the tests compare lines.
std::string WithLineFeeds(std::string text)
{
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;)
        text.erase(at, 1);
    return text;
}
#endif

} // namespace

std::string AbsolutePath(const std::string& path)
{
    // Under wine a path such as /work/x names a folder of the current drive, which is Z: (the
    // whole Unix tree) where the tests start, but not in the bench's folder on C:.
    return std::filesystem::absolute(path).string();
}

Words OnBoard(std::initializer_list<const char*> work)
{
    Words words{CONNECT, PING, GET_REVISION, GET_VERSION, GET_PROCESSOR};
    words.insert(words.end(), work.begin(), work.end());
    return words;
}

CliBench::CliBench(int boards, const std::string& boardLines, const std::string& busLines)
{
    folder_ = MakeTemporaryFolder();
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
#if !defined(_WIN32)
    return Wait(Start(arguments, atTerminal));
#else
    std::filesystem::remove(trace_);
    std::vector<std::string> texts{AbsolutePath(binary)};
    texts.insert(texts.end(), arguments.begin(), arguments.end());
    const std::string out = (folder_ / "stdout").string();
    const std::string err = (folder_ / "stderr").string();
    // No terminal to capture on Windows: standard error always goes to its file.
    (void)atTerminal;
    std::string command;
    for (const std::string& text : texts) {
        if (!command.empty())
            command += ' ';
        command += QuotedArgument(text);
    }
    // The child's own environment block: Windows finds a DLL through PATH, and the emulator
    // its bench through the two variables. Benches run side by side on threads of one test
    // process, so nothing is set in this process's environment, which they all share.
    std::string environment = "PATH=" + AbsolutePath(libraryPath) + ";";
    if (const char* path = std::getenv("PATH"))
        environment += path;
    environment += '\0';
    environment += "D2XX_EMULATOR_CONFIG=" + config_.string() + '\0';
    environment += "D2XX_EMULATOR_TRACE=" + trace_.string() + '\0';
    if (char* inherited = GetEnvironmentStringsA()) {
        for (const char* entry = inherited; *entry; entry += std::strlen(entry) + 1) {
            const std::string text = entry;
            const std::string name = text.substr(0, text.find('=', 1));
            if (_stricmp(name.c_str(), "PATH") != 0 && name != "D2XX_EMULATOR_CONFIG" && name != "D2XX_EMULATOR_TRACE")
                environment += text + '\0';
        }
        FreeEnvironmentStringsA(inherited);
    }
    environment += '\0';
    const HANDLE input = InheritedFile("NUL", GENERIC_READ, OPEN_EXISTING);
    const HANDLE output = InheritedFile(out, GENERIC_WRITE, CREATE_ALWAYS);
    const HANDLE error = InheritedFile(err, GENERIC_WRITE, CREATE_ALWAYS);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = error;
    PROCESS_INFORMATION process{};
    // Relative paths land in the bench's folder.
    const BOOL started = CreateProcessA(texts[0].c_str(), command.data(), nullptr, nullptr, TRUE, 0,
                                        environment.data(), folder_.string().c_str(), &startup, &process);
    for (HANDLE handle : {input, output, error})
        CloseHandle(handle);
    CliRun run;
    if (!started)
        return run;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    run.exitCode = static_cast<int>(exitCode);
    run.out = WithLineFeeds(ReadAll(out));
    run.err = WithLineFeeds(ReadAll(err));
    return run;
#endif
}

#if !defined(_WIN32)
CliBench::Process CliBench::Start(const std::vector<std::string>& arguments, bool atTerminal)
{
    std::filesystem::remove(trace_);
    std::vector<std::string> texts{AbsolutePath(binary)};
    texts.insert(texts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);
    const std::string out = (folder_ / "stdout").string();
    const std::string err = (folder_ / "stderr").string();

    // The run's environment, made here: between fork and exec the child of a process with
    // other threads (benches run side by side) may call nothing that allocates, as setenv
    // does, or it can wait for ever on a lock another thread held at the fork.
    std::vector<std::string> environment{"LD_LIBRARY_PATH=" + libraryPath,
                                         "D2XX_EMULATOR_CONFIG=" + config_.string(),
                                         "D2XX_EMULATOR_TRACE=" + trace_.string()};
    for (char** variable = environ; *variable; ++variable) {
        const std::string entry = *variable;
        if (!entry.starts_with("LD_LIBRARY_PATH=") && !entry.starts_with("D2XX_EMULATOR_CONFIG=") &&
            !entry.starts_with("D2XX_EMULATOR_TRACE="))
            environment.push_back(entry);
    }
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    Process process;
    process.atTerminal = atTerminal;
    process.pid = ::forkpty(&process.terminal, nullptr, nullptr, nullptr);
    if (process.pid == 0) {
        // A shell starts a background job with Ctrl-C ignored, which the program then keeps,
        // as it should; the runs here stand for one started at a desk.
        ::signal(SIGINT, SIG_DFL);
        ::dup2(::open("/dev/null", O_RDONLY), STDIN_FILENO);
        ::dup2(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDOUT_FILENO);
        if (!atTerminal)
            ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
        // Relative paths land in the bench's folder.
        if (::chdir(folder_.c_str()) == 0)
            ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    return process;
}

CliRun CliBench::Wait(const Process& process)
{
    CliRun run;
    if (process.pid < 0)
        return run;
    // Read the terminal while the run writes to it: its buffer is small. The read fails once
    // the child, the last holder of the other side, has gone.
    char buffer[4096];
    for (ssize_t got; (got = ::read(process.terminal, buffer, sizeof buffer)) != 0;) {
        if (got < 0 && errno != EINTR)
            break;
        if (got > 0)
            run.err.append(buffer, static_cast<std::size_t>(got));
    }
    int status = 0;
    while (::waitpid(process.pid, &status, 0) < 0) {
    }
    // Only now: closing the terminal hangs up a run still going.
    ::close(process.terminal);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = ReadAll(folder_ / "stdout");
    if (!process.atTerminal)
        run.err = ReadAll(folder_ / "stderr");
    return run;
}

bool CliBench::AwaitFile(const std::string& name, std::chrono::milliseconds most) const
{
    const auto until = std::chrono::steady_clock::now() + most;
    while (!std::filesystem::exists(folder_ / name)) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}
#endif

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

std::string ReadFile(const std::filesystem::path& path)
{
    return ReadAll(path);
}

std::string Fixture(const std::string& name)
{
    return AbsolutePath(std::string(QUILLET_TEST_DATA_DIR) + "/hex/" + name);
}

std::string JsonText(const std::string& text)
{
    std::string quoted;
    for (const char c : text) {
        if (c == '\\' || c == '"')
            quoted += '\\';
        quoted += c;
    }
    return quoted;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}
