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
#include "cli/PosixFileCalls.h"
#include "cli/ProductionLog.h"
#include "cli/SerialCounter.h"
#include "cli/SerialNumber.h"
#include "cli/Sha256.h"
#include "cli/Utf8.h"

#if !defined(_WIN32)
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

class CounterFileTest : public ::testing::Test {
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
        std::ifstream in(path_);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::filesystem::path folder_;
    std::string path_;
};

// Eight takers at once, as the boards of one run: every number once, none skipped.
TEST_F(CounterFileTest, ConcurrentTakersGetEveryNumberOnce)
{
    constexpr int kTakers = 8;
    constexpr int kTakes = 25;
    constexpr std::uint64_t kStart = 1000;
    std::vector<std::vector<std::uint64_t>> taken(kTakers);
    std::vector<std::thread> takers;
    for (int t = 0; t < kTakers; ++t) {
        takers.emplace_back([&, t] {
            SerialCounter counter(path_, kStart);
            for (int i = 0; i < kTakes; ++i) {
                std::uint64_t number = 0;
                if (counter.Take(999999, number).exitCode == 0)
                    taken[static_cast<std::size_t>(t)].push_back(number);
            }
        });
    }
    for (std::thread& taker : takers)
        taker.join();
    std::set<std::uint64_t> all;
    std::size_t count = 0;
    for (const auto& numbers : taken) {
        all.insert(numbers.begin(), numbers.end());
        count += numbers.size();
    }
    EXPECT_EQ(count, std::size_t{kTakers * kTakes});
    ASSERT_EQ(all.size(), count) << "a number was given twice";
    EXPECT_EQ(*all.begin(), kStart);
    EXPECT_EQ(*all.rbegin(), kStart + kTakers * kTakes - 1);
    EXPECT_EQ(Text(), "1200\n");
}

