// The pieces of a production run that need no board: how a serial number is laid out in a
// chip and read back, the counter file under concurrent takers, the HEX file's digest, the
// production log's line, and the UTF-8 that board texts and typed names cross.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "QuilletVersion.h"
#include "cli/DriverStatus.h"
#include "cli/ExitCodes.h"
#include "cli/JsonLine.h"
#include "cli/production/PosixFileCalls.h"
#include "cli/production/ProductionLog.h"
#include "cli/production/SerialJournal.h"
#include "cli/production/SerialNumber.h"
#include "cli/production/Sha256.h"
#include "cli/Utf8.h"

#if !defined(_WIN32)
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#endif

namespace {

// Digests published with the algorithm, and those `sha256sum` gives for runs of 'a' that end
// just before, on and after the length that needs a second padding block.
TEST(Sha256, MatchesKnownDigests)
{
    const struct {
        std::string message;
        const char* digest;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        {std::string(56, 'a'), "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
        {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Sha256Hex(c.message), c.digest) << c.message.size() << " bytes";
}

TEST(SerialFormat, ParsesTheThreeLayoutsAndRefusesTheRest)
{
    const struct {
        const char* text;
        bool valid;
        const char* normal; // as Text() gives it back
        std::uint64_t largest;
    } cases[] = {
        {"dec:6", true, "dec:6", 999999},
        {"DEC:1", true, "dec:1", 9},
        {"dec:19", true, "dec:19", 9999999999999999999ULL},
        {"be:2", true, "be:2", 0xFFFF},
        {"le:8", true, "le:8", ~std::uint64_t{0}},
        {"dec:0", false, "", 0},
        {"dec:20", false, "", 0}, // 20 digits overflow 64 bits
        {"dec:006", false, "", 0}, // a width has one or two digits
        {"be:9", false, "", 0},
        {"be:", false, "", 0},
        {"hex:4", false, "", 0},
        {"le:-2", false, "", 0},
        {"dec6", false, "", 0},
    };
    for (const auto& c : cases) {
        SerialFormat format;
        ASSERT_EQ(SerialFormat::Parse(c.text, format), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(format.Text(), c.normal);
            EXPECT_EQ(format.Largest(), c.largest) << c.text;
        }
    }
}

// Each layout as a chip holds it, cell by cell, and read back from the same cells.
TEST(SerialPlace, WritesEachLayoutAndReadsItBack)
{
    const struct {
        const char* format;
        int address;
        std::uint64_t number;
        std::vector<std::int32_t> cells;
    } cases[] = {
        // EEPROM bytes go to the board with the supplied marker (0x100).
        {"dec:6", 0x2100, 1234, {0x130, 0x130, 0x131, 0x132, 0x133, 0x134}},
        {"be:3", 0x2110, 0x0A0B0C, {0x10A, 0x10B, 0x10C}},
        {"le:3", 0x213D, 0x0A0B0C, {0x10C, 0x10B, 0x10A}},
        // Program memory: RETLW 0x34nn, one byte a word.
        {"le:2", 0x0300, 0xBEEF, {0x34EF, 0x34BE}},
        {"dec:2", 0x03FE, 7, {0x3430, 0x3437}},
    };
    for (const auto& c : cases) {
        SerialPlace place;
        place.address = c.address;
        ASSERT_TRUE(SerialFormat::Parse(c.format, place.format));
        FirmwareImage image;
        image.Reset(HexLoadMode::Programming);
        PlaceSerial(c.number, place, image);
        std::vector<std::int32_t> cells;
        for (int i = 0; i < place.Length(); ++i)
            cells.push_back(image.Get(c.address + i));
        EXPECT_EQ(cells, c.cells) << c.format;
        // Around it nothing changed.
        EXPECT_EQ(image.Get(c.address + place.Length()), c.address >= EEPROM_ADDRESS ? EEPROM_INITIAL : ERASED_WORD);

        // A chip read back holds EEPROM bytes without the marker.
        FirmwareImage target = image;
        for (int i = 0; i < place.Length(); ++i)
            target.Set(c.address + i, image.Get(c.address + i) & (place.InEeprom() ? 0xFF : 0x3FFF));
        EXPECT_EQ(ReadSerial(target, place), c.number) << c.format;
    }
}

TEST(SerialPlace, ReadsNoNumberFromCellsThatDoNotHoldOne)
{
    SerialPlace eeprom;
    eeprom.address = 0x2100;
    SerialFormat::Parse("dec:4", eeprom.format);
    SerialPlace program;
    program.address = 0x0200;
    SerialFormat::Parse("be:2", program.format);

    FirmwareImage erased; // every entry 0x3FFF: EEPROM reads 0xFF, not a digit
    EXPECT_EQ(ReadSerial(erased, eeprom), std::nullopt);
    EXPECT_EQ(ReadSerial(erased, program), std::nullopt); // 0x3FFF is no RETLW
    // Erased EEPROM in a binary format would read as the largest number: it is none, and the
    // counter never gives that number for the EEPROM.
    SerialPlace binary = eeprom;
    SerialFormat::Parse("le:2", binary.format);
    EXPECT_EQ(ReadSerial(erased, binary), std::nullopt);
    EXPECT_EQ(binary.Largest(), 0xFFFEu);
    EXPECT_EQ(program.Largest(), 0xFFFFu);
    EXPECT_EQ(eeprom.Largest(), 9999u);
    FirmwareImage oneErased;
    oneErased.Set(0x2100, 0xFE);
    EXPECT_EQ(ReadSerial(oneErased, binary), 0xFFFEu);

    FirmwareImage target;
    target.Set(0x2100, '1');
    target.Set(0x2101, '2');
    target.Set(0x2102, ' '); // a blank is no digit
    target.Set(0x2103, '4');
    EXPECT_EQ(ReadSerial(target, eeprom), std::nullopt);
    target.Set(0x0200, 0x3412);
    target.Set(0x0201, 0x3034); // a GOTO, not RETLW
    EXPECT_EQ(ReadSerial(target, program), std::nullopt);
    target.Set(0x0201, 0x3434);
    EXPECT_EQ(ReadSerial(target, program), 0x1234u);
}

TEST(SerialPlace, FitsOnlyWithinOneMemoryOfTheProcessor)
{
    const struct {
        int address;
        int width;
        TargetProcessor processor;
        bool fits;
    } cases[] = {
        {0x0000, 4, TargetProcessor::PIC16F84A, true},
        {0x03FC, 4, TargetProcessor::PIC16F84A, true},
        {0x03FD, 4, TargetProcessor::PIC16F84A, false}, // runs past 1024 words
        {0x1FFC, 4, TargetProcessor::PIC16F877, true},
        {0x1FFD, 4, TargetProcessor::PIC16F877, false}, // into the ID words
        {0x2000, 1, TargetProcessor::PIC16F877, false}, // ID words and configuration: not here
        {0x20FF, 1, TargetProcessor::PIC16F877, false},
        {0x2100, 4, TargetProcessor::PIC16F84A, true},  // EEPROM's first byte
        {0x213C, 4, TargetProcessor::PIC16F84A, true},
        {0x213D, 4, TargetProcessor::PIC16F84A, false}, // past 64 EEPROM bytes
        {0x213D, 4, TargetProcessor::PIC16F877, true},
        {0x21FD, 4, TargetProcessor::PIC16F877, false}, // past 256
    };
    for (const auto& c : cases) {
        SerialPlace place;
        place.address = c.address;
        place.format = {SerialFormat::MOST_SIGNIFICANT_FIRST, c.width};
        EXPECT_EQ(place.CheckFits(c.processor).empty(), c.fits) << std::hex << c.address;
    }
    SerialPlace place;
    place.address = 0x213D;
    place.format = {SerialFormat::DECIMAL, 6};
    EXPECT_EQ(place.CheckFits(TargetProcessor::PIC16F84A),
              "The serial number at 213D-2142 does not fit the 16F84A: program memory is 0000-03FF, EEPROM 2100-213F.");
}

class SerialJournalTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A folder of its own under a random name (there is no mkdtemp on Windows).
        do {
            folder_ = std::filesystem::temp_directory_path() /
                      ("quillet-counter-" + std::to_string(std::random_device{}()));
        } while (!std::filesystem::create_directory(folder_));
        path_ = (folder_ / "counter").string();
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::string Text() const
    {
        std::ifstream in(path_, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::filesystem::path folder_;
    std::string path_;
};

// Eight takers at once, as the boards of one run or of two runs: every number once, none
// skipped, each reserved in a line of its own with what the taker said of its board.
TEST_F(SerialJournalTest, ConcurrentTakersGetEveryNumberOnce)
{
    constexpr int kTakers = 8;
    constexpr int kTakes = 25;
    constexpr std::uint64_t kStart = 1000;
    std::uint64_t next = 0;
    bool created = false;
    ASSERT_EQ(SerialJournal(path_, kStart).Open(next, created).message, "");
    EXPECT_TRUE(created);
    EXPECT_EQ(next, kStart);
    std::vector<std::thread> takers;
    for (int t = 0; t < kTakers; ++t) {
        takers.emplace_back([&, t] {
            SerialJournal journal(path_, std::nullopt);
            for (int i = 0; i < kTakes; ++i) {
                std::uint64_t number = 0;
                journal.Take(999999, JsonLine().Add("taker", t), number);
            }
        });
    }
    for (std::thread& taker : takers)
        taker.join();
    const std::vector<std::string> lines = [&] {
        std::vector<std::string> all;
        std::istringstream in(Text());
        for (std::string line; std::getline(in, line);)
            all.push_back(line);
        return all;
    }();
    ASSERT_EQ(lines.size(), std::size_t{1 + kTakers * kTakes});
    EXPECT_EQ(lines.front(), "1000");
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::uint64_t number = kStart + i - 1;
        const std::string n = std::to_string(number);
        EXPECT_TRUE(lines[i].starts_with(R"({"next":)" + std::to_string(number + 1) + R"(,"record":"reserved","serial_number":)" +
                                         n + R"(,"serial_number_text":")" + n + R"(","taker":)"))
            << lines[i];
    }
    EXPECT_EQ(SerialJournal::NextNumber(Text()), kStart + kTakers * kTakes);
}

// The last whole line rules: a reservation cut short by a power cut gave its number to no
// chip, so that number comes next; a number a person appended skips ahead.
TEST(SerialJournal, TheLastWholeLineGivesTheNextNumber)
{
    const std::string reserved = R"({"next":1001,"record":"reserved","serial_number":1000,"serial_number_text":"1000"})";
    const struct {
        std::string text;
        std::optional<std::uint64_t> next;
    } cases[] = {
        {"1000\n", 1000},
        {" 1000\r\n\n \n", 1000},
        {"1000", 1000}, // typed without a line feed
        {"1000\n" + reserved + "\n", 1001},
        {"1000\n" + reserved + "\n{\"next\":1002,\"rec", 1001},
        {"1000\n" + reserved, 1000}, // the whole reservation, but not its line feed: never handed out
        {"1000\n" + reserved + "\n2000\n", 2000},
        {"1000\n" + reserved + "\n999", 999},
        {"", std::nullopt},
        {"1000\nabc\n", std::nullopt},
        {"1000\n{\"next\":\"1001\"}\n", std::nullopt},
        {"18446744073709551615\n", ~std::uint64_t{0}},
        {"18446744073709551616\n", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SerialJournal::NextNumber(c.text), c.next) << c.text;
}

// Every refusal with its text and exit code (9 for a file that cannot be used, 2 for one that
// holds the wrong thing or a start that would skip numbers); the file is left as it was.
TEST_F(SerialJournalTest, RefusesWithoutChangingTheFile)
{
    const std::string name = "Serial counter file " + path_;
    const auto notANumber = [&name](const std::string& line) {
        return name + " does not hold a number: its last line, " + line +
               ", is neither a number nor a reservation; end the file with a line holding the next number.";
    };
    const struct {
        const char* situation;
        const char* text; // nullptr: no file
        std::optional<std::uint64_t> start;
        std::uint64_t largest;
        std::string opened; // what Open says before the run
        int exitCode;       // what Take gives once it runs
        std::string taken;
    } cases[] = {
        {"missing, no start", nullptr, std::nullopt, 99,
         name + " does not exist; create it with --serial-start N.", 9,
         name + ": cannot open: No such file or directory"},
        {"not a number", "12a\n", std::nullopt, 999, notANumber("\"12a\""), 2, notANumber("\"12a\"")},
        {"blank, no start", " \n", std::nullopt, 999,
         name + " is empty; give the first number with --serial-start N.", 2,
         name + " is empty; give the first number with --serial-start N."},
        {"a number below those given out", "1000\n{\"next\":1001,\"record\":\"reserved\"}\n999\n", std::nullopt, 9999,
         name + " sets the next number to 999, but the numbers up to 1000 have been given out; change its last line to "
                "1001 or more.",
         2,
         name + " sets the next number to 999, but the numbers up to 1000 have been given out; change its last line to "
                "1001 or more."},
        {"start past the file's next", "100\n", 101, 999,
         name + " gives 100 as the next number; --serial-start 101 would skip numbers. To skip them, append a "
                "line holding 101 to the file.",
         0, ""},
        {"past the format", "  100 \n", 5, 99, "", 2,
         "The next serial number, 100, is larger than the format holds (99)."},
        {"past 64 bits", "18446744073709551616\n", std::nullopt, ~std::uint64_t{0},
         notANumber("\"18446744073709551616\""), 2, notANumber("\"18446744073709551616\"")},
        {"garbage, shown harmless", "1000\n\x01\xEF\xBB\xBF" "42\n", std::nullopt, 9999, notANumber("\"????42\""), 2,
         notANumber("\"????42\"")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.situation);
        std::filesystem::remove(path_);
        if (c.text)
            std::ofstream(path_, std::ios::binary) << c.text;
        std::uint64_t number = 0;
        bool created = false;
        EXPECT_EQ(SerialJournal(path_, c.start).Open(number, created).message, c.opened);
        EXPECT_FALSE(created);
        EXPECT_EQ(std::filesystem::exists(path_), c.text != nullptr);
        if (c.exitCode == 0)
            continue;
        const Outcome taken = SerialJournal(path_, c.start).Take(c.largest, JsonLine(), number);
        EXPECT_EQ(taken.exitCode, c.exitCode);
        EXPECT_EQ(taken.message, c.taken);
        EXPECT_EQ(std::filesystem::exists(path_), c.text != nullptr);
        if (c.text) {
            EXPECT_EQ(Text(), c.text);
        }
    }
    std::uint64_t number = 0;
    bool created = false;
#if !defined(_WIN32)
    // A folder in the file's place does not open to append; a file in the place of its folder
    // does not open at all.
    std::filesystem::remove(path_);
    std::filesystem::create_directory(path_);
    EXPECT_EQ(SerialJournal(path_, 1).Open(number, created).message, name + ": cannot open: Is a directory");
    EXPECT_EQ(SerialJournal(path_, 1).Take(99, JsonLine(), number).message, name + ": cannot open: Is a directory");
    std::filesystem::remove(path_);
    std::ofstream(path_) << "1\n";
    const std::string under = path_ + "/counter";
    EXPECT_EQ(SerialJournal(under, 1).Open(number, created).message,
              "Serial counter file " + under + ": cannot open: Not a directory");
    // Files that are no counter: a FIFO is refused at once, not waited on; /dev/null cannot keep a number.
    std::filesystem::remove(path_);
    ASSERT_EQ(::mkfifo(path_.c_str(), 0600), 0);
    EXPECT_EQ(SerialJournal(path_, 1).Open(number, created).message, name + ": cannot read: Illegal seek");
    EXPECT_EQ(SerialJournal(path_, 1).Take(99, JsonLine(), number).message, name + ": cannot read: Illegal seek");
    std::filesystem::remove(path_);
    EXPECT_EQ(SerialJournal("/dev/null", 1).Open(number, created).message,
              "Serial counter file /dev/null: cannot sync: Invalid argument");
#endif

    // Up to the last number of 64 bits, which leaves no next one to write.
    std::filesystem::remove_all(path_);
    std::ofstream(path_) << "18446744073709551614\n";
    ASSERT_EQ(SerialJournal(path_, std::nullopt).Take(~std::uint64_t{0}, JsonLine(), number).exitCode, 0);
    EXPECT_EQ(number, 18446744073709551614u);
    EXPECT_EQ(SerialJournal::NextNumber(Text()), ~std::uint64_t{0});
    EXPECT_EQ(SerialJournal(path_, std::nullopt).Take(~std::uint64_t{0}, JsonLine(), number).message,
              "The next serial number, 18446744073709551615, is larger than the format holds (18446744073709551615).");

    // Created with --serial-start, which may be smaller than the file's next number later on.
    std::filesystem::remove_all(path_);
    ASSERT_EQ(SerialJournal(path_, 100).Open(number, created).exitCode, 0);
    EXPECT_TRUE(created);
    EXPECT_EQ(Text(), "100\n");
    ASSERT_EQ(SerialJournal(path_, 100).Take(100, JsonLine(), number).exitCode, 0);
    EXPECT_EQ(number, 100u);
    ASSERT_EQ(SerialJournal(path_, 100).Open(number, created).exitCode, 0);
    EXPECT_FALSE(created);
    EXPECT_EQ(number, 101u);
}

#if !defined(_WIN32)
// The two shared files after a power cut and on a full disk (a file-size limit here): a torn
// last line is ended before the next line, and a line the disk takes only part of is taken
// back, so that every whole line of the file still reads.
TEST_F(SerialJournalTest, TornAndShortLinesLeaveEveryOtherLineWhole)
{
    const std::string torn = "1000\n{\"next\":1001,\"rec";
    std::ofstream(path_) << torn;
    std::uint64_t number = 0;
    ASSERT_EQ(SerialJournal(path_, std::nullopt).Take(9999, JsonLine(), number).message, "");
    EXPECT_EQ(number, 1000u);
    EXPECT_EQ(Text(), torn + "\n" + SerialJournal::Reservation(1000, JsonLine()) + "\n");

    const std::string log = (folder_ / "run.jsonl").string();
    std::ofstream(log) << "{\"record\":\"outc";
    BoardLogEntry entry;
    entry.operation = "erase";
    ASSERT_EQ(ProductionLog(log).Append(entry), "");

    // Room for less than a line more in either file.
    const std::string before = Text();
    const std::uintmax_t logSize = std::filesystem::file_size(log);
    struct rlimit limit {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
    const struct rlimit saved = limit;
    std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = before.size() + 20;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    const Outcome full = SerialJournal(path_, std::nullopt).Take(9999, JsonLine().Add("board", "TVRA0001"), number);
    limit.rlim_cur = logSize + 20;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    const std::string logFull = ProductionLog(log).Append(entry);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(full.exitCode, 9);
    EXPECT_EQ(full.message, "Serial counter file " + path_ + ": cannot write: File too large");
    EXPECT_EQ(Text(), before);
    EXPECT_EQ(logFull, "Cannot write the log file " + log + ": File too large");
    EXPECT_EQ(std::filesystem::file_size(log), logSize);
    ASSERT_EQ(ProductionLog(log).Append(entry), "");
    std::ifstream in(log);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "{\"record\":\"outc");
    EXPECT_TRUE(lines[1].starts_with("{\"record\":\"outcome\"")) << lines[1];
    EXPECT_TRUE(lines[2].starts_with("{\"record\":\"outcome\"")) << lines[2];
}
#endif

// Each lead byte's range at its edges: a well-formed sequence is one character (one beyond
// UTF-16's single units is '?'); in anything else each byte stands for itself, as Latin-1.
TEST(Utf8, DecodesWellFormedSequencesAndKeepsEveryOtherByte)
{
    const struct {
        std::string typed;
        std::u16string decoded;
    } cases[] = {
        {"\x7F", u"\x7F"},
        {"\x80\xBF", u"\x80\xBF"},                             // continuation bytes alone
        {"\xC1\xBF", u"\xC1\xBF"},                             // U+007F, overlong
        {"\xC2\x80", u"\x80"},
        {"\xDF\xBF", u"\x7FF"},
        {"\xC3" "A", u"\xC3" u"A"},                            // cut short by a byte that continues nothing
        {"\xE0\x9F\xBF", u"\xE0\x9F\xBF"},                     // U+07FF, overlong
        {"\xE0\xA0\x80", u"\x800"},
        {"\xE2\x82", u"\xE2\x82"},                             // cut short by the end
        {"\xE2\x82\xAC", u"\x20AC"},
        {"\xED\x9F\xBF", u"\xD7FF"},
        {"\xED\xA0\x80", u"\xED\xA0\x80"},                     // the first surrogate
        {"\xED\xBF\xBF", u"\xED\xBF\xBF"},                     // the last surrogate
        {"\xEE\x80\x80", u"\xE000"},
        {"\xEF\xBF\xBF", u"\xFFFF"},
        {"\xF0\x8F\xBF\xBF", u"\xF0\x8F\xBF\xBF"},             // U+FFFF, overlong
        {"\xF0\x90\x80\x80", u"?"},
        {"\xF4\x8F\xBF\xBF", u"?"},                            // U+10FFFF
        {"\xF4\x90\x80\x80", u"\xF4\x90\x80\x80"},             // past U+10FFFF
        {"\xF5\x80\x80\x80", u"\xF5\x80\x80\x80"},
        {"\xF8\x90\x80\x80", u"\xF8\x90\x80\x80"},             // no lead byte, whatever follows
        {"\xC0\x90\x80\x80", u"\xC0\x90\x80\x80"},
        {"\xE9t\xC3\xA9", u"\xE9t\xE9"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeTypedText(c.typed), c.decoded) << ::testing::PrintToString(c.typed);
    }
    // Board texts: every 8-bit character there and back; a typed character past Latin-1 opens no board.
    std::string every;
    for (int byte = 1; byte < 256; ++byte)
        every += static_cast<char>(byte);
    EXPECT_EQ(TypedTextToLatin1(Latin1ToUtf8(every)), every);
    EXPECT_EQ(Latin1ToUtf8("\x7F\x80\xFF"), "\x7F\xC2\x80\xC3\xBF");
    EXPECT_EQ(TypedTextToLatin1("A\xE2\x82\xAC"), "A?");
}

// What another program reads: valid UTF-8 as it is, every other byte escaped as Latin-1.
TEST(JsonLineTest, QuotesAnyBytesAsValidJson)
{
    const struct {
        std::string text;
        const char* quoted;
    } cases[] = {
        {"a\"b\\c", R"("a\"b\\c")"},
        {std::string("\0\x1F\x7F\n", 4), R"("\u0000\u001F\u007F\u000A")"},
        {" ~", R"(" ~")"},
        {"\xC3\xA9\xF0\x9F\x94\x8C", "\"\xC3\xA9\xF0\x9F\x94\x8C\""},
        {"\xE9\xED\xA0\x80", R"("\u00E9\u00ED\u00A0\u0080")"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JsonLine::Quote(c.text), c.quoted);
    }
    EXPECT_EQ(JsonLine().Add("a", 1).Add("b", true).Add("c", false).Add("d", -5LL).AddRaw("e", "[]").Text(),
              R"({"a":1,"b":true,"c":false,"d":-5,"e":[]})");
}

std::string HostName()
{
    char name[256] = {};
    return ::gethostname(name, sizeof name - 1) == 0 ? name : "";
}

// Three digits of milliseconds, whatever the second.
TEST(ProductionLogLine, TimeIsUtcToTheMillisecond)
{
    const struct {
        long long milliseconds; // since 1970
        const char* text;
    } cases[] = {
        {0, "1970-01-01T00:00:00.000Z"},
        {1796616306007, "2026-12-07T04:05:06.007Z"},
        {1796616306789, "2026-12-07T04:05:06.789Z"},
        {1796616306999, "2026-12-07T04:05:06.999Z"},
        {1796616307000, "2026-12-07T04:05:07.000Z"},
    };
    for (const auto& c : cases) {
        const std::chrono::system_clock::time_point at{std::chrono::milliseconds{c.milliseconds}};
        EXPECT_EQ(ProductionLog::UtcText(at), c.text);
    }
}

// Every key in its place; what a board did not get to is left out.
TEST(ProductionLogLine, HoldsEveryFactOfABoardsRun)
{
    const std::chrono::system_clock::time_point at{std::chrono::milliseconds{1796616306789}};
    const std::string head = R"({"record":"outcome","time":"2026-12-07T04:05:06.789Z","host":)" + JsonLine::Quote(HostName()) +
                             R"(,"tool":"quillet","version":")" + QUILLET_VERSION + R"(",)";
    const HexFileFacts hex{"/bench/blink84a.hex", 256, "1f3df68790196fe41ef0d868fc9e6e25238e45f6db88fd2572b0c0728e8a4566"};
    BoardLogEntry entry;
    entry.operation = "program";
    entry.board = {3, "TVR\xE9" "01", "TVR-IOB"}; // the driver's 8-bit text
    entry.processor = "16F877";
    entry.hexFile = &hex;
    entry.configWord = 0x3FF2;
    entry.serialNumber = 9223372036854775808u; // 2^63: past a signed 64-bit number, and past a double's digits
    entry.verified = true;
    entry.outcome = {0, "Programming complete."};
    entry.milliseconds = 213;
    EXPECT_EQ(ProductionLog::Record(entry, at).Text(),
              head + R"("operation":"program","board":{"device":3,"serial":"TVR)" "\xC3\xA9" R"(01","description":"TVR-IOB"},)"
                     R"("processor":"16F877","hex_file":{"path":"/bench/blink84a.hex","size":256,"sha256":")"
                     R"(1f3df68790196fe41ef0d868fc9e6e25238e45f6db88fd2572b0c0728e8a4566"},"config_word":16370,)"
                     R"("serial_number":9223372036854775808,"serial_number_text":"9223372036854775808","verified":true,)"
                     R"("status":"ok","exit_code":0,"message":"Programming complete.","duration_ms":213})");
    // Its reservation, before the chip was written: no outcome yet.
    entry.record = "reserved";
    entry.configWord.reset();
    const std::string reserved = ProductionLog::Record(entry, at).Text();
    EXPECT_TRUE(reserved.starts_with(R"({"record":"reserved","time":)")) << reserved;
    EXPECT_TRUE(reserved.ends_with(R"("processor":"16F877","hex_file":{"path":"/bench/blink84a.hex","size":256,"sha256":")"
                                   R"(1f3df68790196fe41ef0d868fc9e6e25238e45f6db88fd2572b0c0728e8a4566"},)"
                                   R"("serial_number":9223372036854775808,"serial_number_text":"9223372036854775808"})"))
        << reserved;

    BoardLogEntry failed;
    failed.operation = "erase";
    failed.board = {1, "", ""};
    failed.outcome = {4, "Failed to open. (CN)"};
    failed.milliseconds = 5;
    EXPECT_EQ(ProductionLog::Record(failed, at).Text(),
              head + R"("operation":"erase","board":{"device":1,"serial":"","description":""},"status":"no-board",)"
                     R"j("exit_code":4,"message":"Failed to open. (CN)","duration_ms":5})j");

    const std::string path = (std::filesystem::temp_directory_path() / "quillet-no-such-folder" / "run.jsonl").string();
    ProductionLog missing(path);
    EXPECT_EQ(missing.Check(), "Cannot open the log file " + path + ": No such file or directory");
    EXPECT_EQ(missing.Append(failed), "Cannot open the log file " + path + ": No such file or directory");
