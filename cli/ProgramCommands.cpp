// The commands that bring a HEX file to the target, or hold the target against one:
// program and verify.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cli/BoardSession.h"
#include "cli/Commands.h"
#include "cli/ConfigSwitches.h"
#include "cli/production/BoardRun.h"
#include "cli/production/RunRecords.h"
#include "cli/Reporter.h"
#include "cli/production/SerialNumber.h"
#include "image/ConfigWord.h"
#include "image/FirmwareImage.h"
#include "image/HexFile.h"
#include "image/HexTextFile.h"
#include "link/CommandSet.h"
#include "link/Pause.h"
#include "ops/BlankCheck.h"
#include "ops/BulkErase.h"
#include "ops/OperationMessages.h"
#include "ops/ProgramOperation.h"
#include "ops/ProgramStream.h"
#include "ops/ReadStream.h"
#include "ops/VerifyCompare.h"

namespace {

constexpr char kProtectedReadsZeros[] =
    "This configuration protects the chip, which then reads back zeros and cannot be verified; "
    "program it without --verify.";
constexpr char kConfirmProtection[] =
    "This configuration protects the chip, which can then only be bulk-erased; add --yes-protect "
    "to program it.";

Outcome HexFileError(const std::string& path, HexCheckResult result)
{
    return {EXIT_HEX_FILE, path + ": " + HexCheckMessage(result)};
}

// Before the board is touched: the file is read once, and every board gets these bytes, checked
// and hashed, even if the file changes during the run. A file that is missing, corrupt or too
// large for any target (or for --processor) stops the run without a word to the board.
Outcome ReadBeforeBoard(const Invocation& invocation, std::string& text)
{
    if (invocation.file.empty())
        return HexFileError(invocation.file, HEX_NO_FILE_NAME);
    if (!ReadHexFileText(invocation.file, text))
        return HexFileError(invocation.file, HEX_CANNOT_OPEN);
    const TargetProcessor largest = TargetProcessor::PIC16F877;
    if (const HexCheckResult result = CheckHexText(text, invocation.processor.value_or(largest), nullptr);
        result != HEX_FILE_OK)
        return HexFileError(invocation.file, result);
    return {};
}

// The window's Open for the processor now known: the check, whose configuration record sets
// the options, then the switches given, which have the last word.
Outcome OpenHexFile(const Invocation& invocation, std::string_view text, TargetProcessor processor,
                    ConfigOptions& options)
{
    const HexCheckResult result = CheckHexText(text, processor, [&](std::uint16_t word) {
        ApplyConfigWord(processor, word, options);
    });
    if (result != HEX_FILE_OK)
        return HexFileError(invocation.file, result);
    if (const std::string given = SwitchWithoutBit(invocation.config, processor); !given.empty())
        return {EXIT_USAGE, given + " has no bit in the configuration word of the " +
                                GetProcessorProfile(processor).name + "."};
    ApplySwitches(invocation.config, options);
    return {};
}

// A failure inside a stream, as the window ends it: the device closed, the link lost.
void LoseLink(BoardSession& session)
{
    session.Driver().Close();
    session.MarkNotConnected();
}

int ProgramExitCode(ProgramResult result)
{
    switch (result) {
    case PROGRAM_DONE: return EXIT_OK;
    case PROGRAM_FLASH_BAD_ACK:
    case PROGRAM_CONFIG_BAD_ACK:
    case PROGRAM_EEPROM_BAD_ACK:
    case PROGRAM_CLOSING_BAD_ACK: return EXIT_PROGRAM_FAILED;
    default: return EXIT_NO_BOARD;
    }
}

std::string Hex(int value, int digits)
{
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, static_cast<unsigned>(value));
    return text;
}

const char* MemoryName(VerifyDifference::Kind kind)
{
    switch (kind) {
    case VerifyDifference::PROGRAM_WORD: return "program";
    case VerifyDifference::CONFIGURATION: return "configuration";
    default: return "eeprom";
    }
}

