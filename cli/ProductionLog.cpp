#include "cli/ProductionLog.h"

#include <cerrno>
#include <chrono>
#include <system_error>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>

#include "cli/PosixFileCalls.h"

#include "QuilletVersion.h"
#include "cli/Sha256.h"
#include "cli/Utf8.h"

namespace {

constexpr std::size_t kHostNameSize = 256;

std::string HostName()
{
    char name[kHostNameSize] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return "";
    return name;
}

int OpenForAppend(const std::string& path)
{
    return ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
}

} // namespace

// "2026-12-07T04:05:06.789Z"
std::string ProductionLog::UtcText(std::chrono::system_clock::time_point now)
{
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm utc{};
    ::gmtime_r(&seconds, &utc);
    char text[40];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
    std::snprintf(text + length, sizeof text - length, ".%03dZ", static_cast<int>(millis));
    return text;
}

bool HexFileFacts::Of(const std::string& path, HexFileFacts& facts)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    if (!file)
        return false;
    const std::string bytes = content.str();
    std::error_code ignored;
    facts.path = std::filesystem::absolute(path, ignored).string();
    facts.size = static_cast<long long>(bytes.size());
    facts.sha256 = Sha256Hex(bytes);
    return true;
}

ProductionLog::ProductionLog(std::string path) : path_(std::move(path))
{
}

std::string ProductionLog::Check()
{
    const int fd = OpenForAppend(path_);
    if (fd < 0)
        return "Cannot open the log file " + path_ + ": " + std::generic_category().message(errno);
    ::close(fd);
    return {};
}

JsonLine ProductionLog::Record(const BoardLogEntry& entry, std::chrono::system_clock::time_point now)
{
    JsonLine line;
    line.Add("time", UtcText(now))
        .Add("host", HostName())
        .Add("tool", "quillet")
        .Add("version", QUILLET_VERSION)
        .Add("operation", entry.operation)
        .AddRaw("board", JsonLine()
                             .Add("device", entry.board.device)
                             .Add("serial", Latin1ToUtf8(entry.board.serial))
                             .Add("description", Latin1ToUtf8(entry.board.description))
                             .Text());
    if (!entry.processor.empty())
        line.Add("processor", entry.processor);
    if (entry.hexFile)
        line.AddRaw("hex_file", JsonLine()
                                    .Add("path", entry.hexFile->path)
                                    .Add("size", entry.hexFile->size)
                                    .Add("sha256", entry.hexFile->sha256)
                                    .Text());
    if (entry.configWord)
        line.Add("config_word", *entry.configWord);
    if (entry.serialNumber)
        line.Add("serial_number", static_cast<long long>(*entry.serialNumber));
    return line.Add("status", ExitCodeName(entry.outcome.exitCode))
        .Add("exit_code", entry.outcome.exitCode)
        .Add("message", entry.outcome.message)
        .Add("duration_ms", entry.milliseconds);
}

std::string ProductionLog::Append(const BoardLogEntry& entry)
{
    const std::string text = Record(entry, std::chrono::system_clock::now()).Text() + "\n";
    const std::lock_guard lock(mutex_);
    const int fd = OpenForAppend(path_);
    if (fd < 0)
        return "Cannot open the log file " + path_ + ": " + std::generic_category().message(errno);
    std::string failure;
    while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
    // One write: with O_APPEND the line lands whole at the end. A short write (a full disk)
    // is reported rather than continued, which could split the line.
    const ssize_t written = ::write(fd, text.data(), text.size());
    if (written != static_cast<ssize_t>(text.size()))
        failure = "Cannot write the log file " + path_ + ": " +
                  (written < 0 ? std::generic_category().message(errno) : "short write");
    else if (::fsync(fd) != 0)
        failure = "Cannot sync the log file " + path_ + ": " + std::generic_category().message(errno);
    ::close(fd);
    return failure;
}
