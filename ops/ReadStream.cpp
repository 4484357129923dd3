#include "ops/ReadStream.h"

#include <array>
#include <cstdint>

#include "link/BoardLink.h"
#include "link/CommandSet.h"
#include "link/D2xxBinding.h"
#include "link/NibbleFraming.h"
#include "link/Pause.h"
#include "ops/CommandWords.h"

namespace {

// A board sends at most one block's worth of stray bytes; a drain that goes on far beyond
// that is a device gone wrong, and must not hang the window.
constexpr int kDrainLimit = 4096;

bool WriteByte(BoardLink& link, std::uint8_t value)
{
    const auto nibbles = EncodeByte(value);
    return link.Write(nibbles.data(), static_cast<DWORD>(nibbles.size())) == FT_OK;
}

// Empties the receive queue of what is left of a short block: one byte a read until a read
// brings none, so that the repeated block starts clean. A failing read ends the drain too.
void DrainReceiveQueue(BoardLink& link)
{
    for (int drained = 0; drained < kDrainLimit; ++drained) {
        DWORD queued = 0;
        link.Driver().GetQueueStatus(&queued);
        std::uint8_t byte = 0;
        DWORD received = 0;
        if (link.Read(&byte, 1, received) != FT_OK || received == 0)
            return;
    }
}

class StreamReader {
public:
    StreamReader(BoardLink& link, FirmwareImage& target) : link_(link), target_(target) {}

    // One program block into target addresses from `address`. A short block gets one second
    // chance: drain, REPEAT_BYTE, read again.
    ReadResult ProgramBlock(int address)
    {
        DWORD received = 0;
        if (link_.Read(buffer_.data(), READ_PROGRAM_BLOCK_BYTES, received) != FT_OK)
            return READ_PROGRAM_READ_FAILED;
        if (received < READ_PROGRAM_BLOCK_BYTES) {
            DrainReceiveQueue(link_);
            if (!WriteByte(link_, REPEAT_BYTE))
                return READ_PROGRAM_WRITE_FAILED;
            if (link_.Read(buffer_.data(), READ_PROGRAM_BLOCK_BYTES, received) != FT_OK)
                return READ_PROGRAM_REPEAT_FAILED;
            if (received < READ_PROGRAM_BLOCK_BYTES)
                return READ_PROGRAM_REPEAT_SHORT;
        }
        StoreWords(address, READ_PROGRAM_BLOCK_WORDS);
        return WriteByte(link_, ACK_BYTE) ? READ_DONE : READ_PROGRAM_WRITE_FAILED;
    }

    // The configuration block: no second chance.
    ReadResult ConfigBlock()
    {
        DWORD received = 0;
        if (link_.Read(buffer_.data(), READ_CONFIG_BLOCK_BYTES, received) != FT_OK)
            return READ_CONFIG_READ_FAILED;
        if (received < READ_CONFIG_BLOCK_BYTES)
            return READ_CONFIG_SHORT;
        StoreWords(CONFIG_BLOCK_ADDRESS, READ_CONFIG_WORDS);
        return WriteByte(link_, ACK_BYTE) ? READ_DONE : READ_CONFIG_WRITE_FAILED;
    }

    // One EEPROM block of 64 bytes into target addresses from `address`: no second chance.
    ReadResult EepromBlock(int address)
    {
        DWORD received = 0;
        if (link_.Read(buffer_.data(), READ_EEPROM_BLOCK_BYTES, received) != FT_OK)
            return READ_EEPROM_READ_FAILED;
        if (received < READ_EEPROM_BLOCK_BYTES)
            return READ_EEPROM_SHORT;
        for (int i = 0; i < READ_EEPROM_BLOCK_VALUES; ++i)
            target_.Set(address + i, DecodeByte(&buffer_[static_cast<std::size_t>(i * BYTE_NIBBLES)]));
        return WriteByte(link_, ACK_BYTE) ? READ_DONE : READ_EEPROM_WRITE_FAILED;
    }

private:
    void StoreWords(int address, int count)
    {
        for (int i = 0; i < count; ++i)
            target_.Set(address + i, DecodeWord(&buffer_[static_cast<std::size_t>(i * WORD_NIBBLES)]));
    }

    BoardLink& link_;
    FirmwareImage& target_;
    // Large enough for the largest block, the EEPROM's.
    std::array<std::uint8_t, READ_EEPROM_BLOCK_BYTES> buffer_{};
};

} // namespace

ReadResult ReadTarget(BoardLink& link, TargetProcessor processor, FirmwareImage& target,
                      const ProgressFunction& progress, unsigned pauseAfterCommand)
{
    const ProcessorProfile& profile = GetProcessorProfile(processor);
    if (link.SendCommand(TargetCommandsFor(processor).read, true) != 0)
        return READ_COMMAND_FAILED;
    if (pauseAfterCommand != 0)
        Pause(pauseAfterCommand);
    // Short enough that a board that stops sending ends the run quickly. Without it the first
    // block's read is not made: it could wait for ever.
    if (link.Driver().SetTimeouts(TIMEOUT_READ_STREAM_MS, TIMEOUT_READ_STREAM_MS) != FT_OK)
        return READ_PROGRAM_READ_FAILED;

    StreamReader reader(link, target);
    for (int block = 0; block < profile.readProgramBlocks; ++block) {
        if (progress)
            progress(100 * block / profile.readProgramBlocks);
        const ReadResult result = reader.ProgramBlock(PROGRAM_MEMORY_ADDRESS + block * READ_PROGRAM_BLOCK_WORDS);
        if (result != READ_DONE)
            return result;
    }
    if (const ReadResult result = reader.ConfigBlock(); result != READ_DONE)
        return result;
    for (int block = 0; block < profile.readEepromBlocks; ++block) {
        const ReadResult result = reader.EepromBlock(EEPROM_ADDRESS + block * READ_EEPROM_BLOCK_VALUES);
        if (result != READ_DONE)
            return result;
    }
    return READ_DONE;
}
