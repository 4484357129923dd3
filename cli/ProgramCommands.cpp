// The commands that bring a HEX file to the target, or hold the target against one:
// program and verify.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/BoardSession.h"
#include "cli/Commands.h"
#include "cli/ConfigSwitches.h"
#include "cli/MultiBoardRun.h"
#include "cli/ProductionLog.h"
#include "cli/Reporter.h"
#include "cli/SerialCounter.h"
#include "cli/SerialNumber.h"
#include "image/ConfigWord.h"
#include "image/FirmwareImage.h"
#include "image/HexFile.h"
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

constexpr char kConfirmProtection[] =
    "This configuration protects the chip, which can then only be bulk-erased; add --yes-protect "
    "to program it.";

Outcome HexFileError(const std::string& path, HexCheckResult result)
{
    return {EXIT_HEX_FILE, path + ": " + HexCheckMessage(result)};
}

// Before the board is touched: a file that is missing, corrupt or too large for any target
// (or for --processor) stops the run without a word to the board.
Outcome CheckBeforeBoard(const Invocation& invocation)
{
    const TargetProcessor largest = TargetProcessor::PIC16F877;
    const HexCheckResult result = CheckHexFile(invocation.file, invocation.processor.value_or(largest), nullptr);
    if (result != HEX_FILE_OK)
        return HexFileError(invocation.file, result);
    return {};
}

