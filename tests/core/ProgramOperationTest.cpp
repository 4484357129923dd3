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

int CommandsSent(const TraceFile& trace, std::uint16_t word)
{
    const auto nibbles = EncodeWord(word);
    int sent = 0;
    for (const WireCall& call : WireCalls(trace))
        sent += call.function == "FT_Write" && call.bytes == Bytes(nibbles.begin(), nibbles.end()) ? 1 : 0;
    return sent;
}

TEST_F(OperationTest, ProgramWritesOnlyATargetKnownToBeBlank)
{
    const struct {
        const char* name;
        bool targetBlank;
        bool autoErase;
        const char* fault; // nullptr: none
        int erases;
        int programs;
    } cases[] = {
        {"blank target", true, false, nullptr, 0, 1},
        {"not blank, auto-erase off", false, false, nullptr, 0, 0},
        {"not blank, auto-erase on", false, true, nullptr, 1, 1},
        // An answer that is neither "blank" nor "not blank" leaves the state unknown: even
        // auto-erase must not act on it.
        {"blank check answered 0x00", false, true, "answer-wrong command=CMD_BLANK_CHECK_84A value=0x00", 0, 0},
        {"blank check answer cut short", false, true, "answer-short command=CMD_BLANK_CHECK_84A count=1", 0, 0},
        {"blank check not answered", false, true, "answer-missing command=CMD_BLANK_CHECK_84A", 0, 0},
        {"erase refused", false, true, "answer-wrong command=CMD_BULK_ERASE_84A value=0x5A", 1, 0},
    };
    for (const auto& c : cases) {
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
        EXPECT_EQ(CommandsSent(trace, CMD_BULK_ERASE_84A) - erasesBefore, c.erases);
        EXPECT_EQ(CommandsSent(trace, CMD_PROGRAM_84A) - programsBefore, c.programs);
        EXPECT_EQ(outcome.Succeeded(), c.programs == 1);
        EXPECT_EQ(outcome.erased, c.erases == 1 && c.programs == 1) << "erased only when the board said so";
        unsigned chipWord = 0;
        EmuGetChipWord(BoardOf(k84A), CONFIG_WORD_ADDRESS, &chipWord);
        EXPECT_EQ(chipWord, c.programs == 1 ? BuildConfigWord(k84A, options) : 0x3FFFu) << "the configuration word";
        EmuClearFaults();
        driver.Close();
    }
}

} // namespace
