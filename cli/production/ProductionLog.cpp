#include "cli/production/ProductionLog.h"

#include <cerrno>
#include <chrono>
#include <system_error>
#include <ctime>
#include <filesystem>
#include <string_view>
#include <utility>

#include "cli/production/PosixFileCalls.h"
#include "cli/production/SharedFile.h"

#include "QuilletVersion.h"
#include "cli/production/Sha256.h"
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

HexFileFacts HexFileFacts::Of(const std::string& path, const std::string& text)
{
    HexFileFacts facts;
    std::error_code ignored;
    facts.path = std::filesystem::absolute(path, ignored).string();
    facts.size = static_cast<long long>(text.size());
    facts.sha256 = Sha256Hex(text);
    return facts;
}

ProductionLog::ProductionLog(std::string path) : path_(std::move(path))
{
}

std::string ProductionLog::Check()
{
    SharedFile file;
    bool created = false;
    if (const FileFailure failure = file.Open(path_, true, created))
        return "Cannot open the log file " + path_ + ": " + failure.reason;
    return {};
}

JsonLine ProductionLog::Facts(const BoardLogEntry& entry, std::chrono::system_clock::time_point now)
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
    return line;
}

JsonLine ProductionLog::Record(const BoardLogEntry& entry, std::chrono::system_clock::time_point now)
{
    JsonLine line;
    line.Add("record", entry.record).Append(Facts(entry, now));
    if (entry.configWord)
        line.Add("config_word", *entry.configWord);
    // The text beside the number: jq and other readers that hold numbers as doubles lose
    // digits past 2^53, and every number of every format must read back exactly.
    if (entry.serialNumber)
        line.AddUnsigned("serial_number", *entry.serialNumber)
            .Add("serial_number_text", std::to_string(*entry.serialNumber));
    if (std::string_view(entry.record) == "reserved")
        return line;
    if (entry.verified)
        line.Add("verified", *entry.verified);
    return line.Add("status", ExitCodeName(entry.outcome.exitCode))
        .Add("exit_code", entry.outcome.exitCode)
        .Add("message", entry.outcome.message)
        .Add("duration_ms", entry.milliseconds);
}

std::string ProductionLog::Append(const BoardLogEntry& entry)
{
    const std::string line = Record(entry, std::chrono::system_clock::now()).Text();
    const std::lock_guard lock(mutex_);
    SharedFile file;
    bool created = false;
    FileFailure failure = file.Open(path_, true, created);
    if (!failure)
        failure = file.Lock();
    if (!failure)
        failure = file.AppendLine(line);
    if (failure)
        return "Cannot " + failure.step + " the log file " + path_ + ": " + failure.reason;
    return {};
}