// Every difference, memory by memory in the order of the comparison, each under a heading
// that counts it.
void ReportDifferences(Reporter& reporter, const std::vector<VerifyDifference>& differences)
{
    const auto count = [&](VerifyDifference::Kind kind) {
        std::size_t n = 0;
        for (const VerifyDifference& d : differences)
            n += d.kind == kind ? 1 : 0;
        return n;
    };
    VerifyDifference::Kind heading = VerifyDifference::NONE;
    for (const VerifyDifference& d : differences) {
        JsonLine json;
        json.Add("type", "difference").Add("memory", MemoryName(d.kind)).Add("address", d.address);
        if (d.kind != heading) {
            heading = d.kind;
            const std::size_t n = count(d.kind);
            const std::string counted = std::to_string(n) + (n == 1 ? " difference" : " differences");
            if (d.kind == VerifyDifference::PROGRAM_WORD)
                reporter.Print("Program memory: " + counted);
            else if (d.kind == VerifyDifference::CONFIGURATION)
                reporter.Print("Configuration word " + Hex(d.address, 4) + ": expected " + Hex(d.expected, 4) +
                               ", found " + Hex(d.found, 4));
            else
                reporter.Print("EEPROM: " + counted);
        }
        switch (d.kind) {
        case VerifyDifference::PROGRAM_WORD:
            reporter.Print("  " + Hex(d.address, 4) + ": expected " + Hex(d.expected, 4) + ", found " +
                           Hex(d.found, 4));
            break;
        case VerifyDifference::CONFIGURATION:
            reporter.Print("  " + d.configuration);
            json.Add("option", d.configuration);
            break;
        default:
            reporter.Print("  " + Hex(d.address, 4) + " (location " + std::to_string(d.address - EEPROM_ADDRESS) +
                           "): expected " + Hex(d.expected, 2) + ", found " + Hex(d.found, 2));
            json.Add("location", d.address - EEPROM_ADDRESS);
            break;
        }
        reporter.Emit(json.Add("expected", d.expected).Add("found", d.found));
    }
}

// The serial-number options, checked before any board is touched: a place that fits no
// target, a number to check that the format cannot hold, file data where the number would go.
Outcome CheckSerialBeforeBoard(const Invocation& invocation, std::string_view hexText, bool program,
                               SerialPlace& place)
{
    const SerialOptions& serial = invocation.serial;
    if (!serial.enabled) {
        if (serial.address || !serial.counterPath.empty() || serial.start || serial.overwrite)
            return {EXIT_USAGE, "The --serial-... options need --serial-number."};
        return {};
    }
    if (!serial.address)
        return {EXIT_USAGE, "--serial-number needs --serial-at ADDRESS: an EEPROM address from 0x2100 or a "
                            "program-memory address."};
    place.address = *serial.address;
    SerialFormat::Parse(serial.format, place.format); // checked while parsing the command line
    if (const std::string misfit = place.CheckFits(invocation.processor.value_or(TargetProcessor::PIC16F877));
        !misfit.empty())
        return {EXIT_USAGE, misfit};
    if (serial.given && *serial.given > place.Largest())
        return {EXIT_USAGE, "--serial-number-is " + std::to_string(*serial.given) + " does not fit " +
                                place.format.Text() + " at " + place.Range() + ", which holds at most " +
                                std::to_string(place.Largest()) + "."};
    if (!program)
        return {};
    if (serial.counterPath.empty())
        return {EXIT_USAGE, "--serial-number needs --serial-file FILE, the counter the numbers come from."};
    const auto named = [](const std::string& path) {
        std::error_code ignored;
        return std::filesystem::weakly_canonical(std::filesystem::absolute(path, ignored), ignored);
    };
    if (!invocation.logPath.empty() && named(invocation.logPath) == named(serial.counterPath))
        return {EXIT_USAGE, "--log and --serial-file name the same file, " + serial.counterPath +
                                "; give each a file of its own."};
    if (!serial.overwrite && FileHoldsDataAt(hexText, place))
        return {EXIT_USAGE, invocation.file + " holds data at " + place.Range() +
                                ", where the serial number goes; add --serial-overwrite to replace it."};
    return {};
}