// Every refusal with its text and exit code (9 for a file that cannot be used, 2 for one that
// holds the wrong thing); the file is left as it was.
TEST_F(CounterFileTest, RefusesWithoutChangingTheFile)
{
    const std::string name = "Serial counter file " + path_;
    const struct {
        const char* situation;
        const char* text; // nullptr: no file
        std::optional<std::uint64_t> start;
        std::uint64_t largest;
        std::string check; // what Check says before the run
        int exitCode;      // what Take gives once it runs
        std::string taken;
    } cases[] = {
        {"missing, no start", nullptr, std::nullopt, 99,
         name + " does not exist; create it with --serial-start N.", 9,
         name + ": cannot open: No such file or directory"},
        {"not a number", "12a\n", std::nullopt, 999, name + " does not hold a number.", 2,
         name + " does not hold a number."},
        {"blank, no start", " \n", std::nullopt, 999,
         name + " is empty; give the first number with --serial-start N.", 2, name + " does not hold a number."},
        // An existing file wins over --serial-start.
        {"past the format", "  100 \n", 5, 99, "", 2,
         "The next serial number, 100, is larger than the format holds (99)."},
        {"past 64 bits", "18446744073709551616\n", std::nullopt, ~std::uint64_t{0}, name + " does not hold a number.",
         2, name + " does not hold a number."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.situation);
        std::filesystem::remove(path_);
        if (c.text)
            std::ofstream(path_) << c.text;
        EXPECT_EQ(SerialCounter(path_, c.start).Check(), c.check);
        std::uint64_t number = 0;
        const Outcome taken = SerialCounter(path_, c.start).Take(c.largest, number);
        EXPECT_EQ(taken.exitCode, c.exitCode);
        EXPECT_EQ(taken.message, c.taken);
        EXPECT_EQ(std::filesystem::exists(path_), c.text != nullptr);
        if (c.text) {
            EXPECT_EQ(Text(), c.text);
        }
    }
    std::uint64_t number = 0;
#if !defined(_WIN32)
    // A folder in the file's place opens for reading but not for writing; a file in the place
    // of its folder does not open at all.
    std::filesystem::remove(path_);
    std::filesystem::create_directory(path_);
    EXPECT_EQ(SerialCounter(path_, 1).Check(), name + ": cannot read: Is a directory");
    EXPECT_EQ(SerialCounter(path_, 1).Take(99, number).message, name + ": cannot open: Is a directory");
    std::filesystem::remove(path_);
    std::ofstream(path_) << "1\n";
    const std::string under = path_ + "/counter";
    EXPECT_EQ(SerialCounter(under, 1).Check(), "Serial counter file " + under + ": cannot open: Not a directory");
    // Files that are no counter: a FIFO is refused at once, not waited on; /dev/null cannot keep a number.
    std::filesystem::remove(path_);
    ASSERT_EQ(::mkfifo(path_.c_str(), 0600), 0);
    EXPECT_EQ(SerialCounter(path_, 1).Check(), name + ": cannot read: Illegal seek");
    EXPECT_EQ(SerialCounter(path_, 1).Take(99, number).message, name + ": cannot read: Illegal seek");
    std::filesystem::remove(path_);
    EXPECT_EQ(SerialCounter("/dev/null", 1).Check(), "");
    EXPECT_EQ(SerialCounter("/dev/null", 1).Take(99, number).message,
              "Serial counter file /dev/null: cannot write: Invalid argument");
#endif

    // Up to the last number of 64 bits, which leaves no next one to write.
    std::filesystem::remove_all(path_);
    std::ofstream(path_) << "18446744073709551614\n";
    ASSERT_EQ(SerialCounter(path_, std::nullopt).Take(~std::uint64_t{0}, number).exitCode, 0);
    EXPECT_EQ(number, 18446744073709551614u);
    EXPECT_EQ(Text(), "18446744073709551615\n");
    EXPECT_EQ(SerialCounter(path_, std::nullopt).Take(~std::uint64_t{0}, number).message,
              "The next serial number, 18446744073709551615, is larger than the format holds (18446744073709551615).");

    // Created with --serial-start, then counted on from the file.
    std::filesystem::remove_all(path_);
    ASSERT_EQ(SerialCounter(path_, 100).Take(100, number).exitCode, 0);
    EXPECT_EQ(number, 100u);
    EXPECT_EQ(Text(), "101\n");
}

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
    const std::string head = R"({"time":"2026-12-07T04:05:06.789Z","host":)" + JsonLine::Quote(HostName()) +
                             R"(,"tool":"quillet","version":")" + QUILLET_VERSION + R"(",)";
    const HexFileFacts hex{"/bench/blink84a.hex", 256, "1f3df68790196fe41ef0d868fc9e6e25238e45f6db88fd2572b0c0728e8a4566"};
    BoardLogEntry entry;
    entry.operation = "program";
    entry.board = {3, "TVR\xE9" "01", "TVR-IOB"}; // the driver's 8-bit text
    entry.processor = "16F877";
    entry.hexFile = &hex;
    entry.configWord = 0x3FF2;
    entry.serialNumber = 1234;
    entry.outcome = {0, "Programming complete."};
    entry.milliseconds = 213;
    EXPECT_EQ(ProductionLog::Record(entry, at).Text(),
              head + R"("operation":"program","board":{"device":3,"serial":"TVR)" "\xC3\xA9" R"(01","description":"TVR-IOB"},)"
                     R"("processor":"16F877","hex_file":{"path":"/bench/blink84a.hex","size":256,"sha256":")"
                     R"(1f3df68790196fe41ef0d868fc9e6e25238e45f6db88fd2572b0c0728e8a4566"},"config_word":16370,)"
                     R"("serial_number":1234,"status":"ok","exit_code":0,"message":"Programming complete.","duration_ms":213})");

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
    };
    for (const auto& [code, name] : cases)
        EXPECT_STREQ(ExitCodeName(code), name) << code;
}

} // namespace
