#include "cli/SerialCounter.h"

#include <cerrno>
#include <system_error>
#include <utility>

#include "cli/PosixFileCalls.h"

namespace {

constexpr std::size_t kMaxFileText = 64; // a number and blanks; more is not a counter file

// An open file descriptor that closes itself, and its lock with it.
class FileHandle {
public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

std::string Failure(const std::string& path, const char* what)
{
    return "Serial counter file " + path + ": " + what + ": " + std::generic_category().message(errno);
}

Outcome Failed(const std::string& path, const char* what)
{
    return {EXIT_OUTPUT_FILE, Failure(path, what)};
}

// The number in the file's text: blanks, decimal digits, blanks. None for anything else.
std::optional<std::uint64_t> ParseCounter(const std::string& text)
{
    std::size_t at = text.find_first_not_of(" \t\r\n");
    const std::size_t end = text.find_last_not_of(" \t\r\n");
    if (at == std::string::npos)
        return std::nullopt;
    std::uint64_t number = 0;
    for (; at <= end; ++at) {
        const char c = text[at];
        if (c < '0' || c > '9')
            return std::nullopt;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (number > (~std::uint64_t{0} - digit) / 10)
            return std::nullopt;
        number = number * 10 + digit;
    }
    return number;
}

// Reads the whole (small) file from its start.
bool ReadText(int fd, std::string& text)
{
    char buffer[kMaxFileText + 1];
    const ssize_t got = ::pread(fd, buffer, sizeof buffer, 0);
    if (got < 0)
        return false;
    text.assign(buffer, static_cast<std::size_t>(got));
    return true;
}

} // namespace

SerialCounter::SerialCounter(std::string path, std::optional<std::uint64_t> start)
    : path_(std::move(path)), start_(start)
{
}

std::string SerialCounter::Check() const
{
    // Without O_NONBLOCK a FIFO given by mistake would hold the run until something wrote to it.
    const FileHandle file(::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.Get() < 0) {
        if (errno == ENOENT && start_)
            return {};
        if (errno == ENOENT)
            return "Serial counter file " + path_ + " does not exist; create it with --serial-start N.";
        return Failure(path_, "cannot open");
    }
    // A file being created by another run may be empty for a moment: it is taken as fresh.
    std::string text;
    if (!ReadText(file.Get(), text))
        return Failure(path_, "cannot read");
    if (text.find_first_not_of(" \t\r\n") != std::string::npos && !ParseCounter(text))
        return "Serial counter file " + path_ + " does not hold a number.";
    if (text.find_first_not_of(" \t\r\n") == std::string::npos && !start_)
        return "Serial counter file " + path_ + " is empty; give the first number with --serial-start N.";
    return {};
}

Outcome SerialCounter::Take(std::uint64_t largest, std::uint64_t& number)
{
    const int flags = O_RDWR | O_CLOEXEC | (start_ ? O_CREAT : 0);
    const FileHandle file(::open(path_.c_str(), flags, 0644));
    if (file.Get() < 0)
        return Failed(path_, "cannot open");
    // The lock goes with the descriptor, whichever way this returns.
    while (::flock(file.Get(), LOCK_EX) != 0) {
        if (errno != EINTR)
            return Failed(path_, "cannot lock");
    }
    std::string text;
    if (!ReadText(file.Get(), text))
        return Failed(path_, "cannot read");
    std::optional<std::uint64_t> next = ParseCounter(text);
    if (!next && text.find_first_not_of(" \t\r\n") == std::string::npos)
        next = start_; // a file just created: it starts where --serial-start says
    if (!next)
        return {EXIT_USAGE, "Serial counter file " + path_ + " does not hold a number."};
    if (*next > largest || *next == ~std::uint64_t{0})
        return {EXIT_USAGE, "The next serial number, " + std::to_string(*next) +
                                ", is larger than the format holds (" + std::to_string(largest) + ")."};
    // Numbers only grow, so the new text covers the old one; the truncation after it only
    // drops blanks a person may have left.
    const std::string after = std::to_string(*next + 1) + "\n";
    if (::pwrite(file.Get(), after.data(), after.size(), 0) != static_cast<ssize_t>(after.size()) ||
        ::ftruncate(file.Get(), static_cast<off_t>(after.size())) != 0)
        return Failed(path_, "cannot write");
    if (::fsync(file.Get()) != 0)
        return Failed(path_, "cannot sync");
    number = *next;
    return {};
}