// The program prints addresses in hexadecimal without 0x, as the window's listings do: an
// address copied from there as "2110" reads as decimal, a program-memory address, where
// "0x2110" was meant.
void WarnOfDecimalAddress(const SerialOptions& serial, Reporter& reporter)
{
    const std::string& text = serial.addressText;
    if (!serial.enabled || text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return;
    const unsigned long asHex = std::stoul(text, nullptr, 16);
    if (asHex >= static_cast<unsigned long>(EEPROM_ADDRESS) && asHex < static_cast<unsigned long>(EEPROM_ADDRESS) + 0x100)
        reporter.Warn("--serial-at " + text + " is decimal, program-memory address " + Hex(*serial.address, 4) +
                      "; for the EEPROM address write 0x" + text + ".");
}

// What program and verify settle before any board: the serial-number options, the log, and
// the HEX file's facts for the records.
Outcome PrepareRecords(const Invocation& invocation, std::string_view hexText, bool program, Reporter& reporter,
                       SerialPlace& place, RunRecords& records)
{
    if (Outcome checked = CheckSerialBeforeBoard(invocation, hexText, program, place); checked.exitCode != EXIT_OK)
        return checked;
    WarnOfDecimalAddress(invocation.serial, reporter);
    if (Outcome opened = records.OpenLog(); opened.exitCode != EXIT_OK)
        return opened;
    records.SetHexFile(HexFileFacts::Of(invocation.file, std::string(hexText)));
    return {};
}

void AddSerialNumber(BoardResult& result, std::uint64_t number)
{
    result.serialNumber = number;
    result.fields.AddUnsigned("serial_number", number).Add("serial_number_text", std::to_string(number));
}

// The whole target, read back as the window's Verify reads it: with its extra pauses around
// the read command. The device is closed after; a read that fails loses the link.
Outcome ReadBack(BoardSession& session, Reporter& reporter, TargetProcessor processor, FirmwareImage& target)
{
    Pause(PAUSE_AROUND_READ_MS);
    const ReadResult read =
        ReadTarget(session.Link(), processor, target, reporter.Progress("verify", "Verifying"), PAUSE_AROUND_READ_MS);
    if (read != READ_DONE) {
        LoseLink(session);
        return {EXIT_NO_BOARD, VerifyReadMessage(read), session.StreamCutHint()};
    }
    session.Driver().Close();
    return {};
}

std::string Counted(std::size_t n)
{
    return std::to_string(n) + (n == 1 ? " difference" : " differences");
}

} // namespace

int RunProgram(const Invocation& invocation, Reporter& reporter)
{
    std::string hexText;
    if (Outcome read = ReadBeforeBoard(invocation, hexText); read.exitCode != EXIT_OK)
        return reporter.Finish(read);
    if (SwitchesProtect(invocation.config) && !invocation.yesProtect)
        return reporter.Finish({EXIT_USAGE, kConfirmProtection});
    if (SwitchesProtect(invocation.config) && invocation.verifyAfterProgram.value_or(false))
        return reporter.Finish({EXIT_USAGE, kProtectedReadsZeros});
    SerialPlace place;
    RunRecords records(invocation);
    if (Outcome prepared = PrepareRecords(invocation, hexText, true, reporter, place, records);
        prepared.exitCode != EXIT_OK)
        return reporter.Finish(prepared);
    const bool numbered = invocation.serial.enabled;
    if (numbered) {
        if (Outcome opened = records.OpenJournal(invocation.serial, reporter); opened.exitCode != EXIT_OK)
            return reporter.Finish(opened);
    }
    // A production run reads every chip back unless told not to: a chip that took every block
    // may still hold something else (a weak cell, a board that acknowledged too soon), and a
    // wrong chip found at the bench costs less than one found in the field. One board runs as
    // the window's Program does, which leaves Verify to the user.
    const bool verifyAfter = invocation.verifyAfterProgram.value_or(SeveralBoards(invocation));

    const BoardWork work = [&](BoardSession& session, Reporter& reporter, BoardResult& result) -> Outcome {
        const TargetProcessor processor = session.Processor();
        ConfigOptions options;
        if (Outcome opened = OpenHexFile(invocation, hexText, processor, options); opened.exitCode != EXIT_OK)
            return opened;
        // The file's own record may ask for protection too.
        const bool protects = OptionsProtect(processor, options);
        if (protects && !invocation.yesProtect)
            return {EXIT_USAGE, kConfirmProtection};
        if (protects && invocation.verifyAfterProgram.value_or(false))
            return {EXIT_USAGE, kProtectedReadsZeros};
        if (const std::string misfit = numbered ? place.CheckFits(processor) : ""; !misfit.empty())
            return {EXIT_USAGE, misfit};

        // The number is taken once the target is known to be blank (or erased), and is in the
        // journal with this board before the chip gets it: a chip that fails after that has
        // used its number, and the records say which one.
        Outcome numberFailure;
        const PrepareImage numberImage = [&](FirmwareImage& image) {
            std::uint64_t number = 0;
            numberFailure = records.ReserveSerial(result, place.Largest(), number);
            if (numberFailure.exitCode != EXIT_OK)
                return 1;
            PlaceSerial(number, place, image);
            AddSerialNumber(result, number);
            return 0;
        };
        auto image = std::make_unique<FirmwareImage>();
        const ProgramOutcome outcome =
            ProgramFromText(session.Link(), processor, hexText, invocation.autoErase, [&options] { return options; },
                            *image, reporter.Progress("program", "Programming"),
                            numbered ? numberImage : PrepareImage());
        const std::string message = ProgramOutcomeMessage(outcome, invocation.autoErase, invocation.file);
        // A failed blank check or erase has closed the device and marked the link lost already.
        if (outcome.stage == ProgramStage::BlankCheck)
            return {outcome.blankCheck == BLANK_CHECK_NOT_BLANK ? EXIT_NOT_BLANK : EXIT_NO_BOARD, message};
        if (outcome.stage == ProgramStage::Erase)
            return {outcome.erase == ERASE_WRONG_ANSWER ? EXIT_ERASE_FAILED : EXIT_NO_BOARD, message};
        result.fields.Add("erased", outcome.erased);
        if (outcome.stage == ProgramStage::Prepare)
            return numberFailure;
        result.fields.Add("config_word", static_cast<int>(outcome.configWord));
        result.configWord = outcome.configWord;
        if (outcome.LostInStream()) {
            LoseLink(session);
            return {ProgramExitCode(outcome.stream), message, session.StreamCutHint()};
        }
        if (result.serialNumber)
            reporter.Print("Serial number " + std::to_string(*result.serialNumber) + " at " + place.Range());
        // A protected chip reads back zeros: there is nothing to compare it with.
        if (!verifyAfter || protects)
            return {EXIT_OK, message};

        // Held against exactly what went out: the file, the configuration word, the number.
        auto target = std::make_unique<FirmwareImage>();
        if (Outcome read = ReadBack(session, reporter, processor, *target); read.exitCode != EXIT_OK) {
            if (session.Stopped())
                return {EXIT_INTERRUPTED, "Programmed, but interrupted while reading the chip back; check it with verify.",
                        read.hint};
            read.message = "Programmed, but the chip could not be read back: " + read.message;
            return read;
        }
        const std::vector<VerifyDifference> differences = ListDifferences(*image, *target, processor, options);
        result.verified = differences.empty();
        result.fields.Add("verified", differences.empty());
        if (!differences.empty()) {
            ReportDifferences(reporter, differences);
            return {EXIT_VERIFY_DIFFERS, "Programmed, but verify failed: " + Counted(differences.size())};
        }
        reporter.Print(VerifyMessage(VerifyDifference{}));
        return {EXIT_OK, message};
    };
    return RunOnBoards(invocation, reporter, work, records);
}