// The window's Open for the processor now known: the check, whose configuration record sets
// the options, then the switches given, which have the last word.
Outcome OpenHexFile(const Invocation& invocation, TargetProcessor processor, ConfigOptions& options)
{
    const HexCheckResult result = CheckHexFile(invocation.file, processor, [&](std::uint16_t word) {
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
// target, a missing counter file, file data where the number would go.
Outcome CheckSerialBeforeBoard(const Invocation& invocation, bool program, SerialPlace& place)
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
    if (!program)
        return {};
    if (serial.counterPath.empty())
        return {EXIT_USAGE, "--serial-number needs --serial-file FILE, the counter the numbers come from."};
    if (const std::string unusable = SerialCounter(serial.counterPath, serial.start).Check(); !unusable.empty())
        return {EXIT_USAGE, unusable};
    if (!serial.overwrite && FileHoldsDataAt(invocation.file, place))
        return {EXIT_USAGE, invocation.file + " holds data at " + place.Range() +
                                ", where the serial number goes; add --serial-overwrite to replace it."};
    return {};
}

// The facts the production log keeps about the HEX file; none without a log.
std::unique_ptr<HexFileFacts> FactsForLog(const Invocation& invocation)
{
    auto facts = std::make_unique<HexFileFacts>();
    if (invocation.logPath.empty() || !HexFileFacts::Of(invocation.file, *facts))
        return nullptr;
    return facts;
}

} // namespace

int RunProgram(const Invocation& invocation, Reporter& reporter)
{
    if (Outcome checked = CheckBeforeBoard(invocation); checked.exitCode != EXIT_OK)
        return reporter.Finish(checked);
    if (SwitchesProtect(invocation.config) && !invocation.yesProtect)
        return reporter.Finish({EXIT_USAGE, kConfirmProtection});
    SerialPlace place;
    if (Outcome checked = CheckSerialBeforeBoard(invocation, true, place); checked.exitCode != EXIT_OK)
        return reporter.Finish(checked);
    SerialCounter counter(invocation.serial.counterPath, invocation.serial.start);
    const std::unique_ptr<HexFileFacts> facts = FactsForLog(invocation);

    const BoardWork work = [&](BoardSession& session, Reporter& reporter, BoardResult& result) -> Outcome {
        const TargetProcessor processor = session.Processor();
        ConfigOptions options;
        if (Outcome opened = OpenHexFile(invocation, processor, options); opened.exitCode != EXIT_OK)
            return opened;
        // The file's own record may ask for protection too.
        if (OptionsProtect(processor, options) && !invocation.yesProtect)
            return {EXIT_USAGE, kConfirmProtection};
        const bool numbered = invocation.serial.enabled;
        if (const std::string misfit = numbered ? place.CheckFits(processor) : ""; !misfit.empty())
            return {EXIT_USAGE, misfit};

        // The number is taken once the target is known to be blank (or erased): a chip that
        // fails after that has used its number, and the log says which one.
        Outcome numberFailure;
        const PrepareImage numberImage = [&](FirmwareImage& image) {
            std::uint64_t number = 0;
            numberFailure = counter.Take(place.format.Largest(), number);
            if (numberFailure.exitCode != EXIT_OK)
                return 1;
            PlaceSerial(number, place, image);
            result.serialNumber = number;
            result.fields.Add("serial_number", static_cast<long long>(number));
            return 0;
        };
        auto image = std::make_unique<FirmwareImage>();
        const ProgramOutcome outcome =
            ProgramFromFile(session.Link(), processor, invocation.file, invocation.autoErase,
                            [&options] { return options; }, *image,
                            reporter.Progress("program", "Programming"), numbered ? numberImage : PrepareImage());
        const std::string message = ProgramOutcomeMessage(outcome, invocation.autoErase, invocation.file);
        // A failed blank check or erase has closed the device and marked the link lost already.
        if (outcome.stage == ProgramStage::BlankCheck)
            return {outcome.blankCheck == BLANK_CHECK_NOT_BLANK ? EXIT_NOT_BLANK : EXIT_NO_BOARD, message};
        if (outcome.stage == ProgramStage::Erase)
            return {outcome.erase == ERASE_WRONG_ANSWER ? EXIT_ERASE_FAILED : EXIT_NO_BOARD, message};
        result.fields.Add("erased", outcome.erased);
        if (outcome.stage == ProgramStage::Load)
            return {EXIT_HEX_FILE, message};
        if (outcome.stage == ProgramStage::Prepare)
            return numberFailure;
        result.fields.Add("config_word", static_cast<int>(outcome.configWord));
        result.configWord = outcome.configWord;
        if (outcome.LostInStream()) {
            LoseLink(session);
            return {ProgramExitCode(outcome.stream), message, session.StreamCutHint()};
        }
        return {ProgramExitCode(outcome.stream), message};
    };
    return RunOnBoards(invocation, reporter, work, facts.get());
}

int RunVerify(const Invocation& invocation, Reporter& reporter)
{
    if (Outcome checked = CheckBeforeBoard(invocation); checked.exitCode != EXIT_OK)
        return reporter.Finish(checked);
    SerialPlace place;
    if (Outcome checked = CheckSerialBeforeBoard(invocation, false, place); checked.exitCode != EXIT_OK)
        return reporter.Finish(checked);
    const std::unique_ptr<HexFileFacts> facts = FactsForLog(invocation);

    const BoardWork work = [&](BoardSession& session, Reporter& reporter, BoardResult& result) -> Outcome {
        const TargetProcessor processor = session.Processor();
        ConfigOptions options;
        if (Outcome opened = OpenHexFile(invocation, processor, options); opened.exitCode != EXIT_OK)
            return opened;
        const bool numbered = invocation.serial.enabled;
        if (const std::string misfit = numbered ? place.CheckFits(processor) : ""; !misfit.empty())
            return {EXIT_USAGE, misfit};

        // The whole target first, then the file, as the window's Verify reads them; the board
        // gets the window's extra pauses around the read command.
        Pause(PAUSE_AROUND_READ_MS);
        auto target = std::make_unique<FirmwareImage>();
        const ReadResult read = ReadTarget(session.Link(), processor, *target,
                                           reporter.Progress("verify", "Verifying"), PAUSE_AROUND_READ_MS);
        if (read != READ_DONE) {
            LoseLink(session);
            return {EXIT_NO_BOARD, VerifyReadMessage(read), session.StreamCutHint()};
        }
        auto image = std::make_unique<FirmwareImage>();
        if (!LoadHexImage(invocation.file, HexLoadMode::Programming, *image)) {
            LoseLink(session);
            return {EXIT_HEX_FILE, HexFileNotOpenedMessage(invocation.file)};
        }
        session.Driver().Close();

        // Each chip against its own number: the one given, else the one it holds.
        std::optional<std::uint64_t> number;
        if (numbered) {
            number = invocation.serial.given ? invocation.serial.given : ReadSerial(*target, place);
            if (number) {
                PlaceSerial(*number, place, *image);
                result.serialNumber = number;
                result.fields.Add("serial_number", static_cast<long long>(*number));
                reporter.Print("Serial number " + std::to_string(*number) + " at " + place.Range());
            }
        }
        const std::vector<VerifyDifference> differences = ListDifferences(*image, *target, processor, options);
        ReportDifferences(reporter, differences);
        result.fields.Add("differences", static_cast<long long>(differences.size()));
        if (numbered && !number)
            return {EXIT_VERIFY_DIFFERS, "No serial number in " + place.format.Text() + " form at " + place.Range() + "."};
        if (differences.empty())
            return {EXIT_OK, VerifyMessage(VerifyDifference{})};
        const std::size_t n = differences.size();
        return {EXIT_VERIFY_DIFFERS,
                "Verify failed: " + std::to_string(n) + (n == 1 ? " difference" : " differences")};
    };
    return RunOnBoards(invocation, reporter, work, facts.get());
}
