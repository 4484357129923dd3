#include "cli/production/SerialJournal.h"

#include <cerrno>
#include <utility>

#include "cli/production/SharedFile.h"

namespace {

// The last line of the last reservations is all a run reads: a file of many thousand boards
// costs no more than a new one.
constexpr std::size_t kTailBytes = 64 * 1024;
constexpr char kBlanks[] = " \t\r";
constexpr char kReservationStart[] = "{\"next\":";

// Decimal digits, nothing else, that fit 64 bits.
std::optional<std::uint64_t> ParseNumber(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    std::uint64_t number = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (number > (~std::uint64_t{0} - digit) / 10)
            return std::nullopt;
        number = number * 10 + digit;
    }
    return number;
}

std::string Trimmed(const std::string& line)
{
    const std::size_t first = line.find_first_not_of(kBlanks);
    if (first == std::string::npos)
        return {};
    return line.substr(first, line.find_last_not_of(kBlanks) - first + 1);
}

// A line's next number: a number alone, or the start of a reservation.
std::optional<std::uint64_t> NextOfLine(const std::string& line)
{
    const std::string text = Trimmed(line);
    if (!text.starts_with(kReservationStart))
        return ParseNumber(text);
    const std::size_t from = sizeof kReservationStart - 1;
    const std::size_t end = text.find(',', from);
    if (end == std::string::npos)
        return std::nullopt;
    return ParseNumber(text.substr(from, end - from));
}

bool Blank(const std::string& text)
{
    return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

} // namespace

SerialJournal::SerialJournal(std::string path, std::optional<std::uint64_t> start)
    : path_(std::move(path)), start_(start)
{
}

namespace {

// The line that gives the next number: the last whole line that is not blank, or a number
// alone after it that has no line feed yet.
std::string DecidingLine(const std::string& text)
{
    std::string whole = text;
    const std::size_t lastFeed = whole.rfind('\n');
    const std::string unfinished = lastFeed == std::string::npos ? whole : whole.substr(lastFeed + 1);
    whole.erase(lastFeed == std::string::npos ? 0 : lastFeed);
    if (!Blank(unfinished) && !Trimmed(unfinished).starts_with("{"))
        return unfinished;
    while (!whole.empty()) {
        const std::size_t feed = whole.rfind('\n');
        const std::string line = feed == std::string::npos ? whole : whole.substr(feed + 1);
        if (!Blank(line))
            return line;
        whole.erase(feed == std::string::npos ? 0 : feed);
    }
    return {};
}

// The number after the last one reserved in `text`; none when it reserves none.
std::optional<std::uint64_t> AfterLastReserved(const std::string& text)
{
    const std::size_t at = text.rfind(std::string("\n") + kReservationStart);
    if (at == std::string::npos)
        return text.starts_with(kReservationStart) ? NextOfLine(text.substr(0, text.find('\n'))) : std::nullopt;
    const std::size_t end = text.find('\n', at + 1);
    if (end == std::string::npos) // a reservation cut short: the one before it counts
        return AfterLastReserved(text.substr(0, at));
    return NextOfLine(text.substr(at + 1, end - at - 1));
}

// A line as a message quotes it: what is not printable as '?', and at most 60 characters.
std::string Quoted(const std::string& line)
{
    constexpr std::size_t kShown = 60;
    std::string shown = Trimmed(line).substr(0, kShown);
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < ' ' || static_cast<unsigned char>(c) > '~')
            c = '?';
    }
    return "\"" + shown + (Trimmed(line).size() > kShown ? "...\"" : "\"");
}

} // namespace

std::optional<std::uint64_t> SerialJournal::NextNumber(const std::string& text)
{
    return NextOfLine(DecidingLine(text));
}