int RunVerify(const Invocation& invocation, Reporter& reporter)
{
    std::string hexText;
    if (Outcome read = ReadBeforeBoard(invocation, hexText); read.exitCode != EXIT_OK)
        return reporter.Finish(read);
    SerialPlace place;
    RunRecords records(invocation);
    if (Outcome prepared = PrepareRecords(invocation, hexText, false, reporter, place, records);
        prepared.exitCode != EXIT_OK)
        return reporter.Finish(prepared);

    const BoardWork work = [&](BoardSession& session, Reporter& reporter, BoardResult& result) -> Outcome {
        const TargetProcessor processor = session.Processor();
        ConfigOptions options;
        if (Outcome opened = OpenHexFile(invocation, hexText, processor, options); opened.exitCode != EXIT_OK)
            return opened;
        const bool numbered = invocation.serial.enabled;
        if (const std::string misfit = numbered ? place.CheckFits(processor) : ""; !misfit.empty())
            return {EXIT_USAGE, misfit};

        // The whole target first, then the file, as the window's Verify reads them.
        auto target = std::make_unique<FirmwareImage>();
        if (Outcome read = ReadBack(session, reporter, processor, *target); read.exitCode != EXIT_OK)
            return read;
        auto image = std::make_unique<FirmwareImage>();
        LoadHexText(hexText, HexLoadMode::Programming, *image);

        // Each chip against its own number: the one given, else the one it holds.
        std::optional<std::uint64_t> number;
        if (numbered) {
            const std::optional<std::uint64_t> held = ReadSerial(*target, place);
            number = invocation.serial.given ? invocation.serial.given : held;
            if (number) {
                PlaceSerial(*number, place, *image);
                AddSerialNumber(result, *number);
                if (held == number)
                    reporter.Print("Serial number " + std::to_string(*number) + " at " + place.Range());
                else
                    reporter.Print("Serial number at " + place.Range() + ": expected " + std::to_string(*number) +
                                   ", found " + (held ? std::to_string(*held) : "none"));
            }
        }
        const std::vector<VerifyDifference> differences = ListDifferences(*image, *target, processor, options);
        ReportDifferences(reporter, differences);
        result.fields.Add("differences", static_cast<long long>(differences.size()));
        if (numbered && !number)
            return {EXIT_VERIFY_DIFFERS, "No serial number in " + place.format.Text() + " form at " + place.Range() + "."};
        if (differences.empty())
            return {EXIT_OK, VerifyMessage(VerifyDifference{})};
        return {EXIT_VERIFY_DIFFERS, "Verify failed: " + Counted(differences.size())};
    };
    return RunOnBoards(invocation, reporter, work, records);
}
