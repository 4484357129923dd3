// The order of Program's steps: blank check, the erase auto-erase allows, load, the options'
// configuration word, the stream. Whatever the front end, a target of unknown or non-blank
// state is never written.
#include "OperationTestSupport.h"
#include "link/CommandSet.h"
#include "link/NibbleFraming.h"
#include "ops/ProgramOperation.h"

namespace {

constexpr auto k84A = TargetProcessor::PIC16F84A;
constexpr unsigned kProgramWordAddress = 0x0010; // a word the fixture does not supply

Bytes CommandBytes(std::uint16_t word)
{
    const auto nibbles = EncodeWord(word);
    return Bytes(nibbles.begin(), nibbles.end());
}

int CommandsSent(const TraceFile& trace, std::uint16_t word)
{
    int sent = 0;
    for (const WireCall& call : WireCalls(trace))
        sent += call.function == "FT_Write" && call.bytes == CommandBytes(word) ? 1 : 0;
    return sent;
}

struct Case {
    const char* name;
    bool targetBlank;
    bool autoErase;
    const char* fault; // nullptr: none
    ProgramStage stage;
    bool succeeded;
    int erases;
    int programs;
    const char* message;
};

TEST_F(OperationTest, ProgramWritesOnlyATargetKnownToBeBlank)
{
    const Case cases[] = {
        {"blank target", true, false, nullptr, ProgramStage::Stream, true, 0, 1, "Programming complete."},
        {"blank target, auto-erase on", true, true, nullptr, ProgramStage::Stream, true, 0, 1,
         "Programming complete."},
        {"not blank, auto-erase off", false, false, nullptr, ProgramStage::BlankCheck, false, 0, 0,
         "Device is not blank. Either erase the device or select Auto Erase."},
        {"not blank, auto-erase on", false, true, nullptr, ProgramStage::Stream, true, 1, 1,
         "Programming complete."},
        // An answer that is neither "blank" nor "not blank" leaves the state unknown.
        {"blank check answered 0x00", true, true, "answer-wrong command=CMD_BLANK_CHECK_84A value=0x00",
         ProgramStage::BlankCheck, false, 0, 0, "Could not read from the device during Blank Check."},
        {"erase refused", false, true, "answer-wrong command=CMD_BULK_ERASE_84A value=0x5A",
         ProgramStage::Erase, false, 1, 0, "Error during Bulk Erase function."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(0, EmuConfigure(nullptr)) << EmuLastError();
        Choose(k84A);
        if (!c.targetBlank)
            SetChipWord(k84A, kProgramWordAddress, 0x0000);
        if (c.fault)
            InjectFault(c.fault);
        const int erasesBefore = CommandsSent(trace, CMD_BULK_ERASE_84A);
        const int programsBefore = CommandsSent(trace, CMD_PROGRAM_84A);

        ConfigOptions options;
        options.powerUpTimer = true; // so that the word sent is the options', not the file's
        FirmwareImage image;
        const ProgramOutcome outcome = ProgramFromFile(link, k84A, FixtureOf(k84A), c.autoErase,
                                                       [&options] { return options; }, image, nullptr);
        EXPECT_EQ(outcome.stage, c.stage);
        EXPECT_EQ(outcome.Succeeded(), c.succeeded);
        EXPECT_EQ(ProgramOutcomeMessage(outcome, c.autoErase, FixtureOf(k84A)), c.message);
        EXPECT_EQ(CommandsSent(trace, CMD_BULK_ERASE_84A) - erasesBefore, c.erases);
        EXPECT_EQ(CommandsSent(trace, CMD_PROGRAM_84A) - programsBefore, c.programs);
        if (c.succeeded) {
            EXPECT_EQ(ChipWord(k84A, CONFIG_WORD_ADDRESS), BuildConfigWord(k84A, options));
            EXPECT_EQ(outcome.configWord, BuildConfigWord(k84A, options));
        }
        EmuClearFaults();
        driver.Close();
    }
}

TEST_F(OperationTest, ProgramReportsAFileThatVanishedAfterItsCheck)
{
    Choose(k84A);
    FirmwareImage image;
    const std::string gone = HexFixturePath("no-such-file.hex");
    const ProgramOutcome outcome =
        ProgramFromFile(link, k84A, gone, false, [] { return ConfigOptions{}; }, image, nullptr);
    EXPECT_EQ(outcome.stage, ProgramStage::Load);
    EXPECT_EQ(ProgramOutcomeMessage(outcome, false, gone), "The hex file " + gone + " could not be opened.");
    EXPECT_EQ(CommandsSent(trace, CMD_PROGRAM_84A), 0);
}

} // namespace
