#include "ops/ProgramStream.h"

#include <algorithm>
#include <array>

#include "link/BoardLink.h"
#include "link/CommandSet.h"
#include "link/D2xxBinding.h"
#include "link/NibbleFraming.h"
#include "ops/CommandWords.h"

namespace {

enum class BlockAnswer { Acknowledged, NoAnswer, WrongAnswer };

// One word block: the target address, then 8 image entries from `first` (the low 16 bits of
// each), in one write, then the board's acknowledge. Every write is a USB transfer of its own
// that costs a frame however few bytes it carries, so the block goes whole; the board sees the
// same bytes in the same order as word by word. No pause anywhere: the board takes the FIFO as
// fast as the USB delivers it and answers when it has written the block.
BlockAnswer SendBlock(BoardLink& link, std::uint16_t address, const FirmwareImage& image, int first)
{
    std::array<std::uint8_t, PROGRAM_BLOCK_NIBBLES> block{};
    auto next = block.begin();
    const auto put = [&next](std::uint32_t word) {
        const auto nibbles = EncodeWord(static_cast<std::uint16_t>(word));
        next = std::copy(nibbles.begin(), nibbles.end(), next);
    };
    put(address);
    for (int i = 0; i < WORDS_PER_PROGRAM_BLOCK; ++i)
        put(static_cast<std::uint32_t>(image.Get(first + i)));
    // A block the board got only part of leaves it waiting for the rest: no acknowledge will
    // come, so the block fails at once as one the board did not answer.
    if (!link.WriteAll(block.data(), static_cast<DWORD>(block.size()))) {
        link.Driver().Close();
        return BlockAnswer::NoAnswer;
    }

    std::array<std::uint8_t, BYTE_NIBBLES> answer{};
    DWORD received = 0;
    if (link.Read(answer.data(), BYTE_NIBBLES, received) != FT_OK)
        return BlockAnswer::NoAnswer;
    // Only half of the acknowledge within the time-out is not an acknowledge.
    if (received < BYTE_NIBBLES || DecodeByte(answer.data()) != ACK_BYTE)
        return BlockAnswer::WrongAnswer;
    return BlockAnswer::Acknowledged;
}

// The failure code of a part of the stream: its no-answer code, or the one after it.
ProgramResult Failure(BlockAnswer answer, ProgramResult noAnswer)
{
    return answer == BlockAnswer::NoAnswer ? noAnswer : static_cast<ProgramResult>(noAnswer + 1);
}

} // namespace

ProgramResult ProgramTarget(BoardLink& link, TargetProcessor processor, const FirmwareImage& image,
                            const ProgressFunction& progress)
{
    const ProcessorProfile& profile = GetProcessorProfile(processor);
    // The exchange's 1000 ms time-outs stay in force for every acknowledge of the stream.
    if (link.SendCommand(TargetCommandsFor(processor).program, true) != 0)
        return PROGRAM_COMMAND_FAILED;

    for (int address = 0; address < profile.programWords; address += WORDS_PER_PROGRAM_BLOCK) {
        if (progress)
            progress(address * 100 / profile.programWords);
        const BlockAnswer answer =
            SendBlock(link, static_cast<std::uint16_t>(address), image, address);
        if (answer != BlockAnswer::Acknowledged)
            return Failure(answer, PROGRAM_FLASH_NO_ANSWER);
    }

    // ID words, the three words after them and the configuration word, in one block.
    BlockAnswer answer = SendBlock(link, PROGRAM_CONFIG_ADDRESS, image, CONFIG_BLOCK_ADDRESS);
    if (answer != BlockAnswer::Acknowledged)
        return Failure(answer, PROGRAM_CONFIG_NO_ANSWER);

    // Every EEPROM entry goes out; bit 8 tells the board which ones the file supplied.
    for (int offset = 0; offset < profile.eepromBytes; offset += WORDS_PER_PROGRAM_BLOCK) {
        answer = SendBlock(link, static_cast<std::uint16_t>(PROGRAM_EEPROM_ADDRESS + offset), image,
                           EEPROM_ADDRESS + offset);
        if (answer != BlockAnswer::Acknowledged)
            return Failure(answer, PROGRAM_EEPROM_NO_ANSWER);
    }

    // The board ends the stream on this address; it carries the first program block again.
    answer = SendBlock(link, PROGRAM_CLOSING_ADDRESS, image, PROGRAM_MEMORY_ADDRESS);
    if (answer != BlockAnswer::Acknowledged)
        return Failure(answer, PROGRAM_CLOSING_NO_ANSWER);
    return PROGRAM_DONE;
}
