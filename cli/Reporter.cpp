#include "cli/Reporter.h"

#include <cstdio>
#include <utility>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

constexpr int kBarWidth = 40;
constexpr int kBarLineWidth = 80; // what ClearBar blanks: label, bar and percentage

void WriteLine(std::FILE* stream, const std::string& line)
{
    std::fputs(line.c_str(), stream);
    std::fputc('\n', stream);
    // Another program may be reading as the run goes on.
    std::fflush(stream);
}

bool ErrorIsTerminal()
{
#if defined(_WIN32)
    return _isatty(_fileno(stderr)) != 0;
#else
    return ::isatty(STDERR_FILENO) == 1;
#endif
}

} // namespace

void Reporter::ForBoard(JsonLine boardFields, std::string name, std::mutex& output)
{
    output_ = &output;
    boardFields_ = std::move(boardFields);
    boardTag_ = std::move(name) + ": ";
    bar_ = false;
}

void Reporter::Write(std::FILE* stream, const std::string& line)
{
    if (!output_) {
        WriteLine(stream, line);
        return;
    }
    if (json_) {
        const std::lock_guard lock(*output_);
        WriteLine(stream, line);
        return;
    }
    held_.push_back({stream == stderr, line});
}

Reporter::Reporter(std::string command, bool json)
    : command_(std::move(command)), json_(json), bar_(!json && ErrorIsTerminal())
{
}

void Reporter::ClearBar()
{
    if (!barShown_)
        return;
    std::fprintf(stderr, "\r%*s\r", kBarLineWidth, "");
    std::fflush(stderr);
    barShown_ = false;
}

void Reporter::ShowMessage(const std::string& text)
{
    if (quiet_)
        return;
    lastMessage_ = text;
    if (json_) {
        Emit(JsonLine().Add("type", "message").Add("text", text));
        return;
    }
    ClearBar();
    Write(stderr, "quillet: " + boardTag_ + text);
}

void Reporter::Warn(const std::string& text)
{
    if (json_) {
        Emit(JsonLine().Add("type", "warning").Add("text", text));
        return;
    }
    ClearBar();
    Write(stderr, "quillet: warning: " + boardTag_ + text);
}

void Reporter::Note(const std::string& text)
{
    if (json_)
        return;
    ClearBar();
    Write(stderr, "quillet: " + boardTag_ + text);
}

void Reporter::Print(const std::string& line)
{
    if (json_)
        return;
    ClearBar();
    Write(stdout, boardTag_ + line);
}

void Reporter::Emit(const JsonLine& line)
{
    if (!json_)
        return;
    if (output_)
        Write(stdout, JsonLine(line).Append(boardFields_).Text());
    else
        WriteLine(stdout, line.Text());
}

ProgressFunction Reporter::Progress(std::string operation, std::string label)
{
    if (!json_ && !bar_)
        return {};
    return [this, operation = std::move(operation), label = std::move(label),
            last = -1](int position) mutable {
        if (position == last)
            return;
        last = position;
        if (json_) {
            Emit(JsonLine().Add("type", "progress").Add("operation", operation).Add("percent", position));
            return;
        }
        const int filled = position * kBarWidth / 100;
        std::fprintf(stderr, "\r%-12s [%s%s] %3d%%", label.c_str(), std::string(filled, '#').c_str(),
                     std::string(kBarWidth - filled, '.').c_str(), position);
        std::fflush(stderr);
        barShown_ = true;
    };
}

int Reporter::Finish(const Outcome& outcome, const JsonLine& fields)
{
    if (json_) {
        JsonLine result;
        result.Add("type", "result")
            .Add("command", command_)
            .Add("exit_code", outcome.exitCode)
            .Add("status", ExitCodeName(outcome.exitCode))
            .Add("message", outcome.message);
        if (!outcome.hint.empty())
            result.Add("hint", outcome.hint);
        result.Append(fields);
        Emit(result);
        return outcome.exitCode;
    }
    ClearBar();
    if (!outcome.message.empty() && outcome.message != lastMessage_) {
        if (outcome.exitCode == EXIT_OK)
            WriteLine(stdout, outcome.message);
        else
            WriteLine(stderr, "quillet: " + outcome.message);
    }
    if (!outcome.hint.empty())
        WriteLine(stderr, "quillet: " + outcome.hint);
    return outcome.exitCode;
}