#if !defined(_WIN32)
    ProductionLog full("/dev/full");
    EXPECT_EQ(full.Append(failed), "Cannot write the log file /dev/full: No space left on device");
#endif
}


// A hint names the driver's status as the vendor's D2XX header does (the ones quillet's own
// header defines by those constants); a number past the known ones as a number.
TEST(DriverStatusNames, AsTheDriversHeaderSpellsThem)
{
#define NAMED(status) {status, #status}
    const std::pair<FT_STATUS, const char*> cases[] = {
        NAMED(FT_OK),
        NAMED(FT_INVALID_HANDLE),
        NAMED(FT_DEVICE_NOT_FOUND),
        NAMED(FT_DEVICE_NOT_OPENED),
        NAMED(FT_IO_ERROR),
        {5, "FT_INSUFFICIENT_RESOURCES"},
        NAMED(FT_INVALID_PARAMETER),
        {7, "FT_INVALID_BAUD_RATE"},
        {8, "FT_DEVICE_NOT_OPENED_FOR_ERASE"},
        {9, "FT_DEVICE_NOT_OPENED_FOR_WRITE"},
        NAMED(FT_FAILED_TO_WRITE_DEVICE),
        {11, "FT_EEPROM_READ_FAILED"},
        {12, "FT_EEPROM_WRITE_FAILED"},
        {13, "FT_EEPROM_ERASE_FAILED"},
        {14, "FT_EEPROM_NOT_PRESENT"},
        {15, "FT_EEPROM_NOT_PROGRAMMED"},
        NAMED(FT_INVALID_ARGS),
        {17, "FT_NOT_SUPPORTED"},
        NAMED(FT_OTHER_ERROR),
        {19, "FT_DEVICE_LIST_NOT_READY"},
        {20, "status 20"},
    };
#undef NAMED
    for (const auto& [status, name] : cases)
        EXPECT_EQ(DriverStatusName(status), name);
}

// The statuses of --json and the log, as the README's table promises them to scripts.
TEST(ExitCodeNames, AsTheReadmePromises)
{
    const std::pair<int, const char*> cases[] = {
        {0, "ok"},          {1, "unknown"},      {2, "usage"},          {3, "hex-file"},
        {4, "no-board"},    {5, "not-blank"},    {6, "erase-failed"},   {7, "verify-differs"},
        {8, "program-failed"}, {9, "output-file"}, {10, "no-driver"},   {11, "unknown"},
        {130, "interrupted"},   {129, "unknown"},
    };
    for (const auto& [code, name] : cases)
        EXPECT_STREQ(ExitCodeName(code), name) << code;
}

} // namespace