Outcome SerialJournal::Next(const std::string& tail, std::uint64_t& next) const
{
    if (Blank(tail))
        return {EXIT_USAGE, "Serial counter file " + path_ + " is empty; give the first number with --serial-start N."};
    const std::optional<std::uint64_t> number = NextNumber(tail);
    if (!number)
        return {EXIT_USAGE, "Serial counter file " + path_ + " does not hold a number: its last line, " +
                                Quoted(DecidingLine(tail)) + ", is neither a number nor a reservation; end the "
                                "file with a line holding the next number."};
    // A number typed by hand below the ones given out would give them again.
    if (const std::optional<std::uint64_t> after = AfterLastReserved(tail); after && *number < *after)
        return {EXIT_USAGE, "Serial counter file " + path_ + " sets the next number to " + std::to_string(*number) +
                                ", but the numbers up to " + std::to_string(*after - 1) +
                                " have been given out; change its last line to " + std::to_string(*after) +
                                " or more."};
    next = *number;
    return {};
}

Outcome SerialJournal::Failed(const std::string& step, const std::string& reason) const
{
    return {EXIT_OUTPUT_FILE, "Serial counter file " + path_ + ": cannot " + step + ": " + reason};
}

Outcome SerialJournal::Open(std::uint64_t& next, bool& created)
{
    created = false;
    SharedFile file;
    bool ignored = false;
    FileFailure failure = file.Open(path_, false, ignored);
    if (failure.error == ENOENT && !start_)
        return {EXIT_USAGE, "Serial counter file " + path_ + " does not exist; create it with --serial-start N."};
    if (failure.error == ENOENT) {
        if (const FileFailure made = SharedFile::CreateWithLine(path_, std::to_string(*start_), created))
            return Failed(made.step, made.reason);
        failure = file.Open(path_, false, ignored);
    }
    if (failure)
        return Failed(failure.step, failure.reason);
    std::string tail;
    if (failure = file.Lock(); !failure)
        failure = file.ReadTail(kTailBytes, tail);
    if (failure)
        return Failed(failure.step, failure.reason);
    if (Blank(tail) && !start_)
        return {EXIT_USAGE, "Serial counter file " + path_ + " is empty; give the first number with --serial-start N."};
    if (Blank(tail)) {
        // An empty file made by hand starts where --serial-start says, written down first.
        if (failure = file.AppendLine(std::to_string(*start_)); failure)
            return Failed(failure.step, failure.reason);
        created = true;
        tail = std::to_string(*start_) + "\n";
    }
    std::uint64_t number = 0;
    if (Outcome read = Next(tail, number); read.exitCode != EXIT_OK)
        return read;
    if (start_ && *start_ > number)
        return {EXIT_USAGE, "Serial counter file " + path_ + " gives " + std::to_string(number) +
                                " as the next number; --serial-start " + std::to_string(*start_) +
                                " would skip numbers. To skip them, append a line holding " +
                                std::to_string(*start_) + " to the file."};
    next = number;
    return {};
}

std::string SerialJournal::Reservation(std::uint64_t number, const JsonLine& facts)
{
    // The next number first, where a reader of the last line finds it without a JSON parser.
    return JsonLine()
        .AddUnsigned("next", number + 1)
        .Add("record", "reserved")
        .AddUnsigned("serial_number", number)
        .Add("serial_number_text", std::to_string(number))
        .Append(facts)
        .Text();
}

Outcome SerialJournal::Take(std::uint64_t largest, const JsonLine& facts, std::uint64_t& number)
{
    SharedFile file;
    bool created = false;
    FileFailure failure = file.Open(path_, false, created);
    std::string tail;
    if (!failure)
        failure = file.Lock();
    if (!failure)
        failure = file.ReadTail(kTailBytes, tail);
    if (failure)
        return Failed(failure.step, failure.reason);
    std::uint64_t next = 0;
    if (Outcome read = Next(tail, next); read.exitCode != EXIT_OK)
        return read;
    if (next > largest || next == ~std::uint64_t{0})
        return {EXIT_USAGE, "The next serial number, " + std::to_string(next) +
                                ", is larger than the format holds (" + std::to_string(largest) + ")."};
    if (failure = file.AppendLine(Reservation(next, facts)); failure)
        return Failed(failure.step, failure.reason);
    number = next;
    return {};
}
